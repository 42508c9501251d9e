#include "WindowTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace tarvex::testing {

WorkingFolder::WorkingFolder() {
  QDir::setCurrent(dir_.path());
}

QString shown(const Form1& form, TextBox box) {
  return form.textBox(box)->text();
}

QPushButton* button(const Form1& form, int number) {
  return form.findChild<QPushButton*>(QStringLiteral("Command%1").arg(number));
}

void duringNextEvents(std::function<void()> action) {
  QTimer::singleShot(0, std::move(action));
}

MessageBoxCatcher::MessageBoxCatcher() {
  QObject::connect(&poll_, &QTimer::timeout, [this] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      texts_.append(box->text());
      box->done(QMessageBox::Ok);
    }
  });
  poll_.start(20);
}

QStringList logLines(const QString& path, bool* complete) {
  QFile file(path);
  *complete = file.open(QIODevice::ReadOnly);
  const QByteArray data = file.readAll();
  *complete = *complete && (data.isEmpty() || data.endsWith("\r\n"));
  QStringList lines = QString::fromLatin1(data).split(QStringLiteral("\r\n"));
  lines.removeLast();  // after the last line end
  return lines;
}

}  // namespace tarvex::testing
