// A parameter sweep: one run for every combination of the varied texts,
// several at once, each exactly the single run with the same options; the
// rows in product order, whatever the order in which the runs end.
#pragma once

#include <cstdio>

#include "BatchOptions.h"
#include "FormModel.h"

namespace tarvex::batch {

// Runs the sweep on the window `base` (prepared as for a single run), prints
// a row per run on stdout and the rest on stderr; returns the exit status.
// With --plot, the family is written into `plotFile` (created before the
// sweep) and closed. Ctrl-C stops the runs in progress and ends the sweep
// after the rows of the runs before the first unfinished one.
int runSweep(const FormModel& base, const BatchOptions& options, std::FILE* plotFile);

}  // namespace tarvex::batch
