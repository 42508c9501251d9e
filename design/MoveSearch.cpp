// The search for a design: the speeds and the range chosen from the ramp
// model, the acceleration fitted by runs of the engine, the deceleration
// shaped and its start settled, round after round.
#include "MoveSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "RampModel.h"
#include "SolverTuning.h"
#include "Units.h"

namespace tarvex::design {

using units::accelCounterForSpeedSteps;
using units::rangeFor;
using units::speedCounterOf;
using units::speedStepsPerTick;

Unreachable unreachable(Target target, Shortfall why, double reachable) {
  Unreachable u;
  u.target = target;
  u.why = why;
  u.reachable = reachable;
  u.atLeast = why == Shortfall::StartTooLow || why == Shortfall::TooShort ||
              why == Shortfall::RangeTooSmall;
  return u;
}

namespace {

// How far the whole counts of a move from the initial speed counter
// `initial` miss it, as a share of a ramp's time. The runs correct the
// drive speed to the start's ratio (fitSpeeds): the counts are those it
// comes to. The misses: the timing counts rounded, the ramps ending at a
// whole speed step (half a step's share of the rise), and the start's ratio
// missed by the whole drive speed (in proportion to its own tolerance).
double roundingMissOf(const Plan& plan, double initial) {
  const MoveTargets& t = plan.targets;
  const double exactDrive = initial * t.peak / *t.start;
  const double corrected = std::min(kSpeedCounterMax, std::max(1.0, std::round(exactDrive)));
  const double rise = corrected - initial;
  if (rise <= 0.0) return std::numeric_limits<double>::infinity();
  const double startMiss =
      std::fabs(corrected - exactDrive) / exactDrive * (kTimeTolerance / kStartTolerance);
  // The deceleration's time ends a period of the start speed after its
  // ramp: the pulse after the last one falls due then.
  const double decelRamp = plan.decelTicks - units::ticksOfSeconds(1.0 / *t.start);
  return std::max({roundingMiss(t, plan.accelTicks, rise), roundingMiss(t, decelRamp, rise),
                   0.5 / rise, startMiss});
}

// `chosen`, unless its counts rounded would miss the times: then the drive
// speed whose counts come out nearly whole, tried one by one, those that
// compute quickly and have enough counts first, the largest first.
template <typename InitialFor, typename StepFor>
double wholeCountsDrive(const Plan& plan, double chosen, double highest,
                        const InitialFor& initialFor, const StepFor& stepFor) {
  double best = chosen;
  double bestMiss = roundingMissOf(plan, initialFor(chosen));
  if (bestMiss <= kRoundingMissAllowed) return chosen;
  const double quick = std::min(highest, kQuickDriveCounts);
  const std::pair<double, double> spans[] = {
      {quick, kFewestDriveCounts}, {highest, quick + 1.0}, {kFewestDriveCounts - 1.0, 2.0}};
  for (const auto& [from, to] : spans)
    for (double drive = from; drive >= to; drive -= 1.0) {
      const double initial = initialFor(drive);
      if (!std::isfinite(stepFor(drive, initial))) continue;
      const double miss = roundingMissOf(plan, initial);
      if (miss < bestMiss) {
        best = drive;
        bestMiss = miss;
      }
      if (bestMiss <= kRoundingMissAllowed) return best;
    }
  return best;
}

}  // namespace

double rangeOfWholeCounts(const Plan& plan, double lowest) {
  const MoveTargets& t = plan.targets;
  const double decelRamp = plan.decelTicks - units::ticksOfSeconds(1.0 / *t.start);
  const auto miss = [&](double range) {
    const double rise =
        std::round(speedCounterOf(t.peak, range)) - std::round(speedCounterOf(*t.start, range));
    if (rise < 1.0) return std::numeric_limits<double>::infinity();
    return std::max(roundingMiss(t, plan.accelTicks, rise), roundingMiss(t, decelRamp, rise));
  };
  double best = lowest, bestMiss = miss(lowest);
  if (bestMiss <= kWholeCountsMissAllowed) return lowest;
  for (double drive = std::ceil(speedCounterOf(t.peak, lowest));
       bestMiss > kRoundingMissAllowed && drive <= kSpeedCounterMax; drive += 1.0) {
    const double range = std::round(rangeFor(drive, t.peak));
    if (range > kInt32Max) break;
    const double m = range >= lowest ? miss(range) : std::numeric_limits<double>::infinity();
    if (m < bestMiss) {
      best = range;
      bestMiss = m;
    }
  }
  return bestMiss <= kWholeCountsMissAllowed ? best : lowest;
}

std::variant<Counts, Unreachable> chooseSpeeds(const Plan& plan) {
  const MoveTargets& t = plan.targets;
  const double ratio = *t.start / t.peak;
  Counts c;
  if (t.range) {
    c.range = *t.range;
    const double drive = speedCounterOf(t.peak, *t.range);
    if (drive > kSpeedCounterMax)
      return unreachable(Target::Range, Shortfall::RangeTooLarge,
                         std::floor(rangeFor(kSpeedCounterMax, t.peak)));
    c.driveSpeed = static_cast<std::int32_t>(std::llround(drive));
    const double initial = speedCounterOf(*t.start, *t.range);
    c.initialSpeed = static_cast<std::int32_t>(std::llround(initial));
    if (c.initialSpeed < 1 || c.driveSpeed <= c.initialSpeed)
      return unreachable(Target::Range, Shortfall::RangeTooSmall,
                         std::ceil(rangeFor(1.0, std::min(*t.start, t.peak - *t.start))));
    // Whole counts at the range miss the peak or a start given by more than
    // its tolerance: a range wide enough that half a count is within it,
    // and that gives the peak the fewest drive counts that time its ramps.
    const auto missed = [](double count, double tolerance) {
      return std::fabs(std::round(count) - count) > tolerance * count;
    };
    // Or the speed counters rise too little for the longer ramp, even at
    // the slowest the counters change speed: a range wide enough that they
    // rise by enough.
    const double longer = std::max(t.accelTime, *t.decelTime);
    const double risePerSecond = 1.0 / longestRampSeconds(1.0);
    const double riseNeeded = longer * risePerSecond / (1.0 - *t.start / t.peak);
    // A ramp longer than even the widest range's counts rise in, at the
    // slowest, is too long for the counters whatever the range.
    const double widest = std::min(kSpeedCounterMax, std::floor(speedCounterOf(t.peak, kInt32Max)));
    const double widestRamp =
        longestRampSeconds(widest - std::max(1.0, std::floor(widest * *t.start / t.peak)));
    for (const auto& [target, seconds] :
         {std::pair{Target::AccelTime, t.accelTime}, std::pair{Target::DecelTime, *t.decelTime}})
      if (seconds > widestRamp) return unreachable(target, Shortfall::TooLong, widestRamp);
    if (missed(drive, kPeakTolerance) || (!plan.startChosen && missed(initial, kStartTolerance)) ||
        longer > longestRampSeconds(drive - initial))
      return unreachable(
          Target::Range, Shortfall::RangeTooSmall,
          std::ceil(std::min(
              kInt32Max,
              std::max({rangeFor(std::max(0.5 / kPeakTolerance, kFewestDriveCounts), t.peak),
                        rangeFor(riseNeeded, t.peak),
                        plan.startChosen ? 0.0 : rangeFor(0.5 / kStartTolerance, *t.start)}))));
    return c;
  }
  const double highest = std::min(kSpeedCounterMax, std::floor(speedCounterOf(t.peak, kInt32Max)));
  // The start keeps its ratio to the peak, at least one count.
  const auto initialFor = [&](double drive) {
    return std::max(1.0, plan.startRounded ? std::round(ratio * drive) : std::floor(ratio * drive));
  };
  // Even the largest rise, at the slowest the counters change speed, ends
  // before the ramp's time.
  const double longestRamp = longestRampSeconds(highest - initialFor(highest));
  for (const auto& [target, seconds] :
       {std::pair{Target::AccelTime, t.accelTime}, std::pair{Target::DecelTime, *t.decelTime}})
    if (seconds > longestRamp) return unreachable(target, Shortfall::TooLong, longestRamp);
  double headroom = 1.0;
  const auto stepFor = [&](double drive, double initial) {
    if (initial >= drive) return std::numeric_limits<double>::infinity();
    return std::max(timingStep(t, plan.accelTicks, drive - initial, headroom),
                    timingStep(t, plan.decelTicks, drive - initial, headroom));
  };
  struct Option {
    double drive, step;
  };
  std::vector<Option> options;
  double feasible = 0.0;  // the largest drive speed whose ramps the counts can make
  for (const double room : {kRampHeadroom, 1.0}) {
    headroom = room;
    for (double drive = highest; drive >= 2.0; drive = std::floor(drive / kDriveSpeedScanStep)) {
      if (feasible == 0.0 && std::isfinite(stepFor(drive, std::max(1.0, initialFor(drive)))))
        feasible = drive;
      const double initial = initialFor(drive);
      if (initial < 1.0) continue;
      const double step = stepFor(drive, initial);
      if (std::isfinite(step)) options.push_back({drive, step});
    }
    if (!options.empty()) break;
  }
  // Fine steps at the largest drive speed that computes quickly, else at
  // the smallest above it, else the finest steps; each among the drive
  // speeds of enough counts where there are any. The options run downwards.
  double chosen = 0.0;
  for (const Option& o : options)
    if (o.drive >= kFewestDriveCounts && o.step <= kFineTimingStep &&
        (chosen == 0.0 || chosen > kQuickDriveCounts))
      chosen = o.drive;
  for (const double fewest : {kFewestDriveCounts, 0.0}) {
    const Option* finest = nullptr;
    for (const Option& o : options)
      if (o.drive >= fewest && (!finest || o.step < finest->step)) finest = &o;
    if (chosen == 0.0 && finest) chosen = finest->drive;
  }
  if (chosen > 0.0) chosen = wholeCountsDrive(plan, chosen, highest, initialFor, stepFor);
  if (chosen == 0.0 && feasible > 0.0)
    return unreachable(Target::Start, Shortfall::StartTooLow, t.peak / feasible);
  if (chosen == 0.0) {
    // Even the smallest rise cannot be timed, or even the largest is too
    // slow for linear drive.
    const double rise = std::max(1.0, 1.0 / ratio - 1.0);
    for (const auto& [target, ticks] : {std::pair{Target::AccelTime, plan.accelTicks},
                                        std::pair{Target::DecelTime, plan.decelTicks}}) {
      const double shortest = shortestRampSeconds(t, rise);
      if (shortest == 0.0 || units::secondsOfTicks(static_cast<std::int64_t>(ticks)) < shortest)
        return unreachable(target, Shortfall::TooShort, shortest);
      // Too long: even the largest rise would need less than the smallest
      // acceleration count.
      if (units::secondsOfTicks(static_cast<std::int64_t>(ticks)) >
          longestRampSeconds(highest - 1.0))
        return unreachable(target, Shortfall::TooLong, longestRampSeconds(highest - 1.0));
    }
    return unreachable(Target::AccelTime, Shortfall::OffTarget, 0.0);
  }
  c.initialSpeed = static_cast<std::int32_t>(initialFor(chosen));
  c.driveSpeed = static_cast<std::int32_t>(
      plan.startRounded ? chosen : std::min(chosen, std::round(c.initialSpeed / ratio)));
  c.range = static_cast<std::int32_t>(std::llround(rangeFor(c.driveSpeed, t.peak)));
  return c;
}

namespace {

// The longest time of `target` (of both ramps where they take the same)
// whose ramps, at the peak, leave the pulses that triangle prevention needs
// room within the longest run, as the ramp model makes them: found by
// halving, since the pulses needed grow with the time and those the run
// holds shrink.
double longestRampWithinRun(const MoveTargets& t, Target target) {
  const bool both = t.decelTimeOrAccel() == t.accelTime;
  const auto fits = [&](double seconds) {
    MoveTargets shorter = t;
    setTarget(shorter, target, seconds);
    if (both) shorter.decelTime = seconds;
    return neededPulses(shorter) <= mostPulses(shorter) * kRoomWithinRun;
  };
  double low = 0.0, high = targetValue(t, target);
  for (int round = 0; round < kHalvingRounds; ++round) {
    const double middle = (low + high) / 2.0;
    (fits(middle) ? low : high) = middle;
  }
  return low;
}

}  // namespace

double mostPulsesWithinTolerances(const MoveTargets& t) {
  MoveTargets slow = t;
  slow.peak = t.peak * (1.0 - kPeakTolerance);
  slow.accelTime = t.accelTime * (1.0 + kTimeTolerance);
  slow.decelTime = t.decelTimeOrAccel() * (1.0 + kTimeTolerance);
  return std::min(mostPulses(t), mostPulses(slow));
}

std::optional<Unreachable> beyondTheChip(const Plan& plan) {
  const MoveTargets& t = plan.targets;
  if (t.pulses > std::numeric_limits<std::int32_t>::max())
    return unreachable(Target::Pulses, Shortfall::RunTooLong, kInt32Max);
  if (t.peak > kHighestPeak)
    return unreachable(Target::Peak, Shortfall::PeakOutOfReach, kHighestPeak);
  const double lowestPeak = units::pulsesPerSecond(2, std::numeric_limits<std::int32_t>::max());
  if (t.peak < lowestPeak) {
    Unreachable u = unreachable(Target::Peak, Shortfall::PeakOutOfReach, lowestPeak);
    u.atLeast = true;
    return u;
  }
  if (*t.start >= t.peak) return unreachable(Target::Start, Shortfall::StartNotBelowPeak, t.peak);
  // The run ends when the pulse after the last falls due: a whole period
  // of the start speed after the last one.
  if (1.0 / *t.start > (1.0 + kTimeTolerance) * *t.decelTime) {
    if (plan.startChosen)
      return unreachable(t.asymmetric() ? Target::DecelTime : Target::AccelTime,
                         Shortfall::TooShort, 1.0 / *t.start / (1.0 + kTimeTolerance));
    // A start fast enough would not be below the peak: the time is too short.
    if (1.0 / *t.decelTime >= t.peak)
      return unreachable(t.asymmetric() ? Target::DecelTime : Target::AccelTime,
                         Shortfall::TooShort, 1.0 / t.peak);
    return unreachable(Target::Start, Shortfall::StartTooLow, 1.0 / *t.decelTime);
  }
  // Both ramps within the longest run, and the pulses triangle prevention
  // lets them have too; then the move's own pulses.
  const double longest = longestRunSeconds() / 2.0;
  if (t.accelTime > longest) return unreachable(Target::AccelTime, Shortfall::TooLong, longest);
  if (*t.decelTime > longest) return unreachable(Target::DecelTime, Shortfall::TooLong, longest);
  if (neededPulses(t) * (1.0 - kTimeTolerance) > mostPulses(t)) {
    if (std::optional<Unreachable> shorter = rampsWithinRun(t)) return shorter;
    const Target longer = *t.decelTime > t.accelTime ? Target::DecelTime : Target::AccelTime;
    return unreachable(longer, Shortfall::RunTooLong, 0.0);
  }
  if (static_cast<double>(t.pulses) > mostPulses(t))
    return unreachable(Target::Pulses, Shortfall::RunTooLong, mostPulsesWithinTolerances(t));
  return std::nullopt;
}

std::optional<Unreachable> rampsWithinRun(const MoveTargets& t) {
  const Target longer = t.decelTimeOrAccel() > t.accelTime ? Target::DecelTime : Target::AccelTime;
  const double shorter = longestRampWithinRun(t, longer);
  if (shorter <= 0.0 || shorter >= targetValue(t, longer)) return std::nullopt;
  return unreachable(longer, Shortfall::RunTooLong, shorter);
}

namespace {

// An S-curve acceleration that, at the shortest jerk period, still ends
// before `aimTicks` (ramps of about a millisecond at high speed) is held at
// a ceiling below its apex, found by halving: the lower the ceiling, the
// longer the ramp. So is one of a share below one whose jerk period is a
// few steps, which step the ramp's time too coarsely, whichever way it
// misses. Nothing where the fit needs no ceiling or none is closer.
std::optional<AccelFit> heldBelowItsApex(const Plan& plan, const AccelFit& fit, double aimTicks) {
  const auto miss = [aimTicks](const AccelFit& f) {
    return std::fabs(static_cast<double>(f.endTick) - aimTicks);
  };
  const MoveTargets& t = plan.targets;
  const bool held = t.sCurve == 1.0
                        ? fit.counts.jerkAccel == 0 && static_cast<double>(fit.endTick) < aimTicks
                        : !t.linear() && fit.counts.jerkAccel < kFewJerkPeriodSteps;
  if (!held || miss(fit) <= aimTicks * kFitCloseEnough) return std::nullopt;
  std::optional<AccelFit> best;
  std::int32_t low = 1, high = static_cast<std::int32_t>(kAccelCeiling);
  while (high - low > 1 && !plan.budget->spent()) {
    Counts c = fit.counts;
    c.accel = low + (high - low) / 2;
    const std::optional<AccelFit> held = accelerationOf(plan, c);
    if (!held) break;
    if (miss(*held) < miss(best ? *best : fit)) best = held;
    (static_cast<double>(held->endTick) < aimTicks ? high : low) = c.accel;
  }
  return best;
}

// The acceleration counts whose run ends its acceleration closest to
// `aimTicks`, the speed counters as in `c`: the shape from the model, then
// its timing count by the secant through the runs so far.
std::optional<AccelFit> fitAcceleration(const Plan& plan, Counts c, double aimTicks) {
  const MoveTargets& t = plan.targets;
  shapeAcceleration(t, aimTicks, c);
  std::vector<AccelFit> runs;
  const auto miss = [aimTicks](const AccelFit& f) {
    return std::fabs(static_cast<double>(f.endTick) - aimTicks);
  };
  const auto tried = [&](std::int32_t count) {
    return std::any_of(runs.begin(), runs.end(),
                       [&](const AccelFit& f) { return timingCount(t, f.counts) == count; });
  };
  for (int round = 0; round < kFitRounds && !plan.budget->spent(); ++round) {
    const std::optional<AccelFit> fit = accelerationOf(plan, c);
    if (!fit) break;
    runs.push_back(*fit);
    if (miss(*fit) <= aimTicks * kFitCloseEnough) break;
    const AccelFit& best = *std::min_element(
        runs.begin(), runs.end(), [&](const auto& a, const auto& b) { return miss(a) < miss(b); });
    double next = 0.0;
    if (runs.size() == 1) {
      // The model again, aimed as far beyond as the run missed; an S-curve
      // keeps its held acceleration and retimes its build-up.
      Counts model = c;
      shapeAcceleration(t, aimTicks * aimTicks / static_cast<double>(fit->endTick), model);
      next = timingCount(t, model);
    } else {
      const AccelFit& a = runs[runs.size() - 2];
      const AccelFit& b = runs.back();
      const double da = static_cast<double>(a.endTick), db = static_cast<double>(b.endTick);
      const double ka = timingCount(t, a.counts), kb = timingCount(t, b.counts);
      next = da == db ? kb : kb + (aimTicks - db) * (kb - ka) / (db - da);
    }
    std::int32_t count =
        roundedWithin(next, t.linear() ? 1.0 : 0.0, t.linear() ? kAccelCeiling : kInt32Max - 1.0);
    if (tried(count)) {
      // The neighbour of the best on the side of the aim.
      const bool longer = static_cast<double>(best.endTick) < aimTicks;
      count = timingCount(t, best.counts) + ((longer != t.linear()) ? 1 : -1);
      if (count < (t.linear() ? 1 : 0) || tried(count)) break;
    }
    c = best.counts;
    timingCount(t, c) = count;
  }
  if (runs.empty()) return std::nullopt;
  const AccelFit best = *std::min_element(
      runs.begin(), runs.end(), [&](const auto& a, const auto& b) { return miss(a) < miss(b); });
  return heldBelowItsApex(plan, best, aimTicks).value_or(best);
}

// The rise in speed counters that, at the timing counts of `fit`, would end
// the acceleration at `aimTicks`: at a fixed rate a linear ramp's time goes
// with its rise, an S-curve's without a stretch held with the root of it.
double retimedRise(const MoveTargets& t, const AccelFit& fit, double aimTicks) {
  const double rise = fit.peakCounter - fit.counts.initialSpeed;
  const double ratio = aimTicks / static_cast<double>(fit.endTick);
  return rise * (t.sCurve == 1.0 ? ratio * ratio : ratio);
}

// The fitted acceleration with the drive speed corrected so that the run
// peaks where the start ratio (or the fixed range) wants it; the range then
// follows from the peak counter. Where the timing counts cannot time the
// ramp closely (a few jerk steps, the fastest rate), the rise is retimed
// instead: the drive and initial speed counters scaled together.
std::optional<AccelFit> fitSpeeds(const Plan& plan, Counts c, double aimTicks) {
  const MoveTargets& t = plan.targets;
  std::optional<AccelFit> fit;
  const double ratio = *t.start / t.peak;
  // No faster drive speed than the widest range lets the peak be.
  const double highest =
      t.range ? kSpeedCounterMax
              : std::min(kSpeedCounterMax, std::floor(speedCounterOf(t.peak, kInt32Max)));
  for (int round = 0; round < kPeakCorrectionRounds && !plan.budget->spent(); ++round) {
    fit = fitAcceleration(plan, c, aimTicks);
    if (!fit) return fit;
    // A rise that the timing counts could not fit is retimed first.
    const double miss = std::fabs(static_cast<double>(fit->endTick) - aimTicks);
    if (!t.range && miss > aimTicks * kTimeTolerance * kRetimeBeyond) {
      // The initial speed counter first, the drive speed then at its ratio.
      const double initial = std::max(
          1.0,
          std::round(ratio * std::min(highest, retimedRise(t, *fit, aimTicks) / (1.0 - ratio))));
      const double drive = std::min(highest, std::round(initial / ratio));
      if (drive > initial + 1.0 && drive != c.driveSpeed) {
        c = fit->counts;
        c.driveSpeed = static_cast<std::int32_t>(drive);
        c.initialSpeed = static_cast<std::int32_t>(initial);
        continue;
      }
    }
    const double wanted =
        t.range ? speedCounterOf(t.peak, *t.range) : c.initialSpeed * t.peak / *t.start;
    // At a fixed range a peak within its tolerance is kept: its counts are
    // whole, and a correction of one would come back (an S-curve that runs
    // out a count or two short of its drive speed reaches it at the next).
    if (t.range && std::fabs(wanted - fit->peakCounter) <= kPeakTolerance * wanted) break;
    const auto correction = static_cast<std::int32_t>(std::llround(wanted - fit->peakCounter));
    const bool correctable =
        c.driveSpeed + correction <= highest && c.driveSpeed + correction > c.initialSpeed;
    if (correction == 0 || !correctable) break;
    c = fit->counts;
    c.driveSpeed += correction;
  }
  if (!fit) return fit;
  if (!t.range)
    fit->counts.range = static_cast<std::int32_t>(std::llround(std::min(
        kInt32Max, std::max<double>(fit->peakCounter, rangeFor(fit->peakCounter, t.peak)))));
  return fit;
}

// The run reached its peak and cruised before it decelerated.
bool rampsComplete(const RunFigures& f) {
  return !f.triangle && f.accelEndTick && f.decelStartTick && *f.accelEndTick < *f.decelStartTick;
}

// ... and came down before it ended.
bool moveComplete(const WholeRun& run) {
  return !run.failed && rampsComplete(run.figures) && run.cameDown;
}

double toleranceOf(Target target) {
  return target == Target::Peak    ? kPeakTolerance
         : target == Target::Start ? kStartTolerance
                                   : kTimeTolerance;
}

}  // namespace

double missOf(const Deviation& d) {
  if (std::isnan(d.achieved)) return std::numeric_limits<double>::infinity();
  return std::fabs(d.achieved - d.wanted) / (toleranceOf(d.target) * d.wanted);
}

std::vector<Deviation> deviationsOf(const Plan& plan, const RunFigures& f) {
  const MoveTargets& t = plan.targets;
  const auto seconds = [](const std::optional<double>& s) {
    return s.value_or(std::numeric_limits<double>::quiet_NaN());
  };
  std::vector<Deviation> d{
      {Target::Peak, t.peak, f.peakPulsesPerSecond(), false},
      {Target::AccelTime, t.accelTime, seconds(f.accelEndSeconds()), false},
      {Target::DecelTime, t.decelTimeOrAccel(), seconds(f.decelSeconds()), false},
      {Target::Start, *t.start, f.startPulsesPerSecond(), false},
  };
  for (Deviation& one : d) one.within = missOf(one) <= 1.0;
  return d;
}

namespace {

// How far the ramps of a run, shortened or not, miss their targets, in
// units of the tolerances; infinite for a run that did not complete them.
double rampMiss(const Plan& plan, const WholeRun& run) {
  if (!moveComplete(run)) return std::numeric_limits<double>::infinity();
  double worst = 0.0;
  for (const Deviation& d : deviationsOf(plan, run.figures)) worst = std::max(worst, missOf(d));
  return worst;
}

// The same for a run of the whole move, which must output every pulse.
double scoreOf(const Plan& plan, const WholeRun& run) {
  if (run.figures.pulses != plan.targets.pulses) return std::numeric_limits<double>::infinity();
  return rampMiss(plan, run);
}

Trial trialOf(const Plan& plan, const Counts& c, std::int64_t pulses) {
  Trial trial{c, pulses, wholeRun(plan, c, pulses)};
  if (pulses == plan.targets.pulses) trial.score = scoreOf(plan, trial.run);
  return trial;
}

// The run came down and then outlasted the longest run on its trailing
// pulses, at the lowest speed.
bool trailedPast(const WholeRun& run) {
  return run.failed && run.cameDown && !run.cutShort;
}

// The run did not complete its ramps, though it ran: triangle prevention
// cut them, or they overlapped.
bool shortOfRamps(const WholeRun& run) {
  return (!run.failed || trailedPast(run)) && !rampsComplete(run.figures);
}

// Moves the start of the deceleration, by the acceleration-counter offset,
// as late as the deceleration still comes down before the run ends: each
// pulse that trails after it lengthens the deceleration by a whole period
// of the lowest speed. A step so far that those pulses outlast the longest
// run (a slow end of a long ramp) is taken again, half as far each time,
// from the last offset that fell short. A run that came down so early that
// its trailing pulses outlast the longest run knows how many they are: the
// deceleration starts that many pulses later.
Trial settleDrag(const Plan& plan, Counts c, std::int64_t pulses, std::int32_t firstStep = 2) {
  const auto failedAbove = [](const WholeRun& run) { return run.failed && !trailedPast(run); };
  Trial trial = trialOf(plan, c, pulses);
  if (failedAbove(trial.run) || !rampsComplete(trial.figures())) return trial;
  std::optional<Trial> best;
  std::optional<Trial> fellShort;  // the last that did not come down
  std::int32_t step = std::max(2, firstStep);
  std::int32_t lastStep = 0;
  for (int round = 0; round < kDragRounds && !plan.budget->spent(); ++round) {
    const std::int64_t trailing = trial.run.trailingPulses;
    if (failedAbove(trial.run)) {
      if (best || !fellShort || lastStep <= 1) break;
      lastStep /= 2;
      step = lastStep;
      c.accelOffset = fellShort->counts.accelOffset + lastStep;
    } else if (trial.run.cameDown) {
      if (!trial.run.failed && (!best || trailing < best->run.trailingPulses)) best = trial;
      if (trailing == 0) break;
      // One pulse earlier than the trailing ones, then the next try.
      c.accelOffset = trial.counts.accelOffset - static_cast<std::int32_t>(std::min<std::int64_t>(
                                                     trailing > 1 ? trailing - 1 : 1,
                                                     std::numeric_limits<std::int32_t>::max() / 2));
    } else if (best) {
      break;  // one pulse later than the best is too late
    } else {
      fellShort = trial;
      lastStep = step;
      c.accelOffset += step;
      step *= 2;
    }
    trial = trialOf(plan, c, pulses);
    if (shortOfRamps(trial.run)) break;
  }
  if (best) return *best;
  return trial.run.failed && fellShort ? *fellShort : trial;
}

// The pulses of a shortened run with the same ramps and a short cruise.
// Linear triangle prevention cuts the acceleration once twice the pulses
// counted for both ramps reach the pulses requested, so a linear run needs
// twice as many; an S-curve run what its triangle prevention asks.
std::int64_t trialPulses(const Plan& plan, const AccelFit& fit, const Counts& c) {
  const double n = fit.accelPulses(c.range);
  const double ramps = n + (plan.asymmetric ? n * c.accel / c.decel : n) + std::abs(c.accelOffset);
  const double cruise = kShortCruisePulses + n / kShortCruiseShare;
  const double needed = std::max(plan.targets.linear() ? kLinearTriangleFactor * ramps : ramps,
                                 fit.triangleNeed / c.range * kTriangleRoom);
  return std::min(plan.targets.pulses, static_cast<std::int64_t>(needed + cruise));
}

// Runs at the full pulse count, the drag settled again.
// Its runs are not cut short: the move's own run, of up to ten million
// pulses, must complete once; the budget ends the settling after it.
Trial fullRun(const Plan& plan, const Trial& trial) {
  if (trial.pulses == plan.targets.pulses) return trial;
  Plan uncut = plan;
  uncut.cutOnBudget = false;
  Trial full = settleDrag(uncut, trial.counts, plan.targets.pulses);
  if (trial.earlier == 0 || !moveComplete(full.run)) return full;
  Counts c = full.counts;
  c.accelOffset += trial.earlier;
  Trial early = trialOf(uncut, c, plan.targets.pulses);
  early.earlier = trial.earlier;
  return early;
}

// The rounds of a search: each shapes the deceleration for a fitted
// acceleration, settles where it starts and runs the ramps, shortened.
class Rounds {
 public:
  explicit Rounds(const Plan& plan) : plan_(plan) {}

