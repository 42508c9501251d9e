// A run of the engine recording what it shows, yields and draws.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "TickEngine.h"

namespace tarvex::test {

struct MemoryOptions final : RunOptionSource {
  Tristate curve = Tristate::On, record = Tristate::Off, automatic = Tristate::On,
           symmetricDecel = Tristate::On;
  int recordingStops = 0;
  Tristate sCurve() const override { return curve; }
  Tristate recording() const override { return record; }
  Tristate automaticDeceleration() const override { return automatic; }
  Tristate symmetric() const override { return symmetricDecel; }
  void stopRecording() override {
    record = Tristate::Off;
    ++recordingStops;
  }
};

struct Shown {
  Readout readout;
  std::int64_t value, tick;
  EngineState state;
};

struct Point {
  float x, y;
  std::int64_t tick;  // at whose end it was plotted; 0 for the starting point
  friend bool operator==(const Point&, const Point&) = default;
};

class Recorder final : public LiveReadouts, public GraphSurface, public TraceSink {
 public:
  const TickEngine* engine = nullptr;
  std::vector<std::string> setUpTrace;  // calls before the first tick, in order
  std::vector<Shown> shown;
  std::vector<Shown> yields;  // the state at every pulse yield
  std::vector<std::int64_t> idleYieldTicks;
  std::vector<Point> points;
  std::function<void(std::int64_t pulse)> duringYield;
  std::function<void()> duringIdleYield;
  std::int64_t stopAtPulse = -1;
  int stopAtIdleYield = 0;          // stop at the n-th idle yield; 0: never
  std::int64_t stopAfterTick = -1;  // stop at the first yield after it
  // When set, readouts and yields are noted here as text instead of above.
  std::vector<std::string>* events = nullptr;
  // When set: the pulses asked to yield, and each yield noted in `events`
  // with the last value shown of every readout instead of every readout.
  std::function<YieldRequest(const RunMoment&)> yieldPlan;
  std::array<std::int64_t, kReadoutCount> latest{};
  // When set, the run pauses after every yield, and the yield's answer (the
  // stop, the changes of duringYield) is given only as it goes on, as a page
  // answers after the browser's turn.
  bool pauseAtYields = false;

  void clearStop() override { note("clearStop"); }
  void showReadout(Readout r, std::int64_t value) override {
    const std::int64_t tick = engine->currentTick();
    latest[static_cast<std::size_t>(r)] = value;
    if (tick == 0)
      note("show " + std::to_string(static_cast<int>(r)) + "=" + std::to_string(value));
    if (yieldPlan) return;
    if (events)
      events->push_back(std::to_string(value * 8 + static_cast<int>(r)) + "@" +
                        std::to_string(tick));
    else
      shown.push_back({r, value, tick, engine->state()});
  }
  YieldRequest nextYield(const RunMoment& at) override {
    return yieldPlan ? yieldPlan(at) : YieldRequest::everyPulse(at);
  }
  // The last value shown of every readout.
  std::string latestShown() const {
    std::string text;
    for (const std::int64_t v : latest) text += " " + std::to_string(v);
    return text;
  }
  bool pulseYield(const RunMoment& at) override {
    const std::int64_t pulse = at.pulses;
    if (events)
      events->push_back("yield@" + std::to_string(engine->currentTick()) +
                        (yieldPlan ? latestShown() : ""));
    else
      yields.push_back({Readout::OutputPulses, pulse, engine->currentTick(), engine->state()});
    return answer([this, pulse] {
      if (duringYield) duringYield(pulse);
      return pulse == stopAtPulse || pastTickBudget();
    });
  }
  bool idleYield(const RunMoment& at) override {
    idleYieldTicks.push_back(at.tick);
    if (events)
      events->push_back("idle@" + std::to_string(engine->currentTick()) +
                        (yieldPlan ? latestShown() : ""));
    return answer([this] {
      if (duringIdleYield) duringIdleYield();
      return static_cast<int>(idleYieldTicks.size()) == stopAtIdleYield || pastTickBudget();
    });
  }
  bool pausesAfterYield() override { return pauseAtYields; }
  bool stopRequestedDuringPause() override { return std::exchange(pendingAnswer_, {})(); }
  void clearGraph() override { note("clearGraph"); }
  void drawLine(float x1, float y1, float x2, float y2) override {
    note("line " + std::to_string(int(x1)) + "," + std::to_string(int(y1)) + " " +
         std::to_string(int(x2)) + "," + std::to_string(int(y2)));
  }
  void drawPoint(float, float) override { note("point"); }
  void pointPlotted(const PlottedPoint& p) override { points.push_back({p.x, p.y, p.values.tick}); }
  void setSpeedAxisCaption(std::string_view c) override { note("caption " + std::string(c)); }
  void setTimeAxisCaption(std::string_view c) override { note("caption " + std::string(c)); }

