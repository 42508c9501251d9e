// What the window's tests share: a freshly opened window working in a folder
// of its own, its controls by name, and answers to the dialogs it opens.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "Form1.h"
#include "TestSupport.h"

namespace tarvex::test {

// Output pulses enough that a run goes on until it is stopped.
inline const char* const kEndless = "2000000000";

class WindowTest : public QObject {
  Q_OBJECT

 protected:
  template <class Widget = QWidget>
  Widget* control(const QString& name) const {
    return form->findChild<Widget*>(name);
  }
  QString shown(const QString& textBox) const { return control<QLineEdit>(textBox)->text(); }
  void click(const QString& name) const { QTest::mouseClick(control(name), Qt::LeftButton); }
  QString file(const char* name) const { return QString::fromStdString(dir->file(name).string()); }

  // Does action and answers every dialog or menu it opens: an input box with
  // typed (a null text cancels it), a menu with key, a file dialog with path;
  // a dialog's button named "copy" is clicked; message boxes are closed.
  // Returns each input box as "title|prompt|default", each message box as
  // "title|text", each menu as "menu".
  QStringList answering(const std::function<void()>& action, const QString& typed = {},
                        Qt::Key key = Qt::Key_Escape, const QString& path = {}) const {
    QStringList seen;
    QPointer<QWidget> last;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* w = QApplication::activePopupWidget();
      if (w == nullptr) w = QApplication::activeModalWidget();
      if (w == nullptr || w == last) return;
      last = w;
      if (auto* box = qobject_cast<QMessageBox*>(w)) seen << box->windowTitle() + "|" + box->text();
      if (auto* menu = qobject_cast<QMenu*>(w)) seen << "menu", QTest::keyClick(menu, key);
      if (auto* files = qobject_cast<QFileDialog*>(w))
        files->findChild<QLineEdit*>("fileNameEdit")->setText(path),
            static_cast<QDialog*>(files)->accept();
      if (auto* input = qobject_cast<QInputDialog*>(w)) {
        seen << input->windowTitle() + "|" + input->labelText() + "|" + input->textValue();
        input->setTextValue(typed);
        typed.isNull() ? input->reject() : input->accept();
      }
      if (auto* copy = w->findChild<QPushButton*>("copy")) copy->click();
      if (last != nullptr && last->isVisible()) last->close();
    });
    poll.start(10);
    action();
    return seen;
  }

  std::unique_ptr<TempDir> dir;
  std::unique_ptr<Form1> form;

 private slots:
  void init() {
    dir = std::make_unique<TempDir>();
    std::filesystem::current_path(dir->path());
    form = std::make_unique<Form1>();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
  }
  void cleanup() {
    form.reset();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    dir.reset();
  }
};

}  // namespace tarvex::test
