#include "SweepReport.h"

#include <optional>

#include "Conversions.h"
#include "JsonWriter.h"
#include "PrintableText.h"
#include "RunFigures.h"
#include "WrittenText.h"

namespace tarvex::batch {
namespace {

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
  const RunFigureTexts f = tableTexts(figuresOf(r.result));
  row += "," + intToText(r.outcome.ticks) + "," + f.seconds + "," + intToText(r.outcome.pulses);
  for (const ReadoutControl& control : kReadoutControls)
    row += "," + (control.box ? csvField(r.form.text(*control.box))
                              : std::string(r.form.indicator() ? "1" : "0"));
  return row + "," + f.peakPulsesPerSecond + "," + f.accelEnd + "," + f.decelStart + "\n";
}

std::string jsonRow(const std::vector<Variation>& variations,
                    const std::vector<std::string_view>& texts, const RunReport& r) {
  JsonWriter json;
  json.beginObject();
  writeRunMembers(json, r);
  json.key("vary").beginObject();
  for (std::size_t i = 0; i < variations.size(); ++i) json.key(variations[i].name).string(texts[i]);
  json.endObject();
  const RunFigureTexts f = tableTexts(figuresOf(r.result));
  json.key("seconds").figure(f.seconds).key("peak_pps").figure(f.peakPulsesPerSecond);
  json.key("accel_end_s").figure(f.accelEnd).key("decel_start_s").figure(f.decelStart);
  return json.endObject().line();
}

}  // namespace tarvex::batch
