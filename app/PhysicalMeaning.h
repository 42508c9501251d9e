// What the window's numbers mean where the engineer reads them: a parameter
// field's value in pulses per second, pulses per second per second or
// seconds at the range the fields hold, and the speed and acceleration
// readouts at the range of the run that showed them. The parameter fields'
// and the readouts' tooltips and the run report say it in these words.
#pragma once

#include <array>
#include <cstdint>

#include <QString>

#include "FormControls.h"
#include "LiveReadouts.h"
#include "Parameters.h"

class QLineEdit;

namespace tarvex::window {

// A parameter's value in physical units, with the range it was read at,
// from the texts in `params`; or why the value has no physical sense.
QString parameterMeaning(Parameter parameter, const RunParameters& params);

// The same in short, for the run report: "30,000 pps", "1,250,000 pps/s",
// "9.62 s で立ち上がり"; empty where the value has no physical sense.
QString physicalValue(Parameter parameter, const RunParameters& params);

// The tooltip line of a readout showing `value` in a run at `range`; empty
// for the readouts that are counts.
QString readoutMeaning(Readout readout, std::int64_t value, std::int32_t range);

// Keeps every parameter field's tooltip saying what its value means, anew
// as the user types into any of them.
void explainParameterFields(FormControls& form, const std::array<QLineEdit*, kTextBoxCount>& boxes);

}  // namespace tarvex::window
