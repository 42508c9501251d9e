#include "RunTrace.h"

#include <algorithm>

namespace tarvex {

void RunTrace::add(const TracePoint& point, std::int32_t range) {
  range_ = range;
  if (points_.size() >= kMaxPoints) {
    ++dropped_;
    return;
  }
  points_.push_back(point);
}

void RunTrace::runEnded(const TracePoint& end, std::int32_t range) {
  range_ = range;
  if (points_.empty() || points_.back().tick != end.tick) end_ = end;
}

void RunTrace::clear() {
  points_.clear();
  end_.reset();
  range_ = 0;
  dropped_ = 0;
}

std::int16_t RunTrace::peakSpeedCounter() const {
  std::int16_t peak = 0;
  for (const TracePoint& p : points_) peak = std::max(peak, p.speedCounter);
  return peak;
}

}  // namespace tarvex
