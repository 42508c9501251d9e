// Guarded integer arithmetic: every counter of a run has a signed width of 16
// or 32 bits, and a result outside that width ends the run with the overflow
// error at the step that produced it. Nothing wraps. Every guarded step of
// the engine goes through here.
#pragma once

#include <cstdint>
#include <limits>

#include "RunError.h"

namespace tarvex {

// Raises the overflow error for `step` (cold path).
[[noreturn]] void raiseOverflow(Step step);

// `value` narrowed to T, or the overflow error for `step`.
template <class T>
inline T guardedNarrow(std::int64_t value, Step step) {
  static_assert(sizeof(T) <= 4, "guarded values are 16 or 32 bits wide");
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) [[unlikely]]
    raiseOverflow(step);
  return static_cast<T>(value);
}

// a + b within the width of T, or the overflow error for `step`.
template <class T>
inline T guardedAdd(T a, std::int64_t b, Step step) {
  return guardedNarrow<T>(static_cast<std::int64_t>(a) + b, step);
}

// a - b within the width of T, or the overflow error for `step`.
template <class T>
inline T guardedSub(T a, std::int64_t b, Step step) {
  return guardedNarrow<T>(static_cast<std::int64_t>(a) - b, step);
}

}  // namespace tarvex
