// Recording stand-ins for the window: readouts that remember every value shown
// (with the tick and the engine state at that moment), a graph surface that
// remembers every point, and a temporary folder for data logs.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "FormModel.h"
#include "StartupValues.h"
#include "TickEngine.h"

namespace tarvex::test {

struct ReadoutEvent {
  Readout readout;
  std::int64_t value;
  std::int64_t tick;  // tick being computed, counted from 1; 0 during set-up
  EngineState state;
};

struct YieldRecord {
  std::int64_t tick;
  EngineState state;
};

class RecordingReadouts final : public LiveReadouts {
 public:
  void attach(const TickEngine& engine) { engine_ = &engine; }

  void clearStop() override {
    ++clearStops;
    if (trace) trace->push_back("clearStop");
  }
  void showReadout(Readout r, std::int64_t value) override {
    if (trace && engine_->currentTick() == 0)
      trace->push_back(std::string(readoutInfo(r).name) + "=" + std::to_string(value));
    events.push_back({r, value, engine_->currentTick(), engine_->state()});
    last[r] = value;
  }
  bool pulseYield() override {
    const std::int64_t pulse = last.at(Readout::Text7);
    if (keepYields) yields.push_back({engine_->currentTick(), engine_->state()});
    if (duringYield) duringYield(pulse);
    return pulse == stopAtPulse;
  }
  bool idleYield() override {
    idleTicks.push_back(engine_->state().tickCount);
    return static_cast<int>(idleTicks.size()) == stopAtIdleYield;
  }

  // Events of one readout, in the order shown.
  std::vector<ReadoutEvent> of(Readout r) const {
    std::vector<ReadoutEvent> out;
    for (const auto& e : events)
      if (e.readout == r) out.push_back(e);
    return out;
  }
  // The first event of a readout showing a value; fails the test when missing.
  ReadoutEvent first(Readout r, std::int64_t value) const {
    for (const auto& e : events)
      if (e.readout == r && e.value == value) return e;
    ADD_FAILURE() << "readout " << readoutInfo(r).name << " never showed " << value;
    return {};
  }
  std::int64_t lastShown(Readout r) const { return last.count(r) ? last.at(r) : -999999; }

  // Scheduled window activity: called inside the yield of every output pulse.
  std::function<void(std::int64_t pulse)> duringYield;
  std::int64_t stopAtPulse = -1;
  int stopAtIdleYield = 0;  // stop at the n-th idle yield; 0: never
  bool keepYields = true;

  std::vector<std::string>* trace = nullptr;  // set-up calls, in order
  int clearStops = 0;
  std::vector<ReadoutEvent> events;
  std::vector<YieldRecord> yields;
  std::vector<std::int64_t> idleTicks;
  std::map<Readout, std::int64_t> last;

 private:
  const TickEngine* engine_ = nullptr;
};

struct PlotPoint {
  float x, y;
  std::int64_t tick;  // the tick at whose end the point was plotted; 0: starting point
};

class RecordingSurface final : public GraphSurface {
 public:
  void attach(const TickEngine& engine) { engine_ = &engine; }

  void clearGraph() override {
    ++clears;
    note("clearGraph");
    if (onClear) onClear();
  }
  void drawLine(float x1, float y1, float x2, float y2) override {
    note("line " + xy(x1, y1) + " " + xy(x2, y2));
  }
  void drawPoint(float x, float y) override {
    if (engine_->currentTick() == 0) note("point " + xy(x, y));
    if (keepPoints) points.push_back({x, y, engine_->state().tickCount});
    ++pointCount;
    if (y < minY) minY = y;
  }
  void setSpeedAxisCaption(std::string_view c) override { note("speed caption " + std::string(c)); }
  void setTimeAxisCaption(std::string_view c) override { note("time caption " + std::string(c)); }

  std::vector<std::string>* trace = nullptr;  // set-up calls, in order
  std::function<void()> onClear;
  bool keepPoints = true;
  int clears = 0;
  std::vector<PlotPoint> points;  // the starting point first
  std::int64_t pointCount = 0;    // the starting point included
  float minY = 1e30f;

 private:
  static std::string xy(float x, float y) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g,%.2f", x, y);
    return buf;
  }
  void note(std::string what) {
    if (trace) trace->push_back(std::move(what));
  }
  const TickEngine* engine_ = nullptr;
};

// A freshly opened window, recording consumers and an engine wired to them.
struct Harness {
  explicit Harness(std::string logPath = "") : engine(form, readouts, surface, std::move(logPath)) {
    applyStartupValues(form);
    readouts.attach(engine);
    surface.attach(engine);
  }
  Harness& set(TextBox box, const std::string& text) {
    form.setText(box, text);
    return *this;
  }
  Harness& box(CheckBox box, std::int16_t value) {
    form.setOptionValue(box, value);
    return *this;
  }
  RunOutcome run(RunMode mode = RunMode::FastForward) {
    return outcome = engine.run(RunParameters::fromForm(form), mode);
  }
  // The state changes made by the loop (set-up's state 1 left out).
  std::vector<ReadoutEvent> transitions() const {
    std::vector<ReadoutEvent> out;
    for (const auto& e : readouts.of(Readout::Text15))
      if (e.tick > 0) out.push_back(e);
    return out;
  }

  FormModel form;
  RecordingReadouts readouts;
  RecordingSurface surface;
  TickEngine engine;
  RunOutcome outcome;
};

// A folder of its own under the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// The records of a data log, without their CR LF; fails the test if a line
// does not end in CR LF.
inline std::vector<std::string> logLines(const std::string& path) {
  const std::string text = readFile(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "log ends without CR LF: " << text.substr(start, 60);
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The four numbers of one record.
inline std::array<std::int64_t, 4> fields(const std::string& line) {
  std::array<std::int64_t, 4> f{};
  std::istringstream in(line);
  for (auto& v : f) in >> v;
  return f;
}

}  // namespace tarvex::test
