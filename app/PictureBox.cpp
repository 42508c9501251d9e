#include "PictureBox.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include "GraphLayers.h"
#include "GraphPng.h"
#include "OutputFile.h"
#include "QtText.h"
#include "RunReplay.h"
#include "RunReport.h"
#include "TraceCsv.h"
#include "Units.h"

namespace tarvex::window {
namespace {

// Earlier curves are drawn from a thinned copy of their trace.
constexpr std::size_t kEarlierCurvePoints = 20000;

// The fitted speed scale leaves a tenth above the peak.
constexpr double kPeakMargin = 1.1;

std::string shortestText(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value);
  return std::string(text, end.ptr);
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFixedSize(GraphPicture::kWidth, GraphPicture::kHeight);
}

void PictureBox::clear() {
  picture_.clearGraph();
  changed();
}

void PictureBox::drawLine(float x1, float y1, float x2, float y2) {
  picture_.drawLine(x1, y1, x2, y2);
  changed();
}

void PictureBox::drawPoint(float x, float y) {
  picture_.drawPoint(x, y);
  changed();
}

QImage PictureBox::image() const {
  return graphImage(shownPicture());
}

void PictureBox::runStarting(std::shared_ptr<RecordedRun> run) {
  if (keepEarlier_ && run_ && !run_->trace.points().empty()) {
    auto kept = std::make_shared<RecordedRun>(*run_);
    kept->trace = thinned(run_->trace, kEarlierCurvePoints);
    earlier_.push_front(std::move(kept));
    if (earlier_.size() > kEarlierRuns) earlier_.pop_back();
  }
  run_ = std::move(run);
  fitted_.reset();
  earlierRunsChanged();
  hideCursor();
  runActive_ = true;
  update();
}

void PictureBox::runEnded() {
  runActive_ = false;
  update();
}

std::optional<GraphScales> PictureBox::shownScales() const {
  if (fitted_) return fitted_->scales;
  if (!run_) return std::nullopt;
  return scalesOf(run_->recipe);
}

const RunTrace* PictureBox::shownTrace() const {
  if (fitted_) return &fitted_->trace;
  return run_ ? &run_->trace : nullptr;
}

std::vector<const RecordedRun*> PictureBox::shownEarlierRuns() const {
  std::vector<const RecordedRun*> runs;
  if (keepEarlier_)
    for (const auto& run : earlier_) runs.push_back(run.get());
  return runs;
}

void PictureBox::changed() {
  // One repaint request until the picture has been painted: the window
  // repaints at its own pace however fast a run draws.
  if (updatePending_) return;
  updatePending_ = true;
  update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  updatePending_ = false;
  QPainter painter(this);
  const std::vector<const RecordedRun*> earlier = shownEarlierRuns();
  const std::optional<GraphScales> scales = shownScales();
  if (earlier.empty() || !scales || !run_) {
    // A plain run: the picture exactly as drawn.
    const GraphPicture& shown = shownPicture();
    const QImage view(reinterpret_cast<const uchar*>(shown.pixels()), GraphPicture::kWidth,
                      GraphPicture::kHeight, GraphPicture::kWidth * sizeof(GraphPicture::Pixel),
                      QImage::Format_RGB32);
    painter.drawImage(event->rect(), view, event->rect());
  } else {
    if (earlierLayer_.isNull()) earlierLayer_ = earlierCurves(earlier, *scales);
    painter.drawImage(0, 0, earlierLayer_);
    paintInkOnly(painter, shownPicture());
    paintLegend(painter, earlier, *run_);
  }
  if (scalesShown_ && scales) paintScales(painter, *scales);
  if (cursorX_ >= 0) {
    painter.setPen(QPen(QColor(0x30, 0x60, 0xd0), 1.0, Qt::DotLine));
    painter.drawLine(cursorX_, 0, cursorX_, height() - 1);
  }
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  const RunTrace* trace = shownTrace();
  const std::optional<GraphScales> scales = shownScales();
  const TracePoint* point =
      trace && scales ? pointUnder(*trace, *scales, event->position()) : nullptr;
  if (point == nullptr) {
    hideCursor();
    return;
  }
  const long index = long(point - trace->points().data());
  cursorX_ = int(pixelOfTwips(std::min<long>(index, SpeedGraph::kLastColumn)));
  QToolTip::showText(event->globalPosition().toPoint(), pointReadout(*point, trace->range()), this);
  update();
}

void PictureBox::leaveEvent(QEvent*) {
  hideCursor();
}

void PictureBox::hideCursor() {
  if (cursorX_ < 0) return;
  cursorX_ = -1;
  QToolTip::hideText();
  update();
}

void PictureBox::contextMenuEvent(QContextMenuEvent* event) {
  // During a run the window handles events only between two steps of the
  // run; a menu or a file dialog there would hold the run up.
  if (runActive_) return;
  try {
    offerMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                          : mapToGlobal(QPoint(20, 20)));
  } catch (const std::exception&) {
    // Out of memory for the menu, a copy or a re-run: nothing is done.
  }
}

