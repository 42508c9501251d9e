// One run put together: the one place where a run's parts are chosen and the
// engine is built, for the window's Start, the batch runner (a single run and
// every run of a sweep) and the quiet replay behind the graph's fitted view.
//
// The parts: where the options are read (the window's boxes, or a recipe),
// where the readouts go and the yields are answered, the picture the graph
// is drawn on, where the plotted points go, the data log's path and whether
// quiet ticks are jumped over. Everything the run leaves comes back as one
// RunResult.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
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

class RunSession {
 public:
  // A run of a form's controls: the options as its boxes hold them while
  // the run goes on.
  RunSession(FormControls& form, LiveReadouts& readouts);
  // A run whose options come from `options`.
  RunSession(RunOptionSource& options, LiveReadouts& readouts);
  ~RunSession();
  RunSession(const RunSession&) = delete;
  RunSession& operator=(const RunSession&) = delete;

  // Unless told otherwise a run draws nowhere, keeps no points, writes no
  // data log and jumps over quiet ticks.
  RunSession& drawOn(GraphSurface& picture);
  RunSession& traceTo(TraceSink* trace);
  RunSession& logTo(std::filesystem::path path);
  RunSession& computeEveryTick(bool everyTick);

  // The run of the parameter texts the form's fields hold now.
  RunResult run();
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

  FormControls* form_ = nullptr;
  std::optional<FormOptions> formOptions_;
  RunOptionSource& options_;
  LiveReadouts& readouts_;
  NullGraphSurface nowhere_;
  GraphSurface* picture_ = &nowhere_;
  TraceSink* trace_ = nullptr;
  std::filesystem::path logPath_;
  RunMode mode_ = RunMode::FastForward;
  std::unique_ptr<ActiveRun> sliced_;  // the run start() began
};

}  // namespace tarvex
