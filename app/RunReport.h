// 演算結果: the report of the last run. The phase table (every state
// entered: state, tick, time, output pulses, speed counter, pulses per
// second), the move time, the peak speed, the acceleration and drag pulses,
// whether triangle prevention acted, and how the run ended; and the
// registers that set speeds and rates, each with what it means in physical
// units and, for the rates and increasing rates, what the run achieved at its
// peak. Registers the run's mode does not use (the increasing rates in
// linear drive, the deceleration's own in symmetric drive) are left out.
#pragma once

#include <QString>

#include "RecordedRun.h"

class QWidget;

namespace tarvex::window {

// The report as tab-separated text, one row per line, numbers and units in
// cells of their own: the summary, a blank line, the registers with their
// header, a blank line, then the phase table with its header.
QString runReportText(const RecordedRun& run);

// The dialog, with a button that copies the text above.
void showRunReport(QWidget* parent, const RecordedRun& run);

}  // namespace tarvex::window
