// The one rule for what a text becomes in anything the programs write: a
// CSV, a JSON object, an SVG document, a message. The text is kept as the
// user typed it where that is a character every one of them can hold; what
// is not is shown as U+FFFD, the replacement character, so that it can
// never be mistaken for a real character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvex {

// A well-formed UTF-8 character at the start of a text: its length in bytes
// (0 when the first byte does not begin one: a stray continuation byte, a
// cut sequence, an overlong form, a surrogate, a value past U+10FFFF) and
// its code point.
struct Utf8Character {
  std::size_t length;
  char32_t code;
};
Utf8Character firstUtf8Character(std::string_view text);

inline constexpr std::string_view kReplacementCharacter = "\xef\xbf\xbd";  // U+FFFD

// The text as every output writes it: valid UTF-8 of characters XML allows
// besides the control characters, which each output shows in its own way.
// Each byte that is not part of a well-formed UTF-8 character becomes
// U+FFFD, and so do U+FFFE and U+FFFF; everything else stays as it is.
std::string writtenText(std::string_view text);

// The written text as a quoted JSON string: quotes, backslashes and control
// characters escaped as JSON has it. The one JSON quoting of the runner's
// outputs and of the page's answers to its script.
std::string jsonString(std::string_view text);

}  // namespace tarvex
