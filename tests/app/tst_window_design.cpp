// The window as it opens: its controls, looks, fonts, tab order and the
// start-up values.
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "GraphPicture.h"
#include "WindowTestSupport.h"

using namespace tarvex;
using namespace tarvex::testing;

class WindowDesign : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    form_ = std::make_unique<Form1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanupTestCase() { form_.reset(); }

  void everyControlOnceWithItsKind() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Tarvex  加減速波形シミュレーション  V1.1"));
    QCOMPARE(form_->size(), QSize(774, 508));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());
    const std::tuple<const char*, int, const char*> kinds[] = {
        {"Text", 20, "QLineEdit"},
        {"Label", 30, "QLabel"},
        {"Check", 7, "QCheckBox"},
        {"Command", 4, "QPushButton"},
        {"Option", 1, "QRadioButton"},
        {"Picture", 1, "tarvex::window::GraphPicture"},
        {"Line", 2, "tarvex::window::LineControl"}};
    for (auto [prefix, count, className] : kinds) {
      for (int n = 1; n <= count; ++n) {
        const auto found = form_->findChildren<QWidget*>(prefix + QString::number(n));
        QVERIFY2(found.size() == 1 && found.first()->inherits(className), prefix);
        QVERIFY(form_->rect().contains(found.first()->geometry()));
        QVERIFY(found.first()->isVisible() && found.first()->isEnabled());
      }
    }
    // Nothing else: no menu, no status bar.
    QCOMPARE(form_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 65);
    // Twips / 15: the graph area is 10010 x 4010 twips at (840, 3240).
    QCOMPARE(form_->findChild<QWidget*>("Picture1")->geometry(), QRect(56, 216, 667, 267));
  }

  void captionsFitAndMeetTheirField() {
    const std::pair<const char*, const char*> pairs[] = {
        {"Label11", "Text10"}, {"Label17", "Text14"}, {"Label24", "Text19"},
        {"Label19", "Text16"}, {"Label26", "Check3"}, {"Label1", "Check7"}};
    for (auto [label, field] : pairs) {
      auto* caption = form_->findChild<QLabel*>(label);
      const QRect box = form_->findChild<QWidget*>(field)->geometry();
      QVERIFY(caption->alignment() & Qt::AlignRight);
      QVERIFY(std::abs(caption->geometry().right() + 1 - box.left()) <= 1);
      // Drawn in full, its middle level with the box's middle.
      QVERIFY2(QFontMetrics(caption->font()).horizontalAdvance(caption->text()) <=
                   caption->contentsRect().width(),
               label);
      QVERIFY(std::abs(caption->contentsRect().center().y() + caption->y() - box.center().y()) <=
              1);
    }
    for (const char* name : {"Label9", "Label14", "Label21"})
      QVERIFY(form_->findChild<QLabel*>(name)->alignment() & Qt::AlignLeft);
  }

  void japaneseGothicDrawsEveryText() {
    // Metrically the M9 face: 12 pixels, full width one em, half
    // width half an em.
    const QFont m9 = form_->findChild<QLabel*>("Label2")->font();
    QVERIFY(
        QFontDatabase::writingSystems(QFontInfo(m9).family()).contains(QFontDatabase::Japanese));
    QCOMPARE(QFontInfo(m9).pixelSize(), 12);
    QCOMPARE(QFontMetrics(m9).horizontalAdvance(QStringLiteral("速度")), 24);
    QCOMPARE(QFontMetrics(m9).horizontalAdvance(QStringLiteral("offs")), 24);
    // Glyphs of the face in use, not boxes, for every caption.
    for (QWidget* w : form_->findChildren<QWidget*>()) {
      QString text;
      if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
      if (auto* push = qobject_cast<QPushButton*>(w)) text = push->text();
      if (w->objectName() == "Text8") text = form_->textBox(TextBox::Text8)->text();
      for (const QChar c : text)
        QVERIFY2(QFontMetrics(w->font()).inFont(c), qPrintable(w->objectName() + ": " + c));
    }
  }

  void focusStartsOnStartAndFollowsTheTabIndices() {
    QCOMPARE(form_->focusWidget(), button(*form_, 1));
    const QStringList expected{
        "Command1", "Text1",    "Text2",    "Text4",    "Text5",  "Text6",  "Text7",    "Text9",
        "Text12",   "Text3",    "Text10",   "Text11",   "Text14", "Text15", "Command2", "Text16",
        "Text17",   "Text18",   "Option1",  "Picture1", "Check1", "Text13", "Text19",   "Check2",
        "Check3",   "Command3", "Command4", "Check4",   "Check5", "Check6", "Text20",   "Check7"};
    QStringList chain;
    QWidget* w = button(*form_, 1);
    do {
      if (w->focusPolicy() & Qt::TabFocus) chain << w->objectName();
      w = w->nextInFocusChain();
    } while (w != button(*form_, 1) && chain.size() < 100);
    QCOMPARE(chain, expected);
  }

  void startUpValuesAndFixedCaption() {
    const std::pair<TextBox, const char*> texts[] = {
        {TextBox::Text1, "800000"}, {TextBox::Text2, "8000"},
        {TextBox::Text13, "8000"},  {TextBox::Text3, "600"},
        {TextBox::Text4, "10"},     {TextBox::Text5, "3000"},
        {TextBox::Text6, "20000"},  {TextBox::Text18, "0"},
        {TextBox::Text19, "1000"},  {TextBox::Text20, "600"},
        {TextBox::Text10, "40000"}, {TextBox::Text11, "1.2"},
        {TextBox::Text7, "0"},      {TextBox::Text9, "0"},
        {TextBox::Text12, "0"},     {TextBox::Text14, "0"},
        {TextBox::Text15, "0"},     {TextBox::Text16, "0"},
        {TextBox::Text17, "0"},     {TextBox::Text8, "三角防止作動："}};
    for (auto [box, text] : texts) QCOMPARE(shown(*form_, box), QString(text));
    const std::int16_t values[] = {0, 1, 0, 1, 0, 0, 1};
    for (int n = 1; n <= 7; ++n) QCOMPARE(form_->optionValue(checkBoxNumber(n)), values[n - 1]);
    QVERIFY(!form_->findChild<QRadioButton*>("Option1")->isChecked());
    QVERIFY(form_->findChild<QLabel*>("Label21")->text().isEmpty());
    QVERIFY(form_->findChild<QLabel*>("Label22")->text().isEmpty());
    // An empty graph, and the picture shows exactly its image.
    auto* picture = form_->findChild<window::GraphPicture*>("Picture1");
    QImage blank(picture->size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    QCOMPARE(picture->image(), blank);
    QCOMPARE(picture->grab().toImage().convertToFormat(QImage::Format_RGB32), blank);

    // Text8 never changes, whatever is typed or assigned.
    QLineEdit* text8 = form_->textBox(TextBox::Text8);
    form_->setText(TextBox::Text8, "x");
    QTest::keyClicks(text8, "abc");
    QCOMPARE(text8->text(), QStringLiteral("三角防止作動："));
  }

  void option1ClickOnlySwitchesItOn() {
    auto* option = form_->findChild<QRadioButton*>("Option1");
    for (int click = 0; click < 2; ++click) {
      QTest::mouseClick(option, Qt::LeftButton);
      QVERIFY(option->isChecked());
    }
    form_->setIndicator(false);
    QVERIFY(!option->isChecked());
  }

 private:
  std::unique_ptr<Form1> form_;
};

QTEST_MAIN(WindowDesign)
#include "tst_window_design.moc"
