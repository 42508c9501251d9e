#include "GraphLayers.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QLineF>
#include <QPainter>
#include <QPolygonF>

#include "Controls.h"
#include "Conversions.h"
#include "EarlierRuns.h"
#include "PhysicalMeaning.h"
#include "PointUnder.h"
#include "QtText.h"
#include "TraceCsv.h"
#include "TraceCurve.h"
#include "Units.h"
#include "WindowFonts.h"

namespace tarvex::window {
namespace {

constexpr double kMarkPixels = 4.0;

// A legend line's text is cut short past this width, the whole of it in the
// legend's tooltip.
constexpr int kLegendTextPixels = 380;

// Half-width character cells of a caption line (6 pixels each in the 12-pixel
// gothic), so that a line ends within the canvas.
constexpr int kCaptionCells = 110;

QFont smallFont() {
  QFont font = standardFont();
  font.setPixelSize(10);
  return font;
}

QString optionWord(RunOption option, std::int16_t value) {
  return fromUtf8(optionCaption(option, value));
}

// The caption beside a field, without its colon.
QString captionOf(Parameter p) {
  QString caption = fromUtf8(fieldOf(p).caption);
  if (caption.endsWith(QStringLiteral("："))) caption.chop(1);
  return caption;
}

// Half-width cells of a text: two for every character outside ASCII.
int cellsOf(const QString& text) {
  int cells = 0;
  for (const QChar c : text) cells += c.unicode() < 0x80 ? 1 : 2;
  return cells;
}

QImage inkImage(const GraphPicture::Pixel* pixels, int width, int height) {
  QImage ink(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(ink.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const GraphPicture::Pixel p = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
      line[x] = p == GraphPicture::kGround ? 0u : p;
    }
  }
  return ink;
}

QString optionWords(const RunRecipe& r) {
  return optionWord(RunOption::SCurve, r.sCurve) + QStringLiteral("、") +
         optionWord(RunOption::AutomaticDeceleration, r.startOptions.automatic) +
         QStringLiteral("、") + optionWord(RunOption::Symmetric, r.startOptions.symmetric);
}

}  // namespace

std::optional<GraphScales> scalesOf(const RunRecipe& recipe) {
  return GraphScales::fromTexts(recipe.params[Parameter::TimeDisplayMax],
                                recipe.params[Parameter::SpeedDisplayMax]);
}

void paintScales(QPainter& painter, const GraphScales& scales) {
  painter.save();
  painter.setFont(smallFont());
  painter.setPen(Qt::black);
  const double axis = pixelOfTwips(SpeedGraph::kTimeAxisY);
  const QFontMetrics metrics(painter.font());
  // A label lies on a white ground of its own: a curve under it never hides
  // it.
  const auto labelOnGround = [&](QPointF baseline, const QString& label) {
    if (label.isEmpty()) return;
    painter.fillRect(QRectF(baseline.x() - 1, baseline.y() - metrics.ascent(),
                            metrics.horizontalAdvance(label) + 2, metrics.height()),
                     Qt::white);
    painter.drawText(baseline, label);
  };
  for (const AxisTick& t : timeTicks(scales)) {
    const double x = pixelOfTwips(t.twips);
    painter.drawLine(QPointF(x, axis), QPointF(x, axis - kMarkPixels));
    const QString label = fromUtf8(t.label);
    const double left =
        std::min(x + 2, GraphPicture::kWidth - 2.0 - metrics.horizontalAdvance(label));
    labelOnGround(QPointF(left, axis - kMarkPixels - 2), label);
  }
  for (const AxisTick& t : speedTicks(scales)) {
    const double y = pixelOfTwips(t.twips);
    painter.drawLine(QPointF(0, y), QPointF(kMarkPixels, y));
    // Just under its mark, clear of a curve running level with it.
    labelOnGround(QPointF(kMarkPixels + 3, y + metrics.ascent() + 1), fromUtf8(t.label));
  }
  painter.restore();
}

void paintGrid(QPainter& painter, const GraphScales& scales) {
  painter.save();
  QPen pen{QColor::fromRgb(kGridInk)};
  pen.setCosmetic(true);
  painter.setPen(pen);
  const double axis = pixelOfTwips(SpeedGraph::kTimeAxisY);
  const double end = pixelOfTwips(SpeedGraph::kLastColumn);
  // On the pixels the picture inks at these twips.
  for (const AxisTick& t : timeTicks(scales))
    if (t.twips > 0.0) {
      const double x = std::floor(pixelOfTwips(t.twips)) + 0.5;
      painter.drawLine(QPointF(x, 0.5), QPointF(x, axis - 0.5));
    }
  for (const AxisTick& t : speedTicks(scales))
    if (t.twips < SpeedGraph::kTimeAxisY - 1) {
      const double y = std::floor(pixelOfTwips(t.twips)) + 0.5;
      painter.drawLine(QPointF(1.5, y), QPointF(end + 0.5, y));
    }
  painter.restore();
}

bool overrunsTimeAxis(const RunTrace& trace, const GraphScales& scales) {
  // The k-th plotted point lies in column k: more points than columns pile
  // up in the last one.
  return !scales.zoomed() && trace.points().size() > std::size_t(SpeedGraph::kLastColumn) + 1;
}

QString overrunHint() {
  return QStringLiteral("時間軸を超えています（全体表示で全体を表示）");
}

namespace {
// The marker: a filled triangle pointing right on the right edge at the
// height of the curve's last column, and the hint on a white ground above
// the time axis at the right.
constexpr QRgb kOverrunInk = 0xffc03020;
constexpr double kMarkerHalf = 5.0;
}  // namespace

void paintOverrun(QPainter& painter, double markerY) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const double right = GraphPicture::kWidth - 1.0;
  const double y = std::clamp(markerY, kMarkerHalf + 1, pixelOfTwips(SpeedGraph::kTimeAxisY) - 1);
  QPolygonF triangle;
  triangle << QPointF(right - 8, y - kMarkerHalf) << QPointF(right, y)
           << QPointF(right - 8, y + kMarkerHalf);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgb(kOverrunInk));
  painter.drawPolygon(triangle);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setFont(smallFont());
  const QRectF box = overrunHintBox();
  painter.fillRect(box, Qt::white);
  painter.setPen(QColor::fromRgb(kOverrunInk));
  painter.drawText(box, Qt::AlignCenter, overrunHint());
  painter.restore();
}

