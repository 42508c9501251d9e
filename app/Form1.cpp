#include "Form1.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <utility>
#include <vector>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QtGlobal>

#include "ControlWidgets.h"
#include "Conversions.h"
#include "DesignDialog.h"
#include "FailureText.h"
#include "FormLayout.h"
#include "FormRun.h"
#include "OptionPairs.h"
#include "ParameterFileActions.h"
#include "PhysicalMeaning.h"
#include "PictureBox.h"
#include "QtText.h"
#include "RecordedRun.h"
#include "RunFailureMessage.h"
#include "RunFigures.h"
#include "RunSession.h"
#include "RunTrace.h"
#include "StartupValues.h"
#include "WindowFonts.h"
#include "WindowReadouts.h"

namespace tarvex {

using namespace window;

namespace {

// Where the desktop has no system colours of its own, its window background
// (5) and caption text (9) are white and its window text (8) black.
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

int nameNumber(std::string_view name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix) return 0;
  int number = 0;
  for (char c : name.substr(prefix.size())) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  return number;
}

// Runs a handler so that nothing it throws reaches the event loop.
template <class Handler>
void guarded(QWidget* window, Handler&& handler) {
  QString what;
  try {
    std::forward<Handler>(handler)();
    return;
  } catch (const std::exception& e) {
    what = QString::fromLocal8Bit(e.what());
  } catch (...) {
    what = QStringLiteral("不明なエラー");
  }
  QMessageBox::critical(window, runFailureTitle(),
                        QStringLiteral("内部エラーが発生しました。\n\n%1").arg(what));
}

// The parameter texts as typed, in UTF-8 for the messages.
RunParameters typedTexts(const RunParameters& params) {
  RunParameters typed;
  for (std::size_t i = 0; i < params.texts.size(); ++i)
    typed.texts[i] = QString::fromLocal8Bit(params.texts[i]).toStdString();
  return typed;
}

}  // namespace

// The graph's drawing surface: Picture1 and its two axis captions.
class WindowGraph final : public GraphSurface {
 public:
  explicit WindowGraph(Form1& form) : form_(form) {}
  void clearGraph() override { form_.Picture1->clear(); }
  void drawLine(float x1, float y1, float x2, float y2) override {
    form_.Picture1->drawLine(x1, y1, x2, y2);
  }
  void drawPoint(float x, float y) override { form_.Picture1->drawPoint(x, y); }
  void setSpeedAxisCaption(std::string_view caption) override {
    form_.Label21->setText(fromUtf8(caption));
    form_.Picture1->setSpeedAxisCaption(caption);
  }
  void setTimeAxisCaption(std::string_view caption) override {
    form_.Label22->setText(fromUtf8(caption));
    form_.Picture1->setTimeAxisCaption(caption);
  }

 private:
  Form1& form_;
};

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(fromUtf8(kForm1Caption));
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(kClientWidth, kClientHeight);

  QPalette colours = palette();
  for (auto role : {QPalette::Window, QPalette::Base}) colours.setColor(role, kWhite);
  for (auto role : {QPalette::WindowText, QPalette::Text}) colours.setColor(role, kBlack);
  setPalette(colours);
  setAutoFillBackground(true);
  setFont(standardFont());

  createControls();
  setTabOrderAsDesigned();
  connectHandlers();
  Form_Load();
  Command1->setFocus(Qt::OtherFocusReason);
  // The focused control shows its focus mark from the start, not only once
  // Tab has been pressed: every control that takes focus marks the window
  // anew when it gets it.
  setAttribute(Qt::WA_KeyboardFocusChange);
  for (QWidget* control : findChildren<QWidget*>())
    if (control->focusPolicy() != Qt::NoFocus) control->installEventFilter(this);
}

Form1::~Form1() = default;

