#include "Units.h"

#include "Conversions.h"

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