  // The ramps of `fit` with the deceleration stretched by `stretch`.
  // Nothing once the pulses have run short or the move would outlast the
  // longest run (then in `search`).
  // With `atOneCount`, the S-curve deceleration's jerk period is so long
  // that its acceleration counter stays at one.
  std::optional<Trial> run(const AccelFit& fit, double stretch, Search& s,
                           bool atOneCount = false) {
    const MoveTargets& t = plan_.targets;
    Counts counts = fit.counts;
    shapeDeceleration(plan_.targets, plan_.asymmetric, stretch, counts);
    if (atOneCount) counts.jerkDecel = static_cast<std::int32_t>(kInt32Max - 1.0);
    // A shortened run first, unless an earlier round found it too short;
    // triangle prevention may want a longer one.
    pulses_ = std::max(pulses_, trialPulses(plan_, fit, counts));
    const double decelPulses = fit.accelPulses(counts.range) * counts.accel / counts.decel;
    const auto firstStep = static_cast<std::int32_t>(
        std::min(decelPulses * kFirstDragStepShare, kLargestFirstDragStep));
    Trial trial = settleDrag(plan_, counts, pulses_, firstStep);
    while (shortOfRamps(trial.run) && pulses_ < t.pulses && !plan_.budget->spent()) {
      pulses_ = std::min(t.pulses, pulses_ * 2);
      trial = settleDrag(plan_, counts, pulses_, firstStep);
    }
    if (!trial.run.failed && !rampsComplete(trial.figures())) {
      s.shortOfPulses = trial;
      return std::nullopt;
    }
    consider(trial, fit, stretch);
    return trial;
  }

