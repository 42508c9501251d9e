// One run of the batch runner, put together the same way whether it stands
// alone or is one run of a sweep: the window in memory, its readouts, and a
// run session of its controls.
#pragma once

#include <filesystem>

#include "BatchOptions.h"
#include "BatchReadouts.h"
#include "FormModel.h"
#include "ParameterFile.h"
#include "Report.h"
#include "RunSession.h"

namespace tarvex::batch {

inline const std::vector<std::string> kNoFailedOutputs;

// The window as a run finds it: freshly opened, then FILE.prm loaded as the
// Load button would, then --set and --box in the order given. When the file
// cannot be loaded, why.
LoadResult prepareForm(const BatchOptions& options, FormModel& form);

class BatchRun {
 public:
  // The run takes its own copy of the window; it draws on `surface`, writes
  // its data log to `logPath` (empty: nowhere) and hands its plotted points
  // to `trace` (nullptr: to no one).
  BatchRun(const FormModel& form, const BatchOptions& options, GraphSurface& surface,
           const std::filesystem::path& logPath, TraceSink* trace = nullptr);
  BatchRun(const BatchRun&) = delete;
  BatchRun& operator=(const BatchRun&) = delete;

  RunOutcome run();
  // The report of the run; `failedOutputs` names the outputs that failed.
  RunReport report(const RunOutcome& outcome,
                   const std::vector<std::string>& failedOutputs = kNoFailedOutputs) const {
    return {outcome, result_, form_, failedOutputs};
  }

 private:
  FormModel form_;
  BatchReadouts readouts_;
  RunSession session_;
  RunResult result_;
};

}  // namespace tarvex::batch
