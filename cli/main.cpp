// tarvex-batch: one simulation run without a window, for scripts and
// regression checks. See usageText() for the command line.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "BatchOptions.h"
#include "BatchReadouts.h"
#include "FailureText.h"
#include "FormModel.h"
#include "FormRun.h"
#include "GraphExport.h"
#include "OutputFile.h"
#include "ParameterFile.h"
#include "Report.h"
#include "StartupValues.h"
#include "TickEngine.h"

using namespace tarvex;
using namespace tarvex::batch;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;

extern "C" void onInterrupt(int) {
  interruptRequested = 1;
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
  applyStartupValues(form);
  // The file is loaded as the window's Load button would, by its full name.
  if (options.parameterFile && !loadParameterFile(*options.parameterFile, form)) {
    std::cerr << "tarvex-batch: " << pathText(*options.parameterFile) << ": " << kLoadFailedMessage
              << " (the file is missing, unreadable, or not a parameter file)\n";
    return kExitUsage;
  }
  for (const auto& step : options.setup) {
    if (const auto* text = std::get_if<SetText>(&step))
      form.setText(text->box, text->text);
    else if (const auto* box = std::get_if<SetBox>(&step))
      form.setOptionValue(box->box, box->value);
  }

  BatchReadouts readouts(form, options);
  BatchGraph graph(options.pointsPath, options.tracePath);
  if (!graph.pointsError().empty()) {
    std::cerr << "tarvex-batch: " << graph.pointsError() << "\n";
    return kExitUsage;
  }
  FormOptions runOptions(form);
  TickEngine engine(runOptions, readouts, graph, options.logPath);
  readouts.attach(engine);
  graph.attach(engine);

  std::signal(SIGINT, onInterrupt);
  const RunOutcome outcome = engine.run(
      readRunParameters(form), options.tickByTick ? RunMode::TickByTick : RunMode::FastForward);
  std::signal(SIGINT, SIG_DFL);

  const RunReport report{outcome, form, engine, readouts};
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
