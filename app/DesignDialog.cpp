#include "DesignDialog.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "Conversions.h"
#include "DesignWording.h"
#include "FormRun.h"
#include "PhysicalMeaning.h"
#include "QtText.h"
#include "RunStop.h"
#include "Units.h"
#include "WindowLanguage.h"
#include "WindowSettings.h"

namespace tarvex::window {
namespace {

using design::Shortfall;
using design::Target;
namespace wording = design::wording;

using wording::kTargetsShown;

QString captionOf(Target target) {
  return fromUtf8(wording::captionOf(target));
}

// The verdict's lines, under the targets.
constexpr int kVerdictWidth = 440;

QTableWidget* table(QWidget* parent, const char* name, const std::vector<std::string>& header) {
  auto* t = new QTableWidget(0, int(header.size()), parent);
  t->setObjectName(QString::fromLatin1(name));
  QStringList labels;
  for (const std::string& label : header) labels << fromUtf8(label);
  t->setHorizontalHeaderLabels(labels);
  t->verticalHeader()->hide();
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  return t;
}

using wording::Mark;

// A row as the table shows it: an off target in red, a changed value in bold.
void addRow(QTableWidget* t, const wording::TableRow& shown) {
  const Mark mark = shown.mark;
  const int row = t->rowCount();
  t->insertRow(row);
  for (int c = 0; c < int(shown.cells.size()); ++c) {
    auto* item = new QTableWidgetItem(fromUtf8(shown.cells[std::size_t(c)]));
    if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (mark == Mark::Off) item->setForeground(QColor(0xc0, 0x00, 0x00));
    if (mark != Mark::None) {
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
    }
    t->setItem(row, c, item);
  }
}

// An empty table is no stop for Tab.
void takeFocusWhenFilled(QTableWidget* t) {
  t->setFocusPolicy(t->rowCount() > 0 ? Qt::StrongFocus : Qt::NoFocus);
}

QString settingsKey(Target target) {
  return fromUtf8(design::targetName(target));
}

}  // namespace

// What the design's thread and the dialog share: the targets and texts in,
// the solution (or the failure) out, and the stop request across.
struct DesignSearch {
  design::MoveTargets targets;
  RunParameters base;
  RunStopRequest stop;
  std::optional<design::Solution> solution;
  QString failure;  // what went wrong, where the design threw
  QThread* thread = nullptr;
};

std::optional<TargetTexts> SettingsTargetMemory::recall() const {
  const QVariantMap stored = WindowSettings::value(Setting::DesignTargets).toMap();
  if (!stored.contains(settingsKey(Target::Pulses))) return std::nullopt;
  TargetTexts texts;
  for (const Target target : kTargetsShown)
    texts[std::size_t(target)] = stored.value(settingsKey(target)).toString();
  return texts;
}

void SettingsTargetMemory::remember(const TargetTexts& texts) {
  QVariantMap stored;
  for (const Target target : kTargetsShown)
    stored.insert(settingsKey(target), texts[std::size_t(target)]);
  WindowSettings::setValue(Setting::DesignTargets, stored);
}

DesignDialog::DesignDialog(FormControls& form, const std::optional<RunFigures>& lastRun,
                           TargetMemory& memory, QWidget* parent)
    : QDialog(parent), form_(form), memory_(memory) {
  setWindowTitle(fromUtf8(wording::kTitle));
  // The targets, the buttons and the verdict on the left, the run's figures
  // and the proposal on the right.
  auto* columns = new QHBoxLayout(this);
  auto* layout = new QVBoxLayout;
  auto* results = new QVBoxLayout;
  columns->addLayout(layout, 0);
  columns->addLayout(results, 1);

  auto* wanted = new QGroupBox(fromUtf8(wording::kTargetsGroup), this);
  auto* grid = new QGridLayout(wanted);
  for (int row = 0; row < int(kTargetsShown.size()); ++row) {
    const Target target = kTargetsShown[std::size_t(row)];
    auto* edit = new QLineEdit(wanted);
    edit->setObjectName(fromUtf8(design::targetName(target)));
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, &DesignDialog::targetsEdited);
    auto* label = new QLabel(captionOf(target) + QStringLiteral("(&%1)：").arg(row + 1), wanted);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    // Japanese wraps between any two characters, words too: the hints'
    // lines end where their phrases do, and nowhere else.
    auto* unit = new QLabel(fromUtf8(wording::hintOf(target)), wanted);
    unit->setObjectName(QStringLiteral("hint"));
    grid->addWidget(unit, row, 2);
    targets_[std::size_t(target)] = edit;
  }
  grid->setColumnStretch(2, 1);
  grid->setColumnMinimumWidth(2, 220);
  layout->addWidget(wanted);

