// A parameter sweep: one run for every combination of the varied texts,
// several at once, each exactly the single run with the same options; the
// rows in product order, whatever the order in which the runs end.
#pragma once

#include <cstdio>
#include <ostream>
#include <set>
#include <string>

#include "BatchOptions.h"
#include "FormModel.h"

namespace tarvex::batch {

// Runs the sweep on the window `base` (prepared as for a single run), prints
// a row per run on `out` and the rest on `err`; returns the exit status.
// With --plot, the family is written into `plotFile` (created before the
// sweep) and closed. Ctrl-C stops the runs in progress and ends the sweep
// after the rows of the runs before the first unfinished one.
int runSweep(const FormModel& base, const BatchOptions& options, std::FILE* plotFile,
             std::ostream& out, std::ostream& err);

// What is wrong with the sweep options of a command line whose options are
// `given`, or nothing.
std::string sweepUsageError(const BatchOptions& options, const std::set<std::string>& given);

// The sweep's part of the usage text.
std::string sweepUsageText();

}  // namespace tarvex::batch
