#include "GraphLayers.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include "Controls.h"
#include "QtText.h"
#include "TraceCsv.h"
#include "Units.h"
#include "WindowFonts.h"

namespace tarvex::window {
namespace {

constexpr double kMarkPixels = 4.0;

// The canvas of the exports with context, in twips from the picture's
// top-left corner: room for the speed caption to the left and above, the
// time caption to the right and below, and the caption lines under it.
constexpr int kCanvasLeft = -480, kCanvasTop = -120, kCanvasRight = 10572, kCanvasBottom = 4332;
constexpr int kCaptionBelow = 420;      // the first caption line's baseline under the picture
constexpr int kCaptionLineTwips = 210;  // 14 pixels from line to line
constexpr int kCaptionRoomTwips = 360;  // under the picture for one caption line
// Half-width character cells of a caption line (6 pixels each in the 12-pixel
// gothic), so that a line ends within the canvas.
constexpr int kCaptionCells = 110;

QFont smallFont() {
  QFont font = standardFont();
  font.setPixelSize(10);
  return font;
}

QString onOff(std::int16_t value, const char* on, const char* off) {
  return QString::fromUtf8(value == kChecked ? on : off);
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
  return onOff(r.sCurve, "Ｓ字加減速", "直線加減速") + QStringLiteral("、") +
         onOff(r.startOptions.automatic, "自動減速", "マニュアル減速") + QStringLiteral("、") +
         onOff(r.startOptions.symmetric, "対称", "非対称");
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
  for (const AxisTick& t : timeTicks(scales)) {
    const double x = pixelOfTwips(t.twips);
    painter.drawLine(QPointF(x, axis), QPointF(x, axis - kMarkPixels));
    const QString label = fromUtf8(t.label);
    const double left =
        std::min(x + 2, GraphPicture::kWidth - 2.0 - metrics.horizontalAdvance(label));
    painter.drawText(QPointF(left, axis - kMarkPixels - 2), label);
  }
  for (const AxisTick& t : speedTicks(scales)) {
    const double y = pixelOfTwips(t.twips);
    painter.drawLine(QPointF(0, y), QPointF(kMarkPixels, y));
    // Just under its mark, clear of a curve running level with it.
    painter.drawText(QPointF(kMarkPixels + 3, y + metrics.ascent() + 1), fromUtf8(t.label));
  }
  painter.restore();
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
  static const QColor colours[kEarlierColours] = {
      QColor(0xf4, 0xa5, 0x82), QColor(0x92, 0xc5, 0xde), QColor(0x9c, 0xd0, 0x6a),
      QColor(0xc2, 0xa5, 0xcf), QColor(0xe6, 0xc8, 0x5a), QColor(0xe7, 0x9c, 0xc3)};
  return colours[std::size_t(std::max(colour, 0)) % kEarlierColours];
}

int freeColour(const std::vector<std::shared_ptr<const RecordedRun>>& runs) {
  for (int colour = 0; colour < int(kEarlierColours); ++colour)
    if (std::none_of(runs.begin(), runs.end(), [&](const auto& r) { return r->colour == colour; }))
      return colour;
  return 0;
}

std::vector<GraphPicture::TwipPoint> curveInTwips(const RecordedRun& run,
                                                  const GraphScales& scales) {
  std::vector<GraphPicture::TwipPoint> points;
  if (run.range == 0) return points;
  points.reserve(run.trace.points().size());
  for (const TracePoint& p : run.trace.points())
    points.push_back(
        {std::min(scales.xOfTicks(p.tick), double(SpeedGraph::kLastColumn)),
         std::max(scales.yOfPulsesPerSecond(units::pulsesPerSecond(p.speedCounter, run.range)), 0.0)});
  return points;
}

QImage earlierCurves(const std::vector<const RecordedRun*>& earlier, const GraphScales& scales,
                     double scale) {
  QImage layer(int(std::ceil(GraphPicture::kWidth * scale)),
               int(std::ceil(GraphPicture::kHeight * scale)), QImage::Format_RGB32);
  layer.setDevicePixelRatio(scale);
  layer.fill(Qt::white);
  QPainter painter(&layer);
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

QString differences(const RecordedRun& earlier, const RecordedRun& current) {
  QStringList words;
  for (const ParameterField& field : kParameterFields) {
    const std::string& then = earlier.typed[field.parameter];
    if (then != current.typed[field.parameter])
      words << captionOf(field.parameter) + QLatin1Char(' ') + fromUtf8(then);
  }
  const RunRecipe& a = earlier.recipe;
  const RunRecipe& b = current.recipe;
  if ((a.sCurve == kChecked) != (b.sCurve == kChecked))
    words << onOff(a.sCurve, "Ｓ字加減速", "直線加減速");
  if ((a.startOptions.automatic == kChecked) != (b.startOptions.automatic == kChecked))
    words << onOff(a.startOptions.automatic, "自動減速", "マニュアル減速");
  if ((a.startOptions.symmetric == kChecked) != (b.startOptions.symmetric == kChecked))
    words << onOff(a.startOptions.symmetric, "対称", "非対称");
  return words.isEmpty() ? QStringLiteral("同じ設定") : words.join(QStringLiteral("、"));
}

namespace {

// The current run's own values of whatever any earlier run differs in.
QString ownValues(const std::vector<const RecordedRun*>& earlier, const RecordedRun& current) {
  QStringList words;
  const auto anyDiffers = [&](const auto& differs) {
    return std::any_of(earlier.begin(), earlier.end(),
                       [&](const RecordedRun* r) { return differs(*r); });
  };
  for (const ParameterField& field : kParameterFields)
    if (anyDiffers([&](const RecordedRun& r) {
          return r.typed[field.parameter] != current.typed[field.parameter];
        }))
      words << captionOf(field.parameter) + QLatin1Char(' ') +
                   fromUtf8(current.typed[field.parameter]);
  const RunRecipe& c = current.recipe;
  if (anyDiffers([&](const RecordedRun& r) {
        return (r.recipe.sCurve == kChecked) != (c.sCurve == kChecked);
      }))
    words << onOff(c.sCurve, "Ｓ字加減速", "直線加減速");
  if (anyDiffers([&](const RecordedRun& r) {
        return (r.recipe.startOptions.automatic == kChecked) !=
               (c.startOptions.automatic == kChecked);
      }))
    words << onOff(c.startOptions.automatic, "自動減速", "マニュアル減速");
  if (anyDiffers([&](const RecordedRun& r) {
        return (r.recipe.startOptions.symmetric == kChecked) !=
               (c.startOptions.symmetric == kChecked);
      }))
    words << onOff(c.startOptions.symmetric, "対称", "非対称");
  return words.join(QStringLiteral("、"));
}

QString timesRun(int runs) {
  return runs > 1 ? QStringLiteral("（%1 回）").arg(runs) : QString();
}

}  // namespace

std::vector<LegendEntry> legendEntries(const std::vector<const RecordedRun*>& earlier,
                                       const RecordedRun& current) {
  std::vector<LegendEntry> entries;
  if (!current.trace.points().empty()) {
    const QString own = ownValues(earlier, current);
    entries.push_back({Qt::black, QStringLiteral("今回") +
                                      (own.isEmpty() ? QString() : QStringLiteral(": ") + own) +
                                      timesRun(current.runs)});
  }
  for (const RecordedRun* run : earlier)
    entries.push_back(
        {earlierCurveColour(run->colour), differences(*run, current) + timesRun(run->runs)});
  return entries;
}

QRect legendBox(const std::vector<LegendEntry>& entries, GraphPicture::LegendCorner corner) {
  const QFontMetrics metrics(smallFont());
  int width = 0;
  for (const LegendEntry& e : entries) width = std::max(width, metrics.horizontalAdvance(e.text));
  const int boxWidth = width + 30, boxHeight = metrics.height() * int(entries.size()) + 6;
  const int axis = int(pixelOfTwips(SpeedGraph::kTimeAxisY));
  using C = GraphPicture::LegendCorner;
  const bool right = corner == C::TopRight || corner == C::BottomRight;
  const bool top = corner == C::TopRight || corner == C::TopLeft;
  return QRect(right ? GraphPicture::kWidth - width - 34 : 4, top ? 3 : axis - boxHeight - 16,
               boxWidth, boxHeight);
}

GraphPicture::LegendCorner leastCoveringCorner(const std::vector<LegendEntry>& entries,
                                               const QImage& shown) {
  using C = GraphPicture::LegendCorner;
  C best = C::TopRight;
  long fewest = -1;
  for (const C corner : {C::TopRight, C::TopLeft, C::BottomRight, C::BottomLeft}) {
    const QRect box = legendBox(entries, corner) & shown.rect();
    long covered = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x)
        covered += (shown.pixel(x, y) & 0xffffffu) != 0xffffffu;
    if (fewest < 0 || covered < fewest) best = corner, fewest = covered;
  }
  return best;
}

void paintLegend(QPainter& painter, const std::vector<LegendEntry>& entries,
                 GraphPicture::LegendCorner corner) {
  if (entries.empty()) return;
  painter.save();
  painter.setFont(smallFont());
  const QFontMetrics metrics(painter.font());
  const QRect box = legendBox(entries, corner);
  const int rowHeight = metrics.height();
  painter.fillRect(box, Qt::white);
  painter.setPen(QColor(0xc0, 0xc0, 0xc0));
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int y = box.top() + 3 + int(i) * rowHeight + rowHeight / 2;
    painter.setPen(QPen(entries[i].colour, 2));
    painter.drawLine(box.left() + 5, y, box.left() + 22, y);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(box.left() + 26, y + metrics.ascent() / 2 - 1), entries[i].text);
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

const TracePoint* pointUnder(const RunTrace& trace, const GraphScales& scales, QPointF pixel) {
  const auto& points = trace.points();
  if (points.empty() || trace.range() == 0) return nullptr;
  // The trace's own points lie one column apart, the k-th at x = min(k, 9990).
  const double column = std::floor(pixel.x()) * GraphPicture::kTwipsPerPixel;
  std::size_t first = std::size_t(std::max(0.0, column));
  std::size_t last = std::size_t(std::max(0.0, column + GraphPicture::kTwipsPerPixel - 1));
  if (last >= std::size_t(SpeedGraph::kLastColumn)) last = points.size() - 1;
  if (first >= points.size()) return nullptr;
  last = std::min(last, points.size() - 1);
  const double mouseY = pixel.y() * GraphPicture::kTwipsPerPixel;
  const TracePoint* nearest = nullptr;
  double distance = 0.0;
  for (std::size_t k = first; k <= last; ++k) {
    const double y = std::max(
        scales.yOfPulsesPerSecond(units::pulsesPerSecond(points[k].speedCounter, trace.range())),
        0.0);
    if (nearest == nullptr || std::fabs(y - mouseY) < distance) {
      nearest = &points[k];
      distance = std::fabs(y - mouseY);
    }
  }
  return nearest;
}

QString pointReadout(const TracePoint& p, std::int32_t range) {
  return QStringLiteral(
             "時間: %1 s\n速度: %2 pps（速度カウンタ %3）\n出力パルス: %4\n"
             "加/減速度カウンタ: %5\n加減速ステート: %6")
      .arg(fromUtf8(units::summarySeconds(p.tick)),
           fromUtf8(units::summaryPulsesPerSecond(p.speedCounter, range)))
      .arg(p.speedCounter)
      .arg(p.pulses)
      .arg(p.accelCounter)
      .arg(stateNumber(p.state));
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
                        const QStringList& caption) {
  const int bottom = kCanvasBottom + kCaptionRoomTwips +
                     kCaptionLineTwips * std::max<int>(0, int(caption.size()) - 1);
  const auto pixels = [](int twips) {
    return (twips + GraphPicture::kTwipsPerPixel - 1) / GraphPicture::kTwipsPerPixel;
  };
  QImage image(pixels(kCanvasRight - kCanvasLeft), pixels(bottom - kCanvasTop),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.translate(-pixelOfTwips(kCanvasLeft), -pixelOfTwips(kCanvasTop));
  paintInkOnly(painter, picture);
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
  text(9840, 4240, fromUtf8(picture.timeAxisCaption()));
  for (int i = 0; i < caption.size(); ++i)
    text(0,
         GraphPicture::kHeight * GraphPicture::kTwipsPerPixel + kCaptionBelow +
             kCaptionLineTwips * i,
         caption[i]);
  return image;
}

std::string svgWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                           const QStringList& caption) {
  std::string additions = scales ? scalesSvg(*scales) : std::string();
  for (int i = 0; i < caption.size(); ++i)
    additions += captionSvg(caption[i].toStdString(), kCaptionBelow + kCaptionLineTwips * i);
  return picture.toSvg(
      additions, kCaptionRoomTwips + kCaptionLineTwips * std::max<int>(0, int(caption.size()) - 1));
}

}  // namespace tarvex::window
