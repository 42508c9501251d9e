// The trace of a run kept in memory: for every point the speed graph plots
// (the starting point first), the values it was drawn from at the end of its
// tick. The graph plots one point every plotPeriod ticks, so the trace grows
// as the graph does, not with every tick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "RunEvents.h"

namespace tarvex {

// Up to kMaxPoints points (about 32 MB); a longer run keeps its first
// kMaxPoints and says it is incomplete.
class RunTrace final : public TraceSink {
 public:
  static constexpr std::size_t kMaxPoints = std::size_t{1} << 21;

  void pointPlotted(const PlottedPoint& point) override { add(point.values, point.range); }
  void add(const TracePoint& point, std::int32_t range);
  void runEnded(const TracePoint& end, std::int32_t range) override;
  void clear();

  const std::vector<TracePoint>& points() const { return points_; }
  // The run's values at its end, when it completed or was stopped after its
  // last plotted point; none when that point was its end, or it failed.
  const std::optional<TracePoint>& endAfterLastPoint() const { return end_; }
  std::int32_t range() const { return range_; }
  bool complete() const { return dropped_ == 0; }
  // The highest speed counter of the trace, 0 for an empty one.
  std::int16_t peakSpeedCounter() const;

 private:
  std::vector<TracePoint> points_;
  std::optional<TracePoint> end_;
  std::int32_t range_ = 0;
  std::int64_t dropped_ = 0;
};

}  // namespace tarvex
