// Runs in the window: the readouts and graph of the default run, what a
// second run keeps, Stop, Start refused during a run, options changed during
// a run, closing during a run, and runs that fail.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "GraphPicture.h"
#include "WindowTestSupport.h"

using namespace tarvex;
using namespace tarvex::testing;

namespace {

// Text7, Text9, Text12, Text14, Text15, Text16, Text17 and Option1.
QStringList readouts(const Form1& form) {
  QStringList shownTexts;
  for (auto box : {TextBox::Text7, TextBox::Text9, TextBox::Text12, TextBox::Text14,
                   TextBox::Text15, TextBox::Text16, TextBox::Text17})
    shownTexts << shown(form, box);
  return shownTexts << (form.findChild<QRadioButton*>("Option1")->isChecked() ? "on" : "off");
}

// Calls action(text) on every change of a text box during the test.
struct Watch : QObject {
  Watch(const Form1& form, TextBox box, std::function<void(const QString&)> action) {
    connect(form.textBox(box), &QLineEdit::textChanged, this, std::move(action));
  }
};

// A stopped run's log holds every record up to the tick before the stop,
// the last one written in the tick before the stopping pulse.
void verifyCompleteLog(const RunOutcome& outcome) {
  bool complete = false;
  const QStringList lines = logLines("DATA_LOG.txt", &complete);
  QVERIFY(complete);
  QVERIFY(!lines.isEmpty());
  QCOMPARE(lines.size(), outcome.ticks / 8);
  QCOMPARE(lines.last().split(' ', Qt::SkipEmptyParts).value(1).toLongLong(), outcome.pulses - 1);
}

// Output pulses for a run that goes on until it is stopped, so that a click
// handled at its first yield finds it running however fast the machine is.
const char* const kEndless = "2000000000";

}  // namespace