void PictureBox::offerMenu(const QPoint& where) {
  // Each item's work is done once the menu has closed.
  QMenu menu(this);
  std::vector<std::pair<QAction*, std::function<void(bool)>>> items;
  const auto item = [&](const char* text, bool enabled, std::function<void(bool)> work) {
    QAction* action = menu.addAction(QString::fromUtf8(text));
    action->setEnabled(enabled);
    items.emplace_back(action, std::move(work));
    return action;
  };
  const bool haveRun = run_ != nullptr;
  const bool haveTrace = haveRun && !run_->trace.points().empty();
  item("グラフを PNG 形式で保存(&P)...", true,
       [this](bool) { saveAs(QStringLiteral("png"), false); });
  item("グラフを SVG 形式で保存(&S)...", true,
       [this](bool) { saveAs(QStringLiteral("svg"), false); });
  item("目盛りと条件付きで PNG 形式で保存(&N)...", haveRun,
       [this](bool) { saveAs(QStringLiteral("png"), true); });
  item("目盛りと条件付きで SVG 形式で保存(&V)...", haveRun,
       [this](bool) { saveAs(QStringLiteral("svg"), true); });
  menu.addSeparator();
  QAction* scales = item("目盛り(&M)", true, [this](bool on) { setScalesShown(on); });
  scales->setCheckable(true);
  scales->setChecked(scalesShown_);
  QAction* keep =
      item("前回の波形を残す(&K)", true, [this](bool on) { setKeepingEarlierRuns(on); });
  keep->setCheckable(true);
  keep->setChecked(keepEarlier_);
  item("残した波形を消去(&D)", !earlier_.empty(), [this](bool) { clearEarlierRuns(); });
  menu.addSeparator();
  item("全体表示(&F)", haveTrace && !fitted_, [this](bool) { fitToRun(); });
  item("設定の目盛りに戻す(&R)", fitted_.has_value(), [this](bool) { showFieldScales(); });
  menu.addSeparator();
  item("演算結果(&E)...", haveRun, [this](bool) { showReport(); });
  item("CSV 保存(&C)...", haveTrace, [this](bool) { saveTrace(); });
  menu.addSeparator();
  item("目標から設計(&G)...", true, [this](bool) { emit designRequested(); });
  const QAction* chosen = menu.exec(where);
  for (const auto& [action, work] : items)
    if (action == chosen) work(action->isChecked());
}

void PictureBox::setScalesShown(bool shown) {
  scalesShown_ = shown;
  update();
}

void PictureBox::setKeepingEarlierRuns(bool keep) {
  keepEarlier_ = keep;
  earlierRunsChanged();
  update();
}

void PictureBox::clearEarlierRuns() {
  earlier_.clear();
  earlierRunsChanged();
  update();
}

void PictureBox::fitToRun() {
  if (runActive_ || !run_ || run_->trace.points().empty() || run_->range == 0) return;
  // The time scale ends with the run, the speed scale a tenth above its peak.
  const double seconds = units::secondsOfTicks(run_->outcome.ticks);
  double peak = 0.0;
  for (const TracePoint& p : run_->trace.points())
    peak = std::max(peak, std::fabs(units::pulsesPerSecond(p.speedCounter, run_->range)));
  const std::optional<GraphScales> field = scalesOf(run_->recipe);
  const double pps = peak > 0.0 ? peak * kPeakMargin : field ? field->pulsesPerSecond : 1.0;
  const std::string timeText = shortestText(seconds), speedText = shortestText(pps);
  const auto scales = GraphScales::fromTexts(timeText, speedText);
  if (!scales) return;
  FittedView view{GraphPicture(), RunTrace(), *scales};
  replayRun(run_->recipe, timeText, speedText, view.picture, view.trace);
  fitted_ = std::move(view);
  earlierRunsChanged();
  hideCursor();
  update();
}

void PictureBox::showFieldScales() {
  fitted_.reset();
  earlierRunsChanged();
  hideCursor();
  update();
}

void PictureBox::saveAs(const QString& format, bool withContext) {
  const bool png = format == QLatin1String("png");
  const QString filter =
      png ? QStringLiteral("PNG 画像 (*.png)") : QStringLiteral("SVG 画像 (*.svg)");
  QString name = QFileDialog::getSaveFileName(this, QStringLiteral("グラフの保存"),
                                              QStringLiteral("graph.") + format, filter);
  if (name.isEmpty()) return;
  if (!name.endsWith(QLatin1Char('.') + format, Qt::CaseInsensitive))
    name += QLatin1Char('.') + format;
  const std::filesystem::path path = toPath(name);
  std::string error;
  if (!withContext || !run_) {
    error =
        png ? writeGraphPng(shownPicture(), path) : writeWholeFile(path, shownPicture().toSvg());
  } else {
    const QString caption = parameterCaption(*run_);
    error = png ? writePng(imageWithContext(shownPicture(), shownScales(), caption), path)
                : writeWholeFile(path, svgWithContext(shownPicture(), shownScales(), caption));
  }
  if (!error.empty())
    QMessageBox::warning(
        this, QStringLiteral("グラフの保存"),
        QStringLiteral("グラフを保存できませんでした。\n\n%1").arg(fromUtf8(error)));
}

void PictureBox::saveTrace() {
  if (!run_) return;
  QString name =
      QFileDialog::getSaveFileName(this, QStringLiteral("CSV 保存"), QStringLiteral("trace.csv"),
                                   QStringLiteral("CSV ファイル (*.csv)"));
  if (name.isEmpty()) return;
  if (!name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) name += QStringLiteral(".csv");
  const std::string error = writeTraceCsv(run_->trace, toPath(name));
  if (!error.empty()) {
    QMessageBox::warning(this, QStringLiteral("CSV 保存"),
                         QStringLiteral("CSV を保存できませんでした。\n\n%1").arg(fromUtf8(error)));
  } else if (!run_->trace.complete()) {
    QMessageBox::warning(this, QStringLiteral("CSV 保存"),
                         QStringLiteral("演算が長いため、最初の %1 点だけを保存しました。\n"
                                        "すべての点は tarvex-batch --trace で保存できます。")
                             .arg(run_->trace.points().size()));
  }
}

void PictureBox::showReport() {
  if (run_) showRunReport(this, *run_);
}

}  // namespace tarvex::window
