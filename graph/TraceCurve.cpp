#include "TraceCurve.h"

#include <algorithm>

#include "SpeedGraph.h"
#include "Units.h"

namespace tarvex::curve {

std::vector<GraphPicture::TwipPoint> curveInTwips(const RunTrace& trace, std::int32_t range,
                                                  const GraphScales& scales) {
  std::vector<GraphPicture::TwipPoint> points;
  if (range == 0) return points;
  points.reserve(trace.points().size());
  const bool pile = !scales.zoomed();
  for (const TracePoint& p : trace.points()) {
    const double x = scales.xOfTicks(p.tick);
    const double y = scales.yOfPulsesPerSecond(units::pulsesPerSecond(p.speedCounter, range));
    points.push_back(pile ? GraphPicture::TwipPoint{std::min(x, double(SpeedGraph::kLastColumn)),
                                                    std::max(y, 0.0)}
                          : GraphPicture::TwipPoint{x, y});
  }
  return points;
}

}  // namespace tarvex::curve
