// 目標から設計 in the window, by the keys: the dialog from Ctrl+D and from
// the graph's and a field's menu, a move typed, computed and applied, Start
// running what the dialog promised; targets it cannot meet; the fields' and
// readouts' tooltips in physical units as the user types; the run report's
// registers against the run.
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QSettings>
#include <QTableWidget>

#include "DesignDialog.h"
#include "PictureBox.h"
#include "RunReport.h"
#include "WindowSettings.h"
#include "WindowTest.h"

using namespace tarvex;

class WindowDesign : public test::WindowTest {
  Q_OBJECT

  // Does `action`, then `inDialog` with the design dialog once it is open,
  // and closes it unless `inDialog` did. False when no dialog opened.
  bool withDialog(const std::function<void()>& action,
                  const std::function<void(window::DesignDialog&)>& inDialog = {}) {
    bool opened = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        QTest::keyClick(menu, Qt::Key_G);
      auto* dialog = qobject_cast<window::DesignDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr || opened) return;
      opened = true;
      // Keys reach the dialog once it is active with its first field focused.
      if (!QTest::qWaitForWindowActive(dialog) ||
          !QTest::qWaitFor([&] { return dialog->focusWidget() != nullptr; }))
        return;
      if (inDialog) inDialog(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    poll.start(10);
    action();
    return QTest::qWaitFor([&] { return opened; });
  }
  // Waits for the search that Enter or 計算 started to end.
  static bool searched(window::DesignDialog& d) {
    return QTest::qWaitFor([&] { return !d.searching(); }, 120000);
  }
  static QLineEdit* target(window::DesignDialog& d, const char* name) {
    return d.findChild<QLineEdit*>(name);
  }
  static QString cell(window::DesignDialog& d, int row, int column) {
    const QTableWidgetItem* item = d.findChild<QTableWidget*>("achieved")->item(row, column);
    return item ? item->text() : QString();
  }
  // The menu key on a field.
  void menuKey(const char* name) {
    control(name)->setFocus();
    pressMenuKey(false);
  }
  void type(const char* box, const char* text) {
    control<QLineEdit>(box)->selectAll();
    QTest::keyClicks(control(box), text);
  }

 private slots:
  // After the start-up run the targets start from its figures, all of that
  // one run; the move of 20,000 pulses at 30,000 pps in 0.17 s from 100 pps
  // is typed over them, Enter computes, Enter applies; Start then runs it as the batch runner's
  // design promised (0.840029125 s, peak counter 4199, no drag pulse).
  void designTypedAppliedAndRun() {
    click("Command1");
    QStringList seen;
    const bool opened = withDialog(
        [&] { QTest::keyClick(control("Text1"), Qt::Key_D, Qt::ControlModifier); },
        [&](window::DesignDialog& d) {
          for (const char* name : {"pulses", "peak", "accel_time", "decel_time", "start"})
            seen << target(d, name)->text();
          // Alt+2 selects the peak: the typing replaces it.
          QTest::keyClick(d.focusWidget(), Qt::Key_2, Qt::AltModifier);
          QTest::keyClicks(d.focusWidget(), "30000");
          QTest::keyClick(d.focusWidget(), Qt::Key_3, Qt::AltModifier);
          QTest::keyClicks(d.focusWidget(), "0.17");
          target(d, "decel_time")->selectAll();
          QTest::keyClick(target(d, "decel_time"), Qt::Key_Backspace);
          QTest::keyClick(target(d, "decel_time"), Qt::Key_Return);
          seen << QString::number(searched(d)) << d.findChild<QLabel*>("verdict")->text().left(14)
               << cell(d, 2, 2) << cell(d, 2, 3) << d.focusWidget()->objectName();
          QTest::keyClick(d.focusWidget(), Qt::Key_Return);
        });
    QVERIFY(opened);
    QCOMPARE(seen,
             QStringList({"20000", "29990", "0.3379221", "0.34783", "100", "1",
                          "すべての目標を満たしています", "0.173939", "+2.32 %  範囲内", "apply"}));
    const char* const applied[][2] = {{"Text1", "1119733"}, {"Text3", "107"},    {"Text4", "14"},
                                      {"Text5", "4200"},    {"Text10", "50000"}, {"Text11", "1"}};
    for (const auto& [box, text] : applied) QCOMPARE(shown(box), QString::fromUtf8(text));
    QCOMPARE(form->optionValue(CheckBox::Check7), kChecked);
    click("Command1");
    QCOMPARE(form->lastOutcome()->ticks, 6720233);
    QCOMPARE(shown("Text17"), QStringLiteral("4199"));
    QCOMPARE(shown("Text16"), QStringLiteral("0"));
  }

