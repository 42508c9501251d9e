// The two reference profiles of the standard parameter set (R 800000, A 8000,
// D 8000, K 600, L 600, SV 10, V 3000, P 20000): the S-curve run and the same
// parameters with linear acceleration. Their transition ticks, counters and
// final readouts are known figures of the generator.
#include <algorithm>

#include "EngineTestSupport.h"

namespace tarvex::test {
namespace {

constexpr std::int64_t kAny = -1;

struct Transition {
  std::int64_t to, tick, pulses, speed, accel;
};

// Every state change the loop shows, with the tick and the counters at the
// moment the new state is assigned.
void expectTransitions(const Harness& h, const std::vector<Transition>& expected) {
  const auto got = h.transitions();
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE("transition to state " + std::to_string(expected[i].to));
    const auto& e = got[i];
    const auto& x = expected[i];
    EXPECT_EQ(e.value, x.to);
    if (x.tick != kAny) {
      EXPECT_EQ(e.tick, x.tick);
    }
    if (x.pulses != kAny) {
      EXPECT_EQ(e.state.outputPulseCount, x.pulses);
    }
    if (x.speed != kAny) {
      EXPECT_EQ(e.state.speedCounter, x.speed);
    }
    if (x.accel != kAny) {
      EXPECT_EQ(e.state.accelCounter, x.accel);
    }
  }
}

void expectFinalReadouts(const Harness& h, const std::map<Readout, std::int64_t>& expected) {
  for (const auto& [readout, value] : expected)
    EXPECT_EQ(h.readouts.lastShown(readout), value) << readoutInfo(readout).name;
}

TEST(SCurveReferenceRun, SetUpShowsItsReadoutsAroundTheStartingPoint) {
  TempDir dir;
  const std::string log = dir.file("DATA_LOG.txt");
  writeFile(log, "an earlier run's records\r\n");
  Harness h(log);
  std::vector<std::string> trace;
  h.readouts.trace = &trace;
  h.surface.trace = &trace;
  // The log is emptied before the graph is erased.
  h.surface.onClear = [&] { EXPECT_EQ(std::filesystem::file_size(log), 0u); };
  h.readouts.stopAtPulse = 1;
  h.run();

  const std::vector<std::string> expected = {"clearStop",
                                             "clearGraph",
                                             "line 1,3950.00 9990,3950.00",
                                             "line 1,0.00 1,3950.00",
                                             "line 9990,3850.00 9990,3950.00",
                                             "line 1,1.00 100,1.00",
                                             "speed caption 速度",
                                             "time caption 時間",
                                             "Text12=10",
                                             "Text16=0",
                                             "point 0,3939.13",
                                             "Text15=1",
                                             "Text17=0",
                                             "Option1=0"};
  EXPECT_EQ(trace, expected);

  // The counters the loop starts from.
  const EngineState& s = h.readouts.first(Readout::Option1, 0).state;
  EXPECT_TRUE(s.params.sCurve);
  EXPECT_EQ(s.jerkCounter, 601);
  EXPECT_EQ(s.accelCounter, 1);
  EXPECT_EQ(s.speedCounter, 10);
  EXPECT_EQ(s.accelPulseCount, 0);
  EXPECT_EQ(s.decelPointCounter, -1);
  EXPECT_EQ(s.pulseAccumulator, 800000);
  EXPECT_EQ(s.speedAccumulator, 8000);
  EXPECT_EQ(s.speedCycle, 7);
  EXPECT_EQ(s.jerkCycle, 15);
  EXPECT_EQ(s.accelState, 1);
  EXPECT_TRUE(s.pulseDue && s.accelerating);
  EXPECT_FALSE(s.decelerating || s.constantSpeed || s.jerkOff || s.triangleIndicator);
}

TEST(SCurveReferenceRun, PassesThroughItsStatesAtTheKnownTicks) {
  Harness h;
  const RunOutcome out = h.run();
  EXPECT_EQ(out.end, RunEnd::Completed);
  EXPECT_EQ(out.ticks, 8108481);
  EXPECT_EQ(out.pulses, 20000);

  // The jerk never reaches A: state 2 never occurs, the acceleration runs out
  // one speed step short of the drive speed.
  expectTransitions(h, {{3, 1351681, 862, 1505, 141},
                        {4, 2703377, 5085, 2999, 0},
                        {5, 5325841, 14916, 2999, 0},
                        {7, 6677513, 19138, 1504, 141},
                        {8, 8029185, 20000, 10, 0}});
  // The automatic deceleration start lifts an exhausted accelCounter to 1.
  const YieldRecord& decelPulse = h.readouts.yields.at(14916 - 1);
  EXPECT_EQ(decelPulse.tick, 5325841);
  EXPECT_EQ(decelPulse.state.accelCounter, 1);

  // accelCounter first rises in the jerk step of tick 16 K + 1, then every
  // 16 (K + 1) ticks; Text14 shows each rise.
  const auto accel = h.readouts.of(Readout::Text14);
  ASSERT_GE(accel.size(), 2u);
  EXPECT_EQ(accel[0].value, 2);
  EXPECT_EQ(accel[0].tick, 9601);
  EXPECT_EQ(accel[0].state.pulseAccumulator, 800000 - 10 * 9600);
  EXPECT_EQ(accel[1].value, 3);
  EXPECT_EQ(accel[1].tick, 9601 + 9616);

  // Order within a tick: Text9 before Text7 at a pulse; Text12 before the
  // acceleration speed checks, after the deceleration ones.
  const auto& ev = h.readouts.events;
  const auto at = [&](Readout r, std::int64_t v) {
    const auto it = std::find_if(ev.begin(), ev.end(), [&](const ReadoutEvent& e) {
      return e.tick > 0 && e.readout == r && e.value == v;
    });
    return static_cast<std::size_t>(it - ev.begin());
  };
  const auto expectEvent = [&](std::size_t i, Readout r, std::int64_t v, std::int64_t tick) {
    ASSERT_LT(i, ev.size());
    EXPECT_EQ(ev[i].readout, r);
    EXPECT_EQ(ev[i].value, v);
    EXPECT_EQ(ev[i].tick, tick);
  };
  expectEvent(at(Readout::Text7, 1) - 1, Readout::Text9, 1, 1);
  expectEvent(at(Readout::Text15, 3) - 1, Readout::Text12, 1505, 1351681);
  expectEvent(at(Readout::Text15, 7) + 1, Readout::Text12, 1504, 6677513);
  EXPECT_EQ(h.readouts.first(Readout::Text7, 1).tick, 1);
  EXPECT_EQ(h.readouts.first(Readout::Text7, 2).tick, 71191);
  EXPECT_EQ(h.readouts.first(Readout::Text12, 11).tick, 30409);

  expectFinalReadouts(h, {{Readout::Text7, 20000},
                          {Readout::Text9, 5085},
                          {Readout::Text12, 10},
                          {Readout::Text14, 0},
                          {Readout::Text15, 8},
                          {Readout::Text16, 1},
                          {Readout::Text17, 2999},
                          {Readout::Option1, 0}});
  EXPECT_EQ(h.readouts.of(Readout::Text16).size(), 2u);  // set-up's 0 and one drag pulse
  // Deceleration never shows a speed below the initial speed.
  for (const auto& e : h.readouts.of(Readout::Text12)) ASSERT_GE(e.value, 10) << e.tick;
}

TEST(SCurveReferenceRun, SetUpShowsTheInitialSpeedAsConverted) {
  const std::pair<const char*, std::int64_t> cases[] = {{"2.5", 2}, {"3.5", 4}, {" 007 ", 7}};
  for (const auto& [text, shown] : cases) {
    Harness h;
    h.set(TextBox::Text4, text).set(TextBox::Text6, "0");
    h.run();
    EXPECT_EQ(h.readouts.first(Readout::Text12, shown).tick, 0) << text;
  }
}

TEST(LinearReferenceRun, PassesThroughItsStatesAtTheKnownTicks) {
  Harness h;
  h.box(CheckBox::Check5, 1);
  ASSERT_EQ(h.form.optionValue(CheckBox::Check4), 0);
  const RunOutcome out = h.run();
  EXPECT_EQ(out.end, RunEnd::Completed);
  EXPECT_EQ(out.ticks, 5358250);
  EXPECT_EQ(out.pulses, 20000);

  expectTransitions(h, {{3, 11953, kAny, 1505, 8000},
                        {4, 23913, kAny, 3000, 8000},
                        {5, kAny, 19956, 3000, 8000},
                        {7, kAny, kAny, 1505, 8000}});
  EXPECT_EQ(h.transitions()[1].state.accelPulseCount, 45);

  expectFinalReadouts(h, {{Readout::Text7, 20000},
                          {Readout::Text9, 45},
                          {Readout::Text12, 10},
                          {Readout::Text15, 7},
                          {Readout::Text17, 3000},
                          {Readout::Option1, 0}});
  EXPECT_TRUE(h.readouts.of(Readout::Text14).empty());
}

}  // namespace
}  // namespace tarvex::test
