// Runs in the window: Start with the start-up parameters, Start held off
// during a run, Stop, a box changed during a run, closing during a run, and
// runs that fail.
#include <QLabel>
#include <QRadioButton>
#include <string>

#include "ControlWidgets.h"
#include "WindowTest.h"

using namespace tarvex;

class WindowRuns : public test::WindowTest {
  Q_OBJECT

  // How many records the data log holds; -1 unless every one ends in CR LF.
  long logRecords() const {
    QByteArray log = QByteArray::fromStdString(test::readFile(dir->file("DATA_LOG.txt")));
    const long records = log.count("\r\n");
    const bool whole = log.endsWith("\r\n") && log.count('\n') == records;
    return whole && log.count('\r') == records ? records : -1;
  }

  // Calls action once the run has output `pulses` pulses.
  void after(long long pulses, const std::function<void()>& action) {
    once([this, pulses] { return form->runActive() && pulsesShown() >= pulses; }, action);
  }

 private slots:
  void startRunsTheStartupParameters() {
    QCOMPARE(form->windowTitle(), QStringLiteral("Tarvex  加減速波形シミュレーション  V1.1"));
    click("Option1");  // only read: a click leaves it off
    QVERIFY(!control<QRadioButton>("Option1")->isChecked());
    form->setIndicator(true);  // as an earlier run left it; every run starts with it off
    click("Command1");
    QCOMPARE(shown("Text7"), QStringLiteral("20000"));
    QCOMPARE(shown("Text15"), QStringLiteral("8"));
    QCOMPARE(shown("Text17"), QStringLiteral("2999"));
    QVERIFY(!control<QRadioButton>("Option1")->isChecked());
    QCOMPARE(control<QLabel>("Label21")->text(), QStringLiteral("速度"));
    QCOMPARE(control<QLabel>("Label22")->text(), QStringLiteral("時間"));
    QCOMPARE(test::readFile(dir->file("DATA_LOG.txt")), std::string());  // made, recording off
    QVERIFY(std::filesystem::exists(dir->file("DATA_LOG.txt")));
  }

  // Start is disabled during the run; recording ticked during the run counts
  // from then on; Stop ends the run with its readouts showing where.
  void stopAndLiveBoxDuringARun() {
    form->setText(TextBox::Text6, test::kEndless);
    bool startEnabled = true;
    after(1000, [&] {
      startEnabled = control("Command1")->isEnabled(), click("Check1");
      after(pulsesShown() + 1000, [&] { click("Command2"); });
    });
    click("Command1");
    QVERIFY(!startEnabled);
    QVERIFY(control("Command1")->isEnabled());
    QCOMPARE(form->lastOutcome()->end, RunEnd::Stopped);
    QCOMPARE(shown("Text7"), QString::number(form->lastOutcome()->pulses));
    QVERIFY(logRecords() > 0);
    // The first record's sample number: recording began in the middle of the run.
    QVERIFY(std::stol(test::readFile(dir->file("DATA_LOG.txt"))) > 1);
  }

  void closingDuringARunStopsItWithTheLogComplete() {
    form->setText(TextBox::Text6, test::kEndless);
    click("Check1");
    after(1000, [&] { form->close(); });
    click("Command1");
    QVERIFY(!form->isVisible());
    QCOMPARE(form->lastOutcome()->end, RunEnd::Stopped);
    QCOMPARE(logRecords(), long(form->lastOutcome()->ticks / 8));  // thousands
  }

  // The message names the field as captioned and quotes what was typed; focus
  // then goes to that field with its text selected.
  void failedRunShowsOneMessageAndFocusesTheField() {
    const char* const cases[][4] = {
        {"Text1", "0", "0 で除算", "「レンジ」が 0 です"},
        {"Text3", "2147483647", "オーバーフロー", "「加増加率」の値「2147483647」"},
        {"Text4", "１０", "型が一致しません", "半角数字で入力してください"}};
    for (const auto& [field, text, error, where] : cases) {
      const QString good = shown(field);
      control<QLineEdit>(field)->setText(text);
      const QStringList seen = answering([&] { click("Command1"); });
      QCOMPARE(seen.size(), 1);
      QVERIFY2(seen[0].contains(error) && seen[0].contains(where), qPrintable(seen[0]));
      QTRY_COMPARE(QApplication::focusWidget(), control(field));
      QCOMPARE(control<QLineEdit>(field)->selectedText(), QString::fromUtf8(text));
      control<QLineEdit>(field)->setText(good);
    }
    click("Command1");  // and the window still works
    QCOMPARE(shown("Text7"), QStringLiteral("20000"));
  }