  // Opens the dialog with Ctrl+D on the active window.
  bool withDesign(const std::function<void(window::DesignDialog&)>& inDialog) {
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) return false;
    return withDialog([&] { QTest::keyClick(control("Text1"), Qt::Key_D, Qt::ControlModifier); },
                      inDialog);
  }
  // Types each target over the field's text, Alt+1 to Alt+7 selecting it.
  static void typeTargets(window::DesignDialog& d, const QStringList& texts) {
    for (int i = 0; i < texts.size(); ++i) {
      QTest::keyClick(d.focusWidget(), Qt::Key(Qt::Key_1 + i), Qt::AltModifier);
      if (texts[i].isEmpty())
        QTest::keyClick(d.focusWidget(), Qt::Key_Delete);
      else
        QTest::keyClicks(d.focusWidget(), texts[i]);
    }
  }
  static QString verdict(window::DesignDialog& d) {
    return d.findChild<QLabel*>("verdict")->text();
  }
  static bool applyOn(window::DesignDialog& d) {
    return d.findChild<QPushButton*>("apply")->isEnabled();
  }

  // Every target's hint and the verdict are shown whole, their lines broken
  // between phrases; the verdict's where its width asks for it.
  void hintsBreakOnlyBetweenPhrases() {
    QStringList cut;
    qsizetype hints = 0;
    QString verdictLines;
    QVERIFY(withDesign([&](window::DesignDialog& d) {
      const auto labels = d.findChildren<QLabel*>("hint");
      hints = labels.size();
      for (const QLabel* hint : labels)
        if (hint->wordWrap() || hint->width() < hint->sizeHint().width()) cut << hint->text();
      typeTargets(d, {"20000", "30000", "0.17", "", "100", "1", ""});
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);
      QVERIFY(searched(d));
      verdictLines = verdict(d);
      if (d.findChild<QLabel*>("verdict")->wordWrap()) cut << verdictLines;
    }));
    QCOMPARE(hints, 7);
    QCOMPARE(cut, QStringList());
    QCOMPARE(verdictLines,
             QStringLiteral("すべての目標を満たしています。\n「適用」で各欄に書き込みます"
                            "（演算は「演算開始」で行います）。"));
  }

  // Typing into a field entered from the keyboard replaces its text: the
  // first field on opening, the next by Tab; Tab stops at no empty table.
  // A start of 6100 pps typed and one left blank (chosen: 6100 pps) both
  // meet the move; an edit drops the design met, and Enter designs anew.
  void typingEditsAndEnter() {
    QStringList seen;
    QVERIFY(withDesign([&](window::DesignDialog& d) {
      QTest::keyClicks(d.focusWidget(), "5");
      QTest::keyClick(d.focusWidget(), Qt::Key_Tab);
      QTest::keyClicks(d.focusWidget(), "7");
      seen << target(d, "pulses")->text() << target(d, "peak")->text();
      for (int i = 0; i < 12; ++i) {
        QTest::keyClick(d.focusWidget(), Qt::Key_Tab);
        if (qobject_cast<QTableWidget*>(d.focusWidget())) seen << "table";
      }
      for (const char* start : {"6100", ""}) {
        typeTargets(d, {"62586", "154000", "0.00773", "0.00328", start, "0.0183", ""});
        QTest::keyClick(d.focusWidget(), Qt::Key_Return);
        QVERIFY(searched(d));
        seen << verdict(d).left(14) << cell(d, 3, 1);
      }
      QTest::keyClick(d.focusWidget(), Qt::Key_3, Qt::AltModifier);
      QTest::keyClicks(d.focusWidget(), "0.008");
      seen << QString::number(applyOn(d)) << verdict(d).left(6);
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);
      QVERIFY(searched(d));
      seen << cell(d, 1, 1) << QString::number(applyOn(d));
    }));
    QCOMPARE(seen, QStringList({"5", "7", "すべての目標を満たしています", "6100",
                                "すべての目標を満たしています", "6100（自動）", "0", "目標が変わり",
                                "0.008", "1"}));
  }

  // A search shows it is busy from the moment it starts (its end reaches
  // the dialog only through the event loop); Escape stops it and leaves the
  // dialog open, another Escape closes it. A pulse count of millions is
  // printed as it was typed.
  void searchBusyAndEscape() {
    QStringList seen;
    QVERIFY(withDesign([&](window::DesignDialog& d) {
      typeTargets(d, {"20000100", "100000", "0.3", "", "", "1", ""});
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);
      seen << QString::number(d.findChild<QWidget*>("busy")->isVisible())
           << d.findChild<QPushButton*>("close")->text();
      QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
      QVERIFY(searched(d));
      seen << verdict(d) << QString::number(d.isVisible())
           << QString::number(d.findChild<QWidget*>("busy")->isVisible());
      typeTargets(d, {"20000100", "100"});
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);
      QVERIFY(searched(d));
      seen << verdict(d).left(19);
      QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
      seen << QString::number(d.isVisible());
    }));
    QCOMPARE(seen, QStringList({"1", "キャンセル", "計算をキャンセルしました。", "1", "0",
                                "出力パルス数 20000100 パルス", "0"}));
  }

  // The targets come back as typed on reopening, after a design applied
  // (whose fields would say 30,007.15 pps); 元に戻す (Ctrl+Z) after 適用 puts
  // every field and box back.
  void rememberedAndUndone() {
    QVERIFY(withDesign([&](window::DesignDialog& d) {
      typeTargets(d, {"50000", "20000", "0.2", "0.4", "", "0", ""});
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);
      QVERIFY(searched(d));
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);  // 適用
      QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
    }));
    QCOMPARE(form->optionValue(CheckBox::Check5), kChecked);
    QCOMPARE(form->optionValue(CheckBox::Check6), kChecked);
    QVERIFY(shown("Text1") != "800000");
    QStringList seen;
    QVERIFY(withDesign([&](window::DesignDialog& d) {
      for (const char* name :
           {"pulses", "peak", "accel_time", "decel_time", "start", "s_curve", "range"})
        seen << target(d, name)->text();
      typeTargets(d, {"20000", "30000", "0.17", ""});
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);
      QVERIFY(searched(d));
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);  // 適用
      QTest::keyClick(d.focusWidget(), Qt::Key_Z, Qt::ControlModifier);
      seen << verdict(d) << QString::number(applyOn(d));
    }));
    QCOMPARE(seen, QStringList({"50000", "20000", "0.2", "0.4", "", "0", "",
                                "書き込む前の値に戻しました。", "1"}));
    QCOMPARE(form->optionValue(CheckBox::Check5), kChecked);
    QCOMPARE(form->optionValue(CheckBox::Check4), kUnchecked);
    QCOMPARE(form->optionValue(CheckBox::Check6), kChecked);
    QCOMPARE(shown("Text6"), QStringLiteral("50000"));
  }

  // Targets typed come back as typed in a later start, full-width digits
  // too, the fields at their start-up values; 表示の設定を既定に戻す in the
  // graph's menu forgets them: the targets start again from the fields.
  void targetsKeptInSettings() {
    const QStringList typed{"20000100", "30000", "0.17", "", "１００", "1", ""};
    QVERIFY(withDesign([&](window::DesignDialog& d) {
      typeTargets(d, {"20000100", "30000", "0.17", "", "", "1", ""});
      // The full-width digits as an input method hands them over.
      QTest::keyClick(d.focusWidget(), Qt::Key_5, Qt::AltModifier);
      QInputMethodEvent japanese;
      japanese.setCommitString("１００");
      QApplication::sendEvent(d.focusWidget(), &japanese);
    }));
    const auto targetsShown = [&] {
      QStringList seen;
      withDesign([&](window::DesignDialog& d) {
        for (const char* name :
             {"pulses", "peak", "accel_time", "decel_time", "start", "s_curve", "range"})
          seen << target(d, name)->text();
      });
      return seen;
    };
    form = std::make_unique<Form1>();
    form->show();
    QCOMPARE(targetsShown(), typed);
    QCOMPARE(shown("Text6"), QStringLiteral("20000"));
    clickAt(control("Picture1"), Qt::LeftButton, QPoint(600, 20));
    QVERIFY(answering([&] { pressMenuKey(false); }, {}, Qt::Key_T).contains("menu"));
    QCOMPARE(targetsShown().value(0), QStringLiteral("20000"));
  }

  // The graph's menu and a field's menu offer it too; a move from 100 pps
  // with too few pulses says how many it needs, nonsense which field; one
  // for which no figure is met says so, never "0 パルス以上". Each refusal
  // shows the closest run found, not offered for 適用.
  void menusAndTargetsNotMet() {
    QVERIFY(withDialog([&] { menuKey("Picture1"); }));
    QStringList verdicts;
    QVERIFY(withDialog(
        [&] { menuKey("Text6"); },
        [&](window::DesignDialog& d) {
          const QStringList moves[] = {{"5000", "-1", "0.17", "", "100", "1"},
                                       {"5000", "30000", "0.17", "", "100", "1"},
                                       {"2723", "792000", "0.00189", "0.0011", "", "1"}};
          for (const QStringList& move : moves) {
            typeTargets(d, move);
            QTest::keyClick(d.focusWidget(), Qt::Key_Return);
            searched(d);
            verdicts << verdict(d).remove('\n')
                     << QString::number(applyOn(d)) + QString::number(cell(d, 1, 1).isEmpty());
          }
        }));
    QCOMPARE(verdicts[0], QStringLiteral("「ピーク速度」は 0 より大きい値で入力してください。"));
    QVERIFY2(verdicts[2].contains("5197 パルス以上必要です"), qPrintable(verdicts[2]));
    QVERIFY2(verdicts[4].endsWith("（三角防止が作動します）。満たせる値は見つかりませんでした。"),
             qPrintable(verdicts[4]));
    QCOMPARE(verdicts[1] + verdicts[3] + verdicts[5], QStringLiteral("01"
                                                                     "00"
                                                                     "00"));
  }

  // Each field's tooltip follows the typing, with the range typed; values
  // without physical sense say so. The speed readouts give pulses per second.
  void tooltipsInPhysicalUnits() {
    const auto tip = [&](const char* box) { return control(box)->toolTip(); };
    QCOMPARE(tip("Text5"), QStringLiteral("ドライブ速度 3000 = 30,000 pps（レンジ 800000）"));
    QCOMPARE(tip("Text2").section('\n', 0, 0),
             QStringLiteral("加速度 8000 = 10,000,000 pps/s（レンジ 800000）"));
    QCOMPARE(tip("Text3").section('\n', 0, 0),
             QStringLiteral("加増加率 600 = 加速度 8000 まで 9.62 s で立ち上がり"));
    type("Text1", "400000");
    QCOMPARE(tip("Text5"), QStringLiteral("ドライブ速度 3000 = 60,000 pps（レンジ 400000）"));
    type("Text4", "-5");
    QCOMPARE(tip("Text4"), QStringLiteral("負の速度には意味がありません（パルスが出ません）。"));
    type("Text1", "0");
    QCOMPARE(tip("Text1"), QStringLiteral("レンジ 0 では速度になりません（0 で除算）。"));
    QCOMPARE(tip("Text5"), QStringLiteral("レンジが正の整数でないため、速度になりません。"));
    type("Text1", "800000");
    type("Text4", "10");
    click("Command1");
    QCOMPARE(tip("Text17"), QStringLiteral("速度カウンタ 2999 = 29,990 pps（レンジ 800000）"));
    QCOMPARE(tip("Text12"), QStringLiteral("速度カウンタ 10 = 100 pps（レンジ 800000）"));
  }

  // The run report's コピー: each register the run's mode uses, what it
  // means and, for the rates, the run's own peak, numbers and units in cells
  // of their own. The start-up run (S-curve, symmetric) builds its
  // acceleration up by one count every 16 x 601 = 9616 ticks and lets it
  // fall again before 2990 speed steps are made: n x n x 9616 / 64000 =
  // 2990 gives n = 141, 141 x 1250 = 176,250 pps/s; a jerk of 1250 pps/s per
  // 9616 ticks is 1,039,933 pps/s², the run's points measuring a shade less.
  // Linear and asymmetric at a deceleration of 4000: no increasing rates,
  // the deceleration's own row, the rates held as set.
  void reportRegistersAgainstTheRun() {
    QStringList registers;
    for (const QStringList& clicks : {QStringList{}, QStringList{"Check5", "Check6"}}) {
      for (const QString& box : clicks) click(box);
      type("Text13", "4000");
      click("Command1");
      form->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(form.get()));
      clickAt(control("Picture1"), Qt::LeftButton, QPoint(600, 20));
      QVERIFY(answering([&] { pressMenuKey(false); }, {}, Qt::Key_E).contains("menu"));
      registers << QApplication::clipboard()->text().section("\n\n", 1, 1);
    }
    QCOMPARE(registers[0], QStringLiteral("レジスタ\t設定値\t物理量\t単位\t実測\t単位\n"
                                          "レンジ\t800000\t10\tpps（速度カウンタ 1 あたり）\t\t\n"
                                          "初速度\t10\t100\tpps\t\t\n"
                                          "ドライブ速度\t3000\t30000\tpps\t\t\n"
                                          "加速度\t8000\t10000000\tpps/s\t176250\tpps/s\n"
                                          "加増加率\t600\t1039933\tpps/s²\t1036142\tpps/s²"));
    QCOMPARE(registers[1].section('\n', 4),
             QStringLiteral("加速度\t8000\t10000000\tpps/s\t10000000\tpps/s\n"
                            "減速度\t4000\t5000000\tpps/s\t5000000\tpps/s"));
  }
};

QTEST_MAIN(WindowDesign)
#include "tst_window_design.moc"
