// What the engine hands its observers with each event: where the run stands
// at that moment. Observers never hold the engine or ask it anything; what an
// event does not carry, they do not need.
#pragma once

#include <cstdint>
#include <vector>

#include "AccelState.h"

namespace tarvex {

// The run's values at an event.
struct RunMoment {
  std::int64_t tick;    // ticks completed
  std::int64_t pulses;  // output pulses so far
  std::int16_t speedCounter;
  std::int16_t accelCounter;
  AccelState state;
};

// The values behind one plotted point, kept for every point of a run.
struct TracePoint {
  std::int32_t tick;    // ticks completed; 0 for the starting point
  std::int32_t pulses;  // output pulses so far (at most one per tick)
  std::int16_t speedCounter;
  std::int16_t accelCounter;
  AccelState state;
  friend bool operator==(const TracePoint&, const TracePoint&) = default;
};

// A point the speed graph has just plotted, at the end of its tick (the
// starting point at the end of set-up): where it was drawn, in twips of the
// graph area, and what it was drawn from.
struct PlottedPoint {
  TracePoint values;
  float x;
  float y;
  std::int32_t range;  // the run's range, for the speed in pulses per second
};

// Where the plotted points go: into memory, into files, or nowhere.
class TraceSink {
 public:
  virtual ~TraceSink() = default;
  virtual void pointPlotted(const PlottedPoint& point) = 0;
  // A run that completed or was stopped: its values as it ended, `end.tick`
  // being the ticks it completed. A failed run ends without this.
  virtual void runEnded(const TracePoint& end, std::int32_t range) {
    (void)end;
    (void)range;
  }
};

// A state the run entered, with the moment it was entered.
struct PhaseEntry {
  AccelState state;
  std::int64_t tick;  // the tick that entered it, counted from 1; 0 for the set-up
  std::int64_t pulses;
  std::int16_t speedCounter;
};

// The states a run entered, in order: the phase table of the batch runner's
// summary and of the window's run report. A run enters a handful of states,
// so the log never grows during the run beyond its first reservation.
class PhaseLog {
 public:
  PhaseLog() { entries_.reserve(16); }
  void clear() { entries_.clear(); }
  void entered(const PhaseEntry& entry) { entries_.push_back(entry); }
  const std::vector<PhaseEntry>& entries() const { return entries_; }

 private:
  std::vector<PhaseEntry> entries_;
};

}  // namespace tarvex
