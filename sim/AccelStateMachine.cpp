#include "AccelStateMachine.h"

#include <algorithm>

#include "GuardedArithmetic.h"

namespace tarvex {
namespace {

using i16 = std::int16_t;
using i32 = std::int32_t;

constexpr std::int64_t kMax32 = std::numeric_limits<i32>::max();
constexpr std::int64_t kMin32 = std::numeric_limits<i32>::min();
// The linear triangle test doubles a 32-bit sum within 32 bits.
constexpr std::int64_t kMaxDoubled = kMax32 / 2, kMinDoubled = kMin32 / 2;

// S-curve triangle prevention acts only while accelCounter rises or is held.
bool triangleTested(AccelState state) {
  return state == AccelState::AccelRising || state == AccelState::AccelConstant;
}

// Of the coming pulses j = 1, 2, ..., those before the first with
// `gap` <= `perPulse` * j (perPulse > 0).
std::int64_t pulsesBefore(std::int64_t gap, std::int64_t perPulse) {
  return gap <= 0 ? 0 : (gap - 1) / perPulse;
}

}  // namespace

void AccelStateMachine::startIn(AccelState state) {
  s_.accelState = state;
  s_.phaseChanged = true;
  readouts_.showReadout(Readout::AccelState, stateNumber(state));
  noteState(0);
}

void AccelStateMachine::enterState(AccelState state) {
  s_.accelState = state;
  s_.phaseChanged = true;
  readouts_.showReadout(Readout::AccelState, stateNumber(state));
  noteState(std::int64_t{s_.tickCount} + 1);
}

void AccelStateMachine::noteState(std::int64_t tick) {
  phases_.entered({s_.accelState, tick, s_.outputPulseCount, s_.speedCounter});
}

void AccelStateMachine::accelerationPulseBookkeeping() {
  if (!s_.accelerating) return;
  s_.accelPulseCount = guardedAdd<i32>(s_.accelPulseCount, 1, Step::AccelPulseCount);
  readouts_.showReadout(Readout::AccelPulses, s_.accelPulseCount);
  // Symmetric: the deceleration will need one pulse per acceleration pulse.
  // Otherwise the pulse's weight A is collected and converted at D per step.
  if (options_.symmetric())
    s_.decelPointCounter = guardedAdd<i32>(s_.decelPointCounter, 1, Step::DecelPointCount);
  else
    s_.decelRatioAccumulator =
        guardedAdd<i32>(s_.decelRatioAccumulator, s_.params.acceleration, Step::DecelRatioIn);
}

void AccelStateMachine::afterOutputPulse() {
  trianglePrevention();
  decelerationStart();
  if (s_.decelerating && s_.speedCounter == s_.params.initialSpeed) {
    s_.dragPulseCount = guardedAdd<i32>(s_.dragPulseCount, 1, Step::DragPulseCount);
    readouts_.showReadout(Readout::DragPulses, s_.dragPulseCount);
  }
  // The peak is sampled at output pulses only.
  if (s_.speedCounter > s_.peakSpeed) {
    s_.peakSpeed = s_.speedCounter;
    readouts_.showReadout(Readout::PeakSpeed, s_.peakSpeed);
  }
}

void AccelStateMachine::trianglePrevention() {
  const std::int64_t pulsesToGo =
      static_cast<std::int64_t>(s_.params.outputPulses) - s_.outputPulseCount;
  if (s_.params.sCurve) {
    // Pulses the deceleration would need, estimated while accelerating.
    const AccelState state = s_.accelState;
    if (const std::int32_t gain = triangleEstimateGain(); gain != 0)
      s_.triangleEstimate =
          guardedAdd<i32>(s_.triangleEstimate, gain,
                          gain == kTriangleEstimatePerRampPulse ? Step::TriangleEstimateBy11
                                                                : Step::TriangleEstimateBy3);
    if (triangleTested(state) && pulsesToGo <= s_.triangleEstimate) {
      enterState(AccelState::AccelFalling);
      s_.jerkOff = false;
      s_.triangleIndicator = true;
      readouts_.showReadout(Readout::TriangleIndicator, 1);
    }
  } else {
    // Both terms are evaluated on every pulse, accelerating or not.
    const i32 sum =
        guardedAdd<i32>(s_.decelPointCounter, s_.accelPulseCount, Step::LinearTriangleSum);
    const i32 doubled = guardedAdd<i32>(sum, sum, Step::LinearTriangleDouble);
    if (doubled >= s_.params.outputPulses && s_.accelerating) {
      s_.accelerating = false;
      s_.constantSpeed = true;
      enterState(AccelState::ConstantSpeed);
      s_.triangleIndicator = true;
      readouts_.showReadout(Readout::TriangleIndicator, 1);
    }
  }
}

void AccelStateMachine::decelerationStart() {
  if (s_.decelerating) return;
  const bool automatic = options_.automaticDeceleration();
  if (automatic) {
    const std::int64_t pulsesToGo =
        static_cast<std::int64_t>(s_.params.outputPulses) - s_.outputPulseCount;
    if (pulsesToGo > s_.decelPointCounter) return;
  } else {
    if (s_.outputPulseCount < s_.params.manualDecelPoint) return;
  }
  s_.accelerating = false;
  s_.decelerating = true;
  enterState(AccelState::DecelRising);
  s_.jerkSpeedSteps = 0;
  s_.constantSpeed = false;
  s_.jerkOff = false;
  if (automatic) {
    // Deceleration goes on from the acceleration value, the jerk counter
    // and the cycles as they stand.
    if (s_.accelCounter == 0) s_.accelCounter = 1;
  } else {
    // Manual: the deceleration begins afresh.
    s_.jerkCounter = options_.symmetric()
                         ? guardedAdd<i32>(s_.params.jerkAccel, 1, Step::JerkCounterFromJerkAccel)
                         : guardedAdd<i32>(s_.params.jerkDecel, 1, Step::JerkCounterFromJerkDecel);
    s_.accelCounter = 1;
    s_.speedCycle = kSpeedStepCycleValue;
    s_.jerkCycle = kJerkStepCycleValue;
  }
}

void AccelStateMachine::convertDecelEstimate() {
  s_.decelRatioAccumulator =
      guardedSub<i32>(s_.decelRatioAccumulator, s_.params.deceleration, Step::DecelRatioOut);
  s_.decelPointCounter = guardedAdd<i32>(s_.decelPointCounter, 1, Step::DecelPointCount);
}

void AccelStateMachine::jerkStep() {
  switch (s_.accelState) {
    case AccelState::AccelRising:
      if (rise(s_.params.jerkAccel, s_.params.acceleration)) {
        enterState(AccelState::AccelConstant);
        s_.jerkOff = true;
      }
      break;
    case AccelState::AccelFalling:
      if (fall(s_.params.jerkAccel)) {
        enterState(AccelState::ConstantSpeed);
        s_.jerkOff = true;
        s_.accelerating = false;
        s_.constantSpeed = true;
      }
      break;
    case AccelState::DecelRising:
      if (rise(decelerationRate(), decelerationCeiling())) {
        enterState(AccelState::DecelConstant);
        s_.jerkOff = true;
      }
      break;
    case AccelState::DecelFalling:
      if (fall(decelerationRate())) {
        enterState(AccelState::DecelDone);
        s_.jerkOff = true;
      }
      break;
    default:
      break;
  }
}

// One jerk step of a rise: jerkCounter counts down, and each time it comes
// to 0 accelCounter goes up by one. A jerkCounter gone below 0 is reloaded
// with the rate before the test for 0, so that a rate of 0 raises
// accelCounter at every step; for every other rate the order makes no
// difference. True when accelCounter has reached the ceiling.
bool AccelStateMachine::rise(std::int32_t rate, std::int32_t ceiling) {
  s_.jerkCounter = guardedSub<i32>(s_.jerkCounter, 1, Step::JerkCounterDown);
  if (s_.jerkCounter < 0) s_.jerkCounter = rate;
  if (s_.jerkCounter != 0) return false;
  s_.accelCounter = guardedAdd<i16>(s_.accelCounter, 1, Step::AccelCounterUp);
  readouts_.showReadout(Readout::AccelCounter, s_.accelCounter);
  return s_.accelCounter >= ceiling;
}

// One jerk step of a fall: jerkCounter counts up, and each time it passes
// the rate accelCounter goes down by one. True when accelCounter has run out.
bool AccelStateMachine::fall(std::int32_t rate) {
  s_.jerkCounter = guardedAdd<i32>(s_.jerkCounter, 1, Step::JerkCounterUp);
  if (s_.jerkCounter <= rate) return false;
  s_.accelCounter = guardedSub<i16>(s_.accelCounter, 1, Step::AccelCounterDown);
  s_.jerkCounter = 0;
  readouts_.showReadout(Readout::AccelCounter, s_.accelCounter);
  return s_.accelCounter <= 0;
}

void AccelStateMachine::linearAccelCounter() {
  s_.accelCounter = guardedNarrow<i16>(s_.params.acceleration, Step::AccelCounterFromAcceleration);
  if (s_.decelerating && options_.asymmetric())
    s_.accelCounter =
        guardedNarrow<i16>(s_.params.deceleration, Step::AccelCounterFromDeceleration);
}

// jerkSpeedSteps counts the speed steps made while accelCounter was rising;
// the fall begins as soon as the speed still to go (upper - lower)
// is no more than that count, so that the fall mirrors the rise. Leaving
// the plateau lowers accelCounter by one at once, unshown.
void AccelStateMachine::passToFallingWhenRoomRunsOut(AccelState rising, AccelState plateau,
                                                     AccelState falling, std::int16_t upper,
                                                     std::int16_t lower, Step roomStep) {
  if (s_.accelState == rising) {
    s_.jerkSpeedSteps = guardedAdd<i16>(s_.jerkSpeedSteps, 1, Step::JerkSpeedSteps);
    if (s_.jerkSpeedSteps >= guardedSub<i16>(upper, lower, roomStep)) {
      enterState(falling);
      s_.jerkOff = false;
    }
  }
  if (s_.accelState == plateau) {
    if (s_.jerkSpeedSteps >= guardedSub<i16>(upper, lower, roomStep)) {
      enterState(falling);
      s_.accelCounter = guardedSub<i16>(s_.accelCounter, 1, Step::AccelCounterDown);
      s_.jerkOff = false;
    }
  }
}

void AccelStateMachine::accelerationSpeedChecks() {
  passToFallingWhenRoomRunsOut(AccelState::AccelRising, AccelState::AccelConstant,
                               AccelState::AccelFalling, s_.params.driveSpeed, s_.speedCounter,
                               Step::DriveSpeedRoom);
  if (s_.speedCounter == s_.params.driveSpeed) {
    s_.accelerating = false;
    enterState(AccelState::ConstantSpeed);
    s_.constantSpeed = true;
    s_.jerkOff = true;
  }
}

void AccelStateMachine::decelerationSpeedChecks() {
  passToFallingWhenRoomRunsOut(AccelState::DecelRising, AccelState::DecelConstant,
                               AccelState::DecelFalling, s_.speedCounter, s_.params.initialSpeed,
                               Step::InitialSpeedRoom);
}

// Pulses added to the triangle estimate by each output pulse, by state.
std::int32_t AccelStateMachine::triangleEstimateGain() const {
  switch (s_.accelState) {
    case AccelState::AccelRising:
    case AccelState::AccelFalling:
      return kTriangleEstimatePerRampPulse;
    case AccelState::AccelConstant:
      return kTriangleEstimatePerPlateauPulse;
    default:
      return 0;
  }
}

std::int64_t AccelStateMachine::quietPulses() const {
  const RunValues& p = s_.params;
  const std::int64_t pulses = s_.outputPulseCount;
  std::int64_t quiet = kEndless;
  const auto atMost = [&quiet](std::int64_t n) {
    quiet = std::min(quiet, std::max<std::int64_t>(n, 0));
  };

  // Acceleration-pulse bookkeeping: the counts it raises stay within 32
  // bits, and an asymmetric estimate does not reach a conversion step.
  std::int64_t decelPointGain = 0;
  if (s_.accelerating) {
    atMost(kMax32 - s_.accelPulseCount);
    if (options_.symmetric()) {
      decelPointGain = 1;
      atMost(kMax32 - s_.decelPointCounter);
    } else {
      const std::int64_t a = p.acceleration, collected = s_.decelRatioAccumulator;
      if (a > 0) {
        atMost((kMax32 - collected) / a);
        if (options_.asymmetric()) atMost(pulsesBefore(p.deceleration - collected, a));
      } else if (a < 0) {
        atMost((collected - kMin32) / -a);
      }
    }
  }

  // Triangle prevention.
  if (p.sCurve) {
    const std::int64_t gain = triangleEstimateGain();
    if (gain != 0) atMost((kMax32 - s_.triangleEstimate) / gain);
    // The pulses to go, P - (pulses + j), against the estimate, which grows by gain.
    if (triangleTested(s_.accelState))
      atMost(pulsesBefore(p.outputPulses - pulses - s_.triangleEstimate, 1 + gain));
  } else {
    // The sum of the two counts, doubled, every pulse: sum + gain * j.
    const std::int64_t gain = (s_.accelerating ? 1 : 0) + decelPointGain;
    const std::int64_t sum = std::int64_t{s_.decelPointCounter} + s_.accelPulseCount;
    if (sum + gain < kMinDoubled || sum + gain > kMaxDoubled)
      atMost(0);
    else if (gain > 0)
      atMost((kMaxDoubled - sum) / gain);
    if (s_.accelerating) atMost(pulsesBefore(p.outputPulses - 2 * sum, 2 * gain));
  }

  // The deceleration start.
  if (!s_.decelerating) {
    if (options_.automaticDeceleration())
      atMost(pulsesBefore(p.outputPulses - pulses - s_.decelPointCounter, 1 + decelPointGain));
    else
      atMost(pulsesBefore(p.manualDecelPoint - pulses, 1));
  }

  // Drag pulses, and the peak, which moves only at the first pulse of a new speed.
  if (s_.decelerating && s_.speedCounter == p.initialSpeed) atMost(kMax32 - s_.dragPulseCount);
  if (s_.speedCounter > s_.peakSpeed) atMost(0);
  return quiet;
}

void AccelStateMachine::applyQuietPulses(std::int64_t pulses) {
  if (pulses <= 0) return;
  const RunValues& p = s_.params;
  if (s_.accelerating) {
    s_.accelPulseCount = static_cast<i32>(s_.accelPulseCount + pulses);
    readouts_.showReadout(Readout::AccelPulses, s_.accelPulseCount);
    if (options_.symmetric())
      s_.decelPointCounter = static_cast<i32>(s_.decelPointCounter + pulses);
    else
      s_.decelRatioAccumulator =
          static_cast<i32>(s_.decelRatioAccumulator + pulses * p.acceleration);
  }
  if (p.sCurve)
    s_.triangleEstimate = static_cast<i32>(s_.triangleEstimate + pulses * triangleEstimateGain());
  if (s_.decelerating && s_.speedCounter == p.initialSpeed) {
    s_.dragPulseCount = static_cast<i32>(s_.dragPulseCount + pulses);
    readouts_.showReadout(Readout::DragPulses, s_.dragPulseCount);
  }
}

bool AccelStateMachine::rising() const {
  return s_.accelState == AccelState::AccelRising || s_.accelState == AccelState::DecelRising;
}

std::int32_t AccelStateMachine::fallingRate() const {
  return s_.accelState == AccelState::AccelFalling ? s_.params.jerkAccel : decelerationRate();
}

// rise() moves accelCounter when jerkCounter comes down to 0, fall() when it
// passes the rate; the jerk steps before only move jerkCounter.
std::int64_t AccelStateMachine::quietJerkSteps() const {
  const std::int64_t counter = s_.jerkCounter;
  switch (s_.accelState) {
    case AccelState::AccelRising:
    case AccelState::DecelRising:
      return counter >= 1 ? counter - 1 : 0;
    case AccelState::AccelFalling:
    case AccelState::DecelFalling:
      return std::max<std::int64_t>(0, fallingRate() - counter);
    default:
      return kEndless;  // a jerk step in any other state does nothing
  }
}

void AccelStateMachine::applyQuietJerkSteps(std::int64_t steps) {
  if (quietJerkSteps() == kEndless) return;  // no jerk step acts in this state
  s_.jerkCounter = static_cast<i32>(rising() ? s_.jerkCounter - steps : s_.jerkCounter + steps);
}

// Each step needs at least D collected (with D of 0 or less, every tick has
// one); what is collected and the deceleration point's count stay within 32
// bits.
std::int64_t AccelStateMachine::estimateStepsInARow() const {
  if (!decelEstimateStepDue()) return 0;
  const std::int64_t d = s_.params.deceleration, collected = s_.decelRatioAccumulator;
  const std::int64_t withinCount = kMax32 - s_.decelPointCounter;
  if (d > 0) return std::min((collected - d) / d + 1, withinCount);
  if (d == 0) return withinCount;
  return std::min((kMax32 - collected) / -d, withinCount);
}

bool AccelStateMachine::estimateStepsRunOut() const {
  const std::int64_t d = s_.params.deceleration;
  return d > 0 && (s_.decelRatioAccumulator - d) / d + 1 <= kMax32 - s_.decelPointCounter;
}

void AccelStateMachine::applyEstimateSteps(std::int64_t ticks) {
  const std::int64_t steps = std::min(ticks, estimateStepsInARow());
  if (steps <= 0) return;
  s_.decelRatioAccumulator =
      static_cast<i32>(s_.decelRatioAccumulator - steps * s_.params.deceleration);
  s_.decelPointCounter = static_cast<i32>(s_.decelPointCounter + steps);
}

bool AccelStateMachine::linearAccelCounterSettled() const {
  const auto fits = [](std::int32_t v) {
    return v >= std::numeric_limits<i16>::min() && v <= std::numeric_limits<i16>::max();
  };
  std::int32_t value = s_.params.acceleration;
  if (!fits(value)) return false;
  if (s_.decelerating && options_.asymmetric()) {
    value = s_.params.deceleration;
    if (!fits(value)) return false;
  }
  return s_.accelCounter == value;
}

}  // namespace tarvex
