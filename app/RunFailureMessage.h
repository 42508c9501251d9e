// What the window tells the user when a run ends with a runtime error.
#pragma once

#include <QString>

#include "Controls.h"
#include "FailureText.h"
#include "Parameters.h"
#include "RunOutcome.h"

class QWidget;

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

// The message box of a failed run: `message` (as runFailureMessage gave it),
// and the engine's own step under it in a smaller line.
void showRunFailureMessage(QWidget* parent, const RunOutcome& outcome, const QString& message);

}  // namespace tarvex::window
