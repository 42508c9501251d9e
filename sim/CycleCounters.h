// The two cycle counters of the tick loop. speedCycle gates the speed step
// (when it is 7) and runs over 8 values; jerkCycle gates the jerk step (when
// it is 15) and runs over 16. Each counts down, counts up, or stands still,
// depending on the phase.
#pragma once

#include <array>
#include <cstdint>

#include "EngineState.h"

namespace tarvex {

enum class CycleDirection : std::uint8_t { Hold, Down, Up };

template <int Period>
struct Cycle {
  // Down: v - 1, and at 0 or below back to Period. Up: v + 1, and at Period
  // or above back to 0.
  static constexpr std::int32_t step(std::int32_t v, CycleDirection dir) {
    if (dir == CycleDirection::Down) return v - 1 <= 0 ? Period : v - 1;
    if (dir == CycleDirection::Up) return v + 1 >= Period ? 0 : v + 1;
    return v;
  }

  // The value after `ticks` steps, for a value in 0..Period.
  static constexpr std::int32_t advance(std::int32_t v, CycleDirection dir, std::int64_t ticks) {
    if (ticks == 0 || dir == CycleDirection::Hold) return v;
    // After one step the value is on the loop: Period..1 down, 0..Period-1 up.
    const std::int32_t first = step(v, dir);
    const std::int64_t rest = ticks - 1;
    if (dir == CycleDirection::Down)
      return Period - static_cast<std::int32_t>((Period - first + rest) % Period);
    return static_cast<std::int32_t>((first + rest) % Period);
  }

  // Steps from v (0..Period) until the value is `target`.
  static constexpr std::int32_t distance(std::int32_t v, CycleDirection dir, std::int32_t target) {
    std::int32_t steps = 0;
    while (v != target && steps <= Period) {
      v = step(v, dir);
      ++steps;
    }
    return steps;
  }

  // How many of the next `ticks` ticks (the current one first) begin with
  // the value at `target`, given that the first does after `distance` steps.
  static constexpr std::int64_t hits(std::int64_t distance, std::int64_t ticks) {
    return ticks > distance ? (ticks - 1 - distance) / Period + 1 : 0;
  }
};

using SpeedCycle = Cycle<kSpeedCyclePeriod>;
using JerkCycle = Cycle<kJerkCyclePeriod>;

// The directions follow from the phase flags and the state as they stand,
// so they are worked out afresh wherever a cycle moves.

// speedCycle counts down while accelerating and up while decelerating, and
// stands still while the speed is held.
inline CycleDirection speedCycleDirection(const EngineState& s) {
  if (s.constantSpeed) return CycleDirection::Hold;
  if (s.accelerating) return CycleDirection::Down;
  if (s.decelerating) return CycleDirection::Up;
  return CycleDirection::Hold;
}

// jerkCycle counts down in the rising states 1 and 5, up in the falling
// states 3 and 7, and stands still while accelCounter is held.
inline CycleDirection jerkCycleDirection(const EngineState& s) {
  constexpr CycleDirection kByState[9] = {
      CycleDirection::Hold, CycleDirection::Down, CycleDirection::Hold,
      CycleDirection::Up,   CycleDirection::Hold, CycleDirection::Down,
      CycleDirection::Hold, CycleDirection::Up,   CycleDirection::Hold};
  const std::int32_t state = stateNumber(s.accelState);
  if (s.jerkOff || state < 1 || state > 8) return CycleDirection::Hold;
  return kByState[state];
}

// One step of each cycle as a table lookup: next[direction][value].
template <int Period>
constexpr auto makeCycleTable() {
  std::array<std::array<std::int32_t, Period + 1>, 3> next{};
  for (int dir = 0; dir < 3; ++dir)
    for (int v = 0; v <= Period; ++v)
      next[dir][v] = Cycle<Period>::step(v, static_cast<CycleDirection>(dir));
  return next;
}
inline constexpr auto kSpeedCycleNext = makeCycleTable<kSpeedCyclePeriod>();
inline constexpr auto kJerkCycleNext = makeCycleTable<kJerkCyclePeriod>();

}  // namespace tarvex
