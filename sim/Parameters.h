// What a run starts from: the twelve parameter texts exactly as typed, and
// the options it reads at set-up and while it goes on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvex {

// The twelve numeric parameters, in the order the run converts them.
enum class Parameter : std::uint8_t {
  Range,             // R: pulses per tick = speedCounter / range
  Acceleration,      // A: ceiling of accelCounter while accelerating
  Deceleration,      // D: ceiling while decelerating asymmetrically
  AccelOffset,       // AO: starting value of the acceleration-pulse count
  JerkAccel,         // K: accelCounter moves once every K + 1 jerk steps
  JerkDecel,         // L: the same while decelerating asymmetrically
  InitialSpeed,      // SV: the speed the run starts and ends at
  DriveSpeed,        // V: the speed acceleration aims for
  OutputPulses,      // P: the pulses requested
  ManualDecelPoint,  // DP: the pulse at which manual deceleration starts
  TimeDisplayMax,    // seconds across the graph
  SpeedDisplayMax,   // pulses per second at the top of the graph
};
inline constexpr int kParameterCount = 12;

inline constexpr std::array<Parameter, kParameterCount> kParametersInConversionOrder{
    Parameter::Range,          Parameter::Acceleration,
    Parameter::Deceleration,   Parameter::AccelOffset,
    Parameter::JerkAccel,      Parameter::JerkDecel,
    Parameter::InitialSpeed,   Parameter::DriveSpeed,
    Parameter::OutputPulses,   Parameter::ManualDecelPoint,
    Parameter::TimeDisplayMax, Parameter::SpeedDisplayMax};

// The parameter's own name in lower camel case ("range", "jerkAccel", ...).
constexpr std::string_view parameterName(Parameter p) {
  constexpr std::array<std::string_view, kParameterCount> names{
      "range",        "acceleration",     "deceleration",   "accelOffset",
      "jerkAccel",    "jerkDecel",        "initialSpeed",   "driveSpeed",
      "outputPulses", "manualDecelPoint", "timeDisplayMax", "speedDisplayMax"};
  return names[static_cast<std::size_t>(p)];
}

struct RunParameters {
  std::array<std::string, kParameterCount> texts;

  const std::string& operator[](Parameter p) const { return texts[static_cast<std::size_t>(p)]; }
  std::string& operator[](Parameter p) { return texts[static_cast<std::size_t>(p)]; }
};

// An option as the user left it: off, on, or grayed. A grayed option (which
// only a parameter file can give) is neither on nor off: a test for "on"
// fails, and so does a test for "off".
enum class Tristate : std::int16_t { Off = 0, On = 1, Grayed = 2 };

// Where a run reads its options. S-curve is read once at set-up; the other
// three are read after every yield, since only then can the user change
// them.
class RunOptionSource {
 public:
  virtual ~RunOptionSource() = default;
  virtual Tristate sCurve() const = 0;
  virtual Tristate recording() const = 0;
  virtual Tristate automaticDeceleration() const = 0;
  virtual Tristate symmetric() const = 0;
  // The data log's record cap switches recording off, as a user would.
  virtual void stopRecording() = 0;
};

}  // namespace tarvex
