#include "PictureBox.h"

#include <cmath>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QToolTip>
#include <QWheelEvent>

#include "Conversions.h"
#include "GraphImage.h"
#include "GraphLayers.h"
#include "OutputFile.h"
#include "PointUnder.h"
#include "QtText.h"
#include "RunReplay.h"
#include "RunReport.h"
#include "TraceCsv.h"
#include "Units.h"
#include "WindowLanguage.h"
#include "WindowSettings.h"

namespace tarvex::window {
namespace {

// Earlier curves are drawn from a thinned copy of their trace.
constexpr std::size_t kEarlierCurvePoints = 20000;

// The fitted speed scale leaves a tenth above the peak.
constexpr double kPeakMargin = 1.1;

// A step of the wheel zooms by this much, a key by its square.
constexpr double kWheelZoom = 1.25;
// A view spans at least 100 ticks and 0.01 pps, at most a day and 10^12 pps.
constexpr double kShortestSpan = 100.0 / double(units::kTicksPerSecond);
constexpr double kLongestSpan = 86400.0;
constexpr double kLowestSpeedSpan = 0.01, kHighestSpeedSpan = 1e12;
// A drag shorter than this in either direction is a click.
constexpr double kSmallestBox = 4.0;

// An image of the screen's as pixels the picture inks.
GraphPicture::Canvas canvasOf(QImage& image) {
  return {reinterpret_cast<GraphPicture::Pixel*>(image.bits()), image.width(), image.height(),
          image.bytesPerLine() / std::ptrdiff_t(sizeof(GraphPicture::Pixel)),
          image.devicePixelRatio()};
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFixedSize(GraphPicture::kWidth, GraphPicture::kHeight);
  // The graph opens as it was last shown.
  scalesShown_ = WindowSettings::flag(Setting::ScalesShown);
  keepEarlier_ = WindowSettings::flag(Setting::EarlierRunsKept);
  gridShown_ = WindowSettings::flag(Setting::GridShown);
}

void PictureBox::clearGraph() {
  picture_.clearGraph();
  dropCanvas();
  ensureCanvas();
  update();
}

void PictureBox::setSpeedAxisCaption(std::string_view caption) {
  picture_.setSpeedAxisCaption(caption);
  emit speedAxisCaptionChanged(fromUtf8(caption));
}

void PictureBox::setTimeAxisCaption(std::string_view caption) {
  picture_.setTimeAxisCaption(caption);
  emit timeAxisCaptionChanged(fromUtf8(caption));
}

// The picture inks the canvas too. Only a drawing that changed the canvas
// asks for a paint (most points of a long run land on ink), or a point in
// the last column a pixel higher or lower than the one before (the overrun
// marker follows it); Qt gathers the requests into one paint at the
// window's pace.
void PictureBox::drawLine(float x1, float y1, float x2, float y2) {
  const std::uint64_t before = picture_.canvasChanges();
  picture_.drawLine(x1, y1, x2, y2);
  if (canvas_.isNull() || picture_.canvasChanges() != before) update();
}

void PictureBox::drawPoint(float x, float y) {
  const std::uint64_t before = picture_.canvasChanges();
  picture_.drawPoint(x, y);
  const int row = int(std::floor(pixelOfTwips(y)));
  const bool markerMoves = x >= float(SpeedGraph::kLastColumn) && row != lastPointRow_;
  lastPointRow_ = row;
  if (canvas_.isNull() || picture_.canvasChanges() != before || markerMoves) update();
}

QImage PictureBox::image() const {
  return graphImage(shownPicture());
}

void PictureBox::runStarting(std::shared_ptr<RecordedRun> run) {
  if (keepEarlier_ && run_ && !run_->trace.points().empty()) {
    auto kept = std::make_shared<RecordedRun>(*run_);
    kept->trace = thinned(run_->trace, kEarlierCurvePoints);
    // It keeps the colour it had while kept before, if no other took it.
    if (kept->colour < 0 || std::any_of(earlier_.begin(), earlier_.end(),
                                        [&](const auto& r) { return r->colour == kept->colour; }))
      kept->colour = freeColour(earlier_);
    earlier_.insert(earlier_.begin(), std::move(kept));
  }
  run_ = std::move(run);
  fitted_.reset();
  zoom_.reset();
  dragFrom_.reset();
  earlierRunsChanged();
  hideCursor();
  runActive_ = true;
  update();
}

void PictureBox::runEnded() {
  runActive_ = false;
  countSameRuns();
  if (earlier_.size() > kEarlierRuns) earlier_.resize(kEarlierRuns);
  earlierRunsChanged();
  update();
}

void PictureBox::countSameRuns() {
  if (!run_ || run_->trace.points().empty()) return;
  for (auto same = earlier_.begin(); same != earlier_.end(); ++same) {
    if (!sameRun((*same)->recipe, run_->recipe)) continue;
    run_->runs += (*same)->runs;
    run_->colour = (*same)->colour;
    earlier_.erase(same);
    return;
  }
}

std::optional<GraphScales> PictureBox::shownScales() const {
  if (zoom_) return zoom_->scales;
  if (fitted_) return fitted_->scales;
  if (!run_) return std::nullopt;
  return scalesOf(run_->recipe);
}

const RunTrace* PictureBox::shownTrace() const {
  // A zoomed view is drawn from the run's own trace.
  if (zoom_) return run_ ? &run_->trace : nullptr;
  if (fitted_) return &fitted_->trace;
  return run_ ? &run_->trace : nullptr;
}

std::vector<const RecordedRun*> PictureBox::shownEarlierRuns() const {
  std::vector<const RecordedRun*> runs;
  if (keepEarlier_)
    for (std::size_t n = 0; n < std::min(earlier_.size(), kEarlierRuns); ++n)
      runs.push_back(earlier_[n].get());
  return runs;
}

QImage PictureBox::canvasAt(double scale) const {
  const std::vector<const RecordedRun*> earlier = shownEarlierRuns();
  const std::optional<GraphScales> scales = shownScales();
  QImage canvas;
  if ((earlier.empty() && !gridShown_) || !scales || !run_) {
    canvas = QImage(int(std::ceil(GraphPicture::kWidth * scale)),
                    int(std::ceil(GraphPicture::kHeight * scale)), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(scale);
    canvas.fill(Qt::white);
  } else {
    canvas = earlierCurves(earlier, *scales, scale, gridShown_);
  }
  shownPicture().inkOnto(canvasOf(canvas));
  return canvas;
}

void PictureBox::ensureCanvas() {
  const double scale = devicePixelRatioF();
  if (!canvas_.isNull() && canvas_.devicePixelRatio() == scale) return;
  dropCanvas();
  canvas_ = canvasAt(scale);
  if (&shownPicture() == &picture_) picture_.inkAlsoOnto(canvasOf(canvas_));
}

void PictureBox::paintEvent(QPaintEvent*) {
  ensureCanvas();
  QPainter painter(this);
  paintGraph(painter, canvas_);
  if (cursorX_ >= 0) {
    // One pixel of the picture wide, in whole device pixels.
    const double scale = devicePixelRatioF();
    QPen line(QColor(0x30, 0x60, 0xd0), double(std::max(1L, std::lround(scale))), Qt::DotLine);
    line.setCosmetic(true);
    painter.setPen(line);
    const double x = scale == 1.0 ? cursorX_ : cursorX_ + 0.5;
    painter.drawLine(QPointF(x, 0), QPointF(x, height() - 1));
  }
  if (dragFrom_) {
    QPen box(QColor(0x30, 0x60, 0xd0), 1, Qt::DashLine);
    box.setCosmetic(true);
    painter.setPen(box);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(*dragFrom_, dragTo_).normalized());
  }
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

void PictureBox::paintGraph(QPainter& painter, const QImage& canvas) {
  const std::optional<GraphScales> scales = shownScales();
  painter.drawImage(QPointF(0, 0), canvas);
  if (run_ && scales && !shownEarlierRuns().empty())
    paintLegend(painter, shownLegend(), legendCorner(), clearance());
  if (const std::optional<double> y = overrunY()) paintOverrun(painter, *y);
  if (scalesShown_ && scales) paintScales(painter, *scales);
}

std::optional<double> PictureBox::overrunY() const {
  const std::optional<GraphScales> scales = shownScales();
  const RunTrace* trace = shownTrace();
  if (!run_ || !scales || !trace || !overrunsTimeAxis(*trace, *scales)) return std::nullopt;
  return lastColumnY(*run_, *scales);
}

LegendClearance PictureBox::clearance() const {
  const std::optional<GraphScales> scales = shownScales();
  return legendClearance(scalesShown_ && scales ? &*scales : nullptr, overrunY().has_value());
}

std::vector<LegendEntry> PictureBox::shownLegend() const {
  const std::vector<const RecordedRun*> earlier = shownEarlierRuns();
  if (earlier.empty() || !run_ || !shownScales()) return {};
  return legendEntries(earlier, *run_);
}

GraphPicture::LegendCorner PictureBox::legendCorner() {
  // Chosen once the curves are there, and kept while a run draws.
  if (!legendCorner_) {
    const std::optional<GraphScales> scales = shownScales();
    QImage covered = earlierCurves(shownEarlierRuns(), *scales);
    QPainter painter(&covered);
    paintInkOnly(painter, shownPicture());
    if (scalesShown_) paintScales(painter, *scales);
    painter.end();
    legendCorner_ = leastCoveringCorner(shownLegend(), covered, clearance());
  }
  return *legendCorner_;
}

QImage PictureBox::imageAsShown() {
  QImage image(GraphPicture::kWidth, GraphPicture::kHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  paintGraph(painter, canvasAt(1.0));
  return image;
}

std::string PictureBox::svgAsShown() {
  const std::vector<const RecordedRun*> earlier = shownEarlierRuns();
  const std::optional<GraphScales> scales = shownScales();
  GraphPicture picture = shownPicture();
  std::string underCurve = gridShown_ && scales && run_ ? gridSvg(*scales) : std::string();
  if (scales && !shownLegend().empty()) {
    for (std::size_t n = earlier.size(); n-- > 0;)
      underCurve += GraphPicture::curveSvg(curveInTwips(*earlier[n], *scales),
                                           earlierCurveColour(earlier[n]->colour).rgb());
    std::vector<GraphPicture::LegendLine> lines;
    for (const LegendEntry& entry : shownLegend())
      lines.push_back({entry.colour.rgb(), elidedLegendText(entry.text).toStdString()});
    // Clear of the speed scale's labels and of the overrun hint, as on
    // screen.
    picture.setLegend(std::move(lines), legendCorner(),
                      scalesShown_ ? clearance().left * GraphPicture::kTwipsPerPixel : 0.0,
                      overrunY() ? kOverrunHintSvgRoom : 0.0);
  }
  std::string additions;
  if (const std::optional<double> y = overrunY()) additions += overrunSvg(*y);
  if (scalesShown_ && scales) additions += scalesSvg(*scales);
  return picture.toSvg(additions, 0, underCurve);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_) {
    dragTo_ = event->position();
    update();
    return;
  }
  // Over the legend: its lines whole.
  if (const std::vector<LegendEntry> legend = shownLegend();
      !legend.empty() &&
      legendBox(legend, legendCorner(), clearance()).contains(event->position().toPoint())) {
    QStringList lines;
    for (const LegendEntry& e : legend) lines << e.text;
    hideCursor();
    QToolTip::showText(event->globalPosition().toPoint(), lines.join(QLatin1Char('\n')), this);
    return;
  }
  const RunTrace* trace = shownTrace();
  const std::optional<GraphScales> scales = shownScales();
  const TracePoint* point =
      trace && scales ? pointUnder(*trace, *scales, event->position()) : nullptr;
  if (point == nullptr) {
    hideCursor();
    return;
  }
  updateCursorColumn();
  cursorX_ = cursor::cursorColumn(*point, *trace, *scales);
  QToolTip::showText(event->globalPosition().toPoint(), pointReadout(*point, trace->range()), this);
  updateCursorColumn();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && zoomable()) {
    dragFrom_ = event->position();
    dragTo_ = event->position();
  }
  QWidget::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && dragFrom_) {
    const QRectF box = QRectF(*dragFrom_, event->position()).normalized();
    dragFrom_.reset();
    update();
    if (box.width() >= kSmallestBox && box.height() >= kSmallestBox) zoomInto(box);
  }
  QWidget::mouseReleaseEvent(event);
}

void PictureBox::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0.0 || !zoomable()) {
    event->ignore();
    return;
  }
  zoomBy(std::pow(kWheelZoom, steps), event->position(),
         event->modifiers().testFlag(Qt::ControlModifier));
  event->accept();
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
  const QPointF middle(pixelOfTwips(SpeedGraph::kLastColumn) / 2,
                       pixelOfTwips(SpeedGraph::kTimeAxisY) / 2);
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:  // + without Shift on many keyboards
      if (zoomable()) zoomBy(kWheelZoom * kWheelZoom, middle);
      return;
    case Qt::Key_Minus:
      if (zoomable()) zoomBy(1.0 / (kWheelZoom * kWheelZoom), middle);
      return;
    case Qt::Key_0:
      if (!runActive_) showFieldScales();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void PictureBox::zoomBy(double factor, QPointF around, bool timeOnly) {
  const std::optional<GraphScales> s = shownScales();
  if (!zoomable() || !s || !(factor > 0.0)) return;
  constexpr double kTicks = double(units::kTicksPerSecond);
  const double tx = s->ticksOfX(around.x() * GraphPicture::kTwipsPerPixel) / kTicks;
  const double vy = s->pulsesPerSecondOfY(around.y() * GraphPicture::kTwipsPerPixel);
  const double t0 = s->ticksOfX(0) / kTicks, t1 = s->ticksOfX(SpeedGraph::kLastColumn) / kTicks;
  const double v0 = s->pulsesPerSecondOfY(SpeedGraph::kZeroSpeedY);
  const double v1 = s->pulsesPerSecondOfY(SpeedGraph::kZeroSpeedY - 3948.0);
  const auto toward = [factor](double edge, double centre) {
    return centre + (edge - centre) / factor;
  };
  if (const auto view =
          GraphScales::view(toward(t0, tx), toward(t1, tx), timeOnly ? v0 : toward(v0, vy),
                            timeOnly ? v1 : toward(v1, vy)))
    showView(*view);
}

