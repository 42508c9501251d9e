#include "Report.h"

#include "Conversions.h"
#include "FailureText.h"
#include "PrintableText.h"
#include "Units.h"

namespace tarvex::batch {
namespace {

using units::summaryPulsesPerSecond;
using units::summarySeconds;

}  // namespace

std::string jsonReport(const RunReport& r) {
  std::string json = "{\"outcome\": \"" + std::string(endName(r.outcome.end)) + "\", \"error\": ";
  if (r.outcome.failure)
    json += "\"" + std::string(errorName(r.outcome.failure->error)) + "\"";
  else
    json += r.failedOutputs.empty() ? "null" : "\"file\"";
  json += ", \"ticks\": " + intToText(r.outcome.ticks);
  json += ", \"pulses\": " + intToText(r.outcome.pulses);
  json += ", \"readouts\": {";
  for (const ReadoutControl& control : kReadoutControls) {
    if (control.box)
      json +=
          "\"" + std::string(control.name) + "\": " + jsonString(r.form.text(*control.box)) + ", ";
  }
  json += "\"Option1\": ";
  json += r.form.indicator() ? "true" : "false";
  json += "}, \"plotPoints\": " + intToText(r.result.pointsPlotted);
  json += ", \"logLines\": " + intToText(r.result.logRecords);
  if (!r.failedOutputs.empty()) {
    json += ", \"failedOutputs\": [";
    for (std::size_t i = 0; i < r.failedOutputs.size(); ++i)
      json += (i > 0 ? ", " : "") + jsonString(r.failedOutputs[i]);
    json += "]";
  }
  json += "}\n";
  return json;
}

std::string textReport(const RunReport& r) {
  const RunOutcome& o = r.outcome;
  const std::int32_t range = r.result.range;
  std::string text = "Outcome: ";
  text += endName(o.end);
  if (o.failure) text += " (" + terminalText(describeFailure(o)) + ")";
  text += "\nSimulated: " + intToText(o.ticks) + " ticks, " + summarySeconds(o.ticks) + " s; " +
          intToText(o.pulses) + " output pulses\n\nReadouts:\n";
  for (const ReadoutControl& control : kReadoutControls) {
    const std::string value =
        control.box ? terminalText(r.form.text(*control.box)) : (r.form.indicator() ? "on" : "off");
    // Captions are full-width Japanese: pad by the name column instead.
    text += "  " + padRight(std::string(control.name), 8) + padLeft(value, 10) + "  " +
            std::string(control.caption) + "\n";
  }
  const std::int32_t peak = r.result.peakSpeed;
  text += "\nPeak speed: speed counter " + intToText(peak) + ", " +
          summaryPulsesPerSecond(peak, range) + " pulses/s\n";
  text += "Graph: " + intToText(r.result.pointsPlotted) + " points after the start";
  text += "; data log: " + intToText(r.result.logRecords) + " records\n";
  if (!r.failedOutputs.empty()) {
    text += "Not written completely:";
    for (const std::string& output : r.failedOutputs) text += " " + output;
    text += "\n";
  }
  if (!r.result.phases.empty()) {
    text += "\nPhases:\n  state        tick    time [s]      pulses  speed counter   pulses/s\n";
    for (const PhaseEntry& p : r.result.phases) {
      text += "  " + padLeft(intToText(stateNumber(p.state)), 5) + padLeft(intToText(p.tick), 12) +
              padLeft(summarySeconds(p.tick), 12) + padLeft(intToText(p.pulses), 12) +
              padLeft(intToText(p.speedCounter), 15) +
              padLeft(summaryPulsesPerSecond(p.speedCounter, range), 11) + "\n";
    }
  }
  return text;
}

}  // namespace tarvex::batch
