// Picture1, the graph area. It shows the speed graph's picture, which it
// keeps, so the graph survives covering and uncovering the window and stays
// until the next run erases it; the same picture the batch runner writes.
// Its context menu saves the picture as PNG or SVG.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include "GraphPicture.h"

namespace tarvex::window {

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  // The drawing the run makes; every change is shown at the window's pace.
  void clear();
  void drawLine(float x1, float y1, float x2, float y2);
  void drawPoint(float x, float y);
  // The axis captions, kept with the picture for its vector copy.
  void setSpeedAxisCaption(std::string_view caption) { picture_.setSpeedAxisCaption(caption); }
  void setTimeAxisCaption(std::string_view caption) { picture_.setTimeAxisCaption(caption); }

  const GraphPicture& picture() const { return picture_; }
  // The graph exactly as shown.
  QImage image() const;

  // While a run is active the picture offers no menu.
  void setRunActive(bool active) { runActive_ = active; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void changed();
  void offerSaving(const QPoint& where);
  void saveAs(const QString& format);

  GraphPicture picture_;
  bool updatePending_ = false;
  bool runActive_ = false;
};

}  // namespace tarvex::window