QRectF overrunHintBox() {
  const QFontMetrics metrics(smallFont());
  const double width = metrics.horizontalAdvance(overrunHint()) + 4;
  const double right = GraphPicture::kWidth - 1.0 - 12;
  return QRectF(right - width, pixelOfTwips(SpeedGraph::kTimeAxisY) - 20 - metrics.height(), width,
                metrics.height());
}

std::string overrunSvg(double markerY) {
  const double right = GraphPicture::kWidth * GraphPicture::kTwipsPerPixel - 15;
  const double y =
      std::clamp(markerY * GraphPicture::kTwipsPerPixel, 90.0, double(SpeedGraph::kTimeAxisY) - 15);
  const auto n = [](double v) { return QString::number(v, 'f', 0).toStdString(); };
  return "<g id=\"overrun\" fill=\"#c03020\">\n<path d=\"M" + n(right - 120) + " " + n(y - 75) +
         "L" + n(right) + " " + n(y) + "L" + n(right - 120) + " " + n(y + 75) +
         "Z\"/>\n<text x=\"" + n(right - 180) + "\" y=\"" + n(SpeedGraph::kTimeAxisY - 330) +
         "\" text-anchor=\"end\" font-family=\"'ＭＳ ゴシック', 'MS Gothic', 'IPAGothic', "
         "monospace\" font-size=\"150\" stroke=\"#ffffff\" stroke-width=\"45\" "
         "paint-order=\"stroke\">" +
         escapedXml(overrunHint().toStdString()) + "</text>\n</g>\n";
}

double lastColumnY(const RecordedRun& run, const GraphScales& scales) {
  if (run.trace.points().empty() || run.result.range == 0) return 0.0;
  // Where the curve reaches the last column, before its pile there.
  const auto& points = run.trace.points();
  const TracePoint& last =
      points[std::min(points.size() - 1, std::size_t(SpeedGraph::kLastColumn))];
  return pixelOfTwips(std::max(
      scales.yOfPulsesPerSecond(units::pulsesPerSecond(last.speedCounter, run.result.range)), 0.0));
}

void paintInkOnly(QPainter& painter, const GraphPicture& picture, double scale) {
  if (scale == 1.0) {
    painter.drawImage(0, 0,
                      inkImage(picture.pixels(), GraphPicture::kWidth, GraphPicture::kHeight));
    return;
  }
  const GraphPicture::Raster raster = picture.rasterAt(scale);
  QImage ink = inkImage(raster.pixels.data(), raster.width, raster.height);
  ink.setDevicePixelRatio(scale);
  painter.drawImage(QPointF(0, 0), ink);
}

QColor earlierCurveColour(int colour) {
  return QColor::fromRgb(
      QRgb(earlier::kColours[std::size_t(std::max(colour, 0)) % earlier::kColours.size()]));
}

