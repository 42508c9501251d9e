// tarvex-batch: one simulation run without a window, or a sweep of runs, for
// scripts and regression checks. See usageText() for the command line.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "BatchOptions.h"
#include "BatchRun.h"
#include "Console.h"
#include "FailureText.h"
#include "GraphExport.h"
#include "OutputFile.h"
#include "OutputPaths.h"
#include "ParameterFile.h"
#include "Report.h"
#include "SolveCommand.h"
#include "StopRequest.h"
#include "Sweep.h"

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
  if (options.variations.empty()) files.push_back({"the data log", options.logPath, true});
  if (options.pointsPath) files.push_back({"the points file", *options.pointsPath, true});
  if (options.plotPath) files.push_back({"the plot", *options.plotPath, true});
  if (options.tracePath) files.push_back({"the trace", *options.tracePath, true});
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  prepareStandardStreams();
  // From the start, so that a stop requested while the files are prepared
  // stops the run at its first yield.
  catchStopRequests();
  // However the program ends, its files are closed by then (the objects
  // holding them are made after this one): a closing console may go on.
  struct FilesFinished {
    ~FilesFinished() { finishedWithFiles(); }
  } filesFinished;
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
  if (options.solve) return runSolve(options);

  // A freshly opened window, then the file, then the options in order.
  FormModel form;
  if (!prepareForm(options, form)) {
    writeMessage(pathText(*options.parameterFile) + ": " + std::string(kLoadFailedMessage) +
                 " (the file is missing, unreadable, or not a parameter file)");
    return kExitUsage;
  }
  if (const std::string clash = sameFileClash(runFiles(options)); !clash.empty()) {
    writeMessage(clash);
    return kExitUsage;
  }
  if (!options.variations.empty()) {
    // The family plot is written after the last run: its file is made now,
    // so that a path that cannot be written is known before the sweep.
    std::string error;
    std::FILE* plotFile = options.plotPath ? createOutputFile(*options.plotPath, error) : nullptr;
    if (!error.empty()) {
      writeMessage(error);
      return kExitRunFailed;
    }
    return runSweep(form, options, plotFile, std::cout, std::cerr);
  }

  BatchGraph graph(options.pointsPath, options.plotPath, options.tracePath);
  if (!graph.openError().empty()) {
    writeMessage(graph.openError());
    return kExitRunFailed;
  }
  BatchRun run(form, options, graph, graph, options.logPath);
  const RunOutcome outcome = run.run();

  // Every output is finished before the report, which says which failed.
  std::vector<std::string> failedOutputs;
  std::vector<std::string> messages;
  if (outcome.failed()) {
    messages.push_back("the run failed: " + describeFailure(outcome));
    if (outcome.failure->error == RunError::File) failedOutputs.push_back("log");
  }
  for (const auto& [output, error] :
       {std::pair{"points", graph.finishPoints()}, std::pair{"plot", graph.finishPlot()},
        std::pair{"trace", graph.finishTrace()}}) {
    if (error.empty()) continue;
    failedOutputs.push_back(output);
    messages.push_back(error);
  }

  const RunReport report = run.report(outcome, failedOutputs);
  if (const std::string error =
          writeStandardOutput(options.json ? jsonReport(report) : textReport(report));
      !error.empty())
    messages.push_back("cannot write the report to standard output: " + error);
  for (const std::string& message : messages) writeMessage(message);
  return outcome.failed() || !messages.empty() ? kExitRunFailed : kExitOk;
}
