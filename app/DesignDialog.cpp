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
#include "FormRun.h"
#include "QtText.h"
#include "RunStop.h"
#include "Units.h"
#include "WindowLanguage.h"
#include "WindowSettings.h"

namespace tarvex::window {
namespace {

using design::Shortfall;
using design::Target;

constexpr std::array kTargetsShown{Target::Pulses,    Target::Peak,  Target::AccelTime,
                                   Target::DecelTime, Target::Start, Target::SCurve,
                                   Target::Range};

QString captionOf(Target target) {
  switch (target) {
    case Target::Pulses:
      return QStringLiteral("出力パルス数");
    case Target::Peak:
      return QStringLiteral("ピーク速度");
    case Target::AccelTime:
      return QStringLiteral("加速時間");
    case Target::DecelTime:
      return QStringLiteral("減速時間");
    case Target::Start:
      return QStringLiteral("初速度");
    case Target::SCurve:
      return QStringLiteral("Ｓ字の割合");
    case Target::Range:
      return QStringLiteral("レンジ");
  }
  return {};
}

// The verdict's lines, under the targets.
constexpr int kVerdictWidth = 440;

QString unitOf(Target target) {
  switch (target) {
    case Target::Pulses:
      return QStringLiteral("パルス");
    case Target::Peak:
      return QStringLiteral("pps");
    case Target::AccelTime:
      return QStringLiteral("s（開始から加速を終えるまで）");
    case Target::DecelTime:
      return QStringLiteral("s（減速開始から終了まで。\n空欄：加速時間と同じ）");
    case Target::Start:
      return QStringLiteral("pps（空欄：自動）");
    case Target::SCurve:
      return QStringLiteral("0：直線、0 より大きく 1 まで：Ｓ字\n（1：一定加速なし）");
    case Target::Range:
      return QStringLiteral("（空欄：自動）");
  }
  return {};
}

// A target's number as the outputs print it: never with an exponent.
QString number(double value) {
  return fromUtf8(design::numberText(value));
}

// A figure measured from a run, to seven significant digits.
QString measured(double value) {
  return number(QString::number(value, 'g', 7).toDouble());
}

QString limit(double value, bool roundUp) {
  return fromUtf8(design::limitText(value, roundUp));
}

// "加速時間 0.17 s"
QString stated(const design::MoveTargets& t, Target target) {
  const double value = design::targetValue(t, target);
  const QString unit = unitOf(target).section(QChar(u'（'), 0, 0);
  return captionOf(target) + QStringLiteral(" ") + number(value) +
         (target == Target::SCurve || target == Target::Range ? QString()
                                                              : QStringLiteral(" ") + unit);
}

QString problemText(Target target, design::TargetProblem problem) {
  const QString name = QStringLiteral("「%1」").arg(captionOf(target));
  switch (problem) {
    case design::TargetProblem::NotWhole:
      return name + QStringLiteral("は 1 以上の整数で入力してください。");
    case design::TargetProblem::NotPositive:
      return name + QStringLiteral("は 0 より大きい値で入力してください。");
    case design::TargetProblem::OutsideShare:
      return name + QStringLiteral("は 0 から 1 の値で入力してください。");
    case design::TargetProblem::TooWide:
      return name + QStringLiteral("は 2147483647 以下で入力してください。");
    case design::TargetProblem::None:
      break;
  }
  return {};
}

// Which target fails and what is reachable instead.
QString unreachableText(const design::MoveTargets& t, const design::Unreachable& u) {
  const QString what = stated(t, u.target);
  const QString unit = u.target == Target::Pulses ? QStringLiteral(" パルス")
                       : u.target == Target::Range
                           ? QString()
                           : QStringLiteral(" ") + unitOf(u.target).section(QChar(u'（'), 0, 0);
  const auto atLeast = [&](double v) { return limit(v, true) + unit + QStringLiteral(" 以上"); };
  const auto atMost = [&](double v) { return limit(v, false) + unit + QStringLiteral(" 以下"); };
  switch (u.why) {
    case Shortfall::PeakOutOfReach:
      return what + QStringLiteral("はこのチップの速度の範囲外です。") +
             (u.reachable < t.peak
                  ? atMost(u.reachable) + QStringLiteral("（1 ティックに 1 パルス）")
                  : atLeast(u.reachable)) +
             QStringLiteral("にしてください。");
    case Shortfall::StartNotBelowPeak:
      return what + QStringLiteral("がピーク速度 %1 pps 以上です。").arg(number(t.peak));
    case Shortfall::StartTooLow:
      return what + QStringLiteral("はこの条件では低すぎます。") + atLeast(u.reachable) +
             QStringLiteral("にしてください。");
    case Shortfall::TooShort:
      return what + QStringLiteral("は短すぎます。") + atLeast(u.reachable) +
             QStringLiteral("にしてください。");
    case Shortfall::TooLong:
      return what + QStringLiteral("は長すぎます。") + atMost(u.reachable) +
             QStringLiteral("にしてください。");
    case Shortfall::RunTooLong:
      return what +
             QStringLiteral("は 1 回の演算の最長時間（%1 s）に収まりません。")
                 .arg(fromUtf8(units::summarySeconds(2147483647))) +
             atMost(u.reachable) + QStringLiteral("にしてください。");
    case Shortfall::TooFewPulses: {
      QString text =
          what + QStringLiteral(
                     "では、%1 s で %2 pps に達し %3 s で減速できません"
                     "（三角防止が作動します）。")
                     .arg(number(t.accelTime), number(t.peak), number(t.decelTimeOrAccel()));
      if (u.pulsesNeeded > 0) text += QStringLiteral("%1 パルス以上必要です。").arg(u.pulsesNeeded);
      if (u.reachable > 0.0)
        text += QStringLiteral("%1 パルスならピーク速度 %2 pps まで可能です。")
                    .arg(t.pulses)
                    .arg(limit(u.reachable, false));
      return text;
    }
    case Shortfall::RangeTooSmall:
      return what + QStringLiteral("は小さすぎます。") + atLeast(u.reachable) +
             QStringLiteral("にしてください。");
    case Shortfall::RangeTooLarge:
      return what + QStringLiteral("ではピーク速度の速度カウンタが 32767 を超えます。") +
             atMost(u.reachable) + QStringLiteral("にしてください。");
    case Shortfall::OffTarget:
      return what + QStringLiteral(
                        "を許容範囲内で満たす設定は見つかりませんでした。"
                        "最も近い結果を示します。");
  }
  return what;
}

QTableWidget* table(QWidget* parent, const char* name, const QStringList& header) {
  auto* t = new QTableWidget(0, int(header.size()), parent);
  t->setObjectName(QString::fromLatin1(name));
  t->setHorizontalHeaderLabels(header);
  t->verticalHeader()->hide();
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  return t;
}

// How a row stands out: an off target in red, a changed value in bold.
enum class Mark { None, Changed, Off };

void addRow(QTableWidget* t, const QStringList& cells, Mark mark = Mark::None) {
  const int row = t->rowCount();
  t->insertRow(row);
  for (int c = 0; c < cells.size(); ++c) {
    auto* item = new QTableWidgetItem(cells[c]);
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

QString onOff(bool on, const char* yes, const char* no) {
  return QString::fromUtf8(on ? yes : no);
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
  setWindowTitle(QStringLiteral("目標から設計"));
  // The targets, the buttons and the verdict on the left, the run's figures
  // and the proposal on the right.
  auto* columns = new QHBoxLayout(this);
  auto* layout = new QVBoxLayout;
  auto* results = new QVBoxLayout;
  columns->addLayout(layout, 0);
  columns->addLayout(results, 1);

  auto* wanted = new QGroupBox(QStringLiteral("目標"), this);
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
    auto* unit = new QLabel(unitOf(target), wanted);
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

  verdict_ = new QLabel(QStringLiteral("目標を入力して「計算」を押してください。"), this);
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

  achieved_ = table(this, "achieved",
                    {QStringLiteral("目標"), QStringLiteral("目標値"),
                     QStringLiteral("提案の演算結果"), QStringLiteral("偏差")});
  proposal_ = table(this, "proposal",
                    {QStringLiteral("項目"), QStringLiteral("現在値"), QStringLiteral("提案値")});
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
  } else if (lastRun && lastRun->range > 0) {
    set(Target::Pulses, QString::number(lastRun->pulses));
    set(Target::Peak, measured(lastRun->peakPulsesPerSecond()));
    if (lastRun->initialSpeed > 0) set(Target::Start, measured(lastRun->startPulsesPerSecond()));
    if (const auto accel = lastRun->accelEndSeconds()) set(Target::AccelTime, measured(*accel));
    if (const auto decel = lastRun->decelSeconds()) set(Target::DecelTime, measured(*decel));
  } else {
    const RunParameters params = readRunParameters(form);
    set(Target::Pulses, QString::fromLocal8Bit(params[Parameter::OutputPulses]).trimmed());
    const Converted<std::int32_t> range = textToInt32(params[Parameter::Range]);
    const Converted<std::int16_t> drive = textToInt16(params[Parameter::DriveSpeed]);
    const Converted<std::int16_t> initial = textToInt16(params[Parameter::InitialSpeed]);
    if (range.ok() && range.value > 0) {
      if (drive.ok() && drive.value > 0)
        set(Target::Peak, measured(units::pulsesPerSecond(drive.value, range.value)));
      if (initial.ok() && initial.value > 0)
        set(Target::Start, measured(units::pulsesPerSecond(initial.value, range.value)));
    }
  }
  if (!memory_.recall())
    set(Target::SCurve, form.optionValue(pairOf(RunOption::SCurve).on) == kChecked
                            ? QStringLiteral("1")
                            : QStringLiteral("0"));
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
  showVerdict(QStringLiteral("目標が変わりました。「計算」（Enter）で設計し直します。"),
              Tone::Plain);
}

std::optional<design::MoveTargets> DesignDialog::typedTargets() {
  design::MoveTargets targets;
  for (const Target target : kTargetsShown) {
    QLineEdit* edit = targets_[std::size_t(target)];
    // Full-width digits count as the digits they are.
    const QString text = edit->text().normalized(QString::NormalizationForm_KC).trimmed();
    QString problem;
    if (text.isEmpty()) {
      if (std::find(std::begin(design::kRequiredTargets), std::end(design::kRequiredTargets),
                    target) == std::end(design::kRequiredTargets))
        continue;
      problem = QStringLiteral("「%1」を入力してください。").arg(captionOf(target));
    } else if (const auto value = design::targetNumber(text.toStdString()); !value) {
      problem = QStringLiteral("「%1」の「%2」は数値ではありません。").arg(captionOf(target), text);
    } else if (const auto kind = design::problemOf(target, *value);
               kind != design::TargetProblem::None) {
      problem = problemText(target, kind);
    } else {
      design::setTarget(targets, target, *value);
      continue;
    }
    showVerdict(problem, Tone::Failed);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return std::nullopt;
  }
  return targets;
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
    StopRunsOnThisThread stoppable(search->stop);
    // No exception may leave the thread: a failure is the verdict.
    try {
      search->solution = design::solve(search->targets, search->base);
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
    showVerdict(QStringLiteral("計算中です…（Esc：キャンセル）"), Tone::Plain);
    progress_->start();
    close_->setFocus(Qt::OtherFocusReason);
  } else {
    progress_->stop();
    undo_->setEnabled(beforeApply_.has_value());
  }
}

void DesignDialog::showProgress() {
  if (!search_ || search_->stop.requested()) return;
  showVerdict(QStringLiteral("計算中です…候補 %1 件を演算しました（Esc：キャンセル）")
                  .arg(search_->stop.runsBegun()),
              Tone::Plain);
}

void DesignDialog::cancel() {
  if (!search_) return;
  search_->stop.request();
  showVerdict(QStringLiteral("キャンセルしています…"), Tone::Plain);
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
    showVerdict(QStringLiteral("計算をキャンセルしました。"), Tone::Plain);
    targets_[0]->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (!search->failure.isEmpty() || !search->solution) {
    showVerdict(QStringLiteral("計算できませんでした（内部エラー：%1）").arg(search->failure),
                Tone::Failed);
    return;
  }
  const design::MoveTargets& targets = search->targets;
  if (const auto* u = std::get_if<design::Unreachable>(&*search->solution)) {
    if (u->closest) showDesign(*u->closest);
    showVerdict(unreachableText(targets, *u), Tone::Failed);
  } else {
    showDesign(std::get<design::Design>(*search->solution));
    showVerdict(QStringLiteral("すべての目標を満たしています。「適用」で各欄に書き込みます"
                               "（演算は「演算開始」で行います）。"),
                Tone::Met);
  }
  if (design_) {
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
  const RunFigures& run = design.achieved;
  for (const design::Deviation& d : design.deviations) {
    const bool seconds = d.target == Target::AccelTime || d.target == Target::DecelTime;
    const QString achieved = std::isnan(d.achieved)
                                 ? QStringLiteral("-")
                                 : fromUtf8(units::fixedDecimals(d.achieved, seconds ? 6 : 1));
    const QString deviation =
        std::isnan(d.achieved)
            ? QStringLiteral("範囲外")
            : QStringLiteral("%1%2 %  %3")
                  .arg(d.percent() >= 0.0 ? QStringLiteral("+") : QString())
                  .arg(fromUtf8(units::fixedDecimals(d.percent(), 2)))
                  .arg(d.within ? QStringLiteral("範囲内") : QStringLiteral("範囲外"));
    const QString unit = unitOf(d.target).section(QChar(u'（'), 0, 0);
    addRow(achieved_,
           {captionOf(d.target) + QStringLiteral(" [") + unit + QStringLiteral("]"),
            number(d.wanted) + (d.target == Target::Start && design.startChosen
                                    ? QStringLiteral("（自動）")
                                    : QString()),
            achieved, deviation},
           d.within ? Mark::None : Mark::Off);
  }
  const bool pulsesExact = run.pulses == design.targets.pulses;
  addRow(achieved_,
         {captionOf(Target::Pulses), QString::number(design.targets.pulses),
          QString::number(run.pulses),
          pulsesExact ? QStringLiteral("一致") : QStringLiteral("範囲外")},
         pulsesExact ? Mark::None : Mark::Off);
  addRow(achieved_, {QStringLiteral("移動時間 [s]"), QString(),
                     fromUtf8(units::summarySeconds(run.ticks)), QString()});
  addRow(achieved_, {QStringLiteral("引きずりパルス数"), QString(), QString::number(run.dragPulses),
                     QString()});
  addRow(achieved_, {QStringLiteral("三角防止作動"), QString(), onOff(run.triangle, "あり", "なし"),
                     QString()});
  achieved_->resizeColumnsToContents();

  for (const ParameterField& field : kParameterFields) {
    QString caption = fromUtf8(field.caption);
    caption.chop(1);  // the colon
    const QString now = QString::fromLocal8Bit(form_.text(field.control));
    const QString proposed = fromUtf8(design.proposal.params[field.parameter]);
    addRow(proposal_, {caption, now, proposed},
           now.trimmed() != proposed ? Mark::Changed : Mark::None);
  }
  const auto boxRow = [&](std::string_view caption, CheckBox box, bool proposedOn,
                          std::string_view on, std::string_view off) {
    const bool nowOn = form_.optionValue(box) == kChecked;
    const auto word = [&](bool isOn) { return fromUtf8(isOn ? on : off); };
    addRow(proposal_, {fromUtf8(caption), word(nowOn), word(proposedOn)},
           nowOn != proposedOn ? Mark::Changed : Mark::None);
  };
  const OptionPair& symmetric = pairOf(RunOption::Symmetric);
  boxRow(pairOf(RunOption::SCurve).onCaption, pairOf(RunOption::SCurve).on, !design.proposal.linear,
         "する", "しない（直線）");
  boxRow("減速", pairOf(RunOption::AutomaticDeceleration).on, true, "自動", "マニュアル");
  boxRow(symmetric.onCaption, symmetric.on, !design.proposal.asymmetric, symmetric.onCaption,
         symmetric.offCaption);
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
  showVerdict(
      QStringLiteral("各欄に書き込みました。「元に戻す」（Ctrl+Z）で書き込む前に戻します。"),
      Tone::Met);
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
  showVerdict(QStringLiteral("書き込む前の値に戻しました。"), Tone::Plain);
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
