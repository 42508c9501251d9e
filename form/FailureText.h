// What a failed run tells its user, written from the run's failure alone:
// the error, the fields at its cause by caption and control, and otherwise
// the step of the run at which it happened.
#pragma once

#include <optional>
#include <string>
#include <system_error>

#include "Controls.h"
#include "Parameters.h"
#include "RunOutcome.h"

namespace tarvex {

// One English line, for the batch runner, e.g.
// "Type mismatch in the field レンジ： (Text1, range): the text is not a number".
std::string describeFailure(const RunOutcome& outcome);
// The same, a text that did not convert quoted as typed (`typed`, UTF-8),
// e.g. "...: the text is not a number: 'abc'".
std::string describeFailure(const RunOutcome& outcome, const RunParameters& typed);

// A kind of file in the words of the loader and the output check ("a
// directory", "a named pipe", "a device", "a socket"), in Japanese.
std::string fileKindJapanese(std::string_view kind);
// Why a file could not be written, from its code (an errno or one of the
// output check's own), in Japanese: what the user can look at.
std::string fileErrorReasonJapanese(int error);
// The same for a file operation's error code, whatever the platform's codes.
std::string fileErrorReasonJapanese(const std::error_code& error);

// The window's message in Japanese (UTF-8): the error in the runtime's own
// words, a blank line, then what the user can do about it. A failure caused
// by a field names the field by its caption as the window shows it and quotes
// the text typed there (`typed`, UTF-8); a failure in the course of the run
// says which quantity ran out of range and which fields usually cause that.
std::string describeFailureJapanese(const RunOutcome& outcome, const RunParameters& typed);

// The smaller line under the message, for reports: the step of the run in the
// engine's own terms, the fields at its cause by control and name, and when it
// failed, e.g. "演算ステップ: speedCounter - 1（経過 1234 ティック、出力パルス 5）".
std::string failureDetailJapanese(const RunOutcome& outcome);

// The field the user should correct after a failed run: the first at its
// cause; nothing for a failure in the course of the run or in the data log.
std::optional<TextBox> fieldToCorrect(const RunOutcome& outcome);

}  // namespace tarvex
