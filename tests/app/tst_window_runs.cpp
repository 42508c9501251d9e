// Runs in the window: Start with the start-up parameters, Start held off
// during a run, Stop, a box changed during a run, closing during a run, and
// runs that fail.
#include <QLabel>
#include <QRadioButton>
#include <string>

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

  // Calls action with the number of output pulses each time Text7 shows a new one.
  void atEveryPulse(std::function<void(const QString&)> action) {
    connect(control<QLineEdit>("Text7"), &QLineEdit::textChanged, this, std::move(action));
  }

 private slots:
  void startRunsTheStartupParameters() {
    click("Option1");  // switched on by the user; every run starts with it off
    QVERIFY(control<QRadioButton>("Option1")->isChecked());
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

  // Start is disabled during the run; recording ticked at pulse 100 counts
  // from that pulse on; Stop at the next event processing after pulse 200.
  void stopAndLiveBoxDuringARun() {
    form->setText(TextBox::Text6, test::kEndless);
    bool startEnabled = true;
    atEveryPulse([&](const QString& pulses) {
      if (pulses == "100") startEnabled = control("Command1")->isEnabled(), click("Check1");
      if (pulses == "200") QTimer::singleShot(0, [&] { click("Command2"); });
    });
    click("Command1");
    QVERIFY(!startEnabled);
    QVERIFY(control("Command1")->isEnabled());
    QCOMPARE(form->lastOutcome()->end, RunEnd::Stopped);
    QVERIFY(shown("Text7").toInt() >= 200);
    QVERIFY(logRecords() > 0);
    // The first record's sample number: recording began in the middle of the run.
    QVERIFY(std::stol(test::readFile(dir->file("DATA_LOG.txt"))) > 1);
  }

  void closingDuringARunStopsItWithTheLogComplete() {
    form->setText(TextBox::Text6, test::kEndless);
    click("Check1");
    atEveryPulse([&](const QString& pulses) {
      if (pulses == "100") QTimer::singleShot(0, [&] { form->close(); });
    });
    click("Command1");
    QVERIFY(!form->isVisible());
    QCOMPARE(form->lastOutcome()->end, RunEnd::Stopped);
    QCOMPARE(logRecords(), long(form->lastOutcome()->ticks / 8));  // thousands
  }

  void failedRunShowsOneMessageNamingTheField() {
    const char* const cases[][4] = {
        {"Text1", "0", "0 で除算", "「レンジ：」(Text1)"},
        {"Text3", "2147483647", "オーバーフロー", "「加増加率：」(Text3)"}};
    for (const auto& [field, text, error, where] : cases) {
      const QString good = shown(field);
      control<QLineEdit>(field)->setText(text);
      const QStringList seen = answering([&] { click("Command1"); });
      QCOMPARE(seen.size(), 1);
      QVERIFY2(seen[0].contains(error) && seen[0].contains(where), qPrintable(seen[0]));
      control<QLineEdit>(field)->setText(good);
    }
    click("Command1");  // and the window still works
    QCOMPARE(shown("Text7"), QStringLiteral("20000"));
  }
};

QTEST_MAIN(WindowRuns)
#include "tst_window_runs.moc"
