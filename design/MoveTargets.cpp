#include "MoveTargets.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "Conversions.h"

namespace tarvex::design {
namespace {

constexpr std::array<std::string_view, 7> kNames{"pulses", "peak",    "accel_time", "decel_time",
                                                 "start",  "s_curve", "range"};

std::optional<Target> targetNamed(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i)
    if (kNames[i] == name) return static_cast<Target>(i);
  return std::nullopt;
}

// What is wrong with `value` for `target`, or nothing.
std::string valueProblem(Target target, double value) {
  const std::string name(targetName(target));
  switch (problemOf(target, value)) {
    case TargetProblem::None:
      return {};
    case TargetProblem::NotWhole:
      return name + " must be a whole number of 1 or more";
    case TargetProblem::NotPositive:
      return name + (target == Target::Peak || target == Target::Start
                         ? " must be a speed above 0 pulses per second"
                         : " must be a time above 0 seconds");
    case TargetProblem::OutsideShare:
      return "s_curve must be from 0 (linear) to 1";
    case TargetProblem::TooWide:
      return "range must be at most 2147483647";
  }
  return {};
}

}  // namespace

TargetProblem problemOf(Target target, double value) {
  switch (target) {
    case Target::Pulses:
    case Target::Range:
      if (value < 1.0 || value != std::floor(value)) return TargetProblem::NotWhole;
      if (target == Target::Range && value > std::numeric_limits<std::int32_t>::max())
        return TargetProblem::TooWide;
      return TargetProblem::None;
    case Target::SCurve:
      return value < 0.0 || value > 1.0 ? TargetProblem::OutsideShare : TargetProblem::None;
    case Target::Peak:
    case Target::Start:
    case Target::AccelTime:
    case Target::DecelTime:
      return value <= 0.0 ? TargetProblem::NotPositive : TargetProblem::None;
  }
  return TargetProblem::None;
}

void setTarget(MoveTargets& t, Target target, double value) {
  switch (target) {
    case Target::Pulses:
      // Whole and at least 1; beyond 64 bits the design refuses it anyway.
      t.pulses = value < 9.2e18 ? static_cast<std::int64_t>(value)
                                : std::numeric_limits<std::int64_t>::max();
      break;
    case Target::Peak:
      t.peak = value;
      break;
    case Target::AccelTime:
      t.accelTime = value;
      break;
    case Target::DecelTime:
      t.decelTime = value;
      break;
    case Target::Start:
      t.start = value;
      break;
    case Target::SCurve:
      t.sCurve = value;
      break;
    case Target::Range:
      // Whole; beyond 32 bits the design refuses it anyway.
      t.range = static_cast<std::int32_t>(
          std::min(value, static_cast<double>(std::numeric_limits<std::int32_t>::max())));
      break;
  }
}

double targetValue(const MoveTargets& t, Target target) {
  switch (target) {
    case Target::Pulses:
      return static_cast<double>(t.pulses);
    case Target::Peak:
      return t.peak;
    case Target::AccelTime:
      return t.accelTime;
    case Target::DecelTime:
      return t.decelTimeOrAccel();
    case Target::Start:
      return t.start.value_or(0.0);
    case Target::SCurve:
      return t.sCurve;
    case Target::Range:
      return t.range.value_or(0);
  }
  return 0.0;
}

std::optional<double> targetNumber(std::string_view text) {
  const Converted<double> converted = textToDouble(text);
  if (!converted.ok() || !std::isfinite(converted.value)) return std::nullopt;
  return converted.value;
}

std::string_view targetName(Target target) {
  return kNames[static_cast<std::size_t>(target)];
}

ParsedTargets parseTargets(std::string_view text) {
  ParsedTargets parsed;
  auto fail = [&](std::string error) {
    parsed.error = std::move(error);
    return parsed;
  };
  std::array<bool, kNames.size()> given{};
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos) return fail("'" + std::string(item) + "' is not name=value");
    const std::string name(item.substr(0, eq));
    const auto target = targetNamed(name);
    if (!target)
      return fail("unknown target '" + name +
                  "' (pulses, peak, accel_time, decel_time, start, s_curve, range)");
    if (given[static_cast<std::size_t>(*target)]) return fail(name + " is given twice");
    given[static_cast<std::size_t>(*target)] = true;
    const auto value = targetNumber(item.substr(eq + 1));
    if (!value) return fail(name + ": '" + std::string(item.substr(eq + 1)) + "' is no number");
    if (std::string problem = valueProblem(*target, *value); !problem.empty())
      return fail(std::move(problem));
    setTarget(parsed.targets, *target, *value);
  }
  for (const Target required : kRequiredTargets)
    if (!given[static_cast<std::size_t>(required)])
      return fail(std::string(targetName(required)) + " is required");
  return parsed;
}

std::string targetsText(const MoveTargets& t) {
  std::string text = "pulses=" + std::to_string(t.pulses) + ",peak=" + numberText(t.peak) +
                     ",accel_time=" + numberText(t.accelTime);
  if (t.decelTime) text += ",decel_time=" + numberText(*t.decelTime);
  if (t.start) text += ",start=" + numberText(*t.start);
  text += ",s_curve=" + numberText(t.sCurve);
  if (t.range) text += ",range=" + std::to_string(*t.range);
  return text;
}

std::string numberText(double value) {
  // The fewest digits that read back as the value, the point placed where
  // an exponent would have put it.
  const std::string shortest = shortestText(value);
  const std::size_t e = shortest.find('e');
  if (e == std::string::npos) return shortest;
  const bool negative = shortest[0] == '-';
  const std::string mantissa = shortest.substr(negative ? 1 : 0, e - (negative ? 1 : 0));
  const std::size_t dot = mantissa.find('.');
  const std::string digits =
      dot == std::string::npos ? mantissa : mantissa.substr(0, dot) + mantissa.substr(dot + 1);
  const long point = static_cast<long>(dot == std::string::npos ? mantissa.size() : dot) +
                     std::stol(shortest.substr(e + 1));
  const long size = static_cast<long>(digits.size());
  std::string plain;
  if (point <= 0)
    plain = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  else if (point >= size)
    plain = digits + std::string(static_cast<std::size_t>(point - size), '0');
  else
    plain = digits.substr(0, static_cast<std::size_t>(point)) + "." +
            digits.substr(static_cast<std::size_t>(point));
  return (negative ? "-" : "") + plain;
}

std::string limitText(double value, bool roundUp) {
  if (value <= 0.0 || !std::isfinite(value)) return numberText(value);
  const int exponent = static_cast<int>(std::floor(std::log10(value))) - 3;
  const double unit = std::pow(10.0, std::abs(exponent));
  const double scaled = exponent >= 0 ? value / unit : value * unit;
  const double steps = roundUp ? std::ceil(scaled) : std::floor(scaled);
  return numberText(exponent >= 0 ? steps * unit : steps / unit);
}

}  // namespace tarvex::design
