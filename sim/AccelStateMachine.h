// The acceleration/deceleration state machine: what accelCounter holds on
// every tick, when acceleration ends and deceleration begins and ends, and
// the bookkeeping shown beside it (state, acceleration pulses, drag pulses,
// peak speed, triangle prevention).
//
// The states are those of AccelState.h. Every state entered is noted in the
// run's phase log, where it is entered.
//
// The acceleration and the deceleration are shaped alike: a rise of
// accelCounter up to a ceiling, a plateau, and a fall back to 0, the rise
// and fall at one step every (rate + 1) jerk steps. The acceleration takes
// ceiling A and rate K; a symmetric deceleration takes them too, an
// asymmetric one D and L.
#pragma once

#include <cstdint>
#include <limits>

#include "EngineState.h"
#include "LiveOptions.h"
#include "LiveReadouts.h"
#include "RunError.h"
#include "RunEvents.h"

namespace tarvex {

class AccelStateMachine {
 public:
  AccelStateMachine(EngineState& state, LiveReadouts& readouts, const LiveOptions& options,
                    PhaseLog& phases)
      : s_(state), readouts_(readouts), options_(options), phases_(phases) {}

  // Pulse step, before the output pulse is counted.
  void accelerationPulseBookkeeping();
  // Pulse step, after the output pulse is counted: triangle prevention, the
  // deceleration start, the drag-pulse count and the peak speed, in order.
  void afterOutputPulse();

  // Every tick: one step of the asymmetric deceleration estimate, D of the
  // accumulated A per step, while the deceleration is asymmetric.
  void decelEstimateConversion() {
    if (decelEstimateStepDue()) [[unlikely]]
      convertDecelEstimate();
  }
  bool decelEstimateStepDue() const {
    return s_.decelRatioAccumulator >= s_.params.deceleration && options_.asymmetric();
  }

  // Every tick: the acceleration-counter step.
  void accelCounterStep() {
    if (s_.params.sCurve) {
      if (s_.jerkCycle == kJerkStepCycleValue && !s_.jerkOff) jerkStep();
    } else {
      linearAccelCounter();
    }
  }

  // Inside the speed step, right after speedCounter has moved by one.
  void accelerationSpeedChecks();
  void decelerationSpeedChecks();

  // Set-up: the run starts in `state`, entered at tick 0.
  void startIn(AccelState state);

  // Stretches applied at once. Each answer follows from the rules of the
  // steps above for the state as it stands and the options as they stand
  // (they change only at yields, where stretches end).
  static constexpr std::int64_t kEndless = std::numeric_limits<std::int64_t>::max() / 4;

  // How many of the coming output pulses only count: their bookkeeping
  // raises the acceleration pulses, the deceleration estimate, the triangle
  // estimate and the drag pulses, and does nothing else (no state, no
  // indicator, no peak, no estimate step falling due, no overflow).
  std::int64_t quietPulses() const;
  // The bookkeeping of that many pulses; the tick loop counts them.
  void applyQuietPulses(std::int64_t pulses);
  // How many of the coming jerk steps (S-curve) only move jerkCounter.
  std::int64_t quietJerkSteps() const;
  void applyQuietJerkSteps(std::int64_t steps);
  // How many of the coming ticks make a deceleration-estimate step, one
  // after the other, with no pulse among them: D is taken off the collected
  // A while at least D is left, and the next would overflow or the
  // collected A has fallen below D.
  std::int64_t estimateStepsInARow() const;
  // Whether the steps in a row end because less than D is left, not because
  // the next would overflow.
  bool estimateStepsRunOut() const;
  // The estimate steps of `ticks` ticks without a pulse.
  void applyEstimateSteps(std::int64_t ticks);
  // Whether the linear acceleration-counter step leaves accelCounter as it is.
  bool linearAccelCounterSettled() const;

 private:
  // Sets accelState, shows it and notes it in the phase log, entered by the
  // tick now being computed.
  void enterState(AccelState state);
  void noteState(std::int64_t tick);

  void convertDecelEstimate();
  void jerkStep();
  bool rise(std::int32_t rate, std::int32_t ceiling);
  bool fall(std::int32_t rate);
  bool rising() const;
  std::int32_t fallingRate() const;
  std::int32_t triangleEstimateGain() const;
  void passToFallingWhenRoomRunsOut(AccelState rising, AccelState plateau, AccelState falling,
                                    std::int16_t upper, std::int16_t lower, Step roomStep);
  void trianglePrevention();
  void decelerationStart();
  void linearAccelCounter();

  std::int32_t decelerationRate() const {
    return options_.symmetric() ? s_.params.jerkAccel : s_.params.jerkDecel;
  }
  std::int32_t decelerationCeiling() const {
    return options_.symmetric() ? s_.params.acceleration : s_.params.deceleration;
  }

  EngineState& s_;
  LiveReadouts& readouts_;
  const LiveOptions& options_;
  PhaseLog& phases_;
};

}  // namespace tarvex
