// The interlock of the three option pairs of kOptionPairs.
#pragma once

#include "FormControls.h"

namespace tarvex {

// The change handler of a paired box X: if X is ticked its partner is
// cleared, and then, read afresh, if X is clear its partner is ticked. The
// two tests are separate: the partner's own handler may run inside the first
// assignment. A grayed X (2) passes neither test and leaves the partner alone.
// Does nothing for Check1, which has no partner.
void runPairHandler(OptionBoxes& boxes, CheckBox changed);

}  // namespace tarvex
