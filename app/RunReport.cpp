#include "RunReport.h"

#include <algorithm>
#include <optional>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "PhysicalMeaning.h"
#include "QtText.h"
#include "Units.h"

namespace tarvex::window {
namespace {

QString seconds(std::int64_t ticks) {
  return fromUtf8(units::summarySeconds(ticks));
}

QString speed(std::int64_t speedCounter, std::int32_t range) {
  return fromUtf8(units::summaryPulsesPerSecond(speedCounter, range));
}

QString outcomeText(const RecordedRun& run) {
  switch (run.result.outcome.end) {
    case RunEnd::Completed:
      return QStringLiteral("完了");
    case RunEnd::Stopped:
      return QStringLiteral("停止（出力パルス %1 で停止）").arg(run.result.outcome.pulses);
    case RunEnd::Failed:
      break;
  }
  QString message = run.failureMessage;
  return QStringLiteral("エラー: ") + message.replace(QStringLiteral("\n\n"), QStringLiteral(" "))
                                          .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

const QStringList kPhaseHeader{QStringLiteral("ステート"),     QStringLiteral("ティック"),
                               QStringLiteral("時間 [s]"),     QStringLiteral("出力パルス"),
                               QStringLiteral("速度カウンタ"), QStringLiteral("速度 [pps]")};

QStringList phaseRow(const PhaseEntry& p, std::int32_t range) {
  return {QString::number(stateNumber(p.state)),
          QString::number(p.tick),
          seconds(p.tick),
          QString::number(p.pulses),
          QString::number(p.speedCounter),
          speed(p.speedCounter, range)};
}

QList<QStringList> summaryRows(const RecordedRun& run) {
  const auto shown = [&](Readout r) { return run.readouts[static_cast<std::size_t>(r)]; };
  QList<QStringList> rows{
      {QStringLiteral("結果"), outcomeText(run)},
      {QStringLiteral("移動時間 [s]"), seconds(run.result.outcome.ticks)},
      {QStringLiteral("ティック数"), QString::number(run.result.outcome.ticks)},
      {QStringLiteral("出力パルス"), QString::number(run.result.outcome.pulses)},
      {QStringLiteral("ピーク速度（速度カウンタ）"), QString::number(run.result.peakSpeed)},
      {QStringLiteral("ピーク速度 [pps]"), speed(run.result.peakSpeed, run.result.range)},
      {QStringLiteral("加速パルス"), shown(Readout::AccelPulses)},
      {QStringLiteral("引きずりパルス数"), shown(Readout::DragPulses)},
      {QStringLiteral("三角防止作動"), shown(Readout::TriangleIndicator) == QLatin1String("1")
                                           ? QStringLiteral("あり")
                                           : QStringLiteral("なし")},
  };
  return rows;
}

// ---- The registers against the run ----

// How the run was made: which registers it used.
bool sCurveRun(const RecordedRun& run) {
  return run.recipe.sCurve == kChecked;
}

// Symmetric deceleration throughout: the deceleration follows the
// acceleration's own rate and increasing rate.
bool symmetricRun(const RecordedRun& run) {
  if (run.recipe.startOptions.symmetric != kChecked) return false;
  return std::all_of(run.recipe.changes.begin(), run.recipe.changes.end(),
                     [](const LiveOptionChange& c) { return c.values.symmetric == kChecked; });
}

bool deceleratingState(AccelState state) {
  return state >= AccelState::DecelRising && state <= AccelState::DecelFalling;
}

// The points of the run's trace in its acceleration (or deceleration)
// states.
template <class Visit>
void forRampPoints(const RunTrace& trace, bool deceleration, Visit visit) {
  for (const TracePoint& p : trace.points())
    if (deceleration ? deceleratingState(p.state) : isAccelerationState(p.state)) visit(p);
}

// The highest acceleration counter the run reached in its acceleration (or
// deceleration), in pulses per second per second.
std::optional<Figure> peakRate(const RecordedRun& run, bool deceleration) {
  std::optional<std::int16_t> peak;
  forRampPoints(run.trace, deceleration, [&](const TracePoint& p) {
    if (!peak || p.accelCounter > *peak) peak = p.accelCounter;
  });
  if (!peak || run.result.range <= 0) return std::nullopt;
  return figureOf(units::pulsesPerSecondSquared(*peak, run.result.range), QStringLiteral("pps/s"));
}

// The jerk of an S-curve ramp as the run made it: how fast the acceleration
// counter rose from the first to the last point of the rising state, in
// pulses per second per second per second.
std::optional<Figure> jerkOf(const RecordedRun& run, bool deceleration) {
  const AccelState rising = deceleration ? AccelState::DecelRising : AccelState::AccelRising;
  const TracePoint* first = nullptr;
  const TracePoint* last = nullptr;
  for (const TracePoint& p : run.trace.points())
    if (p.state == rising) {
      if (!first) first = &p;
      last = &p;
    }
  if (!first || last->tick == first->tick || run.result.range <= 0) return std::nullopt;
  const double perSecond =
      units::pulsesPerSecondSquared(last->accelCounter - first->accelCounter, run.result.range);
  return figureOf(perSecond / units::secondsOfTicks(last->tick - first->tick),
                  QStringLiteral("pps/s²"));
}

const QStringList kRegisterHeader{QStringLiteral("レジスタ"), QStringLiteral("設定値"),
                                  QStringLiteral("物理量"),   QStringLiteral("単位"),
                                  QStringLiteral("実測"),     QStringLiteral("単位")};

// The registers that set speeds and rates, those the run's mode uses: the
// value, what it means in physical units, and for the rates what the run
// achieved at its peak.
QList<QStringList> registerRows(const RecordedRun& run) {
  const bool sCurve = sCurveRun(run);
  const bool symmetric = symmetricRun(run);
  QList<QStringList> rows;
  for (const Parameter p :
       {Parameter::Range, Parameter::InitialSpeed, Parameter::DriveSpeed, Parameter::Acceleration,
        Parameter::Deceleration, Parameter::JerkAccel, Parameter::JerkDecel}) {
    const bool jerk = p == Parameter::JerkAccel || p == Parameter::JerkDecel;
    const bool ofDeceleration = p == Parameter::Deceleration || p == Parameter::JerkDecel;
    if ((jerk && !sCurve) || (ofDeceleration && symmetric)) continue;
    QString caption = fromUtf8(fieldOf(p).caption);
    caption.chop(1);  // the colon
    QStringList row{caption, QString::fromLocal8Bit(run.recipe.params[p]).trimmed()};
    const std::optional<Figure> meaning = physicalFigure(p, run.recipe.params);
    row << (meaning ? meaning->number : QString()) << (meaning ? meaning->unit : QString());
    std::optional<Figure> achieved;
    if (p == Parameter::Acceleration || p == Parameter::Deceleration)
      achieved = peakRate(run, ofDeceleration);
    if (jerk) achieved = jerkOf(run, ofDeceleration);
    row << (achieved ? achieved->number : QString()) << (achieved ? achieved->unit : QString());
    rows.append(row);
  }
  return rows;
}

}  // namespace

QString runReportText(const RecordedRun& run) {
  QString text;
  for (const QStringList& row : summaryRows(run)) text += row.join(QLatin1Char('\t')) + '\n';
  text += '\n' + kRegisterHeader.join(QLatin1Char('\t')) + '\n';
  for (const QStringList& row : registerRows(run)) text += row.join(QLatin1Char('\t')) + '\n';
  text += '\n' + kPhaseHeader.join(QLatin1Char('\t')) + '\n';
  for (const PhaseEntry& p : run.result.phases)
    text += phaseRow(p, run.result.range).join(QLatin1Char('\t')) + '\n';
  return text;
}

void showRunReport(QWidget* parent, const RecordedRun& run) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("演算結果"));
  auto* layout = new QVBoxLayout(&dialog);

