// The window's controls that hold the run's parameters, options and
// readouts, by name, and which of the engine's values each one holds. The
// parameter files, the batch runner's options and reports and the window
// itself all speak of the controls by these names.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "LiveReadouts.h"
#include "Parameters.h"

namespace tarvex {

// The twenty text boxes. Twelve hold parameters, seven are readouts, Text8 is
// the fixed caption of the triangle-prevention indicator.
enum class TextBox : std::uint8_t {
  Text1 = 1,
  Text2,
  Text3,
  Text4,
  Text5,
  Text6,
  Text7,
  Text8,
  Text9,
  Text10,
  Text11,
  Text12,
  Text13,
  Text14,
  Text15,
  Text16,
  Text17,
  Text18,
  Text19,
  Text20
};
inline constexpr int kTextBoxCount = 20;

// The seven check boxes. Check1 (data recording) stands alone; the other six
// form three complementary pairs.
enum class CheckBox : std::uint8_t { Check1 = 1, Check2, Check3, Check4, Check5, Check6, Check7 };
inline constexpr int kCheckBoxCount = 7;

constexpr int indexOf(TextBox t) {
  return static_cast<int>(t) - 1;
}
constexpr int indexOf(CheckBox c) {
  return static_cast<int>(c) - 1;
}
constexpr int numberOf(CheckBox c) {
  return static_cast<int>(c);
}
constexpr CheckBox checkBoxNumber(int n) {
  return static_cast<CheckBox>(n);
}
constexpr TextBox textBoxNumber(int n) {
  return static_cast<TextBox>(n);
}

// The partner of a paired box, or nothing for Check1.
constexpr std::optional<CheckBox> partnerOf(CheckBox c) {
  switch (c) {
    case CheckBox::Check2:
      return CheckBox::Check3;
    case CheckBox::Check3:
      return CheckBox::Check2;
    case CheckBox::Check4:
      return CheckBox::Check5;
    case CheckBox::Check5:
      return CheckBox::Check4;
    case CheckBox::Check6:
      return CheckBox::Check7;
    case CheckBox::Check7:
      return CheckBox::Check6;
    case CheckBox::Check1:
      return std::nullopt;
  }
  return std::nullopt;
}

// Check box values: 0 clear, 1 ticked, 2 grayed. Only 1 counts as "on".
inline constexpr std::int16_t kUnchecked = 0;
inline constexpr std::int16_t kChecked = 1;
inline constexpr std::int16_t kGrayed = 2;

// "Text7", "Check2".
std::string controlName(TextBox box);
std::string controlName(CheckBox box);

// The text box holding each parameter, and the caption beside it (UTF-8).
struct ParameterField {
  Parameter parameter;
  TextBox control;
  std::string_view caption;
};

// In conversion order.
inline constexpr std::array<ParameterField, kParameterCount> kParameterFields{{
    {Parameter::Range, TextBox::Text1, "レンジ："},
    {Parameter::Acceleration, TextBox::Text2, "加速度："},
    {Parameter::Deceleration, TextBox::Text13, "減速度："},
    {Parameter::AccelOffset, TextBox::Text18, "加速Ｃ offs："},
    {Parameter::JerkAccel, TextBox::Text3, "加増加率："},
    {Parameter::JerkDecel, TextBox::Text20, "減増加率："},
    {Parameter::InitialSpeed, TextBox::Text4, "初速度："},
    {Parameter::DriveSpeed, TextBox::Text5, "ドライブ速度："},
    {Parameter::OutputPulses, TextBox::Text6, "出力パルス数："},
    {Parameter::ManualDecelPoint, TextBox::Text19, "マニュアル減速点："},
    {Parameter::TimeDisplayMax, TextBox::Text11, "時間表示最大値："},
    {Parameter::SpeedDisplayMax, TextBox::Text10, "速度表示最大値："},
}};

constexpr const ParameterField& fieldOf(Parameter p) {
  return kParameterFields[static_cast<std::size_t>(p)];
}
// The parameter a text box holds, if it holds one.
std::optional<Parameter> parameterIn(TextBox box);

// The control showing each readout: a text box, or for the triangle
// indicator the option button Option1; and the caption beside it (UTF-8).
struct ReadoutControl {
  Readout readout;
  std::string_view name;
  std::optional<TextBox> box;
  std::string_view caption;
};

// In the order the engine lists its readouts.
inline constexpr std::array<ReadoutControl, kReadoutCount> kReadoutControls{{
    {Readout::OutputPulses, "Text7", TextBox::Text7, "現在出力パルス："},
    {Readout::AccelPulses, "Text9", TextBox::Text9, "加速パルス："},
    {Readout::SpeedCounter, "Text12", TextBox::Text12, "現在速度カウンタ："},
    {Readout::AccelCounter, "Text14", TextBox::Text14, "現在加/減速度Ｃ："},
    {Readout::AccelState, "Text15", TextBox::Text15, "加減速ステート："},
    {Readout::DragPulses, "Text16", TextBox::Text16, "引きずりパルス数："},
    {Readout::PeakSpeed, "Text17", TextBox::Text17, "ピーク速度："},
    {Readout::TriangleIndicator, "Option1", std::nullopt, "三角防止作動："},
}};

constexpr const ReadoutControl& controlOf(Readout r) {
  return kReadoutControls[static_cast<std::size_t>(r)];
}

}  // namespace tarvex
