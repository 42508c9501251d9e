// The acceleration/deceleration state machine: what accelCounter holds on
// every tick, when acceleration ends and deceleration begins and ends, and
// the bookkeeping shown beside it (state, acceleration pulses, drag pulses,
// peak speed, triangle prevention).
//
// States: 1 acceleration rising, 2 constant acceleration, 3 acceleration
// falling, 4 constant speed, 5 deceleration rising, 6 constant deceleration,
// 7 deceleration falling, 8 deceleration finished. Linear runs use 1, 3, 4,
// 5 and 7 only to mark the phases.
//
// Symmetric means Check7 holds 1 at the moment it is read; every other value,
// a grayed box included, counts as asymmetric, except where a test asks for
// 0 explicitly (the deceleration-estimate conversion).
#pragma once

#include "EngineState.h"
#include "LiveOptions.h"
#include "ReadoutPort.h"

namespace tarvex {

class AccelStateMachine {
 public:
  AccelStateMachine(EngineState& state, ReadoutPort& readouts, LiveOptions& options)
      : s_(state), readouts_(readouts), options_(options) {}

  // Pulse step, before the output pulse is counted.
  void accelerationPulseBookkeeping();
  // Pulse step, after the output pulse is counted: triangle prevention, the
  // deceleration start, the drag-pulse count and the peak speed, in order.
  void afterOutputPulse();

  // Every tick: one step of the asymmetric deceleration estimate, D of the
  // accumulated A per step, while Check7 is 0.
  void decelEstimateConversion() {
    if (s_.decelRatioAccumulator >= s_.params.deceleration && options_.check7() == kUnchecked)
        [[unlikely]]
      convertDecelEstimate();
  }

  // Every tick: the acceleration-counter step. True when it ran a jerk
  // step, which may have changed the state.
  bool accelCounterStep() {
    if (s_.params.sCurve) {
      if (s_.jerkCycle == 15 && !s_.jerkOff) {
        jerkStep();
        return true;
      }
    } else {
      linearAccelCounter();
    }
    return false;
  }

  // Inside the speed step, right after speedCounter has moved by one.
  void accelerationSpeedChecks();
  void decelerationSpeedChecks();

  // Set-up of the state machine's own counters and readouts is done by the
  // engine; this sets accelState and shows it.
  void enterState(std::int32_t state);

 private:
  void convertDecelEstimate();
  void jerkStep();
  void trianglePrevention();
  void decelerationStart();
  void linearAccelCounter();
  void showAccelCounter();

  bool symmetric() const { return options_.check7() == kChecked; }

  EngineState& s_;
  ReadoutPort& readouts_;
  LiveOptions& options_;
};

}  // namespace tarvex
