// Text to number: blanks and a sign accepted, halves to even, type mismatch
// for no number, overflow beyond the width.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "Conversions.h"

namespace tarvex {
namespace {

constexpr auto kOk = ConversionStatus::Ok;
constexpr auto kMismatch = ConversionStatus::TypeMismatch;
constexpr auto kOver = ConversionStatus::Overflow;

struct Case {
  const char* text;
  ConversionStatus as16, as32;
  std::int64_t value;  // when it converts
};

// clang-format off
const Case kCases[] = {
    {"600", kOk, kOk, 600}, {"\t600", kOk, kOk, 600}, {"600\t ", kOk, kOk, 600},
    {"  -42  ", kOk, kOk, -42}, {"+7", kOk, kOk, 7}, {" 007 ", kOk, kOk, 7}, {"2.5", kOk, kOk, 2},
    {"3.5", kOk, kOk, 4}, {"-2.5", kOk, kOk, -2}, {"2.51", kOk, kOk, 3}, {".5", kOk, kOk, 0},
    {"5.", kOk, kOk, 5}, {"1e3", kOk, kOk, 1000}, {"2.5E+1", kOk, kOk, 25},
    {"32767", kOk, kOk, 32767}, {"-32768.5", kOk, kOk, -32768}, {"32768", kOver, kOk, 32768},
    {"32767.5", kOver, kOk, 32768}, {"-32769", kOver, kOk, -32769},
    {"2147483647", kOver, kOk, 2147483647}, {"-2147483648", kOver, kOk, -2147483648LL},
    {"2147483647.5", kOver, kOver, 0}, {"1e10", kOver, kOver, 0},
    {"99999999999999999999", kOver, kOver, 0}, {"", kMismatch, kMismatch, 0},
    {" \t ", kMismatch, kMismatch, 0}, {"abc", kMismatch, kMismatch, 0},
    {"12abc", kMismatch, kMismatch, 0}, {"1,000", kMismatch, kMismatch, 0},
    {"1 000", kMismatch, kMismatch, 0}, {"&H10", kMismatch, kMismatch, 0},
    {"0x10", kMismatch, kMismatch, 0}, {"\xef\xbc\x91\xef\xbc\x92", kMismatch, kMismatch, 0},
    {"+", kMismatch, kMismatch, 0}, {".", kMismatch, kMismatch, 0}, {"1e", kMismatch, kMismatch, 0},
    {"1e+", kMismatch, kMismatch, 0}, {"--1", kMismatch, kMismatch, 0},
    {"inf", kMismatch, kMismatch, 0}};
// clang-format on

TEST(Conversions, TextToIntegersOfBothWidths) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    const auto to16 = textToInt16(c.text);
    const auto to32 = textToInt32(c.text);
    EXPECT_EQ(to16.status, c.as16);
    EXPECT_EQ(to32.status, c.as32);
    if (c.as16 == kOk) EXPECT_EQ(to16.value, c.value);
    if (c.as32 == kOk) EXPECT_EQ(to32.value, c.value);
  }
}

TEST(Conversions, TextToDoubleAndBackTo32Bits) {
  const std::pair<const char*, double> numbers[] = {
      {"1.2", 1.2}, {" 40000 ", 40000.0}, {"\t-0.25", -0.25}, {"1.5e-3", 0.0015}, {"1e-400", 0.0}};
  for (const auto& [text, value] : numbers) {
    EXPECT_EQ(textToDouble(text).status, kOk) << text;
    EXPECT_EQ(textToDouble(text).value, value) << text;
  }
  EXPECT_EQ(textToDouble("1e400").status, kOver);
  EXPECT_EQ(textToDouble("1,2").status, kMismatch);
  // doubleToInt32: through the plot period in the graph's tests.
}

// Real numbers to text: fixed decimals rounded to nearest, or the shortest
// text that reads back (plain on a tie in length), whatever the library.
TEST(Conversions, RealsToTextInEveryStandardLibrary) {
  const std::pair<std::string, std::string> texts[] = {
      // clang-format off
      {fixedText(0.0015, 3), "0.002"}, {fixedText(-0.25, 3), "-0.250"}, {fixedText(2.5, 0), "2"},
      {fixedText(1.0 / 3, 9), "0.333333333"}, {shortestText(1.2), "1.2"},
      {shortestText(100.0), "100"}, {shortestText(-0.0), "-0"}, {shortestText(0.001), "0.001"},
      {shortestText(1e-4), "1e-04"}, {shortestText(1e6), "1e+06"},
      {shortestText(123456.0), "123456"}, {shortestText(2000.5f), "2000.5"},
      {shortestText(0.1f), "0.1"}, {shortestText(123456789.0f), "123456792"},
      {shortestText(std::ldexp(1.0f, -96)), "1.2621775e-29"}};  // the next digits up
  // clang-format on
  for (const auto& [text, expected] : texts) EXPECT_EQ(text, expected);
}

