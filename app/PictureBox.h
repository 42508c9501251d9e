// Picture1, the graph area. It shows the speed graph's picture, which it
// keeps, so the graph survives covering and uncovering the window and stays
// until the next run erases it; the same picture the batch runner writes.
//
// Its context menu saves the picture as shown (PNG or SVG) or with context
// (the axis scales and a line of the run's parameters), lays the axis scales
// over it, keeps earlier runs' curves under the current one, redraws the last
// run fitted to the area, shows the run report and saves the run's trace as
// CSV. Hovering shows the plotted point under the mouse. None of these draws
// into the picture itself.
#pragma once

#include <deque>
#include <memory>
#include <optional>

#include <QImage>
#include <QString>
#include <QWidget>

#include "AxisScale.h"
#include "GraphPicture.h"
#include "RecordedRun.h"

namespace tarvex::window {

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  // Earlier runs kept under the current one.
  static constexpr std::size_t kEarlierRuns = 5;

  explicit PictureBox(QWidget* parent = nullptr);

  // The drawing the run makes; every change is shown at the window's pace.
  void clear();
  void drawLine(float x1, float y1, float x2, float y2);
  void drawPoint(float x, float y);
  // The axis captions, kept with the picture for its vector copy.
  void setSpeedAxisCaption(std::string_view caption) { picture_.setSpeedAxisCaption(caption); }
  void setTimeAxisCaption(std::string_view caption) { picture_.setTimeAxisCaption(caption); }

  const GraphPicture& picture() const { return picture_; }
  // The picture shown: the run's, or the last run fitted to the area.
  const GraphPicture& shownPicture() const { return fitted_ ? fitted_->picture : picture_; }
  // The graph exactly as shown, without anything laid over it.
  QImage image() const;

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
  void fitToRun();
  void showFieldScales();
  bool fitted() const { return fitted_.has_value(); }
  void showReport();

 signals:
  // 目標から設計 was chosen in the menu.
  void designRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct FittedView {
    GraphPicture picture;
    RunTrace trace;
    GraphScales scales;
  };

  void changed();
  void offerMenu(const QPoint& where);
  void saveAs(const QString& format, bool withContext);
  void saveTrace();
  std::vector<const RecordedRun*> shownEarlierRuns() const;
  const RunTrace* shownTrace() const;
  void hideCursor();
  // The earlier curves change only with the runs kept and the view's scales:
  // drawn once, painted from the copy.
  void earlierRunsChanged() { earlierLayer_ = QImage(); }

  GraphPicture picture_;
  bool updatePending_ = false;
  bool runActive_ = false;
  std::shared_ptr<RecordedRun> run_;
  std::deque<std::shared_ptr<const RecordedRun>> earlier_;
  std::optional<FittedView> fitted_;
  bool scalesShown_ = false;
  bool keepEarlier_ = false;
  int cursorX_ = -1;  // pixel column of the point under the mouse
  QImage earlierLayer_;
};

}  // namespace tarvex::window
