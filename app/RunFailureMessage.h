// What the window tells the user when a run ends with a runtime error.
#pragma once

#include <QString>

#include "RunOutcome.h"

namespace tarvex::window {

// The error in the runtime's own Japanese words ("オーバーフローしました。",
// "型が一致しません。", "0 で除算しました。", or a file error), followed by
// where it happened: for a parameter field its caption and control, for a
// step of the run the step and the tick, for the data log the file's own
// message. Empty for a run that did not fail.
QString runFailureMessage(const RunOutcome& outcome);

// The title of the message box: the window's caption.
QString runFailureTitle();

}  // namespace tarvex::window