// The corners of the shortest form: the limits of the types, powers of two
// (exact whole digits where they are the shorter form), and the choice
// between plain and exponent form on either side of a tie in length.
TEST(Conversions, RealsToTextAtTheCorners) {
  const std::pair<std::string, std::string> texts[] = {
      // clang-format off
      {shortestText(std::ldexp(1.0, -1074)), "5e-324"},
      {shortestText(std::ldexp(1.0, -1022)), "2.2250738585072014e-308"},
      {shortestText(1.7976931348623157e308), "1.7976931348623157e+308"},
      {shortestText(1e300), "1e+300"}, {shortestText(1e-7), "1e-07"},
      {shortestText(3.3333), "3.3333"}, {shortestText(-1.5e-7), "-1.5e-07"},
      {shortestText(std::ldexp(1.0, 60)), "1152921504606846976"},
      {shortestText(std::ldexp(1.0, 64)), "18446744073709551616"},
      {shortestText(std::ldexp(1.0, 70)), "1180591620717411303424"},  // a tie: plain
      {shortestText(std::ldexp(1.0, 74)), "1.888946593147858e+22"},
      {shortestText(123456789012345680.0), "123456789012345680"},
      {shortestText(9007199254740993.0), "9007199254740992"},
      {shortestText(1e5), "1e+05"}, {shortestText(12000.0), "12000"},
      {shortestText(1e16), "1e+16"}, {shortestText(1e21), "1e+21"},
      {shortestText(0.0012), "0.0012"}, {shortestText(0.00012), "0.00012"},  // a tie: plain
      {shortestText(0.000012), "1.2e-05"},
      {shortestText(-std::numeric_limits<double>::infinity()), "-inf"},
      {shortestText(1.2345679e+11f), "123456790528"},
      {shortestText(std::numeric_limits<float>::max()), "3.4028235e+38"},
      {shortestText(std::numeric_limits<float>::denorm_min()), "1e-45"},
      {shortestText(16777218.0f), "16777218"}, {shortestText(std::ldexp(1.0f, 30)), "1073741824"},
      {shortestText(1e10f), "1e+10"}, {shortestText(-1.5e-7f), "-1.5e-07"},
      {shortestText(3419.968f), "3419.968"},
      {fixedText(0.125, 2), "0.12"}, {fixedText(0.375, 2), "0.38"},  // exact ties: to even
      {fixedText(2.675, 2), "2.67"}, {fixedText(-0.0, 2), "-0.00"}, {fixedText(-0.001, 2), "-0.00"},
      {fixedText(5e-324, 3), "0.000"}, {fixedText(1e-7, 9), "0.000000100"},
      {fixedText(1e22, 0), "10000000000000000000000"}};
  // clang-format on
  for (const auto& [text, expected] : texts) EXPECT_EQ(text, expected);
  char line[2 * kShortestTextMax];
  char* end = putShortestText(line, -std::numeric_limits<double>::max());
  end = putShortestText(end, std::ldexp(1.0, 70));
  EXPECT_EQ(std::string(line, end), "-1.7976931348623157e+3081180591620717411303424");
}

// Reading at the limits: rounding to nearest (ties to even) down to the
// smallest subnormal, zero below half of it, overflow above the largest.
TEST(Conversions, TextToDoubleAtTheLimits) {
  const std::pair<const char*, double> numbers[] = {
      {"5e-324", std::ldexp(1.0, -1074)},
      {"2.4703282292062328e-324", std::ldexp(1.0, -1074)},
      {"2.4703282292062327e-324", 0.0},
      {"1.7976931348623158e308", 1.7976931348623157e308},
      {"9007199254740993", 9007199254740992.0},
      {"9007199254740993.000000000000000001", 9007199254740994.0},
      {"0.1e1", 1.0},
      {"000000000000000000000000001.5", 1.5}};
  for (const auto& [text, value] : numbers) {
    EXPECT_EQ(textToDouble(text).status, kOk) << text;
    EXPECT_EQ(textToDouble(text).value, value) << text;
  }
  EXPECT_TRUE(std::signbit(textToDouble("-1e-400").value));
  EXPECT_EQ(textToDouble("1.7976931348623159e308").status, kOver);
  EXPECT_EQ(textToDouble("-1e99999999999").status, kOver);
}

}  // namespace
}  // namespace tarvex
