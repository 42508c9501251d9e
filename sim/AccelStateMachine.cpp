#include "AccelStateMachine.h"

#include "GuardedArithmetic.h"

namespace tarvex {
namespace {

using i16 = std::int16_t;
using i32 = std::int32_t;

}  // namespace

void AccelStateMachine::enterState(std::int32_t state) {
  s_.accelState = state;
  readouts_.show(Readout::Text15, state);
}

void AccelStateMachine::showAccelCounter() {
  readouts_.show(Readout::Text14, s_.accelCounter);
}

void AccelStateMachine::accelerationPulseBookkeeping() {
  if (!s_.accelerating) return;
  s_.accelPulseCount = guardedAdd<i32>(s_.accelPulseCount, 1, "accelPulseCount + 1");
  readouts_.show(Readout::Text9, s_.accelPulseCount);
  // Symmetric: the deceleration will need one pulse per acceleration pulse.
  // Otherwise the pulse's weight A is collected and converted at D per step.
  if (symmetric())
    s_.decelPointCounter = guardedAdd<i32>(s_.decelPointCounter, 1, "decelPointCounter + 1");
  else
    s_.decelRatioAccumulator = guardedAdd<i32>(s_.decelRatioAccumulator, s_.params.acceleration,
                                               "decelRatioAccumulator + acceleration");
}

void AccelStateMachine::afterOutputPulse() {
  trianglePrevention();
  decelerationStart();
  if (s_.decelerating && s_.speedCounter == s_.params.initialSpeed) {
    s_.dragPulseCount = guardedAdd<i32>(s_.dragPulseCount, 1, "dragPulseCount + 1");
    readouts_.show(Readout::Text16, s_.dragPulseCount);
  }
  // The peak is sampled at output pulses only.
  if (s_.speedCounter > s_.peakSpeed) {
    s_.peakSpeed = s_.speedCounter;
    readouts_.show(Readout::Text17, s_.peakSpeed);
  }
}

void AccelStateMachine::trianglePrevention() {
  const std::int64_t pulsesToGo =
      static_cast<std::int64_t>(s_.params.outputPulses) - s_.outputPulseCount;
  if (s_.params.sCurve) {
    // Pulses the deceleration would need, estimated while accelerating.
    switch (s_.accelState) {
      case 1:
        s_.triangleEstimate = guardedAdd<i32>(s_.triangleEstimate, 11, "triangleEstimate + 11");
        break;
      case 2:
        s_.triangleEstimate = guardedAdd<i32>(s_.triangleEstimate, 3, "triangleEstimate + 3");
        break;
      case 3:
        s_.triangleEstimate = guardedAdd<i32>(s_.triangleEstimate, 11, "triangleEstimate + 11");
        break;
      default:
        break;
    }
    if ((s_.accelState == 1 || s_.accelState == 2) && pulsesToGo <= s_.triangleEstimate) {
      enterState(3);
      s_.jerkOff = false;
      s_.triangleIndicator = true;
      readouts_.show(Readout::Option1, 1);
    }
  } else {
    // Both terms are evaluated on every pulse, accelerating or not.
    const i32 sum = guardedAdd<i32>(s_.decelPointCounter, s_.accelPulseCount,
                                    "decelPointCounter + accelPulseCount");
    const i32 doubled = guardedAdd<i32>(sum, sum, "2 * (decelPointCounter + accelPulseCount)");
    if (doubled >= s_.params.outputPulses && s_.accelerating) {
      s_.accelerating = false;
      s_.constantSpeed = true;
      enterState(4);
      s_.triangleIndicator = true;
      readouts_.show(Readout::Option1, 1);
    }
  }
}

void AccelStateMachine::decelerationStart() {
  if (s_.decelerating) return;
  const bool automatic = options_.check2() == kChecked;
  if (automatic) {
    const std::int64_t pulsesToGo =
        static_cast<std::int64_t>(s_.params.outputPulses) - s_.outputPulseCount;
    if (pulsesToGo > s_.decelPointCounter) return;
  } else {
    if (s_.outputPulseCount < s_.params.manualDecelPoint) return;
  }
  s_.accelerating = false;
  s_.decelerating = true;
  enterState(5);
  s_.jerkSpeedSteps = 0;
  s_.constantSpeed = false;
  s_.jerkOff = false;
  if (automatic) {
    // Deceleration goes on from the acceleration value, the jerk counter
    // and the cycles as they stand.
    if (s_.accelCounter == 0) s_.accelCounter = 1;
  } else {
    s_.jerkCounter = symmetric()
                         ? guardedAdd<i32>(s_.params.jerkAccel, 1, "jerkCounter = jerkAccel + 1")
                         : guardedAdd<i32>(s_.params.jerkDecel, 1, "jerkCounter = jerkDecel + 1");
    s_.accelCounter = 1;
    s_.speedCycle = 7;
    s_.jerkCycle = 15;
  }
}

void AccelStateMachine::convertDecelEstimate() {
  s_.decelRatioAccumulator = guardedSub<i32>(s_.decelRatioAccumulator, s_.params.deceleration,
                                             "decelRatioAccumulator - deceleration");
  s_.decelPointCounter = guardedAdd<i32>(s_.decelPointCounter, 1, "decelPointCounter + 1");
}

// One jerk step: accelCounter moves by one every (rate + 1) jerk steps. When a
// falling jerkCounter goes below 0 it is reloaded with the rate before the
// test for 0, so that a rate of 0 moves accelCounter at every step; for every
// other rate the order makes no difference.
void AccelStateMachine::jerkStep() {
  switch (s_.accelState) {
    case 1: {
      s_.jerkCounter = guardedSub<i32>(s_.jerkCounter, 1, "jerkCounter - 1");
      if (s_.jerkCounter < 0) s_.jerkCounter = s_.params.jerkAccel;
      if (s_.jerkCounter == 0) {
        s_.accelCounter = guardedAdd<i16>(s_.accelCounter, 1, "accelCounter + 1");
        showAccelCounter();
        if (s_.accelCounter >= s_.params.acceleration) {
          enterState(2);
          s_.jerkOff = true;
        }
      }
      break;
    }
    case 3: {
      s_.jerkCounter = guardedAdd<i32>(s_.jerkCounter, 1, "jerkCounter + 1");
      if (s_.jerkCounter > s_.params.jerkAccel) {
        s_.accelCounter = guardedSub<i16>(s_.accelCounter, 1, "accelCounter - 1");
        s_.jerkCounter = 0;
        showAccelCounter();
        if (s_.accelCounter <= 0) {
          enterState(4);
          s_.jerkOff = true;
          s_.accelerating = false;
          s_.constantSpeed = true;
        }
      }
      break;
    }
    case 5: {
      s_.jerkCounter = guardedSub<i32>(s_.jerkCounter, 1, "jerkCounter - 1");
      if (s_.jerkCounter < 0)
        s_.jerkCounter = symmetric() ? s_.params.jerkAccel : s_.params.jerkDecel;
      if (s_.jerkCounter == 0) {
        s_.accelCounter = guardedAdd<i16>(s_.accelCounter, 1, "accelCounter + 1");
        showAccelCounter();
        const i32 ceiling = symmetric() ? s_.params.acceleration : s_.params.deceleration;
        if (s_.accelCounter >= ceiling) {
          enterState(6);
          s_.jerkOff = true;
        }
      }
      break;
    }
    case 7: {
      s_.jerkCounter = guardedAdd<i32>(s_.jerkCounter, 1, "jerkCounter + 1");
      const i32 rate = symmetric() ? s_.params.jerkAccel : s_.params.jerkDecel;
      if (s_.jerkCounter > rate) {
        s_.accelCounter = guardedSub<i16>(s_.accelCounter, 1, "accelCounter - 1");
        s_.jerkCounter = 0;
        showAccelCounter();
        if (s_.accelCounter <= 0) {
          enterState(8);
          s_.jerkOff = true;
        }
      }
      break;
    }
    default:
      break;
  }
}

void AccelStateMachine::linearAccelCounter() {
  s_.accelCounter = guardedNarrow<i16>(s_.params.acceleration, "accelCounter = acceleration");
  if (s_.decelerating && options_.check7() == kUnchecked)
    s_.accelCounter = guardedNarrow<i16>(s_.params.deceleration, "accelCounter = deceleration");
}

void AccelStateMachine::accelerationSpeedChecks() {
  const auto& p = s_.params;
  if (s_.accelState == 1) {
    s_.jerkSpeedSteps = guardedAdd<i16>(s_.jerkSpeedSteps, 1, "jerkSpeedSteps + 1");
    if (s_.jerkSpeedSteps >=
        guardedSub<i16>(p.driveSpeed, s_.speedCounter, "driveSpeed - speedCounter")) {
      enterState(3);
      s_.jerkOff = false;
    }
  }
  if (s_.accelState == 2) {
    if (s_.jerkSpeedSteps >=
        guardedSub<i16>(p.driveSpeed, s_.speedCounter, "driveSpeed - speedCounter")) {
      enterState(3);
      s_.accelCounter = guardedSub<i16>(s_.accelCounter, 1, "accelCounter - 1");
      s_.jerkOff = false;
    }
  }
  if (s_.speedCounter == p.driveSpeed) {
    s_.accelerating = false;
    enterState(4);
    s_.constantSpeed = true;
    s_.jerkOff = true;
  }
}

void AccelStateMachine::decelerationSpeedChecks() {
  const auto& p = s_.params;
  if (s_.accelState == 5) {
    s_.jerkSpeedSteps = guardedAdd<i16>(s_.jerkSpeedSteps, 1, "jerkSpeedSteps + 1");
    if (s_.jerkSpeedSteps >=
        guardedSub<i16>(s_.speedCounter, p.initialSpeed, "speedCounter - initialSpeed")) {
      enterState(7);
      s_.jerkOff = false;
    }
  }
  if (s_.accelState == 6) {
    if (s_.jerkSpeedSteps >=
        guardedSub<i16>(s_.speedCounter, p.initialSpeed, "speedCounter - initialSpeed")) {
      enterState(7);
      s_.accelCounter = guardedSub<i16>(s_.accelCounter, 1, "accelCounter - 1");
      s_.jerkOff = false;
    }
  }
}

}  // namespace tarvex
