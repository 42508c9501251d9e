#include "Conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

// Real numbers to text and back: by the standard library where it converts
// them itself, else by the C library's conversions in the "C" locale, which
// give the same texts and values.
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
#define TARVEX_STD_REAL_CHARCONV 1
#else
#define TARVEX_STD_REAL_CHARCONV 0
#include <locale.h>  // newlocale, uselocale
#include <cerrno>
#include <cstdlib>
#endif

namespace tarvex {
namespace {

#if !TARVEX_STD_REAL_CHARCONV
// The "C" locale for this thread while it lives: '.' is the decimal point
// whatever locale the program runs in.
class InCLocale {
 public:
  InCLocale() : previous_(uselocale(cLocale())) {}
  ~InCLocale() { uselocale(previous_); }
  InCLocale(const InCLocale&) = delete;
  InCLocale& operator=(const InCLocale&) = delete;

 private:
  static locale_t cLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return c;
  }
  locale_t previous_;
};

// The text of d.ddd x 10^exponent read back as a Real.
template <class Real>
Real readBack(const std::string& digits, int exponent) {
  std::string text = digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(exponent);
  if constexpr (std::is_same_v<Real, float>)
    return std::strtof(text.c_str(), nullptr);
  else
    return std::strtod(text.c_str(), nullptr);
}

// The shortest digits that read back as `magnitude` (finite, not negative),
// the value being digits[0].digits[1...] x 10^exponent.
template <class Real>
void shortestDigits(Real magnitude, std::string& digits, int& exponent) {
  int mantissaExponent = 0;
  const bool powerOfTwo = std::frexp(magnitude, &mantissaExponent) == Real(0.5);
  for (int precision = 1;; ++precision) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*e", precision - 1, static_cast<double>(magnitude));
    const char* e = std::strchr(text, 'e');
    digits.assign(1, text[0]);
    if (precision > 1) digits.append(text + 2, static_cast<std::size_t>(e - (text + 2)));
    exponent = std::atoi(e + 1);
    if (readBack<Real>(digits, exponent) == magnitude ||
        precision == std::numeric_limits<Real>::max_digits10)
      break;
    // Just above a power of two the values lie twice as far apart as just
    // below it: the nearest digits may fall below, where nothing reads back
    // as it, while the next digits up do.
    if (powerOfTwo) {
      std::string up = digits;
      int upExponent = exponent;
      std::size_t i = up.size();
      while (i > 0 && up[i - 1] == '9') up[--i] = '0';
      if (i == 0) {
        up.insert(up.begin(), '1');
        up.pop_back();
        ++upExponent;
      } else {
        ++up[i - 1];
      }
      if (readBack<Real>(up, upExponent) == magnitude) {
        digits = up;
        exponent = upExponent;
        break;
      }
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}
#endif

template <class Real>
std::string shortest(Real value) {
#if TARVEX_STD_REAL_CHARCONV
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
#else
  const InCLocale c;
  char text[400];
  if (!std::isfinite(value)) {
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
  }
  const std::string sign = std::signbit(value) ? "-" : "";
  const Real magnitude = std::fabs(value);
  std::string digits;
  int exponent = 0;
  shortestDigits(magnitude, digits, exponent);
  const int count = static_cast<int>(digits.size());
  // 1.25e+07: two exponent digits at least.
  std::snprintf(text, sizeof text, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  const std::string scientific =
      digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "") + text;
  std::string plain;
  if (exponent >= count - 1) {
    // A whole number: its exact digits, as many as the shortest ones and
    // their zeros, and the closest to the value.
    std::snprintf(text, sizeof text, "%.0f", static_cast<double>(magnitude));
    plain = text;
  } else if (exponent >= 0) {
    plain = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
  } else {
    plain = "0." + std::string(-exponent - 1, '0') + digits;
  }
  return sign + (plain.size() <= scientific.size() ? plain : scientific);
#endif
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The value of a number text without sign or blanks that has the syntax of
// one; Overflow when it lies beyond the double range, too large or too small.
Converted<double> decimalValue(const std::string& digits) {
  const char* const end = digits.data() + digits.size();
#if TARVEX_STD_REAL_CHARCONV
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) return {0.0, ConversionStatus::Overflow};
  if (ec != std::errc() || ptr != end) return {0.0, ConversionStatus::TypeMismatch};
#else
  const InCLocale c;
  char* ptr = nullptr;
  errno = 0;
  const double value = std::strtod(digits.c_str(), &ptr);
  if (ptr != end) return {0.0, ConversionStatus::TypeMismatch};
  // The C library reports a result below the normal range as out of range
  // too; beyond the range lies only what became zero or infinite.
  if (errno == ERANGE && (value == 0.0 || std::isinf(value)))
    return {0.0, ConversionStatus::Overflow};
#endif
  return {value, ConversionStatus::Ok};
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

  const Converted<double> number = decimalValue(std::string(text.substr(start, end - start)));
  if (number.status == ConversionStatus::Overflow) {
    // Too large overflows; too small is zero.
    const std::int64_t decimalMagnitude =
        (magnitude > 0 ? magnitude : -leadingFracZeros) + exponent;
    if (decimalMagnitude > 0) return {0.0, ConversionStatus::Overflow};
    return {negative ? -0.0 : 0.0, ConversionStatus::Ok};
  }
  if (!number.ok()) return number;
  return {negative ? -number.value : number.value, ConversionStatus::Ok};
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
  decimals = std::max(decimals, 0);
  // The largest double has 309 digits before the point.
  std::string text(static_cast<std::size_t>(decimals) + 330, '\0');
#if TARVEX_STD_REAL_CHARCONV
  const auto end = std::to_chars(text.data(), text.data() + text.size(), value,
                                 std::chars_format::fixed, decimals);
  text.resize(static_cast<std::size_t>(end.ptr - text.data()));
#else
  const InCLocale c;
  const int length = std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
#endif
  return text;
}

std::string shortestText(double value) {
  return shortest(value);
}

std::string shortestText(float value) {
  return shortest(value);
}

}  // namespace tarvex