class WindowRuns : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<WorkingFolder>();
    form_ = std::make_unique<Form1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanup() {
    form_.reset();
    folder_.reset();
  }

  void defaultRunEndsWithTheKnownReadoutsAndGraph() {
    QTest::mouseClick(button(*form_, 1), Qt::LeftButton);
    QCOMPARE(form_->lastOutcome()->end, RunEnd::Completed);
    QCOMPARE(readouts(*form_), (QStringList{"20000", "5085", "10", "0", "8", "1", "2999", "off"}));
    QCOMPARE(form_->findChild<QLabel*>("Label21")->text(), QStringLiteral("速度"));
    QCOMPARE(form_->findChild<QLabel*>("Label22")->text(), QStringLiteral("時間"));
    QCOMPARE(QFile("DATA_LOG.txt").size(), 0);  // emptied; recording was off

    // The frame: time axis at y 3950 twips (pixel row 263) from x 1 to 9990
    // (columns 0 to 666), speed axis up column 0, the full-scale marks.
    const QImage graph = form_->findChild<window::GraphPicture*>("Picture1")->image();
    auto ink = [&graph](int x, int y) { return graph.pixel(x, y) == qRgb(0, 0, 0); };
    for (int x = 0; x <= 666; ++x) QVERIFY(ink(x, 263));
    for (int y = 0; y <= 263; ++y) QVERIFY(ink(0, y));
    for (int y = 256; y <= 263; ++y) QVERIFY(ink(666, y));
    for (int x = 0; x <= 6; ++x) QVERIFY(ink(x, 0));
    // The curve: 8437 points one twip apart from speed 10 (y 3939 twips,
    // row 262) up to the peak 2999 (y 989, row 65) and back to speed 10 at
    // x 8437 twips (column 562); nothing right of it.
    QVERIFY(ink(1, 262) && ink(562, 262));
    int top = graph.height(), right = 0;
    for (int x = 7; x < 666; ++x)
      for (int y = 1; y < 263; ++y)
        if (ink(x, y)) top = std::min(top, y), right = std::max(right, x);
    QCOMPARE(top, 65);
    QCOMPARE(right, 562);
  }

  void secondRunKeepsOldReadoutsUntilFirstWritten() {
    button(*form_, 1)->click();
    // Typed into a readout: the program takes no notice of it.
    form_->textBox(TextBox::Text14)->clear();
    QTest::keyClicks(form_->textBox(TextBox::Text14), "typed");
    // A linear run. When its set-up shows state 1, the old values still stand.
    form_->setOptionValue(CheckBox::Check5, kChecked);
    QStringList atSetUp;
    Watch watch(*form_, TextBox::Text15, [&](const QString&) {
      if (atSetUp.isEmpty()) atSetUp = readouts(*form_).mid(0, 4);
    });
    button(*form_, 1)->click();
    QCOMPARE(atSetUp, (QStringList{"20000", "5085", "10", "typed"}));
    // A linear run never writes Text14.
    QCOMPARE(readouts(*form_),
             (QStringList{"20000", "45", "10", "typed", "7", "0", "3000", "off"}));
  }

  void stopEndsTheRunAtTheYieldThatSawIt() {
    form_->setText(TextBox::Text6, kEndless);
    form_->setOptionValue(CheckBox::Check1, kChecked);
    duringNextEvents([this] { QTest::mouseClick(button(*form_, 2), Qt::LeftButton); });
    button(*form_, 1)->click();
    const RunOutcome& outcome = *form_->lastOutcome();
    QCOMPARE(outcome.end, RunEnd::Stopped);
    QCOMPARE(shown(*form_, TextBox::Text7).toLongLong(), outcome.pulses);
    verifyCompleteLog(outcome);
  }

  void runWithoutPulsesStaysStoppable() {
    // Linear, no acceleration, initial speed 0: no pulse after the first, so
    // the click can only be seen at a yield made for want of pulses.
    form_->setOptionValue(CheckBox::Check5, kChecked);
    form_->setText(TextBox::Text2, "0");
    form_->setText(TextBox::Text4, "0");
    duringNextEvents([this] { button(*form_, 2)->click(); });
    button(*form_, 1)->click();
    QCOMPARE(form_->lastOutcome()->end, RunEnd::Stopped);
    QCOMPARE(form_->lastOutcome()->pulses, std::int64_t{1});
  }

  void startDuringARunIsRefused() {
    form_->setText(TextBox::Text6, kEndless);
    int setUps = 0;
    Watch watch(*form_, TextBox::Text15, [&](const QString& state) { setUps += state == "1"; });
    bool enabledDuringRun = true;
    duringNextEvents([&] {
      enabledDuringRun = button(*form_, 1)->isEnabled();
      QTest::mouseClick(button(*form_, 1), Qt::LeftButton);
      button(*form_, 2)->click();
    });
    button(*form_, 1)->click();
    QVERIFY(!enabledDuringRun);
    QCOMPARE(setUps, 1);
    QCOMPARE(form_->lastOutcome()->end, RunEnd::Stopped);
    QVERIFY(button(*form_, 1)->isEnabled());
  }

  // Deceleration (state 5) starts at pulse 14916 of the default run; manual
  // deceleration chosen at pulse 10 starts it at the manual point, 1000, and
  // chosen past the point (here 1) at the next pulse.
  void manualDecelerationChosenDuringTheRun_data() {
    QTest::addColumn<QString>("manualPoint");
    QTest::addColumn<QString>("clickAt");
    QTest::addColumn<int>("expected");
    QTest::newRow("automatic throughout") << "1000"
                                          << "" << 14916;
    QTest::newRow("manual from pulse 10") << "1000"
                                          << "10" << 1000;
    QTest::newRow("manual past the point") << "1"
                                           << "yield" << -1;
  }
  void manualDecelerationChosenDuringTheRun() {
    QFETCH(QString, manualPoint);
    QFETCH(QString, clickAt);
    QFETCH(int, expected);
    form_->textBox(TextBox::Text19)->setText(manualPoint);
    auto* check3 = form_->checkBox(CheckBox::Check3);
    Watch atPulse(*form_, TextBox::Text7, [&](const QString& pulses) {
      if (pulses == clickAt) QTest::mouseClick(check3, Qt::LeftButton);
    });
    if (clickAt == "yield") {
      form_->setText(TextBox::Text6, kEndless);
      duringNextEvents([&] {
        expected = shown(*form_, TextBox::Text7).toInt() + 1;
        QTest::mouseClick(check3, Qt::LeftButton);
      });
    }
    int decelerationPulse = -1;
    Watch state(*form_, TextBox::Text15, [&](const QString& text) {
      if (text == "5" && decelerationPulse < 0) {
        decelerationPulse = shown(*form_, TextBox::Text7).toInt();
        button(*form_, 2)->click();
      }
    });
    button(*form_, 1)->click();
    QCOMPARE(decelerationPulse, expected);
  }

  void closingDuringARunStopsItClosesTheLogThenTheWindow() {
    form_->setText(TextBox::Text6, kEndless);
    form_->setOptionValue(CheckBox::Check1, kChecked);
    duringNextEvents([this] { form_->close(); });
    button(*form_, 1)->click();
    QVERIFY(!form_->isVisible());
    QCOMPARE(form_->lastOutcome()->end, RunEnd::Stopped);
    verifyCompleteLog(*form_->lastOutcome());
  }

  void failedRunShowsTheErrorAndLeavesTheWindowUsable_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("message");
    QTest::newRow("range empty") << 1 << "" << QStringList{"型が一致しません", "「レンジ：」"};
    QTest::newRow("drive speed 32768")
        << 5 << "32768" << QStringList{"オーバーフロー", "「ドライブ速度：」"};
    QTest::newRow("speed display 0")
        << 10 << "0" << QStringList{"0 で除算しました", "「速度表示最大値：」"};
  }
  void failedRunShowsTheErrorAndLeavesTheWindowUsable() {
    QFETCH(int, box);
    QFETCH(QString, text);
    QFETCH(QStringList, message);
    const TextBox field = textBoxNumber(box);
    const QString good = shown(*form_, field);
    form_->textBox(field)->setText(text);
    {
      MessageBoxCatcher catcher;
      button(*form_, 1)->click();
      QCOMPARE(catcher.texts().size(), 1);
      for (const QString& part : message)
        QVERIFY2(catcher.texts().first().contains(part), qPrintable(catcher.texts().first()));
    }
    QCOMPARE(form_->lastOutcome()->end, RunEnd::Failed);
    QVERIFY(button(*form_, 1)->isEnabled());
    form_->textBox(field)->setText(good);
    button(*form_, 1)->click();
    QCOMPARE(form_->lastOutcome()->end, RunEnd::Completed);
  }

 private:
  std::unique_ptr<WorkingFolder> folder_;
  std::unique_ptr<Form1> form_;
};

QTEST_MAIN(WindowRuns)
#include "tst_window_runs.moc"
