// tarvex-batch --solve: the parameters for a target move, found by running
// the engine on candidates, printed as a summary or as one JSON object, and
// optionally saved as a parameter file.
#pragma once

#include <string>

#include "BatchOptions.h"
#include "MoveSolver.h"

namespace tarvex::batch {

// The summary: the targets against the engine's run, each deviation in %,
// then the proposal as --set options and field by field.
std::string solveText(const design::Design& design);
// One JSON object: "set", "flags", "achieved", "targets".
std::string solveJson(const design::Design& design);
// Which target fails and what is reachable instead.
std::string unreachableText(const design::MoveTargets& targets, const design::Unreachable& u);

// Solves, prints, saves. Exit status: 0 the targets are met, 1 they cannot
// be (the reason on stderr) or an output could not be written, 3 a stop
// (Ctrl-C, SIGTERM, SIGHUP) ended the design first: nothing is written.
int runSolve(const BatchOptions& options);

}  // namespace tarvex::batch
