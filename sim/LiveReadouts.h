// What a run shows while it goes on, and the moments at which it lets the
// window breathe. The window implements this on its readout boxes and the
// triangle-prevention indicator; the batch runner on its own records.
#pragma once

#include <cstdint>

#include "RunEvents.h"

namespace tarvex {

// The values a run shows, each the moment it changes.
enum class Readout : std::uint8_t {
  OutputPulses,       // outputPulseCount
  AccelPulses,        // accelPulseCount
  SpeedCounter,       // speedCounter
  AccelCounter,       // accelCounter, after each jerk step that moves it
  AccelState,         // accelState, as its number 1 to 8
  DragPulses,         // dragPulseCount
  PeakSpeed,          // peakSpeed
  TriangleIndicator,  // 1 once triangle prevention has acted, 0 at set-up
};
inline constexpr int kReadoutCount = 8;

class LiveReadouts {
 public:
  virtual ~LiveReadouts() = default;
  // First step of every run: the stop request is cleared.
  virtual void clearStop() = 0;
  // A shown value has changed: show its decimal text at once.
  virtual void showReadout(Readout readout, std::int64_t value) = 0;
  // Once per output pulse, as the pulse's last step (`at` is the run with
  // that pulse counted, its tick not yet completed): let the window handle
  // its pending events, then report whether a stop has been requested.
  virtual bool pulseYield(const RunMoment& at) = 0;
  // The same for a run that has output no pulse for a long stretch of
  // ticks, or has shown many values since its last yield, so that it stays
  // stoppable and responsive.
  virtual bool idleYield(const RunMoment& at) = 0;
};

// Readouts that show nothing and never stop: for runs nobody watches.
class SilentReadouts final : public LiveReadouts {
 public:
  void clearStop() override {}
  void showReadout(Readout, std::int64_t) override {}
  bool pulseYield(const RunMoment&) override { return false; }
  bool idleYield(const RunMoment&) override { return false; }
};

}  // namespace tarvex