int freeColour(const std::vector<std::shared_ptr<const RecordedRun>>& runs) {
  std::vector<int> taken;
  for (const auto& run : runs) taken.push_back(run->colour);
  return earlier::freeColour(taken);
}

std::vector<GraphPicture::TwipPoint> curveInTwips(const RecordedRun& run,
                                                  const GraphScales& scales) {
  return curve::curveInTwips(run.trace, run.result.range, scales);
}

QImage earlierCurves(const std::vector<const RecordedRun*>& earlier, const GraphScales& scales,
                     double scale, bool grid) {
  QImage layer(int(std::ceil(GraphPicture::kWidth * scale)),
               int(std::ceil(GraphPicture::kHeight * scale)), QImage::Format_RGB32);
  layer.setDevicePixelRatio(scale);
  layer.fill(Qt::white);
  QPainter painter(&layer);
  if (grid) paintGrid(painter, scales);
  // A zoomed view cuts the curves at the plot area's edges.
  if (scales.zoomed())
    painter.setClipRect(QRectF(0, 0, pixelOfTwips(SpeedGraph::kLastColumn) + 1,
                               pixelOfTwips(SpeedGraph::kTimeAxisY)));
  // The oldest first, so that the most recent lies on top.
  for (std::size_t n = earlier.size(); n-- > 0;) {
    QPolygonF curve;
    for (const GraphPicture::TwipPoint& p : curveInTwips(*earlier[n], scales))
      curve << QPointF(pixelOfTwips(p.x) + 0.5, pixelOfTwips(p.y) + 0.5);
    // One pixel of the picture wide, in whole device pixels.
    QPen pen(earlierCurveColour(earlier[n]->colour), double(std::max(1L, std::lround(scale))));
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawPolyline(curve);
  }
  return layer;
}

bool sameRun(const RunRecipe& a, const RunRecipe& b) {
  const auto sameChange = [](const LiveOptionChange& x, const LiveOptionChange& y) {
    return x.tick == y.tick && x.values == y.values;
  };
  return a.params.texts == b.params.texts && a.sCurve == b.sCurve &&
         a.startOptions == b.startOptions && a.stopTick == b.stopTick &&
         std::equal(a.changes.begin(), a.changes.end(), b.changes.begin(), b.changes.end(),
                    sameChange);
}

namespace {

// What the legend reads of a run the window recorded.
earlier::LegendRun legendRun(const RecordedRun& run) {
  return {run.typed, run.recipe.sCurve, run.recipe.startOptions.automatic,
          run.recipe.startOptions.symmetric, run.runs};
}

}  // namespace

QString differences(const RecordedRun& earlier, const RecordedRun& current) {
  return fromUtf8(earlier::differences(legendRun(earlier), legendRun(current)));
}

std::vector<LegendEntry> legendEntries(const std::vector<const RecordedRun*>& earlier,
                                       const RecordedRun& current) {
  std::vector<earlier::LegendRun> runs;
  runs.reserve(earlier.size());
  std::vector<const earlier::LegendRun*> shown;
  for (const RecordedRun* run : earlier) runs.push_back(legendRun(*run));
  for (const earlier::LegendRun& run : runs) shown.push_back(&run);
  const bool currentShown = !current.trace.points().empty();
  const std::vector<std::string> texts =
      earlier::legendTexts(shown, legendRun(current), currentShown);
  std::vector<LegendEntry> entries;
  std::size_t line = 0;
  if (currentShown) entries.push_back({Qt::black, fromUtf8(texts[line++])});
  for (const RecordedRun* run : earlier)
    entries.push_back({earlierCurveColour(run->colour), fromUtf8(texts[line++])});
  return entries;
}

QString elidedLegendText(const QString& text) {
  return QFontMetrics(smallFont()).elidedText(text, Qt::ElideRight, kLegendTextPixels);
}

LegendClearance legendClearance(const GraphScales* scalesShown, bool overrunHintShown) {
  LegendClearance clear;
  const int axis = int(pixelOfTwips(SpeedGraph::kTimeAxisY));
  if (scalesShown) {
    // The speed labels start 3 pixels right of their marks, each on a
    // ground a pixel wider on either side; the time labels end 6 pixels
    // above the axis, and reach up a line.
    const QFontMetrics metrics(smallFont());
    int widest = 0;
    for (const AxisTick& t : speedTicks(*scalesShown))
      widest = std::max(widest, metrics.horizontalAdvance(fromUtf8(t.label)));
    clear.left = std::max(kSpeedLabelRoom, int(kMarkPixels) + 3 + widest + 1 + 4);
    clear.above = 22;
  }
  // A legend at the bottom lies above the hint, 3 pixels clear of it.
  if (overrunHintShown)
    clear.above = std::max(clear.above, axis - int(std::floor(overrunHintBox().top())) + 3);
  return clear;
}

