#include "ParameterFileMessages.h"

#include <optional>

#include "Controls.h"
#include "FailureText.h"

namespace tarvex {

std::string fieldCaptionWithoutColon(TextBox box) {
  const std::optional<Parameter> parameter = parameterIn(box);
  if (!parameter) return {};
  std::string caption(fieldOf(*parameter).caption);
  constexpr std::string_view kColon = "：";
  if (caption.ends_with(kColon)) caption.resize(caption.size() - kColon.size());
  return caption;
}

SaveFailureText saveFailureTextJapanese(std::string_view name, const SaveResult& result) {
  if (result.status == SaveStatus::TextHasQuote)
    return {"パラメータの保存", "「" + fieldCaptionWithoutColon(result.field) +
                                    "」に \" が含まれているため、パラメータを保存できません。\n"
                                    "\" を取り除いてから、もう一度保存してください。"};
  if (result.status == SaveStatus::NotRegularFile)
    return {"ファイル保存エラー", "「" + std::string(name) +
                                      "」は通常のファイルではないため保存できません。\n（" +
                                      fileKindJapanese(result.fileKind) + "）"};
  return {"ファイル保存エラー", "パラメータファイル「" + std::string(name) +
                                    "」を保存できませんでした。\n（" +
                                    fileErrorReasonJapanese(result.error) + "）"};
}

std::string loadFailureTextJapanese(std::string_view name, const LoadResult& result) {
  const std::string file(name);
  std::string text;
  switch (result.failure) {
    case LoadFailure::None:
      return {};
    case LoadFailure::NotFound:
      text = "指定のファイル「" + file + "」が見つかりません。";
      break;
    case LoadFailure::NotRegularFile:
      text = "「" + file + "」は通常のファイルではないため読み出せません。\n（" +
             fileKindJapanese(result.fileKind) + "）";
      break;
    case LoadFailure::NotReadable:
      text = "ファイル「" + file + "」を読み出せません。\n（" +
             fileErrorReasonJapanese(result.error) + "）";
      break;
    case LoadFailure::NotParameterFile: {
      const std::string field = std::to_string(result.line) + " 行目の項目 " +
                                std::to_string(result.field) + "（" +
                                fileFieldCaption(result.field - 1) + "）";
      text = "「" + file + "」はパラメータ ファイルではありません。\n";
      if (!result.found)
        text += field +
                "を読み終える前にファイルが終わっています"
                "（パラメータ ファイルは 17 項目です）。";
      else
        text += field + "が「" + shortened(*result.found) +
                "」です。ここには 0、1、2 のいずれかが入ります。";
      break;
    }
  }
  return text + "\n\n入力欄とチェック ボックスは変更していません。";
}

}  // namespace tarvex
