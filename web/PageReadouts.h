// What a run shows on the page while it goes on, and when it hands the
// browser its turn.
//
// A page cannot handle its events in the middle of a computation: the run
// gives the browser its turn by suspending itself (the build's asyncify
// instrumentation unwinds the run and winds it back when the browser calls
// again). It does so at a yield once kTurnIntervalMs have passed since the
// last turn: often enough for the screen's rate and for Stop to end the run
// at once, rarely enough that the run keeps the processor. Before each turn
// the changed readouts are written into their fields and the graph is drawn
// anew; the values are kept as numbers in between.
//
// The run is asked to yield only every so many output pulses, as many as it
// computes in about kClockLookMs (halved when they take longer, doubled when
// less, at most kMaxPulsesPerLook); each yield reads the clock.
#pragma once

#include <array>
#include <cstdint>

#include "LiveReadouts.h"

namespace tarvex::page {

// What the page does at a turn: show the values, draw the graph, let the
// browser handle its events. Implemented in PageApi.cpp.
void showReadouts(const std::array<std::int64_t, kReadoutCount>& values, std::uint32_t changed);
void drawGraph();
void yieldToBrowser();
double nowMs();

class PageReadouts final : public LiveReadouts {
 public:
  static constexpr double kTurnIntervalMs = 15;

  void clearStop() override { stopRequested_ = false; }
  void showReadout(Readout readout, std::int64_t value) override {
    values_[static_cast<std::size_t>(readout)] = value;
    changed_ |= 1u << static_cast<unsigned>(readout);
  }
  YieldRequest nextYield(const RunMoment& at) override {
    return YieldRequest::atPulse(at.pulses + pulsesPerLook_);
  }
  bool pulseYield(const RunMoment&) override { return lookAtTheClock(); }
  bool idleYield(const RunMoment&) override { return lookAtTheClock(); }

  // Stop pressed: the run ends at its next yield.
  void requestStop() { stopRequested_ = true; }
  // Writes every changed value into its field: at a turn and at the end.
  void showChangedValues() {
    if (changed_ != 0) showReadouts(values_, changed_);
    changed_ = 0;
  }

 private:
  static constexpr double kClockLookMs = 0.25;
  static constexpr std::int64_t kMaxPulsesPerLook = std::int64_t{1} << 24;

  bool lookAtTheClock() {
    const double now = nowMs();
    pulsesPerLook_ =
        now - lastLookMs_ > kClockLookMs
            ? (pulsesPerLook_ > 1 ? pulsesPerLook_ / 2 : 1)
            : (pulsesPerLook_ < kMaxPulsesPerLook ? pulsesPerLook_ * 2 : kMaxPulsesPerLook);
    lastLookMs_ = now;
    if (now - lastTurnMs_ >= kTurnIntervalMs) {
      showChangedValues();
      drawGraph();
      yieldToBrowser();
      lastTurnMs_ = lastLookMs_ = nowMs();
    }
    return stopRequested_;
  }

  std::array<std::int64_t, kReadoutCount> values_{};
  std::uint32_t changed_ = 0;  // one bit per Readout
  bool stopRequested_ = false;
  std::int64_t pulsesPerLook_ = 1;
  double lastLookMs_ = nowMs();
  double lastTurnMs_ = lastLookMs_;
};

}  // namespace tarvex::page
