// The window-free engine of the acceleration/deceleration generator: set-up
// from the parameter texts, then the tick loop, 8,000,000 ticks per simulated
// second, until the requested pulses are out, a stop is requested, or a
// runtime error ends the run.
#pragma once

#include <cstdint>
#include <string>

#include "AccelStateMachine.h"
#include "CycleCounters.h"
#include "DataLog.h"
#include "EngineState.h"
#include "FormControls.h"
#include "LiveOptions.h"
#include "LiveReadouts.h"
#include "RunOutcome.h"
#include "RunParameters.h"
#include "SpeedGraph.h"

namespace tarvex {

// FastForward applies stretches of quiet ticks at once; TickByTick computes
// every tick. Both give the same run in every observable way.
enum class RunMode { FastForward, TickByTick };

class TickEngine {
 public:
  static constexpr std::int64_t kTicksPerSecond = 8000000;
  // A run in which no pulse has fallen due for this many ticks yields to the
  // window anyway (idleYield), so that it can be stopped. About 0.5 simulated
  // seconds, a few milliseconds of computation. A run that shows
  // ReadoutPort::kReadoutsPerYield values without a pulse yields as well.
  static constexpr std::int64_t kIdleYieldTicks = std::int64_t{1} << 22;

  // The engine reads the option boxes, reports to the readouts, draws on the
  // surface and writes the data log to logPath (empty: nowhere).
  TickEngine(OptionBoxes& boxes, LiveReadouts& readouts, GraphSurface& surface,
             std::string logPath = DataLog::kDefaultPath);

  // One run from set-up to its end. Never throws a run error: every error
  // ends the run as a failed RunOutcome, with the data log closed.
  RunOutcome run(const RunParameters& params, RunMode mode = RunMode::FastForward);

  // The run's state, for consumers that look at it while they are called.
  const EngineState& state() const { return state_; }
  // The number, counted from 1, of the tick now being computed; 0 during
  // set-up. Readouts are shown only before the tick's count is raised, so
  // during a readout this is the tick that shows it.
  std::int64_t currentTick() const { return inLoop_ ? std::int64_t{state_.tickCount} + 1 : 0; }
  const SpeedGraph& graph() const { return graph_; }
  const DataLog& log() const { return log_; }

 private:
  void setUp(const RunParameters& params);
  template <RunMode Mode>
  RunEnd tickLoop();
  void tickBody();
  // Fast-forward (QuietTicks.cpp): how many ticks from the current one on
  // are quiet, and applying that many at once.
  std::int64_t quietTicks() const;
  void skipQuietTicks(std::int64_t ticks);
  bool pulseStep();
  bool idleStep();
  void speedStep();
  void raiseSpeed();
  void lowerSpeed();
  void renewCycleDirections() {
    speedCycleDir_ = speedCycleDirection(state_);
    jerkCycleDir_ = jerkCycleDirection(state_);
  }

  OptionBoxes& boxes_;
  std::int64_t nextIdleYieldTick_ = 0;
  ReadoutPort readouts_;
  EngineState state_;
  LiveOptions options_;
  AccelStateMachine machine_;
  SpeedGraph graph_;
  DataLog log_;
  bool inLoop_ = false;
  // The directions of the two cycle counters, which change only with the
  // phase flags and the state: renewed after every step that can change them.
  CycleDirection speedCycleDir_ = CycleDirection::Hold;
  CycleDirection jerkCycleDir_ = CycleDirection::Hold;
};

}  // namespace tarvex
