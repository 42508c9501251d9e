// Speed profiles off the reference path: short runs where triangle prevention
// acts, constant acceleration (state 2), the jerk pace for each rate, a
// deceleration begun while accelCounter is still falling, and a grayed
// symmetric box.
#include <algorithm>

#include "EngineTestSupport.h"

namespace tarvex::test {
namespace {

std::vector<std::int64_t> values(const std::vector<ReadoutEvent>& events) {
  std::vector<std::int64_t> out;
  for (const auto& e : events) out.push_back(e.value);
  return out;
}

// The ticks at which Text14 showed accelCounter while in the given state.
std::vector<std::int64_t> accelMoveTicks(const Harness& h, std::int32_t state) {
  std::vector<std::int64_t> out;
  for (const auto& e : h.readouts.of(Readout::Text14))
    if (e.state.accelState == state) out.push_back(e.tick);
  return out;
}

void expectEvenSpacing(const std::vector<std::int64_t>& ticks, std::int64_t spacing,
                       std::size_t atLeast) {
  ASSERT_GE(ticks.size(), atLeast);
  for (std::size_t i = 1; i < atLeast; ++i) EXPECT_EQ(ticks[i] - ticks[i - 1], spacing) << i;
}

TEST(TrianglePrevention, LinearStopsAccelerationHalfWayThroughTheShortRun) {
  Harness h;
  h.box(CheckBox::Check5, 1).set(TextBox::Text6, "100");
  EXPECT_EQ(h.run().end, RunEnd::Completed);

  // 1 -> 3 half way to V as usual, then triangle prevention to 4.
  const auto t = h.transitions();
  ASSERT_EQ(values(t), (std::vector<std::int64_t>{3, 4, 5, 7}));
  EXPECT_EQ(t[1].state.accelPulseCount, 26);
  EXPECT_EQ(t[1].state.speedCounter, 2236);
  EXPECT_EQ(t[2].state.outputPulseCount, 75);
  EXPECT_EQ(t[2].state.speedCounter, 2236);
  // The speed is held in state 4: no speed readout between the two changes.
  for (const auto& e : h.readouts.of(Readout::Text12))
    EXPECT_FALSE(e.tick > t[1].tick && e.tick < t[2].tick) << e.tick;

  // The new state is shown first, then the indicator.
  const auto& ev = h.readouts.events;
  const auto state4 = std::find_if(ev.begin(), ev.end(), [](const ReadoutEvent& e) {
    return e.readout == Readout::Text15 && e.value == 4;
  });
  ASSERT_NE(state4 + 1, ev.end());
  EXPECT_EQ(state4[1].readout, Readout::Option1);
  EXPECT_EQ(state4[1].value, 1);
  const ReadoutEvent indicator = h.readouts.first(Readout::Option1, 1);
  EXPECT_EQ(indicator.state.accelState, 4);
  EXPECT_EQ(indicator.tick, t[1].tick);
  EXPECT_EQ(h.readouts.lastShown(Readout::Option1), 1);
  EXPECT_EQ(h.readouts.lastShown(Readout::Text9), 26);
}

TEST(TrianglePrevention, SCurveActsAtPulse417OfFiveThousand) {
  Harness h;
  h.set(TextBox::Text6, "5000");
  EXPECT_EQ(h.run().end, RunEnd::Completed);
  const ReadoutEvent indicator = h.readouts.first(Readout::Option1, 1);
  EXPECT_EQ(indicator.state.outputPulseCount, 417);
  EXPECT_EQ(indicator.state.accelState, 3);
  EXPECT_EQ(h.transitions().at(0).value, 3);
  EXPECT_EQ(h.transitions().at(0).state.outputPulseCount, 417);
}

TEST(ShortRuns, SinglePulseDeceleratesAtOnceAndWaitsForTheNextPulse) {
  Harness h;
  h.set(TextBox::Text6, "1");
  const RunOutcome out = h.run();
  EXPECT_EQ(out.end, RunEnd::Completed);
  EXPECT_EQ(out.ticks, 80000);
  EXPECT_EQ(out.pulses, 1);

  // Pulse 1: triangle prevention to 3, deceleration start to 5, a drag pulse;
  // the speed step of tick 1 passes to 7; the jerk step of tick 17 to 8.
  const auto t = h.transitions();
  ASSERT_EQ(values(t), (std::vector<std::int64_t>{3, 5, 7, 8}));
  EXPECT_EQ(t[0].tick, 1);
  EXPECT_EQ(t[1].tick, 1);
  EXPECT_EQ(t[2].tick, 1);
  EXPECT_EQ(t[3].tick, 17);
  EXPECT_EQ(h.readouts.first(Readout::Option1, 1).tick, 1);
  EXPECT_EQ(h.readouts.first(Readout::Text16, 1).tick, 1);
  EXPECT_EQ(h.readouts.lastShown(Readout::Text12), 10);
}

TEST(ShortRuns, NoPulsesRequestedCompletesBeforeTheFirstTick) {
  TempDir dir;
  Harness h(dir.file("DATA_LOG.txt"));
  h.set(TextBox::Text6, "0").box(CheckBox::Check1, 1);
  const RunOutcome out = h.run();
  EXPECT_EQ(out.end, RunEnd::Completed);
  EXPECT_EQ(out.ticks, 0);
  EXPECT_EQ(out.pulses, 0);
  EXPECT_TRUE(h.readouts.of(Readout::Text7).empty());
  EXPECT_EQ(h.surface.pointCount, 1);  // the starting point only
  EXPECT_TRUE(readFile(dir.file("DATA_LOG.txt")).empty());
}

// A small A reached quickly gives state 2. Leaving it by the speed check
// lowers accelCounter at once without showing it, so the first fall shown
// in state 3 is A - 2; leaving it by triangle prevention does not.
TEST(SCurveShapes, ConstantAccelerationEndsWithAStepDownOnlyAtTheSpeedCheck) {
  const std::pair<const char*, bool> cases[] = {{"100", false}, {"3000", true}};
  for (const auto& [driveSpeed, byTriangle] : cases) {
    SCOPED_TRACE(std::string("V ") + driveSpeed);
    Harness h;
    h.set(TextBox::Text2, "50").set(TextBox::Text3, "10").set(TextBox::Text5, driveSpeed);
    EXPECT_EQ(h.run().end, RunEnd::Completed);
    const auto t = h.transitions();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[0].value, 2);
    EXPECT_EQ(t[0].state.accelCounter, 50);
    EXPECT_EQ(t[1].value, 3);
    EXPECT_EQ(t[1].state.accelCounter, 50);
    EXPECT_EQ(h.readouts.lastShown(Readout::Option1), byTriangle ? 1 : 0);
    const auto falls = h.readouts.of(Readout::Text14);
    const auto firstFall = std::find_if(falls.begin(), falls.end(),
                                        [&](const ReadoutEvent& e) { return e.tick > t[1].tick; });
    ASSERT_NE(firstFall, falls.end());
    EXPECT_EQ(firstFall->value, byTriangle ? 49 : 48);
  }
}

TEST(SCurveShapes, AutomaticDecelerationRisesFromWhereTheFallingAccelerationStood) {
  Harness h;
  h.set(TextBox::Text3, "10").set(TextBox::Text2, "200");
  h.set(TextBox::Text13, "200").set(TextBox::Text20, "10");
  EXPECT_EQ(h.run().end, RunEnd::Completed);
  const auto t = h.transitions();
  std::size_t i = 0;
  while (i < t.size() && t[i].value != 5) ++i;
  ASSERT_TRUE(i > 0 && i < t.size());
  EXPECT_EQ(t[i - 1].value, 4);
  EXPECT_EQ(t[i].state.accelCounter, 23);
  for (const auto& e : h.readouts.of(Readout::Text14)) {
    if (e.tick > t[i].tick) {
      EXPECT_EQ(e.value, 24);
      break;
    }
  }
}

TEST(SCurveShapes, DriveSpeedBelowInitialSpeedFallsAtTheFirstSpeedStep) {
  Harness h;
  h.set(TextBox::Text5, "5");
  EXPECT_EQ(h.run().end, RunEnd::Completed);
  const auto t = h.transitions();
  ASSERT_GE(t.size(), 2u);
  EXPECT_EQ(t[0].value, 3);
  EXPECT_EQ(t[0].tick, 30409);  // the first raise of the speed, to 11
  EXPECT_EQ(t[1].value, 4);
  EXPECT_EQ(t[1].state.accelCounter, 0);
  for (const auto& e : h.readouts.of(Readout::Text12)) ASSERT_NE(e.value, 5);
}

TEST(SCurveShapes, AccelOffsetShiftsTheCountAndTheEstimate) {
  Harness h;
  h.set(TextBox::Text18, "1000");
  EXPECT_EQ(h.run().end, RunEnd::Completed);
  EXPECT_EQ(h.readouts.of(Readout::Text9).front().value, 1001);
  EXPECT_EQ(h.readouts.lastShown(Readout::Text9), 1000 + 5085);
  // 999 + 5085 pulses of estimate: deceleration 1000 pulses earlier.
  EXPECT_EQ(h.readouts.first(Readout::Text15, 5).state.outputPulseCount, 20000 - 6084);
}

TEST(SCurveShapes, AsymmetricDecelerationEndsEarlyAndDragsAtInitialSpeed) {
  Harness h;
  h.box(CheckBox::Check6, 1).set(TextBox::Text13, "4000").set(TextBox::Text20, "100");
  EXPECT_EQ(h.run().end, RunEnd::Completed);
  // The deceleration's own shape follows L, rising and falling.
  expectEvenSpacing(accelMoveTicks(h, 5), 16 * 101, 4);
  expectEvenSpacing(accelMoveTicks(h, 7), 16 * 101, 4);
  EXPECT_LT(h.readouts.first(Readout::Text15, 8).state.outputPulseCount, 19000);
  EXPECT_EQ(h.readouts.lastShown(Readout::Text12), 10);
  EXPECT_GT(h.readouts.lastShown(Readout::Text16), 1000);
}

// accelCounter rises on every (rate + 1)-th jerk step, a jerk step being one
// tick in 16; a rate of 0 rises at every jerk step.
TEST(JerkPace, AccelerationRisesEvery16TimesKPlusOneTicks) {
  for (const int k : {0, 1, 2, 600}) {
    SCOPED_TRACE("K " + std::to_string(k));
    Harness h;
    h.set(TextBox::Text3, std::to_string(k)).set(TextBox::Text6, "3000");
    h.run();
    const auto ticks = accelMoveTicks(h, 1);
    ASSERT_GE(ticks.size(), 4u);
    EXPECT_EQ(ticks[0], 16 * k + 1);
    expectEvenSpacing(ticks, 16 * (k + 1), 4);
    EXPECT_EQ(h.readouts.of(Readout::Text14)[3].value, 5);
  }
}

TEST(JerkPace, AsymmetricDecelerationRisesEvery16TimesLPlusOneTicks) {
  for (const int l : {0, 1, 2}) {
    SCOPED_TRACE("L " + std::to_string(l));
    Harness h;
    h.box(CheckBox::Check3, 1).box(CheckBox::Check6, 1).set(TextBox::Text20, std::to_string(l));
    h.readouts.stopAtPulse = 1100;
    h.run();
    expectEvenSpacing(accelMoveTicks(h, 5), 16 * (l + 1), 4);
  }
}

// A grayed symmetric box is neither symmetric (the test for 1) nor asymmetric
// in the estimate (the test for 0): the estimate never grows.
TEST(GrayedSymmetricBox, EstimateStandsStillAndSCurveDecelerationFollowsDAndL) {
  Harness h;
  h.set(TextBox::Text18, "1001").set(TextBox::Text13, "50").set(TextBox::Text20, "100");
  h.box(CheckBox::Check7, 2);
  ASSERT_EQ(h.form.optionValue(CheckBox::Check6), 0);
  EXPECT_EQ(h.run().end, RunEnd::Completed);

  EXPECT_EQ(h.readouts.of(Readout::Text9).front().value, 1002);
  for (const auto& y : h.readouts.yields) ASSERT_EQ(y.state.decelPointCounter, 1000) << y.tick;
  EXPECT_EQ(h.readouts.yields.back().state.decelRatioAccumulator, 8000 * 5085);

  const auto t = h.transitions();
  // The run ends while the gentle deceleration is still in state 6.
  ASSERT_EQ(values(t), (std::vector<std::int64_t>{3, 4, 5, 6}));
  EXPECT_EQ(t[2].state.outputPulseCount, 19000);          // 1000 pulses to go
  EXPECT_EQ(t[3].state.accelCounter, 50);                 // ceiling D
  expectEvenSpacing(accelMoveTicks(h, 5), 16 * 101, 10);  // period L
}

TEST(GrayedSymmetricBox, LinearDecelerationKeepsTheAccelerationValue) {
  const std::pair<std::int16_t, std::int16_t> cases[] = {{1, 8000}, {0, 4000}, {2, 8000}};
  for (const auto& [check7, expected] : cases) {
    SCOPED_TRACE("Check7 " + std::to_string(check7));
    Harness h;
    h.box(CheckBox::Check5, 1).box(CheckBox::Check3, 1).set(TextBox::Text13, "4000");
    h.box(CheckBox::Check7, check7);
    h.readouts.stopAtPulse = 1010;  // manual deceleration from pulse 1000
    h.run();
    EXPECT_EQ(h.readouts.yields.back().state.accelState, 5);
    EXPECT_EQ(h.readouts.yields.back().state.accelCounter, expected);
  }
}

}  // namespace
}  // namespace tarvex::test