QRect legendBox(const std::vector<LegendEntry>& entries, GraphPicture::LegendCorner corner,
                const LegendClearance& clear) {
  const QFontMetrics metrics(smallFont());
  int width = 0;
  for (const LegendEntry& e : entries)
    width = std::max(width, metrics.horizontalAdvance(elidedLegendText(e.text)));
  const int boxWidth = width + 30, boxHeight = metrics.height() * int(entries.size()) + 6;
  const int axis = int(pixelOfTwips(SpeedGraph::kTimeAxisY));
  using C = GraphPicture::LegendCorner;
  const bool right = corner == C::TopRight || corner == C::BottomRight;
  const bool top = corner == C::TopRight || corner == C::TopLeft;
  return QRect(right ? GraphPicture::kWidth - width - 34 : clear.left,
               top ? 3 : axis - boxHeight - clear.above, boxWidth, boxHeight);
}

GraphPicture::LegendCorner leastCoveringCorner(const std::vector<LegendEntry>& entries,
                                               const QImage& shown, const LegendClearance& clear) {
  using C = GraphPicture::LegendCorner;
  C best = C::TopRight;
  long fewest = -1;
  for (const C corner : {C::TopRight, C::TopLeft, C::BottomRight, C::BottomLeft}) {
    const QRect box = legendBox(entries, corner, clear) & shown.rect();
    long covered = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x)
        covered += (shown.pixel(x, y) & 0xffffffu) != 0xffffffu;
    if (fewest < 0 || covered < fewest) best = corner, fewest = covered;
  }
  return best;
}

void paintLegend(QPainter& painter, const std::vector<LegendEntry>& entries,
                 GraphPicture::LegendCorner corner, const LegendClearance& clear) {
  if (entries.empty()) return;
  painter.save();
  painter.setFont(smallFont());
  const QFontMetrics metrics(painter.font());
  const QRect box = legendBox(entries, corner, clear);
  const int rowHeight = metrics.height();
  painter.fillRect(box, Qt::white);
  painter.setPen(QColor(0xc0, 0xc0, 0xc0));
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int y = box.top() + 3 + int(i) * rowHeight + rowHeight / 2;
    painter.setPen(QPen(entries[i].colour, 2));
    painter.drawLine(box.left() + 5, y, box.left() + 22, y);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(box.left() + 26, y + metrics.ascent() / 2 - 1),
                     elidedLegendText(entries[i].text));
  }
  painter.restore();
}

RunTrace thinned(const RunTrace& trace, std::size_t maxPoints) {
  const auto& points = trace.points();
  if (points.size() <= maxPoints) return trace;
  RunTrace kept;
  const std::size_t stretch = (points.size() + maxPoints / 2 - 1) / (maxPoints / 2);
  for (std::size_t begin = 0; begin < points.size(); begin += stretch) {
    const auto first = points.begin() + std::ptrdiff_t(begin);
    const auto last = points.begin() + std::ptrdiff_t(std::min(points.size(), begin + stretch));
    const auto [low, high] = std::minmax_element(
        first, last,
        [](const TracePoint& a, const TracePoint& b) { return a.speedCounter < b.speedCounter; });
    kept.add(*std::min(low, high), trace.range());
    if (low != high) kept.add(*std::max(low, high), trace.range());
  }
  return kept;
}

namespace {

// The part of a line inside the plot area, from the speed axis to the time
// axis's end and from the top to the time axis (Liang-Barsky).
std::optional<QLineF> insidePlotArea(double x1, double y1, double x2, double y2) {
  double enter = 0.0, leave = 1.0;
  const double dx = x2 - x1, dy = y2 - y1;
  const double edges[4][2] = {
      {-dx, x1}, {dx, SpeedGraph::kLastColumn - x1}, {-dy, y1}, {dy, SpeedGraph::kTimeAxisY - y1}};
  for (const auto& [p, q] : edges) {
    if (p == 0.0) {
      if (q < 0.0) return std::nullopt;
      continue;
    }
    const double t = q / p;
    if (p < 0.0)
      enter = std::max(enter, t);
    else
      leave = std::min(leave, t);
    if (enter > leave) return std::nullopt;
  }
  return QLineF(x1 + enter * dx, y1 + enter * dy, x1 + leave * dx, y1 + leave * dy);
}

}  // namespace

