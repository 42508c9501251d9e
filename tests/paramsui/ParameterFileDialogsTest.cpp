// Save and Load as the user meets them: the input boxes, the files in the
// working directory and the message boxes.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>

#include "ParameterFile.h"
#include "ParameterFileActions.h"
#include "ParamsTestSupport.h"

using namespace tarvex;

namespace {

const QString kSaveTitle = QStringLiteral("パラメータの保存");
const QString kLoadTitle = QStringLiteral("パラメータの読み出し");

// Answers the modal dialogs an action opens, one handler per expected dialog
// in order. A dialog nobody expects, or one a handler leaves open, is noted
// and closed, so a fault fails the test instead of leaving it waiting.
class DialogScript : public QObject {
 public:
  using Handler = std::function<void(QDialog*)>;

  explicit DialogScript(std::initializer_list<Handler> handlers) : pending_(handlers) {
    connect(&timer_, &QTimer::timeout, this, &DialogScript::poll);
    timer_.start(10);
  }

  // Stops answering. Empty when every expected dialog came and nothing else
  // did.
  QString finish() {
    timer_.stop();
    return problems_ + (pending_.empty() ? QString() : QStringLiteral(" expected dialog missing;"));
  }

 private:
  void poll() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || dialog == answered_) return;
    answered_ = dialog;
    if (pending_.empty()) {
      problems_ += QStringLiteral(" unexpected dialog \"%1\";").arg(dialog->windowTitle());
    } else {
      const Handler handler = pending_.front();
      pending_.pop_front();
      handler(dialog);
    }
    if (dialog->isVisible()) dialog->reject();
  }

  std::deque<Handler> pending_;
  QTimer timer_;
  QPointer<QDialog> answered_;
  QString problems_;
};

#define VERIFY_DIALOGS(script)                          \
  do {                                                  \
    const QString problems = (script).finish();         \
    QVERIFY2(problems.isEmpty(), qPrintable(problems)); \
  } while (false)

DialogScript::Handler answer(const QString& typed) {
  return [typed](QDialog* dialog) {
    auto* input = qobject_cast<QInputDialog*>(dialog);
    QVERIFY(input != nullptr);
    input->setTextValue(typed);
    input->accept();
  };
}

DialogScript::Handler cancel() {
  return [](QDialog* dialog) {
    QVERIFY(qobject_cast<QInputDialog*>(dialog) != nullptr);
    dialog->reject();
  };
}

// A message box with one OK button, which the handler clicks.
DialogScript::Handler message(const QString& title, QMessageBox::Icon icon,
                              std::function<bool(const QString&)> textIsRight) {
  return [=](QDialog* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    QVERIFY(box != nullptr);
    QCOMPARE(box->windowTitle(), title);
    QVERIFY2(textIsRight(box->text()), qPrintable(box->text()));
    QCOMPARE(box->icon(), icon);
    QCOMPARE(box->buttons().size(), 1);
    QVERIFY(box->button(QMessageBox::Ok) != nullptr);
    box->button(QMessageBox::Ok)->click();
  };
}

}  // namespace

class ParameterFileDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(QDir::setCurrent(dir_->path()));
    form_ = test::startupForm();
  }
  void cleanup() {
    QDir::setCurrent(QDir::tempPath());
    dir_.reset();
  }

  void inputBoxesShowPromptTitleAndDefault() {
    const auto expectInput = [](const QString& title, const QString& prompt) {
      return [=](QDialog* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        QVERIFY(input != nullptr);
        QCOMPARE(input->windowTitle(), title);
        QCOMPARE(input->labelText(), prompt);
        QCOMPARE(input->textValue(), QStringLiteral("PARAM1"));
        input->accept();
      };
    };
    DialogScript saving{expectInput(
        kSaveTitle,
        QStringLiteral(
            "パラメータを保存するファイル名を入力してください。（拡張子.prm は入力不要）"))};
    saveParametersInteractively(&window_, form_);
    VERIFY_DIALOGS(saving);
    QCOMPARE(test::readBytes("PARAM1.prm"), test::kStartupFile);

    form_.setText(TextBox::Text1, "changed");
    DialogScript loading{expectInput(
        kLoadTitle,
        QStringLiteral(
            "パラメータを読み出すファイル名を入力してください。（拡張子.prm は入力不要）"))};
    loadParametersInteractively(&window_, form_);
    VERIFY_DIALOGS(loading);
    QCOMPARE(form_.text(TextBox::Text1), std::string("800000"));
  }

  void typedNameGetsExtension_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("file");
    QTest::newRow("empty") << QString() << QStringLiteral(".prm");
    QTest::newRow("extension typed") << QStringLiteral("a.prm") << QStringLiteral("a.prm.prm");
    QTest::newRow("Japanese") << QStringLiteral("設定 1") << QStringLiteral("設定 1.prm");
  }
  void typedNameGetsExtension() {
    QFETCH(QString, typed);
    QFETCH(QString, file);
    DialogScript saving{answer(typed)};
    saveParametersInteractively(&window_, form_);
    VERIFY_DIALOGS(saving);
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden), QStringList{file});
  }

  void cancelDoesNothing() {
    const test::FormState before = test::stateOf(form_);
    DialogScript script{cancel(), cancel()};  // and no message box after either
    loadParametersInteractively(&window_, form_);
    saveParametersInteractively(&window_, form_);
    VERIFY_DIALOGS(script);
    QVERIFY(QDir::current().isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QVERIFY(test::stateOf(form_) == before);
  }

  void failedLoadShowsTheOneMessage_data() {
    QTest::addColumn<QByteArray>("content");  // empty: no file
    QTest::newRow("missing file") << QByteArray();
    QTest::newRow("16 fields") << QByteArray(
        "\"1\",\"1\",\"1\",\"1\",\"1\",\"1\",\"1\",\"1\",\"1\"\r\n\"1\",\"1\",1,0,1,0,0\r\n");
  }
  void failedLoadShowsTheOneMessage() {
    QFETCH(QByteArray, content);
    if (!content.isEmpty()) test::writeBytes("PARAM1.prm", content.toStdString());
    DialogScript script{answer(QStringLiteral("PARAM1")),
                        message(QStringLiteral("ファイル読み出しエラー"), QMessageBox::NoIcon,
                                [](const QString& text) {
                                  return text == QStringLiteral("指定のファイルが見つかりません");
                                })};
    loadParametersInteractively(&window_, form_);
    VERIFY_DIALOGS(script);
  }

  void failedSaveExplainsAndWritesNothing_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("text2");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("quote") << QStringLiteral("PARAM1") << QByteArray("8\"000") << kSaveTitle
                           << QStringLiteral("「加速度」");
    QTest::newRow("missing folder")
        << QStringLiteral("none/x") << QByteArray("8000") << QStringLiteral("ファイル保存エラー")
        << QStringLiteral("none/x.prm");
  }
  void failedSaveExplainsAndWritesNothing() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, text2);
    QFETCH(QString, title);
    QFETCH(QString, mentions);
    form_.setText(TextBox::Text2, text2.toStdString());
    DialogScript script{answer(typed),
                        message(title, QMessageBox::Warning,
                                [=](const QString& text) { return text.contains(mentions); })};
    saveParametersInteractively(&window_, form_);
    VERIFY_DIALOGS(script);
    QVERIFY(QDir::current().isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  QWidget window_;
  FormModel form_;
};

QTEST_MAIN(ParameterFileDialogsTest)
#include "ParameterFileDialogsTest.moc"
