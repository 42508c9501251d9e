#include "EarlierRuns.h"

#include <algorithm>
#include <cmath>

#include "Controls.h"
#include "Conversions.h"
#include "FieldMeaning.h"
#include "Units.h"

namespace tarvex::earlier {
namespace {

std::string optionWord(RunOption option, std::int16_t value) {
  return std::string(optionCaption(option, value));
}

bool isDisplayScale(Parameter p) {
  return p == Parameter::TimeDisplayMax || p == Parameter::SpeedDisplayMax;
}

// A parameter's value as a legend names it: the caption, the value typed
// and what it is in physical units.
std::string legendValue(Parameter p, const LegendRun& run) {
  const RunParameters& params = run.typed;
  std::string unit;
  switch (p) {
    case Parameter::InitialSpeed:
    case Parameter::DriveSpeed:
    case Parameter::Acceleration:
    case Parameter::Deceleration:
      if (const std::string value = meaning::physicalValue(p, params); !value.empty())
        unit = "（" + value + "）";
      break;
    case Parameter::JerkAccel:
    case Parameter::JerkDecel: {
      const Converted<std::int32_t> jerk = textToInt32(params[p]);
      const Converted<std::int32_t> rate = textToInt32(
          params[p == Parameter::JerkAccel ? Parameter::Acceleration : Parameter::Deceleration]);
      if (jerk.ok() && rate.ok() && jerk.value >= 0 && rate.value > 0)
        unit = "（立ち上がり " +
               shortestText(std::round(units::buildUpSeconds(rate.value, jerk.value) * 1e4) / 1e4) +
               " s）";
      break;
    }
    case Parameter::OutputPulses:
    case Parameter::AccelOffset:
    case Parameter::ManualDecelPoint:
      unit = " パルス";
      break;
    default:
      break;
  }
  return meaning::captionOf(p) + " " + params[p] + unit;
}

struct Differing {
  std::vector<Parameter> parameters;
  bool sCurve = false, automatic = false, symmetric = false;
};

// What differs between any two of `runs`: the parameters as typed, the
// display scales left out (they change how a curve is drawn, never the
// move), and the options.
Differing differing(const std::vector<const LegendRun*>& runs) {
  Differing d;
  if (runs.empty()) return d;
  const LegendRun& first = *runs.front();
  const auto any = [&](const auto& differs) {
    return std::any_of(runs.begin(), runs.end(),
                       [&](const LegendRun* r) { return differs(*r, first); });
  };
  for (const ParameterField& field : kParameterFields)
    if (!isDisplayScale(field.parameter) && any([&](const LegendRun& r, const LegendRun& f) {
          return r.typed[field.parameter] != f.typed[field.parameter];
        }))
      d.parameters.push_back(field.parameter);
  const auto checked = [](std::int16_t v) { return v == kChecked; };
  d.sCurve = any([&](const LegendRun& r, const LegendRun& f) {
    return checked(r.sCurve) != checked(f.sCurve);
  });
  d.automatic = any([&](const LegendRun& r, const LegendRun& f) {
    return checked(r.automatic) != checked(f.automatic);
  });
  d.symmetric = any([&](const LegendRun& r, const LegendRun& f) {
    return checked(r.symmetric) != checked(f.symmetric);
  });
  return d;
}

std::string described(const LegendRun& run, const Differing& d) {
  std::vector<std::string> words;
  for (const Parameter p : d.parameters) words.push_back(legendValue(p, run));
  if (d.sCurve) words.push_back(optionWord(RunOption::SCurve, run.sCurve));
  if (d.automatic) words.push_back(optionWord(RunOption::AutomaticDeceleration, run.automatic));
  if (d.symmetric) words.push_back(optionWord(RunOption::Symmetric, run.symmetric));
  if (words.empty()) return "同じ設定";
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : "、") + word;
  return text;
}

std::string timesRun(int runs) {
  return runs > 1 ? "（" + std::to_string(runs) + " 回）" : std::string();
}

}  // namespace

int freeColour(const std::vector<int>& taken) {
  for (int colour = 0; colour < int(kColours.size()); ++colour)
    if (std::find(taken.begin(), taken.end(), colour) == taken.end()) return colour;
  return 0;
}

std::string differences(const LegendRun& earlier, const LegendRun& current) {
  return described(earlier, differing({&earlier, &current}));
}

std::vector<std::string> legendTexts(const std::vector<const LegendRun*>& earlier,
                                     const LegendRun& current, bool currentShown) {
  std::vector<const LegendRun*> shown;
  if (currentShown) shown.push_back(&current);
  shown.insert(shown.end(), earlier.begin(), earlier.end());
  // Every line names the same parameters: those in which the shown runs
  // differ, each run with its own values.
  const Differing d = differing(shown);
  std::vector<std::string> lines;
  if (currentShown) lines.push_back("今回: " + described(current, d) + timesRun(current.runs));
  for (const LegendRun* run : earlier) lines.push_back(described(*run, d) + timesRun(run->runs));
  return lines;
}

}  // namespace tarvex::earlier
