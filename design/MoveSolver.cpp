// The search for a design: the speeds and the range chosen from the ramp
// model, the acceleration fitted by runs of the engine, the deceleration
// shaped and its start settled, round after round; then the refusals, each
// with a reachable figure that a design meets.
#include "MoveSolver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "CandidateRuns.h"
#include "RampModel.h"
#include "SolverTuning.h"
#include "Units.h"

namespace tarvex::design {
namespace {

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

// `lowest`, or where its whole counts would miss the ramps' times by more
// than kWholeCountsMissAllowed (slow ramps of a few counts of acceleration,
// which one count more or less moves by a third), the first wider range
// whose counts come out nearly whole, else the one whose counts come
// closest within that: a range at which the peak is a whole number of drive
// counts, tried one drive count after the other; `lowest` where none does.
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

// The speed counters and the range, before the ramps are fitted. The drive
// speed counter is the largest whose ramps can be timed finely, or else the
// one whose ramps can be timed most finely, both among the drive speeds of
// at least the fewest counts where there are any.
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

// The pulses that the longest run holds even where the run comes out at
// the slow edge of its tolerances (the ramps longer, the peak lower): the
// most that a refusal offers, since a move at the model's very limit is
// one that a run a tick too long fails.
double mostPulsesWithinTolerances(const MoveTargets& t) {
  MoveTargets slow = t;
  slow.peak = t.peak * (1.0 - kPeakTolerance);
  slow.accelTime = t.accelTime * (1.0 + kTimeTolerance);
  slow.decelTime = t.decelTimeOrAccel() * (1.0 + kTimeTolerance);
  return std::min(mostPulses(t), mostPulses(slow));
}

std::optional<Unreachable> rampsWithinRun(const MoveTargets& t);

// What is wrong with the targets before any run, or nothing.
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
  if (neededPulses(t) * (1.0 - kTimeTolerance) > mostPulses(t)) return *rampsWithinRun(t);
  if (static_cast<double>(t.pulses) > mostPulses(t))
    return unreachable(Target::Pulses, Shortfall::RunTooLong, mostPulsesWithinTolerances(t));
  return std::nullopt;
}

// Pulses that outlast the longest run, where no count of them that the
// run holds was met: slow ramps leave the move only a narrow band of
// pulses, above what triangle prevention needs and below what the longest
// run holds, and runs of a few pulses more or less than the model's fall
// outside it. The longer ramp as short as leaves the band room is the
// figure then; nothing where it is no shorter than the ramp given.
std::optional<Unreachable> rampsWithinRun(const MoveTargets& t) {
  const Target longer = t.decelTimeOrAccel() > t.accelTime ? Target::DecelTime : Target::AccelTime;
  const double shorter = longestRampWithinRun(t, longer);
  if (shorter <= 0.0 || shorter >= targetValue(t, longer)) return std::nullopt;
  return unreachable(longer, Shortfall::RunTooLong, shorter);
}

// An S-curve acceleration that, at the shortest jerk period, still ends
// before `aimTicks` (ramps of about a millisecond at high speed) is held at
// a ceiling below its apex, found by halving: the lower the ceiling, the
// longer the ramp. Nothing where the fit needs no ceiling or none is closer.
std::optional<AccelFit> heldBelowItsApex(const Plan& plan, const AccelFit& fit, double aimTicks) {
  const auto miss = [aimTicks](const AccelFit& f) {
    return std::fabs(static_cast<double>(f.endTick) - aimTicks);
  };
  if (plan.targets.sCurve != 1.0 || fit.counts.jerkAccel != 0 ||
      static_cast<double>(fit.endTick) >= aimTicks || miss(fit) <= aimTicks * kFitCloseEnough)
    return std::nullopt;
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

// ---- Whole runs ----

struct Trial {
  Counts counts;
  std::int64_t pulses = 0;
  WholeRun run;
  double score = std::numeric_limits<double>::infinity();
  const RunFigures& figures() const { return run.figures; }
};

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

// A deviation in units of its tolerance; infinite where the run has no figure.
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

// Moves the start of the deceleration, by the acceleration-counter offset,
// as late as the deceleration still comes down before the run ends: each
// pulse that trails after it lengthens the deceleration by a whole period
// of the lowest speed. A step so far that those pulses outlast the longest
// run (a slow end of a long ramp) is taken again, half as far each time,
// from the last offset that fell short.
Trial settleDrag(const Plan& plan, Counts c, std::int64_t pulses, std::int32_t firstStep = 2) {
  Trial trial = trialOf(plan, c, pulses);
  if (trial.run.failed || !rampsComplete(trial.figures())) return trial;
  std::optional<Trial> best;
  std::optional<Trial> fellShort;  // the last that did not come down
  std::int32_t step = std::max(2, firstStep);
  std::int32_t lastStep = 0;
  for (int round = 0; round < kDragRounds && !plan.budget->spent(); ++round) {
    const std::int64_t trailing = trial.run.trailingPulses;
    if (trial.run.failed) {
      if (best || !fellShort || lastStep <= 1) break;
      lastStep /= 2;
      step = lastStep;
      c.accelOffset = fellShort->counts.accelOffset + lastStep;
    } else if (trial.run.cameDown) {
      if (!best || trailing < best->run.trailingPulses) best = trial;
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
    if (!trial.run.failed && !rampsComplete(trial.figures())) break;
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
  return settleDrag(uncut, trial.counts, plan.targets.pulses);
}

struct Search {
  std::optional<Trial> best;           // the best full run
  std::optional<Trial> shortOfPulses;  // a run whose ramps did not complete
  std::optional<Unreachable> problem;
};

// The rounds of a search: each shapes the deceleration for a fitted
// acceleration, settles where it starts and runs the ramps, shortened.
class Rounds {
 public:
  explicit Rounds(const Plan& plan) : plan_(plan) {}

  // The ramps of `fit` with the deceleration stretched by `stretch`.
  // Nothing once the pulses have run short or the move would outlast the
  // longest run (then in `search`).
  std::optional<Trial> run(const AccelFit& fit, double stretch, Search& s) {
    const MoveTargets& t = plan_.targets;
    Counts counts = fit.counts;
    shapeDeceleration(plan_.targets, plan_.asymmetric, stretch, counts);
    // A shortened run first, unless an earlier round found it too short;
    // triangle prevention may want a longer one.
    pulses_ = std::max(pulses_, trialPulses(plan_, fit, counts));
    const double decelPulses = fit.accelPulses(counts.range) * counts.accel / counts.decel;
    const auto firstStep = static_cast<std::int32_t>(
        std::min(decelPulses * kFirstDragStepShare, kLargestFirstDragStep));
    Trial trial = settleDrag(plan_, counts, pulses_, firstStep);
    while (!trial.run.failed && !rampsComplete(trial.figures()) && pulses_ < t.pulses &&
           !plan_.budget->spent()) {
      pulses_ = std::min(t.pulses, pulses_ * 2);
      trial = settleDrag(plan_, counts, pulses_, firstStep);
    }
    if (!trial.run.failed && !rampsComplete(trial.figures())) {
      s.shortOfPulses = trial;
      return std::nullopt;
    }
    const double miss = rampMiss(plan_, trial.run);
    if (miss < bestMiss) {
      best = trial;
      bestMiss = miss;
      bestFit = fit;
      bestStretch = stretch;
    }
    return trial;
  }

  std::optional<Trial> best;  // the trial whose ramps came closest
  double bestMiss = std::numeric_limits<double>::infinity();
  std::optional<AccelFit> bestFit;
  double bestStretch = 1.0;

 private:
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
  if (!rounds.best) return s;
  const Trial full = fullRun(whole, *rounds.best);
  if (!full.run.failed && !rampsComplete(full.figures()))
    s.shortOfPulses = full;
  else
    s.best = full;
  return s;
}

// A chosen start to two significant digits, the double nearest to them
// ("7.8", never 7.800000000000001): a whole number of tenths is divided by
// ten. Rounded up where it must not fall below `value`.
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

// `plan` with a start chosen at `share` of the peak.
Plan withChosenStart(const Plan& plan, double share) {
  Plan other = plan;
  other.targets.start = twoDigits(plan.targets.peak * share, false);
  return other;
}

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

// The fewest pulses, more than `tooFew`, with which `counts` complete the
// move; 0 when not even many times as many would.
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

// The closest run's ramp behind `worst`, a time longer than wanted, runs at
// the fastest its counts allow: the shortest jerk period in S-curve drive,
// the acceleration's ceiling in linear drive.
bool rampAtItsFastest(const Plan& plan, const Counts& c, const Deviation& worst) {
  const bool accel = worst.target == Target::AccelTime;
  if ((!accel && worst.target != Target::DecelTime) || worst.within ||
      !(worst.achieved > worst.wanted))
    return false;
  if (plan.targets.linear()) return (accel ? c.accel : c.decel) >= kAccelCeiling;
  return (accel ? c.jerkAccel : c.jerkDecel) == 0;
}

// The search found a run that meets every target.
bool met(const Search& s) {
  return s.best && s.best->score <= 1.0;
}

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

// The searches for both symmetries; for a chosen start that they do not
// meet, again from other starts (kOtherStartShares of the peak), those near
// the peak first where the chosen one's period crowds the ramp. `plan`
// becomes the plan of a start met.
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

// The designs a refusal runs on the way, for other targets in place of the
// one that fails: the one closest to the targets asked for is kept, held
// against them, so that every refusal shows the run that came closest.
class ClosestDesign {
 public:
  explicit ClosestDesign(const Plan& asked) : asked_(asked) {}

  // `metCutShort`: the design met its own targets in a search cut short.
  void consider(Design d, bool metCutShort = false) {
    Plan against = asked_;
    // A chosen start is the one the design chose for its own targets.
    if (asked_.startChosen) against.targets.start = d.targets.start;
    d.targets = against.targets;
    d.startChosen = asked_.startChosen;
    d.shareRaised = asked_.shareRaised;
    d.deviations = deviationsOf(against, d.achieved);
    double miss = 0.0;
    for (const Deviation& one : d.deviations) miss = std::max(miss, missOf(one));
    // Pulses off count as far as they are off, in units of a time's tolerance.
    const double pulses = static_cast<double>(asked_.targets.pulses);
    miss = std::max(miss, std::fabs(static_cast<double>(d.achieved.pulses) - pulses) /
                              (kTimeTolerance * pulses));
    if (metCutShort && (!metCutShort_ || miss < metCutShortMiss_)) {
      metCutShort_ = d;
      metCutShortMiss_ = miss;
    }
    if (!best_ || miss < bestMiss_) {
      best_ = std::move(d);
      bestMiss_ = miss;
    }
  }
  bool found() const { return best_.has_value(); }
  const std::optional<Design>& best() const { return best_; }
  // The closest design that met its own targets only as its work ran out.
  const std::optional<Design>& metCutShort() const { return metCutShort_; }
  // The refusal with the closest design found.
  Unreachable refusal(Unreachable u) {
    if (!u.closest) u.closest = best_;
    return u;
  }

 private:
  Plan asked_;
  std::optional<Design> best_;
  double bestMiss_ = std::numeric_limits<double>::infinity();
  std::optional<Design> metCutShort_;
  double metCutShortMiss_ = std::numeric_limits<double>::infinity();
};

// Whether a design meets `targets`. The design of its best run is offered
// to `closest`: always where it meets them, and where none has been yet
// where it does not (a proposal's own run is a full run of the move), even
// one that triangle prevention cut. `outOfWork`, where given, tells whether
// its search spent its work before it could tell: not met, and no run cut
// by triangle prevention alone.
bool designMet(const MoveTargets& targets, const RunParameters& base, Budget& whole,
               ClosestDesign& closest, bool* outOfWork = nullptr, double work = kTryBudget) {
  Budget budget(whole, work);
  Plan plan = planFor(targets, base, budget);
  if (beyondTheChip(plan)) return false;
  const Search s = searchStarts(plan);
  if (budget.stopped()) return false;
  // A search that its work cut short may have met the targets where a
  // whole design's search, going on, ends elsewhere: only one that never
  // found its work spent does what solving the targets again does. One cut
  // short is tried again with more work, once.
  const bool cutShort = budget.cutShort();
  if (met(s) && cutShort && work < kConfirmBudget)
    return designMet(targets, base, whole, closest, outOfWork, kConfirmBudget);
  if (outOfWork) *outOfWork = budget.spent() && !met(s) && (s.best || !s.shortOfPulses);
  // A run cut by triangle prevention is a design too, the last resort.
  const std::optional<Trial>& best = s.best ? s.best : s.shortOfPulses;
  if (!best) return false;
  // One met but cut short is offered too: the last resort, with work of
  // its own, solves its targets again first.
  const bool isMet = met(s) && !cutShort;
  if (met(s) || !closest.found()) closest.consider(designOf(plan, *best), met(s) && cutShort);
  return isMet;
}

// The model's first candidate for the move, its own run the figures: the
// last resort of a refusal's closest design, where no search got as far as
// a run within its work.
std::optional<Design> modelDesign(const Plan& plan) {
  if (plan.targets.pulses > kTickLimit) return std::nullopt;
  const auto speeds = chooseSpeeds(plan);
  const auto* counts = std::get_if<Counts>(&speeds);
  if (!counts) return std::nullopt;
  Counts c = *counts;
  shapeAcceleration(plan.targets, plan.accelTicks, c);
  shapeDeceleration(plan.targets, plan.asymmetric, plan.decelTicks / plan.accelTicks, c);
  Trial trial{c, plan.targets.pulses, {}};
  trial.run.figures = proposalRun(proposalOf(plan, c, plan.targets.pulses), *plan.budget);
  return designOf(plan, trial);
}

// A peak that `targets` reach in their pulses, or 0: the pulses of the
// ramps grow with the peak, so the peak they leave room for is tried first
// (the lower of what the pulses needed at the peak scale it to and what the
// ramp model lets them have), then lower ones.
double reachablePeak(const MoveTargets& targets, std::int64_t pulsesNeeded,
                     const RunParameters& base, Budget& budget, ClosestDesign& closest) {
  const double model = highestPeakInPulses(targets);
  if (model <= 0.0) return 0.0;
  MoveTargets lower = targets;
  double peak = std::min(model, targets.peak * static_cast<double>(targets.pulses) / pulsesNeeded);
  for (int round = 0; round < kPeakSearchRounds; ++round, peak *= kLowerPeakStep) {
    // The peak as the refusal prints it.
    lower.peak = *targetNumber(limitText(peak, false));
    if ((!targets.start || *targets.start < lower.peak) && designMet(lower, base, budget, closest))
      return lower.peak;
  }
  return 0.0;
}

// The refusal for too few pulses: the fewest pulses that a design meets,
// from about `estimate` upwards, and a lower peak that the pulses given
// reach; each 0 where none was found within the budget.
std::optional<AlsoReachable> alongside(const MoveTargets& instead, Target first,
                                       const RunParameters& base, Budget& budget,
                                       ClosestDesign& closest);

Unreachable tooFewPulses(const MoveTargets& targets, const RunParameters& base, double estimate,
                         Budget& budget, ClosestDesign& closest) {
  Unreachable u = unreachable(Target::Pulses, Shortfall::TooFewPulses, 0.0);
  if (estimate <= 0.0) return closest.refusal(u);
  for (const double margin : kPulsesMargins) {
    MoveTargets more = targets;
    more.pulses = static_cast<std::int64_t>(std::ceil(estimate * margin));
    if (more.pulses > kInt32Max || budget.spent()) break;
    bool outOfWork = false;
    if (designMet(more, base, budget, closest, &outOfWork)) {
      u.pulsesNeeded = more.pulses;
      break;
    }
    // A try that ran out of work before its search could tell: more pulses
    // run longer still, and the lower peak, run in the pulses given, needs
    // the rest.
    if (outOfWork) break;
    if (const auto also = alongside(more, Target::Pulses, base, budget, closest)) {
      u.also = {*also};
      u.pulsesNeeded = more.pulses;
      return closest.refusal(u);
    }
  }
  // Where no pulse count was met (its runs too costly for the design's
  // work), a lower peak about as much lower as the pulses are too few.
  u.reachable = reachablePeak(
      targets, u.pulsesNeeded > 0 ? u.pulsesNeeded : static_cast<std::int64_t>(std::ceil(estimate)),
      base, budget, closest);
  return closest.refusal(u);
}

// What is wrong with `targets` before any candidate runs: beyond the chip,
// too few pulses for their ramps (reachable: the pulses the ramp model
// needs), or speeds the counters cannot hold; or nothing.
std::optional<Unreachable> problemBeforeRuns(const MoveTargets& targets, const RunParameters& base,
                                             Budget& budget) {
  const Plan plan = planFor(targets, base, budget);
  if (std::optional<Unreachable> problem = beyondTheChip(plan)) return problem;
  if (rampPulses(plan.targets) * (1.0 - kTimeTolerance) > static_cast<double>(targets.pulses))
    return unreachable(Target::Pulses, Shortfall::TooFewPulses, neededPulses(plan.targets));
  const auto speeds = chooseSpeeds(plan);
  if (const auto* problem = std::get_if<Unreachable>(&speeds)) return *problem;
  return std::nullopt;
}

// For a figure of `first` whose move fails on another target of its own
// accord, before any run: the first of a few figures for that target, from
// its limit further into what is reachable, with which both are met.
std::optional<AlsoReachable> alongside(const MoveTargets& instead, Target first,
                                       const RunParameters& base, Budget& budget,
                                       ClosestDesign& closest) {
  const std::optional<Unreachable> other = problemBeforeRuns(instead, base, budget);
  if (!other || other->target == first || other->reachable <= 0.0) return std::nullopt;
  const bool pulses = other->why == Shortfall::TooFewPulses;
  for (int i = 0; i < kAlongsideTries && !budget.spent(); ++i) {
    const double step = pulses ? kPulsesMargins[i] : kFigureSteps[i];
    const bool atLeast = pulses || other->atLeast;
    AlsoReachable also{other->target, atLeast ? other->reachable * step : other->reachable / step,
                       atLeast};
    // A range too small for slow ramps is tried next where its counts come
    // out nearly whole.
    if (i > 0 && other->why == Shortfall::RangeTooSmall) {
      const double whole = rangeOfWholeCounts(planFor(instead, base, budget), other->reachable);
      if (whole > other->reachable) also.reachable = whole;
    }
    if (problemOf(also.target, reachableFigure(also)) != TargetProblem::None) break;
    MoveTargets both = instead;
    setTarget(both, also.target, reachableFigure(also));
    // Only where nothing is wrong with both before any run are they run.
    if (!problemBeforeRuns(both, base, budget) && designMet(both, base, budget, closest))
      return also;
  }
  return std::nullopt;
}

// The refusal with a reachable figure that, put in place of the target
// that fails, is met: the limit itself, or the first of a few steps further
// into what is reachable that a design meets, where another target fails
// on its own as well together with a figure for that one; else without a
// figure.
Unreachable verified(Unreachable u, const MoveTargets& targets, const RunParameters& base,
                     Budget& budget, ClosestDesign& closest) {
  if (u.reachable <= 0.0 || u.why == Shortfall::OffTarget || u.why == Shortfall::TooFewPulses)
    return closest.refusal(u);
  const double limit = u.reachable;
  u.reachable = 0.0;
  for (const double step : kFigureSteps) {
    Unreachable tried = u;
    tried.reachable = u.atLeast ? limit * step : limit / step;
    if (budget.spent()) break;
    MoveTargets instead = targets;
    if (problemOf(u.target, reachableFigure(tried)) != TargetProblem::None) break;
    setTarget(instead, u.target, reachableFigure(tried));
    if (designMet(instead, base, budget, closest)) return closest.refusal(tried);
    if (const auto also = alongside(instead, u.target, base, budget, closest)) {
      tried.also = {*also};
      return closest.refusal(tried);
    }
  }
  return closest.refusal(u);
}

// A typed start too low for the deceleration's time (the run ends a period
// of the start after its last pulse) is that time too short for the start
// where no faster start that a design meets is found: the slowest ramps
// fall on too few pulses to time them. The same where the time, too short
// for any start below the peak, found no figure that a faster start meets.
Unreachable verifiedStart(const Unreachable& u, const MoveTargets& targets,
                          const RunParameters& base, Budget& budget, ClosestDesign& closest) {
  Unreachable first = verified(u, targets, base, budget, closest);
  if (first.reachable > 0.0 || !targets.start) return first;
  const double forTheStart = 1.0 / *targets.start / (1.0 + kTimeTolerance);
  if (u.why != Shortfall::StartTooLow &&
      (u.why != Shortfall::TooShort || u.reachable >= forTheStart))
    return first;
  Unreachable time = unreachable(targets.asymmetric() ? Target::DecelTime : Target::AccelTime,
                                 Shortfall::TooShort, forTheStart);
  time = verified(time, targets, base, budget, closest);
  return time.reachable > 0.0 ? time : first;
}

// The targets that the run of `d` misses against those asked for, each at
// what the run achieved: its pulses, the figures beyond their tolerance
// (the start only where one was given), and a range given that it changed.
std::vector<AlsoReachable> missedTargets(const Design& d, const MoveTargets& asked,
                                         const RunParameters& base, Budget& budget) {
  Plan against = planFor(asked, base, budget);
  if (!asked.start) against.targets.start = d.targets.start;
  std::vector<AlsoReachable> figures;
  const auto missed = [&](Target target, double value) {
    if (value > 0.0 && std::isfinite(value))
      figures.push_back({target, value, value > targetValue(asked, target)});
  };
  if (d.achieved.pulses != asked.pulses)
    missed(Target::Pulses, static_cast<double>(d.achieved.pulses));
  for (const Deviation& one : deviationsOf(against, d.achieved))
    if (!one.within && (one.target != Target::Start || asked.start))
      missed(one.target, one.achieved);
  if (asked.range && d.achieved.range != *asked.range)
    missed(Target::Range, static_cast<double>(d.achieved.range));
  return figures;
}

// `figures` in place of the targets asked for, each as the refusal prints it.
MoveTargets withFigures(const MoveTargets& asked, const std::vector<AlsoReachable>& figures) {
  MoveTargets instead = asked;
  for (const AlsoReachable& f : figures) setTarget(instead, f.target, reachableFigure(f));
  return instead;
}

// What is wrong before any run with the closest design's targets, settled
// by the reachable figure of each problem in turn, added to `figures`;
// false where a problem has no figure or they do not settle.
bool settledBeforeRuns(std::vector<AlsoReachable>& figures, const MoveTargets& asked,
                       const RunParameters& base, Budget& budget, double margin) {
  for (int round = 0; round < kSettlingRounds; ++round) {
    const MoveTargets instead = withFigures(asked, figures);
    for (const AlsoReachable& f : figures)
      if (problemOf(f.target, reachableFigure(f)) != TargetProblem::None) return false;
    const std::optional<Unreachable> problem = problemBeforeRuns(instead, base, budget);
    if (!problem) return true;
    if (problem->reachable <= 0.0 || problem->why == Shortfall::OffTarget) return false;
    const double reachable = problem->atLeast || problem->why == Shortfall::TooFewPulses
                                 ? problem->reachable * margin
                                 : problem->reachable / margin;
    // A range further out than the widest is the widest.
    const double value = problem->why == Shortfall::TooFewPulses ? std::ceil(reachable)
                         : problem->target == Target::Range
                             ? std::min(kInt32Max, std::ceil(reachable))
                             : *targetNumber(limitText(reachable, problem->atLeast));
    std::erase_if(figures, [&](const AlsoReachable& f) { return f.target == problem->target; });
    figures.push_back({problem->target, value, value > targetValue(asked, problem->target)});
  }
  return false;
}

// `figures` with a range at which their peak has kQuickDriveCounts drive
// counts (or the widest), where that is wider than the one given.
void widenRange(std::vector<AlsoReachable>& figures, const MoveTargets& asked) {
  const MoveTargets instead = withFigures(asked, figures);
  if (!instead.range) return;
  // As printed: four digits, rounded down so that the widest stays within 32 bits.
  const double wide = *targetNumber(
      limitText(std::min(kInt32Max, rangeFor(kQuickDriveCounts, instead.peak)), false));
  if (wide <= *instead.range) return;
  std::erase_if(figures, [](const AlsoReachable& f) { return f.target == Target::Range; });
  figures.push_back({Target::Range, wide, true});
}

// A plain move at the peak asked for, which a design meets as a rule: the
// start given (else the one the design chooses, at most half the peak);
// both ramps as long as the longer asked for (ramps alike are the likelier
// met), at least kPlainRampPeriods periods of that start, and a failing
// time's figure further out; the pulses that triangle prevention needs
// with room and the longest run holds with room; and a range of fine
// counts in place of a narrow one given. Its targets where they differ
// from those asked for; nothing where the move must be shorter.
std::optional<std::vector<AlsoReachable>> plainMove(const Unreachable& u,
                                                    const MoveTargets& asked) {
  const bool shorterRamps =
      (u.why == Shortfall::TooLong || u.why == Shortfall::RunTooLong) && u.target != Target::Pulses;
  if (shorterRamps || u.why == Shortfall::PeakOutOfReach || u.target == Target::SCurve)
    return std::nullopt;
  MoveTargets plain = asked;
  const bool startKept = asked.start && u.target != Target::Start;
  if (asked.start && !startKept) plain.start = twoDigits(asked.peak * kHighestStartShare, false);
  const double start = plain.start ? *plain.start : asked.peak * kHighestStartShare;
  double ramp = std::max({kPlainRampPeriods / start, asked.accelTime, asked.decelTimeOrAccel()});
  if (u.target == Target::AccelTime || u.target == Target::DecelTime)
    ramp = std::max(ramp, targetValue(asked, u.target) * kPlainTimeStep);
  plain.accelTime = *targetNumber(limitText(ramp, true));
  if (asked.decelTime) plain.decelTime = plain.accelTime;
  const double fewest = std::ceil(neededPulses(plain) * kPlainPulsesRoom);
  const double most = std::floor(mostPulsesWithinTolerances(plain) * kRoomWithinRun);
  if (fewest > most) return std::nullopt;
  plain.pulses =
      static_cast<std::int64_t>(std::clamp(static_cast<double>(asked.pulses), fewest, most));
  std::vector<AlsoReachable> figures;
  for (const Target target : {Target::Pulses, Target::AccelTime, Target::DecelTime, Target::Start})
    if (targetValue(plain, target) != targetValue(asked, target) &&
        (target != Target::Start || asked.start) &&
        (target != Target::DecelTime || asked.decelTime))
      figures.push_back({target, targetValue(plain, target),
                         targetValue(plain, target) > targetValue(asked, target)});
  widenRange(figures, asked);
  return figures;
}

// Where no figure was found: where no design ran, the failures before any
// run settled one by one from the targets asked for, each by its own
// figure; else the targets of the closest design's own run, those it misses
// in place of the ones asked for, settled the same way. Kept where a design
// meets them when solved again; else the run of that design is tried the
// same way (or where it ran none, the same figures), a few rounds, each
// further into what is reachable. The failing target's figure comes first
// (for too few pulses, more pulses or else a lower peak); the others go
// with it.
Unreachable closestMetFigures(Unreachable u, const MoveTargets& asked, const RunParameters& base,
                              Budget& budget, ClosestDesign& closest) {
  if (u.why == Shortfall::OffTarget || reachableFigure(u) > 0.0) return u;
  const bool fewPulses = u.why == Shortfall::TooFewPulses;
  const auto isFirst = [&](const AlsoReachable& f) {
    if (!fewPulses) return f.target == u.target;
    return f.target == Target::Pulses ? f.atLeast : f.target == Target::Peak && !f.atLeast;
  };
  std::optional<Design> next;  // the best run of the last try
  std::string lastTried;       // its targets: the same again would end the same
  const auto tried = [&](std::vector<AlsoReachable> figures, bool ofClosest, double margin,
                         bool wideRange, double work = kTryBudget) -> std::optional<Unreachable> {
    next.reset();
    for (AlsoReachable& f : figures)
      f.reachable = f.atLeast ? f.reachable * margin : f.reachable / margin;
    if (wideRange) widenRange(figures, asked);
    if (!settledBeforeRuns(figures, asked, base, budget, margin)) return std::nullopt;
    // For too few pulses, more pulses before a lower peak: a peak that the
    // pulses given reach goes with no other count of pulses.
    auto first = std::find_if(figures.begin(), figures.end(), [&](const AlsoReachable& f) {
      return isFirst(f) && f.target == Target::Pulses;
    });
    if (first == figures.end()) first = std::find_if(figures.begin(), figures.end(), isFirst);
    const MoveTargets instead = withFigures(asked, figures);
    if (first == figures.end() || (instead.start && *instead.start >= instead.peak) ||
        targetsText(instead) == lastTried)
      return std::nullopt;
    lastTried = targetsText(instead);
    ClosestDesign own(planFor(instead, base, budget));
    const bool met = designMet(instead, base, budget, own, nullptr, work);
    next = own.best();
    if (!met) return std::nullopt;
    Unreachable withThem = u;
    if (fewPulses && first->target == Target::Pulses)
      withThem.pulsesNeeded = static_cast<std::int64_t>(reachableFigure(*first));
    else
      withThem.reachable = first->reachable;
    withThem.atLeast = first->atLeast;
    figures.erase(first);
    withThem.also = std::move(figures);
    withThem.closestMet = ofClosest;
    if (next) closest.consider(*next);
    return closest.refusal(withThem);
  };
  // Each round from the run of the last try, or where it ran none, the
  // same figures further out; after the first, a plain move at the peak.
  // A design met as its work ran out is solved again first, with the work
  // that it would have been given to confirm it.
  std::optional<Design> from = closest.metCutShort() ? closest.metCutShort() : u.closest;
  double work = closest.metCutShort() ? kConfirmBudget : kTryBudget;
  const std::optional<std::vector<AlsoReachable>> plain = plainMove(u, asked);
  for (int round = 0; round < kClosestMetRounds && !budget.spent(); ++round) {
    if (round == 1 && plain)
      if (std::optional<Unreachable> met = tried(*plain, true, 1.0, false)) return *met;
    if (budget.spent()) break;
    std::vector<AlsoReachable> figures;
    if (from) figures = missedTargets(*from, asked, base, budget);
    // A range given may leave the peak too few counts to time the ramps
    // finely: after the first round, a range of fine counts where wider.
    if (std::optional<Unreachable> met =
            tried(std::move(figures), from.has_value(), kSettlingMargins[round],
                  asked.range && round > 0, std::exchange(work, kTryBudget)))
      return *met;
    if (next) from = std::move(next);
  }
  return u;
}

}  // namespace

std::string_view shortfallName(Shortfall why) {
  constexpr std::string_view kNames[] = {"peak_out_of_reach", "start_not_below_peak",
                                         "start_too_low",     "too_short",
                                         "too_long",          "run_too_long",
                                         "too_few_pulses",    "range_too_small",
                                         "range_too_large",   "off_target"};
  return kNames[static_cast<std::size_t>(why)];
}

double reachableFigure(const Unreachable& u) {
  if (u.why == Shortfall::TooFewPulses && u.pulsesNeeded > 0)
    return static_cast<double>(u.pulsesNeeded);
  return *targetNumber(limitText(u.reachable, u.atLeast));
}

double reachableFigure(const AlsoReachable& also) {
  if (also.target == Target::Pulses)
    return also.atLeast ? std::ceil(also.reachable) : std::floor(also.reachable);
  return *targetNumber(limitText(also.reachable, also.atLeast));
}

Target figureTarget(const Unreachable& u) {
  // Too few pulses with none found that are enough: the lower peak instead.
  return u.why == Shortfall::TooFewPulses && u.pulsesNeeded <= 0 ? Target::Peak : u.target;
}

MoveTargets withReachable(const MoveTargets& asked, const Unreachable& u) {
  MoveTargets instead = asked;
  setTarget(instead, figureTarget(u), reachableFigure(u));
  for (const AlsoReachable& also : u.also) setTarget(instead, also.target, reachableFigure(also));
  return instead;
}

Solution solve(const MoveTargets& targets, const RunParameters& base, RunStopRequest* stop) {
  Budget budget(kSolveBudget, stop);
  Plan plan = planFor(targets, base, budget);
  ClosestDesign closest(plan);
  const auto refused = [&](Unreachable u) -> Solution {
    if (!u.closest && !budget.stopped())
      if (std::optional<Design> first = modelDesign(plan)) {
        closest.consider(std::move(*first));
        u = closest.refusal(u);
      }
    if (budget.stopped()) return Stopped{};
    // Its own work, since the search may have spent the whole design's:
    // what is left of that, within a least and a most.
    Budget last(std::clamp(budget.left(), kClosestMetLeast, kClosestMetBudget), stop);
    u = closestMetFigures(std::move(u), targets, base, last, closest);
    if (last.stopped()) return Stopped{};
    u.start = *plan.targets.start;
    return u;
  };
  // The figures of a refusal may spend the design's work but for what the
  // last resort needs, so that the whole stays within its time.
  const auto figureWork = [&] {
    return Budget(budget, std::clamp(budget.left() - kClosestMetLeast, 0.0, kFiguresBudget));
  };
  if (const auto problem = beyondTheChip(plan)) {
    Budget work = figureWork();
    Unreachable u = verifiedStart(*problem, targets, base, work, closest);
    if (u.reachable <= 0.0 && problem->target == Target::Pulses &&
        problem->why == Shortfall::RunTooLong)
      if (const auto ramps = rampsWithinRun(plan.targets)) {
        Unreachable shorter = verified(*ramps, targets, base, work, closest);
        if (shorter.reachable > 0.0) u = std::move(shorter);
      }
    return refused(u);
  }
  if (rampPulses(plan.targets) * (1.0 - kTimeTolerance) > static_cast<double>(targets.pulses)) {
    // Even ramps at the shortest time within its tolerance output more
    // pulses than the move has: no candidate is run.
    Budget work = figureWork();
    return refused(tooFewPulses(targets, base, neededPulses(plan.targets), work, closest));
  }
  const Search s = searchStarts(plan);
  if (budget.stopped()) return Stopped{};
  if (s.problem) {
    Budget work = figureWork();
    return refused(verified(*s.problem, targets, base, work, closest));
  }
  if (s.shortOfPulses) {
    // Its run at the pulses asked for, triangle prevention cutting it, is
    // the first closest design.
    closest.consider(designOf(plan, *s.shortOfPulses));
    // Where the runs find no count that is enough, the ramp model's.
    const std::int64_t fewest = fewestPulses(plan, s.shortOfPulses->counts, targets.pulses);
    const double estimate = fewest > 0 ? static_cast<double>(fewest) : neededPulses(plan.targets);
    Budget work = figureWork();
    return refused(tooFewPulses(targets, base, estimate, work, closest));
  }
  if (!s.best) return unreachable(Target::AccelTime, Shortfall::OffTarget, 0.0);
  Design design = designOf(plan, *s.best);
  if (budget.stopped()) return Stopped{};
  if (s.best->score <= 1.0) return design;
  // The target furthest off, in units of its tolerance.
  Unreachable u = unreachable(Target::Peak, Shortfall::OffTarget, 0.0);
  const auto worst = std::max_element(
      design.deviations.begin(), design.deviations.end(),
      [](const Deviation& a, const Deviation& b) { return missOf(a) < missOf(b); });
  u.target = worst->target;
  u.reachable = worst->achieved;
  if (rampAtItsFastest(plan, s.best->counts, *worst)) {
    // The ramp that is too slow already changes its speed as fast as the
    // counters allow between the start and the peak: the time is too
    // short for them, and the time it took is the figure to try.
    u.why = Shortfall::TooShort;
    u.atLeast = true;
    Budget work = figureWork();
    return refused(verified(u, targets, base, work, closest));
  }
  if (worst->within) {
    // Every figure is within its tolerance: the run did not output the
    // pulses, or triangle prevention cut it.
    u.target = Target::Pulses;
    u.reachable = static_cast<double>(design.achieved.pulses);
  }
  u.closest = std::move(design);
  u.start = *plan.targets.start;
  return u;
}

}  // namespace tarvex::design
