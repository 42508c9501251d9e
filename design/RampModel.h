// The ramps as the chip's counts make them, without running the engine:
// how an acceleration time and a rise in speed become an acceleration
// count and a jerk period, how finely those counts can time a ramp, and
// the pulses the ramps output. The search starts from this model and
// corrects it by runs of the engine.
//
// An S-curve ramp builds its acceleration up over share/2 of its time,
// holds it, and lets it fall back over another share/2; the speed rises at
// the held acceleration over the time less one build-up. A linear ramp
// holds its acceleration throughout.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "EngineState.h"
#include "MoveTargets.h"
#include "RunEvents.h"
#include "Units.h"

namespace tarvex::design {

// The chip's own limits. An acceleration counter above the speed
// accumulator's span would let the speed fall behind its acceleration.
inline constexpr double kAccelCeiling = kSpeedAccumulatorSpan;
inline constexpr double kSpeedCounterMax = std::numeric_limits<std::int16_t>::max();
inline constexpr double kInt32Max = std::numeric_limits<std::int32_t>::max();
inline constexpr std::int64_t kTickLimit = std::numeric_limits<std::int32_t>::max();
// An acceleration count below this rounds to none.
inline constexpr double kSmallestHeldCount = 0.5;
// One pulse per tick at most.
inline constexpr double kHighestPeak = units::kTicksPerSecond;

// Triangle prevention. In S-curve drive the state machine adds
// kTriangleEstimatePerRampPulse to its estimate for each pulse of the
// rising acceleration and kTriangleEstimatePerPlateauPulse for each of the
// held one, and cuts the acceleration short unless the pulses still to go
// exceed the estimate: the move needs one more than each, times the pulses.
inline constexpr double kTriangleNeedPerRampPulse = kTriangleEstimatePerRampPulse + 1;
inline constexpr double kTriangleNeedPerPlateauPulse = kTriangleEstimatePerPlateauPulse + 1;
// In linear drive it doubles the pulses counted for both ramps (their sum
// added to itself) and cuts once that reaches the pulses requested.
inline constexpr double kLinearTriangleFactor = 2.0;

// The counts of one candidate.
struct Counts {
  std::int32_t range = 0;
  std::int32_t accel = 0;
  std::int32_t decel = 0;
  std::int32_t jerkAccel = 0;
  std::int32_t jerkDecel = 0;
  std::int32_t accelOffset = 0;
  std::int32_t initialSpeed = 0;
  std::int32_t driveSpeed = 0;
};

// `value` rounded to a count within low..high.
std::int32_t roundedWithin(double value, double low, double high);

// The ticks an S-curve ramp of `rampTicks` builds its acceleration up in.
double buildUpTicks(const MoveTargets& t, double rampTicks);

// The acceleration's counts for a rise from the initial to the drive speed
// of `c` in `ticks`.
void shapeAcceleration(const MoveTargets& t, double ticks, Counts& c);

// The count that times the acceleration once its shape is chosen: the rate
// of a linear ramp, the jerk period of an S-curve one. The time falls as
// the rate rises and rises with the jerk period.
std::int32_t& timingCount(const MoveTargets& t, Counts& c);
std::int32_t timingCount(const MoveTargets& t, const Counts& c);

// The deceleration as the acceleration's shape stretched in time by
// `stretch`: the rate divided by it, the jerk period multiplied by its
// square. Symmetric drive takes the acceleration's own.
void shapeDeceleration(const MoveTargets& t, bool asymmetric, double stretch, Counts& c);

// How finely a ramp of `ticks` rising by `rise` speed counts can be timed:
// the share of its time that one step of its timing count moves; infinite
// where the counts cannot make it (an acceleration beyond the ceiling or
// below one count, a jerk period below one step), or could not make it
// `headroom` times faster.
double timingStep(const MoveTargets& t, double ticks, double rise, double headroom = 1.0);

// How far a ramp of `ticks` rising by `rise` misses its time once its
// counts are rounded to whole ones, as a share of the time; infinite where
// the counts cannot make it. Where the timing counts are few (a slow
// linear rate, a short jerk period) the rise decides it: one whose counts
// come out whole times the ramp exactly.
double roundingMiss(const MoveTargets& t, double ticks, double rise);

// The shortest ramp time in which the counts can rise by `rise`; 0 where no
// ramp within the longest run can.
double shortestRampSeconds(const MoveTargets& t, double rise);

// The longest ramp time in which the counts rise by `rise`: the
// acceleration counter starts at one and never falls below it while the
// speed changes, so that a ramp rises at least that fast on average (one up
// to the time's tolerance longer is met by such a ramp).
double longestRampSeconds(double rise);

// The pulses both ramps output (the start filled in): each rises or falls
// between the start and the peak as fast through its upper half as through
// its lower.
double rampPulses(const MoveTargets& t);

// The seconds of the longest run.
double longestRunSeconds();

// The pulses triangle prevention lets the ramps have, as the model makes
// them: linear drive cuts the acceleration once twice the pulses counted
// for both ramps reach the pulses requested; S-curve drive once the pulses
// still to go no longer exceed its estimate, which grows by
// kTriangleEstimatePerRampPulse for each pulse while the acceleration builds
// up and by kTriangleEstimatePerPlateauPulse while it is held. Fewer pulses
// than this (or than the ramps output) cannot make the move.
double neededPulses(const MoveTargets& t);

// The highest peak, at most the one given, whose ramps (as the model makes
// them) leave triangle prevention the pulses given: the pulses needed grow
// with the peak, so it is found by halving between the start and the peak;
// 0 where even a peak at the start needs more (a start that is much of the
// peak outputs most of the ramps' pulses by itself).
double highestPeakInPulses(const MoveTargets& t);

// The most pulses a move with these ramps outputs within the longest run:
// the ramps' pulses and a cruise at the peak for the rest of it; 0 where
// the ramps alone outlast it.
double mostPulses(const MoveTargets& t);

// What S-curve triangle prevention needs to go, in pulses times the range,
// from the phases of a run up to the one at `accelEnd` that ended the
// acceleration.
double triangleNeed(const std::vector<PhaseEntry>& phases, std::size_t accelEnd);

}  // namespace tarvex::design
