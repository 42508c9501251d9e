#include "Form1.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <utility>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
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
#include "FormLayout.h"
#include "OptionPairs.h"
#include "ParameterFileActions.h"
#include "PhysicalMeaning.h"
#include "PictureBox.h"
#include "QtText.h"
#include "RecordedRun.h"
#include "RunFailureMessage.h"
#include "RunFigures.h"
#include "StartupValues.h"
#include "WindowFonts.h"
#include "WindowRun.h"

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

bool isReadout(TextBox box) {
  for (const ReadoutControl& control : kReadoutControls)
    if (control.box == box) return true;
  return false;
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

// The keys that open the focused control's context menu, as the right mouse
// button does: the menu key and Shift+F10. Not every desktop turns them into
// a menu request, so the window does it itself.
bool opensContextMenu(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
  return (key.key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
         (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

// Opens the context menu of `control` as the keyboard does: at the text
// cursor of a field, at the top left of the graph.
void openContextMenuFromKeyboard(QWidget& control) {
  const QRect cursor = control.inputMethodQuery(Qt::ImCursorRectangle).toRect();
  const QPoint at = cursor.isValid() ? cursor.center() : QPoint(20, 20);
  QContextMenuEvent request(QContextMenuEvent::Keyboard, at, control.mapToGlobal(at));
  QApplication::sendEvent(&control, &request);
}

}  // namespace

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
  showStartupValues();
  startButton_->setFocus(Qt::OtherFocusReason);
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
        const TextBox control = textBoxNumber(nameNumber(design.name, "Text"));
        QLineEdit* box =
            isReadout(control) ? new ReadoutBox(text, this) : new QLineEdit(text, this);
        textBoxes_[indexOf(control)] = box;
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
        triangleIndicator_ = new IndicatorButton(this);
        triangleIndicator_->setText(text);
        widget = triangleIndicator_;
        break;
      }
      case ControlKind::PictureBox:
        graph_ = new PictureBox(this);
        graph_->setFocusPolicy(Qt::StrongFocus);
        widget = graph_;
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

  startButton_ = findChild<QPushButton*>(QStringLiteral("Command1"));
  stopButton_ = findChild<QPushButton*>(QStringLiteral("Command2"));
  saveButton_ = findChild<QPushButton*>(QStringLiteral("Command3"));
  loadButton_ = findChild<QPushButton*>(QStringLiteral("Command4"));
  speedAxisCaption_ = findChild<QLabel*>(QStringLiteral("Label21"));
  timeAxisCaption_ = findChild<QLabel*>(QStringLiteral("Label22"));

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
  connect(startButton_, &QPushButton::clicked, this, [this] { start(); });
  connect(stopButton_, &QPushButton::clicked, this, [this] { requestStop(); });
  connect(saveButton_, &QPushButton::clicked, this, [this] { saveParameters(); });
  connect(loadButton_, &QPushButton::clicked, this, [this] { loadParameters(); });
  // The graph captions its axes at every run.
  connect(graph_, &PictureBox::speedAxisCaptionChanged, speedAxisCaption_, &QLabel::setText);
  connect(graph_, &PictureBox::timeAxisCaptionChanged, timeAxisCaption_, &QLabel::setText);
  // Every change of a paired box's value, by a click or by code, runs its
  // handler at once, inside the assignment that made it. Check1 has none.
  for (int n = 2; n <= kCheckBoxCount; ++n) {
    const CheckBox box = checkBoxNumber(n);
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    connect(checkBox(box), &QCheckBox::checkStateChanged, this,
            [this, box] { optionPairClicked(box); });
#else
    connect(checkBox(box), &QCheckBox::stateChanged, this, [this, box] { optionPairClicked(box); });
#endif
  }
  // Additions: design from a target move, and what the fields mean.
  new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this, [this] { openDesign(); });
  connect(graph_, &PictureBox::designRequested, this, [this] { openDesign(); });
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

bool Form1::indicatorOn() const {
  return triangleIndicator_->isChecked();
}

void Form1::setIndicator(bool on) {
  triangleIndicator_->setOn(on);
}

void Form1::showReadoutValue(TextBox box, std::int64_t value) {
  // The speeds and the acceleration also in pulses per second (per second).
  QString meaning;
  for (const ReadoutControl& control : kReadoutControls)
    if (control.box == box) meaning = readoutMeaning(control.readout, value, readoutRange_);
  static_cast<ReadoutBox*>(textBox(box))->showValue(value, meaning);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && !testAttribute(Qt::WA_KeyboardFocusChange)) {
    setAttribute(Qt::WA_KeyboardFocusChange);
    static_cast<QWidget*>(watched)->update();
  }
  if (event->type() == QEvent::KeyPress) {
    const auto& key = *static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button != nullptr && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
        button->isEnabled()) {
      button->click();
      return true;
    }
    auto* control = static_cast<QWidget*>(watched);
    const bool hasMenu = qobject_cast<QLineEdit*>(control) != nullptr || control == graph_;
    const Qt::ContextMenuPolicy policy = control->contextMenuPolicy();
    if (hasMenu && opensContextMenu(key) &&
        (policy == Qt::DefaultContextMenu || policy == Qt::CustomContextMenu)) {
      openContextMenuFromKeyboard(*control);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Form1::holdParameterFields(bool held) {
  for (const ParameterField& field : kParameterFields) textBox(field.control)->setReadOnly(held);
}

void Form1::showStartupValues() {
  applyStartupValues(*this);
}

void Form1::start() {
  // One run at a time: Start is disabled while a run is active, and a click
  // that still arrives is ignored.
  if (runActive_) return;
  guarded(this, [this] { runSimulation(); });
  // The message comes once the window is ready again, so that focus can go
  // to the field it names.
  if (const RecordedRun* run = graph_->lastRun();
      run && run->result.outcome.failed() && !closeRequested_)
    showRunFailure(*run);
  if (closeRequested_) {
    closeRequested_ = false;
    close();
  }
}

void Form1::runSimulation() {
  runActive_ = true;
  // Keys typed during the run go to Stop: Space or Enter stops it.
  stopButton_->setFocus(Qt::OtherFocusReason);
  startButton_->setEnabled(false);
  holdParameterFields(true);
  struct EndOfRun {
    Form1& form;
    ~EndOfRun() {
      form.runActive_ = false;
      form.holdParameterFields(false);
      form.graph_->runEnded();
      form.startButton_->setEnabled(true);
      form.startButton_->setFocus(Qt::OtherFocusReason);
    }
  } endOfRun{*this};

  const std::shared_ptr<RecordedRun> record = recordRunStart(*this);
  graph_->runStarting(record);
  const Converted<std::int32_t> range = textToInt32(record->recipe.params[Parameter::Range]);
  readoutRange_ = range.ok() ? range.value : 0;
  makeRun(*this, *graph_, *record);
  lastOutcome_ = record->result.outcome;
}

void Form1::showRunFailure(const RecordedRun& run) {
  showRunFailureMessage(this, run.result.outcome, run.failureMessage);
  const std::optional<TextBox> field = fieldToCorrect(run.result.outcome);
  if (!field) return;
  activateWindow();
  textBox(*field)->setFocus(Qt::OtherFocusReason);
  textBox(*field)->selectAll();
}

std::optional<RunFigures> Form1::lastCompletedRunFigures() const {
  const RecordedRun* run = graph_->lastRun();
  if (!run || run->result.outcome.end != RunEnd::Completed) return std::nullopt;
  return figuresOf(run->result);
}

void Form1::openDesign() {
  if (runActive_) return;
  guarded(this, [this] {
    // The targets start from the ramp times of the last completed run.
    const std::optional<RunFigures> lastRun = lastCompletedRunFigures();
    if (!designTargets_) designTargets_ = std::make_unique<SettingsTargetMemory>();
    DesignDialog dialog(*this, lastRun, *designTargets_, this);
    dialog.exec();
  });
}

void Form1::saveParameters() {
  guarded(this, [this] { saveParametersInteractively(this, *this); });
}

void Form1::loadParameters() {
  guarded(this, [this] { loadParametersInteractively(this, *this); });
}

void Form1::optionPairClicked(CheckBox box) {
  runPairHandler(*this, box);
}

void Form1::closeEvent(QCloseEvent* event) {
  // Closing during a run stops the run first: it ends at its next yield,
  // closes the data log with every record written, and the window closes
  // when the Start handler has returned.
  if (runActive_) {
    requestStop();
    closeRequested_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace tarvex
