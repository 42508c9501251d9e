// 演算結果: the report of the last run. The phase table (every state
// entered: state, tick, time, output pulses, speed counter, pulses per
// second), the move time, the peak speed, the acceleration and drag pulses,
// whether triangle prevention acted, and how the run ended.
#pragma once

#include <QString>

#include "RecordedRun.h"

class QWidget;

namespace tarvex::window {

// The report as tab-separated text, one row per line: the summary, a blank
// line, then the phase table with its header.
QString runReportText(const RecordedRun& run);

// The dialog, with a button that copies the text above.
void showRunReport(QWidget* parent, const RecordedRun& run);

}  // namespace tarvex::window
