// The axis scales that can be laid over the speed graph: tick marks with
// labels at round values (1, 2 or 5 times a power of ten) from 0 to the full
// scale of each axis, in seconds along the time axis and in pulses per second
// up the speed axis. They are never part of the graph's picture itself; the
// window paints them over it and the exports "with context" add them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

struct GraphScales {
  double seconds;          // time at the full-scale mark
  double pulsesPerSecond;  // speed at the full-scale mark
  double ticksPerColumn;   // plotPeriod, at least 1
  // A view zoomed into the graph starts elsewhere than at the origin: the
  // time at the speed axis and the speed on the time axis. `seconds` and
  // `pulsesPerSecond` are then the spans from these.
  double startSeconds = 0.0;
  double startPulsesPerSecond = 0.0;
  bool exactView = false;  // made by view(): its columns need not be whole ticks

  // The scales a run draws with, from the two display maxima as typed;
  // nothing when either is no number or the time scale is out of range.
  static std::optional<GraphScales> fromTexts(std::string_view timeDisplayMax,
                                              std::string_view speedDisplayMax);
  // Twips of the picture: x of a time in ticks, y of a speed in pulses per
  // second (neither clamped).
  double xOfTicks(double ticks) const;
  double yOfPulsesPerSecond(double pps) const;
  // The other way round: the time in ticks at x, the speed at y.
  double ticksOfX(double twips) const;
  double pulsesPerSecondOfY(double twips) const;

  // A view from `fromSeconds` to `toSeconds` across the time axis's
  // kLastColumn twips and from `fromPps` to `toPps` up the 3948 twips of
  // full-scale speed; nothing when either span is empty or not finite.
  static std::optional<GraphScales> view(double fromSeconds, double toSeconds, double fromPps,
                                         double toPps);
  bool zoomed() const { return exactView; }
};

struct AxisTick {
  double twips;  // x along the time axis, y up the speed axis
  std::string label;
};

// 1, 2 or 5 times a power of ten, so that `span` holds at most `maxSteps`.
double roundStep(double span, int maxSteps);

// The ticks inside the picture at the multiples of a round step from the
// start of each axis; the last label carries the unit.
std::vector<AxisTick> timeTicks(const GraphScales& scales);
std::vector<AxisTick> speedTicks(const GraphScales& scales);

// The scales as SVG elements in twips of the picture, for GraphPicture::toSvg.
std::string scalesSvg(const GraphScales& scales);
// Light lines across the picture at the ticks of both axes, for
// GraphPicture::toSvg's underCurve.
std::string gridSvg(const GraphScales& scales);
// The colour of the grid's lines.
inline constexpr std::uint32_t kGridInk = 0xffdcdcdc;
// A line of text under the picture, `belowTwips` below its bottom edge.
std::string captionSvg(std::string_view caption, int belowTwips);

}  // namespace tarvex
