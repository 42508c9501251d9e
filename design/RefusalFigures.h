// A refusal's figures: what is reachable instead of a target that cannot
// be met, each figure one that a design meets when solved again. The limit
// itself or a few steps beyond it; where another target fails as well, a
// figure for that one too; where none of those is met, the closest design
// found that is itself met, or a plain move at the peak asked for.
#pragma once

#include <optional>
#include <vector>

#include "MoveSearch.h"

namespace tarvex::design {

// The designs a refusal runs on the way, for other targets in place of the
// one that fails: the one closest to the targets asked for is kept, held
// against them, so that every refusal shows the run that came closest.
class ClosestDesign {
 public:
  explicit ClosestDesign(const Plan& asked) : asked_(asked) {}

  // `metCutShort`: the design met its own targets in a search cut short.
  void consider(Design d, bool metCutShort = false);
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

// The model's first candidate for the move, its own run the figures: the
// last resort of a refusal's closest design, where no search got as far as
// a run within its work.
std::optional<Design> modelDesign(const Plan& plan);

Unreachable tooFewPulses(const MoveTargets& targets, const RunParameters& base, double estimate,
                         Budget& budget, ClosestDesign& closest);

// The refusal with a reachable figure that, put in place of the target
// that fails, is met: the limit itself, or the first of a few steps further
// into what is reachable that a design meets, where another target fails
// on its own as well together with a figure for that one; else without a
// figure.
Unreachable verified(Unreachable u, const MoveTargets& targets, const RunParameters& base,
                     Budget& budget, ClosestDesign& closest);

// A typed start too low for the deceleration's time (the run ends a period
// of the start after its last pulse) is that time too short for the start
// where no faster start that a design meets is found: the slowest ramps
// fall on too few pulses to time them. The same where the time, too short
// for any start below the peak, found no figure that a faster start meets.
Unreachable verifiedStart(const Unreachable& u, const MoveTargets& targets,
                          const RunParameters& base, Budget& budget, ClosestDesign& closest);

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
                              Budget& budget, ClosestDesign& closest);

}  // namespace tarvex::design
