#include "ParameterFileActions.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Controls.h"
#include "FormControls.h"
#include "ParameterFile.h"
#include "QtText.h"
#include "WindowLanguage.h"

namespace tarvex {
namespace {

// The file a typed name stands for, as UTF-8 text.
struct ChosenFile {
  std::string name;
  std::filesystem::path path() const {
    // std::filesystem turns UTF-8 into the platform's own form of a file
    // name (UTF-16 on Windows), so any name the user can type is kept.
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
  }
};

// Shows the input box; nothing when the user cancels it.
std::optional<ChosenFile> askFileName(QWidget* parent, const QString& title,
                                      const QString& prompt) {
  bool accepted = false;
  const QString typed = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal,
                                              QStringLiteral("PARAM1"), &accepted);
  if (!accepted) return std::nullopt;
  return ChosenFile{parameterFileName(typed.toStdString())};
}

// The label beside a parameter field, without its closing colon.
QString fieldCaption(TextBox box) {
  const std::optional<Parameter> parameter = parameterIn(box);
  if (!parameter) return {};
  QString caption = window::fromUtf8(fieldOf(*parameter).caption);
  if (caption.endsWith(QStringLiteral("："))) caption.chop(1);
  return caption;
}

void showSaveFailure(QWidget* parent, const ChosenFile& file, const SaveResult& result) {
  QString title;
  QString text;
  if (result.status == SaveStatus::TextHasQuote) {
    title = QStringLiteral("パラメータの保存");
    text = QStringLiteral(
               "「%1」に \" が含まれているため、パラメータを保存できません。\n"
               "\" を取り除いてから、もう一度保存してください。")
               .arg(fieldCaption(result.field));
  } else if (result.status == SaveStatus::NotRegularFile) {
    title = QStringLiteral("ファイル保存エラー");
    text = QStringLiteral("「%1」は通常のファイルではないため保存できません。\n（%2）")
               .arg(QString::fromStdString(file.name), QString::fromStdString(result.fileKind));
  } else {
    title = QStringLiteral("ファイル保存エラー");
    text =
        QStringLiteral("パラメータファイル「%1」を保存できませんでした。\n（%2）")
            .arg(QString::fromStdString(file.name), QString::fromLocal8Bit(result.error.message()));
  }
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
  box.exec();
}

// What went wrong, naming the file; every control is as it was.
QString loadFailureMessage(const ChosenFile& file, const LoadResult& result) {
  const QString name = QString::fromStdString(file.name);
  QString text;
  switch (result.failure) {
    case LoadFailure::None:
      return {};
    case LoadFailure::NotFound:
      text = QStringLiteral("指定のファイル「%1」が見つかりません。").arg(name);
      break;
    case LoadFailure::NotRegularFile:
      text = QStringLiteral("「%1」は通常のファイルではないため読み出せません。\n（%2）")
                 .arg(name, window::fileKindText(result.fileKind));
      break;
    case LoadFailure::NotReadable:
      text = QStringLiteral("ファイル「%1」を読み出せません。\n（%2）")
                 .arg(name, QString::fromLocal8Bit(result.error.message()));
      break;
    case LoadFailure::NotParameterFile: {
      const QString field = QStringLiteral("%1 行目の項目 %2（%3）")
                                .arg(result.line)
                                .arg(result.field)
                                .arg(window::fromUtf8(fileFieldCaption(result.field - 1)));
      text = QStringLiteral("「%1」はパラメータ ファイルではありません。\n").arg(name);
      if (!result.found)
        text += field + QStringLiteral(
                            "を読み終える前にファイルが終わっています"
                            "（パラメータ ファイルは 17 項目です）。");
      else
        text += field + QStringLiteral("が「%1」です。ここには 0、1、2 のいずれかが入ります。")
                            .arg(QString::fromLocal8Bit(shortened(*result.found)));
      break;
    }
  }
  return text + QStringLiteral("\n\n入力欄とチェック ボックスは変更していません。");
}

// An existing file is replaced only when the user says so, as the graph's
// and the CSV's saves ask; No and Escape keep it.
bool replacingAllowed(QWidget* parent, const ChosenFile& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file.path(), ec)) return true;
  QMessageBox box(QMessageBox::Warning, QStringLiteral("パラメータの保存"),
                  QStringLiteral("%1 は既に存在します。\n置き換えますか?")
                      .arg(QString::fromStdString(file.name)),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

void saveParametersInteractively(QWidget* parent, FormControls& form) {
  const auto file = askFileName(
      parent, QStringLiteral("パラメータの保存"),
      QStringLiteral(
          "パラメータを保存するファイル名を入力してください。（拡張子.prm は入力不要）"));
  if (!file) return;
  if (!replacingAllowed(parent, *file)) return;
  const SaveResult result = saveParameterFile(file->path(), form);
  if (!result.ok()) showSaveFailure(parent, *file, result);
}

void loadParametersInteractively(QWidget* parent, FormControls& form) {
  const auto file = askFileName(
      parent, QStringLiteral("パラメータの読み出し"),
      QStringLiteral(
          "パラメータを読み出すファイル名を入力してください。（拡張子.prm は入力不要）"));
  if (!file) return;
  const LoadResult result = loadParameterFile(file->path(), form);
  if (result.ok()) return;
  QMessageBox box(QMessageBox::NoIcon, window::fromUtf8(kLoadFailedTitle),
                  loadFailureMessage(*file, result), QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace tarvex
