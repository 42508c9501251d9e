// What a failed run tells its user, written from the run's failure alone:
// the error, the fields at its cause by caption and control, and otherwise
// the step of the run at which it happened.
#pragma once

#include <string>

#include "RunOutcome.h"

namespace tarvex {

// One English line, for the batch runner, e.g.
// "Type mismatch in the field レンジ： (Text1, range): the text is not a number".
std::string describeFailure(const RunOutcome& outcome);

// The window's message in Japanese (UTF-8): the error in the runtime's own
// words, a blank line, then where it happened.
std::string describeFailureJapanese(const RunOutcome& outcome);

}  // namespace tarvex
