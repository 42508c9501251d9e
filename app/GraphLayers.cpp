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

constexpr int kCaptionHeight = 20;  // pixels under the picture for its caption line
constexpr double kMarkPixels = 4.0;

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

void paintInkOnly(QPainter& painter, const GraphPicture& picture) {
  QImage ink(GraphPicture::kWidth, GraphPicture::kHeight, QImage::Format_ARGB32);
  const GraphPicture::Pixel* pixels = picture.pixels();
  for (int y = 0; y < GraphPicture::kHeight; ++y) {
    auto* line = reinterpret_cast<QRgb*>(ink.scanLine(y));
    for (int x = 0; x < GraphPicture::kWidth; ++x) {
      const GraphPicture::Pixel p = pixels[y * GraphPicture::kWidth + x];
      line[x] = p == GraphPicture::kGround ? 0u : p;
    }
  }
  painter.drawImage(0, 0, ink);
}

QColor earlierCurveColour(std::size_t n) {
  static const QColor colours[] = {QColor(0xf4, 0xa5, 0x82), QColor(0x92, 0xc5, 0xde),
                                   QColor(0x9c, 0xd0, 0x6a), QColor(0xc2, 0xa5, 0xcf),
                                   QColor(0xe6, 0xc8, 0x5a)};
  return colours[n % std::size(colours)];
}

QImage earlierCurves(const std::vector<const RecordedRun*>& earlier, const GraphScales& scales) {
  QImage layer(GraphPicture::kWidth, GraphPicture::kHeight, QImage::Format_RGB32);
  layer.fill(Qt::white);
  QPainter painter(&layer);
  // The oldest first, so that the most recent lies on top.
  for (std::size_t n = earlier.size(); n-- > 0;) {
    const RecordedRun& run = *earlier[n];
    if (run.range == 0) continue;
    QPolygonF curve;
    for (const TracePoint& p : run.trace.points()) {
      const double x = std::min(scales.xOfTicks(p.tick), double(SpeedGraph::kLastColumn));
      const double y = std::max(
          scales.yOfPulsesPerSecond(units::pulsesPerSecond(p.speedCounter, run.range)), 0.0);
      curve << QPointF(pixelOfTwips(x) + 0.5, pixelOfTwips(y) + 0.5);
    }
    painter.setPen(QPen(earlierCurveColour(n), 1.0));
    painter.drawPolyline(curve);
  }
  return layer;
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

void paintLegend(QPainter& painter, const std::vector<const RecordedRun*>& earlier,
                 const RecordedRun& current) {
  painter.save();
  painter.setFont(smallFont());
  const QFontMetrics metrics(painter.font());
  QStringList lines{QStringLiteral("今回")};
  for (const RecordedRun* run : earlier) lines << differences(*run, current);
  int width = 0;
  for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
  const int rowHeight = metrics.height();
  const QRect box(GraphPicture::kWidth - width - 34, 3, width + 30,
                  rowHeight * int(lines.size()) + 6);
  painter.fillRect(box, Qt::white);
  painter.setPen(QColor(0xc0, 0xc0, 0xc0));
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  for (int i = 0; i < lines.size(); ++i) {
    const int y = box.top() + 3 + i * rowHeight + rowHeight / 2;
    painter.setPen(QPen(i == 0 ? QColor(Qt::black) : earlierCurveColour(std::size_t(i - 1)), 2));
    painter.drawLine(box.left() + 5, y, box.left() + 22, y);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(box.left() + 26, y + metrics.ascent() / 2 - 1), lines[i]);
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

QString parameterCaption(const RecordedRun& run) {
  QStringList words;
  for (const ParameterField& field : kParameterFields)
    words << captionOf(field.parameter) + QLatin1Char(' ') + fromUtf8(run.typed[field.parameter]);
  return words.join(QStringLiteral("  ")) + QStringLiteral("  ") + optionWords(run.recipe);
}

QImage imageWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                        const QString& caption) {
  QImage image(GraphPicture::kWidth, GraphPicture::kHeight + kCaptionHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  paintInkOnly(painter, picture);
  if (scales) paintScales(painter, *scales);
  QFont font = smallFont();
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(
      QRect(2, GraphPicture::kHeight, GraphPicture::kWidth - 4, kCaptionHeight),
      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
      QFontMetrics(font).elidedText(caption, Qt::ElideRight, GraphPicture::kWidth - 4));
  return image;
}

std::string svgWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                           const QString& caption) {
  const std::string additions =
      (scales ? scalesSvg(*scales) : std::string()) + captionSvg(caption.toStdString(), 420);
  return picture.toSvg(additions, 360);
}

}  // namespace tarvex::window
