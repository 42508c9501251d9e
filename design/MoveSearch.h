// The search for a design, step by step: the chip's limits that a move
// must keep before any run, the speeds and the range chosen from the ramp
// model, the acceleration fitted by runs of the engine, the deceleration
// shaped and its start settled round after round, from the starts worth
// trying. What a refusal's figures and the solve take from it.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <variant>
#include <vector>

#include "CandidateRuns.h"
#include "MoveSolver.h"

namespace tarvex::design {

// The refusal of `target` for `why`, with what is reachable instead: a
// least one for a start too low, a time too short or a range too small.
Unreachable unreachable(Target target, Shortfall why, double reachable);

// `lowest`, or where its whole counts would miss the ramps' times by more
// than kWholeCountsMissAllowed (slow ramps of a few counts of acceleration,
// which one count more or less moves by a third), the first wider range
// whose counts come out nearly whole, else the one whose counts come
// closest within that: a range at which the peak is a whole number of drive
// counts, tried one drive count after the other; `lowest` where none does.
double rangeOfWholeCounts(const Plan& plan, double lowest);

// The speed counters and the range, before the ramps are fitted. The drive
// speed counter is the largest whose ramps can be timed finely, or else the
// one whose ramps can be timed most finely, both among the drive speeds of
// at least the fewest counts where there are any.
std::variant<Counts, Unreachable> chooseSpeeds(const Plan& plan);

// The pulses that the longest run holds even where the run comes out at
// the slow edge of its tolerances (the ramps longer, the peak lower): the
// most that a refusal offers, since a move at the model's very limit is
// one that a run a tick too long fails.
double mostPulsesWithinTolerances(const MoveTargets& t);

// What is wrong with the targets before any run, or nothing.
std::optional<Unreachable> beyondTheChip(const Plan& plan);

// Pulses that outlast the longest run, where no count of them that the
// run holds was met: slow ramps leave the move only a narrow band of
// pulses, above what triangle prevention needs and below what the longest
// run holds, and runs of a few pulses more or less than the model's fall
// outside it. The longer ramp as short as leaves the band room is the
// figure then; nothing where it is no shorter than the ramp given.
std::optional<Unreachable> rampsWithinRun(const MoveTargets& t);

// A candidate and its whole run (of the move's pulses, or fewer while the
// ramps are settled), scored against the targets in units of the tolerances.
struct Trial {
  Counts counts;
  std::int64_t pulses = 0;
  WholeRun run;
  double score = std::numeric_limits<double>::infinity();
  // Pulses its deceleration starts earlier than the settled start, so that
  // as many trail at the start speed: kept when it is run whole.
  std::int32_t earlier = 0;
  const RunFigures& figures() const { return run.figures; }
};

// A deviation in units of its tolerance; infinite where the run has no figure.
double missOf(const Deviation& d);

// The run's figures against the plan's targets: peak, acceleration time,
// deceleration time and start, in that order.
std::vector<Deviation> deviationsOf(const Plan& plan, const RunFigures& f);

// What a search found: the best run of the whole move, or a run that
// triangle prevention cut, or what is wrong before any run.
struct Search {
  std::optional<Trial> best;           // the best full run
  std::optional<Trial> shortOfPulses;  // a run whose ramps did not complete
  std::optional<Unreachable> problem;
};

// A chosen start to two significant digits, the double nearest to them
// ("7.8", never 7.800000000000001): a whole number of tenths is divided by
// ten. Rounded up where it must not fall below `value`.
double twoDigits(double value, bool up);

// The plan for `targets`: the times in ticks, the deceleration time and a
// start chosen where none is given, the share of the S-curve raised to
// the smallest.
Plan planFor(const MoveTargets& targets, const RunParameters& base, Budget& budget);

// The design of a trial: its proposal, the display scales rounded up to
// 1-2-5 steps to fit the move, and the figures of its run.
Design designOf(const Plan& plan, const Trial& trial);

// The fewest pulses, more than `tooFew`, with which `counts` complete the
// move; 0 when not even many times as many would.
std::int64_t fewestPulses(const Plan& plan, const Counts& counts, std::int64_t tooFew);

// The closest run's ramp behind `worst`, a time longer than wanted, runs at
// the fastest its counts allow: the shortest jerk period in S-curve drive,
// the acceleration's ceiling in linear drive.
bool rampAtItsFastest(const Plan& plan, const Counts& c, const Deviation& worst);

// The search found a run that meets every target.
bool met(const Search& s);

// The searches for both symmetries; for a chosen start that they do not
// meet, again from other starts (kOtherStartShares of the peak), those near
// the peak first where the chosen one's period crowds the ramp. `plan`
// becomes the plan of a start met.
Search searchStarts(Plan& plan);

}  // namespace tarvex::design
