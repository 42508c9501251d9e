// A run made once more, without the window: the same parameter texts, the
// options as they stood at its start and as the user changed them during it,
// and its stop at the same yield. The engine is exact, so the run is the same
// in every value; only the graph's two display maxima may be replaced, to
// draw it at other scales. It shows no readouts and writes no data log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FormControls.h"
#include "Parameters.h"
#include "RunOutcome.h"
#include "SpeedGraph.h"

#include "RunEvents.h"

namespace tarvex::window {

// The options a run reads while it goes on and that shape its curve:
// automatic and symmetric deceleration, as the values of their "on" boxes.
struct LiveOptionValues {
  std::int16_t automatic = 0;
  std::int16_t symmetric = 0;
  friend bool operator==(const LiveOptionValues&, const LiveOptionValues&) = default;
};

inline LiveOptionValues liveOptionValues(const OptionBoxes& boxes) {
  return {boxes.optionValue(pairOf(RunOption::AutomaticDeceleration).on),
          boxes.optionValue(pairOf(RunOption::Symmetric).on)};
}

// The user changed the options during the yield at the end of `tick` ticks,
// with `pulses` output.
struct LiveOptionChange {
  std::int64_t tick;
  std::int64_t pulses;
  LiveOptionValues values;
};

struct RunRecipe {
  RunParameters params;
  std::int16_t sCurve = 0;  // the S-curve box at set-up
  LiveOptionValues startOptions;
  std::vector<LiveOptionChange> changes;
  // A stopped run: the tick count of the yield that saw Stop, and its pulses.
  std::optional<std::int64_t> stopTick;
  std::int64_t stopPulses = 0;
};

// Makes the run again with the display maxima `timeDisplayMax` and
// `speedDisplayMax`, drawing on `surface` and handing its plotted points to
// `trace`.
RunOutcome replayRun(const RunRecipe& recipe, const std::string& timeDisplayMax,
                     const std::string& speedDisplayMax, GraphSurface& surface, TraceSink& trace);

}  // namespace tarvex::window
