// When a run yields. It yields at the output pulses its readouts ask for
// (LiveReadouts::nextYield), and by itself once every kIdleTicks ticks
// (about half a simulated second, a few milliseconds of computation) so that
// a run that asks for few pulses, or outputs none, stays stoppable: at the
// first tick at or after each multiple of kIdleTicks since the last yield,
// with its pulse if the tick outputs one, else without. Every trigger counts
// ticks and pulses, never time, so every way of computing the run yields at
// the same places.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "LiveReadouts.h"

namespace tarvex {

class YieldSchedule {
 public:
  static constexpr std::int64_t kIdleTicks = std::int64_t{1} << 22;

  // A yield at the end of `tick` ticks, with `pulses` output and
  // `statesEntered` states entered so far; `next` is the readouts' request.
  void yielded(std::int64_t tick, std::int64_t pulses, std::size_t statesEntered,
               const YieldRequest& next) {
    nextIdleYieldTick_ = (tick / kIdleTicks + 1) * kIdleTicks;
    // A pulse already passed cannot yield: the next one does.
    nextPulse_ = std::max(next.pulse, pulses + 1);
    afterStateChange_ = next.afterStateChange;
    statesAtYield_ = statesEntered;
  }

  // The first tick count at which the next tick yields.
  std::int64_t nextIdleYieldTick() const { return nextIdleYieldTick_; }
  bool idleYieldDue(std::int64_t tick) const { return tick >= nextIdleYieldTick_; }

  // Whether the pulse that has just made the count `pulses`, in the tick
  // after `tick` completed ticks, yields.
  bool pulseYields(std::int64_t pulses, std::int64_t tick, std::size_t statesEntered) const {
    return pulses == nextPulse_ || idleYieldDue(tick) ||
           (afterStateChange_ && statesEntered != statesAtYield_);
  }

  // How many of the pulses after the count `pulses` pass without a yield,
  // with `statesEntered` states entered so far; the idle yields are a
  // matter of ticks (nextIdleYieldTick).
  std::int64_t pulsesBeforeYield(std::int64_t pulses, std::size_t statesEntered) const {
    if (afterStateChange_ && statesEntered != statesAtYield_) return 0;
    return nextPulse_ - pulses - 1;
  }

 private:
  std::int64_t nextIdleYieldTick_ = kIdleTicks;
  std::int64_t nextPulse_ = 1;
  bool afterStateChange_ = false;
  std::size_t statesAtYield_ = 0;
};

}  // namespace tarvex
