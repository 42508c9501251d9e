// The runner's Stop button: Ctrl-C, and what ends a console program from
// outside (SIGTERM and SIGHUP on POSIX systems; Ctrl-Break and closing the
// console on Windows). The first request stops the run at its next yield,
// with its log and report complete; a second Ctrl-C or signal ends the
// process at once. From the first request on, no output waits for a reader
// that has stopped reading: such a write fails at once, and the report
// names the output.
#pragma once

#include "RunStop.h"

namespace tarvex::batch {

// Catches the requests from now on, for the rest of the process.
void catchStopRequests();

// Called by a thread that writes no output: a signal goes to a thread that
// does not block it, which should be the one whose waiting write it must
// interrupt.
void leaveStopRequestsToOtherThreads();

// Whether a stop has been requested.
bool stopRequested();
// The request itself, for work that makes many runs (the design's search).
RunStopRequest& stopRequest();

// The runner is done with its files. A console that is closing waits for
// this (at most the few seconds Windows allows) before the process ends.
void finishedWithFiles();

}  // namespace tarvex::batch
