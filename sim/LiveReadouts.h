// What a run shows while it goes on, and the moments at which it lets the
// window breathe. The window implements this on its readout boxes and the
// triangle-prevention indicator; the batch runner on its own records.
#pragma once

#include <cstdint>
#include <limits>

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

// Which of the coming output pulses end in a yield. A run computes whole
// stretches of pulses at once where nobody looks; a yield is a place where
// somebody does, so the run makes exactly the yields asked for, the same in
// every way of computing it. Besides these, a run yields by itself once every
// YieldSchedule::kIdleTicks ticks (YieldSchedule.h).
struct YieldRequest {
  static constexpr std::int64_t kNoPulse = std::numeric_limits<std::int64_t>::max();
  // The output pulse count whose pulse yields next (kNoPulse: none).
  std::int64_t pulse = kNoPulse;
  // Also the first output pulse after the run has entered a new state.
  bool afterStateChange = false;

  static YieldRequest everyPulse(const RunMoment& at) { return {at.pulses + 1, false}; }
  static YieldRequest atPulse(std::int64_t pulse) { return {pulse, false}; }
  static YieldRequest none() { return {}; }
};

class LiveReadouts {
 public:
  virtual ~LiveReadouts() = default;
  // First step of every run: the stop request is cleared.
  virtual void clearStop() = 0;
  // A shown value has changed: show its decimal text. A run that computes
  // a stretch at once shows only where the stretch ends, but at every yield
  // and at the end of the run the last value shown of each readout is the
  // run's own.
  virtual void showReadout(Readout readout, std::int64_t value) = 0;
  // At set-up and after every yield: which pulse is to yield next. Every
  // pulse, unless the readouts say otherwise.
  virtual YieldRequest nextYield(const RunMoment& at) { return YieldRequest::everyPulse(at); }
  // At the pulses asked for by nextYield, as the pulse's last step (`at` is
  // the run with that pulse counted, its tick not yet completed): let the
  // window handle its pending events, then report whether a stop has been
  // requested.
  virtual bool pulseYield(const RunMoment& at) = 0;
  // The same at a tick without a pulse, once every YieldSchedule::kIdleTicks
  // ticks, so that a run stays stoppable and responsive however few pulses
  // it asks to yield at.
  virtual bool idleYield(const RunMoment& at) = 0;
  // After a yield that has not stopped the run: whether the run pauses
  // there. A paused run returns from TickEngine::start or goOn with its state
  // intact, so that whoever computes it can hand others their turn (the page
  // lets the browser handle its events); goOn then carries on from the yield
  // as though the yield had lasted all that time. Asked only at yields.
  virtual bool pausesAfterYield() { return false; }
  // As a paused run goes on: whether a stop has been requested during the
  // pause. The run then ends at the yield it paused at.
  virtual bool stopRequestedDuringPause() { return false; }
};

// Readouts that show nothing and never stop: for runs nobody watches.
class SilentReadouts final : public LiveReadouts {
 public:
  void clearStop() override {}
  void showReadout(Readout, std::int64_t) override {}
  YieldRequest nextYield(const RunMoment&) override { return YieldRequest::none(); }
  bool pulseYield(const RunMoment&) override { return false; }
  bool idleYield(const RunMoment&) override { return false; }
};

}  // namespace tarvex
