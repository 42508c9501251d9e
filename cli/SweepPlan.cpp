#include "SweepPlan.h"

#include <algorithm>
#include <optional>

#include "Conversions.h"

namespace tarvex::batch {
namespace {

// A decimal number as a whole number of units of 10^-decimals.
struct Decimal {
  std::int64_t units = 0;
  int decimals = 0;
};

// At most 18 digits in all, so that every value, difference and step of a
// range stays well inside 64 bits.
constexpr int kMaxDigits = 18;

// A bound of a range, "[+|-]digits[.digits]" and nothing else, of at most
// kMaxDigits digits; else what is wrong with it, the bound named `which`.
struct ParsedBound {
  Decimal value;
  std::string problem;
};

ParsedBound parseBound(std::string_view which, std::string_view text) {
  ParsedBound bound;
  Decimal& d = bound.value;
  const std::string named = std::string(which) + " '" + std::string(text) + "'";
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const auto point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  const auto allDigits = [](std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!allDigits(whole) || (point != std::string_view::npos && !allDigits(fraction))) {
    bound.problem = named + " is not a number";
    return bound;
  }
  if (whole.size() + fraction.size() > kMaxDigits) {
    bound.problem = named + " has " +
                    intToText(static_cast<std::int64_t>(whole.size() + fraction.size())) +
                    " digits, more than the " + intToText(kMaxDigits) + " a bound may have";
    return bound;
  }
  for (const char c : std::string(whole) + std::string(fraction))
    d.units = d.units * 10 + (c - '0');
  d.decimals = static_cast<int>(fraction.size());
  if (negative) d.units = -d.units;
  return bound;
}

std::int64_t powerOfTen(int exponent) {
  std::int64_t p = 1;
  while (exponent-- > 0) p *= 10;
  return p;
}

// The value in units of 10^-decimals, if that still fits the digit limit.
std::optional<std::int64_t> inUnits(const Decimal& d, int decimals) {
  const std::int64_t scale = powerOfTen(decimals - d.decimals);
  const std::int64_t limit = powerOfTen(kMaxDigits) / scale;
  if (d.units >= limit || d.units <= -limit) return std::nullopt;
  return d.units * scale;
}

// Plain decimal text with exactly `decimals` decimals.
std::string decimalText(std::int64_t units, int decimals) {
  if (decimals == 0) return intToText(units);
  const std::int64_t scale = powerOfTen(decimals);
  const std::int64_t magnitude = units < 0 ? -units : units;
  std::string fraction = intToText(magnitude % scale);
  fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
  return (units < 0 ? "-" : "") + intToText(magnitude / scale) + "." + fraction;
}

bool takesDecimals(TextBox box) {
  const auto parameter = parameterIn(box);
  return parameter == Parameter::TimeDisplayMax || parameter == Parameter::SpeedDisplayMax;
}

SweepTexts rangeTexts(std::string_view from, std::string_view to, std::string_view step,
                      TextBox box) {
  const ParsedBound bounds[] = {parseBound("FROM", from), parseBound("TO", to),
                                parseBound("STEP", step)};
  for (const ParsedBound& bound : bounds)
    if (!bound.problem.empty()) return {{}, bound.problem};
  const Decimal &a = bounds[0].value, &b = bounds[1].value, &s = bounds[2].value;
  const int decimals = std::max({a.decimals, b.decimals, s.decimals});
  if (decimals > 0 && !takesDecimals(box)) return {{}, "this field takes whole numbers"};
  const auto first = inUnits(a, decimals), last = inUnits(b, decimals),
             stride = inUnits(s, decimals);
  if (!first || !last || !stride)
    return {{},
            std::string(!first  ? "FROM"
                        : !last ? "TO"
                                : "STEP") +
                " with " + intToText(decimals) + " decimals has more than the " +
                intToText(kMaxDigits) + " digits a bound may have"};
  if (*stride == 0) return {{}, "STEP must not be 0"};
  if (*last != *first && (*last > *first) != (*stride > 0)) return {{}, "STEP never reaches TO"};
  const std::int64_t count = (*last - *first) / *stride + 1;
  if (count > kMaxSweepRuns) return {{}, "more values than a sweep can run"};
  SweepTexts result;
  result.texts.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i)
    result.texts.push_back(decimalText(*first + i * *stride, decimals));
  return result;
}

}  // namespace

SweepTexts sweepTexts(std::string_view values, TextBox box) {
  // Without a comma, a colon makes a range.
  const auto colon = values.find(':');
  if (colon != std::string_view::npos && values.find(',') == std::string_view::npos) {
    const auto second = values.find(':', colon + 1);
    if (second == std::string_view::npos || values.find(':', second + 1) != std::string_view::npos)
      return {{}, "a range is FROM:TO:STEP"};
    return rangeTexts(values.substr(0, colon), values.substr(colon + 1, second - colon - 1),
                      values.substr(second + 1), box);
  }
  SweepTexts list;
  for (std::size_t start = 0;;) {
    const auto comma = values.find(',', start);
    list.texts.emplace_back(values.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return list;
}

std::int64_t sweepRunCount(const std::vector<Variation>& variations) {
  std::int64_t count = 1;
  for (const Variation& v : variations) {
    // Both factors are at most kMaxSweepRuns, so the product fits.
    count *= static_cast<std::int64_t>(v.texts.size());
    if (count > kMaxSweepRuns) return -1;
  }
  return count;
}

std::vector<std::string_view> runTexts(const std::vector<Variation>& variations,
                                       std::int64_t index) {
  std::vector<std::string_view> texts(variations.size());
  for (std::size_t i = variations.size(); i-- > 0;) {
    const auto size = static_cast<std::int64_t>(variations[i].texts.size());
    texts[i] = variations[i].texts[static_cast<std::size_t>(index % size)];
    index /= size;
  }
  return texts;
}

}  // namespace tarvex::batch
