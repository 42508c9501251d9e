// What a run shows on the page while it goes on, and when it hands the
// browser its turn.
//
// A page cannot handle its events in the middle of a computation: the run
// gives the browser its turn by pausing at a yield (LiveReadouts::
// pausesAfterYield), which returns from the page's call into the engine; the
// page's script lets the browser handle its events and then calls the run
// on. It does so once kTurnIntervalMs have passed since the last turn: often
// enough for the screen's rate and for Stop to end the run at once, rarely
// enough that the run keeps the processor. Before each turn the changed
// readouts are written into their fields and the graph is drawn anew; the
// values are kept as numbers in between. Between two turns the run also
// pauses, without drawing anything, once kEventsIntervalMs have passed since
// its last pause, so that a click or a key is handled within a few
// milliseconds rather than a screen's frame. What the user did during a
// pause (Stop, an option box) the run sees as it goes on, at the pulse it
// paused at.
//
// The turns come at the pace of ScreenPacing: every kTurnIntervalMs, at an
// output pulse.
#pragma once

#include <array>
#include <cstdint>

#include "LiveReadouts.h"
#include "ScreenPacing.h"

namespace tarvex::page {

// What the page does before a turn: show the values, draw the graph.
// Implemented in PageApi.cpp.
void showReadouts(const std::array<std::int64_t, kReadoutCount>& values, std::uint32_t changed);
void drawGraph();
double nowMs();

class PageReadouts final : public LiveReadouts {
 public:
  static constexpr double kTurnIntervalMs = 15;
  static constexpr double kEventsIntervalMs = 4;

  void clearStop() override { stopRequested_ = false; }
  void showReadout(Readout readout, std::int64_t value) override {
    values_[static_cast<std::size_t>(readout)] = value;
    changed_ |= 1u << static_cast<unsigned>(readout);
  }
  // A pause for events due at an idle yield waits for the next output
  // pulse, as a turn does.
  YieldRequest nextYield(const RunMoment& at) override {
    return eventsDue_ ? YieldRequest::everyPulse(at) : pacing_.nextYield(at);
  }
  bool pulseYield(const RunMoment&) override {
    const std::int64_t now = nowNs();
    if (pacing_.turnAtPulse(now))
      takeTurn();
    else if (eventsDue(now))
      pause_ = Pause::ForEvents;
    return stopRequested_;
  }
  bool idleYield(const RunMoment&) override {
    const std::int64_t now = nowNs();
    if (pacing_.turnAtIdleYield(now))
      takeTurn();
    else
      eventsDue_ = eventsDue(now);
    return stopRequested_;
  }
  // The run pauses for the browser's turn, and goes on once it is over.
  bool pausesAfterYield() override { return pause_ != Pause::None; }
  bool stopRequestedDuringPause() override {
    lastPauseNs_ = nowNs();
    if (pause_ == Pause::ForTurn)
      pacing_.turnTaken(lastPauseNs_);
    else
      pacing_.pausedBetweenTurns(lastPauseNs_);
    pause_ = Pause::None;
    eventsDue_ = false;
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
  bool eventsDue(std::int64_t now) const {
    return now - lastPauseNs_ >= static_cast<std::int64_t>(kEventsIntervalMs * 1e6);
  }
  void takeTurn() {
    showChangedValues();
    drawGraph();
    pause_ = Pause::ForTurn;
  }

  std::array<std::int64_t, kReadoutCount> values_{};
  std::uint32_t changed_ = 0;  // one bit per Readout
  bool stopRequested_ = false;
  // The pause the run is to make after this yield.
  enum class Pause : std::uint8_t { None, ForEvents, ForTurn };
  Pause pause_ = Pause::None;
  bool eventsDue_ = false;  // at the next output pulse
  ScreenPacing pacing_{static_cast<std::int64_t>(kTurnIntervalMs * 1e6), nowNs()};
  std::int64_t lastPauseNs_ = nowNs();
};

}  // namespace tarvex::page