GraphPicture zoomedPicture(const GraphPicture& run, const RunTrace& trace,
                           const GraphScales& view) {
  GraphPicture picture;
  picture.addFrameOf(run);
  if (trace.range() == 0 || trace.points().empty()) return picture;
  constexpr double kTwips = GraphPicture::kTwipsPerPixel;
  double lastX = 0, lastY = 0;
  long lastColumn = 0, lastRow = 0;
  bool started = false;
  for (const TracePoint& p : trace.points()) {
    const double x = view.xOfTicks(p.tick);
    const double y = view.yOfPulsesPerSecond(units::pulsesPerSecond(p.speedCounter, trace.range()));
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    const long column = std::lround(std::clamp(x / kTwips, -1e9, 1e9));
    const long row = std::lround(std::clamp(y / kTwips, -1e9, 1e9));
    if (!started) {
      started = true;
      picture.drawPoint(float(x), float(y));
    } else if (column != lastColumn || row != lastRow) {
      // A line from the last point that moved the pen by a pixel, drawn
      // only where it may cross the picture.
      if (const auto part = insidePlotArea(lastX, lastY, x, y))
        picture.drawLine(float(part->x1()), float(part->y1()), float(part->x2()),
                         float(part->y2()));
    } else {
      continue;
    }
    lastX = x, lastY = y, lastColumn = column, lastRow = row;
  }
  return picture;
}

const TracePoint* pointUnder(const RunTrace& trace, const GraphScales& scales, QPointF pixel) {
  return cursor::pointUnder(trace, scales, pixel.x(), pixel.y());
}

QString pointReadout(const TracePoint& p, std::int32_t range) {
  return fromUtf8(cursor::pointReadout(p, range));
}

QStringList parameterCaption(const RecordedRun& run) {
  QStringList items;
  for (const ParameterField& field : kParameterFields)
    items << captionOf(field.parameter) + QLatin1Char(' ') + fromUtf8(run.typed[field.parameter]);
  items << optionWords(run.recipe);
  // Whole items to a line, as many as fit.
  QStringList lines;
  const QString gap = QStringLiteral("  ");
  for (const QString& item : items) {
    if (!lines.isEmpty() && cellsOf(lines.back() + gap + item) <= kCaptionCells)
      lines.back() += gap + item;
    else
      lines << item;
  }
  return lines;
}

QImage imageWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                        const QStringList& caption, const ContextLayers& layers) {
  using namespace graph;
  const int bottom = canvasBottomWithCaption(int(caption.size()));
  const auto pixels = [](int twips) {
    return (twips + GraphPicture::kTwipsPerPixel - 1) / GraphPicture::kTwipsPerPixel;
  };
  QImage image(pixels(kCanvasRight - kCanvasLeft), pixels(bottom - kCanvasTop),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.translate(-pixelOfTwips(kCanvasLeft), -pixelOfTwips(kCanvasTop));
  if (layers.grid && scales) paintGrid(painter, *scales);
  paintInkOnly(painter, picture);
  if (layers.overrunY) paintOverrun(painter, *layers.overrunY);
  if (scales) paintScales(painter, *scales);
  painter.setFont(m9Font());
  painter.setPen(Qt::black);
  const auto text = [&](int x, int y, const QString& line) {
    painter.drawText(QPointF(pixelOfTwips(x), pixelOfTwips(y)), line);
  };
  // Where the window and the SVG put them; the speed caption with its top
  // at the canvas's top, so that it shows whole.
  painter.drawText(QRectF(pixelOfTwips(kCanvasLeft), pixelOfTwips(kCanvasTop), 200, 20),
                   Qt::AlignLeft | Qt::AlignTop, fromUtf8(picture.speedAxisCaption()));
  text(kTimeCaptionX, kTimeCaptionY, fromUtf8(picture.timeAxisCaption()));
  for (int i = 0; i < caption.size(); ++i)
    text(0, kPictureHeightTwips + kCaptionBelow + kCaptionLineTwips * i, caption[i]);
  return image;
}

std::string svgWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                           const QStringList& caption, const ContextLayers& layers) {
  std::string additions = layers.overrunY ? overrunSvg(*layers.overrunY) : std::string();
  if (scales) additions += scalesSvg(*scales);
  for (int i = 0; i < caption.size(); ++i)
    additions +=
        captionSvg(caption[i].toStdString(), graph::kCaptionBelow + graph::kCaptionLineTwips * i);
  return picture.toSvg(additions,
                       graph::canvasBottomWithCaption(int(caption.size())) - graph::kCanvasBottom,
                       layers.grid && scales ? gridSvg(*scales) : std::string());
}

}  // namespace tarvex::window
