#include "Units.h"

#include "Conversions.h"

#include "EngineState.h"

namespace tarvex::units {

double secondsOfTicks(std::int64_t ticks) {
  return static_cast<double>(ticks) / static_cast<double>(kTicksPerSecond);
}

double pulsesPerSecond(std::int64_t speedCounter, std::int32_t range) {
  return static_cast<double>(speedCounter) * static_cast<double>(kTicksPerSecond) /
         static_cast<double>(range);
}

double pulsesPerSecondSquared(std::int64_t accelCounter, std::int32_t range) {
  return pulsesPerSecond(accelCounter * kSpeedStepsPerSecondPerAccel, range);
}

double ticksOfSeconds(double seconds) {
  return seconds * static_cast<double>(kTicksPerSecond);
}

double speedCounterOf(double pulsesPerSecond, double range) {
  return pulsesPerSecond * range / static_cast<double>(kTicksPerSecond);
}

double rangeFor(double speedCounter, double pulsesPerSecond) {
  return speedCounter * static_cast<double>(kTicksPerSecond) / pulsesPerSecond;
}

double accelCounterOf(double pulsesPerSecondSquared, double range) {
  return speedCounterOf(pulsesPerSecondSquared, range) /
         static_cast<double>(kSpeedStepsPerSecondPerAccel);
}

double speedStepsPerTick(double accelCounter) {
  return accelCounter * static_cast<double>(kSpeedStepsPerSecondPerAccel) /
         static_cast<double>(kTicksPerSecond);
}

double accelCounterForSpeedSteps(double speedStepsPerTick) {
  return speedStepsPerTick * static_cast<double>(kTicksPerSecond) /
         static_cast<double>(kSpeedStepsPerSecondPerAccel);
}

std::int64_t ticksPerAccelStep(std::int64_t jerk) {
  return kJerkCyclePeriod * (jerk + 1);
}

double jerkForTicksPerAccelStep(double ticks) {
  return ticks / kJerkCyclePeriod - 1.0;
}

double buildUpSeconds(std::int64_t accelCounter, std::int64_t jerk) {
  return secondsOfTicks(accelCounter * ticksPerAccelStep(jerk));
}

double pulsesPerSecondCubed(std::int64_t jerk, std::int32_t range) {
  return pulsesPerSecondSquared(1, range) * static_cast<double>(kTicksPerSecond) /
         static_cast<double>(ticksPerAccelStep(jerk));
}

std::string fixedDecimals(double value, int decimals) {
  return fixedText(value, decimals);
}

std::string summarySeconds(std::int64_t ticks) {
  return fixedDecimals(secondsOfTicks(ticks), 6);
}

std::string summaryPulsesPerSecond(std::int64_t speedCounter, std::int32_t range) {
  return range == 0 ? "-" : fixedDecimals(pulsesPerSecond(speedCounter, range), 1);
}

std::string tableSeconds(std::int64_t ticks) {
  return fixedDecimals(secondsOfTicks(ticks), 9);
}

std::string tablePulsesPerSecond(std::int64_t speedCounter, std::int32_t range) {
  return range == 0 ? "" : fixedDecimals(pulsesPerSecond(speedCounter, range), 3);
}

}  // namespace tarvex::units
