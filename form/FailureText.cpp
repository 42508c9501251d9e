#include "FailureText.h"

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

// 「レンジ：」(Text1)
std::string japaneseField(Parameter p) {
  const ParameterField& field = fieldOf(p);
  return "「" + std::string(field.caption) + "」(" + controlName(field.control) + ")";
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

std::string japaneseWhere(const RunOutcome& outcome, const RunFailure& f) {
  const std::string fields = joined(f.causes, " と ", japaneseField);
  if (f.error == RunError::File) return "データ ログを書き込めません。\n(" + f.detail + ")";
  if (f.error == RunError::DivisionByZero) return fields + " が 0 です。";
  if (!f.causes.empty() && isConversion(f)) {
    if (f.error == RunError::TypeMismatch) return fields + " の内容が数値ではありません。";
    return fields + " の値が範囲を超えています。";
  }
  if (!f.causes.empty())
    return fields + " の値から求めた " + std::string(stepName(f.step)) + " が範囲を超えています。";
  return "演算中の " + std::string(stepName(f.step)) + " で値が範囲を超えました (経過 " +
         std::to_string(outcome.ticks) + " ティック、出力パルス " + std::to_string(outcome.pulses) +
         ")。";
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

std::string describeFailureJapanese(const RunOutcome& outcome) {
  if (!outcome.failure) return {};
  const RunFailure& f = *outcome.failure;
  return japaneseError(f.error) + "\n\n" + japaneseWhere(outcome, f);
}

}  // namespace tarvex
