// 目標から設計 in words: the targets' captions and hints, what is wrong with
// a target as typed, the verdicts, and the rows of the two tables (the
// proposal's run against the targets, the proposal against the fields). The
// window's dialog and the page's show exactly these. Texts are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "FormControls.h"
#include "MoveSolver.h"
#include "RunFigures.h"

// In a namespace of their own, so that the window's QString forms of the
// same names stay apart.
namespace tarvex::design::wording {

inline constexpr const char* kTitle = "目標から設計";
inline constexpr const char* kTargetsGroup = "目標";

// The targets in the order the dialog shows them, and their captions
// ("ピーク速度") and hints ("pps（空欄：自動）", lines apart at "\n").
inline constexpr std::array kTargetsShown{Target::Pulses,    Target::Peak,  Target::AccelTime,
                                          Target::DecelTime, Target::Start, Target::SCurve,
                                          Target::Range};
std::string captionOf(Target target);
std::string hintOf(Target target);

// The targets as typed, by Target; each already without blanks at either
// end, full-width digits as the digits they are.
using TargetTexts = std::array<std::string, kTargetsShown.size()>;

// What is wrong with the targets as typed: the message and the target to
// correct.
struct TargetProblemText {
  std::string text;
  Target target;
};
std::variant<MoveTargets, TargetProblemText> readTargets(const TargetTexts& typed);

// The targets a dialog opens with when none were typed before: the figures
// of the last completed run if there is one, else what the fields would run
// (pulses, peak and start speeds from `params`, UTF-8); the S-curve share 1
// or 0 as Check4 stands.
TargetTexts startingTargets(const std::optional<RunFigures>& lastRun, const RunParameters& params,
                            bool sCurveChecked);

// The verdicts under the targets.
inline constexpr const char* kPrompt = "目標を入力して「計算」を押してください。";
inline constexpr const char* kEdited = "目標が変わりました。「計算」（Enter）で設計し直します。";
inline constexpr const char* kSearching = "計算中です…（Esc：キャンセル）";
inline constexpr const char* kCancelling = "キャンセルしています…";
inline constexpr const char* kCancelled = "計算をキャンセルしました。";
inline constexpr const char* kMet =
    "すべての目標を満たしています。「適用」で各欄に書き込みます（演算は「演算開始」で行います）。";
inline constexpr const char* kApplied =
    "各欄に書き込みました。「元に戻す」（Ctrl+Z）で書き込む前に戻します。";
inline constexpr const char* kUndone = "書き込む前の値に戻しました。";
std::string progressText(std::int64_t candidatesRun);
std::string internalErrorText(const std::string& what);
// Which target fails and what is reachable instead: a figure only where
// the design met it.
std::string unreachableText(const MoveTargets& targets, const Unreachable& unreachable);

// A table row, and how it stands out: an off target in red, a changed value
// in bold.
enum class Mark { None, Changed, Off };
struct TableRow {
  std::vector<std::string> cells;
  Mark mark = Mark::None;
};
const std::vector<std::string>& achievedHeader();
const std::vector<std::string>& proposalHeader();
// The proposal's run against the targets.
std::vector<TableRow> achievedRows(const Design& design);
// The proposal against what the fields hold now (`now`, UTF-8) and the
// boxes of `form`.
std::vector<TableRow> proposalRows(const Design& design, const RunParameters& now,
                                   const OptionBoxes& form);

}  // namespace tarvex::design::wording
