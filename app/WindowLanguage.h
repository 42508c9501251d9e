// Qt's own dialogs and buttons (OK, Cancel, the file dialog's words) in
// Japanese, like the window's own texts.
#pragma once

class QCoreApplication;

namespace tarvex::window {

// Loads Qt's translations for the system's locale where it is Japanese, else
// for Japanese, from Qt's translations folder. False when none is installed:
// those dialogs then keep Qt's English.
bool installJapaneseDialogs(QCoreApplication& app);

}  // namespace tarvex::window
