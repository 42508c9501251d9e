// The figures that compare runs and that a move is measured by: how long the
// run took, its peak speed, when acceleration ended and deceleration began,
// the drag pulses and whether triangle prevention acted. The sweep's rows
// and the design from a target move read them from here, so both mean the
// same by each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "RunSession.h"

namespace tarvex {

struct RunFigures {
  std::int64_t ticks = 0;   // the whole run
  std::int64_t pulses = 0;  // output pulses
  std::int32_t range = 0;   // as converted; 0 when set-up failed before it
  std::int32_t peakSpeed = 0;
  std::int16_t initialSpeed = 0;  // the speed counter the run started at
  // Acceleration ends when the run first leaves states 1 to 3 (for constant
  // speed or deceleration); deceleration starts when it first enters state 5.
  std::optional<std::int64_t> accelEndTick;
  std::optional<std::int64_t> decelStartTick;
  std::int32_t dragPulses = 0;  // as 引きずりパルス数 shows them
  bool triangle = false;        // as 三角防止作動 shows it

  // Pulses per second, not finite at range 0.
  double peakPulsesPerSecond() const;
  double startPulsesPerSecond() const;
  double seconds() const;
  std::optional<double> accelEndSeconds() const;
  std::optional<double> decelStartSeconds() const;
  // From the start of the deceleration to the end of the run.
  std::optional<double> decelSeconds() const;
};

RunFigures figuresOf(const RunResult& result);

// The figures as the tables print them (seconds to 9 decimals, pulses per
// second to 3); empty where a run has none.
struct RunFigureTexts {
  std::string seconds, peakPulsesPerSecond, accelEnd, decelStart;
};
RunFigureTexts tableTexts(const RunFigures& figures);

}  // namespace tarvex
