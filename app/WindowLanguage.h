// Qt's own dialogs and buttons (OK, Cancel, the file dialog's words) in
// Japanese, like the window's own texts.
#pragma once

#include <string>

#include <QString>

class QCoreApplication;
class QWidget;

namespace tarvex::window {

// Loads Qt's translations for the system's locale where it is Japanese, else
// for Japanese, from Qt's translations folder. False when none is installed:
// those dialogs then keep Qt's English.
bool installJapaneseDialogs(QCoreApplication& app);

// The file dialog for a file to save, `name` proposed in the folder of the
// last file saved (remembered from one start to the next); the name chosen,
// or nothing when the user cancels. Where Qt draws the dialog itself, its
// list says the kinds of file and the dates in Japanese, where Qt's
// translations have no words for them.
QString askFileToSave(QWidget* parent, const QString& title, const QString& name,
                      const QString& filter);

}  // namespace tarvex::window
