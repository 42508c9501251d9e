// What the window can do to a run while it yields: press Stop, switch the
// deceleration start (Check2) or the symmetry (Check7); and a run that
// outputs no pulse, which must still be stoppable.
#include "EngineTestSupport.h"

namespace tarvex::test {
namespace {

TEST(Stop, EndsTheRunInsideThePulseTickBeforeItsPlotAndLogSteps) {
  // A pulse whose tick is also a log step (a multiple of 8).
  Harness probe;
  probe.readouts.stopAtPulse = 60;
  probe.run();
  std::int64_t pulse = 0, tick = 0;
  for (const auto& y : probe.readouts.yields) {
    if (y.tick % 8 == 0) {
      pulse = y.state.outputPulseCount;
      tick = y.tick;
      break;
    }
  }
  ASSERT_GT(pulse, 0) << "no pulse on a multiple of 8 among the first 60";

  TempDir dir;
  Harness h(dir.file("DATA_LOG.txt"));
  h.set(TextBox::Text11, "0.001").box(CheckBox::Check1, 1);  // a point every tick
  h.readouts.stopAtPulse = pulse;
  const RunOutcome out = h.run();
  EXPECT_EQ(out.end, RunEnd::Stopped);
  EXPECT_FALSE(out.failure.has_value());
  EXPECT_EQ(out.ticks, tick - 1);
  EXPECT_EQ(out.pulses, pulse);
  EXPECT_EQ(h.readouts.lastShown(Readout::Text7), pulse);
  EXPECT_EQ(h.readouts.events.back().tick, tick);

  EXPECT_EQ(h.surface.points.back().tick, tick - 1);
  EXPECT_EQ(h.surface.pointCount, tick);  // starting point and ticks 1 .. tick - 1
  EXPECT_FALSE(h.engine.log().isOpen());
  const auto lines = logLines(dir.file("DATA_LOG.txt"));
  EXPECT_EQ(static_cast<std::int64_t>(lines.size()), tick / 8 - 1);
  EXPECT_EQ(fields(lines.back())[0], tick / 8 - 1);
}

TEST(LiveOptions, ManualDecelerationChosenPastItsPointStartsAtTheNextPulse) {
  Harness h;
  h.readouts.duringYield = [&](std::int64_t pulse) {
    if (pulse == 1500) h.form.setOptionValue(CheckBox::Check2, 0);
  };
  h.run();
  const ReadoutEvent start = h.readouts.first(Readout::Text15, 5);
  EXPECT_EQ(start.state.outputPulseCount, 1501);
  // The manual start begins the deceleration afresh.
  const EngineState& s = h.readouts.yields.at(1501 - 1).state;
  EXPECT_EQ(s.accelCounter, 1);
  EXPECT_EQ(s.jerkCounter, 601);
  EXPECT_EQ(s.speedCycle, 7);
  EXPECT_EQ(s.jerkCycle, 15);
  EXPECT_EQ(h.form.optionValue(CheckBox::Check3), 1);
}

TEST(LiveOptions, AsymmetricFromMidAccelerationWeighsPulsesByAOverD) {
  Harness h;
  h.set(TextBox::Text13, "4000");
  h.readouts.duringYield = [&](std::int64_t pulse) {
    if (pulse == 100) h.form.setOptionValue(CheckBox::Check7, 0);
  };
  h.readouts.stopAtPulse = 200;
  h.run();
  // Pulses 1 to 100 count one each (from -1); each later one A / D = 2,
  // converted in the ticks after it; pulse 200's share is still pending.
  EXPECT_EQ(h.readouts.yields.at(99).state.decelPointCounter, 99);
  const EngineState& s = h.readouts.yields.back().state;
  EXPECT_EQ(s.decelPointCounter, 99 + 2 * 99);
  EXPECT_EQ(s.decelRatioAccumulator, 8000);
}

TEST(LiveOptions, AsymmetricFromTheDecelerationStartTakesDAndL) {
  Harness h;
  h.set(TextBox::Text13, "50").set(TextBox::Text20, "100");
  h.readouts.duringYield = [&](std::int64_t) {
    if (h.engine.state().decelerating) h.form.setOptionValue(CheckBox::Check7, 0);
  };
  EXPECT_EQ(h.run().end, RunEnd::Completed);
  EXPECT_EQ(h.readouts.first(Readout::Text15, 5).state.outputPulseCount, 14916);
  EXPECT_EQ(h.readouts.first(Readout::Text15, 6).state.accelCounter, 50);
  std::vector<std::int64_t> rises;
  for (const auto& e : h.readouts.of(Readout::Text14))
    if (e.state.accelState == 5) rises.push_back(e.tick);
  ASSERT_GE(rises.size(), 3u);
  EXPECT_EQ(rises[1] - rises[0], 16 * 101);
  EXPECT_EQ(rises[2] - rises[1], 16 * 101);
}

TEST(LiveOptions, CurveOptionIsFixedAtSetUp) {
  Harness h;
  h.readouts.duringYield = [&](std::int64_t pulse) {
    if (pulse == 2) h.form.setOptionValue(CheckBox::Check5, 1);
  };
  EXPECT_EQ(h.run().ticks, 8108481);  // still the S-curve run
  ASSERT_EQ(h.form.optionValue(CheckBox::Check4), 0);
  // The next run on the same engine starts afresh, now linear.
  h.readouts.duringYield = nullptr;
  EXPECT_EQ(h.run().ticks, 5358250);
}

// Linear, A 0, SV 0: pulse 1 in tick 1, then none ever again.
void makePulseless(Harness& h) {
  h.box(CheckBox::Check5, 1).set(TextBox::Text2, "0").set(TextBox::Text4, "0");
}

TEST(PulselessRun, CanBeStoppedAlthoughNoPulseFallsDue) {
  Harness h;
  makePulseless(h);
  h.readouts.stopAtIdleYield = 1;
  const RunOutcome out = h.run();
  EXPECT_EQ(out.end, RunEnd::Stopped);
  EXPECT_EQ(out.pulses, 1);
  EXPECT_EQ(h.readouts.yields.size(), 1u);
  ASSERT_EQ(h.readouts.idleTicks.size(), 1u);
  // Stoppable within a fraction of a simulated second.
  EXPECT_GT(out.ticks, 0);
  EXPECT_LE(out.ticks, 8000000);
}

// A speed counter climbing from -16000 outputs no pulse but shows a new speed
// every eighth tick: the run yields after 4096 readouts, long before the
// 4,194,304 quiet ticks of a truly idle run.
TEST(PulselessRun, YieldsAfterManyReadoutsWithoutAPulse) {
  for (const RunMode mode : {RunMode::FastForward, RunMode::TickByTick}) {
    Harness h;
    h.box(CheckBox::Check5, 1).set(TextBox::Text4, "-16000");
    h.readouts.stopAtIdleYield = 1;
    const RunOutcome out = h.run(mode);
    EXPECT_EQ(out.end, RunEnd::Stopped);
    // Tick 1 outputs pulse 1 and yields; about 4096 speed steps follow.
    EXPECT_EQ(out.pulses, 1);
    EXPECT_GT(out.ticks, 8 * 4000);
    EXPECT_LT(out.ticks, 8 * 4200);
  }
}

// 2,147,483,647 ticks, then tickCount + 1 overflows; one point every 961
// ticks, stacked at the right edge once x reaches 9990.
void expectTickCountOverflow(RunMode mode) {
  Harness h;
  makePulseless(h);
  h.surface.keepPoints = false;
  const RunOutcome out = h.run(mode);
  ASSERT_TRUE(out.failed());
  EXPECT_EQ(out.failure->error, RunError::Overflow);
  EXPECT_EQ(out.ticks, 2147483647);
  EXPECT_EQ(out.pulses, 1);
  EXPECT_EQ(h.engine.graph().pointsPlotted(), 2234634);
  EXPECT_EQ(h.engine.graph().plotX(), 9990);
  EXPECT_EQ(h.readouts.yields.size(), 1u);
}

TEST(PulselessRun, EndsInTheTickCountOverflow) {
  expectTickCountOverflow(RunMode::FastForward);
}

// Every one of the 2^31 ticks computed: several seconds (ctest label "long").
TEST(LongRun, PulselessTickByTickEndsInTheTickCountOverflow) {
  expectTickCountOverflow(RunMode::TickByTick);
}

}  // namespace
}  // namespace tarvex::test