 private:
  std::function<bool()> pendingAnswer_;
  bool answer(std::function<bool()> answer) {
    if (!pauseAtYields) return answer();
    pendingAnswer_ = std::move(answer);
    return false;
  }
  bool pastTickBudget() const {
    return stopAfterTick >= 0 && engine->currentTick() > stopAfterTick;
  }
  void note(std::string what) {
    if (engine->currentTick() == 0) setUpTrace.push_back(std::move(what));
  }
};

// The parameters by their symbols, in conversion order.
inline const std::vector<std::string> kSymbols{"R",  "A", "D", "AO", "K",    "L",
                                               "SV", "V", "P", "DP", "time", "pps"};
inline Parameter parameterWithSymbol(const std::string& symbol) {
  const auto at = std::find(kSymbols.begin(), kSymbols.end(), symbol);
  EXPECT_NE(at, kSymbols.end()) << symbol;
  return static_cast<Parameter>(at - kSymbols.begin());
}

// The start-up parameter set, in conversion order.
inline RunParameters startupParameters() {
  return {
      {"800000", "8000", "8000", "0", "600", "600", "10", "3000", "20000", "1000", "1.2", "40000"}};
}

// A run whose data log goes to a folder of its own (or to `log`).
struct EngineRun {
  // `tracePoints` false: the points go nowhere and are only counted.
  explicit EngineRun(std::filesystem::path log = {}, bool tracePoints = true)
      : logPath(log.empty() ? dir.file("log.txt") : log),
        engine(options, rec, tracePoints ? static_cast<GraphSurface&>(rec) : nowhere,
               tracePoints ? &rec : nullptr, logPath) {
    rec.engine = &engine;
  }
  EngineRun& set(Parameter p, const std::string& text) {
    params[p] = text;
    return *this;
  }
  // Sets up from words: parameters by symbol (A=50), linear, manual,
  // asymmetric, grayed (symmetric), record, stop=N (Stop at pulse N).
  EngineRun& with(const std::string& words) {
    std::istringstream in(words);
    for (std::string word; in >> word;) {
      const auto eq = word.find('=');
      if (word.rfind("stop=", 0) == 0)
        rec.stopAtPulse = std::stoll(word.substr(5));
      else if (eq != std::string::npos)
        params[parameterWithSymbol(word.substr(0, eq))] = word.substr(eq + 1);
      if (word == "linear") options.curve = Tristate::Off;
      if (word == "manual") options.automatic = Tristate::Off;
      if (word == "asymmetric") options.symmetricDecel = Tristate::Off;
      if (word == "grayed") options.symmetricDecel = Tristate::Grayed;
      if (word == "record") options.record = Tristate::On;
    }
    return *this;
  }
  RunOutcome run(RunMode mode = RunMode::FastForward) { return outcome = engine.run(params, mode); }
  // The run in slices, paused at every yield (Recorder::pauseAtYields), as
  // a page computes it.
  RunOutcome runInSlices(RunMode mode) {
    rec.pauseAtYields = true;
    for (bool ended = engine.start(params, mode); !ended; ended = engine.goOn()) ++pauses;
    return outcome = engine.outcome();
  }
  std::vector<Shown> of(Readout r) const {
    std::vector<Shown> out;
    for (const Shown& s : rec.shown)
      if (s.readout == r) out.push_back(s);
    return out;
  }
  std::int64_t last(Readout r) const {
    const auto all = of(r);
    return all.empty() ? -999999 : all.back().value;
  }
  // The first value of a readout shown while the run was in a state.
  std::int64_t firstShownIn(Readout r, std::int32_t state) const {
    for (const Shown& s : rec.shown)
      if (s.readout == r && stateNumber(s.state.accelState) == state) return s.value;
    return -999999;
  }

  std::vector<std::string> log() const { return logLines(logPath); }

  TempDir dir;
  std::filesystem::path logPath;
  RunParameters params = startupParameters();
  MemoryOptions options;
  Recorder rec;
  NullGraphSurface nowhere;
  TickEngine engine;
  RunOutcome outcome;
  int pauses = 0;
};

}  // namespace tarvex::test
