#include "WindowLanguage.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTreeView>
#include <filesystem>
#include <system_error>

#include "FailureText.h"
#include "OutputFile.h"
#include "ParameterFileMessages.h"
#include "QtText.h"
#include "WindowSettings.h"

namespace tarvex::window {
namespace {

// The file dialog's dates, as the system's own file lists write them.
const QString kDateFormat = QStringLiteral("yyyy/MM/dd HH:mm");

QLocale japanese() {
  return QLocale(QLocale::Japanese, QLocale::Japan);
}

// The file dialog's list with its headings, kinds of file and dates in
// Japanese: Qt names a folder "Folder" and writes the dates in the system's
// locale whatever the translation.
class JapaneseFileList final : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    static const char* const kHeadings[] = {"名前", "サイズ", "種類", "更新日時"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
      return QString::fromUtf8(kHeadings[section]);
    return QIdentityProxyModel::headerData(section, orientation, role);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return QIdentityProxyModel::data(index, role);
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr) return QIdentityProxyModel::data(index, role);
    const QFileInfo info = files->fileInfo(mapToSource(index));
    switch (index.column()) {
      case 2:
        if (info.isDir()) return QStringLiteral("フォルダー");
        return info.suffix().isEmpty() ? QStringLiteral("ファイル")
                                       : QStringLiteral("%1 ファイル").arg(info.suffix());
      case 3:
        return japanese().toString(info.lastModified(), kDateFormat);
      default:
        return QIdentityProxyModel::data(index, role);
    }
  }
};

}  // namespace

bool installJapaneseDialogs(QCoreApplication& app) {
  const QLocale system = QLocale::system();
  const QLocale locale = system.language() == QLocale::Japanese ? system : japanese();
  auto* translator = new QTranslator(&app);
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

QString askFileToSave(QWidget* parent, const QString& title, const QString& name,
                      const QString& filter) {
  QString folder = WindowSettings::text(Setting::LastFolder);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::currentPath();
  QFileDialog dialog(parent, title, QDir(folder).filePath(name), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setLocale(japanese());
  dialog.setProxyModel(new JapaneseFileList(&dialog));
  // The list's date column at least as wide as a whole date and time: Qt
  // sizes it for its own shorter dates, or as it was left last time.
  if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    const QString widest =
        japanese().toString(QDateTime(QDate(2000, 12, 31), QTime(23, 59)), kDateFormat);
    const int whole = list->fontMetrics().horizontalAdvance(widest) + 16;
    if (list->header()->sectionSize(3) < whole) list->header()->resizeSection(3, whole);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString chosen = dialog.selectedFiles().constFirst();
  WindowSettings::setValue(Setting::LastFolder, QFileInfo(chosen).absolutePath());
  return chosen;
}

QString whyNotSaved(const QString& name) {
  namespace fs = std::filesystem;
  const fs::path path = toPath(name);
  const QString shown = QDir::toNativeSeparators(name);
  std::error_code error;
  const fs::file_type type = fs::status(path, error).type();
  if (type != fs::file_type::regular && type != fs::file_type::not_found &&
      type != fs::file_type::none)
    return QStringLiteral("「%1」は通常のファイルではありません（%2）。")
        .arg(shown, fromUtf8(fileKindJapanese(fileKindText(type))));
  if (path.has_parent_path() && !fs::is_directory(path.parent_path(), error))
    return QStringLiteral("保存先のフォルダー「%1」がありません。")
        .arg(QDir::toNativeSeparators(QFileInfo(name).path()));
  return QStringLiteral(
             "「%1」に書き込めませんでした。書き込みの権限とディスクの空き容量を"
             "確認してください。")
      .arg(shown);
}

QString brokenBetweenPhrases(const QString& text, const QFontMetrics& metrics, int width) {
  static const QString kPhraseEnds = QStringLiteral("。、）：) ");
  QStringList lines;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    QString line;
    qsizetype start = 0;
    for (qsizetype i = 0; i < paragraph.size(); ++i) {
      if (!kPhraseEnds.contains(paragraph[i]) && i + 1 < paragraph.size()) continue;
      const QString phrase = paragraph.mid(start, i + 1 - start);
      start = i + 1;
      // A phrase of closing marks alone never begins a line.
      const bool closing = kPhraseEnds.contains(phrase.front()) && phrase.front() != u' ';
      if (!line.isEmpty() && !closing && metrics.horizontalAdvance(line + phrase) > width) {
        lines << line;
        line.clear();
      }
      line += phrase;
    }
    lines << line;
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace tarvex::window
