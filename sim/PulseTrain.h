// The pulse accumulator, the chip's pulse generator: every tick the speed
// counter is taken off it, and each time that uses it up an output pulse
// falls due for the next tick and the accumulator is reloaded with the
// range. With the speed counter standing still, its course is plain
// arithmetic, so a whole stretch of ticks, pulses included, can be applied at
// once; one tick and a stretch are both computed here.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "EngineState.h"
#include "GuardedArithmetic.h"

namespace tarvex {

class PulseTrain {
 public:
  static constexpr std::int64_t kEndless = std::numeric_limits<std::int64_t>::max() / 4;

  // One tick's step.
  static void tick(EngineState& s) {
    s.pulseAccumulator =
        guardedSub<std::int32_t>(s.pulseAccumulator, s.speedCounter, Step::PulseAccumulatorTake);
    if (s.pulseAccumulator > 0) {
      s.pulseDue = false;
    } else {
      s.pulseDue = true;
      s.pulseAccumulator = guardedAdd<std::int32_t>(s.pulseAccumulator, s.params.range,
                                                    Step::PulseAccumulatorReload);
    }
  }

  // How many ticks from now on can be applied at once with at most
  // `maxPulses` output pulses among them, each tick's step doing nothing but
  // what advance() does.
  static std::int64_t ticksWithPulsesAtMost(const EngineState& s, std::int64_t maxPulses) {
    if (regular(s)) return ticksBeforePulse(s, maxPulses + 1);
    // Otherwise no pulse is jumped: the accumulator must stay above 0 (and,
    // at a negative speed, within 32 bits).
    if (s.pulseDue) return 0;
    const std::int64_t pa = s.pulseAccumulator, sc = s.speedCounter;
    if (sc > 0) return (pa - 1) / sc;
    if (sc < 0) return (std::int64_t{std::numeric_limits<std::int32_t>::max()} - pa) / -sc;
    return kEndless;
  }

  // The output pulses of the next `ticks` ticks: the one due now, then one
  // after each reload but one in the last tick.
  static std::int64_t pulsesIn(const EngineState& s, std::int64_t ticks) {
    if (ticks <= 0 || !regular(s)) return 0;
    return (s.pulseDue ? 1 : 0) + reloadsIn(s, ticks - 1);
  }

  // Applies `ticks` ticks that ticksWithPulsesAtMost allowed.
  static void advance(EngineState& s, std::int64_t ticks) {
    if (ticks <= 0) return;
    if (!regular(s)) {
      s.pulseAccumulator =
          static_cast<std::int32_t>(s.pulseAccumulator - ticks * std::int64_t{s.speedCounter});
      return;
    }
    const std::int64_t reloads = reloadsIn(s, ticks);
    s.pulseDue = reloads > reloadsIn(s, ticks - 1);  // the last tick reloaded
    s.pulseAccumulator = static_cast<std::int32_t>(
        s.pulseAccumulator - ticks * std::int64_t{s.speedCounter} + reloads * s.params.range);
  }

 private:
  // A regular train: 0 < speed <= range, the accumulator within (0, range].
  // It then stays within (0, range], and never more than one pulse falls due
  // in a tick.
  static bool regular(const EngineState& s) {
    const std::int32_t range = s.params.range;
    return s.speedCounter > 0 && s.speedCounter <= range && s.pulseAccumulator > 0 &&
           s.pulseAccumulator <= range;
  }

  // Reloads in the next m ticks of a regular train: the accumulator after
  // them, acc - m * speed + reloads * range, lies within (0, range].
  static std::int64_t reloadsIn(const EngineState& s, std::int64_t m) {
    const std::int64_t taken = m * s.speedCounter - s.pulseAccumulator;
    return taken < 0 ? 0 : taken / s.params.range + 1;
  }

  // The ticks before the tick that outputs the j-th coming pulse (j >= 1) of
  // a regular train: the first is due now or after the first reload.
  static std::int64_t ticksBeforePulse(const EngineState& s, std::int64_t j) {
    const std::int64_t reload = s.pulseDue ? j - 1 : j;
    if (reload <= 0) return 0;
    // A run outputs at most one pulse a tick and lasts at most 2^31 ticks.
    if (reload > (std::int64_t{1} << 33)) return kEndless;
    // The r-th reload comes in the first tick m with m * speed >= acc + (r - 1) * range.
    const std::int64_t need = s.pulseAccumulator + (reload - 1) * s.params.range;
    return (need + s.speedCounter - 1) / s.speedCounter;
  }
};

}  // namespace tarvex
