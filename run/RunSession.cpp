#include "RunSession.h"

#include <utility>

namespace tarvex {

// A run's engine, kept while the run goes on in slices.
struct SourcedRunSession::ActiveRun {
  explicit ActiveRun(SourcedRunSession& session)
      : engine(session.options_, session.readouts_, *session.picture_, session.trace_,
               session.logPath_) {}
  TickEngine engine;
};

SourcedRunSession::SourcedRunSession(RunOptionSource& options, LiveReadouts& readouts)
    : options_(options), readouts_(readouts) {}

SourcedRunSession::~SourcedRunSession() = default;

SourcedRunSession& SourcedRunSession::drawOn(GraphSurface& picture) {
  picture_ = &picture;
  return *this;
}

SourcedRunSession& SourcedRunSession::traceTo(TraceSink* trace) {
  trace_ = trace;
  return *this;
}

SourcedRunSession& SourcedRunSession::logTo(std::filesystem::path path) {
  logPath_ = std::move(path);
  return *this;
}

SourcedRunSession& SourcedRunSession::computeEveryTick(bool everyTick) {
  mode_ = everyTick ? RunMode::TickByTick : RunMode::FastForward;
  return *this;
}

RunResult SourcedRunSession::run(const RunParameters& params) {
  ActiveRun active(*this);
  active.engine.run(params, mode_);
  return resultOf(active.engine);
}

bool SourcedRunSession::start(const RunParameters& params) {
  sliced_ = std::make_unique<ActiveRun>(*this);
  return sliced_->engine.start(params, mode_);
}

bool SourcedRunSession::resume() {
  return sliced_->engine.goOn();
}

RunResult SourcedRunSession::result() const {
  return resultOf(sliced_->engine);
}

RunResult SourcedRunSession::resultOf(const TickEngine& engine) {
  RunResult result;
  result.outcome = engine.outcome();
  result.phases = engine.phases().entries();
  result.range = engine.state().params.range;
  result.peakSpeed = engine.state().peakSpeed;
  result.dragPulses = engine.state().dragPulseCount;
  result.triangle = engine.state().triangleIndicator;
  result.pointsPlotted = engine.graph().pointsPlotted();
  result.logRecords = engine.log().recordsWritten();
  return result;
}

}  // namespace tarvex
