#include "AccelStateMachine.h"

#include "GuardedArithmetic.h"

namespace tarvex {
namespace {

using i16 = std::int16_t;
using i32 = std::int32_t;

}  // namespace

void AccelStateMachine::startIn(AccelState state) {
  s_.accelState = state;
  s_.phaseChanged = true;
  readouts_.show(Readout::AccelState, stateNumber(state));
  noteState(0);
}

void AccelStateMachine::enterState(AccelState state) {
  s_.accelState = state;
  s_.phaseChanged = true;
  readouts_.show(Readout::AccelState, stateNumber(state));
  noteState(std::int64_t{s_.tickCount} + 1);
}

void AccelStateMachine::noteState(std::int64_t tick) {
  phases_.entered({s_.accelState, tick, s_.outputPulseCount, s_.speedCounter});
}

void AccelStateMachine::accelerationPulseBookkeeping() {
  if (!s_.accelerating) return;
  s_.accelPulseCount = guardedAdd<i32>(s_.accelPulseCount, 1, Step::AccelPulseCount);
  readouts_.show(Readout::AccelPulses, s_.accelPulseCount);
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
    readouts_.show(Readout::DragPulses, s_.dragPulseCount);
  }
  // The peak is sampled at output pulses only.
  if (s_.speedCounter > s_.peakSpeed) {
    s_.peakSpeed = s_.speedCounter;
    readouts_.show(Readout::PeakSpeed, s_.peakSpeed);
  }
}

void AccelStateMachine::trianglePrevention() {
  const std::int64_t pulsesToGo =
      static_cast<std::int64_t>(s_.params.outputPulses) - s_.outputPulseCount;
  if (s_.params.sCurve) {
    // Pulses the deceleration would need, estimated while accelerating.
    const AccelState state = s_.accelState;
    if (state == AccelState::AccelRising || state == AccelState::AccelFalling)
      s_.triangleEstimate = guardedAdd<i32>(s_.triangleEstimate, kTriangleEstimatePerRampPulse,
                                            Step::TriangleEstimateBy11);
    else if (state == AccelState::AccelConstant)
      s_.triangleEstimate = guardedAdd<i32>(s_.triangleEstimate, kTriangleEstimatePerPlateauPulse,
                                            Step::TriangleEstimateBy3);
    if ((state == AccelState::AccelRising || state == AccelState::AccelConstant) &&
        pulsesToGo <= s_.triangleEstimate) {
      enterState(AccelState::AccelFalling);
      s_.jerkOff = false;
      s_.triangleIndicator = true;
      readouts_.show(Readout::TriangleIndicator, 1);
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
      readouts_.show(Readout::TriangleIndicator, 1);
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
  readouts_.show(Readout::AccelCounter, s_.accelCounter);
  return s_.accelCounter >= ceiling;
}

// One jerk step of a fall: jerkCounter counts up, and each time it passes
// the rate accelCounter goes down by one. True when accelCounter has run out.
bool AccelStateMachine::fall(std::int32_t rate) {
  s_.jerkCounter = guardedAdd<i32>(s_.jerkCounter, 1, Step::JerkCounterUp);
  if (s_.jerkCounter <= rate) return false;
  s_.accelCounter = guardedSub<i16>(s_.accelCounter, 1, Step::AccelCounterDown);
  s_.jerkCounter = 0;
  readouts_.show(Readout::AccelCounter, s_.accelCounter);
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

}  // namespace tarvex
