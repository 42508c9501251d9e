// Texts the runner prints that hold what the user typed (a readout's text,
// a file name): as a JSON string that is always valid UTF-8, and for a
// terminal with nothing in them that a terminal would act on.
#pragma once

#include <string>
#include <string_view>

namespace tarvex::batch {

// The text as a quoted JSON string. Quotes, backslashes and control
// characters are escaped as JSON has it; each byte that is not part of a
// well-formed UTF-8 character is written as \u00XX, its value as a code
// point.
std::string jsonString(std::string_view text);

// The text for a terminal: control characters (C0, DEL, C1) and bytes that
// are not part of a well-formed UTF-8 character are shown as \xHH, one per
// byte, and a backslash as two. Everything else is kept as it is.
std::string terminalText(std::string_view text);

}  // namespace tarvex::batch
