// Everything a run holds between two ticks: the converted parameters, the
// tick loop's counters and the acceleration/deceleration state machine's.
// Widths are those of the chip's registers; every change is guarded.
//
// Units: a tick is 1/8,000,000 s (Units.h); "counts" are the chip's own
// register values, converted to physical units only by Units.h.
#pragma once

#include <cstdint>

#include "AccelState.h"

namespace tarvex {

// The speed accumulator's span: the speed counter moves by one each time the
// acceleration counter has been fed kSpeedAccumulatorSpan into it.
inline constexpr std::int16_t kSpeedAccumulatorSpan = 8000;
// The speed step comes when speedCycle stands at this value (once every 8
// ticks), the jerk step when jerkCycle does (once every 16 ticks).
inline constexpr std::int32_t kSpeedStepCycleValue = 7;
inline constexpr std::int32_t kJerkStepCycleValue = 15;
inline constexpr int kSpeedCyclePeriod = 8;
inline constexpr int kJerkCyclePeriod = 16;
// Triangle prevention in S-curve drive: pulses added to the estimate of the
// deceleration's length at each pulse while accelCounter is rising or
// falling, and while it is held.
inline constexpr std::int32_t kTriangleEstimatePerRampPulse = 11;
inline constexpr std::int32_t kTriangleEstimatePerPlateauPulse = 3;

// The parameters as set-up converted them, fixed for the run.
struct RunValues {
  std::int32_t range = 0;             // R: pulses per tick = speedCounter / R
  std::int32_t acceleration = 0;      // A: accelCounter's ceiling while accelerating (counts)
  std::int32_t deceleration = 0;      // D: the ceiling of an asymmetric deceleration (counts)
  std::int32_t accelOffset = 0;       // AO: starting value of accelPulseCount (pulses)
  std::int32_t jerkAccel = 0;         // K: accelCounter moves once every K + 1 jerk steps
  std::int32_t jerkDecel = 0;         // L: the same in an asymmetric deceleration
  std::int16_t initialSpeed = 0;      // SV: speed counter at the start and the end
  std::int16_t driveSpeed = 0;        // V: speed counter the acceleration aims for
  std::int32_t outputPulses = 0;      // P: pulses requested
  std::int32_t manualDecelPoint = 0;  // DP: pulse at which manual deceleration starts
  bool sCurve = false;                // S-curve drive (fixed at set-up)
};

struct EngineState {
  RunValues params;

  // Tick loop.
  std::int16_t speedCounter = 0;  // speed (counts): pulses per tick = speedCounter / range
  std::int16_t accelCounter = 1;  // acceleration (counts): fed into speedAccumulator every 8 ticks
  std::int16_t speedAccumulator = kSpeedAccumulatorSpan;  // counts towards the next speed step
  std::int32_t pulseAccumulator = 0;  // range units; speedCounter is taken off it every tick
  bool pulseDue = true;               // the next tick begins with an output pulse
  std::int64_t outputPulseCount = 0;  // pulses output so far
  std::int32_t speedCycle = kSpeedStepCycleValue;  // 0..8; the speed step at 7
  std::int32_t jerkCycle = kJerkStepCycleValue;    // 0..16; the jerk step at 15
  std::int32_t tickCount = 0;                      // ticks completed

  // Acceleration/deceleration state machine. The four phase flags change
  // only together with the state, and every change of state marks the
  // directions of the two cycle counters for renewal.
  AccelState accelState = AccelState::AccelRising;
  bool phaseChanged = true;                // the cycle directions are to be renewed
  bool accelerating = true;                // the speed step raises the speed
  bool decelerating = false;               // the speed step lowers the speed
  bool constantSpeed = false;              // the speed step is skipped
  bool jerkOff = false;                    // accelCounter is held: no jerk step
  std::int32_t jerkCounter = 0;            // jerk steps until accelCounter next moves
  std::int16_t jerkSpeedSteps = 0;         // speed steps made while accelCounter rose
  std::int32_t accelPulseCount = 0;        // pulses output while accelerating (from AO)
  std::int32_t decelPointCounter = 0;      // pulses the deceleration is estimated to need
  std::int32_t decelRatioAccumulator = 0;  // asymmetric estimate: A per pulse in, D per step out
  std::int32_t triangleEstimate = 0;       // S-curve triangle prevention's estimate (pulses)
  std::int32_t dragPulseCount = 0;         // pulses output decelerating at the initial speed
  std::int32_t peakSpeed = 0;              // highest speed counter seen at an output pulse
  bool triangleIndicator = false;          // triangle prevention has acted
};

}  // namespace tarvex