  auto* buttons = new QHBoxLayout;
  calculate_ = new QPushButton(QStringLiteral("計算(&C)"), this);
  calculate_->setObjectName(QStringLiteral("calculate"));
  apply_ = new QPushButton(QStringLiteral("適用(&A)"), this);
  apply_->setObjectName(QStringLiteral("apply"));
  apply_->setEnabled(false);
  undo_ = new QPushButton(QStringLiteral("元に戻す(&Z)"), this);
  undo_->setObjectName(QStringLiteral("undo"));
  undo_->setToolTip(QStringLiteral("「適用」の前の各欄とチェックボックスに戻します（Ctrl+Z）。"));
  undo_->setEnabled(false);
  close_ = new QPushButton(QStringLiteral("閉じる"), this);
  close_->setObjectName(QStringLiteral("close"));
  buttons->addStretch(1);
  for (QPushButton* b : {calculate_, apply_, undo_, close_}) buttons->addWidget(b);
  layout->addLayout(buttons);
  calculate_->setDefault(true);
  connect(calculate_, &QPushButton::clicked, this, &DesignDialog::calculate);
  connect(apply_, &QPushButton::clicked, this, &DesignDialog::apply);
  connect(undo_, &QPushButton::clicked, this, &DesignDialog::undo);
  connect(close_, &QPushButton::clicked, this, &DesignDialog::reject);
  // Ctrl+Z undoes 適用 unless a target field takes it for its own typing.
  auto* undoKey = new QShortcut(QKeySequence::Undo, this);
  connect(undoKey, &QShortcut::activated, this, &DesignDialog::undo);

  verdict_ = new QLabel(fromUtf8(wording::kPrompt), this);
  verdict_->setObjectName(QStringLiteral("verdict"));
  verdict_->setMinimumWidth(kVerdictWidth);
  layout->addWidget(verdict_);
  busy_ = new QProgressBar(this);
  busy_->setObjectName(QStringLiteral("busy"));
  busy_->setRange(0, 0);  // running, without an end known beforehand
  busy_->setTextVisible(false);
  busy_->hide();
  layout->addWidget(busy_);
  layout->addStretch(1);
  progress_ = new QTimer(this);
  progress_->setInterval(100);
  connect(progress_, &QTimer::timeout, this, &DesignDialog::showProgress);

  achieved_ = table(this, "achieved", wording::achievedHeader());
  proposal_ = table(this, "proposal", wording::proposalHeader());
  results->addWidget(achieved_, 8);
  results->addWidget(proposal_, 15);
  clearTables();

  // The targets as last typed; else the figures of one run: the last
  // completed one, or what the fields would run.
  filling_ = true;
  const auto set = [this](Target target, const QString& text) {
    targets_[std::size_t(target)]->setText(text);
  };
  if (const std::optional<TargetTexts> typed = memory_.recall()) {
    for (const Target target : kTargetsShown) set(target, (*typed)[std::size_t(target)]);
  } else {
    const wording::TargetTexts starting =
        wording::startingTargets(lastRun, utf8Parameters(readRunParameters(form)),
                                 form.optionValue(pairOf(RunOption::SCurve).on) == kChecked);
    for (const Target target : kTargetsShown) set(target, fromUtf8(starting[std::size_t(target)]));
  }
  filling_ = false;
  resize(980, 600);
}

DesignDialog::~DesignDialog() {
  if (search_) {
    search_->stop.request();
    search_->thread->wait();
  }
}

bool DesignDialog::eventFilter(QObject* watched, QEvent* event) {
  // A target field entered from the keyboard (Tab, Alt+1 to Alt+7, the
  // dialog opening, a message pointing at it) has its text selected, so
  // that typing replaces it.
  if (event->type() == QEvent::FocusIn) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason)
      if (auto* edit = qobject_cast<QLineEdit*>(watched)) edit->selectAll();
  }
  return QDialog::eventFilter(watched, event);
}

