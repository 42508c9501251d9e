#include "WindowLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tarvex::window {

bool installJapaneseDialogs(QCoreApplication& app) {
  const QLocale system = QLocale::system();
  const QLocale locale =
      system.language() == QLocale::Japanese ? system : QLocale(QLocale::Japanese, QLocale::Japan);
  auto* translator = new QTranslator(&app);
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace tarvex::window
