// 演算結果: the report of a finished run, in the rows both the window's
// dialog and the page's show. The summary (how the run ended, the move time,
// the peak speed, the acceleration and drag pulses, whether triangle
// prevention acted); the registers that set speeds and rates, each with what
// it means in physical units and, for the rates and increasing rates, what
// the run achieved at its peak; and the phase table (every state entered:
// state, tick, time, output pulses, speed counter, pulses per second).
// Registers the run's mode does not use (the increasing rates in linear
// drive, the deceleration's own in symmetric drive) are left out. Texts are
// UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "LiveReadouts.h"
#include "Parameters.h"
#include "RunEvents.h"
#include "RunOutcome.h"
#include "RunTrace.h"

namespace tarvex::report {

// A finished run as its report reads it; the trace and the phases are the
// run's own, not copied.
struct ReportedRun {
  const RunParameters& params;  // the texts typed, UTF-8
  bool sCurve = false;          // Check4 at set-up
  bool symmetric = false;       // symmetric deceleration from start to end
  RunOutcome outcome;
  std::int32_t range = 0;  // as converted; 0 when set-up failed before it
  std::int32_t peakSpeed = 0;
  const RunTrace& trace;
  const std::vector<PhaseEntry>& phases;
  // The readouts' texts at the end, by Readout ("1" or "0" for the
  // triangle-prevention indicator).
  std::array<std::string, kReadoutCount> readouts;
  std::string failureMessage;  // the message shown, for a failed run
};

using Row = std::vector<std::string>;

std::vector<Row> summaryRows(const ReportedRun& run);
const Row& registerHeader();
std::vector<Row> registerRows(const ReportedRun& run);
const Row& phaseHeader();
Row phaseRow(const PhaseEntry& phase, std::int32_t range);

// The report as tab-separated text, one row per line, numbers and units in
// cells of their own: the summary, a blank line, the registers with their
// header, a blank line, then the phase table with its header.
std::string reportText(const ReportedRun& run);

// The dialog's title.
inline constexpr const char* kTitle = "演算結果";

}  // namespace tarvex::report