  // A word in any field: the message names it and what it accepts.
  void failedRunSaysWhatEachFieldAccepts() {
    const char *const int32 = "-2147483648 ～ 2147483647 の整数", *const int16 =
                                                                      "-32768 ～ 32767 の整数";
    const char* const cases[][3] = {{"Text1", "レンジ", int32},
                                    {"Text2", "加速度", int32},
                                    {"Text3", "加増加率", int32},
                                    {"Text4", "初速度", int16},
                                    {"Text5", "ドライブ速度", int16},
                                    {"Text6", "出力パルス数", int32},
                                    {"Text10", "速度表示最大値", "数値"},
                                    {"Text11", "時間表示最大値", "数値"},
                                    {"Text13", "減速度", int32},
                                    {"Text18", "加速Ｃ offs", int32},
                                    {"Text19", "マニュアル減速点", int32},
                                    {"Text20", "減増加率", int32}};
    for (const auto& [field, caption, accepted] : cases) {
      const QString good = shown(field);
      control<QLineEdit>(field)->setText("x");
      const QStringList seen = answering([&] { click("Command1"); });
      QCOMPARE(seen, QStringList{form->windowTitle() + "|型が一致しません。\n\n「" + caption +
                                 "」に入力された「x」は数値として読めません。\n" + accepted +
                                 "を半角数字で入力してください。"});
      control<QLineEdit>(field)->setText(good);
    }
  }

  // During a run the keys go to Stop: a blank presses it, digits reach no
  // field, not even one clicked into; afterwards focus is back on Start, and
  // Enter there starts the next run.
  void keysDuringARunGoToStop() {
    form->setText(TextBox::Text6, test::kEndless);
    QWidget* focused = nullptr;
    after(1000, [&] {
      focused = QApplication::focusWidget();
      QTest::keyClicks(control("Text1"), "7");
      QTest::keyClicks(focused, "9 9");
    });
    click("Command1");
    QCOMPARE(focused, control("Command2"));
    QCOMPARE(form->lastOutcome()->end, RunEnd::Stopped);
    QCOMPARE(shown("Text1"), QStringLiteral("800000"));
    QCOMPARE(QApplication::focusWidget(), control("Command1"));
    form->setText(TextBox::Text6, "20000");
    QTest::keyClick(control("Command1"), Qt::Key_Return);
    QCOMPARE(form->lastOutcome()->end, RunEnd::Completed);
  }

  // Text16 is 33 pixels wide: five digits show whole in a smaller size, with
  // the value in the tooltip; ten show their beginning and "…". Typing
  // reaches no readout.
  void readoutsOnlyShowTheirWholeValue() {
    form->setOptionValue(CheckBox::Check6, kChecked);
    form->setText(TextBox::Text13, "2000");
    form->setText(TextBox::Text6, "100000");
    click("Command1");
    auto* drag = control<window::ReadoutBox>("Text16");
    QCOMPARE(drag->shownText(), QStringLiteral("15256"));
    QVERIFY(drag->font().pixelSize() < 12);
    QVERIFY(QFontMetrics(drag->font()).horizontalAdvance("15256") <= 33 - 8);
    QCOMPARE(drag->toolTip(), QStringLiteral("15256"));
    QCOMPARE(control("Text15")->toolTip(), QString());
    QCOMPARE(control<QLineEdit>("Text15")->font().pixelSize(), 12);
    form->showReadoutValue(TextBox::Text16, 2147483647);
    QVERIFY2(drag->shownText().endsWith(u'…') &&
                 QStringLiteral("2147483647").startsWith(drag->shownText().chopped(1)),
             qPrintable(drag->shownText()));
    QCOMPARE(drag->toolTip(), QStringLiteral("2147483647"));
    clickAt(control("Text17"), Qt::LeftButton, {5, 5});
    QTest::keyClick(form->windowHandle(), Qt::Key_End);
    QTest::keyClick(form->windowHandle(), '7'), QTest::keyClick(form->windowHandle(), '7');
    QCOMPARE(shown("Text17"), QStringLiteral("2999"));
  }
};

QTEST_MAIN(WindowRuns)
#include "tst_window_runs.moc"