void Form1::createControls() {
  std::vector<QLabel*> labels;
  for (const ControlDesign& design : kControls) {
    const QString name = fromUtf8(design.name);
    const QString text = fromUtf8(design.text);
    QWidget* widget = nullptr;
    switch (design.kind) {
      case ControlKind::TextBox: {
        auto* box = new QLineEdit(text, this);
        textBoxes_[nameNumber(design.name, "Text") - 1] = box;
        widget = box;
        break;
      }
      case ControlKind::Label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        // A caption's text starts at its top edge, as a label's does, so the
        // captions of one row share their baseline.
        label->setAlignment((design.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        labels.push_back(label);
        widget = label;
        break;
      }
      case ControlKind::CheckBox: {
        auto* box = new OptionCheckBox(this);
        box->setText(text);
        checkBoxes_[nameNumber(design.name, "Check") - 1] = box;
        widget = box;
        break;
      }
      case ControlKind::CommandButton:
        widget = new QPushButton(text, this);
        break;
      case ControlKind::OptionButton: {
        Option1 = new IndicatorButton(this);
        Option1->setText(text);
        widget = Option1;
        break;
      }
      case ControlKind::PictureBox:
        Picture1 = new PictureBox(this);
        Picture1->setFocusPolicy(Qt::StrongFocus);
        widget = Picture1;
        break;
      case ControlKind::Line:
        widget = new LineControl(this);
        break;
    }
    widget->setObjectName(name);
    // The graph area keeps the picture's own size: its 10010 x 4010 twips
    // rounded up to whole pixels, so that every twip has its pixel.
    const QRect place = pixelRect(design);
    widget->setGeometry(
        design.kind == ControlKind::PictureBox ? QRect(place.topLeft(), widget->size()) : place);
    widget->setFont(design.m9 ? m9Font() : standardFont());
    if (design.ground != Ground::Standard) {
      QPalette ground = widget->palette();
      ground.setColor(widget->backgroundRole(), kWhite);
      widget->setPalette(ground);
      widget->setAutoFillBackground(true);
    }
  }

  Command1 = findChild<QPushButton*>(QStringLiteral("Command1"));
  Command2 = findChild<QPushButton*>(QStringLiteral("Command2"));
  Command3 = findChild<QPushButton*>(QStringLiteral("Command3"));
  Command4 = findChild<QPushButton*>(QStringLiteral("Command4"));
  Label21 = findChild<QLabel*>(QStringLiteral("Label21"));
  Label22 = findChild<QLabel*>(QStringLiteral("Label22"));

  // Text8 is the fixed caption of Option1: it looks like a caption, cannot
  // be edited and takes no focus.
  QLineEdit* text8 = textBox(TextBox::Text8);
  text8->setReadOnly(true);
  text8->setFrame(false);
  text8->setFocusPolicy(Qt::NoFocus);
  text8->setTextMargins(0, 0, 0, 0);
  text8->setContextMenuPolicy(Qt::NoContextMenu);

  // A caption's edge may overlap the box it names by a pixel: the boxes lie
  // on top.
  for (QLabel* label : labels) label->lower();
}

void Form1::setTabOrderAsDesigned() {
  std::vector<std::pair<int, QWidget*>> stops;
  for (const ControlDesign& design : kControls) {
    if (design.tabIndex == kNoTab) continue;
    auto* widget = findChild<QWidget*>(fromUtf8(design.name));
    if (widget->focusPolicy() & Qt::TabFocus) stops.emplace_back(design.tabIndex, widget);
  }
  std::sort(stops.begin(), stops.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < stops.size(); ++i)
    QWidget::setTabOrder(stops[i - 1].second, stops[i].second);
}

void Form1::connectHandlers() {
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  // Every change of a paired box's value, by a click or by code, runs its
  // handler at once, inside the assignment that made it. Check1 has none.
  for (int n = 2; n <= kCheckBoxCount; ++n) {
    const CheckBox box = checkBoxNumber(n);
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    connect(checkBox(box), &QCheckBox::checkStateChanged, this, [this, box] { Check_Click(box); });
#else
    connect(checkBox(box), &QCheckBox::stateChanged, this, [this, box] { Check_Click(box); });
#endif
  }
  // Additions: design from a target move, and what the fields mean.
  new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this, [this] { openDesign(); });
  connect(Picture1, &PictureBox::designRequested, this, [this] { openDesign(); });
  offerDesignInFieldMenus(
      textBoxes_, [this] { return !runActive_; }, [this] { openDesign(); });
  explainParameterFields(*this, textBoxes_);
}

std::int16_t Form1::optionValue(CheckBox box) const {
  return checkBox(box)->value();
}

void Form1::setOptionValue(CheckBox box, std::int16_t value) {
  checkBox(box)->setValue(value);
}

std::string Form1::text(TextBox box) const {
  return textBox(box)->text().toLocal8Bit().toStdString();
}

