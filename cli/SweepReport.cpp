#include "SweepReport.h"

#include <cstdio>
#include <optional>

#include "Conversions.h"
#include "PrintableText.h"
#include "WrittenText.h"

namespace tarvex::batch {
namespace {

// Simulated seconds of a tick count, exactly: a tick is 125 ns.
std::string seconds(std::int64_t ticks) {
  std::string nanoseconds = intToText(ticks % TickEngine::kTicksPerSecond * 125);
  nanoseconds.insert(0, 9 - nanoseconds.size(), '0');
  return intToText(ticks / TickEngine::kTicksPerSecond) + "." + nanoseconds;
}

// The figures that compare runs, as texts; empty where a run has none.
struct RunFigures {
  std::string seconds, peakPulsesPerSecond, accelEnd, decelStart;
};

RunFigures figuresOf(const RunReport& r) {
  RunFigures f{seconds(r.outcome.ticks), {}, {}, {}};
  // The peak speed counter in pulses per second: peak x 8,000,000 / range.
  if (const std::int32_t range = r.engine.state().params.range; range != 0) {
    char text[64];
    std::snprintf(
        text, sizeof text, "%.3f",
        static_cast<double>(r.engine.state().peakSpeed) * TickEngine::kTicksPerSecond / range);
    f.peakPulsesPerSecond = text;
  }
  // Acceleration ends when the run first leaves states 1 to 3; deceleration
  // starts when it first enters state 5.
  for (const PhaseEntry& p : r.readouts.phases()) {
    if (f.accelEnd.empty() && (p.state == 4 || p.state == 5)) f.accelEnd = seconds(p.tick);
    if (f.decelStart.empty() && p.state == 5) f.decelStart = seconds(p.tick);
  }
  return f;
}

// A CSV field: the text every output writes, quoted where it holds a comma,
// a quote or a line end.
std::string csvField(std::string_view typed) {
  const std::string text = writtenText(typed);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string jsonNumber(const std::string& figure) {
  return figure.empty() ? "null" : figure;
}

}  // namespace

std::string csvHeader(const std::vector<Variation>& variations) {
  std::string header;
  for (const Variation& v : variations) header += csvField(v.name) + ",";
  header += "outcome,error,ticks,seconds,pulses";
  for (const ReadoutControl& control : kReadoutControls) header += "," + std::string(control.name);
  return header + ",peak_pps,accel_end_s,decel_start_s\n";
}

std::string csvRow(const std::vector<std::string_view>& texts, const RunReport& r) {
  std::string row;
  for (const std::string_view text : texts) row += csvField(text) + ",";
  row += endName(r.outcome.end);
  row += ",";
  if (r.outcome.failure) row += errorName(r.outcome.failure->error);
  const RunFigures f = figuresOf(r);
  row += "," + intToText(r.outcome.ticks) + "," + f.seconds + "," + intToText(r.outcome.pulses);
  for (const ReadoutControl& control : kReadoutControls)
    row += "," + (control.box ? csvField(r.form.text(*control.box))
                              : std::string(r.form.indicator() ? "1" : "0"));
  return row + "," + f.peakPulsesPerSecond + "," + f.accelEnd + "," + f.decelStart + "\n";
}

std::string jsonRow(const std::vector<Variation>& variations,
                    const std::vector<std::string_view>& texts, const RunReport& r) {
  std::string json = jsonReport(r);
  json.resize(json.rfind('}'));  // the single run's object, still open
  json += ", \"vary\": {";
  for (std::size_t i = 0; i < variations.size(); ++i)
    json +=
        (i ? ", " : "") + jsonString(variations[i].name) + ": " + jsonString(std::string(texts[i]));
  const RunFigures f = figuresOf(r);
  json += "}, \"seconds\": " + f.seconds + ", \"peak_pps\": " + jsonNumber(f.peakPulsesPerSecond) +
          ", \"accel_end_s\": " + jsonNumber(f.accelEnd) +
          ", \"decel_start_s\": " + jsonNumber(f.decelStart);
  return json + "}\n";
}

}  // namespace tarvex::batch
