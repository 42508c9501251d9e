// Speed profiles: a table of runs and the figures each must give.
#include <algorithm>
#include <regex>

#include "EngineHarness.h"
#include "ScreenPacing.h"

namespace tarvex::test {
namespace {

using R = Readout;
constexpr std::int64_t _ = -1;  // not checked

struct Profile {
  const char* setup;  // words for EngineRun::with
  std::int64_t ticks, pulses;
  // Every state entered after set-up, as state@tick,pulses,speed,accel at
  // the moment the state is assigned; * matches anything.
  const char* course;
  // The last value of each readout in the engine's order; - never shown.
  const char* finals;
  std::int64_t points = _;  // after the starting point
  std::function<void(EngineRun&)> live = nullptr;
  std::function<void(const EngineRun&)> check = nullptr;
  RunEnd end = RunEnd::Completed;
};

void PrintTo(const Profile& p, std::ostream* os) {
  *os << '"' << p.setup << '"';
}

// `actual` with the tokens that `expected` matches (* for one field or, last,
// the rest) replaced by the expected ones: a mismatch shows where they differ.
std::string masked(const std::string& expected, const std::string& actual) {
  std::istringstream e(expected), a(actual);
  std::string out, et, at;
  for (;;) {
    const bool moreExpected = bool(e >> et), moreActual = bool(a >> at);
    if (!moreExpected && !moreActual) return out;
    std::string pattern = std::regex_replace(et, std::regex("\\*$"), ".*");
    pattern = std::regex_replace(pattern, std::regex("\\*(?!$)"), "[^,@]*");
    const bool match = moreExpected && moreActual && std::regex_match(at, std::regex(pattern));
    out += (out.empty() ? "" : " ") + (match ? et : moreActual ? at : "(none)");
  }
}

// A manual deceleration start begins afresh: accelCounter 1, K + 1, cycles.
void expectFreshDeceleration(const EngineState& s) {
  EXPECT_EQ(std::tuple(stateNumber(s.accelState), s.accelCounter, s.jerkCounter, s.speedCycle,
                       s.jerkCycle),
            std::tuple(5, 1, 601, 7, 15));
}

// clang-format off
const Profile kProfiles[] = {
    // The start-up parameters: the acceleration runs out one step short of V.
    {"", 8108481, 20000, "3@1351681,862,1505,141 4@2703377,5085,2999,0 5@5325841,14916,2999,0 "
     "7@6677513,19138,1504,141 8@8029185,20000,10,0", "20000 5085 10 0 8 1 2999 0", 8437},
    {"linear", 5358250, 20000, "3@11953,*,1505,8000 4@23913,*,3000,8000 5@*,19956,3000,8000 "
     "7@*,*,1505,8000", "20000 45 10 - 7 * 3000 0", 5575},
    // Triangle prevention: linear holds 2236 from 26 acceleration pulses.
    {"linear P=100", _, 100, "3@* 4@*,*,2236,* 5@*,75,2236,* 7@*", "100 26 * - 7 * 2236 1"},
    // At pulse n the doubled sum is 2 x ((n - 1) + n): 102 reaches P=102 at 26.
    {"linear P=102", _, 102, "3@* 4@*,26,*,* 5@* 7@*", "102 26 * - 7 * * 1"},
    {"P=5000", _, 5000, "3@1055425,417,923,110 4@* 5@* 7@*", "* * * * * * * 1"},
    // 4992 = 12 x 416: after pulse 416 the pulses to go equal the estimate.
    {"P=4992", _, 4992, "3@*,416,*,* 4@* 5@* 7@*", "* * * * * * * 1"},
    // Pulse 1 does it all; the state-7 check sees the speed before the SV hold.
    {"P=1", 80000, 1, "3@1,1,10,1 5@1,1,10,1 7@1,1,9,* 8@17,1,10,0", "1 1 10 0 8 1 10 1"},
    {"P=0", 0, 0, "", "- - 10 - 1 0 0 0", 0},
    // A reaches 50 at the 50th rise, in tick 161 + 48 x 176; leaving state 2
    // at the speed check lowers accelCounter unshown (the first fall shown is
    // 48), leaving it by triangle prevention does not (49).
    {"A=50 K=10 V=100", 160173933, 20000, "2@8609,1,13,50 3@115657,8,97,50 4@121481,9,100,16 "
     "5@* 6@* 7@* 8@*", "* * * * * * 100 0", _, nullptr,
     [](const EngineRun& r) { EXPECT_EQ(r.firstShownIn(R::AccelCounter, 3), 48); }},
    {"A=50 K=10", 9621603, 20000, "2@8609,* 3@3191183,4998,2499,50 4@3199967,5025,2503,0 5@* 6@* "
     "7@* 8@*", "* * * * * * 2503 1", _, nullptr,
     [](const EngineRun& r) { EXPECT_EQ(r.firstShownIn(R::AccelCounter, 3), 49); }},
    // accelCounter rises in tick 16 K + 1, then every 16 (K + 1): 50 in 48 more.
    {"A=50 K=0 stop=100", _, 100, "2@769,*", "", _, nullptr, nullptr, RunEnd::Stopped},
    {"A=50 K=1 stop=100", _, 100, "2@1553,*", "", _, nullptr, nullptr, RunEnd::Stopped},
    // From pulse 1000 (tick 1421530): rises 16 L later, then every 16 (L + 1).
    {"D=50 L=0 manual asymmetric stop=1100", _, 1100, "3@* 5@1421530,* 6@1422298,*", "", _, nullptr, nullptr, RunEnd::Stopped},
    {"D=50 L=100 manual asymmetric stop=1300", _, 1300, "3@* 5@1421530,* 6@1500698,*", "", _, nullptr, nullptr, RunEnd::Stopped},
    // V reached while accelCounter still falls: deceleration rises from 23.
    {"K=10 A=200 D=200 L=10", _, 20000, "2@* 3@* 4@*,*,3000,* 5@*,*,3000,23 6@* 7@* 8@*", "", _,
     nullptr, [](const EngineRun& r) { EXPECT_EQ(r.firstShownIn(R::AccelCounter, 5), 24); }},
    {"V=5", _, 20000, "3@30409,*,11,* 4@*,*,*,0 5@* 7@* 8@*", ""},
    {"AO=1000", _, 20000, "3@* 4@* 5@*,13916,*,* 7@* 8@*", "* 6085 * * * * * *", _, nullptr,
     [](const EngineRun& r) { EXPECT_EQ(r.of(R::AccelPulses).front().value, 1001); }},
    // Manual below V: from accelCounter 1 and fresh cycles, ending above SV.
    {"manual", 1233792487, 20000, "3@* 5@1421530,1000,1655,134 7@*,2725,*,* 8@*,3083,11,0",
     "* * 11 * * 0 * 0", _, nullptr,
     [](const EngineRun& r) { expectFreshDeceleration(r.rec.yields.at(999).state); }},
    {"", _, 20000, "3@* 5@*,1501,*,* 7@* 8@*", "", _,
     [](EngineRun& r) {
       r.rec.duringYield = [&r](std::int64_t pulse) {
         if (pulse == 1500) r.options.automatic = Tristate::Off;
       };
     },
     [](const EngineRun& r) { expectFreshDeceleration(r.rec.yields.at(1500).state); }},
    // Estimate A / D = 2 per pulse; D and L end it early; the rest drag at SV.
    {"D=4000 L=100 asymmetric", _, 20000, "3@* 4@* 5@3969389,9831,*,* 7@*,11566,1504,344 "
     "8@*,11919,10,0", "* * 10 * 8 8081 * *"},
    // Grayed: the estimate never converts; deceleration at AO - 1 pulses to go.
    {"AO=1001 D=50 L=100 grayed", 6689492, 20000, "3@* 4@* 5@*,19000,*,* 6@6494439,19295,2969,50",
     ""},
    // The curve is fixed at set-up.
    {"", 8108481, 20000, "3@* 4@* 5@* 7@* 8@*", "", _,
     [](EngineRun& r) { r.rec.duringYield = [&r](std::int64_t) { r.options.curve = Tristate::Off; }; }},
    {"stop=100", _, 100, "", "100 100 * * 1 * * 0", _, nullptr, nullptr, RunEnd::Stopped},
    // Stopped in tick 148816 (a log step) before its plot and log steps.
    {"time=0.001 record stop=4", 148815, 4, "", "4 4 * * * * * *", 148815, nullptr,
     [](const EngineRun& r) {
       EXPECT_EQ(r.rec.shown.back().tick, 148816);
       EXPECT_EQ(r.rec.points.back().tick, 148815);
       EXPECT_FALSE(r.engine.log().isOpen());
       EXPECT_EQ(r.log().size(), 18601u);
       EXPECT_EQ(r.log().back().substr(0, 7), " 18601 ");
     }, RunEnd::Stopped},
};
// clang-format on

class ProfileRuns : public ::testing::TestWithParam<Profile> {};

TEST_P(ProfileRuns, GiveTheirKnownFigures) {
  const Profile& p = GetParam();
  EngineRun r;
  r.with(p.setup);
  if (p.live) p.live(r);
  const RunOutcome out = r.run();
  EXPECT_EQ(out.end, p.end);
  if (p.ticks != _) EXPECT_EQ(out.ticks, p.ticks);
  EXPECT_EQ(out.pulses, p.pulses);
  std::string course;
  for (const Shown& s : r.of(R::AccelState)) {
    if (s.tick == 0) continue;
    course += (course.empty() ? "" : " ") + std::to_string(s.value) + "@" + std::to_string(s.tick) +
              "," + std::to_string(s.state.outputPulseCount) + "," +
              std::to_string(s.state.speedCounter) + "," + std::to_string(s.state.accelCounter);
  }
  EXPECT_EQ(masked(p.course, course), p.course);
  // The phase log holds the same states, each with its tick, pulses and speed.
  std::string phases, shown;
  for (const PhaseEntry& e : r.engine.phases().entries())
    if (e.tick > 0)
      phases += std::to_string(stateNumber(e.state)) + "@" + std::to_string(e.tick) + "," +
                std::to_string(e.pulses) + "," + std::to_string(e.speedCounter) + " ";
  std::istringstream words(course);
  for (std::string word; words >> word;) shown += word.substr(0, word.rfind(',')) + " ";
  EXPECT_EQ(phases, shown);
  if (*p.finals != '\0') {
    std::string finals;
    for (int i = 0; i < kReadoutCount; ++i) {
      const std::int64_t v = r.last(static_cast<R>(i));
      finals += (i ? " " : "") + (v == -999999 ? "-" : std::to_string(v));
    }
    EXPECT_EQ(masked(p.finals, finals), p.finals);
  }
  if (p.points != _) EXPECT_EQ(r.rec.points.size(), std::size_t(p.points + 1));
  if (p.check) p.check(r);
}

INSTANTIATE_TEST_SUITE_P(Engine, ProfileRuns, ::testing::ValuesIn(kProfiles));

// The highest point drawn (the least y).
float topOf(const std::vector<Point>& points) {
  return std::min_element(points.begin(), points.end(),
                          [](const Point& a, const Point& b) { return a.y < b.y; })
      ->y;
}

// The moments inside the start-up run that its course rests on.
TEST(StartupRun, ShowsItsValuesAtTheKnownTicksAndInOrder) {
  EngineRun r;
  r.run();
  const auto& s = r.rec.shown;
  const auto at = [&](R readout, std::int64_t value) {
    return std::find_if(s.begin() + 1, s.end(), [&](const Shown& e) {
      return e.tick > 0 && e.readout == readout && e.value == value;
    });
  };
  EXPECT_EQ(at(R::OutputPulses, 2)->tick, 71191);
  EXPECT_EQ(at(R::SpeedCounter, 11)->tick, 30409);
  // accelCounter rises first in tick 16 K + 1, then every 16 (K + 1).
  const auto accel = r.of(R::AccelCounter);
  EXPECT_EQ(accel[0].tick, 9601);
  EXPECT_EQ(accel[0].state.pulseAccumulator, 800000 - 10 * 9600);
  EXPECT_EQ(accel[1].tick, 9601 + 9616);
  // The automatic deceleration start lifts the spent accelCounter to 1.
  EXPECT_EQ(r.rec.yields.at(14916 - 1).state.accelCounter, 1);
  // Text9 before Text7; the speed before the acceleration checks, after the others.
  EXPECT_EQ(at(R::OutputPulses, 1)[-1].readout, R::AccelPulses);
  EXPECT_EQ(at(R::AccelState, 3)[-1].readout, R::SpeedCounter);
  EXPECT_EQ(at(R::AccelState, 7)[1].readout, R::SpeedCounter);
  EXPECT_EQ(at(R::AccelState, 7)[1].value, 1504);
  for (const Shown& e : r.of(R::SpeedCounter)) ASSERT_GE(e.value, 10) << e.tick;
  // Points at ticks 961, 1922, ... at x 1, 2, ...; the peak 2999 at y 989.
  EXPECT_NEAR(r.engine.graph().speedScale(), 0.987, 1e-12);
  const auto& p = r.rec.points;
  EXPECT_EQ(std::tuple(p[1].tick, p[1].x, p[2].tick, p[2].x), std::tuple(961, 1.0f, 1922, 2.0f));
  EXPECT_EQ(p.back().tick, 8437 * 961);
  EXPECT_NEAR(topOf(p), 3949 - 2999 * 0.987, 1e-3);
  EngineRun linear;  // the linear run peaks at V 3000, y 988
  linear.with("linear").run();
  EXPECT_EQ(topOf(linear.rec.points), 988.0f);
}

// Without pulses, or without a yield asked for, a run still yields every 2^22
// ticks: at the first tick at or after each multiple since its last yield.
TEST(IdleYields, KeepRunsWithoutPulsesStoppable) {
  for (const RunMode mode : {RunMode::FastForward, RunMode::TickByTick}) {
    SCOPED_TRACE(mode == RunMode::FastForward ? "fast-forward" : "tick by tick");
    // Linear, A 0, SV 0: pulse 1 in tick 1, then no pulse ever again.
    EngineRun idle;
    idle.with("linear A=0 SV=0").rec.stopAtIdleYield = 2;
    EXPECT_EQ(idle.run(mode).end, RunEnd::Stopped);
    EXPECT_EQ(idle.rec.idleYieldTicks, (std::vector<std::int64_t>{4194304, 8388608}));
    EXPECT_EQ(idle.outcome.pulses, 1);

    // The start-up run asking for no yield still yields in tick 4194305; a
    // yield asked for at pulse 9000 (tick 3747715) leaves that one as it is.
    for (const std::int64_t asked : {YieldRequest::kNoPulse, std::int64_t{9000}}) {
      EngineRun quiet;
      quiet.rec.yieldPlan = [asked](const RunMoment& at) {
        return at.pulses < asked ? YieldRequest::atPulse(asked) : YieldRequest::none();
      };
      EXPECT_EQ(quiet.run(mode).end, RunEnd::Completed);
      std::vector<std::int64_t> ticks;
      for (const Shown& y : quiet.rec.yields) ticks.push_back(y.tick - 1);
      ticks.insert(ticks.end(), quiet.rec.idleYieldTicks.begin(), quiet.rec.idleYieldTicks.end());
      const std::vector<std::int64_t> expected = asked == 9000
                                                     ? std::vector<std::int64_t>{3747714, 4194304}
                                                     : std::vector<std::int64_t>{4194304};
      EXPECT_EQ(ticks, expected);
    }

    // Recording ticked during the first idle yield records from the next
    // eighth tick on: samples 524289 to 1048576.
    EngineRun late;
    late.with("linear A=0 SV=0").rec.stopAtIdleYield = 2;
    late.rec.duringIdleYield = [&late] { late.options.record = Tristate::On; };
    late.run(mode);
    const auto lines = late.log();
    ASSERT_EQ(lines.size(), 524288u);
    EXPECT_EQ(lines.front().substr(0, 8), " 524289 ");
  }
}

// A watched run hands the screen its turn every interval at an output pulse;
// a turn falling due at an idle yield waits for the next pulse, unless no
// pulse has come for 100 ms. Times in nanoseconds, a 10 ms interval.
TEST(ScreenPacing, TurnsComeAtOutputPulses) {
  ScreenPacing pacing(10000000, 0);
  const RunMoment at{0, 500, 0, 0, AccelState::ConstantSpeed};
  EXPECT_FALSE(pacing.turnAtPulse(5000000));
  EXPECT_FALSE(pacing.turnAtIdleYield(12000000));
  EXPECT_EQ(pacing.nextYield(at).pulse, 501);
  EXPECT_TRUE(pacing.turnAtPulse(12100000));
  pacing.turnTaken(13000000);
  EXPECT_FALSE(pacing.turnAtPulse(13100000));  // a quick look doubles the pulses per look
  EXPECT_EQ(pacing.nextYield(at).pulse, 502);
  EXPECT_FALSE(pacing.turnAtIdleYield(112000000));
  EXPECT_TRUE(pacing.turnAtIdleYield(113000000));
}

}  // namespace
}  // namespace tarvex::test