  // The same, its deceleration then started as many pulses earlier as its
  // time falls short by periods of the start speed: a deceleration of a
  // pulse or two is mostly the periods of those that trail after it.
  void runEarlier(const AccelFit& fit, double stretch, Search& s) {
    const std::optional<Trial> settled = run(fit, stretch, s);
    if (!settled || !moveComplete(settled->run) || plan_.budget->spent()) return;
    const std::optional<double> seconds = settled->figures().decelSeconds();
    if (!seconds) return;
    const double periods = (*plan_.targets.decelTime - *seconds) * *plan_.targets.start;
    for (const double more : {std::round(periods), std::floor(periods), std::ceil(periods)}) {
      if (more < 1.0 || more > kMostPulsesEarlier || plan_.budget->spent()) continue;
      Counts c = settled->counts;
      c.accelOffset += static_cast<std::int32_t>(more);
      Trial trial = trialOf(plan_, c, settled->pulses);
      trial.earlier = static_cast<std::int32_t>(more);
      consider(trial, fit, stretch);
    }
  }

  std::optional<Trial> best;  // the trial whose ramps came closest
  double bestMiss = std::numeric_limits<double>::infinity();
  std::optional<AccelFit> bestFit;
  double bestStretch = 1.0;

 private:
  void consider(const Trial& trial, const AccelFit& fit, double stretch) {
    const double miss = rampMiss(plan_, trial.run);
    if (miss < bestMiss) {
      best = trial;
      bestMiss = miss;
      bestFit = fit;
      bestStretch = stretch;
    }
  }

