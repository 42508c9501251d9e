// The window's edge of FieldMeaning: its texts as QStrings, the parameter
// texts the window's fields hold (in the system's 8-bit encoding) read as
// UTF-8 first, and the parameter fields' tooltips kept up to date.
#pragma once

#include <array>
#include <cstdint>

#include <QString>

#include "FieldMeaning.h"
#include "FormControls.h"
#include "LiveReadouts.h"
#include "Parameters.h"

class QLineEdit;

namespace tarvex::window {

// The parameter texts as the window's fields hold them, in UTF-8.
RunParameters utf8Parameters(const RunParameters& params);

// As FieldMeaning's, from the window's parameter texts.
QString parameterMeaning(Parameter parameter, const RunParameters& params);

QString physicalValue(Parameter parameter, const RunParameters& params);
QString readoutMeaning(Readout readout, std::int64_t value, std::int32_t range);

// Keeps every parameter field's tooltip saying what its value means, anew
// as the user types into any of them.
void explainParameterFields(FormControls& form, const std::array<QLineEdit*, kTextBoxCount>& boxes);

}  // namespace tarvex::window
