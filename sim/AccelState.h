// The acceleration/deceleration states. The numbers are the chip's own: they
// are what the state readout, the phase table and the trace show.
//
// An S-curve run goes 1 -> 2 -> 3 -> 4 -> 5 -> 6 -> 7 -> 8 (a short move may
// skip the plateaus, triangle prevention may cut from 1 or 2 to 3). A linear
// run uses 1, 4, 5 and, on its way, 3 and 7 only to mark the phases.
#pragma once

#include <cstdint>

namespace tarvex {

enum class AccelState : std::int8_t {
  AccelRising = 1,    // accelCounter rising towards the acceleration A
  AccelConstant = 2,  // accelCounter held at A
  AccelFalling = 3,   // accelCounter falling back to 0 before the drive speed
  ConstantSpeed = 4,  // cruising at the drive speed (or where triangle prevention left it)
  DecelRising = 5,    // deceleration begun: accelCounter rising
  DecelConstant = 6,  // accelCounter held at the deceleration ceiling
  DecelFalling = 7,   // accelCounter falling back to 0 before the initial speed
  DecelDone = 8,      // deceleration finished; drag pulses at the initial speed
};

constexpr std::int32_t stateNumber(AccelState state) {
  return static_cast<std::int32_t>(state);
}

// States 1 to 3: the run is still accelerating.
constexpr bool isAccelerationState(AccelState state) {
  return state >= AccelState::AccelRising && state <= AccelState::AccelFalling;
}

}  // namespace tarvex
