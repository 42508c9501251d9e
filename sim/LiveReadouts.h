// What a run shows while it goes on, and the moments at which it lets the
// window breathe. The window implements this on its text boxes and Option1;
// the batch runner on its own records.
#pragma once

#include <cstdint>

#include "Controls.h"

namespace tarvex {

class LiveReadouts {
 public:
  virtual ~LiveReadouts() = default;
  // First step of every run: the stop flag stopf = 0.
  virtual void clearStop() = 0;
  // A shown value has changed: write its decimal text into the readout
  // (Option1: 1 on, 0 off) and repaint it.
  virtual void showReadout(Readout readout, std::int64_t value) = 0;
  // Once per output pulse, as the pulse's last step: process pending window
  // events, then report whether a stop has been requested (stopf = 1).
  virtual bool pulseYield() = 0;
  // When no pulse has fallen due for TickEngine::kIdleYieldTicks ticks, or
  // ReadoutPort::kReadoutsPerYield values have been shown since the last
  // yield: the same as pulseYield, so that a run that outputs no pulses
  // stays stoppable and responsive.
  virtual bool idleYield() = 0;
};

// Readouts that show nothing and never stop: for runs nobody watches.
class SilentReadouts final : public LiveReadouts {
 public:
  void clearStop() override {}
  void showReadout(Readout, std::int64_t) override {}
  bool pulseYield() override { return false; }
  bool idleYield() override { return false; }
};

}  // namespace tarvex