TargetTexts DesignDialog::typedTexts() const {
  TargetTexts texts;
  for (const Target target : kTargetsShown)
    texts[std::size_t(target)] = targets_[std::size_t(target)]->text();
  return texts;
}

void DesignDialog::done(int result) {
  memory_.remember(typedTexts());
  QDialog::done(result);
}

void DesignDialog::targetsEdited() {
  if (filling_) return;
  design_.reset();
  clearTables();
  apply_->setEnabled(false);
  calculate_->setDefault(true);
  showVerdict(fromUtf8(wording::kEdited), Tone::Plain);
}

std::optional<design::MoveTargets> DesignDialog::typedTargets() {
  wording::TargetTexts typed;
  for (const Target target : kTargetsShown)
    // Full-width digits count as the digits they are.
    typed[std::size_t(target)] = targets_[std::size_t(target)]
                                     ->text()
                                     .normalized(QString::NormalizationForm_KC)
                                     .trimmed()
                                     .toStdString();
  const auto read = wording::readTargets(typed);
  if (const auto* targets = std::get_if<design::MoveTargets>(&read)) return *targets;
  const auto& problem = std::get<wording::TargetProblemText>(read);
  showVerdict(fromUtf8(problem.text), Tone::Failed);
  QLineEdit* edit = targets_[std::size_t(problem.target)];
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  return std::nullopt;
}

void DesignDialog::calculate() {
  if (search_) return;
  design_.reset();
  apply_->setEnabled(false);
  clearTables();
  memory_.remember(typedTexts());
  const std::optional<design::MoveTargets> targets = typedTargets();
  if (!targets) return;
  // The design's thread gets values only: the targets and the fields' texts.
  auto search = std::make_shared<DesignSearch>();
  search->targets = *targets;
  search->base = readRunParameters(form_);
  search->thread = QThread::create([search] {
    // No exception may leave the thread: a failure is the verdict.
    try {
      search->solution = design::solve(search->targets, search->base, &search->stop);
    } catch (const std::exception& e) {
      search->failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
      search->failure = QStringLiteral("不明なエラー");
    }
  });
  connect(search->thread, &QThread::finished, this, &DesignDialog::searchEnded);
  connect(search->thread, &QThread::finished, search->thread, &QObject::deleteLater);
  search_ = search;
  setSearching(true);
  search->thread->start();
}

void DesignDialog::setSearching(bool searching) {
  for (QLineEdit* edit : targets_) edit->setReadOnly(searching);
  calculate_->setEnabled(!searching);
  close_->setText(searching ? QStringLiteral("キャンセル") : QStringLiteral("閉じる"));
  busy_->setVisible(searching);
  if (searching) {
    undo_->setEnabled(false);
    showVerdict(fromUtf8(wording::kSearching), Tone::Plain);
    progress_->start();
    close_->setFocus(Qt::OtherFocusReason);
  } else {
    progress_->stop();
    undo_->setEnabled(beforeApply_.has_value());
  }
}

void DesignDialog::showProgress() {
  if (!search_ || search_->stop.requested()) return;
  showVerdict(fromUtf8(wording::progressText(search_->stop.runsBegun())), Tone::Plain);
}

void DesignDialog::cancel() {
  if (!search_) return;
  search_->stop.request();
  showVerdict(fromUtf8(wording::kCancelling), Tone::Plain);
}

void DesignDialog::reject() {
  if (search_) {
    cancel();
    return;
  }
  QDialog::reject();
}

