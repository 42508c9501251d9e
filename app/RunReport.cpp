#include "RunReport.h"

#include <algorithm>

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
  switch (run.outcome.end) {
    case RunEnd::Completed:
      return QStringLiteral("完了");
    case RunEnd::Stopped:
      return QStringLiteral("停止（出力パルス %1 で停止）").arg(run.outcome.pulses);
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
      {QStringLiteral("移動時間 [s]"), seconds(run.outcome.ticks)},
      {QStringLiteral("ティック数"), QString::number(run.outcome.ticks)},
      {QStringLiteral("出力パルス"), QString::number(run.outcome.pulses)},
      {QStringLiteral("ピーク速度（速度カウンタ）"), QString::number(run.peakSpeed)},
      {QStringLiteral("ピーク速度 [pps]"), speed(run.peakSpeed, run.range)},
      {QStringLiteral("加速パルス"), shown(Readout::AccelPulses)},
      {QStringLiteral("引きずりパルス数"), shown(Readout::DragPulses)},
      {QStringLiteral("三角防止作動"), shown(Readout::TriangleIndicator) == QLatin1String("1")
                                           ? QStringLiteral("あり")
                                           : QStringLiteral("なし")},
  };
  // The parameters that set speeds and rates, in physical units as well.
  for (const Parameter p :
       {Parameter::Range, Parameter::InitialSpeed, Parameter::DriveSpeed, Parameter::Acceleration,
        Parameter::Deceleration, Parameter::JerkAccel, Parameter::JerkDecel}) {
    QString caption = fromUtf8(fieldOf(p).caption);
    caption.chop(1);  // the colon
    const QString physical = physicalValue(p, run.recipe.params);
    rows.append(
        {caption, QString::fromLocal8Bit(run.recipe.params[p]).trimmed() +
                      (physical.isEmpty() ? QString() : QStringLiteral("（%1）").arg(physical))});
  }
  return rows;
}

}  // namespace

QString runReportText(const RecordedRun& run) {
  QString text;
  for (const QStringList& row : summaryRows(run)) text += row.join(QLatin1Char('\t')) + '\n';
  text += '\n' + kPhaseHeader.join(QLatin1Char('\t')) + '\n';
  for (const PhaseEntry& p : run.phases)
    text += phaseRow(p, run.range).join(QLatin1Char('\t')) + '\n';
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

  auto* phases = new QTableWidget(int(run.phases.size()), int(kPhaseHeader.size()), &dialog);
  phases->setObjectName(QStringLiteral("phases"));
  phases->verticalHeader()->setDefaultSectionSize(rowHeight);
  phases->setHorizontalHeaderLabels(kPhaseHeader);
  phases->verticalHeader()->hide();
  for (int r = 0; r < int(run.phases.size()); ++r) {
    const QStringList row = phaseRow(run.phases[std::size_t(r)], run.range);
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
                           rowHeight * std::min(int(run.phases.size()), 9) + 4);
  layout->addWidget(phases);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QPushButton* copy =
      buttons->addButton(QStringLiteral("コピー(&C)"), QDialogButtonBox::ActionRole);
  copy->setObjectName(QStringLiteral("copy"));
  QObject::connect(copy, &QPushButton::clicked,
                   [&run] { QApplication::clipboard()->setText(runReportText(run)); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.resize(560, dialog.sizeHint().height());
  dialog.exec();
}

}  // namespace tarvex::window
