// A run made in the window: its recipe taken from the controls as Start
// finds them, the run itself on the window's readouts, picture and data log,
// and what it leaves recorded for the graph's additions (overlays, the fitted
// view, the report, the CSV).
#pragma once

#include <memory>

#include "RecordedRun.h"

namespace tarvex {
class Form1;
}

namespace tarvex::window {

class PictureBox;

// How to make the run again: the parameter texts and the options as the
// controls hold them at Start.
std::shared_ptr<RecordedRun> recordRunStart(const Form1& form);

// Makes the run of `record`'s recipe in the window, drawing on `graph`, and
// records its outcome, option changes, phases and final readouts.
void makeRun(Form1& form, PictureBox& graph, RecordedRun& record);

}  // namespace tarvex::window
