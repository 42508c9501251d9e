// The engine's side of the readouts: passes every shown value on and counts
// them, so that a run which shows many values without outputting a pulse
// (a speed counter climbing through negative values, say) still yields to
// the window often enough to stay responsive.
#pragma once

#include <cstdint>

#include "LiveReadouts.h"

namespace tarvex {

class ReadoutPort {
 public:
  // After this many readouts without a yield, the next tick that outputs no
  // pulse begins with an idle yield.
  static constexpr std::int32_t kReadoutsPerYield = 4096;

  ReadoutPort(LiveReadouts& readouts, std::int64_t& nextIdleYieldTick)
      : readouts_(readouts), nextIdleYieldTick_(nextIdleYieldTick) {}

  void show(Readout readout, std::int64_t value) {
    readouts_.showReadout(readout, value);
    if (++sinceYield_ >= kReadoutsPerYield) nextIdleYieldTick_ = 0;
  }
  // A yield has let the window breathe: count afresh.
  void yielded() { sinceYield_ = 0; }

  LiveReadouts& readouts() { return readouts_; }

 private:
  LiveReadouts& readouts_;
  std::int64_t& nextIdleYieldTick_;
  std::int32_t sinceYield_ = 0;
};

}  // namespace tarvex
