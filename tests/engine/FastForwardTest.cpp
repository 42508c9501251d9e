// Fast-forward against tick by tick on seeded random runs and on long moves:
// the same outcome, readouts, yields, phases, points and log bytes, whether
// the readouts ask for a yield at every pulse or only at a few, and whether
// the run is computed at once or in slices, paused at every yield.
#include <random>
#include <sstream>

#include "EngineHarness.h"

namespace tarvex::test {
namespace {

// TARVEX_FF_CASES and TARVEX_FF_FIRST_SEED choose the runs (300 from seed 1).
std::uint64_t setting(const char* name, std::uint64_t otherwise) {
  const char* text = std::getenv(name);
  return text != nullptr ? std::stoull(text) : otherwise;
}

struct Case {
  RunParameters params = startupParameters();
  MemoryOptions options;
  std::vector<std::tuple<std::int64_t, int, Tristate>> changes;  // pulse, option, value
  std::int64_t stopAtPulse = -1, tickBudget = 20000000;
  int stopAtIdleYield = 2;
  // Yields only at the pulses of the changes and the stop (and, if asked,
  // after each change of state); readouts compared at the yields.
  bool sparseYields = false, yieldAfterStateChange = false;
  bool tracePoints = true;  // false: points only counted
};

// Short runs reaching every phase, option, live change, stop and overflow.
Case makeCase(std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  const auto pick = [&](std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
  };
  const auto chance = [&](int percent) { return pick(1, 100) <= percent; };
  Case c;
  const auto set = [&](Parameter p, std::int64_t v) { c.params[p] = std::to_string(v); };
  using P = Parameter;
  // clang-format off
  const std::int64_t initial = chance(10) ? 0 : pick(1, 60);
  const std::int64_t drive = chance(10) ? pick(0, initial) : pick(initial, initial + 1500);
  set(P::InitialSpeed, initial);
  set(P::DriveSpeed, drive);
  set(P::Range, chance(5) ? -pick(1000, 100000) : pick(1, 2000) * std::max<std::int64_t>(initial, 1) + (chance(10) ? 0 : drive));
  set(P::Acceleration, chance(5) ? pick(8001, 12000) : pick(0, 4000));
  set(P::Deceleration, chance(5) ? 0 : pick(1, 4000));
  set(P::JerkAccel, chance(10) ? 0 : pick(1, 300));
  set(P::JerkDecel, chance(10) ? 0 : pick(1, 300));
  set(P::OutputPulses, chance(5) ? pick(-2, 1) : pick(2, 3000));
  set(P::AccelOffset, pick(-5, 5));
  set(P::ManualDecelPoint, pick(0, 3000));
  c.params[P::TimeDisplayMax] = chance(10) ? "0" : std::to_string(pick(1, 4000) / 1000.0);
  set(P::SpeedDisplayMax, pick(1000, 100000));
  if (chance(40)) c.options.curve = Tristate::Off;
  if (chance(30)) c.options.automatic = chance(70) ? Tristate::Off : Tristate::Grayed;
  if (chance(30)) c.options.symmetricDecel = chance(70) ? Tristate::Off : Tristate::Grayed;
  if (chance(25)) c.options.record = Tristate::On, c.tickBudget = 1000000;
  switch (chance(20) ? pick(0, 4) : -1) {
    case 0:  // accelCounter above 8000: the speed accumulator falls behind
      c.options.curve = Tristate::On;
      set(P::Acceleration, pick(20000, 32767)), set(P::JerkAccel, pick(0, 3)), set(P::DriveSpeed, 32000);
      break;
    case 1:  // a negative speed: the pulse accumulator grows to its limit
      set(P::InitialSpeed, -pick(20000, 32768));
      break;
    case 2:  // speed above range: the accumulator's deficit grows
      set(P::Range, pick(1, 50)), set(P::InitialSpeed, pick(1000, 3000));
      break;
    case 3:  // linear, V below SV: the speed climbs to 32767
      c.options.curve = Tristate::Off;
      set(P::Acceleration, pick(6000, 8000)), set(P::InitialSpeed, 100), set(P::DriveSpeed, 50);
      set(P::Range, 32767), set(P::OutputPulses, -1);
      break;
    case 4:  // a display scale that fails at set-up
      c.params[P::SpeedDisplayMax] = chance(50) ? "0" : "x";
      break;
  }
  // clang-format on
  for (int i = static_cast<int>(pick(0, 3)); i > 0; --i)
    c.changes.emplace_back(pick(1, 2000), static_cast<int>(pick(0, 2)),
                           static_cast<Tristate>(pick(0, 2)));
  if (chance(20)) c.stopAtPulse = pick(1, 2000);
  c.sparseYields = chance(50);
  c.yieldAfterStateChange = chance(30);
  c.tracePoints = !c.sparseYields || chance(50);
  return c;
}

struct Trace {
  RunOutcome outcome;
  std::vector<std::string> events;
  std::vector<Point> points;
  std::string log;
  int pauses = 0;
};

// The next pulse after `pulses` among the case's changes and its stop.
YieldRequest sparsePlan(const Case& c, std::int64_t pulses) {
  std::int64_t next = YieldRequest::kNoPulse;
  for (const auto& change : c.changes)
    if (std::get<0>(change) > pulses) next = std::min(next, std::get<0>(change));
  if (c.stopAtPulse > pulses) next = std::min(next, c.stopAtPulse);
  return {next, c.yieldAfterStateChange};
}

Trace runCase(const Case& c, RunMode mode, bool inSlices = false) {
  EngineRun r({}, c.tracePoints);
  if (c.sparseYields)
    r.rec.yieldPlan = [&c](const RunMoment& at) { return sparsePlan(c, at.pulses); };
  r.params = c.params;
  r.options = c.options;
  r.rec.stopAtPulse = c.stopAtPulse;
  r.rec.stopAtIdleYield = c.stopAtIdleYield;
  r.rec.stopAfterTick = c.tickBudget;
  r.rec.duringYield = [&](std::int64_t pulse) {
    for (const auto& [at, option, value] : c.changes) {
      if (at != pulse) continue;
      (option == 0   ? r.options.record
       : option == 1 ? r.options.automatic
                     : r.options.symmetricDecel) = value;
    }
  };
  Trace t;
  r.rec.events = &t.events;
  t.outcome = inSlices ? r.runInSlices(mode) : r.run(mode);
  t.pauses = r.pauses;
  t.points = std::move(r.rec.points);
  t.log = readFile(r.logPath);
  // What stays of the run: the last readouts, the phases and the graph.
  t.events.push_back("end" + r.rec.latestShown());
  for (const PhaseEntry& e : r.engine.phases().entries())
    t.events.push_back("phase " + std::to_string(stateNumber(e.state)) + "@" +
                       std::to_string(e.tick) + " p" + std::to_string(e.pulses) + " v" +
                       std::to_string(e.speedCounter));
  const SpeedGraph& g = r.engine.graph();
  t.events.push_back("graph " + std::to_string(g.pointsPlotted()) + " x" +
                     std::to_string(g.plotX()) + " y" + std::to_string(g.plotY()));
  return t;
}

void expectSame(const Trace& run, const Trace& slow) {
  EXPECT_EQ(std::tie(run.outcome.end, run.outcome.ticks, run.outcome.pulses),
            std::tie(slow.outcome.end, slow.outcome.ticks, slow.outcome.pulses));
  EXPECT_EQ(run.outcome.failure, slow.outcome.failure);
  EXPECT_EQ(run.events, slow.events);
  EXPECT_EQ(run.points, slow.points);
  EXPECT_EQ(run.log, slow.log);
}

struct SameRun {
  RunEnd end;
  int pauses;  // of the runs in slices
};

// How the run ended, every way alike: tick by tick at once against fast-
// forward at once and in slices, and (`slowInSlices`, every other random run)
// tick by tick in slices.
SameRun expectSameRun(const Case& c, bool slowInSlices) {
  const Trace slow = runCase(c, RunMode::TickByTick);
  SameRun same{slow.outcome.end, 0};
  {
    SCOPED_TRACE("fast-forward");
    expectSame(runCase(c, RunMode::FastForward), slow);
  }
  {
    SCOPED_TRACE("fast-forward in slices");
    const Trace sliced = runCase(c, RunMode::FastForward, true);
    expectSame(sliced, slow);
    same.pauses += sliced.pauses;
  }
  if (slowInSlices) {
    SCOPED_TRACE("tick by tick in slices");
    const Trace sliced = runCase(c, RunMode::TickByTick, true);
    expectSame(sliced, slow);
    same.pauses += sliced.pauses;
  }
  return same;
}

TEST(FastForward, AgreesWithTickByTickOnRandomRuns) {
  const int cases = static_cast<int>(setting("TARVEX_FF_CASES", 300));
  int ends[3] = {}, pauses = 0;
  for (int i = 0; i < cases; ++i) {
    const std::uint64_t seed = setting("TARVEX_FF_FIRST_SEED", 1) + static_cast<std::uint64_t>(i);
    const Case c = makeCase(seed);
    std::string texts;
    for (const std::string& text : c.params.texts) texts += " " + text;
    SCOPED_TRACE("seed " + std::to_string(seed) + ":" + texts + " options " +
                 std::to_string(int(c.options.curve)) + std::to_string(int(c.options.record)) +
                 std::to_string(int(c.options.automatic)) +
                 std::to_string(int(c.options.symmetricDecel)) + " sparse " +
                 std::to_string(c.sparseYields) + std::to_string(c.yieldAfterStateChange) +
                 " changes" +
                 [&c] {
                   std::string t;
                   for (const auto& [pulse, option, value] : c.changes)
                     t += " " + std::to_string(pulse) + ":" + std::to_string(option) + ":" +
                          std::to_string(int(value));
                   return t;
                 }() +
                 " stop " + std::to_string(c.stopAtPulse));
    const SameRun same = expectSameRun(c, seed % 2 == 1);
    ++ends[static_cast<int>(same.end)];
    pauses += same.pauses;
    if (HasFailure()) return;
  }
  std::printf("%d cases: %d completed, %d stopped, %d failed\n", cases, ends[0], ends[1], ends[2]);
  // The generator must reach all three ends, or the comparison proves little.
  if (cases >= 100)
    for (const int n : ends) EXPECT_GT(n, cases / 20);
  // Runs in slices pause at each of their yields.
  EXPECT_GT(pauses, cases);
}

}  // namespace
}  // namespace tarvex::test

