// Qt's own dialogs and buttons (OK, Cancel, the file dialog's words) in
// Japanese, like the window's own texts.
#pragma once

#include <string>

#include <QString>

class QFontMetrics;

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

// Why the file `name` chosen for a save of the graph or the run could not
// be written, in Japanese, told from what is there once the save has
// failed: something that is not a regular file (by its kind), a folder that
// is not there, else the advice to look at the rights and the free space.
QString whyNotSaved(const QString& name);

// `text` with its lines broken only after a phrase (after 。、）：, a blank
// or a line break of its own), as many phrases on a line as fit `width`
// pixels of `metrics`: Japanese would otherwise break between any two
// characters, in the middle of a word. A phrase wider than `width` keeps a
// line of its own.
QString brokenBetweenPhrases(const QString& text, const QFontMetrics& metrics, int width);

}  // namespace tarvex::window
