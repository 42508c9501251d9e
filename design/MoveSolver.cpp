// Design from a target move: the search (MoveSearch), the refusals'
// figures (RefusalFigures), and the one function that puts them together.
#include "MoveSolver.h"

#include <algorithm>
#include <cmath>

#include "MoveSearch.h"
#include "RampModel.h"
#include "RefusalFigures.h"
#include "SolverTuning.h"

namespace tarvex::design {

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