void PictureBox::zoomInto(const QRectF& pixels) {
  const std::optional<GraphScales> s = shownScales();
  if (!zoomable() || !s) return;
  constexpr double kTicks = double(units::kTicksPerSecond);
  const double twips = GraphPicture::kTwipsPerPixel;
  if (const auto view = GraphScales::view(s->ticksOfX(pixels.left() * twips) / kTicks,
                                          s->ticksOfX(pixels.right() * twips) / kTicks,
                                          s->pulsesPerSecondOfY(pixels.bottom() * twips),
                                          s->pulsesPerSecondOfY(pixels.top() * twips)))
    showView(*view);
}

void PictureBox::showView(const GraphScales& view) {
  // Not deeper or wider than the numbers can show.
  const double speedSpan = std::fabs(view.pulsesPerSecond);
  if (view.seconds < kShortestSpan || view.seconds > kLongestSpan || speedSpan < kLowestSpeedSpan ||
      speedSpan > kHighestSpeedSpan)
    return;
  zoom_ = ZoomView{zoomedPicture(picture_, run_->trace, view), view};
  earlierRunsChanged();
  hideCursor();
  update();
}

void PictureBox::leaveEvent(QEvent*) {
  hideCursor();
}

void PictureBox::hideCursor() {
  if (cursorX_ < 0) return;
  updateCursorColumn();
  cursorX_ = -1;
  QToolTip::hideText();
}

