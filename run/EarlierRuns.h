// Earlier runs kept under the current one on the graph: the light colours
// their curves keep, and the legend that names them. Every legend line
// names the parameters in which the shown runs differ (never the display
// scales) by caption, with the run's own value and its physical unit, the
// options that differ, and how often the run was made when more than once:
// "今回: 加増加率 300（立ち上がり 0.25 s）、直線加減速（2 回）". The window's
// graph and the page's show the same. Texts are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Parameters.h"

namespace tarvex::earlier {

// One more colour than the runs kept, so that a run just ended always finds
// one free; as 0xRRGGBB.
inline constexpr std::array<std::uint32_t, 6> kColours{0xf4a582, 0x92c5de, 0x9cd06a,
                                                       0xc2a5cf, 0xe6c85a, 0xe79cc3};
// The first colour none of `taken` is.
int freeColour(const std::vector<int>& taken);

// What the legend reads of a run: the parameters as typed (UTF-8), the
// options at its start as box values, and how many runs made the same way
// it stands for.
struct LegendRun {
  const RunParameters& typed;
  std::int16_t sCurve = 0;
  std::int16_t automatic = 0;
  std::int16_t symmetric = 0;
  int runs = 1;
};

// "同じ設定" or the differences of `earlier` from `current`, e.g.
// "加増加率 300（立ち上がり 0.25 s）、直線加減速".
std::string differences(const LegendRun& earlier, const LegendRun& current);

// The legend's lines: the current run's ("今回: " first) when its curve is
// shown, then each earlier run's.
std::vector<std::string> legendTexts(const std::vector<const LegendRun*>& earlier,
                                     const LegendRun& current, bool currentShown);

}  // namespace tarvex::earlier