  const Plan& plan_;
  std::int64_t pulses_ = 0;
};

// Fits the acceleration, shapes the deceleration and balances the two
// times, round after round.
Search search(const Plan& whole) {
  // The rounds run shortened moves; what is left is for the full one.
  Budget roundsBudget(*whole.budget, kRoundsBudget);
  Plan plan = whole;
  plan.budget = &roundsBudget;
  Search s;
  const auto speeds = chooseSpeeds(plan);
  if (const auto* problem = std::get_if<Unreachable>(&speeds)) {
    s.problem = *problem;
    return s;
  }
  Counts counts = std::get<Counts>(speeds);
  double aim = plan.accelTicks;
  double stretch = plan.decelTicks / plan.accelTicks;
  Rounds rounds(plan);
  for (int round = 0; round < kBalanceRounds && !plan.budget->spent(); ++round) {
    const std::optional<AccelFit> fit = fitSpeeds(plan, counts, aim);
    if (!fit) break;
    counts = fit->counts;
    const std::optional<Trial> trial = rounds.run(*fit, stretch, s);
    if (s.problem || s.shortOfPulses) return s;
    if (!trial || !moveComplete(trial->run)) break;
    if (rounds.bestMiss <= kGoodEnough) break;
    // Next round: symmetric ramps centre the two times on their target,
    // asymmetric ones stretch the deceleration towards its own.
    const RunFigures& f = trial->figures();
    const double accelTicks = static_cast<double>(*f.accelEndTick);
    const double decelTicks = units::ticksOfSeconds(*f.decelSeconds());
    if (plan.asymmetric) {
      aim += plan.accelTicks - accelTicks;
      stretch *= plan.decelTicks / decelTicks;
    } else {
      // Symmetric ramps that differ by more than both tolerances together
      // cannot be centred on one time.
      if (round > 0 && std::fabs(decelTicks - accelTicks) > 2.0 * kTimeTolerance * plan.accelTicks)
        break;
      aim += plan.accelTicks - (accelTicks + decelTicks) / 2.0;
    }
    if (aim <= 0.0) break;
  }
  // An S-curve deceleration longer than the rise takes at one count of
  // acceleration: its counter starts at one and rises to two only a jerk
  // period later, so that no jerk period makes it slower than that. The
  // rise is made the one that count takes the deceleration's time over,
  // the acceleration fitted to it and the deceleration held at one count.
  const auto decelTooShort = [&](const Trial& trial) {
    const std::optional<double> seconds = trial.figures().decelSeconds();
    return seconds && *seconds < *plan.targets.decelTime * (1.0 - kTimeTolerance);
  };
  if (plan.asymmetric && !plan.targets.linear() && !plan.targets.range && rounds.best &&
      rounds.bestFit && rounds.bestMiss > kGoodEnough && decelTooShort(*rounds.best)) {
    const MoveTargets& t = plan.targets;
    const double ratio = *t.start / t.peak;
    const double ramp = plan.decelTicks - units::ticksOfSeconds(1.0 / *t.start);
    const AccelFit& best = *rounds.bestFit;
    {
      double rise = ramp * speedStepsPerTick(1.0);
      for (int round = 0; round < kOneCountRounds && !plan.budget->spent(); ++round) {
        Counts slow = best.counts;
        slow.driveSpeed =
            static_cast<std::int32_t>(std::min(kSpeedCounterMax, std::round(rise / (1.0 - ratio))));
        slow.initialSpeed =
            static_cast<std::int32_t>(std::max(1.0, std::round(ratio * slow.driveSpeed)));
        std::optional<AccelFit> fit = fitSpeeds(plan, slow, plan.accelTicks);
        // An acceleration that reaches the drive speed before its counter
        // has run out leaves the deceleration to start above one count: the
        // drive speed a count above where it runs out.
        if (fit && fit->peakCounter >= fit->counts.driveSpeed && !plan.budget->spent()) {
          Counts above = fit->counts;
          above.driveSpeed += 1;
          if (std::optional<AccelFit> out = accelerationOf(plan, above)) {
            out->counts.range = fit->counts.range;
            fit = out;
          }
        }
        if (!fit) break;
        const std::optional<Trial> trial =
            rounds.run(*fit, plan.decelTicks / plan.accelTicks, s, true);
        if (s.problem || s.shortOfPulses) return s;
        if (!trial || !moveComplete(trial->run) || rounds.bestMiss <= kGoodEnough) break;
        const std::optional<double> seconds = trial->figures().decelSeconds();
        if (!seconds) break;
        rise *= *t.decelTime / *seconds;
      }
    }
  }
  // A deceleration that ends in a few slow pulses jumps by a whole pulse
  // period as its stretch crosses them: the stretches around the best are
  // tried one by one.
  if (plan.asymmetric && rounds.bestFit && rounds.bestMiss > kGoodEnough) {
    const AccelFit fit = *rounds.bestFit;
    const double around = rounds.bestStretch;
    for (int k = 1; k <= kStretchScan && rounds.bestMiss > kGoodEnough && !plan.budget->spent();
         ++k) {
      for (const int sign : {-1, 1}) {
        rounds.run(fit, around * (1.0 + sign * k * kStretchScanStep), s);
        if (s.problem || s.shortOfPulses) return s;
      }
    }
  }
  // A deceleration whose time is a few periods of the start speed falls on
  // a pulse or two: the ramp itself as short as the counts make it, from a
  // rise small enough that it is a fraction of a period, and the pulses
  // that trail after it making up the time.
  if (plan.asymmetric && rounds.bestMiss > kGoodEnough && !plan.targets.range &&
      !plan.budget->spent()) {
    const MoveTargets& t = plan.targets;
    const double period = units::ticksOfSeconds(1.0 / *t.start);
    // The deceleration's pulses: it falls from the peak to the start as fast
    // through its upper half as through its lower.
    if ((*t.start + t.peak) / 2.0 * *t.decelTime < kFewDecelerationPulses) {
      const double ramp = kQuickRampShare * period;
      const double rise =
          t.linear() ? ramp * speedStepsPerTick(kAccelCeiling)
                     : ramp * ramp * speedStepsPerTick(1.0) / (4.0 * units::ticksPerAccelStep(0));
      const double ratio = *t.start / t.peak;
      Counts quick = counts;
      quick.driveSpeed = static_cast<std::int32_t>(
          std::min<double>(counts.driveSpeed, std::floor(rise / (1.0 - ratio))));
      quick.initialSpeed =
          static_cast<std::int32_t>(std::max(1.0, std::round(ratio * quick.driveSpeed)));
      // A deceleration that a few counts estimate at less than a pulse starts
      // at the last one at the latest.
      quick.accelOffset = std::max(quick.accelOffset, 1);
      if (quick.driveSpeed > quick.initialSpeed + 1)
        if (const std::optional<AccelFit> fit = fitSpeeds(plan, quick, plan.accelTicks)) {
          rounds.runEarlier(*fit, kQuickStretch, s);
          if (s.problem || s.shortOfPulses) return s;
        }
    }
  }
  if (!rounds.best) return s;
  const Trial full = fullRun(whole, *rounds.best);
  if (!full.run.failed && !rampsComplete(full.figures()))
    s.shortOfPulses = full;
  else
    s.best = full;
  return s;
}

}  // namespace

double twoDigits(double value, bool up) {
  const auto rounded = [up](double x) { return up ? std::ceil(x) : std::round(x); };
  const double exponent = std::floor(std::log10(value)) - 1.0;
  return exponent < 0.0 ? rounded(value * std::pow(10.0, -exponent)) / std::pow(10.0, -exponent)
                        : rounded(value / std::pow(10.0, exponent)) * std::pow(10.0, exponent);
}

Plan planFor(const MoveTargets& targets, const RunParameters& base, Budget& budget) {
  Plan plan;
  plan.budget = &budget;
  plan.targets = targets;
  plan.base = base;
  MoveTargets& t = plan.targets;
  t.decelTime = t.decelTimeOrAccel();
  plan.accelTicks = units::ticksOfSeconds(t.accelTime);
  plan.decelTicks = units::ticksOfSeconds(*t.decelTime);
  plan.asymmetric = t.asymmetric();
  plan.shareRaised = t.sCurve > 0.0 && t.sCurve < kSmallestShare;
  if (plan.shareRaised) t.sCurve = kSmallestShare;
  if (!t.start) {
    plan.startChosen = true;
    plan.startRounded = true;
    const double shorter = std::min(t.accelTime, *t.decelTime);
    double start = std::max(t.peak * kDefaultStartShare, kStartPulsesPerRamp / shorter);
    // A fixed range holds no start below one count: the start is rounded
    // up to it, where that leaves room below the peak (else the range is
    // too small).
    const double oneCount = t.range ? units::pulsesPerSecond(1, *t.range) : 0.0;
    const double lowest = oneCount <= t.peak * kHighestStartShare ? oneCount : 0.0;
    start = std::min(t.peak * kHighestStartShare, std::max(start, lowest));
    t.start = twoDigits(start, start <= lowest);
    // At a fixed range the start is a whole count, to four digits.
    if (t.range && lowest > 0.0)
      t.start = *targetNumber(limitText(
          units::pulsesPerSecond(std::llround(speedCounterOf(*t.start, *t.range)), *t.range),
          false));
  }
  return plan;
}

namespace {

// `plan` with a start chosen at `share` of the peak.
Plan withChosenStart(const Plan& plan, double share) {
  Plan other = plan;
  other.targets.start = twoDigits(plan.targets.peak * share, false);
  return other;
}

}  // namespace

Design designOf(const Plan& plan, const Trial& trial) {
  Design d;
  d.targets = plan.targets;
  d.startChosen = plan.startChosen;
  d.shareRaised = plan.shareRaised;
  d.proposal = proposalOf(plan, trial.counts, plan.targets.pulses);
  d.proposal.params[Parameter::SpeedDisplayMax] =
      numberText(roundUpToOneTwoFive(trial.figures().peakPulsesPerSecond()));
  d.proposal.params[Parameter::TimeDisplayMax] =
      numberText(roundUpToOneTwoFive(trial.figures().seconds()));
  // What the design reports is the run of the proposal exactly as made:
  // the trial's own where it ran the move's pulses to the end (the display
  // scales change nothing in a run's figures).
  const bool whole = trial.pulses == plan.targets.pulses && !trial.run.cutShort;
  d.achieved = whole ? trial.figures() : proposalRun(d.proposal, *plan.budget);
  d.deviations = deviationsOf(plan, d.achieved);
  return d;
}

std::int64_t fewestPulses(const Plan& plan, const Counts& counts, std::int64_t tooFew) {
  const auto complete = [&](std::int64_t pulses) {
    return moveComplete(wholeRun(plan, counts, pulses));
  };
  std::int64_t enough = tooFew;
  for (;;) {
    tooFew = enough;
    enough *= 2;
    if (enough > std::numeric_limits<std::int32_t>::max() ||
        enough > kFewestPulsesReach * static_cast<double>(plan.targets.pulses))
      return 0;
    if (plan.budget->spent()) return 0;
    const WholeRun run = wholeRun(plan, counts, enough);
    if (moveComplete(run)) break;
    if (!run.failed) continue;
    // Twice the pulses outlast the longest run: where the ramps need more
    // than triangle prevention leaves them and the run is slow, the pulses
    // that complete the move lie in a narrow band between; it is scanned.
    std::int64_t more = tooFew;
    while ((more = static_cast<std::int64_t>(std::ceil(more * kFewestPulsesScanStep))) < enough &&
           !plan.budget->spent() && !complete(more))
      tooFew = more;
    if (more >= enough || plan.budget->spent()) return 0;
    enough = more;
    break;
  }
  while (enough - tooFew > 1 && !plan.budget->spent()) {
    const std::int64_t middle = tooFew + (enough - tooFew) / 2;
    (complete(middle) ? enough : tooFew) = middle;
  }
  return enough;
}

bool rampAtItsFastest(const Plan& plan, const Counts& c, const Deviation& worst) {
  const bool accel = worst.target == Target::AccelTime;
  if ((!accel && worst.target != Target::DecelTime) || worst.within ||
      !(worst.achieved > worst.wanted))
    return false;
  if (plan.targets.linear()) return (accel ? c.accel : c.decel) >= kAccelCeiling;
  return (accel ? c.jerkAccel : c.jerkDecel) == 0;
}

bool met(const Search& s) {
  return s.best && s.best->score <= 1.0;
}

namespace {

// The search, and where symmetric ramps cannot meet the times, asymmetric
// ones: the deceleration ends with the pulse after the last one, a period
// of the start speed that the acceleration has no counterpart for.
Search searchSymmetries(Plan& plan) {
  Search s = search(plan);
  if (plan.asymmetric || s.problem || s.shortOfPulses || met(s)) return s;
  Plan asymmetric = plan;
  asymmetric.asymmetric = true;
  Search other = search(asymmetric);
  if (other.best && (!s.best || other.best->score < s.best->score)) {
    plan = asymmetric;
    return other;
  }
  return s;
}

// The searches of both symmetries; for a typed start that they do not meet,
// again with its counts as a chosen start's, so that a start typed is met
// wherever the same start chosen is.
Search searchBoth(Plan& plan) {
  Search s = searchSymmetries(plan);
  if (plan.startRounded || met(s) || s.shortOfPulses || plan.budget->spent()) return s;
  Plan rounded = plan;
  rounded.startRounded = true;
  rounded.asymmetric = plan.targets.asymmetric();
  Search other = searchSymmetries(rounded);
  if (met(other) || (!s.best && !s.problem && other.best) ||
      (s.problem && !other.problem && other.best)) {
    plan = rounded;
    return other;
  }
  return s;
}

// The run ends a period of the start after its last pulse: a chosen start
// whose period is most of the deceleration's time leaves its ramp next to
// no room, and a start nearer the peak is the likelier one.
bool periodCrowdsTheRamp(const Plan& plan) {
  return 1.0 / *plan.targets.start > kCrowdedPeriodShare * *plan.targets.decelTime;
}

}  // namespace

Search searchStarts(Plan& plan) {
  const bool crowded = plan.startChosen && periodCrowdsTheRamp(plan);
  const auto searchAt = [&](double share) -> std::optional<Search> {
    if (plan.budget->spent()) return std::nullopt;
    Plan another = withChosenStart(plan, share);
    Search other = searchBoth(another);
    if (!met(other)) return std::nullopt;
    plan = another;
    return other;
  };
  if (crowded)
    for (const double share : kStartSharesNearThePeak)
      if (std::optional<Search> other = searchAt(share)) return *other;
  Search s = searchBoth(plan);
  if (!plan.startChosen || met(s) || s.shortOfPulses) return s;
  for (const double share : kOtherStartShares) {
    const auto nearThePeak = std::end(kStartSharesNearThePeak);
    if (crowded &&
        std::find(std::begin(kStartSharesNearThePeak), nearThePeak, share) != nearThePeak)
      continue;
    if (std::optional<Search> other = searchAt(share)) return *other;
  }
  return s;
}

}  // namespace tarvex::design