void PictureBox::updateCursorColumn() {
  // The dotted line is a pixel of the picture wide; a device pixel more on
  // each side for the screen's rounding.
  if (cursorX_ >= 0) update(QRect(cursorX_ - 1, 0, 3, height()));
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
       [this](bool) { saveAs(QStringLiteral("png"), Export::Plain); });
  item("グラフを SVG 形式で保存(&S)...", true,
       [this](bool) { saveAs(QStringLiteral("svg"), Export::Plain); });
  item("目盛りと条件付きで PNG 形式で保存(&N)...", haveRun,
       [this](bool) { saveAs(QStringLiteral("png"), Export::WithContext); });
  item("目盛りと条件付きで SVG 形式で保存(&V)...", haveRun,
       [this](bool) { saveAs(QStringLiteral("svg"), Export::WithContext); });
  // What is laid over the graph can be saved as it stands.
  if (!shownLegend().empty() || gridShown_ || scalesShown_ || overrunY()) {
    item("表示どおりに PNG 形式で保存(&W)...", true,
         [this](bool) { saveAs(QStringLiteral("png"), Export::AsShown); });
    item("表示どおりに SVG 形式で保存(&H)...", true,
         [this](bool) { saveAs(QStringLiteral("svg"), Export::AsShown); });
  }
  menu.addSeparator();
  QAction* scales = item("目盛り(&M)", true, [this](bool on) { setScalesShown(on); });
  scales->setCheckable(true);
  scales->setChecked(scalesShown_);
  QAction* keep =
      item("前回の波形を残す(&K)", true, [this](bool on) { setKeepingEarlierRuns(on); });
  keep->setCheckable(true);
  keep->setChecked(keepEarlier_);
  item("残した波形を消去(&D)", !earlier_.empty(), [this](bool) { clearEarlierRuns(); });
  QAction* grid = item("グリッド(&L)", true, [this](bool on) { setGridShown(on); });
  grid->setCheckable(true);
  grid->setChecked(gridShown_);
  menu.addSeparator();
  // The keys are shown beside the items they also do.
  const QPointF middle(pixelOfTwips(SpeedGraph::kLastColumn) / 2,
                       pixelOfTwips(SpeedGraph::kTimeAxisY) / 2);
  item("拡大(&I)\t+", haveTrace && zoomable(),
       [this, middle](bool) { zoomBy(kWheelZoom * kWheelZoom, middle); });
  item("縮小(&O)\t-", haveTrace && zoomable(),
       [this, middle](bool) { zoomBy(1.0 / (kWheelZoom * kWheelZoom), middle); });
  item("全体表示(&F)", haveTrace && (!fitted_ || zoom_), [this](bool) { fitToRun(); });
  item("設定の目盛りに戻す(&R)\t0", fitted_.has_value() || zoom_.has_value(),
       [this](bool) { showFieldScales(); });
  menu.addSeparator();
  item("演算結果(&E)...", haveRun, [this](bool) { showReport(); });
  item("CSV 保存(&C)...", haveTrace, [this](bool) { saveTrace(); });
  menu.addSeparator();
  item("目標から設計(&G)...\tCtrl+D", true, [this](bool) { emit designRequested(); });
  item("表示の設定を既定に戻す(&T)", true, [this](bool) { restoreDefaultSettings(); });
  const QAction* chosen = menu.exec(where);
  for (const auto& [action, work] : items)
    if (action == chosen) work(action->isChecked());
}

