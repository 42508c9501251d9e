#include "RunFailureMessage.h"

#include "FormLayout.h"

namespace tarvex::window {
namespace {

QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString errorText(RunError error) {
  switch (error) {
    case RunError::Overflow:
      return QStringLiteral("オーバーフローしました。");
    case RunError::TypeMismatch:
      return QStringLiteral("型が一致しません。");
    case RunError::DivisionByZero:
      return QStringLiteral("0 で除算しました。");
    case RunError::File:
      return QStringLiteral("ファイル エラーが発生しました。");
  }
  return QStringLiteral("実行時エラーが発生しました。");
}

// 「レンジ：」(Text1)
QString fieldName(ParamField field) {
  const ParamFieldInfo& info = paramInfo(field);
  return QStringLiteral("「%1」(Text%2)")
      .arg(fromUtf8(info.caption))
      .arg(static_cast<int>(info.control));
}

bool isConversion(const RunFailure& failure) {
  return failure.where.rfind("conversion", 0) == 0;
}

QString whereText(const RunOutcome& outcome, const RunFailure& f) {
  const QString step = fromUtf8(f.where);
  if (f.error == RunError::File)
    return QStringLiteral("データ ログ DATA_LOG.txt を書き込めません。\n(%1)").arg(step);
  if (f.error == RunError::DivisionByZero)
    return QStringLiteral("%1 と %2 のどちらかが 0 です。")
        .arg(fieldName(ParamField::SpeedDisplayMax), fieldName(ParamField::Range));
  if (f.field && isConversion(f)) {
    if (f.error == RunError::TypeMismatch)
      return QStringLiteral("%1 の内容が数値ではありません。").arg(fieldName(*f.field));
    return QStringLiteral("%1 の値が範囲を超えています。").arg(fieldName(*f.field));
  }
  if (f.field)
    return QStringLiteral("%1 の値から求めた %2 が範囲を超えています。")
        .arg(fieldName(*f.field), step);
  return QStringLiteral("演算中の %1 で値が範囲を超えました (経過 %2 ティック、出力パルス %3)。")
      .arg(step)
      .arg(outcome.ticks)
      .arg(outcome.pulses);
}

}  // namespace

QString runFailureMessage(const RunOutcome& outcome) {
  if (!outcome.failed() || !outcome.failure) return {};
  const RunFailure& f = *outcome.failure;
  return errorText(f.error) + QStringLiteral("\n\n") + whereText(outcome, f);
}

QString runFailureTitle() {
  return fromUtf8(kForm1Caption);
}

}  // namespace tarvex::window
