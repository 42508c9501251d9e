// Everything a run holds between two ticks: the converted parameters, the
// tick loop's counters and the acceleration/deceleration state machine's.
// Widths are those of the chip's registers; every change is guarded.
#pragma once

#include <cstdint>

namespace tarvex {

struct RunValues {
  std::int32_t range = 0;             // R
  std::int32_t acceleration = 0;      // A
  std::int32_t deceleration = 0;      // D
  std::int32_t accelOffset = 0;       // AO
  std::int32_t jerkAccel = 0;         // K
  std::int32_t jerkDecel = 0;         // L
  std::int16_t initialSpeed = 0;      // SV
  std::int16_t driveSpeed = 0;        // V
  std::int32_t outputPulses = 0;      // P
  std::int32_t manualDecelPoint = 0;  // DP
  bool sCurve = false;                // S-curve (Check4) at set-up, fixed for the run
};

struct EngineState {
  RunValues params;

  // Tick loop.
  std::int16_t speedCounter = 0;  // pulses per tick = speedCounter / range
  std::int16_t accelCounter = 1;  // fed into speedAccumulator every 8 ticks
  std::int16_t speedAccumulator = 8000;
  std::int32_t pulseAccumulator = 0;  // speedCounter is taken off it every tick
  bool pulseDue = true;               // the next tick begins with an output pulse
  std::int64_t outputPulseCount = 0;
  std::int32_t speedCycle = 7;  // speed step when 7
  std::int32_t jerkCycle = 15;  // jerk step when 15
  std::int32_t tickCount = 0;

  // Acceleration/deceleration state machine. The four phase flags change
  // only together with the state, and every change of state marks the
  // directions of the two cycle counters for renewal.
  std::int32_t accelState = 1;  // 1..8
  bool phaseChanged = true;
  bool accelerating = true;
  bool decelerating = false;
  bool constantSpeed = false;
  bool jerkOff = false;
  std::int32_t jerkCounter = 0;
  std::int16_t jerkSpeedSteps = 0;
  std::int32_t accelPulseCount = 0;
  std::int32_t decelPointCounter = 0;
  std::int32_t decelRatioAccumulator = 0;
  std::int32_t triangleEstimate = 0;
  std::int32_t dragPulseCount = 0;
  std::int32_t peakSpeed = 0;
  bool triangleIndicator = false;
};

}  // namespace tarvex