void PictureBox::setScalesShown(bool shown) {
  scalesShown_ = shown;
  WindowSettings::setValue(Setting::ScalesShown, shown);
  legendCorner_.reset();
  update();
}

void PictureBox::setKeepingEarlierRuns(bool keep) {
  keepEarlier_ = keep;
  WindowSettings::setValue(Setting::EarlierRunsKept, keep);
  earlierRunsChanged();
  update();
}

void PictureBox::setGridShown(bool shown) {
  gridShown_ = shown;
  WindowSettings::setValue(Setting::GridShown, shown);
  earlierRunsChanged();
  update();
}

void PictureBox::restoreDefaultSettings() {
  WindowSettings::restoreDefaults();
  scalesShown_ = WindowSettings::flag(Setting::ScalesShown);
  keepEarlier_ = WindowSettings::flag(Setting::EarlierRunsKept);
  gridShown_ = WindowSettings::flag(Setting::GridShown);
  earlierRunsChanged();
  update();
}

void PictureBox::clearEarlierRuns() {
  earlier_.clear();
  earlierRunsChanged();
  update();
}

void PictureBox::fitToRun() {
  if (runActive_ || !run_ || run_->trace.points().empty() || run_->result.range == 0) return;
  // The time scale ends with the longest shown run, the speed scale a tenth
  // above the highest peak.
  std::vector<const RecordedRun*> shown = shownEarlierRuns();
  shown.push_back(run_.get());
  double seconds = 0.0, peak = 0.0;
  for (const RecordedRun* run : shown) {
    seconds = std::max(seconds, units::secondsOfTicks(run->result.outcome.ticks));
    if (run->result.range != 0)
      for (const TracePoint& p : run->trace.points())
        peak = std::max(peak, std::fabs(units::pulsesPerSecond(p.speedCounter, run->result.range)));
  }
  const std::optional<GraphScales> field = scalesOf(run_->recipe);
  const double pps = peak > 0.0 ? peak * kPeakMargin : field ? field->pulsesPerSecond : 1.0;
  const std::string timeText = shortestText(seconds), speedText = shortestText(pps);
  const auto scales = GraphScales::fromTexts(timeText, speedText);
  if (!scales) return;
  FittedView view{GraphPicture(), RunTrace(), *scales};
  replayRun(run_->recipe, timeText, speedText, view.picture, view.trace);
  fitted_ = std::move(view);
  zoom_.reset();
  earlierRunsChanged();
  hideCursor();
  update();
}

