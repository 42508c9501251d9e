#include "Sweep.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "BatchRun.h"
#include "Console.h"
#include "FailureText.h"
#include "StopRequest.h"
#include "SweepPlan.h"
#include "SweepPlot.h"
#include "SweepReport.h"
#include "SweepRows.h"
#include "SweepRuns.h"

namespace tarvex::batch {
namespace {

constexpr int kExitRunFailed = 1;

// How many runs, and how many of them at once.
struct SweepSize {
  std::int64_t runs;
  std::int64_t jobs;
};

SweepSize planSweep(const BatchOptions& options) {
  const std::int64_t runs = sweepRunCount(options.variations);
  const std::int64_t cores = std::max(1u, std::thread::hardware_concurrency());
  return {runs, std::min<std::int64_t>(runs, options.jobs ? *options.jobs : cores)};
}

// Run `index` of the sweep: the single run with the run's texts set as
// --set would set them, drawn for the family plot if there is one.
SweepResult runOne(const FormModel& base, const BatchOptions& options, const FamilyPlot* plot,
                   std::int64_t index) {
  const std::vector<std::string_view> texts = runTexts(options.variations, index);
  FormModel form = base;
  for (std::size_t i = 0; i < texts.size(); ++i)
    form.setText(options.variations[i].box, std::string(texts[i]));
  SweepResult result;
  NullGraphSurface nowhere;
  std::unique_ptr<GraphPicture> picture;
  if (plot) {
    picture = std::make_unique<GraphPicture>();
    picture->setCurveInk(plot->inkOf(index));
  }
  // No data log: recording is refused in a sweep, and a run's log is no row.
  BatchRun run(form, options, picture ? *picture : static_cast<GraphSurface&>(nowhere),
               std::filesystem::path());
  const RunOutcome outcome = run.run();
  if (picture) {
    // Of the picture, the family keeps only what stays small.
    result.curve = picture->curve(plot->curveForm());
    if (index == 0) result.firstPicture = std::move(picture);
  }
  result.interrupted = outcome.end == RunEnd::Stopped && stopRequested();
  result.failed = outcome.failed();
  if (result.failed) result.failure = describeFailure(outcome, readRunParameters(form));
  const RunReport report = run.report(outcome);
  result.row = options.json ? jsonRow(options.variations, texts, report) : csvRow(texts, report);
  return result;
}

}  // namespace

int runSweep(const FormModel& base, const BatchOptions& options, std::FILE* plotFile) {
  const SweepSize size = planSweep(options);
  std::optional<FamilyPlot> plot;
  if (options.plotPath) plot.emplace(options.variations, size.runs, plotFile, *options.plotPath);
  FamilyPlot* const family = plot ? &*plot : nullptr;

  SweepRows rows(options, size.runs, family, writeStandardOutput);
  std::int64_t ended = 0;
  if (rows.begin()) {
    SweepRuns runs(size.runs, size.jobs,
                   [&](std::int64_t index) { return runOne(base, options, family, index); });
    if (!runs.started()) {
      writeMessage("cannot start a thread for the runs");
      return kExitRunFailed;
    }
    for (SweepRuns::Handed handed; !handed.over;) {
      handed = runs.next();
      ended = handed.ended;
      if (!rows.print(handed.results, ended)) runs.startNoMore();  // nobody takes the rows
    }
  }
  SweepTally tally = rows.end(ended);
  if (plot) tally.plotError = plot->write();
  for (const std::string& line : sweepClosingLines(tally)) writeMessage(line);
  return sweepExitStatus(tally);
}

}  // namespace tarvex::batch
