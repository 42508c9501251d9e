// The option boxes: the pair interlocks on every change of a value, by a
// click or by code, the grayed value, and Check1 standing alone.
#include <QSignalSpy>
#include <QTest>

#include "WindowTestSupport.h"

using namespace tarvex;
using namespace tarvex::testing;

namespace {

// Check1 to Check7 as digits.
QString values(const Form1& form) {
  QString text;
  for (int n = 1; n <= 7; ++n) text += QString::number(form.optionValue(checkBoxNumber(n)));
  return text;
}

void click(const Form1& form, CheckBox box) {
  QTest::mouseClick(form.checkBox(box), Qt::LeftButton);
}

}  // namespace

class WindowOptions : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    form_ = std::make_unique<Form1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanup() { form_.reset(); }

  // Start-up: 0101001. Each row clicks one box; a second click restores.
  void clickFlipsThePair_data() {
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("after");
    QTest::newRow("Check1 alone") << 1 << "1101001";
    QTest::newRow("Check2 off: manual") << 2 << "0011001";
    QTest::newRow("Check3 on: manual") << 3 << "0011001";
    QTest::newRow("Check4 off: linear") << 4 << "0100101";
    QTest::newRow("Check5 on: linear") << 5 << "0100101";
    QTest::newRow("Check6 on: asymmetric") << 6 << "0101010";
    QTest::newRow("Check7 off: asymmetric") << 7 << "0101010";
  }
  void clickFlipsThePair() {
    QFETCH(int, clicked);
    QFETCH(QString, after);
    click(*form_, checkBoxNumber(clicked));
    QCOMPARE(values(*form_), after);
    click(*form_, checkBoxNumber(clicked));
    QCOMPARE(values(*form_), QStringLiteral("0101001"));
  }

  void changeByCodeRunsTheHandlerAndNoChangeRunsNone() {
    form_->setOptionValue(CheckBox::Check5, kChecked);
    QCOMPARE(values(*form_), QStringLiteral("0100101"));
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    const auto changed = &QCheckBox::checkStateChanged;
#else
    const auto changed = &QCheckBox::stateChanged;
#endif
    QSignalSpy check4(form_->checkBox(CheckBox::Check4), changed);
    QSignalSpy check5(form_->checkBox(CheckBox::Check5), changed);
    form_->setOptionValue(CheckBox::Check5, kChecked);
    form_->setOptionValue(CheckBox::Check4, kUnchecked);
    QCOMPARE(check4.count() + check5.count(), 0);
    QCOMPARE(values(*form_), QStringLiteral("0100101"));
  }

  void grayedBox() {
    // A grayed box passes neither test of its handler: its partner stays.
    form_->setOptionValue(CheckBox::Check2, kGrayed);
    QCOMPARE(form_->checkBox(CheckBox::Check2)->checkState(), Qt::PartiallyChecked);
    QCOMPARE(values(*form_), QStringLiteral("0201001"));
    // A later change of the partner sets the grayed box to 0 or 1.
    form_->setOptionValue(CheckBox::Check3, kChecked);
    QCOMPARE(values(*form_), QStringLiteral("0011001"));
    form_->setOptionValue(CheckBox::Check6, kGrayed);
    click(*form_, CheckBox::Check7);
    QCOMPARE(values(*form_), QStringLiteral("0011010"));

    // A click on a grayed box clears it; no click ever grays a box.
    form_->setOptionValue(CheckBox::Check4, kGrayed);
    for (const char* after : {"0010110", "0011010", "0010110"}) {
      click(*form_, CheckBox::Check4);
      QCOMPARE(values(*form_), QString(after));
    }
  }

 private:
  std::unique_ptr<Form1> form_;
};

QTEST_MAIN(WindowOptions)
#include "tst_window_options.moc"
