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
#include <QSettings>
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
  // A mouse click on `w` at `at`, through the window as the desktop sends it
  // (the right button opens a context menu only that way).
  void clickAt(QWidget* w, Qt::MouseButton button, QPoint at) const {
    QTest::mouseClick(form->windowHandle(), button, {}, w->mapTo(form.get(), at));
  }
  // The keys that open the focused control's context menu, pressed on the
  // active window: the menu key, or Shift+F10.
  void pressMenuKey(bool shiftF10) const {
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form->windowHandle(), shiftF10 ? Qt::Key_F10 : Qt::Key_Menu,
                    shiftF10 ? Qt::ShiftModifier : Qt::NoModifier);
  }
  // Calls action once, as soon as condition holds while the window handles
  // its events (during a run: at the run's yields).
  void once(const std::function<bool()>& condition, const std::function<void()>& action) {
    auto* poll = new QTimer(this);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
      if (!condition()) return;
      poll->stop();
      poll->deleteLater();
      action();
    });
    poll->start(1);
  }
  // Output pulses the readout shows during a run.
  long long pulsesShown() const { return shown("Text7").toLongLong(); }

  // Does action and answers every dialog or menu it opens: an input box with
  // typed (a null text cancels it), a menu with key, a file dialog with path;
  // a dialog's button named "copy" is clicked; a message box gets Escape, or
  // its Yes button clicked when key is Qt::Key_Y.
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
      if (auto* box = qobject_cast<QMessageBox*>(w)) {
        seen << box->windowTitle() + "|" + box->text();
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        key == Qt::Key_Y&& yes ? yes->click() : QTest::keyClick(box, Qt::Key_Escape);
      }
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
    // What the window remembers stays in the test's folder, and so does
    // what Qt's file dialog remembers (its folders, its list's columns).
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, file("settings"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, file("settings"));
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
