// What the form's numbers mean where the engineer reads them: a parameter
// field's value in pulses per second, pulses per second per second or
// seconds at the range the fields hold, and the speed and acceleration
// readouts at the range of the run that showed them. The window's and the
// page's tooltips and the run report say it in these words. Texts are UTF-8,
// the parameters' texts included.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "FormRun.h"
#include "LiveReadouts.h"
#include "Parameters.h"

// In a namespace of their own, so that the window's QString forms of the
// same names stay apart.
namespace tarvex::meaning {

// A parameter's value in physical units, with the range it was read at,
// from the texts in `params`; or why the value has no physical sense.
std::string parameterMeaning(Parameter parameter, const RunParameters& params);

// A figure as the run report shows and copies it: the number (about four
// significant digits, no grouping, no exponent) and its unit apart.
struct Figure {
  std::string number;
  std::string unit;
};
Figure figureOf(double value, const std::string& unit);

// A register's value in physical units at the range `params` hold, for the
// run report: a speed in pps, a rate in pps/s, an increasing rate as the
// jerk it gives in pps/s², the range as pps per speed count; none where the
// value has no physical sense.
std::optional<Figure> physicalFigure(Parameter parameter, const RunParameters& params);
// The same as one text with its thousands grouped, for reading at a glance:
// "200 pps", "5,000,000 pps/s"; empty where the value has no physical sense.
std::string physicalValue(Parameter parameter, const RunParameters& params);

// The tooltip line of a readout showing `value` in a run at `range`; empty
// for the readouts that are counts.
std::string readoutMeaning(Readout readout, std::int64_t value, std::int32_t range);

// A parameter field's caption without its colon: "加速度".
std::string captionOf(Parameter parameter);

// A typed text without blanks at either end (spaces, tabs, line ends,
// ideographic spaces), as it is quoted beside its meaning.
std::string trimmed(std::string_view text);

}  // namespace tarvex::meaning
