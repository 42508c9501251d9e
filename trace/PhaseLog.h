// The states a run entered, each with the moment it was entered: the phase
// table of the batch runner's summary and of the window's run report.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvex {

class TickEngine;

struct PhaseEntry {
  std::int32_t state;
  std::int64_t tick;  // 0 for the set-up
  std::int64_t pulses;
  std::int16_t speedCounter;
};

class PhaseLog {
 public:
  // The engine has shown a new state (the state readout).
  void stateEntered(std::int32_t state, const TickEngine& engine);
  void clear() { entries_.clear(); }
  const std::vector<PhaseEntry>& entries() const { return entries_; }

 private:
  std::vector<PhaseEntry> entries_;
};

}  // namespace tarvex
