#include "RunSession.h"

#include <utility>

namespace tarvex {
// A run's engine, kept while the run goes on in slices.
struct RunSession::ActiveRun {
  explicit ActiveRun(RunSession& session)
      : engine(session.options_, session.readouts_, *session.picture_, session.trace_,
               session.logPath_) {}
  TickEngine engine;
};

RunSession::RunSession(FormControls& form, LiveReadouts& readouts)
    : form_(&form),
      formOptions_(std::in_place, form),
      options_(*formOptions_),
      readouts_(readouts) {}

RunSession::RunSession(RunOptionSource& options, LiveReadouts& readouts)
    : options_(options), readouts_(readouts) {}

RunSession::~RunSession() = default;

RunSession& RunSession::drawOn(GraphSurface& picture) {
  picture_ = &picture;
  return *this;
}

RunSession& RunSession::traceTo(TraceSink* trace) {
  trace_ = trace;
  return *this;
}

RunSession& RunSession::logTo(std::filesystem::path path) {
  logPath_ = std::move(path);
  return *this;
}

RunSession& RunSession::computeEveryTick(bool everyTick) {
  mode_ = everyTick ? RunMode::TickByTick : RunMode::FastForward;
  return *this;
}

RunResult RunSession::run() {
  return run(readRunParameters(*form_));
}

RunResult RunSession::run(const RunParameters& params) {
  ActiveRun active(*this);
  active.engine.run(params, mode_);
  return resultOf(active.engine);
}

bool RunSession::start(const RunParameters& params) {
  sliced_ = std::make_unique<ActiveRun>(*this);
  return sliced_->engine.start(params, mode_);
}

bool RunSession::resume() {
  return sliced_->engine.goOn();
}

RunResult RunSession::result() const {
  return resultOf(sliced_->engine);
}

RunResult RunSession::resultOf(const TickEngine& engine) {
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
