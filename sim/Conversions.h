// The text/number conversions a run relies on. Locale-independent: the
// decimal point is always '.'.
//
// A number text is: optional blanks, an optional sign, decimal digits with an
// optional decimal point and fraction (at least one digit in all), an
// optional exponent (e or E, optional sign, digits), optional blanks. No hex,
// no digit grouping. Integer conversions round a fraction to the nearest
// integer, halves to even (2.5 gives 2, 3.5 gives 4).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvex {

// A blank around a number or a field: a space or a tab.
constexpr bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

enum class ConversionStatus { Ok, TypeMismatch, Overflow };

template <class T>
struct Converted {
  T value{};
  ConversionStatus status = ConversionStatus::Ok;
  bool ok() const { return status == ConversionStatus::Ok; }
};

// Text to a signed 16-bit integer: TypeMismatch for a text that is no
// number (an empty text included), Overflow for a value outside the width.
Converted<std::int16_t> textToInt16(std::string_view text);
// Text to a signed 32-bit integer, as textToInt16.
Converted<std::int32_t> textToInt32(std::string_view text);
// Text to a double: TypeMismatch for no number, Overflow beyond the double
// range. A value too small to represent becomes 0.
Converted<double> textToDouble(std::string_view text);
// A double rounded to the nearest 32-bit integer, halves to even; Overflow
// for a value outside the width or not finite.
Converted<std::int32_t> doubleToInt32(double value);
// Plain decimal text: a minus sign for negatives, no blank, no grouping.
std::string intToText(std::int64_t value);

}  // namespace tarvex
