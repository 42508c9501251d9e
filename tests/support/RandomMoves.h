// A fixed table of random moves across the design's domain, the same on
// every machine and standard library: its own generator and its own draws.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "MoveTargets.h"

namespace tarvex::test {

class RandomMoves {
 public:
  explicit RandomMoves(std::uint64_t seed) : state_(seed) {}

  // The next move: pulses 100 to ten million, peak 10 pps to 1 Mpps, ramps
  // of 1 ms to 100 s, log-uniformly; half with a start, half with their own
  // deceleration time; a third linear, a third fully S-shaped; a tenth with
  // a fixed range.
  design::MoveTargets next() {
    design::MoveTargets t;
    t.pulses = static_cast<std::int64_t>(std::round(logUniform(100.0, 1e7)));
    t.peak = roundTo3(logUniform(10.0, 1e6));
    t.accelTime = roundTo3(logUniform(1e-3, 100.0));
    if (uniform() < 0.5) t.decelTime = roundTo3(t.accelTime * logUniform(0.25, 4.0));
    if (uniform() < 0.5) t.start = roundTo3(t.peak * logUniform(1e-3, 0.9));
    const double shape = uniform();
    t.sCurve = shape < 1.0 / 3.0 ? 0.0 : shape < 2.0 / 3.0 ? 1.0 : roundTo3(logUniform(0.01, 1.0));
    if (uniform() < 0.1) t.range = static_cast<std::int32_t>(std::round(logUniform(1e3, 1e8)));
    return t;
  }

 private:
  // splitmix64.
  std::uint64_t bits() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(bits() >> 11) * 0x1.0p-53; }
  double logUniform(double low, double high) {
    return std::exp(std::log(low) + uniform() * (std::log(high) - std::log(low)));
  }
  // Three significant digits, as an engineer would type them.
  static double roundTo3(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", v);
    return *design::targetNumber(text);
  }
  std::uint64_t state_;
};

}  // namespace tarvex::test
