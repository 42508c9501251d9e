// Text/number conversions of the parameter fields, and the window's start-up
// values with the interlock of the paired option boxes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "Conversions.h"
#include "FormModel.h"
#include "OptionPairs.h"
#include "StartupValues.h"

namespace tarvex {
namespace {

constexpr auto kOk = ConversionStatus::Ok;
constexpr auto kMismatch = ConversionStatus::TypeMismatch;
constexpr auto kOverflow = ConversionStatus::Overflow;

template <class Convert>
void expectNumbers(Convert convert, std::initializer_list<std::pair<const char*, int>> numbers) {
  for (const auto& [text, value] : numbers) {
    const auto got = convert(text);
    ASSERT_TRUE(got.ok()) << '"' << text << '"';
    EXPECT_EQ(got.value, value) << '"' << text << '"';
  }
}

template <class Convert>
void expectFailures(Convert convert, ConversionStatus status,
                    std::initializer_list<const char*> texts) {
  for (const char* text : texts) EXPECT_EQ(convert(text).status, status) << '"' << text << '"';
}

// Blanks and a sign are accepted; a fraction rounds to nearest, halves to even.
TEST(Conversions, TextTo32BitInteger) {
  // clang-format off
  expectNumbers(textToInt32, {{"800000", 800000}, {"  42  ", 42}, {"+7", 7}, {"-7", -7},
                              {" -0 ", 0}, {"007", 7}, {"2.5", 2}, {"3.5", 4}, {"-2.5", -2},
                              {"0.5", 0}, {"1.5", 2}, {"2.51", 3}, {"-3.5", -4}, {"1e3", 1000},
                              {"2.5E1", 25}, {".5", 0}, {"2147483647", 2147483647},
                              {"-2147483648", INT32_MIN}});
  // clang-format on
  expectFailures(textToInt32, kOverflow,
                 {"2147483648", "-2147483649", "2147483647.5", "1e10", "99999999999999999999"});
  expectFailures(
      textToInt32, kMismatch,
      {"", "   ", "abc", "12abc", "1,000", "&H10", "0x10", "1 000", "+", "-", ".", "1e", "--1"});
}

TEST(Conversions, TextTo16BitInteger) {
  expectNumbers(textToInt16, {{"3000", 3000}, {"32767", 32767}, {"-32768", -32768}});
  expectNumbers(textToInt16, {{"32766.5", 32766}, {"-32768.5", -32768}, {" 10 ", 10}});
  expectFailures(textToInt16, kOverflow, {"32768", "40000", "-32769", "32767.5"});
  expectFailures(textToInt16, kMismatch, {"", "ten"});
}

TEST(Conversions, TextToDouble) {
  EXPECT_EQ(textToDouble("1.2").value, 1.2);
  EXPECT_EQ(textToDouble(" 40000 ").value, 40000.0);
  EXPECT_EQ(textToDouble("-0.25").value, -0.25);
  EXPECT_EQ(textToDouble("1.5e-3").value, 0.0015);
  EXPECT_EQ(textToDouble("1e-400").status, kOk);  // too small to represent: zero
  EXPECT_EQ(textToDouble("1e-400").value, 0.0);
  EXPECT_EQ(textToDouble("1e400").status, kOverflow);
  EXPECT_EQ(textToDouble("").status, kMismatch);
  EXPECT_EQ(textToDouble("1.2s").status, kMismatch);
  EXPECT_EQ(textToDouble("1,2").status, kMismatch);
}

TEST(Conversions, DoubleTo32BitRoundsHalvesToEven) {
  // clang-format off
  const std::pair<double, std::int32_t> rounded[] = {
      {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {960.9612, 961}, {400400.5, 400400},
      {2147483647.4, 2147483647}, {-2147483648.5, INT32_MIN}};
  // clang-format on
  for (const auto& [in, out] : rounded) {
    const auto got = doubleToInt32(in);
    ASSERT_TRUE(got.ok()) << in;
    EXPECT_EQ(got.value, out) << in;
  }
  for (double bad : {2147483647.5, -2147483649.0, HUGE_VAL, -HUGE_VAL, std::nan("")})
    EXPECT_EQ(doubleToInt32(bad).status, kOverflow) << bad;
}

TEST(Conversions, IntegersArePlainDecimalText) {
  EXPECT_EQ(intToText(0), "0");
  EXPECT_EQ(intToText(20000), "20000");
  EXPECT_EQ(intToText(-1), "-1");
  EXPECT_EQ(intToText(2147483648LL), "2147483648");
}

TEST(StartupValues, FreshWindowHoldsTheStandardSet) {
  FormModel form;
  applyStartupValues(form);
  const std::pair<TextBox, const char*> texts[] = {
      {TextBox::Text1, "800000"}, {TextBox::Text2, "8000"},   {TextBox::Text13, "8000"},
      {TextBox::Text3, "600"},    {TextBox::Text4, "10"},     {TextBox::Text5, "3000"},
      {TextBox::Text6, "20000"},  {TextBox::Text18, "0"},     {TextBox::Text19, "1000"},
      {TextBox::Text20, "600"},   {TextBox::Text10, "40000"}, {TextBox::Text11, "1.2"},
      {TextBox::Text7, "0"},      {TextBox::Text9, "0"},      {TextBox::Text12, "0"},
      {TextBox::Text14, "0"},     {TextBox::Text15, "0"},     {TextBox::Text16, "0"},
      {TextBox::Text17, "0"}};
  for (const auto& [box, text] : texts) EXPECT_EQ(form.text(box), text) << indexOf(box) + 1;
  const std::int16_t boxes[] = {0, 1, 0, 1, 0, 0, 1};
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(form.optionValue(checkBoxNumber(n)), boxes[n - 1]) << n;
  EXPECT_FALSE(form.indicator());
}

TEST(StartupValues, PairedBoxesStayComplementary) {
  FormModel form;
  applyStartupValues(form);
  form.setOptionValue(CheckBox::Check3, 1);
  EXPECT_EQ(form.optionValue(CheckBox::Check2), 0);
  EXPECT_EQ(form.optionValue(CheckBox::Check3), 1);
  form.setOptionValue(CheckBox::Check3, 0);
  EXPECT_EQ(form.optionValue(CheckBox::Check2), 1);
  form.setOptionValue(CheckBox::Check7, 0);
  EXPECT_EQ(form.optionValue(CheckBox::Check6), 1);
  form.setOptionValue(CheckBox::Check1, 1);  // stands alone
  for (int n = 2; n <= 5; ++n) EXPECT_EQ(form.optionValue(checkBoxNumber(n)), n % 2 == 0) << n;

  // A grayed box leaves its partner alone; the partner's next change sets it.
  form.setOptionValue(CheckBox::Check4, 2);
  EXPECT_EQ(form.optionValue(CheckBox::Check5), 0);
  form.setOptionValue(CheckBox::Check5, 1);
  EXPECT_EQ(form.optionValue(CheckBox::Check4), 0);
  form.setOptionValue(CheckBox::Check7, 2);
  form.setOptionValue(CheckBox::Check6, 0);
  EXPECT_EQ(form.optionValue(CheckBox::Check7), 1);
}

}  // namespace
}  // namespace tarvex
