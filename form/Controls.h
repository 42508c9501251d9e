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

// The options a run reads from the boxes. Recording stands alone in Check1;
// each of the other three is a pair of complementary boxes.
enum class RunOption : std::uint8_t { AutomaticDeceleration, SCurve, Symmetric };
inline constexpr CheckBox kRecordingBox = CheckBox::Check1;

// A pair: the box ticked while the option is on, its partner ticked while it
// is off, and the words for each side: Japanese (UTF-8) as the window's
// captions have them without the colon, and English for the batch runner.
struct OptionPair {
  RunOption option;
  CheckBox on, off;
  std::string_view onCaption, offCaption;
  std::string_view onName, offName;
};

inline constexpr std::array<OptionPair, 3> kOptionPairs{{
    {RunOption::AutomaticDeceleration, CheckBox::Check2, CheckBox::Check3, "自動減速",
     "マニュアル減速", "automatic deceleration", "manual deceleration"},
    {RunOption::SCurve, CheckBox::Check4, CheckBox::Check5, "Ｓ字加減速", "直線加減速", "S-curve",
     "linear"},
    {RunOption::Symmetric, CheckBox::Check7, CheckBox::Check6, "対称", "非対称", "symmetric",
     "asymmetric"},
}};

constexpr const OptionPair& pairOf(RunOption option) {
  return kOptionPairs[static_cast<std::size_t>(option)];
}

// The pair a box belongs to, or nothing for Check1.
constexpr const OptionPair* pairHolding(CheckBox box) {
  for (const OptionPair& pair : kOptionPairs)
    if (pair.on == box || pair.off == box) return &pair;
  return nullptr;
}

// The partner of a paired box, or nothing for Check1.
constexpr std::optional<CheckBox> partnerOf(CheckBox c) {
  const OptionPair* pair = pairHolding(c);
  if (pair == nullptr) return std::nullopt;
  return pair->on == c ? pair->off : pair->on;
}

// The words of a paired box's side of its option, e.g. "直線加減速" and
// "linear" for Check5; empty for Check1.
constexpr std::string_view captionOf(CheckBox box) {
  const OptionPair* pair = pairHolding(box);
  return pair == nullptr   ? std::string_view()
         : pair->on == box ? pair->onCaption
                           : pair->offCaption;
}
constexpr std::string_view nameOf(CheckBox box) {
  const OptionPair* pair = pairHolding(box);
  return pair == nullptr ? std::string_view() : pair->on == box ? pair->onName : pair->offName;
}

// Check box values: 0 clear, 1 ticked, 2 grayed. Only 1 counts as "on".
inline constexpr std::int16_t kUnchecked = 0;
inline constexpr std::int16_t kChecked = 1;
inline constexpr std::int16_t kGrayed = 2;

// The caption that says how an option stands: its "on" box's when that box
// holds `onValue` ticked, else its partner's.
constexpr std::string_view optionCaption(RunOption option, std::int16_t onValue) {
  return onValue == kChecked ? pairOf(option).onCaption : pairOf(option).offCaption;
}

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
