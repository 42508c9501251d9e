// Fast-forward over quiet ticks must not be observable: for each scenario the
// run is made once tick by tick and once fast-forwarding, and everything the
// window could see must be identical, down to the tick and the engine state
// at every readout and yield, every plotted point and every log byte.
#include <tuple>

#include "EngineTestSupport.h"

namespace tarvex::test {
namespace {

auto stateKey(const EngineState& s) {
  return std::make_tuple(s.speedCounter, s.accelCounter, s.speedAccumulator, s.pulseAccumulator,
                         s.pulseDue, s.outputPulseCount, s.speedCycle, s.jerkCycle, s.tickCount,
                         s.accelState, s.accelerating, s.decelerating, s.constantSpeed, s.jerkOff,
                         s.jerkCounter, s.jerkSpeedSteps, s.accelPulseCount, s.decelPointCounter,
                         s.decelRatioAccumulator, s.triangleEstimate, s.dragPulseCount, s.peakSpeed,
                         s.triangleIndicator);
}

struct Scenario {
  const char* name;
  std::function<void(Harness&)> prepare;
};

void PrintTo(const Scenario& s, std::ostream* os) {
  *os << s.name;
}

class FastForward : public ::testing::TestWithParam<Scenario> {};

TEST_P(FastForward, MatchesTickByTick) {
  TempDir dir;
  Harness slow(dir.file("slow.txt")), fast(dir.file("fast.txt"));
  GetParam().prepare(slow);
  GetParam().prepare(fast);
  const RunOutcome a = slow.run(RunMode::TickByTick);
  const RunOutcome b = fast.run(RunMode::FastForward);

  ASSERT_EQ(a.end, b.end);
  ASSERT_EQ(a.failure.has_value(), b.failure.has_value());
  if (a.failure) {
    EXPECT_EQ(a.failure->error, b.failure->error);
    EXPECT_EQ(a.failure->field, b.failure->field);
  }
  EXPECT_EQ(a.ticks, b.ticks);
  EXPECT_EQ(a.pulses, b.pulses);

  const auto& ea = slow.readouts.events;
  const auto& eb = fast.readouts.events;
  ASSERT_EQ(ea.size(), eb.size());
  for (std::size_t i = 0; i < ea.size(); ++i) {
    ASSERT_EQ(std::make_tuple(ea[i].readout, ea[i].value, ea[i].tick),
              std::make_tuple(eb[i].readout, eb[i].value, eb[i].tick))
        << "readout event " << i;
    ASSERT_TRUE(stateKey(ea[i].state) == stateKey(eb[i].state)) << "state at readout event " << i;
  }
  const auto& ya = slow.readouts.yields;
  const auto& yb = fast.readouts.yields;
  ASSERT_EQ(ya.size(), yb.size());
  for (std::size_t i = 0; i < ya.size(); ++i) {
    ASSERT_EQ(ya[i].tick, yb[i].tick) << "yield " << i;
    ASSERT_TRUE(stateKey(ya[i].state) == stateKey(yb[i].state)) << "state at yield " << i;
  }
  EXPECT_EQ(slow.readouts.idleTicks, fast.readouts.idleTicks);

  const auto& pa = slow.surface.points;
  const auto& pb = fast.surface.points;
  ASSERT_EQ(pa.size(), pb.size());
  for (std::size_t i = 0; i < pa.size(); ++i)
    ASSERT_EQ(std::make_tuple(pa[i].x, pa[i].y, pa[i].tick),
              std::make_tuple(pb[i].x, pb[i].y, pb[i].tick))
        << "point " << i;

  EXPECT_EQ(slow.engine.log().recordCount(), fast.engine.log().recordCount());
  EXPECT_TRUE(readFile(dir.file("slow.txt")) == readFile(dir.file("fast.txt")));
  EXPECT_EQ(slow.form.optionValue(CheckBox::Check1), fast.form.optionValue(CheckBox::Check1));
}

// Shorthands for the scenarios.
auto texts(std::vector<std::pair<TextBox, const char*>> t,
           std::vector<std::pair<CheckBox, std::int16_t>> b = {}) {
  return [t, b](Harness& h) {
    for (const auto& [box, text] : t) h.set(box, text);
    for (const auto& [box, value] : b) h.box(box, value);
  };
}
constexpr auto T1 = TextBox::Text1, T2 = TextBox::Text2, T3 = TextBox::Text3, T4 = TextBox::Text4,
               T5 = TextBox::Text5, T6 = TextBox::Text6, T11 = TextBox::Text11,
               T13 = TextBox::Text13, T18 = TextBox::Text18, T20 = TextBox::Text20;
constexpr auto C1 = CheckBox::Check1, C3 = CheckBox::Check3, C5 = CheckBox::Check5,
               C6 = CheckBox::Check6, C7 = CheckBox::Check7;

const Scenario kScenarios[] = {
    {"ReferenceSCurve", texts({})},
    {"ReferenceLinear", texts({}, {{C5, 1}})},
    {"LinearTriangle", texts({{T6, "100"}}, {{C5, 1}, {C1, 1}})},
    {"SCurveTriangle", texts({{T6, "5000"}}, {{C1, 1}})},
    {"SinglePulseEveryTickPlotted", texts({{T6, "1"}, {T11, "0"}})},
    {"JerkRateZero", texts({{T3, "0"}, {T6, "3000"}}, {{C1, 1}})},
    {"ConstantAcceleration", texts({{T2, "50"}, {T3, "10"}, {T5, "100"}, {T6, "1000"}})},
    {"DecelerationFromFallingAcceleration",
     texts({{T3, "10"}, {T2, "200"}, {T13, "200"}, {T20, "10"}})},
    {"AsymmetricRecorded", texts({{T13, "12000"}, {T20, "400"}, {T6, "5000"}}, {{C6, 1}, {C1, 1}})},
    {"AsymmetricManualRateZero", texts({{T20, "0"}, {T6, "1100"}}, {{C3, 1}, {C6, 1}})},
    {"GrayedSymmetric", texts({{T18, "1001"}, {T13, "50"}, {T20, "100"}}, {{C7, 2}})},
    {"GrayedSymmetricLinear",
     [](Harness& h) {
       texts({{T13, "4000"}}, {{C5, 1}, {C3, 1}, {C7, 2}})(h);
       h.readouts.stopAtPulse = 1030;  // before the speed is held at SV
     }},
    {"NegativeSpeedOverflow", texts({{T4, "-3"}, {T2, "0"}, {T1, "2147483347"}}, {{C5, 1}})},
    {"NegativeAccelOverflow", texts({{T2, "-5"}}, {{C5, 1}, {C1, 1}})},
    {"SpeedCounterOverflow", texts({{T5, "5"}, {T6, "2000000000"}}, {{C5, 1}})},
    {"ZeroInitialSpeedStopsAtIdleYield",
     [](Harness& h) {
       h.set(T4, "0");
       h.readouts.stopAtIdleYield = 2;
     }},
    {"LiveChangesAndStop",
     [](Harness& h) {
       h.set(T13, "3000");
       h.readouts.duringYield = [&h](std::int64_t pulse) {
         if (pulse == 3) h.form.setOptionValue(C1, 1);
         if (pulse == 700) h.form.setOptionValue(C7, 0);
         if (pulse == 900) h.form.setOptionValue(C1, 0);
         if (pulse == 1500) h.form.setOptionValue(CheckBox::Check2, 0);
       };
       h.readouts.stopAtPulse = 3000;
     }}
};

INSTANTIATE_TEST_SUITE_P(Scenarios, FastForward, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvex::test
