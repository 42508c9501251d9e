// Helpers shared by the window's tests.
#pragma once

#include <functional>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include "ControlWidgets.h"
#include "Form1.h"

class QPushButton;

namespace tarvex::testing {

// Makes a fresh temporary folder the working directory, where runs write
// their data log.
class WorkingFolder {
 public:
  WorkingFolder();
  QString path(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
};

QString shown(const Form1& form, TextBox box);
QPushButton* button(const Form1& form, int number);

// Calls action the next time events are handled: inside a run's yield when
// called just before Start is clicked.
void duringNextEvents(std::function<void()> action);

// While it lives, closes every modal message box that opens, keeping its text.
class MessageBoxCatcher {
 public:
  MessageBoxCatcher();
  const QStringList& texts() const { return texts_; }

 private:
  QTimer poll_;
  QStringList texts_;
};

// The data log's lines without their CR LF; complete is false when the file
// is missing or its last line has no line end.
QStringList logLines(const QString& path, bool* complete);

}  // namespace tarvex::testing
