// What the window tells the user when a run ends with a runtime error.
#pragma once

#include <QString>

#include "Parameters.h"
#include "RunOutcome.h"

namespace tarvex::window {

// The error in the runtime's own Japanese words ("オーバーフローしました。",
// "型が一致しません。", "0 で除算しました。", or a file error), followed by
// what to do: for a parameter field its caption and the text typed (`typed`,
// UTF-8), for the course of the run the quantity that ran out of range and
// the fields that usually cause it, for the data log the file's own message.
// Empty for a run that did not fail.
QString runFailureMessage(const RunOutcome& outcome, const RunParameters& typed);

// The title of the message box: the window's caption.
QString runFailureTitle();

}  // namespace tarvex::window
