// What a parameter sweep runs: the fields it varies, each with the texts it
// takes, and every combination of them, the first field outermost.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Controls.h"

namespace tarvex::batch {

// One --vary NAME=VALUES: the field, by the name it was given, and its texts
// in order.
struct Variation {
  std::string name;
  TextBox box;
  std::vector<std::string> texts;
};

// A sweep runs at most this many combinations: more is a usage error rather
// than a run that would not end in a working day or would not fit in memory.
inline constexpr std::int64_t kMaxSweepRuns = 1000000;

struct SweepTexts {
  std::vector<std::string> texts;
  std::string error;  // empty when VALUES is good
};

// VALUES for the field `box`: FROM:TO:STEP, inclusive, STEP not 0 and
// pointing from FROM towards TO (decimals only where the field takes them),
// each value written with as many decimals as the most precise of the
// three; or a comma-separated list of texts used exactly as typed.
SweepTexts sweepTexts(std::string_view values, TextBox box);

// How many runs the product of the variations makes, or -1 beyond
// kMaxSweepRuns.
std::int64_t sweepRunCount(const std::vector<Variation>& variations);

// The text each variation gives run `index` (from 0, in product order).
std::vector<std::string_view> runTexts(const std::vector<Variation>& variations,
                                       std::int64_t index);

}  // namespace tarvex::batch
