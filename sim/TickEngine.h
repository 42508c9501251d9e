// The window-free engine of the acceleration/deceleration generator: set-up
// from the parameter texts, then the tick loop, 8,000,000 ticks per simulated
// second, until the requested pulses are out, a stop is requested, or a
// runtime error ends the run.
#pragma once

#include <cstdint>
#include <filesystem>

#include "AccelStateMachine.h"
#include "CycleCounters.h"
#include "DataLog.h"
#include "EngineState.h"
#include "LiveOptions.h"
#include "LiveReadouts.h"
#include "Parameters.h"
#include "RunEvents.h"
#include "RunOutcome.h"
#include "SpeedGraph.h"
#include "YieldSchedule.h"

namespace tarvex {

// FastForward applies whole stretches of ticks at once, output pulses
// included, up to the next tick where something happens that anyone can see;
// TickByTick computes every tick. Both give the same run in every observable
// way: outcome, readouts at every yield and at the end, phases, points, trace
// and log.
enum class RunMode { FastForward, TickByTick };

class TickEngine {
 public:
  // The engine reads its options from `options`, shows its values on
  // `readouts`, draws on `surface`, hands every plotted point to `trace`
  // (nullptr: to no one) and writes the data log to `logPath` (empty:
  // nowhere).
  TickEngine(RunOptionSource& options, LiveReadouts& readouts, GraphSurface& surface,
             TraceSink* trace, std::filesystem::path logPath = DataLog::kDefaultPath);

  // One run from set-up to its end. Never throws a run error: every error
  // ends the run as a failed RunOutcome, with the data log closed.
  RunOutcome run(const RunParameters& params, RunMode mode = RunMode::FastForward);

  // The same run in slices, for a caller that must have control back while
  // the run goes on: start() sets up and computes until the run ends or its
  // readouts pause it at a yield (LiveReadouts::pausesAfterYield); goOn()
  // carries on from the pause. Both return whether the run has ended; its
  // outcome is then outcome(). A run paused and gone on at any yields is the
  // run that run() computes, in every observable way.
  bool start(const RunParameters& params, RunMode mode = RunMode::FastForward);
  bool goOn();
  const RunOutcome& outcome() const { return outcome_; }

  // What the run left: its state, the states it entered, its graph and its
  // log, as they stood at its end.
  const EngineState& state() const { return state_; }
  const PhaseLog& phases() const { return phases_; }
  const SpeedGraph& graph() const { return graph_; }
  const DataLog& log() const { return log_; }
  // The number, counted from 1, of the tick now being computed; 0 during
  // set-up. Readouts are shown only before the tick's count is raised, so
  // during a readout this is the tick that shows it.
  std::int64_t currentTick() const { return inLoop_ ? std::int64_t{state_.tickCount} + 1 : 0; }

 private:
  // One slice: from set-up (`params`) or from the pause (nullptr) to the
  // run's end or its next pause; whether the run has ended.
  bool slice(const RunParameters* params);
  bool stoppedDuringPause();
  void setUp(const RunParameters& params);
  // The tick loop, until the run ends or pauses (then paused_ is set and
  // what it returns means nothing).
  RunEnd loop();
  template <RunMode Mode>
  RunEnd tickLoop();
  void tickBody();
  // Fast-forward (Stretch.cpp): how many ticks from the current one on can
  // be applied at once, and applying that many.
  std::int64_t stretchTicks() const;
  void applyStretch(std::int64_t ticks);
  void planYields();
  RunMoment moment() const;
  TracePoint tracePoint() const;
  void pointPlotted();
  // Whether the run leaves the loop at this step: stopped or paused.
  bool pulseStep();
  bool idleStep();
  bool answered(bool stop);
  void afterYield();
  void speedStep();
  void raiseSpeed();
  void lowerSpeed();
  static constexpr std::int64_t kNoSpeedChange = std::int64_t{1} << 40;
  std::int64_t quietSpeedSteps() const;
  void applyQuietSpeedSteps(std::int64_t steps);

  RunOptionSource& optionSource_;
  LiveReadouts& liveReadouts_;
  TraceSink* trace_;
  YieldSchedule schedule_;
  EngineState state_;
  PhaseLog phases_;
  LiveOptions options_;
  AccelStateMachine machine_;
  SpeedGraph graph_;
  DataLog log_;
  // Whether the plotted points go anywhere; points nobody keeps are counted.
  bool pointsKept_ = true;
  bool inLoop_ = false;
  bool paused_ = false;
  RunMode mode_ = RunMode::FastForward;
  RunOutcome outcome_;
  // The cycles' directions, renewed in the cycle step after a change of
  // state (EngineState::phaseChanged).
  CycleDirection speedCycleDirection_ = CycleDirection::Hold;
  CycleDirection jerkCycleDirection_ = CycleDirection::Hold;
};

}  // namespace tarvex
