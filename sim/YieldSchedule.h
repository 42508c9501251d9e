// When a run that outputs no pulse yields all the same. A run yields to the
// window at every output pulse; without pulses it yields once no pulse has
// fallen due for kIdleTicks ticks (about half a simulated second, a few
// milliseconds of computation), or as soon as it has shown
// kReadoutsPerYield values since its last yield (a speed counter climbing
// through negative values shows a new speed every eighth tick). Both
// triggers count ticks and readouts, never time, so every way of computing
// the run yields at the same ticks.
#pragma once

#include <cstdint>

namespace tarvex {

class YieldSchedule {
 public:
  static constexpr std::int64_t kIdleTicks = std::int64_t{1} << 22;
  static constexpr std::int32_t kReadoutsPerYield = 4096;

  // A yield has happened at the end of `tick`: count afresh.
  void yielded(std::int64_t tick) {
    nextIdleYieldTick_ = tick + kIdleTicks;
    readoutsSinceYield_ = 0;
  }
  // A value has been shown; too many make the next pulse-less tick yield.
  void readoutShown() {
    if (++readoutsSinceYield_ >= kReadoutsPerYield) nextIdleYieldTick_ = 0;
  }
  // The first tick count at which a tick without a pulse begins with a yield.
  std::int64_t nextIdleYieldTick() const { return nextIdleYieldTick_; }

 private:
  std::int64_t nextIdleYieldTick_ = kIdleTicks;
  std::int32_t readoutsSinceYield_ = 0;
};

}  // namespace tarvex
