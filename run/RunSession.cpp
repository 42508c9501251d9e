#include "RunSession.h"

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
  bool pausesAfterYield() override { return inner_.pausesAfterYield(); }
  bool stopRequestedDuringPause() override {
    return inner_.stopRequestedDuringPause() || request_.requested();
  }

 private:
  LiveReadouts& inner_;
  const RunStopRequest& request_;
};

}  // namespace

// A run's engine, with the readouts it answers to: the session's, or those
// that also end it on the thread's stop request.
struct RunSession::ActiveRun {
  explicit ActiveRun(RunSession& session)
      : engine(session.options_, answering(session.readouts_), *session.picture_, session.trace_,
               session.logPath_) {}
  LiveReadouts& answering(LiveReadouts& readouts) {
    if (stopRequest == nullptr) return readouts;
    stopRequest->runBegun();
    return stoppable.emplace(readouts, *stopRequest);
  }
  std::optional<StoppableReadouts> stoppable;
  TickEngine engine;
};

StopRunsOnThisThread::StopRunsOnThisThread(RunStopRequest& request) {
  stopRequest = &request;
}

StopRunsOnThisThread::~StopRunsOnThisThread() {
  stopRequest = nullptr;
}

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