void DesignDialog::searchEnded() {
  const std::shared_ptr<DesignSearch> search = std::move(search_);
  setSearching(false);
  if (search->stop.requested()) {
    showVerdict(fromUtf8(wording::kCancelled), Tone::Plain);
    targets_[0]->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (!search->failure.isEmpty() || !search->solution) {
    showVerdict(fromUtf8(wording::internalErrorText(search->failure.toStdString())), Tone::Failed);
    return;
  }
  const design::MoveTargets& targets = search->targets;
  // A refusal shows the closest design found; it is offered for 適用 only
  // where every target was tried and none stands out as beyond the chip.
  bool applicable = true;
  if (const auto* u = std::get_if<design::Unreachable>(&*search->solution)) {
    if (u->closest) showDesign(*u->closest);
    applicable = u->why == Shortfall::OffTarget;
    showVerdict(fromUtf8(wording::unreachableText(targets, *u)), Tone::Failed);
  } else {
    showDesign(std::get<design::Design>(*search->solution));
    showVerdict(fromUtf8(wording::kMet), Tone::Met);
  }
  if (design_ && applicable) {
    apply_->setEnabled(true);
    apply_->setDefault(true);
    apply_->setFocus(Qt::OtherFocusReason);
  } else {
    calculate_->setFocus(Qt::OtherFocusReason);
  }
}

void DesignDialog::clearTables() {
  for (QTableWidget* t : {achieved_, proposal_}) {
    t->setRowCount(0);
    takeFocusWhenFilled(t);
  }
}

void DesignDialog::showDesign(const design::Design& design) {
  design_ = design;
  for (const wording::TableRow& row : wording::achievedRows(design)) addRow(achieved_, row);
  achieved_->resizeColumnsToContents();
  const RunParameters now = utf8Parameters(readRunParameters(form_));
  for (const wording::TableRow& row : wording::proposalRows(design, now, form_))
    addRow(proposal_, row);
  proposal_->resizeColumnsToContents();
  takeFocusWhenFilled(achieved_);
  takeFocusWhenFilled(proposal_);
}

void DesignDialog::showVerdict(const QString& text, Tone tone) {
  verdict_->setText(brokenBetweenPhrases(text, verdict_->fontMetrics(), kVerdictWidth));
  QPalette colours = verdict_->palette();
  colours.setColor(QPalette::WindowText, tone == Tone::Met ? QColor(0x00, 0x60, 0x00)
                                         : tone == Tone::Failed
                                             ? QColor(0xc0, 0x00, 0x00)
                                             : palette().color(QPalette::WindowText));
  verdict_->setPalette(colours);
}

void DesignDialog::apply() {
  if (!design_) return;
  FormSnapshot before;
  for (const ParameterField& field : kParameterFields)
    before.texts[std::size_t(indexOf(field.control))] = form_.text(field.control);
  for (int i = 0; i < kCheckBoxCount; ++i)
    before.boxes[std::size_t(i)] = form_.optionValue(CheckBox(i + 1));  // Check1 is 1
  design::applyProposal(design_->proposal, form_);
  beforeApply_ = before;
  apply_->setEnabled(false);
  undo_->setEnabled(true);
  showVerdict(fromUtf8(wording::kApplied), Tone::Met);
  close_->setDefault(true);
  close_->setFocus(Qt::OtherFocusReason);
}

void DesignDialog::undo() {
  if (!beforeApply_ || search_) return;
  // The boxes first, each as it was (a paired box's partner follows), then
  // the texts, so that no pair handler's change outlives the undo.
  for (int i = 0; i < kCheckBoxCount; ++i)
    form_.setOptionValue(CheckBox(i + 1), beforeApply_->boxes[std::size_t(i)]);
  for (const ParameterField& field : kParameterFields)
    form_.setText(field.control, beforeApply_->texts[std::size_t(indexOf(field.control))]);
  beforeApply_.reset();
  undo_->setEnabled(false);
  apply_->setEnabled(design_.has_value());
  showVerdict(fromUtf8(wording::kUndone), Tone::Plain);
}

void offerDesignInFieldMenus(const std::array<QLineEdit*, kTextBoxCount>& boxes,
                             std::function<bool()> available, std::function<void()> open) {
  for (const ParameterField& field : kParameterFields) {
    QLineEdit* edit = boxes[indexOf(field.control)];
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(edit, &QWidget::customContextMenuRequested, edit,
                     [edit, available, open](const QPoint& where) {
                       QMenu* menu = edit->createStandardContextMenu();
                       menu->addSeparator();
                       QAction* design = menu->addAction(QStringLiteral("目標から設計(&G)..."));
                       design->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
                       design->setEnabled(available());
                       QObject::connect(design, &QAction::triggered, edit, open,
                                        Qt::QueuedConnection);
                       // Shown as the field's own menu is, without waiting for it.
                       menu->setAttribute(Qt::WA_DeleteOnClose);
                       menu->popup(edit->mapToGlobal(where));
                     });
  }
}

}  // namespace tarvex::window
