// The candidates of a design and their runs: the budget of work a design
// may spend, the plan it works to, the proposal a candidate's counts make,
// and the engine's runs of a candidate, whole or up to the end of its
// acceleration. Every run is the window's own run of the proposal.
#pragma once

#include <cstdint>
#include <optional>

#include "MoveSolver.h"
#include "RampModel.h"
#include "RunFigures.h"

namespace tarvex::design {

// The work a design may do, in units of kStepsPerUnit steps of the engine:
// each pulse's yield a step, each yield after a long stretch without pulses
// many, and each value the run shows (every change of speed, acceleration,
// state ...); setting a run up costs kSetUpCharge. The engine's work
// follows these events, whichever stretches it jumps over. A search that
// has spent it stops with the best it has, the run it was in cut short at
// its next yield. A stop asked for spends it at once.
class Budget {
 public:
  Budget(double runs, RunStopRequest* stop) : left_(runs), stop_(stop) {}
  // A share of `whole`, whose work it is too.
  Budget(Budget& whole, double runs) : left_(runs), stop_(whole.stop_), whole_(&whole) {}
  // A candidate's run begins: counted under the stop request.
  void chargeRun() {
    charge(kSetUpCharge);
    if (stop_) stop_->runBegun();
  }
  void chargeSteps(std::int64_t steps) { charge(static_cast<double>(steps) / kStepsPerUnit); }
  bool spent() {
    const bool over = left_ <= 0.0 || (whole_ && whole_->spent()) || stopped();
    cutShort_ = cutShort_ || over;
    return over;
  }
  // Whether any step of the work found it spent (and so went otherwise
  // than with more work it would have).
  bool cutShort() const { return cutShort_; }
  double left() const { return left_; }
  bool stopped() {
    if (!stopped_ && stop_ && stop_->requested()) stopped_ = true;
    return stopped_;
  }

 private:
  void charge(double runs) {
    left_ -= runs;
    if (whole_) whole_->charge(runs);
  }
  static constexpr double kStepsPerUnit = 100000.0;
  static constexpr double kSetUpCharge = 0.1;
  double left_;
  RunStopRequest* stop_;
  Budget* whole_ = nullptr;
  bool stopped_ = false;
  bool cutShort_ = false;
};

struct Plan {
  Budget* budget = nullptr;
  MoveTargets targets;  // with the deceleration time and the start filled in
  bool startChosen = false;
  // The start's speed counter rounded to the nearest with the drive speed
  // corrected to it afterwards, as for a chosen start; else rounded down
  // with the drive speed rounded to the ratio at once, as a typed start is
  // tried first.
  bool startRounded = false;
  bool shareRaised = false;  // the S-curve share was below the smallest
  RunParameters base;        // texts of the fields the design leaves alone
  // Asymmetric drive: for unequal times, or where the pulse after the last
  // would make the deceleration too long to match the acceleration.
  bool asymmetric = false;
  double accelTicks = 0.0;
  double decelTicks = 0.0;
  // Whole runs are cut short once the budget is spent.
  bool cutOnBudget = true;
};

// The proposal of `c` for a run of `pulses`.
Proposal proposalOf(const Plan& plan, const Counts& c, std::int64_t pulses);

// The figures of the proposal's own run, which only a stop cuts short.
RunFigures proposalRun(const Proposal& proposal, Budget& budget);

// A whole run of a candidate.
struct WholeRun {
  RunFigures figures;
  bool failed = false;
  // The deceleration came down before the run ended: to the initial speed,
  // or in S-curve drive to where its falling deceleration ran out.
  bool cameDown = false;
  // Pulses output after it came down, each a period of the lowest speed;
  // where those outlasted the longest run, with the pulses not output.
  std::int64_t trailingPulses = 0;
  // The budget ended it before the engine did.
  bool cutShort = false;
};

// The run of a candidate with `pulses`, cut short once the budget is spent.
WholeRun wholeRun(const Plan& plan, const Counts& c, std::int64_t pulses);

// The acceleration of a candidate, run up to its end.
struct AccelFit {
  Counts counts;
  std::int64_t endTick = 0;      // the tick that ended the acceleration
  std::int32_t peakCounter = 0;  // the speed counter it ended at
  // What S-curve triangle prevention needs still to go when the
  // acceleration stops being held, in pulses times the range.
  double triangleNeed = 0.0;

  // About the pulses output while accelerating at `range`: both ramp
  // shapes rise as fast through the upper half as through the lower.
  double accelPulses(std::int32_t range) const {
    return (counts.initialSpeed + peakCounter) / 2.0 * static_cast<double>(endTick) / range;
  }
};

// The acceleration's course: when it ends and at which speed counter; nothing
// where the run fails or the budget cuts it short.
std::optional<AccelFit> accelerationOf(const Plan& plan, const Counts& c);

}  // namespace tarvex::design
