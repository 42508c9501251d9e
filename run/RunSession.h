// One run put together: the one place where a run's parts are chosen and the
// engine is built, for the window's Start, the batch runner (a single run and
// every run of a sweep) and the quiet replay behind the graph's fitted view.
//
// The parts: where the options are read (the window's boxes, or a recipe:
// only a session of a form reads the texts of its fields),
// where the readouts go and the yields are answered, the picture the graph
// is drawn on, where the plotted points go, the data log's path and whether
// quiet ticks are jumped over. Everything the run leaves comes back as one
// RunResult.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "FormControls.h"
#include "FormRun.h"
#include "LiveReadouts.h"
#include "Parameters.h"
#include "RunEvents.h"
#include "RunOutcome.h"
#include "SpeedGraph.h"
#include "TickEngine.h"

namespace tarvex {

struct RunResult {
  RunOutcome outcome;
  std::vector<PhaseEntry> phases;  // the states entered, set-up's first
  std::int32_t range = 0;          // as converted; 0 when set-up failed before it
  std::int32_t peakSpeed = 0;      // the peak speed counter
  std::int32_t dragPulses = 0;     // pulses output decelerating at the initial speed
  bool triangle = false;           // triangle prevention acted
  std::int64_t pointsPlotted = 0;  // after the starting point
  std::int64_t logRecords = 0;     // records that reached the data log
};

// A run whose options come from a source: a recipe's, or a form's boxes.
// It holds no form, so it runs only the parameter texts it is given.
class SourcedRunSession {
 public:
  SourcedRunSession(RunOptionSource& options, LiveReadouts& readouts);
  ~SourcedRunSession();
  SourcedRunSession(const SourcedRunSession&) = delete;
  SourcedRunSession& operator=(const SourcedRunSession&) = delete;

  // Unless told otherwise a run draws nowhere, keeps no points, writes no
  // data log and jumps over quiet ticks.
  SourcedRunSession& drawOn(GraphSurface& picture);
  SourcedRunSession& traceTo(TraceSink* trace);
  SourcedRunSession& logTo(std::filesystem::path path);
  SourcedRunSession& computeEveryTick(bool everyTick);

  RunResult run(const RunParameters& params);

  // The same run in slices, for a caller that must have control back while
  // the run goes on (the page, which gives the browser its turns between
  // slices): start() sets up and computes until the run ends or its readouts
  // pause it at a yield (LiveReadouts::pausesAfterYield); resume() carries on
  // from the pause. Both return whether the run has ended; result() is then
  // what run() would have returned.
  bool start(const RunParameters& params);
  bool resume();
  RunResult result() const;

 private:
  struct ActiveRun;
  static RunResult resultOf(const TickEngine& engine);

  RunOptionSource& options_;
  LiveReadouts& readouts_;
  NullGraphSurface nowhere_;
  GraphSurface* picture_ = &nowhere_;
  TraceSink* trace_ = nullptr;
  std::filesystem::path logPath_;
  RunMode mode_ = RunMode::FastForward;
  std::unique_ptr<ActiveRun> sliced_;  // the run start() began
};

namespace detail {
// The boxes of a form as a run's option source, made before the session
// that reads them.
struct FormOptionsOf {
  explicit FormOptionsOf(FormControls& form) : formOptions(form) {}
  FormOptions formOptions;
};
}  // namespace detail

// A run of a form's controls: the options as its boxes hold them while the
// run goes on, and the parameter texts its fields hold, unless given others.
class RunSession : private detail::FormOptionsOf, public SourcedRunSession {
 public:
  RunSession(FormControls& form, LiveReadouts& readouts)
      : FormOptionsOf(form), SourcedRunSession(formOptions, readouts), form_(form) {}

  using SourcedRunSession::run;
  // The run of the parameter texts the form's fields hold now.
  RunResult run() { return run(readRunParameters(form_)); }

 private:
  FormControls& form_;
};

}  // namespace tarvex
