#include "TickEngine.h"

#include "Conversions.h"
#include "GuardedArithmetic.h"

namespace tarvex {
namespace {

using i16 = std::int16_t;
using i32 = std::int32_t;

template <class T>
T convertField(const RunParameters& params, ParamField field) {
  const std::string& text = params[field];
  Converted<T> converted;
  if constexpr (sizeof(T) == 2)
    converted = textToInt16(text);
  else
    converted = textToInt32(text);
  const std::string where = "conversion of " + std::string(paramInfo(field).name);
  if (converted.status == ConversionStatus::TypeMismatch)
    raiseRunError(RunError::TypeMismatch, where, field);
  if (converted.status == ConversionStatus::Overflow)
    raiseRunError(RunError::Overflow, where, field);
  return converted.value;
}

}  // namespace

TickEngine::TickEngine(OptionBoxes& boxes, LiveReadouts& readouts, GraphSurface& surface,
                       std::string logPath)
    : boxes_(boxes),
      readouts_(readouts, nextIdleYieldTick_),
      options_(boxes),
      machine_(state_, readouts_, options_),
      graph_(surface),
      log_(std::move(logPath)) {}

RunOutcome TickEngine::run(const RunParameters& params, RunMode mode) {
  state_ = EngineState{};
  inLoop_ = false;
  RunOutcome outcome;
  try {
    setUp(params);
    outcome.end = mode == RunMode::FastForward ? tickLoop<RunMode::FastForward>()
                                               : tickLoop<RunMode::TickByTick>();
    log_.closeLog();
  } catch (const RunErrorException& e) {
    log_.closeAfterFailure();
    outcome.end = RunEnd::Failed;
    outcome.failure = e.failure;
  }
  outcome.ticks = state_.tickCount;
  outcome.pulses = state_.outputPulseCount;
  return outcome;
}

void TickEngine::setUp(const RunParameters& params) {
  EngineState& s = state_;
  readouts_.readouts().clearStop();
  log_.openLog();
  s.params.sCurve = boxes_.optionValue(CheckBox::Check4) == kChecked;
  graph_.frameGraph();

  RunValues& p = s.params;
  p.range = convertField<i32>(params, ParamField::Range);
  p.acceleration = convertField<i32>(params, ParamField::Acceleration);
  p.deceleration = convertField<i32>(params, ParamField::Deceleration);
  p.accelOffset = convertField<i32>(params, ParamField::AccelOffset);
  p.jerkAccel = convertField<i32>(params, ParamField::JerkAccel);
  p.jerkDecel = convertField<i32>(params, ParamField::JerkDecel);
  p.initialSpeed = convertField<i16>(params, ParamField::InitialSpeed);
  p.driveSpeed = convertField<i16>(params, ParamField::DriveSpeed);
  p.outputPulses = convertField<i32>(params, ParamField::OutputPulses);
  p.manualDecelPoint = convertField<i32>(params, ParamField::ManualDecelPoint);

  s.jerkCounter = guardedAdd<i32>(p.jerkAccel, 1, "jerkCounter = jerkAccel + 1");
  s.accelCounter = 1;
  s.speedCounter = p.initialSpeed;
  readouts_.show(Readout::Text12, p.initialSpeed);
  s.accelPulseCount = p.accelOffset;
  s.decelPointCounter = guardedSub<i32>(p.accelOffset, 1, "decelPointCounter = accelOffset - 1");
  s.outputPulseCount = 0;
  s.jerkSpeedSteps = 0;
  s.dragPulseCount = 0;
  readouts_.show(Readout::Text16, 0);

  graph_.beginPlot(p.range, p.initialSpeed, params[ParamField::TimeDisplayMax],
                   params[ParamField::SpeedDisplayMax]);

  s.pulseAccumulator = p.range;
  s.speedAccumulator = 8000;
  s.decelRatioAccumulator = 0;
  s.speedCycle = 7;
  s.jerkCycle = 15;
  s.tickCount = 0;
  machine_.enterState(1);
  s.pulseDue = true;
  s.accelerating = true;
  s.decelerating = false;
  s.constantSpeed = false;
  s.jerkOff = false;
  s.triangleEstimate = 0;
  s.peakSpeed = 0;
  readouts_.show(Readout::Text17, 0);
  s.triangleIndicator = false;
  readouts_.show(Readout::Option1, 0);

  options_.refresh();
  renewCycleDirections();
  readouts_.yielded();
  nextIdleYieldTick_ = kIdleYieldTicks;
}

// Everything of a tick after its pulse step.
inline void TickEngine::tickBody() {
  EngineState& s = state_;
  machine_.decelEstimateConversion();
  if (machine_.accelCounterStep()) renewCycleDirections();
  if (s.speedCycle == 7 && !s.constantSpeed) speedStep();

  // Pulse accumulator: one pulse each time speedCounter has used up range.
  s.pulseAccumulator =
      guardedSub<i32>(s.pulseAccumulator, s.speedCounter, "pulseAccumulator - speedCounter");
  if (s.pulseAccumulator > 0) {
    s.pulseDue = false;
  } else {
    s.pulseDue = true;
    s.pulseAccumulator =
        guardedAdd<i32>(s.pulseAccumulator, s.params.range, "pulseAccumulator + range");
  }

  // Cycle step, with the flags and the state as they now stand.
  s.speedCycle = kSpeedCycleNext[static_cast<int>(speedCycleDir_)][s.speedCycle];
  s.jerkCycle = kJerkCycleNext[static_cast<int>(jerkCycleDir_)][s.jerkCycle];

  s.tickCount = guardedAdd<i32>(s.tickCount, 1, "tickCount + 1");
  graph_.plotTick(s.speedCounter);
  log_.logTick(s.outputPulseCount, s.speedCounter, s.accelCounter, options_);
}

template <RunMode Mode>
RunEnd TickEngine::tickLoop() {
  EngineState& s = state_;
  inLoop_ = true;
  for (;;) {
    if (s.pulseDue) {
      // Exit test: the requested pulses are out and the next one is due.
      if (s.outputPulseCount == s.params.outputPulses) return RunEnd::Completed;
      if (pulseStep()) return RunEnd::Stopped;
    } else {
      if (s.tickCount >= nextIdleYieldTick_) [[unlikely]] {
        if (idleStep()) return RunEnd::Stopped;
      }
      if constexpr (Mode == RunMode::FastForward) {
        if (const std::int64_t quiet = quietTicks(); quiet > 0) {
          skipQuietTicks(quiet);
          // The stretch may end just before an idle yield is due.
          if (s.tickCount >= nextIdleYieldTick_) {
            if (idleStep()) return RunEnd::Stopped;
          }
        }
      }
    }
    tickBody();
  }
}

bool TickEngine::pulseStep() {
  EngineState& s = state_;
  machine_.accelerationPulseBookkeeping();
  ++s.outputPulseCount;
  readouts_.show(Readout::Text7, s.outputPulseCount);
  machine_.afterOutputPulse();
  renewCycleDirections();
  const bool stop = readouts_.readouts().pulseYield();
  readouts_.yielded();
  options_.refresh();
  nextIdleYieldTick_ = static_cast<std::int64_t>(s.tickCount) + kIdleYieldTicks;
  return stop;
}

bool TickEngine::idleStep() {
  const bool stop = readouts_.readouts().idleYield();
  readouts_.yielded();
  options_.refresh();
  nextIdleYieldTick_ = static_cast<std::int64_t>(state_.tickCount) + kIdleYieldTicks;
  return stop;
}

void TickEngine::speedStep() {
  EngineState& s = state_;
  // Acceleration draws the shared accumulator down towards 0, deceleration
  // fills it up towards 8000; each crossing moves the speed by one.
  if (s.accelerating) {
    s.speedAccumulator =
        guardedSub<i16>(s.speedAccumulator, s.accelCounter, "speedAccumulator - accelCounter");
    if (s.speedAccumulator <= 0) raiseSpeed();
  }
  if (s.decelerating) {
    s.speedAccumulator =
        guardedAdd<i16>(s.speedAccumulator, s.accelCounter, "accelCounter + speedAccumulator");
    if (s.speedAccumulator >= 8000) lowerSpeed();
  }
}

void TickEngine::raiseSpeed() {
  EngineState& s = state_;
  s.speedAccumulator = guardedAdd<i16>(s.speedAccumulator, 8000, "speedAccumulator + 8000");
  s.speedCounter = guardedAdd<i16>(s.speedCounter, 1, "speedCounter + 1");
  readouts_.show(Readout::Text12, s.speedCounter);
  machine_.accelerationSpeedChecks();
  renewCycleDirections();
}

void TickEngine::lowerSpeed() {
  EngineState& s = state_;
  s.speedAccumulator = guardedSub<i16>(s.speedAccumulator, 8000, "speedAccumulator - 8000");
  s.speedCounter = guardedSub<i16>(s.speedCounter, 1, "speedCounter - 1");
  machine_.decelerationSpeedChecks();
  // Deceleration never takes the speed below the initial speed.
  if (s.speedCounter < s.params.initialSpeed) s.speedCounter = s.params.initialSpeed;
  readouts_.show(Readout::Text12, s.speedCounter);
  renewCycleDirections();
}

}  // namespace tarvex
