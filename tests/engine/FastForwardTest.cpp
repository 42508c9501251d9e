// Fast-forward against tick by tick on seeded random runs: the same outcome,
// readouts, yields, points and log bytes.
#include <random>

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
  return c;
}

struct Trace {
  RunOutcome outcome;
  std::vector<std::string> events;
  std::vector<Point> points;
  std::string log;
};

Trace runCase(const Case& c, RunMode mode) {
  EngineRun r;
  r.params = c.params;
  r.options = c.options;
  r.rec.stopAtPulse = c.stopAtPulse;
  r.rec.stopAtIdleYield = 2;
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
  t.outcome = r.run(mode);
  t.points = std::move(r.rec.points);
  t.log = readFile(r.logPath);
  return t;
}

TEST(FastForward, AgreesWithTickByTickOnRandomRuns) {
  const int cases = static_cast<int>(setting("TARVEX_FF_CASES", 300));
  int ends[3] = {};
  for (int i = 0; i < cases; ++i) {
    const std::uint64_t seed = setting("TARVEX_FF_FIRST_SEED", 1) + static_cast<std::uint64_t>(i);
    const Case c = makeCase(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Trace fast = runCase(c, RunMode::FastForward);
    const Trace slow = runCase(c, RunMode::TickByTick);
    ASSERT_EQ(std::tie(fast.outcome.end, fast.outcome.ticks, fast.outcome.pulses),
              std::tie(slow.outcome.end, slow.outcome.ticks, slow.outcome.pulses));
    ASSERT_EQ(fast.outcome.failure, slow.outcome.failure);
    ASSERT_EQ(fast.events, slow.events);
    ASSERT_EQ(fast.points, slow.points);
    ASSERT_EQ(fast.log, slow.log);
    ++ends[static_cast<int>(slow.outcome.end)];
  }
  std::printf("%d cases: %d completed, %d stopped, %d failed\n", cases, ends[0], ends[1], ends[2]);
  // The generator must reach all three ends, or the comparison proves little.
  if (cases >= 100)
    for (const int n : ends) EXPECT_GT(n, cases / 20);
}

}  // namespace
}  // namespace tarvex::test
