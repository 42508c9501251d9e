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

void writeRunMembers(JsonWriter& json, const RunReport& r) {
  json.key("outcome").string(endName(r.outcome.end)).key("error");
  if (r.outcome.failure)
    json.string(errorName(r.outcome.failure->error));
  else if (r.failedOutputs.empty())
    json.null();
  else
    json.string("file");
  json.key("ticks").integer(r.outcome.ticks).key("pulses").integer(r.outcome.pulses);
  json.key("readouts").beginObject();
  for (const ReadoutControl& control : kReadoutControls)
    if (control.box) json.key(control.name).string(r.form.text(*control.box));
  json.key("Option1").boolean(r.form.indicator()).endObject();
  json.key("plotPoints").integer(r.result.pointsPlotted);
  json.key("logLines").integer(r.result.logRecords);
  if (!r.failedOutputs.empty()) {
    json.key("failedOutputs").beginArray();
    for (const std::string& output : r.failedOutputs) json.string(output);
    json.endArray();
  }
}

std::string jsonReport(const RunReport& r) {
  JsonWriter json;
  json.beginObject();
  writeRunMembers(json, r);
  return json.endObject().line();
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
