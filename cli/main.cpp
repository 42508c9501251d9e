// tarvex-batch: one simulation run without a window, for scripts and
// regression checks. See usageText() for the command line.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "BatchOptions.h"
#include "BatchReadouts.h"
#include "BatchRun.h"
#include "FailureText.h"
#include "GraphExport.h"
#include "OutputFile.h"
#include "ParameterFile.h"
#include "Report.h"
#include "Sweep.h"

using namespace tarvex;
using namespace tarvex::batch;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;

extern "C" void onInterrupt(int) {
  interruptRequested = 1;
}

// Ctrl-C acts as the Stop button while `work` runs.
template <typename Work>
auto stoppableByInterrupt(Work work) {
  std::signal(SIGINT, onInterrupt);
  const auto result = work();
  std::signal(SIGINT, SIG_DFL);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = parseCommandLine(args);
  if (!parsed.error.empty()) {
    std::cerr << "tarvex-batch: " << parsed.error << "\nTry 'tarvex-batch --help'.\n";
    return kExitUsage;
  }
  const BatchOptions& options = parsed.options;
  if (options.help) {
    std::cout << usageText();
    return kExitOk;
  }

  // A freshly opened window, then the file, then the options in order.
  FormModel form;
  if (!prepareForm(options, form)) {
    std::cerr << "tarvex-batch: " << pathText(*options.parameterFile) << ": " << kLoadFailedMessage
              << " (the file is missing, unreadable, or not a parameter file)\n";
    return kExitUsage;
  }
  if (!options.variations.empty())
    return stoppableByInterrupt([&] { return runSweep(form, options, std::cout, std::cerr); });

  BatchGraph graph(options.pointsPath, options.tracePath);
  if (!graph.pointsError().empty()) {
    std::cerr << "tarvex-batch: " << graph.pointsError() << "\n";
    return kExitUsage;
  }
  BatchRun run(form, options, graph, options.logPath);
  graph.attach(run.engine());
  const RunOutcome outcome = stoppableByInterrupt([&] { return run.run(); });

  const RunReport report = run.report(outcome);
  std::cout << (options.json ? jsonReport(report) : textReport(report));

  int status = outcome.failed() ? kExitRunFailed : kExitOk;
  if (outcome.failed())
    std::cerr << "tarvex-batch: the run failed: " << describeFailure(outcome) << "\n";
  if (const std::string error = graph.finishPoints(); !error.empty()) {
    std::cerr << "tarvex-batch: " << error << "\n";
    status = kExitRunFailed;
  }
  if (options.plotPath) {
    if (const std::string error = graph.writePlot(*options.plotPath); !error.empty()) {
      std::cerr << "tarvex-batch: " << error << "\n";
      status = kExitRunFailed;
    }
  }
  return status;
}
