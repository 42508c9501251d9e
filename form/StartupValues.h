// The values a freshly opened window holds.
#pragma once

#include "FormControls.h"

namespace tarvex {

// The window's initialisation: the standard parameter set, three readouts
// cleared, the indicator off and the standard options (automatic
// deceleration, S-curve, symmetric, no recording), assigned in a fixed order
// so that the pair handlers run exactly as they do when the window opens.
void applyStartupValues(FormControls& form);

}  // namespace tarvex
