// A refusal's figures: each tried by solving the targets with it in place
// of the one that fails, with the work a refusal may spend.
#include "RefusalFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "RampModel.h"
#include "SolverTuning.h"
#include "Units.h"

namespace tarvex::design {

using units::rangeFor;
using units::speedCounterOf;

void ClosestDesign::consider(Design d, bool metCutShort) {
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
  miss = std::max(
      miss, std::fabs(static_cast<double>(d.achieved.pulses) - pulses) / (kTimeTolerance * pulses));
  if (metCutShort && (!metCutShort_ || miss < metCutShortMiss_)) {
    metCutShort_ = d;
    metCutShortMiss_ = miss;
  }
  if (!best_ || miss < bestMiss_) {
    best_ = std::move(d);
    bestMiss_ = miss;
  }
}

namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

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

namespace {

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
// met), at least kPlainRampPeriods periods of that start, a time too short
// further out and ramps too long a step inside the longest found; the
// pulses that triangle prevention needs with room and the longest run holds
// with room; and a range of fine counts in place of a narrow one given. Its
// targets where they differ from those asked for; nothing where the ramps
// would be shorter than those periods. `longestRamp`: the longest found
// for ramps too long.
std::optional<std::vector<AlsoReachable>> plainMove(const Unreachable& u, const MoveTargets& asked,
                                                    double longestRamp) {
  const bool time = u.target == Target::AccelTime || u.target == Target::DecelTime;
  const bool shorterRamps = time && (u.why == Shortfall::TooLong || u.why == Shortfall::RunTooLong);
  if ((shorterRamps && longestRamp <= 0.0) || u.why == Shortfall::PeakOutOfReach ||
      u.target == Target::SCurve)
    return std::nullopt;
  MoveTargets plain = asked;
  const bool startKept = asked.start && u.target != Target::Start;
  if (asked.start && !startKept) plain.start = twoDigits(asked.peak * kHighestStartShare, false);
  const double start = plain.start ? *plain.start : asked.peak * kHighestStartShare;
  const double fewestPeriods = kPlainRampPeriods / start;
  double ramp = std::max({fewestPeriods, asked.accelTime, asked.decelTimeOrAccel()});
  if (time && !shorterRamps) ramp = std::max(ramp, targetValue(asked, u.target) * kPlainTimeStep);
  // Ramps too long: both within the longest the refusal found, a step inside.
  if (shorterRamps) ramp = std::min(ramp, longestRamp / kPlainTimeStep);
  if (ramp < fewestPeriods) return std::nullopt;
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

}  // namespace

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
  // The longest ramp, for ramps too long: the limit before any run.
  const std::optional<Unreachable> before = problemBeforeRuns(asked, base, budget);
  const double longestRamp = before && before->target == u.target ? before->reachable : 0.0;
  const std::optional<std::vector<AlsoReachable>> plain = plainMove(u, asked, longestRamp);
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

}  // namespace tarvex::design
