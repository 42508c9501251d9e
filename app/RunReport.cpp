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
#include "ReportTables.h"
#include "Units.h"

namespace tarvex::window {
namespace {

// Symmetric deceleration throughout: the deceleration follows the
// acceleration's own rate and increasing rate.
bool symmetricRun(const RecordedRun& run) {
  if (run.recipe.startOptions.symmetric != kChecked) return false;
  return std::all_of(run.recipe.changes.begin(), run.recipe.changes.end(),
                     [](const LiveOptionChange& c) { return c.values.symmetric == kChecked; });
}

// What the report reads of a run recorded by the window.
struct WindowReported {
  explicit WindowReported(const RecordedRun& run)
      : params(utf8Parameters(run.recipe.params)),
        run{.params = params,
            .sCurve = run.recipe.sCurve == kChecked,
            .symmetric = symmetricRun(run),
            .outcome = run.result.outcome,
            .range = run.result.range,
            .peakSpeed = run.result.peakSpeed,
            .trace = run.trace,
            .phases = run.result.phases,
            .readouts = {},
            .failureMessage = run.failureMessage.toStdString()} {
    for (std::size_t i = 0; i < kReadoutCount; ++i)
      this->run.readouts[i] = run.readouts[i].toStdString();
  }
  RunParameters params;
  report::ReportedRun run;
};

QStringList cells(const report::Row& row) {
  QStringList list;
  for (const std::string& cell : row) list << fromUtf8(cell);
  return list;
}

QList<QStringList> rows(const std::vector<report::Row>& rows) {
  QList<QStringList> list;
  for (const report::Row& row : rows) list << cells(row);
  return list;
}

}  // namespace

QString runReportText(const RecordedRun& run) {
  return fromUtf8(report::reportText(WindowReported(run).run));
}

void showRunReport(QWidget* parent, const RecordedRun& run) {
  const WindowReported reported(run);
  const QStringList kRegisterHeader = cells(report::registerHeader());
  const QStringList kPhaseHeader = cells(report::phaseHeader());
  QDialog dialog(parent);
  dialog.setWindowTitle(fromUtf8(report::kTitle));
  auto* layout = new QVBoxLayout(&dialog);

  const QList<QStringList> summary = rows(report::summaryRows(reported.run));
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

  const QList<QStringList> registers = rows(report::registerRows(reported.run));
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
    const QStringList row =
        cells(report::phaseRow(run.result.phases[std::size_t(r)], run.result.range));
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
