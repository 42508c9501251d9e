#include "Conversions.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tarvex {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Checks the number syntax and, when it holds, reads the value. Also tells
// whether a value out of the double range was too large or too small.
Converted<double> parseNumber(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && isBlank(text[i])) ++i;
  std::size_t end = n;
  while (end > i && isBlank(text[end - 1])) --end;

  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t start = i;
  std::size_t intDigits = 0, fracDigits = 0;
  // Digits before the first non-zero digit do not count towards the magnitude.
  std::int64_t magnitude = 0;  // decimal exponent of the leading non-zero digit, + 1
  bool seenNonZero = false;
  std::int64_t leadingFracZeros = 0;
  while (i < end && isDigit(text[i])) {
    if (text[i] != '0') seenNonZero = true;
    if (seenNonZero) ++magnitude;
    ++intDigits;
    ++i;
  }
  if (i < end && text[i] == '.') {
    ++i;
    while (i < end && isDigit(text[i])) {
      if (!seenNonZero) {
        if (text[i] == '0')
          ++leadingFracZeros;
        else
          seenNonZero = true;
      }
      ++fracDigits;
      ++i;
    }
  }
  if (intDigits + fracDigits == 0) return {0.0, ConversionStatus::TypeMismatch};
  std::int64_t exponent = 0;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
      expNegative = text[i] == '-';
      ++i;
    }
    if (i >= end || !isDigit(text[i])) return {0.0, ConversionStatus::TypeMismatch};
    while (i < end && isDigit(text[i])) {
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
      ++i;
    }
    if (expNegative) exponent = -exponent;
  }
  if (i != end) return {0.0, ConversionStatus::TypeMismatch};
  if (!seenNonZero) return {negative ? -0.0 : 0.0, ConversionStatus::Ok};

  std::string digits(text.substr(start, end - start));
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                         std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Too large overflows; too small is zero.
    const std::int64_t decimalMagnitude =
        (magnitude > 0 ? magnitude : -leadingFracZeros) + exponent;
    if (decimalMagnitude > 0) return {0.0, ConversionStatus::Overflow};
    return {negative ? -0.0 : 0.0, ConversionStatus::Ok};
  }
  if (ec != std::errc() || ptr != digits.data() + digits.size())
    return {0.0, ConversionStatus::TypeMismatch};
  return {negative ? -value : value, ConversionStatus::Ok};
}

template <class T>
Converted<T> textToInteger(std::string_view text) {
  const auto number = parseNumber(text);
  if (!number.ok()) return {0, number.status};
  const double rounded = std::nearbyint(number.value);  // halves to even
  if (rounded < static_cast<double>(std::numeric_limits<T>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<T>::max()))
    return {0, ConversionStatus::Overflow};
  return {static_cast<T>(rounded), ConversionStatus::Ok};
}

}  // namespace

Converted<std::int16_t> textToInt16(std::string_view text) {
  return textToInteger<std::int16_t>(text);
}

Converted<std::int32_t> textToInt32(std::string_view text) {
  return textToInteger<std::int32_t>(text);
}

Converted<double> textToDouble(std::string_view text) {
  return parseNumber(text);
}

Converted<std::int32_t> doubleToInt32(double value) {
  if (!std::isfinite(value)) return {0, ConversionStatus::Overflow};
  const double rounded = std::nearbyint(value);
  if (rounded < -2147483648.0 || rounded > 2147483647.0) return {0, ConversionStatus::Overflow};
  return {static_cast<std::int32_t>(rounded), ConversionStatus::Ok};
}

std::string intToText(std::int64_t value) {
  return std::to_string(value);
}

}  // namespace tarvex
