// The option boxes as the user works them: each pair keeps exactly one box
// ticked, Check1 stands alone, a grayed box follows its partner; and the
// focus the window opens with.
#include <QCheckBox>

#include "WindowTest.h"

using namespace tarvex;

class WindowOptions : public test::WindowTest {
  Q_OBJECT

  QCheckBox* box(int n) const { return control<QCheckBox>(QStringLiteral("Check%1").arg(n)); }

 private slots:
  // A field's tooltip writes the offset with its own sign, and a field with
  // full-width digits gets the run's advice on them.
  void fieldTooltipsInPlainJapanese() {
    const struct {
      TextBox box;
      const char *typed, *tip;
    } cases[] = {
        {TextBox::Text18, "0", "自動減速は、残りパルスが（加速パルス − 1）以下で始まります。"},
        {TextBox::Text18, "5", "自動減速は、残りパルスが（加速パルス + 4）以下で始まります。"},
        {TextBox::Text4, "１０",
         "「初速度」に入力された「１０」は数値として読めません。\n全角文字や桁区切りの「,」は"
         "使えません。半角数字で入力してください（例: 1000）。"},
    };
    for (const auto& c : cases) {
      form->setText(c.box, c.typed);
      QCOMPARE(form->textBox(c.box)->toolTip(), QString::fromUtf8(c.tip));
    }
  }

  // Focus starts on Start; a button focused by the mouse shows its mark too.
  void focusIsOnStartAndMarked() {
    QCOMPARE(QApplication::focusWidget(), control("Command1"));
    click("Command2");
    const QImage marked = control("Command2")->grab().toImage();
    control("Command1")->setFocus();
    QVERIFY(marked != control("Command2")->grab().toImage());
  }

  // The menu key and Shift+F10 open a field's menu, a readout's too; a
  // field's menu shows the key of 目標から設計, Ctrl+D.
  void fieldMenusOpenFromTheKeyboard() {
    for (const char* field : {"Text1", "Text17"})
      for (bool shiftF10 : {false, true}) {
        clickAt(control(field), Qt::LeftButton, {5, 5});
        pressMenuKey(shiftF10);
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        QString designKey;
        for (const QAction* a : QApplication::activePopupWidget()->actions())
          if (a->text().startsWith("目標から設計")) designKey = a->shortcut().toString();
        QCOMPARE(designKey, field == std::string_view("Text1") ? "Ctrl+D" : "");
        QApplication::activePopupWidget()->close();
      }
  }

  void toggles_data() {
    QTest::addColumn<int>("grayed");  // grayed by code first, as a parameter file can
    QTest::addColumn<int>("toggled");
    QTest::addColumn<bool>("key");       // Space on the focused box, else a mouse click
    QTest::addColumn<QString>("after");  // Check1 to Check7: 0 clear, 1 ticked, 2 grayed
    QTest::newRow("Check1 alone") << 0 << 1 << true << "1101001";
    QTest::newRow("Check2 cleared: manual") << 0 << 2 << false << "0011001";
    QTest::newRow("Check3 ticked: manual") << 0 << 3 << true << "0011001";
    QTest::newRow("Check4 cleared: linear") << 0 << 4 << true << "0100101";
    QTest::newRow("Check5 ticked: linear") << 0 << 5 << false << "0100101";
    QTest::newRow("Check6 ticked: asymmetric") << 0 << 6 << true << "0101010";
    QTest::newRow("Check7 cleared: asymmetric") << 0 << 7 << false << "0101010";
    QTest::newRow("Check2 grayed: Check3 kept") << 2 << 0 << false << "0201001";
    QTest::newRow("Check2 grayed, Check3 ticked") << 2 << 3 << false << "0011001";
    QTest::newRow("Check6 grayed, Check7 cleared") << 6 << 7 << true << "0101010";
    QTest::newRow("Check4 grayed, then clicked") << 4 << 4 << false << "0100101";
  }
  void toggles() {
    QFETCH(int, grayed);
    QFETCH(int, toggled);
    QFETCH(bool, key);
    QFETCH(QString, after);
    if (grayed != 0) form->setOptionValue(checkBoxNumber(grayed), kGrayed);
    if (toggled != 0 && key) box(toggled)->setFocus(), QTest::keyClick(box(toggled), Qt::Key_Space);
    if (toggled != 0 && !key) QTest::mouseClick(box(toggled), Qt::LeftButton);
    QString values;
    for (int n = 1; n <= 7; ++n) values += "021"[box(n)->checkState()];  // as Qt::CheckState
    QCOMPARE(values, after);
  }
};

QTEST_MAIN(WindowOptions)
#include "tst_window_options.moc"
