// A finished run as the graph's additions read it afterwards: how to make it
// again, how it ended, the values behind its plotted points, the states it
// entered and what its readouts showed at its end.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QString>

#include "LiveReadouts.h"
#include "RunReplay.h"
#include "RunSession.h"
#include "RunTrace.h"

namespace tarvex::window {

struct RecordedRun {
  RunRecipe recipe;
  RunResult result;  // all the run left, as its session returned it
  RunTrace trace;
  // The texts of the readouts at the end, by Readout ("1" or "0" for the
  // triangle-prevention indicator).
  std::array<QString, kReadoutCount> readouts;
  RunParameters typed;     // the parameter texts in UTF-8
  QString failureMessage;  // the message shown, for a failed run
  // How many runs made the same way it stands for, and while its curve is
  // kept under later runs the colour it keeps (see earlierCurveColour).
  int runs = 1;
  int colour = -1;
};

}  // namespace tarvex::window
