#include "PrintableText.h"

#include <cstdio>

#include "WrittenText.h"

namespace tarvex::batch {
namespace {

std::string hexEscape(const char* form, unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, form, static_cast<unsigned>(byte));
  return text;
}

// What a terminal acts on rather than shows: the C0 and C1 controls and
// DEL, and the bidirectional embeddings, overrides and isolates (U+202A to
// U+202E, U+2066 to U+2069), which would show the rest of a message, a file
// name say, in another order than it has.
bool isTerminalControl(char32_t code) {
  return code < 0x20 || (code >= 0x7f && code <= 0x9f) || (code >= 0x202a && code <= 0x202e) ||
         (code >= 0x2066 && code <= 0x2069);
}

}  // namespace

std::string terminalText(std::string_view typed) {
  const std::string text = writtenText(typed);
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character c = firstUtf8Character(std::string_view(text).substr(at));
    if (isTerminalControl(c.code)) {
      // A control character in UTF-8 (C1 takes two, the bidirectional ones
      // three bytes) is shown byte by byte.
      for (std::size_t i = 0; i < c.length; ++i)
        out += hexEscape("\\x%02x", static_cast<unsigned char>(text[at + i]));
      at += c.length;
      continue;
    }
    if (c.code == '\\') out += '\\';
    out += text.substr(at, c.length);
    at += c.length;
  }
  return out;
}

std::string padRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string padLeft(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

}  // namespace tarvex::batch
