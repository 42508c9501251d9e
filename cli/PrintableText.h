// Texts the runner prints that hold what the user typed (a readout's text,
// a file name, a varied text): each first made what every output writes
// (writtenText: anything that is not a character there is U+FFFD), then
// quoted for JSON, or shown for a terminal with nothing in it that a
// terminal would act on.
#pragma once

#include <string>
#include <string_view>

#include "WrittenText.h"

namespace tarvex::batch {

using tarvex::jsonString;  // WrittenText.h

// The text for a terminal: control characters (C0, DEL, C1) and the
// bidirectional controls (U+202A to U+202E, U+2066 to U+2069) are shown as
// \xHH, one per byte, and a backslash as two.
std::string terminalText(std::string_view text);

// A column of a printed table: the text with blanks after (padRight) or
// before it (padLeft) up to `width` bytes; a longer text is kept whole.
std::string padRight(std::string text, std::size_t width);
std::string padLeft(std::string text, std::size_t width);

}  // namespace tarvex::batch
