// Fast-forward: a stretch of ticks applied at once.
//
// Between two events the speed counter, the acceleration counter, the state
// and the live options stand still, and everything a tick does is plain
// arithmetic: the pulse accumulator gives a pulse at each reload, each
// pulse's bookkeeping raises a few counts, the speed and jerk steps move
// their accumulators without crossing, the cycle counters turn, and the
// graph and the log count towards their next point and record. A stretch
// runs up to the next event anyone needs, each part of the engine telling,
// by the rules of its own step, how far it goes without one:
// - the speed step that moves the speed counter (TickEngine.cpp),
// - the jerk step that moves accelCounter, the linear acceleration counter
//   not yet at its value, the deceleration-estimate steps (jumped only
//   between two pulses), and each
//   pulse whose bookkeeping changes more than counts: a state change, the
//   deceleration start, triangle prevention, a new peak, an overflow
//   (AccelStateMachine),
// - the pulse accumulator: which ticks output a pulse (PulseTrain.h),
// - the last pulse, the yields asked for and the idle yields (YieldSchedule),
// - a plotted point that someone keeps (SpeedGraph), a data-log record
//   (DataLog), and the 32-bit tick count's limit.
// Everything else is computed tick by tick, so every run, every failure
// included, is the same as computing every tick.
#include <algorithm>
#include <limits>

#include "CycleCounters.h"
#include "PulseTrain.h"
#include "TickEngine.h"

namespace tarvex {

std::int64_t TickEngine::stretchTicks() const {
  const EngineState& s = state_;
  const RunValues& p = s.params;
  // tickCount + 1 stays within 32 bits.
  std::int64_t n = std::int64_t{std::numeric_limits<std::int32_t>::max()} - s.tickCount;
  // Deceleration-estimate steps due tick after tick are jumped while no
  // pulse adds to what they take from, up to the last one before an
  // overflow.
  const bool estimateSteps = machine_.decelEstimateStepDue();
  if (estimateSteps && !machine_.estimateStepsRunOut())
    n = std::min(n, machine_.estimateStepsInARow());
  n = std::min(n, schedule_.nextIdleYieldTick() - s.tickCount);
  n = std::min(n, graph_.ticksBeforeNextPoint(pointsKept_, s.speedCounter));
  n = std::min(n, log_.ticksBeforeNextRecord(options_));
  if (n <= 0) return 0;

  if (p.sCurve) {
    const CycleDirection dir = jerkCycleDirection(s);
    if (dir != CycleDirection::Hold) {
      if (s.jerkCycle < 0 || s.jerkCycle > kJerkCyclePeriod) return 0;
      const std::int64_t first = JerkCycle::distance(s.jerkCycle, dir, kJerkStepCycleValue);
      const std::int64_t quiet = machine_.quietJerkSteps();
      if (quiet < AccelStateMachine::kEndless) n = std::min(n, first + kJerkCyclePeriod * quiet);
    }
  } else if (!machine_.linearAccelCounterSettled()) {
    return 0;
  }

  const CycleDirection speedDir = speedCycleDirection(s);
  if (speedDir != CycleDirection::Hold) {
    if (s.speedCycle < 0 || s.speedCycle > kSpeedCyclePeriod) return 0;
    const std::int64_t first = SpeedCycle::distance(s.speedCycle, speedDir, kSpeedStepCycleValue);
    const std::int64_t quiet = quietSpeedSteps();
    if (quiet < kNoSpeedChange) n = std::min(n, first + kSpeedCyclePeriod * quiet);
  }

  // The pulses: none whose bookkeeping does more than count, none that
  // yields, and none past the last one: the tick in which the next pulse
  // falls due after it ends the run.
  std::int64_t pulses =
      estimateSteps
          ? 0
          : std::min(machine_.quietPulses(),
                     schedule_.pulsesBeforeYield(s.outputPulseCount, phases_.entries().size()));
  if (s.outputPulseCount <= p.outputPulses)
    pulses = std::min(pulses, std::int64_t{p.outputPulses} - s.outputPulseCount);
  n = std::min(n, PulseTrain::ticksWithPulsesAtMost(s, pulses));
  return std::max<std::int64_t>(n, 0);
}

void TickEngine::applyStretch(std::int64_t n) {
  EngineState& s = state_;

  machine_.applyEstimateSteps(n);
  if (const std::int64_t pulses = PulseTrain::pulsesIn(s, n); pulses > 0) {
    machine_.applyQuietPulses(pulses);
    s.outputPulseCount += pulses;
    liveReadouts_.showReadout(Readout::OutputPulses, s.outputPulseCount);
  }
  PulseTrain::advance(s, n);

  const CycleDirection speedDir = speedCycleDirection(s);
  if (speedDir != CycleDirection::Hold) {
    const std::int64_t steps =
        SpeedCycle::hits(SpeedCycle::distance(s.speedCycle, speedDir, kSpeedStepCycleValue), n);
    applyQuietSpeedSteps(steps);
    s.speedCycle = SpeedCycle::advance(s.speedCycle, speedDir, n);
  }

  const CycleDirection jerkDir = jerkCycleDirection(s);
  if (jerkDir != CycleDirection::Hold) {
    if (s.params.sCurve)
      machine_.applyQuietJerkSteps(
          JerkCycle::hits(JerkCycle::distance(s.jerkCycle, jerkDir, kJerkStepCycleValue), n));
    s.jerkCycle = JerkCycle::advance(s.jerkCycle, jerkDir, n);
  }

  s.tickCount = static_cast<std::int32_t>(s.tickCount + n);
  graph_.skipTicks(n, s.speedCounter);
  log_.skipTicks(n);
}

}  // namespace tarvex