void Form1::setText(TextBox box, const std::string& text) {
  if (box == TextBox::Text8) return;
  textBox(box)->setText(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
}

void Form1::setIndicator(bool on) {
  Option1->setOn(on);
}

void Form1::showReadoutValue(TextBox box, std::int64_t value) {
  QLineEdit* edit = textBox(box);
  const QString text = QString::number(value);
  edit->setText(text);
  edit->setCursorPosition(0);
  const int room = edit->contentsRect().width() - 4;  // the text box's own margins
  QString tip = edit->fontMetrics().horizontalAdvance(text) > room ? text : QString();
  // The speeds and the acceleration also in pulses per second (per second).
  for (const ReadoutControl& control : kReadoutControls)
    if (control.box == box)
      if (const QString meaning = readoutMeaning(control.readout, value, readoutRange_);
          !meaning.isEmpty())
        tip = tip.isEmpty() ? meaning : tip + QLatin1Char('\n') + meaning;
  edit->setToolTip(tip);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && !testAttribute(Qt::WA_KeyboardFocusChange)) {
    setAttribute(Qt::WA_KeyboardFocusChange);
    static_cast<QWidget*>(watched)->update();
  }
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button != nullptr && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
        button->isEnabled()) {
      button->click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Form1::holdParameterFields(bool held) {
  for (const ParameterField& field : kParameterFields) textBox(field.control)->setReadOnly(held);
}

void Form1::Form_Load() {
  applyStartupValues(*this);
}

void Form1::Command1_Click() {
  // One run at a time: Start is disabled while a run is active, and a click
  // that still arrives is ignored.
  if (runActive_) return;
  guarded(this, [this] { runSimulation(); });
  // The message comes once the window is ready again, so that focus can go
  // to the field it names.
  if (const RecordedRun* run = Picture1->lastRun();
      run && run->outcome.failed() && !closeRequested_)
    showRunFailure(run->outcome, run->typed);
  if (closeRequested_) {
    closeRequested_ = false;
    close();
  }
}

void Form1::runSimulation() {
  runActive_ = true;
  // Keys typed during the run go to Stop: Space or Enter stops it.
  Command2->setFocus(Qt::OtherFocusReason);
  Command1->setEnabled(false);
  holdParameterFields(true);
  struct EndOfRun {
    Form1& form;
    ~EndOfRun() {
      form.runActive_ = false;
      form.holdParameterFields(false);
      form.Picture1->runEnded();
      form.Command1->setEnabled(true);
      form.Command1->setFocus(Qt::OtherFocusReason);
    }
  } endOfRun{*this};

  auto record = std::make_shared<RecordedRun>();
  record->recipe.params = readRunParameters(*this);
  record->recipe.sCurve = optionValue(CheckBox::Check4);
  record->recipe.startOptions = {optionValue(CheckBox::Check2), optionValue(CheckBox::Check7)};
  record->typed = typedTexts(record->recipe.params);
  Picture1->runStarting(record);
  const Converted<std::int32_t> range = textToInt32(record->recipe.params[Parameter::Range]);
  readoutRange_ = range.ok() ? range.value : 0;

  WindowReadouts readouts(*this);
  WindowGraph graph(*this);
  RunSession session(*this, readouts);
  session.drawOn(graph).traceTo(record->trace).logTo(DataLog::kDefaultPath);
  const RunResult result = session.run(record->recipe.params);
  const RunOutcome& outcome = result.outcome;
  readouts.showChangedValues();
  lastOutcome_ = outcome;

  record->outcome = outcome;
  record->recipe.changes = readouts.optionChanges();
  if (outcome.end == RunEnd::Stopped) record->recipe.stopTick = outcome.ticks;
  record->range = result.range;
  record->peakSpeed = result.peakSpeed;
  record->phases = result.phases;
  for (const ReadoutControl& control : kReadoutControls)
    record->readouts[static_cast<std::size_t>(control.readout)] =
        control.box ? textBox(*control.box)->text()
                    : (Option1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
  if (outcome.failed()) record->failureMessage = runFailureMessage(outcome, record->typed);
}

void Form1::showRunFailure(const RunOutcome& outcome, const RunParameters& typed) {
  QMessageBox box(QMessageBox::Critical, runFailureTitle(), runFailureMessage(outcome, typed),
                  QMessageBox::Ok, this);
  box.setInformativeText(QStringLiteral("<small>%1</small>")
                             .arg(fromUtf8(failureDetailJapanese(outcome)).toHtmlEscaped()));
  box.exec();
  const RunFailure& failure = *outcome.failure;
  if (failure.causes.empty()) return;
  QLineEdit* field = textBox(fieldOf(failure.causes.front()).control);
  activateWindow();
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
}

void Form1::openDesign() {
  if (runActive_) return;
  guarded(this, [this] {
    // The targets start from the ramp times of the last completed run.
    std::optional<RunFigures> lastRun;
    if (const RecordedRun* run = Picture1->lastRun();
        run && run->outcome.end == RunEnd::Completed) {
      RunResult result;
      result.outcome = run->outcome;
      result.phases = run->phases;
      result.range = run->range;
      result.peakSpeed = run->peakSpeed;
      lastRun = figuresOf(result);
    }
    DesignDialog dialog(*this, lastRun, this);
    dialog.exec();
  });
}

void Form1::Command2_Click() {
  stopf = 1;
}

void Form1::Command3_Click() {
  guarded(this, [this] { saveParametersInteractively(this, *this); });
}

void Form1::Command4_Click() {
  guarded(this, [this] { loadParametersInteractively(this, *this); });
}

void Form1::Check_Click(CheckBox box) {
  runPairHandler(*this, box);
}

void Form1::closeEvent(QCloseEvent* event) {
  // Closing during a run stops the run first: it ends at its next yield,
  // closes the data log with every record written, and the window closes
  // when the Start handler has returned.
  if (runActive_) {
    stopf = 1;
    closeRequested_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace tarvex
