#include "Conversions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

// Real numbers to text and back through packaged header-only libraries, the
// same code on every target whatever its standard library converts itself:
// fmt writes them (its shortest digits and its exactly rounded decimals),
// fast_float reads them. Both are locale-independent.
#include <fast_float/fast_float.h>
#include <fmt/format.h>

namespace tarvex {
namespace {

// The shortest digits of a finite, non-zero magnitude: the value is
// significand x 10^(exponent - count + 1), the significand having `count`
// digits and no trailing zero; `exponent` is the power of ten of its first
// digit.
struct ShortestDigits {
  std::uint64_t significand = 0;
  int count = 0;
  int exponent = 0;
};

// Below 2^(mantissa digits) every whole number is exact; as text its own
// digits are the shortest that read back as it.
template <class Real>
Real wholeNumbersExactBelow() {
  return std::ldexp(Real(1), std::numeric_limits<Real>::digits);
}

int digitCount(std::uint64_t n) {
  int count = 1;
  for (std::uint64_t power = 10; count < 20 && n >= power; power *= 10) ++count;
  return count;
}

// The shortest digits that read back as the same value of the type, the
// closest of them to the value: fmt's Dragonbox, the search its own "{}"
// format makes, called directly, as the form "{}" chooses is not ours
// ("1000000", "0.0001").
template <class Real>
ShortestDigits shortestDigits(Real magnitude) {
  ShortestDigits d;
  if (magnitude < wholeNumbersExactBelow<Real>() && magnitude == std::trunc(magnitude)) {
    // A whole number that is exact: its own digits are the shortest, and
    // they are found without a search.
    d.significand = static_cast<std::uint64_t>(magnitude);
  } else {
    const auto decimal = fmt::detail::dragonbox::to_decimal(magnitude);
    d.significand = decimal.significand;
    d.exponent = decimal.exponent;
  }
  while (d.significand % 10 == 0) {
    d.significand /= 10;
    ++d.exponent;
  }
  d.count = digitCount(d.significand);
  d.exponent += d.count - 1;
  return d;
}

// n in `count` digits at out, zeros first where n has fewer; returns their
// end.
char* putDigits(char* out, std::uint64_t n, int count) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char* const end = out + count;
  char* p = end;
  for (; n >= 100; n /= 100) {
    p -= 2;
    std::memcpy(p, kPairs + 2 * (n % 100), 2);
  }
  if (n >= 10) {
    p -= 2;
    std::memcpy(p, kPairs + 2 * n, 2);
  } else {
    *--p = static_cast<char>('0' + n);
  }
  while (p != out) *--p = '0';
  return end;
}

// 1.25e+07: the digits, then the exponent with two digits at least.
int scientificLength(const ShortestDigits& d) {
  const int power = std::abs(d.exponent);
  return d.count + (d.count > 1 ? 1 : 0) + 2 + (power >= 100 ? 3 : 2);
}

char* putScientific(char* out, const ShortestDigits& d) {
  if (d.count > 1) {
    putDigits(out + 1, d.significand, d.count);
    out[0] = out[1];
    out[1] = '.';
    out += d.count + 1;
  } else {
    out = putDigits(out, d.significand, 1);
  }
  *out++ = 'e';
  *out++ = d.exponent < 0 ? '-' : '+';
  const int power = std::abs(d.exponent);
  return putDigits(out, static_cast<std::uint64_t>(power), power >= 100 ? 3 : 2);
}

// The digits without an exponent: "123000", "1.23", "0.000123".
int plainLength(const ShortestDigits& d) {
  if (d.exponent >= d.count - 1) return d.exponent + 1;
  if (d.exponent >= 0) return d.count + 1;
  return d.count + 1 - d.exponent;
}

template <class Real>
char* putPlain(char* out, Real magnitude, const ShortestDigits& d) {
  if (d.exponent >= d.count - 1) {
    // A whole number: its exact digits, as many as the shortest ones and
    // their zeros, and the closest to the value; below the limit, they are
    // the shortest ones and zeros.
    if (magnitude >= wholeNumbersExactBelow<Real>())
      return fmt::format_to(out, "{:.0f}", magnitude);
    out = putDigits(out, d.significand, d.count);
    return std::fill_n(out, d.exponent + 1 - d.count, '0');
  }
  if (d.exponent >= 0) {
    char* const end = putDigits(out + 1, d.significand, d.count);
    for (int i = 0; i <= d.exponent; ++i) out[i] = out[i + 1];
    out[d.exponent + 1] = '.';
    return end;
  }
  *out++ = '0';
  *out++ = '.';
  out = std::fill_n(out, -d.exponent - 1, '0');
  return putDigits(out, d.significand, d.count);
}

// The fewest digits that read back as the value, in plain or exponent
// form, whichever is shorter (plain on a tie).
template <class Real>
char* putShortest(char* out, Real value) {
  if (std::signbit(value)) *out++ = '-';
  if (std::isnan(value)) return std::copy_n("nan", 3, out);
  if (std::isinf(value)) return std::copy_n("inf", 3, out);
  if (value == 0) {
    *out++ = '0';
    return out;
  }
  const Real magnitude = std::fabs(value);
  const ShortestDigits d = shortestDigits(magnitude);
  if (plainLength(d) <= scientificLength(d)) return putPlain(out, magnitude, d);
  return putScientific(out, d);
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Checks the number syntax and, when it holds, reads the value: the nearest
// double, ties to even; a value too small for a double is zero, one too
// large Overflow.
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
  std::size_t digits = 0;
  for (; i < end && isDigit(text[i]); ++i) ++digits;
  if (i < end && text[i] == '.')
    for (++i; i < end && isDigit(text[i]); ++i) ++digits;
  if (digits == 0) return {0.0, ConversionStatus::TypeMismatch};
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
    if (i >= end || !isDigit(text[i])) return {0.0, ConversionStatus::TypeMismatch};
    while (i < end && isDigit(text[i])) ++i;
  }
  if (i != end) return {0.0, ConversionStatus::TypeMismatch};

  // fast_float reads the text without its sign, which the syntax above
  // leaves to this function.
  double value = 0.0;
  const auto [ptr, ec] = fast_float::from_chars(text.data() + start, text.data() + end, value,
                                                fast_float::chars_format::general);
  if (ec != std::errc() || ptr != text.data() + end) return {0.0, ConversionStatus::TypeMismatch};
  if (std::isinf(value)) return {0.0, ConversionStatus::Overflow};
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

std::string fixedText(double value, int decimals) {
  return fmt::format("{:.{}f}", value, std::max(decimals, 0));
}

char* putShortestText(char* out, double value) {
  return putShortest(out, value);
}

char* putShortestText(char* out, float value) {
  return putShortest(out, value);
}

std::string shortestText(double value) {
  char text[kShortestTextMax];
  return std::string(text, putShortest(text, value));
}

std::string shortestText(float value) {
  char text[kShortestTextMax];
  return std::string(text, putShortest(text, value));
}

}  // namespace tarvex
