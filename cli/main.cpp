// tarvex-batch: one simulation run without a window, or a sweep of runs, for
// scripts and regression checks. See usageText() for the command line.
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
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
#include "TarvexVersion.h"

using namespace tarvex;
using namespace tarvex::batch;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;

// The files of the run, each with the role it is named by in messages.
std::vector<RunFile> runFiles(const BatchOptions& options) {
  std::vector<RunFile> files;
  if (options.parameterFile)
    files.push_back({"the parameter file", *options.parameterFile, std::nullopt});
  if (options.variations.empty())
    files.push_back({"the data log", options.logPath, Output::DataLog});
  if (options.pointsPath) files.push_back({"the points file", *options.pointsPath, Output::Points});
  if (options.plotPath) files.push_back({"the plot", *options.plotPath, Output::Plot});
  if (options.tracePath) files.push_back({"the trace", *options.tracePath, Output::Trace});
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
    writeStandardError("Try 'tarvex-batch --help'.\n");
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
  if (options.version) {
    if (const std::string error =
            writeStandardOutput("tarvex-batch " + std::string(kVersion) + "\n");
        !error.empty()) {
      writeMessage("cannot write the version to standard output: " + error);
      return kExitRunFailed;
    }
    return kExitOk;
  }
  if (options.solve) return runSolve(options);

  // A freshly opened window, then the file, then the options in order.
  FormModel form;
  if (const LoadResult loaded = prepareForm(options, form); !loaded.ok()) {
    writeMessage(describeLoadFailure(loaded, pathText(*options.parameterFile)));
    return kExitUsage;
  }
  if (const std::string clash = sameFileClash(runFiles(options)); !clash.empty()) {
    writeMessage(clash);
    return kExitUsage;
  }
  // An output that is the standard output's own file (/dev/stdout) takes
  // the standard output: a single run's report goes to stderr instead. A
  // sweep's rows cannot, and a file the shell appends to would be emptied.
  const std::optional<StandardOutputClash> onStdout = outputOnStandardOutput(runFiles(options));
  if (onStdout && (!options.variations.empty() || onStdout->appending)) {
    writeMessage(onStdout->role + " is the file the standard output writes to" +
                 (onStdout->appending ? ", which it adds to and the run would empty"
                                      : ", where the rows go"));
    return kExitUsage;
  }
  if (!options.variations.empty()) {
    // The family plot is written after the last run: its file is made now,
    // so that a path that cannot be written is known before the sweep.
    std::string error;
    std::FILE* plotFile =
        options.plotPath ? createOutputFile(*options.plotPath, Output::Plot, error) : nullptr;
    if (!error.empty()) {
      writeMessage("the plot: " + error);
      return kExitRunFailed;
    }
    return runSweep(form, options, plotFile);
  }

  // An output that cannot be created is said at once; the run still goes,
  // and its report (the JSON too) names that output among the failed ones.
  BatchGraph graph(options.pointsPath, options.plotPath, options.tracePath);
  if (!graph.openError().empty()) writeMessage(graph.openError());
  // The points go to the graph's files only when they are asked for.
  const bool pointsWanted = options.pointsPath || options.tracePath;
  BatchRun run(form, options, graph, options.logPath, pointsWanted ? &graph : nullptr);
  const RunOutcome outcome = run.run();

  // Every output is finished before the report, which says which failed.
  std::vector<std::string> failedOutputs;
  std::vector<std::string> messages;
  if (outcome.failed()) {
    const bool log = outcome.failure->error == RunError::File;
    messages.push_back((log ? "the data log: " : "the run failed: ") +
                       describeFailure(outcome, readRunParameters(form)));
    if (log) failedOutputs.push_back("log");
  }
  // Each output's message names it: two outputs on one device fail alike.
  for (const auto& [output, role, error] :
       {std::tuple{"points", "the points file", graph.finishPoints()},
        std::tuple{"plot", "the plot", graph.finishPlot()},
        std::tuple{"trace", "the trace", graph.finishTrace()}}) {
    if (error.empty()) continue;
    failedOutputs.push_back(output);
    messages.push_back(std::string(role) + ": " + error);
  }

  const RunReport report = run.report(outcome, failedOutputs);
  const std::string text = options.json ? jsonReport(report) : textReport(report);
  if (const std::string error = onStdout ? writeStandardError(text) : writeStandardOutput(text);
      !error.empty())
    messages.push_back("cannot write the report to standard " +
                       std::string(onStdout ? "error: " : "output: ") + error);
  for (const std::string& message : messages)
    if (message != graph.openError()) writeMessage(message);
  return outcome.failed() || !messages.empty() ? kExitRunFailed : kExitOk;
}