namespace tarvex::test {
namespace {

// A long move from words: parameters by symbol, linear, manual, asymmetric,
// grayed (symmetric), record, stop=PULSE, at=PULSE:OPTION:VALUE (option 0 recording, 1
// automatic deceleration, 2 symmetric), every (a yield at every pulse),
// states (a yield after each change of state), counted (points not kept).
Case longMove(const std::string& words) {
  Case c;
  c.tickBudget = -1;
  c.stopAtIdleYield = 0;
  c.sparseYields = true;
  std::istringstream in(words);
  for (std::string word; in >> word;) {
    const auto eq = word.find('=');
    const std::string key = word.substr(0, eq),
                      value = eq == std::string::npos ? "" : word.substr(eq + 1);
    if (key == "stop") {
      c.stopAtPulse = std::stoll(value);
    } else if (key == "at") {
      std::istringstream at(value);
      std::int64_t pulse = 0;
      int option = 0, v = 0;
      char colon = 0;
      at >> pulse >> colon >> option >> colon >> v;
      c.changes.emplace_back(pulse, option, static_cast<Tristate>(v));
    } else if (eq != std::string::npos) {
      c.params[parameterWithSymbol(key)] = value;
    }
    if (word == "linear") c.options.curve = Tristate::Off;
    if (word == "manual") c.options.automatic = Tristate::Off;
    if (word == "asymmetric") c.options.symmetricDecel = Tristate::Off;
    if (word == "grayed") c.options.symmetricDecel = Tristate::Grayed;
    if (word == "record") c.options.record = Tristate::On;
    if (word == "every") c.sparseYields = false;
    if (word == "states") c.yieldAfterStateChange = true;
    if (word == "counted") c.tracePoints = false;
  }
  return c;
}

// Moves of millions of pulses, each computed both ways in full; those marked
// long (minutes tick by tick) only with TARVEX_FF_LONG_MOVES set. At range
// 100000 a speed counter of 10000 is 800,000 pulses per second.
TEST(FastForward, AgreesWithTickByTickOnLongMoves) {
  const struct {
    bool long_;
    const char* words;
  } moves[] = {
      // A long cruise, its points kept and only counted.
      {false, "R=100000 V=10000 P=2000000 time=30"},
      {true, "R=100000 V=10000 P=20000000 time=30 counted"},
      // Linear ramps of 4,000,000 pulses each.
      {false, "R=100000 A=8 V=10000 P=10000000 linear time=30 counted"},
      // S-curve ramps of about 550,000 pulses.
      {false, "R=100000 A=200 K=3000 L=3000 V=10000 P=1200000 time=30 states"},
      // A stop and a change inside jumped stretches: manual deceleration
      // chosen past its point starts the deceleration at the next pulse.
      {false, "R=100000 V=10000 P=20000000 time=30 at=1234567:1:0 stop=1500000"},
      {false, "R=100000 V=10000 P=2000000 time=30 at=777777:2:0 at=999999:2:1 counted"},
      // Triangle prevention in a long linear move.
      {false, "R=100000 A=8 V=10000 P=3000000 linear time=30 counted"},
      // Manual deceleration, then a million drag pulses at the initial speed.
      {false, "R=100000 SV=4000 V=10000 P=2000000 DP=1000000 manual time=30 counted"},
      // Asymmetric: the estimate converted at D per step while accelerating.
      {true, "R=100000 A=8 D=3 V=10000 P=10000000 linear asymmetric time=30 counted"},
      {false, "R=100000 A=300 D=200 K=2000 L=900 SV=1000 V=10000 P=1500000 asymmetric time=30"},
      // Estimate steps at every tick (D 0 or below) until their count overflows.
      {false, "R=2147483647 A=5 D=0 AO=2147000000 SV=108 V=32767 P=2147483647 asymmetric"},
      {false, "R=2147483647 A=5 D=-3 AO=2147000000 SV=108 V=32767 P=2147483647 asymmetric counted"},
      // Asymmetric estimate steps still due when the speed is reached.
      {false,
       "R=37957 A=3252 D=1913 AO=-3 K=287 L=66 SV=52 V=49 P=407 DP=1011 time=3.701 "
       "pps=61541 linear asymmetric"},
      // The acceleration pulses overflow in the middle of a stretch.
      {false,
       "R=100000 A=200 K=3000 V=10000 AO=2147000000 P=2147483647 DP=2147483647 manual "
       "time=30 counted"},
      // The start-up run recorded until the log's record cap.
      {true, "record"},
      // No end in sight: pulses until the tick count overflows at 2^31.
      {true, "R=100000 V=10000 P=-1 time=30 counted"},
  };
  const bool all = std::getenv("TARVEX_FF_LONG_MOVES") != nullptr;
  for (const auto& move : moves) {
    if (move.long_ && !all) continue;
    SCOPED_TRACE(move.words);
    expectSameRun(longMove(move.words), false);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace tarvex::test
