#include "RunFigures.h"

#include "Units.h"

namespace tarvex {

RunFigures figuresOf(const RunResult& result) {
  RunFigures f;
  f.ticks = result.outcome.ticks;
  f.pulses = result.outcome.pulses;
  f.range = result.range;
  f.peakSpeed = result.peakSpeed;
  f.dragPulses = result.dragPulses;
  f.triangle = result.triangle;
  if (!result.phases.empty()) f.initialSpeed = result.phases.front().speedCounter;
  for (const PhaseEntry& p : result.phases) {
    if (!f.accelEndTick &&
        (p.state == AccelState::ConstantSpeed || p.state == AccelState::DecelRising))
      f.accelEndTick = p.tick;
    if (!f.decelStartTick && p.state == AccelState::DecelRising) f.decelStartTick = p.tick;
  }
  return f;
}

double RunFigures::peakPulsesPerSecond() const {
  return units::pulsesPerSecond(peakSpeed, range);
}

double RunFigures::startPulsesPerSecond() const {
  return units::pulsesPerSecond(initialSpeed, range);
}

double RunFigures::seconds() const {
  return units::secondsOfTicks(ticks);
}

std::optional<double> RunFigures::accelEndSeconds() const {
  if (!accelEndTick) return std::nullopt;
  return units::secondsOfTicks(*accelEndTick);
}

std::optional<double> RunFigures::decelStartSeconds() const {
  if (!decelStartTick) return std::nullopt;
  return units::secondsOfTicks(*decelStartTick);
}

std::optional<double> RunFigures::decelSeconds() const {
  if (!decelStartTick) return std::nullopt;
  return units::secondsOfTicks(ticks - *decelStartTick);
}

RunFigureTexts tableTexts(const RunFigures& f) {
  RunFigureTexts t{
      units::tableSeconds(f.ticks), units::tablePulsesPerSecond(f.peakSpeed, f.range), {}, {}};
  if (f.accelEndTick) t.accelEnd = units::tableSeconds(*f.accelEndTick);
  if (f.decelStartTick) t.decelStart = units::tableSeconds(*f.decelStartTick);
  return t;
}

}  // namespace tarvex
