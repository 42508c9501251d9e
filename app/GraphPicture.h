// Picture1, the graph area. What is drawn goes into an image that the
// picture keeps, so the graph survives covering and uncovering the window
// and stays until the next run erases it. Coordinates are twips of the inner
// area; pixel k covers twips 15k to 15k + 14, and every point and line is
// drawn in whole pixels, black on white.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace tarvex::window {

class GraphPicture : public QWidget {
  Q_OBJECT

 public:
  explicit GraphPicture(QWidget* parent = nullptr);

  // Erases the picture to its background.
  void clear();
  // A straight line between two points, both end pixels included.
  void drawLine(float x1, float y1, float x2, float y2);
  // One pixel. Points outside the picture are not drawn.
  void drawPoint(float x, float y);

  // The graph exactly as shown.
  const QImage& image() const;

  // While a run is active the picture offers no menu.
  void setRunActive(bool active) { runActive_ = active; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // The image always has the picture's size; a new size starts a blank
  // image that keeps what fits of the old one.
  void fitImage() const;
  void setPixel(int x, int y);
  void changed();
  void offerSaving(const QPoint& where);
  void saveAs(const QString& format);

  mutable QImage image_;
  bool updatePending_ = false;
  bool runActive_ = false;
};

}  // namespace tarvex::window
