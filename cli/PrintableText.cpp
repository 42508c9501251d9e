#include "PrintableText.h"

#include <cstdio>

namespace tarvex::batch {
namespace {

// The UTF-8 character at the start of `text`: its length in bytes and its
// code point; length 0 when the first byte does not begin a well-formed one
// (a stray continuation byte, a cut sequence, an overlong form, a surrogate,
// a value past U+10FFFF).
struct Character {
  std::size_t length;
  char32_t code;
};

Character firstCharacter(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {1, lead};
  std::size_t length;
  char32_t code, smallest;
  if ((lead & 0xe0) == 0xc0) {
    length = 2, code = lead & 0x1fu, smallest = 0x80;
  } else if ((lead & 0xf0) == 0xe0) {
    length = 3, code = lead & 0x0fu, smallest = 0x800;
  } else if ((lead & 0xf8) == 0xf0) {
    length = 4, code = lead & 0x07u, smallest = 0x10000;
  } else {
    return {0, 0};
  }
  if (text.size() < length) return {0, 0};
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xc0) != 0x80) return {0, 0};
    code = (code << 6) | (byte(i) & 0x3fu);
  }
  if (code < smallest || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return {0, 0};
  return {length, code};
}

std::string hexEscape(const char* form, unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, form, static_cast<unsigned>(byte));
  return text;
}

}  // namespace

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const Character c = firstCharacter(text.substr(at));
    if (c.length == 0 || c.code < 0x20) {
      out += hexEscape("\\u%04x", static_cast<unsigned char>(text[at++]));
      continue;
    }
    if (c.code == '"' || c.code == '\\') out += '\\';
    out += text.substr(at, c.length);
    at += c.length;
  }
  return out + "\"";
}

std::string terminalText(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const Character c = firstCharacter(text.substr(at));
    const bool control = c.code < 0x20 || (c.code >= 0x7f && c.code <= 0x9f);
    if (c.length == 0 || control) {
      // A control character in UTF-8 (C1 takes two bytes) is shown byte by byte.
      for (std::size_t i = 0; i < (c.length == 0 ? 1 : c.length); ++i)
        out += hexEscape("\\x%02x", static_cast<unsigned char>(text[at + i]));
      at += c.length == 0 ? 1 : c.length;
      continue;
    }
    if (c.code == '\\') out += '\\';
    out += text.substr(at, c.length);
    at += c.length;
  }
  return out;
}

}  // namespace tarvex::batch
