#include "FieldMeaning.h"

#include <cmath>
#include <variant>
#include <vector>

#include "Controls.h"
#include "Conversions.h"
#include "EngineState.h"
#include "FailureText.h"
#include "Units.h"

namespace tarvex::meaning {
namespace {

// The decimals that give a figure about four significant digits.
int decimalsOf(double value) {
  const double size = std::fabs(value);
  return size >= 1000.0 ? 0 : size >= 10.0 ? 1 : size >= 1.0 ? 2 : 4;
}

std::string withoutTrailingZeros(std::string text) {
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

// Thousands grouped with commas, as Japanese figures are written.
std::string grouped(std::string text) {
  const std::size_t begin = text[0] == '-' ? 1 : 0;
  std::size_t end = text.find('.');
  if (end == std::string::npos) end = text.size();
  for (std::size_t at = end; at > begin + 3; at -= 3) text.insert(at - 3, ",");
  return text;
}

// A figure with its thousands grouped and about four significant digits.
std::string amount(double value) {
  return withoutTrailingZeros(grouped(units::fixedDecimals(value, decimalsOf(value))));
}

std::string rangeNote(std::int32_t range) {
  return "（レンジ " + std::to_string(range) + "）";
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// A parameter as the run converts it, or why it has no physical sense.
struct Why {
  std::string text;
};
template <class T>
using Read = std::variant<T, Why>;

const std::string kNoRange = "レンジが正の整数でないため、速度になりません。";

template <class T>
Read<T> read(Converted<T> value) {
  if (value.status == ConversionStatus::TypeMismatch) return Why{"数値ではありません。"};
  if (value.status == ConversionStatus::Overflow) return Why{"この欄の整数の範囲を超えています。"};
  return value.value;
}

Read<std::int32_t> readInt32(const RunParameters& params, Parameter parameter) {
  return read(textToInt32(params[parameter]));
}

// The range the fields hold, if it makes speeds.
std::optional<std::int32_t> usableRange(const RunParameters& params) {
  const Converted<std::int32_t> range = textToInt32(params[Parameter::Range]);
  if (!range.ok() || range.value <= 0) return std::nullopt;
  return range.value;
}

// The value in physical units, or why it has none; `withRange` tells
// whether the range went into it.
struct Physical {
  std::string value;
  std::string whyNot;  // empty when the value has a physical sense
  bool withRange = false;
};

Physical noSense(const std::string& why) {
  return {std::string(), why, false};
}

Physical physical(const std::string& value, bool withRange = false) {
  return {value, std::string(), withRange};
}

Physical rangePhysical(const RunParameters& params) {
  const auto range = readInt32(params, Parameter::Range);
  if (const auto* why = std::get_if<Why>(&range)) return noSense(why->text);
  const std::int32_t r = std::get<std::int32_t>(range);
  if (r == 0) return noSense("レンジ 0 では速度になりません（0 で除算）。");
  if (r < 0) return noSense("負のレンジでは速度が負になり、意味がありません。");
  return physical("速度カウンタ 1 あたり " + amount(units::pulsesPerSecond(1, r)) + " pps");
}

Physical speedPhysical(Parameter parameter, const RunParameters& params) {
  const auto speed = read(textToInt16(params[parameter]));
  if (const auto* why = std::get_if<Why>(&speed)) return noSense(why->text);
  const std::int16_t s = std::get<std::int16_t>(speed);
  if (s < 0) return noSense("負の速度には意味がありません（パルスが出ません）。");
  if (s == 0) return noSense("0 pps：パルスが出ません。");
  const auto range = usableRange(params);
  if (!range) return noSense(kNoRange);
  return physical(amount(units::pulsesPerSecond(s, *range)) + " pps", true);
}

Physical ratePhysical(Parameter parameter, const RunParameters& params) {
  const bool accel = parameter == Parameter::Acceleration;
  const auto rate = readInt32(params, parameter);
  if (const auto* why = std::get_if<Why>(&rate)) return noSense(why->text);
  const std::int32_t a = std::get<std::int32_t>(rate);
  if (a <= 0)
    return noSense(accel ? "0 以下の加速度では速度が上がりません。"
                         : "0 以下の減速度では速度が下がりません。");
  if (a > kSpeedAccumulatorSpan)
    return noSense(std::to_string(kSpeedAccumulatorSpan) +
                   " を超えると速度の変化が追いつかず、オーバーフローします。");
  const auto range = usableRange(params);
  if (!range) return noSense(kNoRange);
  return physical(amount(units::pulsesPerSecondSquared(a, *range)) + " pps/s", true);
}

Parameter rateOf(Parameter jerk) {
  return jerk == Parameter::JerkAccel ? Parameter::Acceleration : Parameter::Deceleration;
}

// The time the acceleration (or deceleration) needs to build up.
Physical jerkPhysical(Parameter parameter, const RunParameters& params) {
  const auto jerk = readInt32(params, parameter);
  if (const auto* why = std::get_if<Why>(&jerk)) return noSense(why->text);
  const std::int32_t k = std::get<std::int32_t>(jerk);
  if (k < 0) return noSense("負の増加率には意味がありません。");
  const Converted<std::int32_t> rate = textToInt32(params[rateOf(parameter)]);
  if (!rate.ok() || rate.value <= 0)
    return noSense(captionOf(rateOf(parameter)) + "が正でないため、立ち上がりません。");
  return physical(captionOf(rateOf(parameter)) + " " + std::to_string(rate.value) + " まで " +
                  amount(units::buildUpSeconds(rate.value, k)) + " s で立ち上がり");
}

Physical physicalOf(Parameter parameter, const RunParameters& params) {
  switch (parameter) {
    case Parameter::Range:
      return rangePhysical(params);
    case Parameter::InitialSpeed:
    case Parameter::DriveSpeed:
      return speedPhysical(parameter, params);
    case Parameter::Acceleration:
    case Parameter::Deceleration:
      return ratePhysical(parameter, params);
    case Parameter::JerkAccel:
    case Parameter::JerkDecel:
      return jerkPhysical(parameter, params);
    default:
      return physical(std::string());
  }
}

// The further lines of a jerk field's tooltip: the period of one step and
// the jerk in pulses per second cubed.
std::vector<std::string> jerkDetails(Parameter parameter, const RunParameters& params) {
  const Converted<std::int32_t> jerk = textToInt32(params[parameter]);
  if (!jerk.ok() || jerk.value < 0) return {};
  const std::int64_t ticks = units::ticksPerAccelStep(jerk.value);
  std::vector<std::string> lines{captionOf(rateOf(parameter)) + "が 1 増えるごとに " +
                                 std::to_string(ticks) + " ティック（" +
                                 amount(units::secondsOfTicks(ticks) * 1000.0) + " ms）"};
  if (const auto range = usableRange(params))
    lines.push_back("加加速度 " + amount(units::pulsesPerSecondCubed(jerk.value, *range)) +
                    " pps/s²" + rangeNote(*range));
  return lines;
}

std::string countMeaning(Parameter parameter, const RunParameters& params) {
  const auto count = readInt32(params, parameter);
  if (const auto* why = std::get_if<Why>(&count)) return why->text;
  const std::int32_t n = std::get<std::int32_t>(count);
  switch (parameter) {
    case Parameter::OutputPulses:
      if (n < 0) return "負のパルス数では演算が終わりません。";
      return amount(n) + " パルス";
    case Parameter::AccelOffset: {
      // The offset less one, written with its own sign: + 4, − 1.
      const std::int64_t offset = n - std::int64_t{1};
      return std::string("自動減速は、残りパルスが（加速パルス ") + (offset < 0 ? "−" : "+") + " " +
             std::to_string(offset < 0 ? -offset : offset) + "）以下で始まります。";
    }
    default:
      return "マニュアル減速では " + std::to_string(n) + " パルス目で減速を始めます。";
  }
}

std::string scaleMeaning(Parameter parameter, const RunParameters& params) {
  const auto scale = read(textToDouble(params[parameter]));
  if (const auto* why = std::get_if<Why>(&scale)) return why->text;
  const double value = std::get<double>(scale);
  if (value <= 0.0) return "0 以下ではグラフを描けません。";
  return parameter == Parameter::TimeDisplayMax ? "グラフの横幅 " + amount(value) + " s"
                                                : "グラフの高さ " + amount(value) + " pps";
}

// A field that holds no number at all: what a run would say about it, with
// the hint on full-width digits and separators.
std::string notANumberAdvice(Parameter parameter, const RunParameters& params) {
  if (textToDouble(params[parameter]).status != ConversionStatus::TypeMismatch) return {};
  RunOutcome outcome;
  outcome.end = RunEnd::Failed;
  outcome.failure = RunFailure();
  outcome.failure->error = RunError::TypeMismatch;
  outcome.failure->step = Step::ConvertParameter;
  outcome.failure->causes = {parameter};
  const std::string message = describeFailureJapanese(outcome, params);
  const std::size_t advice = message.find("\n\n");
  return advice == std::string::npos ? message : message.substr(advice + 2);
}

}  // namespace

std::string trimmed(std::string_view text) {
  static constexpr std::string_view kIdeographicSpace = "\u3000";
  const auto ascii = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  for (bool more = true; more && !text.empty();) {
    more = false;
    if (ascii(text.front()))
      text.remove_prefix(1), more = true;
    else if (text.starts_with(kIdeographicSpace))
      text.remove_prefix(kIdeographicSpace.size()), more = true;
  }
  for (bool more = true; more && !text.empty();) {
    more = false;
    if (ascii(text.back()))
      text.remove_suffix(1), more = true;
    else if (text.ends_with(kIdeographicSpace))
      text.remove_suffix(kIdeographicSpace.size()), more = true;
  }
  return std::string(text);
}

std::string captionOf(Parameter parameter) {
  std::string caption(fieldOf(parameter).caption);
  // Without the colon, full width ("：", three bytes) or not.
  if (caption.ends_with("：")) return caption.substr(0, caption.size() - 3);
  if (caption.ends_with(":")) caption.pop_back();
  return caption;
}

std::string parameterMeaning(Parameter parameter, const RunParameters& params) {
  if (std::string advice = notANumberAdvice(parameter, params); !advice.empty()) return advice;
  switch (parameter) {
    case Parameter::OutputPulses:
    case Parameter::AccelOffset:
    case Parameter::ManualDecelPoint:
      return countMeaning(parameter, params);
    case Parameter::TimeDisplayMax:
    case Parameter::SpeedDisplayMax:
      return scaleMeaning(parameter, params);
    default:
      break;
  }
  const Physical meaning = physicalOf(parameter, params);
  if (!meaning.whyNot.empty()) return meaning.whyNot;
  std::vector<std::string> lines{captionOf(parameter) + " " + trimmed(params[parameter]) + " = " +
                                 meaning.value};
  if (meaning.withRange) lines.front() += rangeNote(*usableRange(params));
  if (parameter == Parameter::Acceleration || parameter == Parameter::Deceleration)
    lines.push_back("Ｓ字加減速では、この値まで" + captionOf(parameter) + "が立ち上がります。");
  if (parameter == Parameter::JerkAccel || parameter == Parameter::JerkDecel)
    for (std::string& line : jerkDetails(parameter, params)) lines.push_back(std::move(line));
  return joined(lines);
}

Figure figureOf(double value, const std::string& unit) {
  return {withoutTrailingZeros(units::fixedDecimals(value, decimalsOf(value))), unit};
}

std::optional<Figure> physicalFigure(Parameter parameter, const RunParameters& params) {
  if (!physicalOf(parameter, params).whyNot.empty()) return std::nullopt;
  const auto range = usableRange(params);
  if (!range) return std::nullopt;
  const auto count = [&] { return textToInt32(params[parameter]).value; };
  switch (parameter) {
    case Parameter::Range:
      return figureOf(units::pulsesPerSecond(1, *range), "pps（速度カウンタ 1 あたり）");
    case Parameter::InitialSpeed:
    case Parameter::DriveSpeed:
      return figureOf(units::pulsesPerSecond(textToInt16(params[parameter]).value, *range), "pps");
    case Parameter::Acceleration:
    case Parameter::Deceleration:
      return figureOf(units::pulsesPerSecondSquared(count(), *range), "pps/s");
    case Parameter::JerkAccel:
    case Parameter::JerkDecel:
      return figureOf(units::pulsesPerSecondCubed(count(), *range), "pps/s²");
    default:
      return std::nullopt;
  }
}

std::string physicalValue(Parameter parameter, const RunParameters& params) {
  const std::optional<Figure> figure = physicalFigure(parameter, params);
  if (!figure) return {};
  return amount(textToDouble(figure->number).value) + " " + figure->unit;
}

std::string readoutMeaning(Readout readout, std::int64_t value, std::int32_t range) {
  if (range <= 0) return {};
  switch (readout) {
    case Readout::SpeedCounter:
    case Readout::PeakSpeed:
      return "速度カウンタ " + std::to_string(value) + " = " +
             amount(units::pulsesPerSecond(value, range)) + " pps" + rangeNote(range);
    case Readout::AccelCounter:
      return "加/減速度カウンタ " + std::to_string(value) + " = " +
             amount(units::pulsesPerSecondSquared(value, range)) + " pps/s" + rangeNote(range);
    default:
      return {};
  }
}

}  // namespace tarvex::meaning
