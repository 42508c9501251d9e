// The sweep's side of the terminal: the rows in product order, the family
// plot fed in the same order, a progress line on stderr while the runs go
// on, and at the end the closing lines and the exit status.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "BatchOptions.h"
#include "SweepPlot.h"
#include "SweepRuns.h"

namespace tarvex::batch {

// What a sweep did, as its closing lines tell it.
struct SweepTally {
  std::int64_t total = 0;     // runs in the sweep
  std::int64_t finished = 0;  // runs that ended, their rows printed or not
  std::int64_t rows = 0;      // runs handed to the printer, in order
  std::int64_t printed = 0;   // rows written out
  std::int64_t failed = 0;    // failed runs among the rows
  std::string firstFailure;   // "the first, NAME=TEXT ...: message"
  std::string rowsError;      // why the rows could not be written, if so
  std::string plotError;      // why the plot could not be written, if so
  bool interrupted = false;   // stopped by Ctrl-C before every run ended
};

// 0 when every run completed or stopped and every output was written; 1
// when a run failed or an output could not be written.
int sweepExitStatus(const SweepTally& tally);

// The lines for stderr after the last row: failed runs, outputs that could
// not be written, an interruption.
std::vector<std::string> sweepClosingLines(const SweepTally& tally);

// "12/2000 runs, 3.1 s, about 4.2 s left" on one line of a terminal,
// rewritten in place, once the sweep has taken a second.
class ProgressLine {
 public:
  ProgressLine();
  void show(std::int64_t done, std::int64_t total);
  void clear();

 private:
  using Clock = std::chrono::steady_clock;
  bool terminal_;
  Clock::time_point start_ = Clock::now();
  Clock::time_point lastShown_ = start_ - std::chrono::seconds(1);
  std::size_t width_ = 0;
};

class SweepRows {
 public:
  // Writes rows with `write`, which returns why it could not. With a plot,
  // every printed run's picture goes to `plot`.
  using Write = std::string (*)(std::string_view text);
  SweepRows(const BatchOptions& options, std::int64_t total, FamilyPlot* plot, Write write);

  // The header, if the rows have one. False when it cannot be written.
  bool begin();
  // Prints the next runs' rows, in product order. False when the rows can
  // no longer be written: the sweep should start no further run.
  bool print(std::vector<SweepResult>& results, std::int64_t ended);
  // Clears the progress line; the tally, complete.
  SweepTally end(std::int64_t ended);

 private:
  const BatchOptions& options_;
  FamilyPlot* plot_;
  Write write_;
  SweepTally tally_;
  ProgressLine progress_;
};

}  // namespace tarvex::batch
