// Picture1, the graph area. It is the surface a run draws on and shows the
// speed graph's picture, which it keeps, so the graph survives covering and
// uncovering the window and stays until the next run erases it; the same
// picture the batch runner writes. The axis captions beside it belong to the
// window, which it tells when a run captions the axes.
//
// Its context menu saves the picture as shown (PNG or SVG) or with context
// (the axis scales and a line of the run's parameters), lays the axis scales
// and a grid over it, keeps earlier runs' curves under the current one,
// redraws the last run fitted to the area, shows the run report and saves the
// run's trace as CSV. Hovering shows the plotted point under the mouse. A
// box dragged with the mouse, the wheel (with Ctrl the time axis only) and
// the keys + and - zoom into the graph; 0 goes back to the run's own scales.
// None of these draws into the run's picture itself: a zoomed view draws the
// run again from its trace.
#pragma once

#include <memory>
#include <optional>

#include <QImage>
#include <QString>
#include <QWidget>

#include "AxisScale.h"
#include "GraphLayers.h"
#include "GraphPicture.h"
#include "RecordedRun.h"

namespace tarvex::window {

class PictureBox : public QWidget, public GraphSurface {
  Q_OBJECT

 public:
  // Earlier runs kept under the current one. A run made the same way as
  // the current one takes no place of its own: the current one counts it.
  static constexpr std::size_t kEarlierRuns = 5;

  explicit PictureBox(QWidget* parent = nullptr);

  // The drawing the run makes; every change is shown at the window's pace.
  void clearGraph() override;
  void drawLine(float x1, float y1, float x2, float y2) override;
  void drawPoint(float x, float y) override;
  // The axis captions, kept with the picture for its vector copy and
  // announced to the window.
  void setSpeedAxisCaption(std::string_view caption) override;
  void setTimeAxisCaption(std::string_view caption) override;

  const GraphPicture& picture() const { return picture_; }
  // The picture shown: the run's, the last run fitted to the area, or the
  // zoomed view.
  const GraphPicture& shownPicture() const {
    return zoom_ ? zoom_->picture : fitted_ ? fitted_->picture : picture_;
  }
  // The graph exactly as shown, without anything laid over it.
  QImage image() const;
  // The graph as shown with the earlier runs, their legend and the scales
  // when shown, at 1:1; without the cursor line or the focus mark.
  QImage imageAsShown();
  std::string svgAsShown();
  // The legend as shown, and its corner.
  std::vector<LegendEntry> legendShown() const { return shownLegend(); }
  // Where the legend is drawn, in pixels of the graph.
  QRect legendArea() { return legendBox(shownLegend(), legendCorner(), clearance()); }

  // A run begins, recorded into `run` as it goes; it ends with runEnded().
  // While a run is active the menu is not offered.
  void runStarting(std::shared_ptr<RecordedRun> run);
  void runEnded();
  void setRunActive(bool active) { runActive_ = active; }
  // The last run, once one has ended; nothing during a run.
  const RecordedRun* lastRun() const { return runActive_ ? nullptr : run_.get(); }
  std::size_t earlierRunCount() const { return earlier_.size(); }
  // The scales of the picture shown.
  std::optional<GraphScales> shownScales() const;

  // The menu's items, also for the keyboard (Shift+F10 or the menu key).
  void setScalesShown(bool shown);
  void setKeepingEarlierRuns(bool keep);
  void clearEarlierRuns();
  void setGridShown(bool shown);
  bool gridShown() const { return gridShown_; }
  bool scalesShown() const { return scalesShown_; }
  bool keepingEarlierRuns() const { return keepEarlier_; }
  // 全体表示: every shown curve whole, the time scale ending with the
  // longest run, the speed scale a tenth above the highest peak.
  void fitToRun();
  // Back to the run's own scales, from a fitted or zoomed view.
  void showFieldScales();
  bool fitted() const { return fitted_.has_value(); }
  bool zoomed() const { return zoom_.has_value(); }
  // Zooms by `factor` (above 1 in, below 1 out) around a pixel of the
  // graph, the speed axis too unless `timeOnly`.
  void zoomBy(double factor, QPointF around, bool timeOnly = false);
  // Zooms into a box of pixels of the graph.
  void zoomInto(const QRectF& pixels);
  // Forgets the stored settings and shows the graph as at the first start.
  void restoreDefaultSettings();
  void showReport();

 signals:
  void speedAxisCaptionChanged(const QString& caption);
  void timeAxisCaptionChanged(const QString& caption);
  // 目標から設計 was chosen in the menu.
  void designRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct FittedView {
    GraphPicture picture;
    RunTrace trace;
    GraphScales scales;
  };

  struct ZoomView {
    GraphPicture picture;
    GraphScales scales;
  };

  enum class Export { Plain, WithContext, AsShown };

  void offerMenu(const QPoint& where);
  void saveAs(const QString& format, Export what);
  // The graph as drawn at `scale` device pixels per pixel: the earlier
  // runs' curves and the grid, if shown, under the shown picture's ink.
  QImage canvasAt(double scale) const;
  // The canvas at the screen's scale, drawn anew if it is not there; while
  // it shows the run's own picture, the run inks it as it draws.
  void ensureCanvas();
  // Everything the graph area shows but the cursor line and the focus mark,
  // painted from `canvas`.
  void paintGraph(QPainter& painter, const QImage& canvas);
  std::vector<LegendEntry> shownLegend() const;
  // What the legend keeps clear of: the scales' labels, the overrun hint.
  LegendClearance clearance() const;
  // The height of the overrun marker, when the current run goes on past the
  // time axis's end at the scales shown.
  std::optional<double> overrunY() const;
  bool zoomable() const { return !runActive_ && run_ && shownScales().has_value(); }
  void showView(const GraphScales& view);
  GraphPicture::LegendCorner legendCorner();
  // Keeps the ended run's place among the earlier ones to itself: an earlier
  // run made the same way gives up its place and is counted with it.
  void countSameRuns();
  void saveTrace();
  std::vector<const RecordedRun*> shownEarlierRuns() const;
  const RunTrace* shownTrace() const;
  void hideCursor();
  // The canvas changes only with the runs kept, the grid, the picture shown
  // and the view's scales: drawn once then, inked as the run draws, painted
  // from.
  void earlierRunsChanged() {
    dropCanvas();
    legendCorner_.reset();
  }
  void dropCanvas() {
    picture_.inkAlsoOnto(std::nullopt);
    canvas_ = QImage();
  }
  // The cursor line's column, to be painted again.
  void updateCursorColumn();

  GraphPicture picture_;
  bool runActive_ = false;
  std::shared_ptr<RecordedRun> run_;
  // The most recent first; one more than kEarlierRuns while a run is made,
  // the oldest of them not shown.
  std::vector<std::shared_ptr<const RecordedRun>> earlier_;
  std::optional<FittedView> fitted_;
  std::optional<ZoomView> zoom_;
  bool scalesShown_ = false;
  bool keepEarlier_ = false;
  bool gridShown_ = false;
  // The box being dragged, in pixels, from the press.
  std::optional<QPointF> dragFrom_;
  QPointF dragTo_;
  int cursorX_ = -1;  // pixel column of the point under the mouse
  QImage canvas_;
  int lastPointRow_ = -1;  // the pixel row of the last point plotted
  std::optional<GraphPicture::LegendCorner> legendCorner_;
};

}  // namespace tarvex::window