void PictureBox::showFieldScales() {
  fitted_.reset();
  zoom_.reset();
  earlierRunsChanged();
  hideCursor();
  update();
}

void PictureBox::saveAs(const QString& format, Export what) {
  const bool png = format == QLatin1String("png");
  const QString filter =
      png ? QStringLiteral("PNG 画像 (*.png)") : QStringLiteral("SVG 画像 (*.svg)");
  QString name = askFileToSave(this, QStringLiteral("グラフの保存"),
                               QStringLiteral("graph.") + format, filter);
  if (name.isEmpty()) return;
  if (!name.endsWith(QLatin1Char('.') + format, Qt::CaseInsensitive))
    name += QLatin1Char('.') + format;
  const std::filesystem::path path = toPath(name);
  std::string error;
  if (what == Export::AsShown) {
    error = png ? writePng(imageAsShown(), path) : writeWholeFile(path, svgAsShown());
  } else if (what == Export::Plain || !run_) {
    error =
        png ? writeGraphPng(shownPicture(), path) : writeWholeFile(path, shownPicture().toSvg());
  } else {
    const QStringList caption = parameterCaption(*run_);
    const ContextLayers layers{gridShown_, overrunY()};
    error =
        png ? writePng(imageWithContext(shownPicture(), shownScales(), caption, layers), path)
            : writeWholeFile(path, svgWithContext(shownPicture(), shownScales(), caption, layers));
  }
  if (!error.empty())
    QMessageBox::warning(
        this, QStringLiteral("グラフの保存"),
        QStringLiteral("グラフを保存できませんでした。\n\n%1").arg(whyNotSaved(name)));
}

void PictureBox::saveTrace() {
  if (!run_) return;
  QString name = askFileToSave(this, QStringLiteral("CSV 保存"), QStringLiteral("trace.csv"),
                               QStringLiteral("CSV ファイル (*.csv)"));
  if (name.isEmpty()) return;
  if (!name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) name += QStringLiteral(".csv");
  const std::string error = writeTraceCsv(run_->trace, toPath(name));
  if (!error.empty()) {
    QMessageBox::warning(
        this, QStringLiteral("CSV 保存"),
        QStringLiteral("CSV を保存できませんでした。\n\n%1").arg(whyNotSaved(name)));
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
