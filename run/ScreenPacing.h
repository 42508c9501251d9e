// When a run that somebody watches on a screen (the window, the page) hands
// the screen its turn: to show the readouts, paint the graph and handle the
// user's input (Stop, the option boxes).
//
// A run changes its readouts far faster than a screen can show them, so the
// screen takes a turn only once a turn interval has passed since the last.
// The run is asked to yield only every so many output pulses, as many as it
// computes in about kClockLookNs (halved when they take longer, doubled when
// less, at most kMaxPulsesPerLook); each yield reads the clock.
//
// Turns are taken at output pulses, as the chip's tool handles its events
// after each output pulse: a Stop ends the run at an output pulse, and an
// option changed during the run takes effect at one, so that the batch
// runner's --at and --stop-at reproduce it. When a turn falls due at one of
// the run's idle yields (ticks without a pulse), the next output pulse takes
// it; only a run that outputs no pulse for kPulselessTurnNs takes its turn
// between pulses, so that it stays stoppable.
#pragma once

#include <cstdint>

#include "LiveReadouts.h"

namespace tarvex {

class ScreenPacing {
 public:
  static constexpr std::int64_t kClockLookNs = 250000;
  static constexpr std::int64_t kMaxPulsesPerLook = std::int64_t{1} << 24;
  static constexpr std::int64_t kPulselessTurnNs = 100000000;

  ScreenPacing(std::int64_t turnIntervalNs, std::int64_t nowNs)
      : turnIntervalNs_(turnIntervalNs), lastLookNs_(nowNs), lastTurnNs_(nowNs) {}

  YieldRequest nextYield(const RunMoment& at) const {
    return YieldRequest::atPulse(at.pulses + (turnPending_ ? 1 : pulsesPerLook_));
  }

  // At a pulse the run yields at: whether the screen takes its turn now.
  bool turnAtPulse(std::int64_t nowNs) {
    pulsesPerLook_ =
        nowNs - lastLookNs_ > kClockLookNs
            ? (pulsesPerLook_ > 1 ? pulsesPerLook_ / 2 : 1)
            : (pulsesPerLook_ < kMaxPulsesPerLook ? pulsesPerLook_ * 2 : kMaxPulsesPerLook);
    lastLookNs_ = nowNs;
    return turnPending_ || nowNs - lastTurnNs_ >= turnIntervalNs_;
  }

  // At an idle yield: whether the screen takes its turn now; a turn due
  // otherwise waits for the next output pulse.
  bool turnAtIdleYield(std::int64_t nowNs) {
    if (nowNs - lastTurnNs_ >= kPulselessTurnNs) return true;
    if (nowNs - lastTurnNs_ >= turnIntervalNs_) turnPending_ = true;
    return false;
  }

  // The screen has had its turn; `nowNs` is when it ended.
  void turnTaken(std::int64_t nowNs) {
    lastTurnNs_ = lastLookNs_ = nowNs;
    turnPending_ = false;
  }
  std::int64_t lastTurnNs() const { return lastTurnNs_; }
  // The run has paused between two turns without the screen taking one (a
  // page lets the browser handle its events more often than it shows the
  // readouts); `nowNs` is when the pause ended. The pause does not count as
  // computation.
  void pausedBetweenTurns(std::int64_t nowNs) { lastLookNs_ = nowNs; }

 private:
  std::int64_t turnIntervalNs_;
  std::int64_t pulsesPerLook_ = 1;
  std::int64_t lastLookNs_;
  std::int64_t lastTurnNs_;
  bool turnPending_ = false;
};

}  // namespace tarvex
