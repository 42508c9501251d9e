#include "TickEngine.h"

#include <limits>

#include "CycleCounters.h"
#include "GuardedArithmetic.h"
#include "ParameterConversion.h"
#include "PulseTrain.h"

namespace tarvex {
namespace {

using i16 = std::int16_t;
using i32 = std::int32_t;

template <class T>
T convert(const RunParameters& params, Parameter parameter) {
  return convertParameter<T>(params[parameter], parameter);
}

}  // namespace

TickEngine::TickEngine(RunOptionSource& options, LiveReadouts& readouts, GraphSurface& surface,
                       TraceSink* trace, std::filesystem::path logPath)
    : optionSource_(options),
      liveReadouts_(readouts),
      trace_(trace),
      options_(options),
      machine_(state_, readouts, options_, phases_),
      graph_(surface),
      log_(std::move(logPath)),
      pointsKept_(trace != nullptr || surface.keepsPoints()) {}

RunOutcome TickEngine::run(const RunParameters& params, RunMode mode) {
  for (bool ended = start(params, mode); !ended;) ended = goOn();
  return outcome_;
}

bool TickEngine::start(const RunParameters& params, RunMode mode) {
  state_ = EngineState{};
  phases_.clear();
  inLoop_ = false;
  paused_ = false;
  mode_ = mode;
  outcome_ = RunOutcome{};
  return slice(&params);
}

bool TickEngine::goOn() {
  if (!paused_) return true;
  paused_ = false;
  return slice(nullptr);
}

bool TickEngine::slice(const RunParameters* params) {
  try {
    if (params != nullptr) setUp(*params);
    const RunEnd end = params == nullptr && stoppedDuringPause() ? RunEnd::Stopped : loop();
    if (paused_) return false;
    outcome_.end = end;
    log_.closeLog();
    if (trace_ != nullptr) trace_->runEnded(tracePoint(), state_.params.range);
  } catch (const RunErrorException& e) {
    log_.closeAfterFailure();
    outcome_.end = RunEnd::Failed;
    outcome_.failure = e.failure;
  }
  outcome_.ticks = state_.tickCount;
  outcome_.pulses = state_.outputPulseCount;
  return true;
}

// The rest of the yield the run paused at and, unless it ends there, the
// rest of its tick: the loop then goes on as though the run had never left
// it.
bool TickEngine::stoppedDuringPause() {
  const bool stop = liveReadouts_.stopRequestedDuringPause();
  afterYield();
  if (!stop) tickBody();
  return stop;
}

inline RunEnd TickEngine::loop() {
  return mode_ == RunMode::FastForward ? tickLoop<RunMode::FastForward>()
                                       : tickLoop<RunMode::TickByTick>();
}

void TickEngine::setUp(const RunParameters& params) {
  EngineState& s = state_;
  liveReadouts_.clearStop();
  log_.openLog();
  s.params.sCurve = optionSource_.sCurve() == Tristate::On;
  graph_.frameGraph();

  RunValues& p = s.params;
  p.range = convert<i32>(params, Parameter::Range);
  p.acceleration = convert<i32>(params, Parameter::Acceleration);
  p.deceleration = convert<i32>(params, Parameter::Deceleration);
  p.accelOffset = convert<i32>(params, Parameter::AccelOffset);
  p.jerkAccel = convert<i32>(params, Parameter::JerkAccel);
  p.jerkDecel = convert<i32>(params, Parameter::JerkDecel);
  p.initialSpeed = convert<i16>(params, Parameter::InitialSpeed);
  p.driveSpeed = convert<i16>(params, Parameter::DriveSpeed);
  p.outputPulses = convert<i32>(params, Parameter::OutputPulses);
  p.manualDecelPoint = convert<i32>(params, Parameter::ManualDecelPoint);

  s.jerkCounter = guardedAdd<i32>(p.jerkAccel, 1, Step::JerkCounterFromJerkAccel);
  s.accelCounter = 1;
  s.speedCounter = p.initialSpeed;
  liveReadouts_.showReadout(Readout::SpeedCounter, p.initialSpeed);
  s.accelPulseCount = p.accelOffset;
  s.decelPointCounter = guardedSub<i32>(p.accelOffset, 1, Step::DecelPointFromAccelOffset);
  s.outputPulseCount = 0;
  s.jerkSpeedSteps = 0;
  s.dragPulseCount = 0;
  liveReadouts_.showReadout(Readout::DragPulses, 0);

  graph_.beginPlot(p.range, p.initialSpeed, params[Parameter::TimeDisplayMax],
                   params[Parameter::SpeedDisplayMax]);
  pointPlotted();

  s.pulseAccumulator = p.range;
  s.speedAccumulator = kSpeedAccumulatorSpan;
  s.decelRatioAccumulator = 0;
  s.speedCycle = kSpeedStepCycleValue;
  s.jerkCycle = kJerkStepCycleValue;
  s.tickCount = 0;
  machine_.startIn(AccelState::AccelRising);
  s.pulseDue = true;
  s.accelerating = true;
  s.decelerating = false;
  s.constantSpeed = false;
  s.jerkOff = false;
  s.triangleEstimate = 0;
  s.peakSpeed = 0;
  liveReadouts_.showReadout(Readout::PeakSpeed, 0);
  s.triangleIndicator = false;
  liveReadouts_.showReadout(Readout::TriangleIndicator, 0);

  options_.refresh();
  planYields();
}

// Everything of a tick after its pulse step.
inline void TickEngine::tickBody() {
  EngineState& s = state_;
  machine_.decelEstimateConversion();
  machine_.accelCounterStep();
  if (s.speedCycle == kSpeedStepCycleValue && !s.constantSpeed) speedStep();

  PulseTrain::tick(s);

  // Cycle step, with the flags and the state as they now stand.
  if (s.phaseChanged) [[unlikely]] {
    speedCycleDirection_ = speedCycleDirection(s);
    jerkCycleDirection_ = jerkCycleDirection(s);
    s.phaseChanged = false;
  }
  s.speedCycle = kSpeedCycleNext[static_cast<int>(speedCycleDirection_)][s.speedCycle];
  s.jerkCycle = kJerkCycleNext[static_cast<int>(jerkCycleDirection_)][s.jerkCycle];

  s.tickCount = guardedAdd<i32>(s.tickCount, 1, Step::TickCount);
  if (graph_.plotTick(s.speedCounter)) [[unlikely]]
    pointPlotted();
  log_.logTick(s.outputPulseCount, s.speedCounter, s.accelCounter, options_);
}

template <RunMode Mode>
RunEnd TickEngine::tickLoop() {
  EngineState& s = state_;
  inLoop_ = true;
  for (;;) {
    if constexpr (Mode == RunMode::FastForward) {
      if (const std::int64_t ticks = stretchTicks(); ticks > 0) applyStretch(ticks);
    }
    if (s.pulseDue) {
      // Exit test: the requested pulses are out and the next one is due.
      if (s.outputPulseCount == s.params.outputPulses) return RunEnd::Completed;
      if (pulseStep()) return RunEnd::Stopped;
    } else if (schedule_.idleYieldDue(s.tickCount)) [[unlikely]] {
      if (idleStep()) return RunEnd::Stopped;
    }
    tickBody();
  }
}

RunMoment TickEngine::moment() const {
  const EngineState& s = state_;
  return {s.tickCount, s.outputPulseCount, s.speedCounter, s.accelCounter, s.accelState};
}

TracePoint TickEngine::tracePoint() const {
  const EngineState& s = state_;
  // A run outputs at most one pulse per tick, and tickCount is 32 bits wide.
  return {s.tickCount, static_cast<std::int32_t>(s.outputPulseCount), s.speedCounter,
          s.accelCounter, s.accelState};
}

// The point the graph has just plotted, with the values it was drawn from.
void TickEngine::pointPlotted() {
  if (trace_ == nullptr) return;
  trace_->pointPlotted({tracePoint(), static_cast<float>(graph_.plotX()),
                        static_cast<float>(graph_.plotY()), state_.params.range});
}

bool TickEngine::pulseStep() {
  EngineState& s = state_;
  machine_.accelerationPulseBookkeeping();
  ++s.outputPulseCount;
  liveReadouts_.showReadout(Readout::OutputPulses, s.outputPulseCount);
  machine_.afterOutputPulse();
  if (!schedule_.pulseYields(s.outputPulseCount, s.tickCount, phases_.entries().size()))
    return false;
  return answered(liveReadouts_.pulseYield(moment()));
}

bool TickEngine::idleStep() {
  return answered(liveReadouts_.idleYield(moment()));
}

// A pause leaves the rest of the yield for when the run goes on
// (stoppedDuringPause).
bool TickEngine::answered(bool stop) {
  if (!stop && liveReadouts_.pausesAfterYield()) return paused_ = true;
  afterYield();
  return stop;
}

// The user may have changed the options during the yield.
void TickEngine::afterYield() {
  options_.refresh();
  planYields();
}

void TickEngine::planYields() {
  const RunMoment at = moment();
  schedule_.yielded(at.tick, at.pulses, phases_.entries().size(), liveReadouts_.nextYield(at));
}

void TickEngine::speedStep() {
  EngineState& s = state_;
  // Acceleration draws the shared accumulator down towards 0, deceleration
  // fills it up towards its span; each crossing moves the speed by one.
  if (s.accelerating) {
    s.speedAccumulator =
        guardedSub<i16>(s.speedAccumulator, s.accelCounter, Step::SpeedAccumulatorDraw);
    if (s.speedAccumulator <= 0) raiseSpeed();
  }
  if (s.decelerating) {
    s.speedAccumulator =
        guardedAdd<i16>(s.speedAccumulator, s.accelCounter, Step::SpeedAccumulatorFill);
    if (s.speedAccumulator >= kSpeedAccumulatorSpan) lowerSpeed();
  }
}

// How many of the coming speed steps only move speedAccumulator, without
// crossing (or, at a negative accelCounter, leaving 16 bits); kNoSpeedChange
// when none ever crosses.
std::int64_t TickEngine::quietSpeedSteps() const {
  const EngineState& s = state_;
  const std::int64_t collected = s.speedAccumulator, step = s.accelCounter;
  constexpr std::int64_t kMax16 = std::numeric_limits<i16>::max();
  constexpr std::int64_t kMin16 = std::numeric_limits<i16>::min();
  if (s.accelerating) {
    if (collected - step <= 0) return 0;
    if (step > 0) return (collected - 1) / step;
    if (step == 0) return kNoSpeedChange;
    return (kMax16 - collected) / -step;
  }
  if (s.decelerating) {
    if (collected + step >= kSpeedAccumulatorSpan) return 0;
    if (step > 0) return (kSpeedAccumulatorSpan - 1 - collected) / step;
    if (step == 0) return kNoSpeedChange;
    return (collected - kMin16) / -step;
  }
  return kNoSpeedChange;
}

void TickEngine::applyQuietSpeedSteps(std::int64_t steps) {
  EngineState& s = state_;
  const std::int64_t moved = steps * s.accelCounter;
  if (s.accelerating) s.speedAccumulator = static_cast<i16>(s.speedAccumulator - moved);
  if (s.decelerating) s.speedAccumulator = static_cast<i16>(s.speedAccumulator + moved);
}

void TickEngine::raiseSpeed() {
  EngineState& s = state_;
  s.speedAccumulator =
      guardedAdd<i16>(s.speedAccumulator, kSpeedAccumulatorSpan, Step::SpeedAccumulatorRefill);
  s.speedCounter = guardedAdd<i16>(s.speedCounter, 1, Step::SpeedCounterUp);
  liveReadouts_.showReadout(Readout::SpeedCounter, s.speedCounter);
  machine_.accelerationSpeedChecks();
}

void TickEngine::lowerSpeed() {
  EngineState& s = state_;
  s.speedAccumulator =
      guardedSub<i16>(s.speedAccumulator, kSpeedAccumulatorSpan, Step::SpeedAccumulatorDrain);
  s.speedCounter = guardedSub<i16>(s.speedCounter, 1, Step::SpeedCounterDown);
  machine_.decelerationSpeedChecks();
  // Deceleration never takes the speed below the initial speed.
  if (s.speedCounter < s.params.initialSpeed) s.speedCounter = s.params.initialSpeed;
  liveReadouts_.showReadout(Readout::SpeedCounter, s.speedCounter);
}

}  // namespace tarvex
