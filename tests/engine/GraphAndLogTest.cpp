// The speed graph and the data log.
#include <algorithm>

#include "EngineHarness.h"

namespace tarvex::test {
namespace {

TEST(SetUp, FramesTheGraphAndShowsTheStartingValuesInOrder) {
  EngineRun r;
  r.rec.stopAtPulse = 1;
  r.run();
  // Readouts by number: 2 speed, 5 drag pulses, 4 state, 6 peak, 7 triangle.
  // clang-format off
  const std::vector<std::string> expected = {
      "clearStop", "clearGraph", "line 1,3950 9990,3950", "line 1,0 1,3950",
      "line 9990,3850 9990,3950", "line 1,1 100,1", "caption 速度", "caption 時間",
      "show 2=10", "show 5=0", "point", "show 4=1", "show 6=0", "show 7=0"};
  // clang-format on
  EXPECT_EQ(r.rec.setUpTrace, expected);
  EXPECT_EQ(r.rec.points[0].x, 0.0f);
  EXPECT_NEAR(r.rec.points[0].y, 3939.13, 1e-3);
}

// plotPeriod = time x 800.801 (halves to even); points stack at x 9990; a
// period of 1 or less plots every tick. One pulse takes 80,000 ticks.
TEST(SpeedGraph, PlotsAPointEveryPlotPeriodTicks) {
  struct Case {
    const char* time;
    std::int32_t period;
    std::size_t points;
    float lastX;
  };
  const Case cases[] = {{"1.2", 961, 83, 83},    {"500", 400400, 0, 0},
                        {"1500", 1201202, 0, 0}, {"2500", 2002002, 0, 0},
                        {" 2 ", 1602, 49, 49},   {"0.001", 1, 80000, 9990},
                        {"0", 0, 80000, 9990},   {"-1", -801, 80000, 9990}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    EngineRun r;
    r.set(Parameter::TimeDisplayMax, c.time).with("P=1").run();
    EXPECT_EQ(r.engine.graph().plotPeriod(), c.period);
    const auto& p = r.rec.points;
    ASSERT_EQ(p.size(), c.points + 1);
    EXPECT_EQ(p.back().x, c.lastX);
    if (c.period <= 1) EXPECT_EQ(p[9989].x, 9989.0f);
  }
}

TEST(SpeedGraph, PointsAboveFullScaleClampToTheTopButTheStartingPointDoesNot) {
  EngineRun r;
  r.with("pps=100 SV=20").run();
  const auto& p = r.rec.points;
  EXPECT_NEAR(p[0].y, 3949 - 20 * 394.8, 1e-2);
  EXPECT_TRUE(std::all_of(p.begin() + 1, p.end(), [](const Point& q) { return q.y >= 0; }));
  EXPECT_EQ(p.back().y, 0.0f);
  EngineRun below;  // a negative scale puts every point under the time axis
  below.with("pps=-40000").run();
  for (const Point& q : below.rec.points) ASSERT_GT(q.y, 3949.0f);
}

struct LogCase {
  const char* setup;
  std::size_t lines;
  const char* first;
  const char* last;
};

TEST(DataLog, RecordsEveryEighthTickUpToTheCap) {
  // clang-format off
  const LogCase cases[] = {
      // The 1,000,001st record, end of tick 8,000,008, is the last one.
      {"", 1000001, " 1  1  10  1 ", " 1000001  19999  10  4 "},
      {"linear", 669781, " 1  1  11  8000 ", " 669781  20000  10  8000 "},
      {"SV=-3 A=0 R=2147483347 linear", 12, " 1  1 -3  0 ", " 12  1 -3  0 "},
      {"A=-5 linear", 4953, " 1  1  10 -5 ", " 4953  1  10 -5 "},
      {"R=1 P=5", 0, "", ""}};  // ends before tick 8
  // clang-format on
  for (const LogCase& c : cases) {
    SCOPED_TRACE(c.setup);
    EngineRun r;
    r.with(c.setup).with("record").run();
    const auto lines = r.log();
    ASSERT_EQ(lines.size(), c.lines);
    if (c.lines == 0) continue;
    EXPECT_EQ(lines.front(), c.first);
    EXPECT_EQ(lines.back(), c.last);
    EXPECT_EQ(r.options.recordingStops, c.lines > 1000000 ? 1 : 0);
  }
}

TEST(DataLog, FollowsTheRecordingOptionDuringTheRun) {
  EngineRun r;
  // On at pulse 2 (tick 71191), off at pulse 3, grayed (not on) at pulse 4.
  r.rec.duringYield = [&](std::int64_t pulse) {
    r.options.record = pulse == 2 ? Tristate::On : pulse == 3 ? Tristate::Off : Tristate::Grayed;
  };
  r.rec.stopAtPulse = 5;
  r.run();
  const auto lines = r.log();
  ASSERT_EQ(lines.size(), 5697u);
  EXPECT_EQ(lines.front(), " 8899  2  14  8 ");  // the first log step after tick 71191
  EXPECT_EQ(lines.back(), " 14595  2  22  13 ");

  // Switched on again after the cap: exactly one more record.
  EngineRun again;
  again.options.record = Tristate::On;
  again.rec.duringYield = [&](std::int64_t) {
    if (again.options.recordingStops == 1 && again.engine.log().recordCount() == 1000001)
      again.options.record = Tristate::On;
  };
  again.run();
  EXPECT_EQ(again.engine.log().recordCount(), 1000002);
  EXPECT_EQ(again.options.recordingStops, 2);
}

}  // namespace
}  // namespace tarvex::test
