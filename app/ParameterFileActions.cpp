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
#include "ParameterFileMessages.h"
#include "QtText.h"

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

void showSaveFailure(QWidget* parent, const ChosenFile& file, const SaveResult& result) {
  const SaveFailureText text = saveFailureTextJapanese(file.name, result);
  QMessageBox box(QMessageBox::Warning, window::fromUtf8(text.title),
                  window::fromUtf8(text.message), QMessageBox::Ok, parent);
  box.exec();
}

// What went wrong, naming the file; every control is as it was.
QString loadFailureMessage(const ChosenFile& file, const LoadResult& result) {
  return window::fromUtf8(loadFailureTextJapanese(file.name, result));
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
