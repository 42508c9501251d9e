// The chip's units and the engineer's: ticks and seconds, the speed counter
// and pulses per second, the acceleration counter and pulses per second per
// second. Every conversion between them, and every text form in which the
// outputs print them, is here and nowhere else.
//
// One tick is 1/8,000,000 of a simulated second. A speed counter S with
// range R outputs S / R pulses per tick: S x 8,000,000 / R pulses per
// second. An acceleration counter a moves S by a / 8000 every 8 ticks, that
// is by 125 x a per second: 125 x a x 8,000,000 / R pulses per second per
// second. In S-curve drive the acceleration counter itself moves by one
// every 16 x (K + 1) ticks, K being the increasing rate.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex::units {

inline constexpr std::int64_t kTicksPerSecond = 8000000;
// Speed-counter steps per second for each unit of the acceleration counter.
inline constexpr std::int64_t kSpeedStepsPerSecondPerAccel = 125;

// Simulated seconds of a tick count.
double secondsOfTicks(std::int64_t ticks);
// Pulses per second of a speed counter at a range; not finite for range 0.
double pulsesPerSecond(std::int64_t speedCounter, std::int32_t range);
// Pulses per second per second of an acceleration counter at a range.
double pulsesPerSecondSquared(std::int64_t accelCounter, std::int32_t range);

// The other way: ticks of simulated seconds; the speed counter that gives
// `pulsesPerSecond` at a range; the range at which a speed counter gives it;
// the acceleration counter that gives `pulsesPerSecondSquared` at a range.
double ticksOfSeconds(double seconds);
double speedCounterOf(double pulsesPerSecond, double range);
double rangeFor(double speedCounter, double pulsesPerSecond);
double accelCounterOf(double pulsesPerSecondSquared, double range);

// The same rates in the chip's own terms, per tick: speed-counter steps per
// tick of an acceleration counter, and the acceleration counter for a rate
// of speed-counter steps per tick.
double speedStepsPerTick(double accelCounter);
double accelCounterForSpeedSteps(double speedStepsPerTick);

// S-curve drive: the ticks between two moves of the acceleration counter at
// increasing rate K, and the K for a number of ticks (not rounded; below 0
// where even K 0 is too slow).
std::int64_t ticksPerAccelStep(std::int64_t jerk);
double jerkForTicksPerAccelStep(double ticks);
// The seconds the acceleration counter needs to build up from 0 to
// `accelCounter` at increasing rate K.
double buildUpSeconds(std::int64_t accelCounter, std::int64_t jerk);
// Pulses per second per second per second at increasing rate K and a range.
double pulsesPerSecondCubed(std::int64_t jerk, std::int32_t range);

// `value` with exactly `decimals` decimals, '.' as the decimal point
// whatever the locale, rounded correctly from the double's exact value.
std::string fixedDecimals(double value, int decimals);

// The run summaries (the batch runner's and the window's report, the graph's
// cursor): seconds to 6 decimals, pulses per second to 1, "-" at range 0.
std::string summarySeconds(std::int64_t ticks);
std::string summaryPulsesPerSecond(std::int64_t speedCounter, std::int32_t range);

// The tables (the trace and the sweep's rows): seconds to 9 decimals, which
// is exact since a tick is 125 ns; pulses per second to 3 decimals, empty at
// range 0.
std::string tableSeconds(std::int64_t ticks);
std::string tablePulsesPerSecond(std::int64_t speedCounter, std::int32_t range);

}  // namespace tarvex::units
