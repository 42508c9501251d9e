// Design from a target move: the engineer's pulses, speeds and times in,
// every parameter field and option box out. The design chooses the counts,
// runs the engine on each candidate and refines the candidates until the
// run meets the targets; what it reports is the engine's run of its
// proposal.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "MoveTargets.h"
#include "Proposal.h"
#include "RunFigures.h"
#include "RunStop.h"

namespace tarvex::design {

// How close the run must come to each target, as a share of the target.
// The pulses are met exactly.
inline constexpr double kPeakTolerance = 0.005;
inline constexpr double kTimeTolerance = 0.05;
inline constexpr double kStartTolerance = 0.02;

// One target against the run.
struct Deviation {
  Target target;
  double wanted = 0.0;
  double achieved = 0.0;
  bool within = false;
  // (achieved - wanted) / wanted in per cent.
  double percent() const { return (achieved - wanted) / wanted * 100.0; }
};

struct Design {
  MoveTargets targets;  // as designed: the deceleration time and start filled in
  bool startChosen = false;
  bool shareRaised = false;  // the S-curve share asked for was below kSmallestShare
  Proposal proposal;
  RunFigures achieved;  // the engine's run of the proposal
  // Peak, acceleration time, deceleration time and start, in that order.
  std::vector<Deviation> deviations;
};

// Why a move cannot be designed.
enum class Shortfall {
  PeakOutOfReach,     // above one pulse per tick, or below the slowest; reachable: that limit
  StartNotBelowPeak,  // reachable: a start below the peak that a design meets
  StartTooLow,        // the counters cannot hold so low a start; reachable: the lowest
  TooShort,           // a time the counters cannot reach; reachable: the shortest
  TooLong,            // reachable: the longest
  RunTooLong,         // the move outlasts the longest run; reachable: the most pulses
  TooFewPulses,       // reachable: a peak the pulses leave room for (0: none found)
  RangeTooSmall,      // reachable: the smallest range for the speeds
  RangeTooLarge,      // reachable: the largest range for the peak
  OffTarget,          // no candidate met the target; the closest is given
};

// Another target that fails on its own as well, and what is reachable
// for it: the refusal's figure is met together with this one.
struct AlsoReachable {
  Target target = Target::Pulses;
  double reachable = 0.0;  // in the target's unit
  bool atLeast = false;    // a least one rather than a most
};

struct Unreachable {
  Target target = Target::Peak;  // the target that fails
  Shortfall why = Shortfall::OffTarget;
  // What is reachable instead, in the target's unit (pulses per second,
  // seconds, pulses, range); 0 where nothing is.
  double reachable = 0.0;
  std::int64_t pulsesNeeded = 0;  // TooFewPulses: the fewest pulses for the peak
  // The design whose run came closest to the targets, held against them:
  // the best candidate, or a design met on the way to the reachable
  // figure; nothing only where no candidate ran.
  std::optional<Design> closest;
  // The reachable figure is a least one ("at least") rather than a most.
  bool atLeast = false;
  // Where the figure is met only with other targets changed as well.
  std::vector<AlsoReachable> also;
  // The figures are those of the closest design found that is itself met,
  // where no figure nearer to the targets asked for was.
  bool closestMet = false;
  // The start the move was designed from: the one given, or the one chosen.
  double start = 0.0;
};

// "peak_out_of_reach", "too_short", ...: the shortfall's name in tables.
std::string_view shortfallName(Shortfall why);

// What is reachable instead as the messages print it (four significant
// digits, rounded towards what is reachable): for too few pulses the fewest
// pulses (where none were found, the lower peak), else `reachable`. Put in
// place of the failing target (of the peak for such a lower peak), it is met.
double reachableFigure(const Unreachable& u);
// The same for the second target: whole pulses as they are, else four
// significant digits rounded towards what is reachable.
double reachableFigure(const AlsoReachable& also);

// The target the reachable figure is for: the one that fails, or the peak
// for too few pulses where only a lower peak was found.
Target figureTarget(const Unreachable& u);

// The targets asked for with the reachable figures in place of those that
// fail: solved again, they are met.
MoveTargets withReachable(const MoveTargets& asked, const Unreachable& u);

// The design was stopped before it was done: nothing is proposed.
struct Stopped {};

using Solution = std::variant<Design, Unreachable, Stopped>;

// Designs the move. The fields the design leaves alone (the jerks in
// linear drive, the manual deceleration point) keep their texts in `base`.
// Every candidate's run is made under `stop`, when given: it counts itself
// there, ends at its next yield once the stop is asked for (a run begun
// after, at its first pulse), and the design then ends Stopped.
Solution solve(const MoveTargets& targets, const RunParameters& base = startupTexts(),
               RunStopRequest* stop = nullptr);

}  // namespace tarvex::design
