// Names of the window's controls that the engine, the parameter files and the
// batch runner talk about. The window itself maps each name onto a widget.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

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

// What a run shows while it goes on: seven text boxes and the option button.
enum class Readout : std::uint8_t { Text7, Text9, Text12, Text14, Text15, Text16, Text17, Option1 };
inline constexpr int kReadoutCount = 8;

// The twelve numeric parameters, in the order the run converts them.
enum class ParamField : std::uint8_t {
  Range,             // Text1
  Acceleration,      // Text2
  Deceleration,      // Text13
  AccelOffset,       // Text18
  JerkAccel,         // Text3
  JerkDecel,         // Text20
  InitialSpeed,      // Text4
  DriveSpeed,        // Text5
  OutputPulses,      // Text6
  ManualDecelPoint,  // Text19
  TimeDisplayMax,    // Text11
  SpeedDisplayMax,   // Text10
};
inline constexpr int kParamFieldCount = 12;

struct ParamFieldInfo {
  ParamField field;
  TextBox control;
  std::string_view name;     // lower camel case, as used on the command line
  std::string_view caption;  // the label beside the field, UTF-8
};

// In conversion order.
inline constexpr std::array<ParamFieldInfo, kParamFieldCount> kParamFields{{
    {ParamField::Range, TextBox::Text1, "range", "レンジ："},
    {ParamField::Acceleration, TextBox::Text2, "acceleration", "加速度："},
    {ParamField::Deceleration, TextBox::Text13, "deceleration", "減速度："},
    {ParamField::AccelOffset, TextBox::Text18, "accelOffset", "加速Ｃ offs："},
    {ParamField::JerkAccel, TextBox::Text3, "jerkAccel", "加増加率："},
    {ParamField::JerkDecel, TextBox::Text20, "jerkDecel", "減増加率："},
    {ParamField::InitialSpeed, TextBox::Text4, "initialSpeed", "初速度："},
    {ParamField::DriveSpeed, TextBox::Text5, "driveSpeed", "ドライブ速度："},
    {ParamField::OutputPulses, TextBox::Text6, "outputPulses", "出力パルス数："},
    {ParamField::ManualDecelPoint, TextBox::Text19, "manualDecelPoint", "マニュアル減速点："},
    {ParamField::TimeDisplayMax, TextBox::Text11, "timeDisplayMax", "時間表示最大値："},
    {ParamField::SpeedDisplayMax, TextBox::Text10, "speedDisplayMax", "速度表示最大値："},
}};

constexpr const ParamFieldInfo& paramInfo(ParamField f) {
  return kParamFields[static_cast<std::size_t>(f)];
}

struct ReadoutInfo {
  Readout readout;
  std::string_view name;
  std::string_view caption;  // UTF-8
};

inline constexpr std::array<ReadoutInfo, kReadoutCount> kReadouts{{
    {Readout::Text7, "Text7", "現在出力パルス："},
    {Readout::Text9, "Text9", "加速パルス："},
    {Readout::Text12, "Text12", "現在速度カウンタ："},
    {Readout::Text14, "Text14", "現在加/減速度Ｃ："},
    {Readout::Text15, "Text15", "加減速ステート："},
    {Readout::Text16, "Text16", "引きずりパルス数："},
    {Readout::Text17, "Text17", "ピーク速度："},
    {Readout::Option1, "Option1", "三角防止作動："},
}};

constexpr const ReadoutInfo& readoutInfo(Readout r) {
  return kReadouts[static_cast<std::size_t>(r)];
}

// The text box a readout lives in; Option1 is not a text box.
constexpr std::optional<TextBox> readoutTextBox(Readout r) {
  switch (r) {
    case Readout::Text7:
      return TextBox::Text7;
    case Readout::Text9:
      return TextBox::Text9;
    case Readout::Text12:
      return TextBox::Text12;
    case Readout::Text14:
      return TextBox::Text14;
    case Readout::Text15:
      return TextBox::Text15;
    case Readout::Text16:
      return TextBox::Text16;
    case Readout::Text17:
      return TextBox::Text17;
    case Readout::Option1:
      return std::nullopt;
  }
  return std::nullopt;
}

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

}  // namespace tarvex
