#include "PointUnder.h"

#include <algorithm>
#include <cmath>

#include "GraphPicture.h"
#include "SpeedGraph.h"
#include "Units.h"

namespace tarvex::cursor {
namespace {

// In a zoomed view the points lie where their times fall: those whose time
// is in the mouse's column.
const TracePoint* pointUnderInView(const RunTrace& trace, const GraphScales& view, double x,
                                   double y) {
  const auto& points = trace.points();
  const double column = std::floor(x) * GraphPicture::kTwipsPerPixel;
  const double from = view.ticksOfX(column),
               to = view.ticksOfX(column + GraphPicture::kTwipsPerPixel);
  const auto first =
      std::lower_bound(points.begin(), points.end(), from,
                       [](const TracePoint& p, double t) { return double(p.tick) < t; });
  const double mouseY = y * GraphPicture::kTwipsPerPixel;
  const TracePoint* nearest = nullptr;
  double distance = 0.0;
  for (auto p = first; p != points.end() && double(p->tick) < to; ++p) {
    const double at =
        view.yOfPulsesPerSecond(units::pulsesPerSecond(p->speedCounter, trace.range()));
    if (nearest == nullptr || std::fabs(at - mouseY) < distance) {
      nearest = &*p;
      distance = std::fabs(at - mouseY);
    }
  }
  return nearest;
}

}  // namespace

const TracePoint* pointUnder(const RunTrace& trace, const GraphScales& scales, double x, double y) {
  const auto& points = trace.points();
  if (points.empty() || trace.range() == 0) return nullptr;
  if (scales.zoomed()) return pointUnderInView(trace, scales, x, y);
  // The trace's own points lie one column apart, the k-th at x = min(k, 9990).
  const double column = std::floor(x) * GraphPicture::kTwipsPerPixel;
  std::size_t first = std::size_t(std::max(0.0, column));
  std::size_t last = std::size_t(std::max(0.0, column + GraphPicture::kTwipsPerPixel - 1));
  if (last >= std::size_t(SpeedGraph::kLastColumn)) last = points.size() - 1;
  if (first >= points.size()) return nullptr;
  last = std::min(last, points.size() - 1);
  const double mouseY = y * GraphPicture::kTwipsPerPixel;
  const TracePoint* nearest = nullptr;
  double distance = 0.0;
  for (std::size_t k = first; k <= last; ++k) {
    const double at = std::max(
        scales.yOfPulsesPerSecond(units::pulsesPerSecond(points[k].speedCounter, trace.range())),
        0.0);
    if (nearest == nullptr || std::fabs(at - mouseY) < distance) {
      nearest = &points[k];
      distance = std::fabs(at - mouseY);
    }
  }
  return nearest;
}

int cursorColumn(const TracePoint& point, const RunTrace& trace, const GraphScales& scales) {
  if (scales.zoomed())
    return int(std::floor(scales.xOfTicks(double(point.tick)) / GraphPicture::kTwipsPerPixel));
  const long index = long(&point - trace.points().data());
  return int(double(std::min<long>(index, SpeedGraph::kLastColumn)) / GraphPicture::kTwipsPerPixel);
}

std::string pointReadout(const TracePoint& p, std::int32_t range) {
  return "時間: " + units::summarySeconds(p.tick) +
         " s\n速度: " + units::summaryPulsesPerSecond(p.speedCounter, range) +
         " pps（速度カウンタ " + std::to_string(p.speedCounter) +
         "）\n出力パルス: " + std::to_string(p.pulses) +
         "\n加/減速度カウンタ: " + std::to_string(p.accelCounter) +
         "\n加減速ステート: " + std::to_string(stateNumber(p.state));
}

}  // namespace tarvex::cursor