  const QList<QStringList> summary = summaryRows(run);
  const int rowHeight = dialog.fontMetrics().height() + 6;
  auto* facts = new QTableWidget(int(summary.size()), 2, &dialog);
  facts->verticalHeader()->setDefaultSectionSize(rowHeight);
  facts->horizontalHeader()->hide();
  facts->verticalHeader()->hide();
  for (int r = 0; r < summary.size(); ++r)
    for (int c = 0; c < 2; ++c) facts->setItem(r, c, new QTableWidgetItem(summary[r][c]));
  facts->setEditTriggers(QAbstractItemView::NoEditTriggers);
  facts->resizeColumnsToContents();
  facts->horizontalHeader()->setStretchLastSection(true);
  facts->setFixedHeight(facts->verticalHeader()->length() + 4);
  layout->addWidget(facts);

  const QList<QStringList> registers = registerRows(run);
  auto* meanings = new QTableWidget(int(registers.size()), int(kRegisterHeader.size()), &dialog);
  meanings->setObjectName(QStringLiteral("registers"));
  meanings->verticalHeader()->setDefaultSectionSize(rowHeight);
  meanings->setHorizontalHeaderLabels(kRegisterHeader);
  meanings->verticalHeader()->hide();
  for (int r = 0; r < registers.size(); ++r)
    for (int c = 0; c < registers[r].size(); ++c) {
      auto* item = new QTableWidgetItem(registers[r][c]);
      // The numbers to the right, the names and units to the left.
      if (c == 1 || c == 2 || c == 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      meanings->setItem(r, c, item);
    }
  meanings->setEditTriggers(QAbstractItemView::NoEditTriggers);
  meanings->resizeColumnsToContents();
  meanings->horizontalHeader()->setStretchLastSection(true);
  meanings->setFixedHeight(meanings->horizontalHeader()->height() +
                           meanings->verticalHeader()->length() + 4);
  layout->addWidget(meanings);

  auto* phases = new QTableWidget(int(run.result.phases.size()), int(kPhaseHeader.size()), &dialog);
  phases->setObjectName(QStringLiteral("phases"));
  phases->verticalHeader()->setDefaultSectionSize(rowHeight);
  phases->setHorizontalHeaderLabels(kPhaseHeader);
  phases->verticalHeader()->hide();
  for (int r = 0; r < int(run.result.phases.size()); ++r) {
    const QStringList row = phaseRow(run.result.phases[std::size_t(r)], run.result.range);
    for (int c = 0; c < row.size(); ++c) {
      auto* item = new QTableWidgetItem(row[c]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      phases->setItem(r, c, item);
    }
  }
  phases->setEditTriggers(QAbstractItemView::NoEditTriggers);
  phases->resizeColumnsToContents();
  phases->horizontalHeader()->setStretchLastSection(true);
  phases->setMinimumHeight(phases->horizontalHeader()->height() +
                           rowHeight * std::min(int(run.result.phases.size()), 9) + 4);
  layout->addWidget(phases);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QPushButton* copy =
      buttons->addButton(QStringLiteral("コピー(&C)"), QDialogButtonBox::ActionRole);
  copy->setObjectName(QStringLiteral("copy"));
  QObject::connect(copy, &QPushButton::clicked,
                   [&run] { QApplication::clipboard()->setText(runReportText(run)); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.resize(640, dialog.sizeHint().height());
  dialog.exec();
}

}  // namespace tarvex::window
