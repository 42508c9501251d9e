// Fast-forward against tick by tick: seeded random runs in both modes must
// agree on everything a user or a consumer can see: the outcome and error,
// every readout write (value, order, tick), every yield (kind, tick, pulse),
// every plot point and every byte of the data log.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "FormModel.h"
#include "GraphRecorder.h"
#include "StartupValues.h"
#include "TickEngine.h"

namespace {

using namespace tarvex;
namespace fs = std::filesystem;

int gCases = 300;
std::uint64_t gFirstSeed = 1;

// A change of a box during a yield, or a stop, at a given output pulse.
struct Scheduled {
  std::int64_t pulse;
  CheckBox box;
  std::int16_t value;
};

struct Case {
  FormModel form;
  std::vector<Scheduled> changes;
  std::int64_t stopAtPulse = -1;  // none
  int stopAtIdleYield = 2;        // runs without pulses end at their second idle yield
  // Longer runs are stopped at the first yield after this tick, to keep the
  // tick-by-tick half of the comparison short.
  std::int64_t tickBudget = 20000000;
  std::string description;
};

struct Trace {
  std::vector<std::string> events;  // readouts and yields, in order
  std::vector<GraphPoint> points;
  std::string log;
  RunOutcome outcome;
  std::string failureWhere;
};

class TracingReadouts final : public LiveReadouts {
 public:
  TracingReadouts(Case& c, Trace& t) : case_(c), trace_(t) {}
  void attach(const TickEngine& e) { engine_ = &e; }

  void clearStop() override { trace_.events.push_back("clear"); }
  void showReadout(Readout r, std::int64_t value) override {
    trace_.events.push_back(std::string(readoutInfo(r).name) + "=" + std::to_string(value) + "@" +
                            std::to_string(engine_->currentTick()));
  }
  bool pulseYield() override {
    const std::int64_t pulse = engine_->state().outputPulseCount;
    trace_.events.push_back("yield pulse " + std::to_string(pulse) + " tick " +
                            std::to_string(engine_->currentTick()));
    for (const Scheduled& s : case_.changes)
      if (s.pulse == pulse) case_.form.setOptionValue(s.box, s.value);
    return pulse == case_.stopAtPulse || engine_->currentTick() > case_.tickBudget;
  }
  bool idleYield() override {
    trace_.events.push_back("idle tick " + std::to_string(engine_->currentTick()));
    return ++idleYields_ >= case_.stopAtIdleYield || engine_->currentTick() > case_.tickBudget;
  }

