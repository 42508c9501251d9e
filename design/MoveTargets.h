// A move as the engineer states it: how many pulses, the speed to cruise
// at, how long acceleration and deceleration take, the speed to start from,
// how S-shaped the ramps are, and optionally the range to use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvex::design {

// The smallest S-curve share the design tells apart: below it the
// acceleration's build-up is shorter than its slowest steps, and the ramps
// are those of this share.
inline constexpr double kSmallestShare = 0.001;

// The targets by name; the command line and the messages use these names.
enum class Target { Pulses, Peak, AccelTime, DecelTime, Start, SCurve, Range };

// "pulses", "peak", "accel_time", "decel_time", "start", "s_curve", "range".
std::string_view targetName(Target target);

struct MoveTargets {
  std::int64_t pulses = 0;  // output pulses of the move
  double peak = 0.0;        // pulses per second to cruise at
  // Seconds from the start until the run leaves the acceleration states.
  double accelTime = 0.0;
  // Seconds from the start of the deceleration until the run ends; when not
  // given, the acceleration time.
  std::optional<double> decelTime;
  // The initial speed in pulses per second; when not given, the design
  // chooses a low one.
  std::optional<double> start;
  // 0: linear drive. Above 0 up to 1: S-curve, the share of the
  // acceleration time in which the acceleration itself changes; a share
  // below kSmallestShare is designed as that share.
  double sCurve = 1.0;
  std::optional<std::int32_t> range;  // fixes the range when given

  double decelTimeOrAccel() const { return decelTime.value_or(accelTime); }
  bool linear() const { return sCurve == 0.0; }
  // Unequal times need asymmetric drive.
  bool asymmetric() const { return decelTimeOrAccel() != accelTime; }
};

// What makes a target's value nonsense.
enum class TargetProblem {
  None,
  NotWhole,      // pulses and range: a whole number of 1 or more
  NotPositive,   // a speed or a time: above 0
  OutsideShare,  // s_curve: from 0 to 1
  TooWide,       // range: at most 2147483647
};
TargetProblem problemOf(Target target, double value);

// A target's value as typed: a decimal number with '.' as the point, no
// blanks; nothing for any other text.
std::optional<double> targetNumber(std::string_view text);

// Sets one target of the move to `value`, which has no problem.
void setTarget(MoveTargets& targets, Target target, double value);

// One target's value (0 for an optional one not given); the deceleration
// time is the acceleration time when not given.
double targetValue(const MoveTargets& targets, Target target);

// The targets a move must state.
inline constexpr Target kRequiredTargets[] = {Target::Pulses, Target::Peak, Target::AccelTime};

struct ParsedTargets {
  MoveTargets targets;
  std::string error;  // empty when the text states a move
};

// Reads "name=value,name=value,...". A missing required target (pulses,
// peak, accel_time), an unknown or repeated name, a value that is no number,
// a speed or time of zero or below, pulses or a range that are not whole
// numbers of 1 or more, and s_curve outside 0 to 1 are errors.
ParsedTargets parseTargets(std::string_view text);

// The targets as --solve takes them: "pulses=20000,peak=30000,...", every
// target given, and the optional ones only when given.
std::string targetsText(const MoveTargets& targets);

// A number as the outputs print it: the shortest text without an exponent
// that reads back as the same double ("0.17", "30000", "100000").
std::string numberText(double value);
// A limit the design reports, to four significant digits, rounded so that
// the claim beside it stays true: "at most" rounds down, "at least" up.
std::string limitText(double value, bool roundUp);

}  // namespace tarvex::design
