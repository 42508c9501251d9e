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

  // The scales a run draws with, from the two display maxima as typed;
  // nothing when either is no number or the time scale is out of range.
  static std::optional<GraphScales> fromTexts(std::string_view timeDisplayMax,
                                              std::string_view speedDisplayMax);
  // Twips of the picture: x of a time in ticks, y of a speed in pulses per
  // second (neither clamped).
  double xOfTicks(double ticks) const;
  double yOfPulsesPerSecond(double pps) const;
};

struct AxisTick {
  double twips;  // x along the time axis, y up the speed axis
  std::string label;
};

// 1, 2 or 5 times a power of ten, so that `span` holds at most `maxSteps`.
double roundStep(double span, int maxSteps);

// The ticks inside the picture; the last label carries the unit.
std::vector<AxisTick> timeTicks(const GraphScales& scales);
std::vector<AxisTick> speedTicks(const GraphScales& scales);

// The scales as SVG elements in twips of the picture, for GraphPicture::toSvg.
std::string scalesSvg(const GraphScales& scales);
// A line of text under the picture, `belowTwips` below its bottom edge.
std::string captionSvg(std::string_view caption, int belowTwips);

}  // namespace tarvex
