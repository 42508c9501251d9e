#include "RampModel.h"

#include <algorithm>
#include <cmath>

#include "MoveSolver.h"
#include "SolverTuning.h"

namespace tarvex::design {
namespace {

using units::accelCounterForSpeedSteps;
using units::jerkForTicksPerAccelStep;

// A jerk period below this many steps rounds to none.
constexpr double kSmallestJerkSteps = 0.5;
// With no stretch of held acceleration, a ramp's time grows with the root
// of its jerk period: a step of the period moves it by half as much.
constexpr double kRootOfPeriod = 0.5;
// The ramp times tried for the shortest one, each this much longer.
constexpr double kRampTimeScanStep = 1.25;
// Below this many jerk steps a step more or less moves an S-curve ramp's
// time by more than an eighth: the deceleration is held at a ceiling instead.
constexpr double kFewJerkSteps = 4.0;
// The acceleration counter starts at one and never falls below it while the
// speed changes: no ramp rises slower on average than at one count, and
// one that asks for up to the time's tolerance slower is met by it.
constexpr double kSlowestAverageCount = 1.0 / (1.0 + kTimeTolerance);

// Where the build-up a share asks for is shorter than the fastest jerk
// makes it (a count every 16 ticks), the acceleration builds up at that
// jerk instead and is timed by the count it is held at: a ramp of `ticks`
// rising by `rise` at held count a lasts rise / (a s) + 16 a ticks, s the
// speed steps per tick of one count, so a is the smaller root of
// 16 s a^2 - s ticks a + rise = 0. NaN where no count rises that far.
double heldAtFastestJerk(double ticks, double rise) {
  const double perCount = units::speedStepsPerTick(1.0);
  const auto stepTicks = static_cast<double>(units::ticksPerAccelStep(0));
  const double discriminant = ticks * ticks - 4.0 * stepTicks * rise / perCount;
  if (discriminant < 0.0) return std::numeric_limits<double>::quiet_NaN();
  return (ticks - std::sqrt(discriminant)) / (2.0 * stepTicks);
}

// The build-up of a share below one whose jerk period would be below the
// smallest step: `held` is the count that times the ramp.
bool builtUpAtFastestJerk(const MoveTargets& t, double buildUp, double held) {
  return !t.linear() && t.sCurve < 1.0 &&
         jerkForTicksPerAccelStep(buildUp / std::round(std::max(held, 1.0))) + 1.0 <
             kSmallestJerkSteps;
}

}  // namespace

std::int32_t roundedWithin(double value, double low, double high) {
  return static_cast<std::int32_t>(std::llround(std::clamp(value, low, high)));
}

double buildUpTicks(const MoveTargets& t, double rampTicks) {
  return t.sCurve * rampTicks / 2.0;
}

// The acceleration's counts for a rise from the initial to the drive speed
// in `ticks`.
void shapeAcceleration(const MoveTargets& t, double ticks, Counts& c) {
  const double rise = c.driveSpeed - c.initialSpeed;
  const double buildUp = buildUpTicks(t, ticks);
  const double held = accelCounterForSpeedSteps(rise / (ticks - buildUp));
  c.accel = roundedWithin(held, 1.0, kAccelCeiling);
  if (t.linear()) return;
  if (builtUpAtFastestJerk(t, buildUp, held)) {
    const double fastest = heldAtFastestJerk(ticks, rise);
    if (!std::isnan(fastest)) {
      c.accel = roundedWithin(fastest, 1.0, kAccelCeiling);
      c.jerkAccel = 0;
      return;
    }
  }
  // With no stretch of constant acceleration the ceiling is never reached.
  const double apex = t.sCurve == 1.0 ? held : c.accel;
  if (t.sCurve == 1.0) c.accel = static_cast<std::int32_t>(kAccelCeiling);
  c.jerkAccel = roundedWithin(jerkForTicksPerAccelStep(buildUp / apex), 0.0, kInt32Max - 1.0);
}

// The count that times the acceleration once its shape is chosen: the rate
// of a linear ramp, the jerk period of an S-curve one. The time falls as
// the rate rises and rises with the jerk period.
std::int32_t& timingCount(const MoveTargets& t, Counts& c) {
  return t.linear() ? c.accel : c.jerkAccel;
}
std::int32_t timingCount(const MoveTargets& t, const Counts& c) {
  return t.linear() ? c.accel : c.jerkAccel;
}

namespace {

// With no stretch held a ramp of jerk steps J (the period K + 1) rising by
// R lasts 2 sqrt(16 J R / s) ticks, s the speed steps per tick of one
// count. A ceiling D below its apex holds the deceleration there: the ramp
// then lasts 16 J D + R / (D s), the build-up and the rise at D. Where the
// steps are few, rounding them would move the time by much: the
// deceleration takes the whole steps below and the ceiling that adds the
// rest, the smaller root of 16 J s D^2 - T s D + R = 0.
void heldDeceleration(double stretch, double jerkSteps, Counts& c) {
  const double rise = c.driveSpeed - c.initialSpeed;
  const double perCount = units::speedStepsPerTick(1.0);
  const double accelTicks =
      2.0 * std::sqrt(units::ticksPerAccelStep(c.jerkAccel) * rise / perCount);
  const double ticks = stretch * accelTicks;
  const double steps = std::floor(jerkSteps);
  const double a = static_cast<double>(units::ticksPerAccelStep(0)) * steps * perCount;
  const double discriminant = ticks * perCount * ticks * perCount - 4.0 * a * rise;
  if (discriminant < 0.0) return;
  c.jerkDecel = static_cast<std::int32_t>(steps) - 1;
  c.decel =
      roundedWithin((ticks * perCount - std::sqrt(discriminant)) / (2.0 * a), 1.0, kAccelCeiling);
}

}  // namespace

// The deceleration as the acceleration's shape stretched in time by
// `stretch`: the rate divided by it, the jerk period multiplied by its
// square. Symmetric drive takes the acceleration's own.
void shapeDeceleration(const MoveTargets& t, bool asymmetric, double stretch, Counts& c) {
  if (!asymmetric) {
    c.decel = c.accel;
    c.jerkDecel = c.jerkAccel;
    return;
  }
  // A ceiling that is never reached (S-curve with no constant stretch)
  // only weighs the deceleration estimate and may exceed the span.
  const bool ceilingReached = t.linear() || t.sCurve < 1.0;
  c.decel = roundedWithin(c.accel / stretch, 1.0, ceilingReached ? kAccelCeiling : kInt32Max);
  const double jerkSteps = (c.jerkAccel + 1.0) * stretch * stretch;
  c.jerkDecel = roundedWithin(jerkSteps - 1.0, 0.0, kInt32Max - 1.0);
  if (t.sCurve == 1.0 && jerkSteps >= 1.0 && jerkSteps < kFewJerkSteps)
    heldDeceleration(stretch, jerkSteps, c);
}

// How finely a ramp of `ticks` rising by `rise` can be timed: the share of
// its time that one step of its timing counts moves; infinite where the
// counts cannot make it (an acceleration beyond the ceiling or below one
// count, a jerk period below one step), or could not make it `headroom`
// times faster.
double timingStep(const MoveTargets& t, double ticks, double rise, double headroom) {
  constexpr double kNever = std::numeric_limits<double>::infinity();
  const double buildUp = buildUpTicks(t, ticks);
  const double held = accelCounterForSpeedSteps(rise / (ticks - buildUp));
  if (held * headroom > kAccelCeiling || held < kSmallestHeldCount) return kNever;
  if (t.linear()) return 1.0 / held;
  if (builtUpAtFastestJerk(t, buildUp, held)) {
    const double fastest = heldAtFastestJerk(ticks / headroom, rise);
    return fastest >= 1.0 && fastest <= kAccelCeiling ? 1.0 / fastest : kNever;
  }
  const double jerkSteps = jerkForTicksPerAccelStep(buildUp / held) + 1.0;
  if (jerkSteps < kSmallestJerkSteps * headroom * headroom) return kNever;
  // An S-curve ramp lasts as long as its build-up plus its rise at the held
  // acceleration: the jerk period times the first, the held count the
  // second; with no stretch held the time grows with the root of the period.
  if (t.sCurve == 1.0) return kRootOfPeriod / jerkSteps;
  return std::max((1.0 - t.sCurve / 2.0) / held, t.sCurve / 2.0 / jerkSteps);
}

double roundingMiss(const MoveTargets& t, double ticks, double rise) {
  constexpr double kNever = std::numeric_limits<double>::infinity();
  const double buildUp = buildUpTicks(t, ticks);
  const double held = accelCounterForSpeedSteps(rise / (ticks - buildUp));
  if (held > kAccelCeiling || held < kSmallestHeldCount) return kNever;
  const auto off = [](double count) { return std::fabs(std::round(count) - count); };
  // A linear ramp's time goes with the inverse of its rate.
  if (t.linear()) return off(held) / held;
  if (builtUpAtFastestJerk(t, buildUp, held)) {
    const double fastest = heldAtFastestJerk(ticks, rise);
    return fastest >= 1.0 && fastest <= kAccelCeiling ? off(fastest) / fastest : kNever;
  }
  // An S-curve's with its jerk period's steps, K + 1: with no stretch held
  // with their root, else its build-up in proportion and its rise at the
  // held acceleration with the inverse of that.
  const double apex = t.sCurve == 1.0 ? held : std::round(held);
  const double jerk = jerkForTicksPerAccelStep(buildUp / apex);
  if (jerk + 1.0 < kSmallestJerkSteps) return kNever;
  const double jerkMiss = off(jerk) / (jerk + 1.0);
  if (t.sCurve == 1.0) return kRootOfPeriod * jerkMiss;
  return std::max((1.0 - t.sCurve / 2.0) * off(held) / held, t.sCurve / 2.0 * jerkMiss);
}

// The shortest ramp time in which the counts can rise by `rise`.
// 0 where no ramp within the longest run can.
double shortestRampSeconds(const MoveTargets& t, double rise) {
  for (double ticks = 1.0; ticks < kTickLimit; ticks *= kRampTimeScanStep)
    if (std::isfinite(timingStep(t, ticks, rise)))
      return units::secondsOfTicks(static_cast<std::int64_t>(std::ceil(ticks)));
  return 0.0;
}

double longestRampSeconds(double rise) {
  return units::secondsOfTicks(
      static_cast<std::int64_t>(rise / units::speedStepsPerTick(kSlowestAverageCount)));
}

double rampPulses(const MoveTargets& t) {
  return (*t.start + t.peak) / 2.0 * (t.accelTime + t.decelTimeOrAccel());
}

double longestRunSeconds() {
  return units::secondsOfTicks(kTickLimit);
}

double neededPulses(const MoveTargets& t) {
  if (t.linear()) return kLinearTriangleFactor * rampPulses(t);
  // The acceleration builds up over b and is held at a over h between the
  // build-up and its fall: the speed rises from the start by a t^2 / 2b
  // while it builds up (b (start + a b / 6) pulses), then in a straight line.
  const double start = *t.start;
  const double buildUp = t.sCurve * t.accelTime / 2.0;
  const double held = t.accelTime - 2.0 * buildUp;
  const double a = (t.peak - start) / (t.accelTime - buildUp);
  const double buildUpPulses = buildUp * (start + a * buildUp / 6.0);
  const double heldPulses = held * (start + a * buildUp / 2.0) + a * held * held / 2.0;
  return std::max(rampPulses(t), kTriangleNeedPerRampPulse * buildUpPulses +
                                     kTriangleNeedPerPlateauPulse * heldPulses);
}

double highestPeakInPulses(const MoveTargets& t) {
  MoveTargets lower = t;
  lower.start = t.start.value_or(0.0);
  lower.decelTime = t.decelTimeOrAccel();
  const auto fits = [&](double peak) {
    lower.peak = peak;
    return neededPulses(lower) <= static_cast<double>(t.pulses);
  };
  double low = *lower.start, high = t.peak;
  if (!fits(low)) return 0.0;
  for (int round = 0; round < kHalvingRounds; ++round) {
    const double middle = (low + high) / 2.0;
    (fits(middle) ? low : high) = middle;
  }
  return low;
}

double mostPulses(const MoveTargets& t) {
  const double cruise = longestRunSeconds() - t.accelTime - t.decelTimeOrAccel();
  return cruise < 0.0 ? 0.0 : std::floor(rampPulses(t) + cruise * t.peak);
}

double triangleNeed(const std::vector<PhaseEntry>& phases, std::size_t accelEnd) {
  double need = 0.0;
  for (std::size_t i = 0; i + 1 < phases.size() && i < accelEnd; ++i) {
    const PhaseEntry& p = phases[i];
    const PhaseEntry& next = phases[i + 1];
    const double ticks = static_cast<double>(next.tick - p.tick);
    // The speed rises with the square of the time while the acceleration
    // builds up, in a straight line while it is held.
    if (p.state == AccelState::AccelRising)
      need += kTriangleNeedPerRampPulse *
              (p.speedCounter + (next.speedCounter - p.speedCounter) / 3.0) * ticks;
    if (p.state == AccelState::AccelConstant)
      need += kTriangleNeedPerPlateauPulse * (p.speedCounter + next.speedCounter) / 2.0 * ticks;
  }
  return need;
}

}  // namespace tarvex::design
