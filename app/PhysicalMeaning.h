// What the window's numbers mean where the engineer reads them: a parameter
// field's value in pulses per second, pulses per second per second or
// seconds at the range the fields hold, and the speed and acceleration
// readouts at the range of the run that showed them. The parameter fields'
// and the readouts' tooltips and the run report say it in these words.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QString>

#include "FormControls.h"
#include "LiveReadouts.h"
#include "Parameters.h"

class QLineEdit;

namespace tarvex::window {

// A parameter's value in physical units, with the range it was read at,
// from the texts in `params`; or why the value has no physical sense.
QString parameterMeaning(Parameter parameter, const RunParameters& params);

// A figure as the run report shows and copies it: the number (about four
// significant digits, no grouping, no exponent) and its unit apart.
struct Figure {
  QString number;
  QString unit;
};
Figure figureOf(double value, const QString& unit);

// A register's value in physical units at the range `params` hold, for the
// run report: a speed in pps, a rate in pps/s, an increasing rate as the
// jerk it gives in pps/s², the range as pps per speed count; none where the
// value has no physical sense.
std::optional<Figure> physicalFigure(Parameter parameter, const RunParameters& params);
// The same as one text with its thousands grouped, for reading at a glance:
// "200 pps", "5,000,000 pps/s"; empty where the value has no physical sense.
QString physicalValue(Parameter parameter, const RunParameters& params);

// The tooltip line of a readout showing `value` in a run at `range`; empty
// for the readouts that are counts.
QString readoutMeaning(Readout readout, std::int64_t value, std::int32_t range);

// Keeps every parameter field's tooltip saying what its value means, anew
// as the user types into any of them.
void explainParameterFields(FormControls& form, const std::array<QLineEdit*, kTextBoxCount>& boxes);

}  // namespace tarvex::window
