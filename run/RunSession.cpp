#include "RunSession.h"

#include <utility>

namespace tarvex {
RunSession::RunSession(FormControls& form, LiveReadouts& readouts)
    : form_(&form),
      formOptions_(std::in_place, form),
      options_(*formOptions_),
      readouts_(readouts) {}

RunSession::RunSession(RunOptionSource& options, LiveReadouts& readouts)
    : options_(options), readouts_(readouts) {}

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
  TickEngine engine(options_, readouts_, *picture_, trace_, logPath_);
  RunResult result;
  result.outcome = engine.run(params, mode_);
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
