#include "WrittenText.h"

#include <cstdio>

namespace tarvex {

Utf8Character firstUtf8Character(std::string_view text) {
  if (text.empty()) return {0, 0};
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

std::string writtenText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character c = firstUtf8Character(text.substr(at));
    if (c.length == 0 || c.code == 0xfffe || c.code == 0xffff) {
      out += kReplacementCharacter;
      at += c.length == 0 ? 1 : c.length;
      continue;
    }
    out += text.substr(at, c.length);
    at += c.length;
  }
  return out;
}

std::string jsonString(std::string_view typed) {
  const std::string text = writtenText(typed);
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character c = firstUtf8Character(std::string_view(text).substr(at));
    if (c.code < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c.code));
      out += escaped;
      at += c.length;
      continue;
    }
    if (c.code == '"' || c.code == '\\') out += '\\';
    out += text.substr(at, c.length);
    at += c.length;
  }
  return out + "\"";
}

}  // namespace tarvex
