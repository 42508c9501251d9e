#include "RunSession.h"

#include <optional>
#include <utility>

#include "RunStop.h"

namespace tarvex {
namespace {

// The stop request the runs of this thread answer to, if any.
thread_local RunStopRequest* stopRequest = nullptr;

// The readouts of a run that also ends once `request` is made.
class StoppableReadouts final : public LiveReadouts {
 public:
  StoppableReadouts(LiveReadouts& inner, const RunStopRequest& request)
      : inner_(inner), request_(request) {}
  void clearStop() override { inner_.clearStop(); }
  void showReadout(Readout readout, std::int64_t value) override {
    inner_.showReadout(readout, value);
  }
  // A run begun with the stop already requested ends at its first pulse;
  // otherwise it sees the request at the next yield it makes anyway.
  YieldRequest nextYield(const RunMoment& at) override {
    return request_.requested() ? YieldRequest::everyPulse(at) : inner_.nextYield(at);
  }
  bool pulseYield(const RunMoment& at) override {
    return inner_.pulseYield(at) || request_.requested();
  }
  bool idleYield(const RunMoment& at) override {
    return inner_.idleYield(at) || request_.requested();
  }

 private:
  LiveReadouts& inner_;
  const RunStopRequest& request_;
};

}  // namespace

StopRunsOnThisThread::StopRunsOnThisThread(RunStopRequest& request) {
  stopRequest = &request;
}

StopRunsOnThisThread::~StopRunsOnThisThread() {
  stopRequest = nullptr;
}

SourcedRunSession::SourcedRunSession(RunOptionSource& options, LiveReadouts& readouts)
    : options_(options), readouts_(readouts) {}

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
  std::optional<StoppableReadouts> stoppable;
  if (stopRequest != nullptr) {
    stopRequest->runBegun();
    stoppable.emplace(readouts_, *stopRequest);
  }
  LiveReadouts& readouts = stoppable ? static_cast<LiveReadouts&>(*stoppable) : readouts_;
  TickEngine engine(options_, readouts, *picture_, trace_, logPath_);
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
