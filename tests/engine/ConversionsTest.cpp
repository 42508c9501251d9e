// Text to number: blanks and a sign accepted, halves to even, type mismatch
// for no number, overflow beyond the width.
#include <gtest/gtest.h>

#include <cmath>
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

}  // namespace
}  // namespace tarvex
