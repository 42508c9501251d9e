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

// The multiples of a round step from `start` to `start + span` (a span of
// either sign), kept where `place` puts them inside [0, limit] twips.
// Twips by which a tick placed just outside an end of its axis is still on it.
constexpr double kPlacingSlack = 1e-6;

// 10^exponent as the literal would give it (0.1, not pow's last-bit
// neighbour on some C libraries).
double powerOfTen(int exponent) {
  double power = 1.0;
  for (int i = 0; i < std::abs(exponent); ++i) power *= 10.0;
  return exponent < 0 ? 1.0 / power : power;
}

template <class Place>
std::vector<AxisTick> ticks(double start, double span, double limit, const char* unit,
                            Place place) {
  std::vector<AxisTick> result;
  if (!std::isfinite(span) || span == 0.0 || !std::isfinite(start)) return result;
  const double step = roundStep(std::fabs(span), kMaxSteps);
  const double sign = span < 0 ? -1.0 : 1.0;
  // The first multiple at or past the start, in the span's direction.
  const double first = sign > 0 ? std::ceil(start / step - 1e-9) : std::floor(start / step + 1e-9);
  for (int i = 0; i <= 1000; ++i) {
    const double value = (first + sign * i) * step;
    if (sign * (value - start) > std::fabs(span) * (1 + 1e-12)) break;
    // A tick at either end of the axis stays on it, whatever the last bit of
    // its placing says (the C libraries differ there).
    double twips = place(value);
    if (twips < -kPlacingSlack || twips > limit + kPlacingSlack) continue;
    twips = std::clamp(twips, 0.0, limit);
    // The origin is left unlabelled: both axes meet there.
    const bool origin = value == 0.0 && start == 0.0;
    result.push_back({twips, origin ? std::string() : valueText(value == 0.0 ? 0.0 : value, step)});
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
  return (ticks - startSeconds * kTicksPerSecond) / ticksPerColumn;
}

// speedScale x speed counter: 3948 twips at the full-scale speed.
constexpr double kFullScaleTwips = SpeedGraph::kSpeedScaleNumerator / kTicksPerSecond;

double GraphScales::yOfPulsesPerSecond(double pps) const {
  return SpeedGraph::kZeroSpeedY - (pps - startPulsesPerSecond) * kFullScaleTwips / pulsesPerSecond;
}

double GraphScales::ticksOfX(double twips) const {
  return twips * ticksPerColumn + startSeconds * kTicksPerSecond;
}

double GraphScales::pulsesPerSecondOfY(double twips) const {
  return (SpeedGraph::kZeroSpeedY - twips) * pulsesPerSecond / kFullScaleTwips +
         startPulsesPerSecond;
}

std::optional<GraphScales> GraphScales::view(double fromSeconds, double toSeconds, double fromPps,
                                             double toPps) {
  const double seconds = toSeconds - fromSeconds, pps = toPps - fromPps;
  if (!std::isfinite(seconds) || !std::isfinite(pps) || !std::isfinite(fromSeconds) ||
      !std::isfinite(fromPps) || !(seconds > 0.0) || pps == 0.0)
    return std::nullopt;
  return GraphScales{seconds,     pps,     seconds * kTicksPerSecond / SpeedGraph::kLastColumn,
                     fromSeconds, fromPps, true};
}

double roundStep(double span, int maxSteps) {
  if (!(span > 0.0) || !std::isfinite(span)) return 1.0;
  const double power = powerOfTen(static_cast<int>(std::floor(std::log10(span / maxSteps))));
  for (const double factor : {1.0, 2.0, 5.0, 10.0})
    if (span / (factor * power) <= maxSteps) return factor * power;
  return 10.0 * power;
}

std::vector<AxisTick> timeTicks(const GraphScales& s) {
  return ticks(s.startSeconds, s.seconds, SpeedGraph::kLastColumn, " s",
               [&](double seconds) { return s.xOfTicks(seconds * kTicksPerSecond); });
}

std::vector<AxisTick> speedTicks(const GraphScales& s) {
  return ticks(s.startPulsesPerSecond, s.pulsesPerSecond, SpeedGraph::kTimeAxisY, " pps",
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
  // The labels on a white halo, so that a curve under one never hides it.
  svg += "</g>\n<g " + std::string(kFont) +
         " fill=\"#000000\" stroke=\"#ffffff\" stroke-width=\"45\" stroke-linejoin=\"round\" "
         "paint-order=\"stroke\">\n" +
         labels + "</g>\n";
  return svg;
}

std::string gridSvg(const GraphScales& s) {
  std::string svg = "<g id=\"grid\" stroke=\"#dcdcdc\" stroke-width=\"15\">\n";
  for (const AxisTick& t : timeTicks(s))
    if (t.twips > 0.0)
      svg += "<path d=\"M" + number(t.twips) + " 0V" + number(SpeedGraph::kTimeAxisY) + "\"/>\n";
  for (const AxisTick& t : speedTicks(s))
    if (t.twips < SpeedGraph::kTimeAxisY - 1)
      svg += "<path d=\"M0 " + number(t.twips) + "H" + number(SpeedGraph::kLastColumn) + "\"/>\n";
  return svg + "</g>\n";
}

std::string captionSvg(std::string_view caption, int belowTwips) {
  constexpr int bottom = graph::kPictureHeightTwips;
  return "<text x=\"0\" y=\"" + std::to_string(bottom + belowTwips) + "\" " + kFont + ">" +
         escapedXml(caption) + "</text>\n";
}

}  // namespace tarvex
