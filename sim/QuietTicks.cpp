// Fast-forward over quiet ticks.
//
// A tick is quiet when all it does is take speedCounter off the pulse
// accumulator without using it up, move the cycle counters, raise tickCount,
// and count towards the next plot point and log step; its speed step (if
// any) only moves speedAccumulator without crossing, and its jerk step (if
// any) only moves jerkCounter without moving accelCounter. Between two
// events the speed counter, the acceleration counter, the state and the live
// options stand still, so a whole stretch of quiet ticks can be applied at
// once with the same result as ticking through it.
//
// Everything else is an event and is computed tick by tick: an output pulse
// and the tick whose accumulator step announces it, a speed step that moves
// the speed counter, a jerk step that moves accelCounter or reloads
// jerkCounter, a plot point, a log step while recording, an idle yield, a
// deceleration-estimate conversion, a linear step that changes accelCounter,
// and any step that would overflow.
#include <algorithm>
#include <limits>

#include "CycleCounters.h"
#include "TickEngine.h"

namespace tarvex {
namespace {

constexpr std::int64_t kEndless = std::numeric_limits<std::int64_t>::max() / 4;
constexpr std::int64_t kInt16Max = 32767, kInt16Min = -32768;
constexpr std::int64_t kInt32Max = 2147483647;

// Speed steps that can follow without moving the speed counter.
std::int64_t quietSpeedSteps(const EngineState& s) {
  const std::int64_t sa = s.speedAccumulator, ac = s.accelCounter;
  if (s.accelerating) {
    // Draws the accumulator down; the step that reaches 0 moves the speed.
    if (sa - ac <= 0) return 0;
    if (ac > 0) return (sa - 1) / ac;
    if (ac == 0) return kEndless;
    return (kInt16Max - sa) / -ac;  // rises until the 16-bit limit
  }
  if (s.decelerating) {
    // Fills the accumulator up; the step that reaches its span moves the speed.
    if (sa + ac >= kSpeedAccumulatorSpan) return 0;
    if (ac > 0) return (kSpeedAccumulatorSpan - 1 - sa) / ac;
    if (ac == 0) return kEndless;
    return (sa - kInt16Min) / -ac;  // falls until the 16-bit limit
  }
  return kEndless;
}

// Jerk steps that can follow without moving accelCounter or reloading
// jerkCounter.
std::int64_t quietJerkSteps(const EngineState& s, const LiveOptions& options) {
  const std::int64_t j = s.jerkCounter;
  switch (s.accelState) {
    case AccelState::AccelRising:
    case AccelState::DecelRising:
      return j >= 1 ? j - 1 : 0;
    case AccelState::AccelFalling:
      return std::max<std::int64_t>(0, std::int64_t{s.params.jerkAccel} - j);
    case AccelState::DecelFalling: {
      const std::int64_t rate = options.symmetric() ? s.params.jerkAccel : s.params.jerkDecel;
      return std::max<std::int64_t>(0, rate - j);
    }
    default:
      return kEndless;  // a jerk step in any other state does nothing
  }
}

bool inRange16(std::int64_t v) {
  return v >= kInt16Min && v <= kInt16Max;
}

}  // namespace

std::int64_t TickEngine::quietTicks() const {
  const EngineState& s = state_;
  const RunValues& p = s.params;

  if (s.decelRatioAccumulator >= p.deceleration && options_.asymmetric()) return 0;

  std::int64_t n = kInt32Max - std::int64_t{s.tickCount};  // tickCount + 1 stays in range
  n = std::min(n, schedule_.nextIdleYieldTick() - s.tickCount);
  n = std::min(n, graph_.ticksBeforeNextPoint());
  n = std::min(n, log_.ticksBeforeNextRecord(options_));

  // Pulse accumulator: quiet while it stays above 0 (and, at a negative
  // speed, within 32 bits).
  const std::int64_t pa = s.pulseAccumulator, sc = s.speedCounter;
  if (sc > 0)
    n = std::min(n, (pa - 1) / sc);
  else if (sc < 0)
    n = std::min(n, (kInt32Max - pa) / -sc);
  if (n <= 0) return 0;

  if (p.sCurve) {
    const CycleDirection dir = jerkCycleDirection(s);
    if (dir != CycleDirection::Hold) {
      if (s.jerkCycle < 0 || s.jerkCycle > kJerkCyclePeriod) return 0;
      const std::int64_t first = JerkCycle::distance(s.jerkCycle, dir, kJerkStepCycleValue);
      const std::int64_t quiet = quietJerkSteps(s, options_);
      if (quiet < kEndless) n = std::min(n, first + 16 * quiet);
    }
  } else {
    // Linear: accelCounter is set from A (or D) on every tick; quiet once it
    // holds that value.
    if (!inRange16(p.acceleration)) return 0;
    std::int64_t target = p.acceleration;
    if (s.decelerating && options_.asymmetric()) {
      if (!inRange16(p.deceleration)) return 0;
      target = p.deceleration;
    }
    if (s.accelCounter != target) return 0;
  }

  const CycleDirection speedDir = speedCycleDirection(s);
  if (speedDir != CycleDirection::Hold) {
    if (s.speedCycle < 0 || s.speedCycle > kSpeedCyclePeriod) return 0;
    const std::int64_t first = SpeedCycle::distance(s.speedCycle, speedDir, kSpeedStepCycleValue);
    const std::int64_t quiet = quietSpeedSteps(s);
    if (quiet < kEndless) n = std::min(n, first + 8 * quiet);
  }
  return std::max<std::int64_t>(n, 0);
}

void TickEngine::skipQuietTicks(std::int64_t n) {
  EngineState& s = state_;
  s.pulseAccumulator = static_cast<std::int32_t>(s.pulseAccumulator - n * s.speedCounter);

  const CycleDirection speedDir = speedCycleDirection(s);
  if (speedDir != CycleDirection::Hold) {
    const std::int64_t steps =
        SpeedCycle::hits(SpeedCycle::distance(s.speedCycle, speedDir, kSpeedStepCycleValue), n);
    const std::int64_t moved = steps * s.accelCounter;
    s.speedAccumulator = static_cast<std::int16_t>(s.accelerating ? s.speedAccumulator - moved
                                                                  : s.speedAccumulator + moved);
    s.speedCycle = SpeedCycle::advance(s.speedCycle, speedDir, n);
  }

  const CycleDirection jerkDir = jerkCycleDirection(s);
  if (jerkDir != CycleDirection::Hold) {
    if (s.params.sCurve) {
      // Rising states count jerkCounter down to 0, falling ones up to the rate.
      const std::int64_t steps =
          JerkCycle::hits(JerkCycle::distance(s.jerkCycle, jerkDir, kJerkStepCycleValue), n);
      const bool rising =
          s.accelState == AccelState::AccelRising || s.accelState == AccelState::DecelRising;
      s.jerkCounter =
          static_cast<std::int32_t>(rising ? s.jerkCounter - steps : s.jerkCounter + steps);
    }
    s.jerkCycle = JerkCycle::advance(s.jerkCycle, jerkDir, n);
  }

  s.tickCount = static_cast<std::int32_t>(s.tickCount + n);
  graph_.skipTicks(n);
  log_.skipTicks(n);
}

}  // namespace tarvex
