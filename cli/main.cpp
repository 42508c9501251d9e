// tarvex-batch: one simulation run without a window, for scripts and
// regression checks. See usageText() for the command line.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BatchOptions.h"
#include "BatchReadouts.h"
#include "Console.h"
#include "FailureText.h"
#include "FormModel.h"
#include "FormRun.h"
#include "GraphExport.h"
#include "OutputFile.h"
#include "OutputPaths.h"
#include "ParameterFile.h"
#include "Report.h"
#include "StartupValues.h"
#include "StopRequest.h"
#include "TickEngine.h"

using namespace tarvex;
using namespace tarvex::batch;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;

// The files of the run, each with the role it is named by in messages.
std::vector<RunFile> runFiles(const BatchOptions& options) {
  std::vector<RunFile> files;
  if (options.parameterFile) files.push_back({"the parameter file", *options.parameterFile, false});
  files.push_back({"the data log", options.logPath, true});
  if (options.pointsPath) files.push_back({"the points file", *options.pointsPath, true});
  if (options.plotPath) files.push_back({"the plot", *options.plotPath, true});
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  prepareStandardStreams();
  // From the start, so that a stop requested while the files are prepared
  // stops the run at its first yield.
  catchStopRequests();
  const ParseResult parsed = parseCommandLine(commandLineArguments(argc, argv));
  if (!parsed.error.empty()) {
    writeMessage(parsed.error);
    std::fputs("Try 'tarvex-batch --help'.\n", stderr);
    return kExitUsage;
  }
  const BatchOptions& options = parsed.options;
  if (options.help) {
    if (const std::string error = writeStandardOutput(usageText()); !error.empty()) {
      writeMessage("cannot write the usage text to standard output: " + error);
      return kExitRunFailed;
    }
    return kExitOk;
  }

  // A freshly opened window, then the file, then the options in order.
  FormModel form;
  applyStartupValues(form);
  // The file is loaded as the window's Load button would, by its full name.
  if (options.parameterFile && !loadParameterFile(*options.parameterFile, form)) {
    writeMessage(pathText(*options.parameterFile) + ": " + std::string(kLoadFailedMessage) +
                 " (the file is missing, unreadable, or not a parameter file)");
    return kExitUsage;
  }
  for (const auto& step : options.setup) {
    if (const auto* text = std::get_if<SetText>(&step))
      form.setText(text->box, text->text);
    else if (const auto* box = std::get_if<SetBox>(&step))
      form.setOptionValue(box->box, box->value);
  }

  if (const std::string clash = sameFileClash(runFiles(options)); !clash.empty()) {
    writeMessage(clash);
    return kExitUsage;
  }
  BatchReadouts readouts(form, options);
  BatchGraph graph(options.pointsPath, options.plotPath);
  if (!graph.openError().empty()) {
    writeMessage(graph.openError());
    return kExitRunFailed;
  }
  FormOptions runOptions(form);
  TickEngine engine(runOptions, readouts, graph, options.logPath);
  readouts.attach(engine);

  const RunOutcome outcome = engine.run(
      readRunParameters(form), options.tickByTick ? RunMode::TickByTick : RunMode::FastForward);

  // Every output is finished before the report, which says which failed.
  std::vector<std::string> failedOutputs;
  std::vector<std::string> messages;
  if (outcome.failed()) {
    messages.push_back("the run failed: " + describeFailure(outcome));
    if (outcome.failure->error == RunError::File) failedOutputs.push_back("log");
  }
  for (const auto& [output, error] :
       {std::pair{"points", graph.finishPoints()}, std::pair{"plot", graph.finishPlot()}}) {
    if (error.empty()) continue;
    failedOutputs.push_back(output);
    messages.push_back(error);
  }

  const RunReport report{outcome, form, engine, readouts, failedOutputs};
  if (const std::string error =
          writeStandardOutput(options.json ? jsonReport(report) : textReport(report));
      !error.empty())
    messages.push_back("cannot write the report to standard output: " + error);
  for (const std::string& message : messages) writeMessage(message);
  finishedWithFiles();
  return outcome.failed() || !messages.empty() ? kExitRunFailed : kExitOk;
}
