// The search's tuning: every number that steers how the design searches,
// each named once with its reason. None of them changes what a proposal
// is held to (the tolerances in MoveSolver.h); retuning changes only which
// counts are found and how soon.
#pragma once

#include <cstdint>

namespace tarvex::design {

// A default start speed: this share of the peak, but fast enough that a
// pulse at the start speed takes at most 1/kStartPulsesPerRamp of the
// shorter ramp, and at most kHighestStartShare of the peak.
inline constexpr double kDefaultStartShare = 1.0 / 300.0;
inline constexpr double kStartPulsesPerRamp = 20.0;
inline constexpr double kHighestStartShare = 0.5;
// Where a chosen start misses, these shares of the peak are tried in turn:
// ramps of a few slow pulses end a start-speed period after their last
// pulse, which only a start near the peak keeps short, and the last pulses
// of a deceleration jump by a period as the start moves; short ramps at
// high speed, from a start chosen for their time alone, may need one a few
// per cent of the peak.
inline constexpr double kOtherStartShares[] = {0.8, 0.95, 0.65, 0.9, 0.03};
// Where the chosen start's period is more than this share of the
// deceleration's time, these of the other starts are tried before it.
inline constexpr double kCrowdedPeriodShare = 0.8;
inline constexpr double kStartSharesNearThePeak[] = {0.95, 0.9, 0.8};
// Rounds of each refinement; each round is one or a few runs.
inline constexpr int kFitRounds = 10;
inline constexpr int kBalanceRounds = 6;
inline constexpr int kDragRounds = 20;
inline constexpr int kPeakSearchRounds = 4;
// The pulses tried for the fewest a move needs, as multiples of an
// estimate: the first that a design meets is reported.
inline constexpr double kPulsesMargins[] = {1.0, 1.1, 1.25, 1.5, 2.0};
// A limit that a design does not meet (another target fails with it) is
// moved this many times further into what is reachable, until one is met;
// far enough that a refusal finds a design to show as its closest.
inline constexpr double kFigureSteps[] = {1.0, 1.03, 1.1,  1.25,  2.0,
                                          4.0, 16.0, 64.0, 256.0, 1024.0};
// Where another target fails on its own as well at a figure: the first
// this many of its own figures are tried alongside.
inline constexpr int kAlongsideTries = 2;
// The work of a whole design (see Budget: a unit is about 4 ms of today's
// engine, so that a design, the proposal's own run of up to ten million
// pulses included, takes at most a second), of the rounds of one search
// (the rest is for the move's full run), and of each design tried for a
// reachable figure.
inline constexpr double kSolveBudget = 200.0;
inline constexpr double kRoundsBudget = 70.0;
inline constexpr double kTryBudget = 25.0;
// A try that met its targets only as its work ran out is tried again with
// this much, so that what it finds is what solving them again finds: more
// than a search's rounds may take (kRoundsBudget), with the move's full run.
inline constexpr double kConfirmBudget = 100.0;
// The figures of a refusal may spend at most this much of what the search
// left, and leave kClosestMetLeast of it for the last resort: runs of slow
// moves cost more time for their work than the unit says (up to about 4.5
// ms), and a refusal spends all it may.
inline constexpr double kFiguresBudget = 100.0;
// Where no figure was found, the work of solving the closest design's own
// targets again: what is left of the whole design's, at least the least
// (the search may have spent it all; the whole solve stays within a
// second) and at most the most.
inline constexpr double kClosestMetLeast = 40.0;
inline constexpr double kClosestMetBudget = 100.0;
// Rounds of solving the closest design's targets again, from the run of each.
// Each round's figures (what that run achieved, and the limits that settle
// failures before any run) lie this much further into what is reachable: a
// figure at a limit is met only by a run that lands on it, and a round that
// failed near it would fail again.
inline constexpr int kClosestMetRounds = 2;
inline constexpr double kSettlingMargins[kClosestMetRounds] = {1.0, 1.25};
// Where those fail, a plain move at the peak asked for: ramps of at least
// this many periods of its start (the last pulse's period fits them with
// room), a failing time this much longer, and the pulses that triangle
// prevention needs this many times over.
inline constexpr double kPlainRampPeriods = 4.0;
inline constexpr double kPlainTimeStep = 1.25;
inline constexpr double kPlainPulsesRoom = 1.5;
// Failures before any run settled one after the other by their figures:
// each target can fail at most once or twice (the pulses, the range, both
// times, the start), and settling runs nothing.
inline constexpr int kSettlingRounds = 8;
// Stretches of the deceleration tried around the best, each this share
// further off.
inline constexpr int kStretchScan = 12;
inline constexpr double kStretchScanStep = 0.025;
// A deceleration of fewer pulses than this falls on a pulse or two and the
// periods of the start speed after them: it is also tried as a ramp of at
// most kQuickRampShare of a period (the deceleration kQuickStretch of the
// acceleration's time, which the counts' fastest rate cuts short), started
// up to kMostPulsesEarlier pulses early so that those trailing make up its
// time.
inline constexpr double kFewDecelerationPulses = 4.0;
inline constexpr double kQuickRampShare = 0.125;
inline constexpr double kQuickStretch = 0.001;
inline constexpr double kMostPulsesEarlier = 4.0;
// Rounds of an S-curve deceleration held at one count, each with the rise
// scaled by how far the last missed its time.
inline constexpr int kOneCountRounds = 2;
// A design within this share of every tolerance needs no further round.
inline constexpr double kGoodEnough = 0.5;
// A fit of the acceleration time this close needs no further round.
inline constexpr double kFitCloseEnough = 0.001;
// An S-curve acceleration of a share below one whose jerk period is fewer
// steps than this (a period of 16 x (K + 1) ticks) is timed by its
// ceiling instead: one step more or less moves its time by a third or more.
inline constexpr std::int32_t kFewJerkPeriodSteps = 3;

// Timing steps this fine need no finer counts: the largest drive speed
// counter within them gives the smoothest ramps. Below the fewest drive
// counts a count more or less at the peak would move the start ratio by
// more than its tolerance allows.
inline constexpr double kFineTimingStep = 0.005;
inline constexpr double kFewestDriveCounts = 256.0;
// Each count of the drive speed is a step up and a step down that a run
// computes: above this many the fine ramps take longer without being finer.
inline constexpr double kQuickDriveCounts = 8192.0;
// Room for the deceleration to be made this much faster than its time asks,
// since the pulse after the last one adds to it.
inline constexpr double kRampHeadroom = 1.4;

// The drive speed counters tried, from the largest down, each this much
// smaller than the last.
inline constexpr double kDriveSpeedScanStep = 1.08;
// Where the counts of the drive speed chosen so would miss a ramp's time by
// more than this share once rounded (a fifth of the time's tolerance, the
// rest left for the runs to settle), every drive speed is tried for one
// whose counts come out nearly whole.
inline constexpr double kRoundingMissAllowed = 0.2 * 0.05;
// A range offered where a fixed one is too small, whose slow ramps' counts
// come out nearly whole nowhere, may miss the times by at most this share
// once rounded: ramps of two and five counts of acceleration come no
// closer than a few per cent, and the runs settle the rest.
inline constexpr double kWholeCountsMissAllowed = 0.8 * 0.05;
// A shortened run cruises at least kShortCruisePulses, and one more for
// each kShortCruiseShare pulses of its acceleration, before it decelerates.
inline constexpr double kShortCruisePulses = 64.0;
inline constexpr double kShortCruiseShare = 8.0;
// Room above what S-curve triangle prevention needs, for a shortened run.
inline constexpr double kTriangleRoom = 1.125;
// The first step of the deceleration point is this share of the
// deceleration's pulses, and at most kLargestFirstDragStep.
inline constexpr double kFirstDragStepShare = 1.0 / 16.0;
inline constexpr double kLargestFirstDragStep = 1e6;
// The fewest pulses a move needs are looked for up to this many times the
// pulses given.
inline constexpr double kFewestPulsesReach = 1024.0;
// Below a count of pulses whose run outlasts the longest run, the pulses
// tried for the fewest a move needs grow by this much at a time: slow moves
// complete only in a band of pulses a few tens of percent wide, above what
// triangle prevention needs and below what the longest run holds.
inline constexpr double kFewestPulsesScanStep = 1.03;
// A ramp time given as the longest whose move fits in the longest run
// leaves the pulses triangle prevention needs (as the ramp model makes them)
// at most this share of what the run holds: room for the model's error, and
// a band of pulse counts between the two for the move to choose from.
inline constexpr double kRoomWithinRun = 0.8;
// Halvings of a span searched on the ramp model: to a part in 2^40.
inline constexpr int kHalvingRounds = 40;
// Each try at a peak that the pulses reach is this much lower than the last.
inline constexpr double kLowerPeakStep = 0.9;
// Rounds in which the drive speed is corrected towards the peak, or the
// rise retimed where the timing counts fitted the acceleration no closer
// than this share of the time's tolerance.
inline constexpr int kPeakCorrectionRounds = 5;
inline constexpr double kRetimeBeyond = 0.5;

}  // namespace tarvex::design
