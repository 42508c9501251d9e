#include "FailureText.h"

#include <cerrno>
#include <filesystem>

#include "OutputFile.h"

#include "Controls.h"

namespace tarvex {
namespace {

bool isConversion(const RunFailure& f) {
  return f.step == Step::ConvertParameter;
}

// レンジ： (Text1, range)
std::string englishField(Parameter p) {
  const ParameterField& field = fieldOf(p);
  return std::string(field.caption) + " (" + controlName(field.control) + ", " +
         std::string(parameterName(p)) + ")";
}

std::string englishError(RunError error) {
  switch (error) {
    case RunError::Overflow:
      return "Overflow";
    case RunError::TypeMismatch:
      return "Type mismatch";
    case RunError::DivisionByZero:
      return "Division by zero";
    case RunError::File:
      return "File error";
  }
  return "Runtime error";
}

// The causes joined: "A", "A and B" (English) or "A と B" (Japanese).
template <class Name>
std::string joined(const std::vector<Parameter>& causes, const char* conjunction, Name name) {
  std::string text;
  for (std::size_t i = 0; i < causes.size(); ++i) {
    if (i > 0) text += conjunction;
    text += name(causes[i]);
  }
  return text;
}

// The caption as the window shows it, without its closing colon: 加増加率.
std::string caption(Parameter p) {
  std::string text(fieldOf(p).caption);
  constexpr std::string_view colon = "：";
  if (text.ends_with(colon)) text.resize(text.size() - colon.size());
  return text;
}

// 「加増加率」
std::string quotedCaption(Parameter p) {
  return "「" + caption(p) + "」";
}

std::string japaneseError(RunError error) {
  switch (error) {
    case RunError::Overflow:
      return "オーバーフローしました。";
    case RunError::TypeMismatch:
      return "型が一致しません。";
    case RunError::DivisionByZero:
      return "0 で除算しました。";
    case RunError::File:
      return "ファイル エラーが発生しました。";
  }
  return "実行時エラーが発生しました。";
}

// What a field accepts, by the width it is converted to.
std::string acceptedRange(Parameter p) {
  switch (p) {
    case Parameter::InitialSpeed:
    case Parameter::DriveSpeed:
      return "-32768 ～ 32767 の整数";
    case Parameter::TimeDisplayMax:
    case Parameter::SpeedDisplayMax:
      return "数値";
    default:
      return "-2147483648 ～ 2147483647 の整数";
  }
}

// Characters typed with the input method left in full-width mode (digits,
// signs, point, comma, blank), or a thousands separator.
bool hasFullWidthOrSeparator(std::string_view text) {
  for (std::string_view mark : {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９", "，",
                                "．", "－", "＋", "　", "、", "。", ","})
    if (text.find(mark) != std::string_view::npos) return true;
  return false;
}

std::string conversionAdvice(const RunFailure& f, Parameter p, const std::string& typed) {
  const std::string field = quotedCaption(p);
  if (f.error == RunError::TypeMismatch) {
    if (typed.find_first_not_of(" \t") == std::string::npos)
      return field + "が空欄です。" + acceptedRange(p) + "を入力してください。";
    std::string text = field + "に入力された「" + typed + "」は数値として読めません。";
    if (hasFullWidthOrSeparator(typed))
      text += "\n全角文字や桁区切りの「,」は使えません。半角数字で入力してください（例: 1000）。";
    else
      text += "\n" + acceptedRange(p) + "を半角数字で入力してください。";
    return text;
  }
  return field + "の値「" + typed + "」が大きすぎるか小さすぎます。\n" + acceptedRange(p) +
         "を入力してください。";
}

// A set-up step or a display scale that fails on one field's value.
std::string derivedAdvice(const RunFailure& f, const RunParameters& typed) {
  const Parameter p = f.causes.front();
  const std::string value = quotedCaption(p) + "の値「" + typed[p] + "」";
  switch (f.step) {
    case Step::JerkCounterFromJerkAccel:
    case Step::JerkCounterFromJerkDecel:
      return value + "が大きすぎます。\n2147483646 以下にしてください。";
    case Step::DecelPointFromAccelOffset:
      return value + "が小さすぎます。\n-2147483647 以上にしてください。";
    case Step::PlotPeriod:
      return value + "ではグラフの横軸を刻めません。絶対値を 2681000 秒ほど以下にしてください。";
    case Step::SpeedScale:
    case Step::PlotY:
      return value + "ではグラフの縦軸を刻めません（0 に近すぎるか、大きすぎます）。\n" +
             "グラフに収めたい速度 (pps) を入力してください。";
    case Step::AccelCounterFromAcceleration:
    case Step::AccelCounterFromDeceleration:
      return value + "は直線加減速には大きすぎるか小さすぎます。\n-32768 ～ 32767 にしてください。";
    default:
      return value + "が範囲を超えています。";
  }
}

// What ran out of range in the course of the run, and the fields that
// usually cause it.
struct RunQuantity {
  std::string_view what;
  std::vector<Parameter> usualCauses;
};

RunQuantity runQuantity(Step step) {
  using P = Parameter;
  switch (step) {
    case Step::TickCount:
      return {"経過ティック数（上限 2147483647 ティック、約 268 秒）",
              {P::OutputPulses, P::InitialSpeed, P::Acceleration, P::Range}};
    case Step::SpeedCounterUp:
    case Step::SpeedCounterDown:
      return {"速度カウンタ（-32768 ～ 32767）", {P::DriveSpeed, P::InitialSpeed}};
    case Step::SpeedAccumulatorDraw:
    case Step::SpeedAccumulatorFill:
    case Step::SpeedAccumulatorRefill:
    case Step::SpeedAccumulatorDrain:
      return {"速度の積算値", {P::Acceleration, P::Deceleration, P::JerkAccel, P::JerkDecel}};
    case Step::PulseAccumulatorTake:
    case Step::PulseAccumulatorReload:
      return {"パルスの積算値", {P::Range, P::InitialSpeed}};
    case Step::AccelCounterUp:
    case Step::AccelCounterDown:
      return {"加/減速度カウンタ", {P::Acceleration, P::Deceleration, P::JerkAccel, P::JerkDecel}};
    case Step::JerkCounterDown:
    case Step::JerkCounterUp:
      return {"増加率カウンタ", {P::JerkAccel, P::JerkDecel}};
    case Step::JerkSpeedSteps:
      return {"Ｓ字区間の速度ステップ数", {P::JerkAccel, P::Acceleration, P::DriveSpeed}};
    case Step::DriveSpeedRoom:
    case Step::InitialSpeedRoom:
      return {"ドライブ速度・初速度と現在の速度との差", {P::DriveSpeed, P::InitialSpeed}};
    case Step::AccelPulseCount:
    case Step::DecelPointCount:
      return {"加速パルス数", {P::AccelOffset, P::OutputPulses}};
    case Step::DecelRatioIn:
    case Step::DecelRatioOut:
      return {"非対称減速の減速点の見積もり", {P::Acceleration, P::Deceleration}};
    case Step::TriangleEstimateBy11:
    case Step::TriangleEstimateBy3:
    case Step::LinearTriangleSum:
    case Step::LinearTriangleDouble:
      return {"三角防止の見積もり", {P::OutputPulses, P::AccelOffset}};
    case Step::DragPulseCount:
      return {"引きずりパルス数", {P::OutputPulses, P::InitialSpeed}};
    case Step::LogSampleNumber:
    case Step::LogRecordCount:
      return {"データ記録の行番号", {P::OutputPulses}};
    default:
      return {"演算中の値", {}};
  }
}

std::string runAdvice(const RunOutcome& outcome, const RunFailure& f) {
  const RunQuantity q = runQuantity(f.step);
  std::string text = "演算の途中（経過 " + std::to_string(outcome.ticks) +
                     " ティック、出力パルス " + std::to_string(outcome.pulses) + "）で、" +
                     std::string(q.what) + "が範囲を超えました。";
  if (!q.usualCauses.empty())
    text += "\n" + joined(q.usualCauses, "・", quotedCaption) + "の値を見直してください。";
  return text;
}

}  // namespace

std::string describeFailure(const RunOutcome& outcome) {
  if (!outcome.failure) return {};
  const RunFailure& f = *outcome.failure;
  std::string text = englishError(f.error);
  if (f.error == RunError::File) return text + ": " + f.detail;
  if (f.causes.empty())
    return text + " at " + std::string(stepName(f.step)) + " after " +
           std::to_string(outcome.ticks) + " ticks";
  text += f.causes.size() == 1 ? " in the field " : " in the fields ";
  text += joined(f.causes, " and ", englishField);
  if (!isConversion(f)) return text + " at " + std::string(stepName(f.step));
  if (f.error == RunError::TypeMismatch) return text + ": the text is not a number";
  return text + ": the number is out of range";
}

std::string describeFailure(const RunOutcome& outcome, const RunParameters& typed) {
  const std::string text = describeFailure(outcome);
  if (!outcome.failure || !isConversion(*outcome.failure) || outcome.failure->causes.empty())
    return text;
  return text + ": '" + typed[outcome.failure->causes.front()] + "'";
}

std::string fileKindJapanese(std::string_view kind) {
  if (kind == "a directory") return "フォルダー";
  if (kind == "a named pipe") return "名前付きパイプ";
  if (kind == "a device") return "デバイス";
  if (kind == "a socket") return "ソケット";
  return "通常のファイル以外";
}

std::string fileErrorReasonJapanese(int error) {
  namespace fs = std::filesystem;
  const auto notRegular = [](fs::file_type type) {
    return "通常のファイルではありません（" + fileKindJapanese(fileKindText(type)) + "）";
  };
  switch (error) {
    case kNotRegularNamedPipe:
      return notRegular(fs::file_type::fifo);
    case kNotRegularDevice:
      return notRegular(fs::file_type::character);
    case kNotRegularSocket:
      return notRegular(fs::file_type::socket);
    case kNotRegularOther:
      return "通常のファイルではありません";
    case kPipeNotAvailableHere:
      return "名前付きパイプはここでは使えません";
    case EBUSY:
      return "ほかの演算かプログラムが書き込んでいます";
    case ENXIO:
      return "名前付きパイプを読み出すプログラムがありません";
    case EINTR:
    case EAGAIN:
      return "読み出す側を待つ間に停止されました";
    case EACCES:
    case EPERM:
      return "アクセスの権限がありません";
    case EROFS:
      return "読み取り専用の場所です";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return "ディスクの空き容量が足りません";
    case EFBIG:
      return "ファイルが大きすぎます";
    case ENOENT:
    case ENOTDIR:
      return "そのフォルダーがありません";
    case EISDIR:
      return "同じ名前のフォルダーがあります";
    default:
      return "システムのエラーです: " + fileErrorReason(error);
  }
}

std::string fileErrorReasonJapanese(const std::error_code& error) {
  const std::error_condition condition = error.default_error_condition();
  if (condition.category() == std::generic_category())
    return fileErrorReasonJapanese(condition.value());
  return "システムのエラーです: " + error.message();
}

std::string describeFailureJapanese(const RunOutcome& outcome, const RunParameters& typed) {
  if (!outcome.failure) return {};
  const RunFailure& f = *outcome.failure;
  std::string advice;
  if (f.error == RunError::File)
    advice = "データ ログ「" + f.file + "」を書き込めません（" +
             fileErrorReasonJapanese(f.fileError) +
             "）。\nその原因を取り除いてから、もう一度演算を開始してください。";
  else if (f.error == RunError::DivisionByZero)
    advice = joined(f.causes, "と", quotedCaption) + "が 0 です。0 以外の値を入力してください。";
  else if (!f.causes.empty() && isConversion(f))
    advice = conversionAdvice(f, f.causes.front(), typed[f.causes.front()]);
  else if (!f.causes.empty())
    advice = derivedAdvice(f, typed);
  else
    advice = runAdvice(outcome, f);
  return japaneseError(f.error) + "\n\n" + advice;
}

std::string failureDetailJapanese(const RunOutcome& outcome) {
  if (!outcome.failure) return {};
  std::string fields;
  for (const Parameter p : outcome.failure->causes)
    fields += controlName(fieldOf(p).control) + " " + std::string(parameterName(p)) + "、";
  return "演算ステップ: " + std::string(stepName(outcome.failure->step)) + "（" + fields + "経過 " +
         std::to_string(outcome.ticks) + " ティック、出力パルス " + std::to_string(outcome.pulses) +
         "）";
}

std::optional<TextBox> fieldToCorrect(const RunOutcome& outcome) {
  if (!outcome.failure || outcome.failure->causes.empty()) return std::nullopt;
  return fieldOf(outcome.failure->causes.front()).control;
}

}  // namespace tarvex
