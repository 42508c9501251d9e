// What the batch runner prints about a finished run.
#pragma once

#include <string>

#include "BatchReadouts.h"
#include "FormModel.h"
#include "RunOutcome.h"
#include "TickEngine.h"

namespace tarvex::batch {

struct RunReport {
  const RunOutcome& outcome;
  const FormModel& form;
  const TickEngine& engine;
  const BatchReadouts& readouts;
};

// A text as a JSON string, in double quotes.
std::string jsonString(const std::string& text);
// One JSON object on one line.
std::string jsonReport(const RunReport& report);
// The readable summary: outcome, time, readouts, peak speed, phase table.
std::string textReport(const RunReport& report);

}  // namespace tarvex::batch