 private:
  Case& case_;
  Trace& trace_;
  const TickEngine* engine_ = nullptr;
  int idleYields_ = 0;
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

Trace runCase(Case c, RunMode mode, const fs::path& logPath) {
  Trace trace;
  TracingReadouts readouts(c, trace);
  GraphRecorder graph;
  TickEngine engine(c.form, readouts, graph, logPath.string());
  readouts.attach(engine);
  trace.outcome = engine.run(RunParameters::fromForm(c.form), mode);
  if (trace.outcome.failure) trace.failureWhere = trace.outcome.failure->where;
  trace.points = graph.points();
  trace.log = slurp(logPath);
  for (int n = 1; n <= kCheckBoxCount; ++n)
    trace.events.push_back("box " + std::to_string(n) + "=" +
                           std::to_string(c.form.optionValue(checkBoxNumber(n))));
  return trace;
}

// Parameter sets that keep a tick-by-tick run short (a few million ticks) but
// reach every phase, both curve shapes and deceleration modes, symmetric,
// asymmetric and grayed boxes, recording, live changes, stops and overflows.
Case makeCase(std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  auto pick = [&](std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
  };
  auto chance = [&](int percent) { return pick(1, 100) <= percent; };

  Case c;
  applyStartupValues(c.form);
  auto set = [&](TextBox box, std::int64_t v) { c.form.setText(box, std::to_string(v)); };

  const std::int64_t initial = chance(10) ? 0 : pick(1, 60);
  const std::int64_t drive = chance(10) ? pick(0, initial) : pick(initial, initial + 1500);
  set(TextBox::Text4, initial);
  set(TextBox::Text5, drive);
  // Range: a few ticks to a few thousand ticks per pulse at drive speed.
  // Range: from above the drive speed (a pulse every tick) to a few thousand
  // ticks per pulse at the initial speed; now and then negative.
  set(TextBox::Text1,
      chance(5) ? -pick(1000, 100000)
                : pick(1, 2000) * std::max<std::int64_t>(initial, 1) + (chance(10) ? 0 : drive));
  set(TextBox::Text2, chance(5) ? pick(8001, 12000) : pick(0, 4000));
  set(TextBox::Text13, chance(5) ? 0 : pick(1, 4000));
  set(TextBox::Text3, chance(10) ? 0 : pick(1, 300));
  set(TextBox::Text20, chance(10) ? 0 : pick(1, 300));
  set(TextBox::Text6, chance(5) ? pick(-2, 1) : pick(2, 3000));
  set(TextBox::Text18, pick(-5, 5));
  set(TextBox::Text19, pick(0, 3000));
  c.form.setText(TextBox::Text11, chance(10) ? "0" : std::to_string(pick(1, 4000) / 1000.0));
  c.form.setText(TextBox::Text10, std::to_string(pick(1000, 100000)));
  if (chance(40)) c.form.setOptionValue(CheckBox::Check5, kChecked);
  if (chance(30)) c.form.setOptionValue(CheckBox::Check3, kChecked);
  if (chance(30)) c.form.setOptionValue(CheckBox::Check6, kChecked);
  if (chance(8)) c.form.setOptionValue(CheckBox::Check7, kGrayed);
  if (chance(8)) c.form.setOptionValue(CheckBox::Check2, kGrayed);
  if (chance(25)) {
    c.form.setOptionValue(CheckBox::Check1, kChecked);
    c.tickBudget = 1000000;
  }

  // Now and then a run heading for an overflow or a set-up failure.
  switch (chance(20) ? pick(0, 5) : -1) {
    case 0:  // accelCounter above 8000: speedAccumulator falls behind
      c.form.setOptionValue(CheckBox::Check4, kChecked);
      set(TextBox::Text2, pick(20000, 32767));
      set(TextBox::Text3, pick(0, 3));
      set(TextBox::Text5, 32000);
      break;
    case 1:  // a negative speed: the pulse accumulator grows to the limit
      set(TextBox::Text4, -pick(20000, 32768));
      break;
    case 2:  // speed above range: the accumulator's deficit grows
      set(TextBox::Text1, pick(1, 50));
      set(TextBox::Text4, pick(1000, 3000));
      break;
    case 3:  // linear, drive speed below initial speed: speed climbs to 32767
      c.form.setOptionValue(CheckBox::Check5, kChecked);
      set(TextBox::Text2, pick(6000, 8000));
      set(TextBox::Text4, 100);
      set(TextBox::Text5, 50);
      set(TextBox::Text1, 32767);
      set(TextBox::Text6, -1);
      break;
    case 4:  // a display scale that fails at set-up
      c.form.setText(TextBox::Text10, chance(50) ? "0" : "x");
      break;
    case 5:  // linear with an acceleration outside 16 bits
      c.form.setOptionValue(CheckBox::Check5, kChecked);
      set(TextBox::Text2, 40000);
      break;
    default:
      break;
  }

  const int changes = static_cast<int>(pick(0, 3));
  for (int i = 0; i < changes; ++i) {
    const CheckBox box = std::vector<CheckBox>{CheckBox::Check1, CheckBox::Check2, CheckBox::Check3,
                                               CheckBox::Check6, CheckBox::Check7}[pick(0, 4)];
    c.changes.push_back({pick(1, 2000), box, static_cast<std::int16_t>(pick(0, 2))});
  }
  if (chance(20)) c.stopAtPulse = pick(1, 2000);
  // Every run ends within a bounded number of pulses.

  for (const auto& info : kParamFields)
    c.description += std::string(info.name) + "=" + c.form.text(info.control) + " ";
  for (int n = 1; n <= kCheckBoxCount; ++n)
    c.description += "Check" + std::to_string(n) + "=" +
                     std::to_string(c.form.optionValue(checkBoxNumber(n))) + " ";
  return c;
}

TEST(FastForward, AgreesWithTickByTickOnRandomRuns) {
  const fs::path dir = fs::temp_directory_path() / ("tarvex_ff_" + std::to_string(gFirstSeed));
  fs::create_directories(dir);
  int completed = 0, stopped = 0, failed = 0;
  for (int i = 0; i < gCases; ++i) {
    const std::uint64_t seed = gFirstSeed + static_cast<std::uint64_t>(i);
    const Case c = makeCase(seed);
    const Trace fast = runCase(c, RunMode::FastForward, dir / "fast.txt");
    const Trace slow = runCase(c, RunMode::TickByTick, dir / "slow.txt");
    SCOPED_TRACE("seed " + std::to_string(seed) + ": " + c.description);
    ASSERT_EQ(fast.outcome.end, slow.outcome.end);
    ASSERT_EQ(fast.outcome.ticks, slow.outcome.ticks);
    ASSERT_EQ(fast.outcome.pulses, slow.outcome.pulses);
    ASSERT_EQ(fast.failureWhere, slow.failureWhere);
    ASSERT_EQ(fast.events, slow.events);
    ASSERT_EQ(fast.points.size(), slow.points.size());
    for (std::size_t p = 0; p < fast.points.size(); ++p) {
      ASSERT_EQ(fast.points[p].x, slow.points[p].x) << "point " << p;
      ASSERT_EQ(fast.points[p].y, slow.points[p].y) << "point " << p;
    }
    ASSERT_EQ(fast.log, slow.log);
    if (std::getenv("TARVEX_FF_VERBOSE"))
      std::printf("seed %llu ticks %lld log %zu\n", static_cast<unsigned long long>(seed),
                  static_cast<long long>(slow.outcome.ticks), slow.log.size());
    completed += slow.outcome.end == RunEnd::Completed;
    stopped += slow.outcome.end == RunEnd::Stopped;
    failed += slow.outcome.end == RunEnd::Failed;
  }
  fs::remove_all(dir);
  std::printf("%d cases: %d completed, %d stopped, %d failed\n", gCases, completed, stopped,
              failed);
  // The generator must reach all three ends, or the comparison proves little.
  if (gCases >= 100) {
    EXPECT_GT(completed, gCases / 20);
    EXPECT_GT(stopped, gCases / 20);
    EXPECT_GT(failed, gCases / 20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--cases=", 0) == 0) gCases = std::stoi(arg.substr(8));
    if (arg.rfind("--first-seed=", 0) == 0) gFirstSeed = std::stoull(arg.substr(13));
  }
  return RUN_ALL_TESTS();
}
