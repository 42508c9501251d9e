#include "RunTrace.h"

#include <algorithm>

#include "TickEngine.h"

namespace tarvex {

TracePoint tracePointOf(const TickEngine& engine) {
  const EngineState& s = engine.state();
  // A run outputs at most one pulse per tick, and tickCount is 32 bits wide.
  return {s.tickCount, static_cast<std::int32_t>(s.outputPulseCount), s.speedCounter,
          s.accelCounter, static_cast<std::int8_t>(s.accelState)};
}

void TraceRecorder::drawPoint(float x, float y) {
  picture_.drawPoint(x, y);
  if (engine_ != nullptr) sink_.add(tracePointOf(*engine_), engine_->state().params.range);
}

void RunTrace::add(const TracePoint& point, std::int32_t range) {
  range_ = range;
  if (points_.size() >= kMaxPoints) {
    ++dropped_;
    return;
  }
  points_.push_back(point);
}

void RunTrace::clear() {
  points_.clear();
  range_ = 0;
  dropped_ = 0;
}

std::int16_t RunTrace::peakSpeedCounter() const {
  std::int16_t peak = 0;
  for (const TracePoint& p : points_) peak = std::max(peak, p.speedCounter);
  return peak;
}

}  // namespace tarvex
