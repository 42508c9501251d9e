// What the batch runner prints about a finished run.
#pragma once

#include <string>
#include <vector>

#include "FormModel.h"
#include "JsonWriter.h"
#include "RunOutcome.h"
#include "RunSession.h"

namespace tarvex::batch {

struct RunReport {
  const RunOutcome& outcome;
  const RunResult& result;
  const FormModel& form;
  // The outputs that were not written completely: "log", "points", "plot", "trace".
  const std::vector<std::string>& failedOutputs;
};

// One JSON object on one line. When an output failed, "error" is "file"
// (if the run itself had none) and "failedOutputs" lists them; "logLines"
// counts the records that reached the log.
std::string jsonReport(const RunReport& report);
// The members of that object, for an object that holds more.
void writeRunMembers(JsonWriter& json, const RunReport& report);
// The readable summary: outcome, time, readouts, peak speed, phase table.
std::string textReport(const RunReport& report);

}  // namespace tarvex::batch
