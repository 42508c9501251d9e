#include "AxisScale.h"

#include <algorithm>
#include <cmath>

#include "Conversions.h"
#include "GraphPicture.h"
#include "Units.h"

namespace tarvex {
namespace {

constexpr double kTicksPerSecond = static_cast<double>(units::kTicksPerSecond);
constexpr int kMaxSteps = 6;
constexpr double kMarkTwips = 60.0;

// A multiple of `step` with just the decimals the step needs.
std::string valueText(double value, double step) {
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  return units::fixedDecimals(value, std::min(decimals, 12));
}

// Values 0, step, 2 step, ... up to `fullScale` (of either sign), kept where
// `place` puts them inside [0, limit] twips.
template <class Place>
std::vector<AxisTick> ticks(double fullScale, double limit, const char* unit, Place place) {
  std::vector<AxisTick> result;
  if (!std::isfinite(fullScale) || fullScale == 0.0) return result;
  const double step = roundStep(std::fabs(fullScale), kMaxSteps);
  const double sign = fullScale < 0 ? -1.0 : 1.0;
  for (int i = 0; i <= 1000 && i * step <= std::fabs(fullScale) * (1 + 1e-12); ++i) {
    const double value = sign * i * step;
    const double twips = place(value);
    if (twips < 0.0 || twips > limit) continue;
    // The origin is left unlabelled: both axes meet there.
    result.push_back({twips, i == 0 ? std::string() : valueText(value, step)});
  }
  if (!result.empty()) result.back().label += unit;
  return result;
}

std::string number(double value) {
  return shortestText(std::round(value * 10) / 10);
}

const char* const kFont =
    "font-family=\"'ＭＳ ゴシック', 'MS Gothic', 'IPAGothic', monospace\" font-size=\"150\"";

}  // namespace

std::optional<GraphScales> GraphScales::fromTexts(std::string_view timeDisplayMax,
                                                  std::string_view speedDisplayMax) {
  const auto seconds = textToDouble(timeDisplayMax);
  const auto pps = textToDouble(speedDisplayMax);
  if (!seconds.ok() || !pps.ok()) return std::nullopt;
  const auto period = doubleToInt32(seconds.value * SpeedGraph::kTicksPerColumnPerSecond);
  if (!period.ok()) return std::nullopt;
  return GraphScales{seconds.value, pps.value, std::max(1.0, double(period.value))};
}

double GraphScales::xOfTicks(double ticks) const {
  return ticks / ticksPerColumn;
}

double GraphScales::yOfPulsesPerSecond(double pps) const {
  // speedScale x speed counter: 3948 twips at the full-scale speed.
  return SpeedGraph::kZeroSpeedY -
         pps * (SpeedGraph::kSpeedScaleNumerator / kTicksPerSecond) / pulsesPerSecond;
}

double roundStep(double span, int maxSteps) {
  if (!(span > 0.0) || !std::isfinite(span)) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(span / maxSteps)));
  for (const double factor : {1.0, 2.0, 5.0, 10.0})
    if (span / (factor * power) <= maxSteps) return factor * power;
  return 10.0 * power;
}

std::vector<AxisTick> timeTicks(const GraphScales& s) {
  return ticks(s.seconds, SpeedGraph::kLastColumn, " s",
               [&](double seconds) { return s.xOfTicks(seconds * kTicksPerSecond); });
}

std::vector<AxisTick> speedTicks(const GraphScales& s) {
  return ticks(s.pulsesPerSecond, SpeedGraph::kTimeAxisY, " pps",
               [&](double pps) { return s.yOfPulsesPerSecond(pps); });
}

std::string scalesSvg(const GraphScales& s) {
  const double axis = SpeedGraph::kTimeAxisY;
  std::string svg = "<g id=\"scales\" stroke=\"#000000\" stroke-width=\"15\">\n";
  std::string labels;
  for (const AxisTick& t : timeTicks(s)) {
    svg += "<line x1=\"" + number(t.twips) + "\" y1=\"" + number(axis) + "\" x2=\"" +
           number(t.twips) + "\" y2=\"" + number(axis - kMarkTwips) + "\"/>\n";
    if (!t.label.empty())
      labels += "<text x=\"" + number(t.twips + 30) + "\" y=\"" + number(axis - 90) + "\">" +
                escapedXml(t.label) + "</text>\n";
  }
  for (const AxisTick& t : speedTicks(s)) {
    svg += "<line x1=\"1\" y1=\"" + number(t.twips) + "\" x2=\"" + number(kMarkTwips) + "\" y2=\"" +
           number(t.twips) + "\"/>\n";
    if (!t.label.empty())
      labels += "<text x=\"" + number(kMarkTwips + 45) + "\" y=\"" + number(t.twips + 150) + "\">" +
                escapedXml(t.label) + "</text>\n";
  }
  svg += "</g>\n<g " + std::string(kFont) + " fill=\"#000000\">\n" + labels + "</g>\n";
  return svg;
}

std::string captionSvg(std::string_view caption, int belowTwips) {
  constexpr int bottom = GraphPicture::kHeight * GraphPicture::kTwipsPerPixel;
  return "<text x=\"0\" y=\"" + std::to_string(bottom + belowTwips) + "\" " + kFont + ">" +
         escapedXml(caption) + "</text>\n";
}

}  // namespace tarvex
