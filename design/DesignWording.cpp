#include "DesignWording.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Controls.h"
#include "Conversions.h"
#include "FieldMeaning.h"
#include "Units.h"

namespace tarvex::design::wording {
namespace {

// The hint's first words: the unit ("s" of "s（開始から…）").
std::string unitOf(Target target) {
  const std::string hint = hintOf(target);
  return hint.substr(0, hint.find("（"));
}

// A target's number as the outputs print it: never with an exponent.
std::string number(double value) {
  return numberText(value);
}

// A figure measured from a run, to seven significant digits.
std::string measured(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", value);
  return number(std::strtod(text, nullptr));
}

std::string limit(double value, bool roundUp) {
  return limitText(value, roundUp);
}

// "加速時間 0.17 s"
std::string stated(const MoveTargets& t, Target target) {
  const std::string value = captionOf(target) + " " + number(targetValue(t, target));
  return target == Target::SCurve || target == Target::Range ? value : value + " " + unitOf(target);
}

std::string problemText(Target target, TargetProblem problem) {
  const std::string name = "「" + captionOf(target) + "」";
  switch (problem) {
    case TargetProblem::NotWhole:
      return name + "は 1 以上の整数で入力してください。";
    case TargetProblem::NotPositive:
      return name + "は 0 より大きい値で入力してください。";
    case TargetProblem::OutsideShare:
      return name + "は 0 から 1 の値で入力してください。";
    case TargetProblem::TooWide:
      return name + "は 2147483647 以下で入力してください。";
    case TargetProblem::None:
      break;
  }
  return {};
}

std::string onOff(bool on, const char* yes, const char* no) {
  return on ? yes : no;
}

}  // namespace

std::string captionOf(Target target) {
  switch (target) {
    case Target::Pulses:
      return "出力パルス数";
    case Target::Peak:
      return "ピーク速度";
    case Target::AccelTime:
      return "加速時間";
    case Target::DecelTime:
      return "減速時間";
    case Target::Start:
      return "初速度";
    case Target::SCurve:
      return "Ｓ字の割合";
    case Target::Range:
      return "レンジ";
  }
  return {};
}

std::string hintOf(Target target) {
  switch (target) {
    case Target::Pulses:
      return "パルス";
    case Target::Peak:
      return "pps";
    case Target::AccelTime:
      return "s（開始から加速を終えるまで）";
    case Target::DecelTime:
      return "s（減速開始から終了まで。\n空欄：加速時間と同じ）";
    case Target::Start:
      return "pps（空欄：自動）";
    case Target::SCurve:
      return "0：直線、0 より大きく 1 まで：Ｓ字\n（1：一定加速なし）";
    case Target::Range:
      return "（空欄：自動）";
  }
  return {};
}

std::variant<MoveTargets, TargetProblemText> readTargets(const TargetTexts& typed) {
  MoveTargets targets;
  for (const Target target : kTargetsShown) {
    const std::string& text = typed[std::size_t(target)];
    if (text.empty()) {
      if (std::find(std::begin(kRequiredTargets), std::end(kRequiredTargets), target) ==
          std::end(kRequiredTargets))
        continue;
      return TargetProblemText{"「" + captionOf(target) + "」を入力してください。", target};
    }
    const std::optional<double> value = targetNumber(text);
    if (!value)
      return TargetProblemText{
          "「" + captionOf(target) + "」の「" + text + "」は数値ではありません。", target};
    if (const TargetProblem kind = problemOf(target, *value); kind != TargetProblem::None)
      return TargetProblemText{problemText(target, kind), target};
    setTarget(targets, target, *value);
  }
  return targets;
}

TargetTexts startingTargets(const std::optional<RunFigures>& lastRun, const RunParameters& params,
                            bool sCurveChecked) {
  TargetTexts texts;
  const auto set = [&texts](Target target, std::string text) {
    texts[std::size_t(target)] = std::move(text);
  };
  if (lastRun && lastRun->range > 0) {
    set(Target::Pulses, std::to_string(lastRun->pulses));
    set(Target::Peak, measured(lastRun->peakPulsesPerSecond()));
    if (lastRun->initialSpeed > 0) set(Target::Start, measured(lastRun->startPulsesPerSecond()));
    if (const auto accel = lastRun->accelEndSeconds()) set(Target::AccelTime, measured(*accel));
    if (const auto decel = lastRun->decelSeconds()) set(Target::DecelTime, measured(*decel));
  } else {
    set(Target::Pulses, meaning::trimmed(params[Parameter::OutputPulses]));
    const Converted<std::int32_t> range = textToInt32(params[Parameter::Range]);
    const Converted<std::int16_t> drive = textToInt16(params[Parameter::DriveSpeed]);
    const Converted<std::int16_t> initial = textToInt16(params[Parameter::InitialSpeed]);
    if (range.ok() && range.value > 0) {
      if (drive.ok() && drive.value > 0)
        set(Target::Peak, measured(units::pulsesPerSecond(drive.value, range.value)));
      if (initial.ok() && initial.value > 0)
        set(Target::Start, measured(units::pulsesPerSecond(initial.value, range.value)));
    }
  }
  set(Target::SCurve, sCurveChecked ? "1" : "0");
  return texts;
}

std::string progressText(std::int64_t candidatesRun) {
  return "計算中です…候補 " + std::to_string(candidatesRun) +
         " 件を演算しました（Esc：キャンセル）";
}

std::string internalErrorText(const std::string& what) {
  return "計算できませんでした（内部エラー：" + what + "）";
}

std::string unreachableText(const MoveTargets& t, const Unreachable& u) {
  const std::string what = stated(t, u.target);
  const std::string unit = u.target == Target::Pulses  ? " パルス"
                           : u.target == Target::Range ? std::string()
                                                       : " " + unitOf(u.target);
  // A figure only where the design met it.
  const std::string instead = u.reachable <= 0.0
                                  ? "満たせる値は見つかりませんでした。"
                                  : limit(u.reachable, u.atLeast) + unit +
                                        (u.atLeast ? " 以上" : " 以下") + "にしてください。";
  // Other targets that fail on their own as well, or that the closest
  // design met has too, and their figures.
  std::string also;
  for (const AlsoReachable& other : u.also) {
    const std::string otherUnit = other.target == Target::Pulses  ? " パルス"
                                  : other.target == Target::Range ? std::string()
                                                                  : " " + unitOf(other.target);
    also += (also.empty() ? "あわせて" : "、") + captionOf(other.target) + "も " +
            number(reachableFigure(other)) + otherUnit + (other.atLeast ? " 以上" : " 以下");
  }
  if (!also.empty())
    also += u.closestMet ? "にしてください（見つかった中で最も近い、満たせる設定の値です）。"
                         : "にしてください（単独でも満たせません）。";
  // The start a ramp's time is too short from: given, or chosen.
  const std::string from =
      u.start > 0.0 ? "初速度 " + number(u.start) + " pps" + (t.start ? "" : "（自動）") + " から"
                    : std::string();
  switch (u.why) {
    case Shortfall::PeakOutOfReach:
      return what + "はこのチップの速度の範囲外です" +
             (u.atLeast ? "。" : "（1 ティックに 1 パルス）。") + instead + also;
    case Shortfall::StartNotBelowPeak:
      return what + "がピーク速度 " + number(t.peak) + " pps 以上です。" + instead + also;
    case Shortfall::StartTooLow:
      return what + "はこの条件では低すぎます。" + instead + also;
    case Shortfall::TooShort:
      return what + "は" + from + "ピーク速度 " + number(t.peak) + " pps に達するには短すぎます。" +
             instead + also;
    case Shortfall::TooLong:
      return what + "は長すぎます。" + instead + also;
    case Shortfall::RunTooLong:
      if (u.target != Target::Pulses)
        return what + "は長すぎます。ピーク速度 " + number(t.peak) +
               " pps では、どのパルス数でも三角防止が作動せずに両方の傾斜を 1 "
               "回の演算の最長時間（" +
               units::summarySeconds(2147483647) + " s）に収められません。" + instead + also;
      return what + "は 1 回の演算の最長時間（" + units::summarySeconds(2147483647) +
             " s）に収まりません。" + instead + also;
    case Shortfall::TooFewPulses: {
      std::string text = what + "では、" + number(t.accelTime) + " s で " + number(t.peak) +
                         " pps に達し " + number(t.decelTimeOrAccel()) +
                         " s で減速できません（三角防止が作動します）。";
      if (u.pulsesNeeded > 0)
        text += std::to_string(u.pulsesNeeded) + " パルス以上必要です。" + also;
      if (u.reachable > 0.0)
        text += std::to_string(t.pulses) + " パルスならピーク速度 " + limit(u.reachable, false) +
                " pps まで可能です。" + (u.pulsesNeeded > 0 ? std::string() : also);
      if (u.pulsesNeeded <= 0 && u.reachable <= 0.0) text += instead;
      return text;
    }
    case Shortfall::RangeTooSmall:
      return what + "は小さすぎます。" + instead + also;
    case Shortfall::RangeTooLarge:
      return what + "ではピーク速度の速度カウンタが 32767 を超えます。" + instead + also;
    case Shortfall::OffTarget:
      return what + "を許容範囲内で満たす設定は見つかりませんでした。最も近い結果を示します。";
  }
  return what;
}

const std::vector<std::string>& achievedHeader() {
  static const std::vector<std::string> header{"目標", "目標値", "提案の演算結果", "偏差"};
  return header;
}

const std::vector<std::string>& proposalHeader() {
  static const std::vector<std::string> header{"項目", "現在値", "提案値"};
  return header;
}

std::vector<TableRow> achievedRows(const Design& design) {
  std::vector<TableRow> rows;
  const RunFigures& run = design.achieved;
  for (const Deviation& d : design.deviations) {
    const bool seconds = d.target == Target::AccelTime || d.target == Target::DecelTime;
    const std::string achieved =
        std::isnan(d.achieved) ? "-" : units::fixedDecimals(d.achieved, seconds ? 6 : 1);
    const std::string deviation = std::isnan(d.achieved)
                                      ? "範囲外"
                                      : (d.percent() >= 0.0 ? "+" : "") +
                                            units::fixedDecimals(d.percent(), 2) + " %  " +
                                            (d.within ? "範囲内" : "範囲外");
    rows.push_back(
        {{captionOf(d.target) + " [" + unitOf(d.target) + "]",
          number(d.wanted) + (d.target == Target::Start && design.startChosen ? "（自動）" : ""),
          achieved, deviation},
         d.within ? Mark::None : Mark::Off});
  }
  const bool pulsesExact = run.pulses == design.targets.pulses;
  rows.push_back({{captionOf(Target::Pulses), std::to_string(design.targets.pulses),
                   std::to_string(run.pulses), pulsesExact ? "一致" : "範囲外"},
                  pulsesExact ? Mark::None : Mark::Off});
  rows.push_back({{"移動時間 [s]", "", units::summarySeconds(run.ticks), ""}});
  rows.push_back({{"引きずりパルス数", "", std::to_string(run.dragPulses), ""}});
  rows.push_back({{"三角防止作動", "", onOff(run.triangle, "あり", "なし"), ""}});
  return rows;
}

std::vector<TableRow> proposalRows(const Design& design, const RunParameters& now,
                                   const OptionBoxes& form) {
  std::vector<TableRow> rows;
  for (const ParameterField& field : kParameterFields) {
    const std::string& shown = now[field.parameter];
    const std::string& proposed = design.proposal.params[field.parameter];
    rows.push_back({{meaning::captionOf(field.parameter), shown, proposed},
                    meaning::trimmed(shown) != proposed ? Mark::Changed : Mark::None});
  }
  const auto boxRow = [&](std::string_view caption, CheckBox box, bool proposedOn,
                          std::string_view on, std::string_view off) {
    const bool nowOn = form.optionValue(box) == kChecked;
    rows.push_back(
        {{std::string(caption), std::string(nowOn ? on : off), std::string(proposedOn ? on : off)},
         nowOn != proposedOn ? Mark::Changed : Mark::None});
  };
  const OptionPair& symmetric = pairOf(RunOption::Symmetric);
  boxRow(pairOf(RunOption::SCurve).onCaption, pairOf(RunOption::SCurve).on, !design.proposal.linear,
         "する", "しない（直線）");
  boxRow("減速", pairOf(RunOption::AutomaticDeceleration).on, true, "自動", "マニュアル");
  boxRow(symmetric.onCaption, symmetric.on, !design.proposal.asymmetric, symmetric.onCaption,
         symmetric.offCaption);
  return rows;
}

}  // namespace tarvex::design::wording
