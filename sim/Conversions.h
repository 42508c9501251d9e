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

// A real number as text with '.' for the decimal point whatever the locale,
// a minus sign for negatives, no grouping. fixedText: exactly `decimals`
// digits after the point, the exact value rounded to nearest, ties to even
// ("-0.250" for -0.25 with 3). shortestText: the fewest digits that read
// back as the same value of the type, in plain or exponent form, whichever
// is shorter (plain on a tie): "1.2", "100", "0.001", "1e+06", "1e-04".
std::string fixedText(double value, int decimals);
std::string shortestText(double value);
std::string shortestText(float value);

// shortestText written at `out`, which has room for kShortestTextMax
// characters; returns the end of the text. For writers of many numbers.
inline constexpr int kShortestTextMax = 32;
char* putShortestText(char* out, double value);
char* putShortestText(char* out, float value);

}  // namespace tarvex
