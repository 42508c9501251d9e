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
// The turns come at the pace of ScreenPacing: every kTurnIntervalMs, at an
// output pulse.
#pragma once

#include <array>
#include <cstdint>

#include "LiveReadouts.h"
#include "ScreenPacing.h"

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
  YieldRequest nextYield(const RunMoment& at) override { return pacing_.nextYield(at); }
  bool pulseYield(const RunMoment&) override {
    if (pacing_.turnAtPulse(nowNs())) takeTurn();
    return stopRequested_;
  }
  bool idleYield(const RunMoment&) override {
    if (pacing_.turnAtIdleYield(nowNs())) takeTurn();
    return stopRequested_;
  }

  // Stop pressed: the run ends at its next yield.
  void requestStop() { stopRequested_ = true; }
  // Writes every changed value into its field: at a turn and at the end.
  void showChangedValues() {
    if (changed_ != 0) showReadouts(values_, changed_);
    changed_ = 0;
  }

 private:
  static std::int64_t nowNs() { return static_cast<std::int64_t>(nowMs() * 1e6); }
  void takeTurn() {
    showChangedValues();
    drawGraph();
    yieldToBrowser();
    pacing_.turnTaken(nowNs());
  }

  std::array<std::int64_t, kReadoutCount> values_{};
  std::uint32_t changed_ = 0;  // one bit per Readout
  bool stopRequested_ = false;
  ScreenPacing pacing_{static_cast<std::int64_t>(kTurnIntervalMs * 1e6), nowNs()};
};

}  // namespace tarvex::page
