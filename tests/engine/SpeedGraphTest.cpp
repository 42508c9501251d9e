// The speed graph: one point every plotPeriod ticks, one twip further right,
// at y = 3949 - speedCounter * speedScale, clamped to the picture's top and
// right edges.
#include <cmath>

#include "EngineTestSupport.h"

namespace tarvex::test {
namespace {

TEST(SpeedGraph, ReferenceRunPlotsOnePointEvery961Ticks) {
  Harness h;
  h.run();
  EXPECT_EQ(h.engine.graph().plotPeriod(), 961);
  EXPECT_NEAR(h.engine.graph().speedScale(), 0.987, 1e-12);

  const auto& p = h.surface.points;
  ASSERT_EQ(p.size(), 8437u + 1);
  EXPECT_EQ(h.engine.graph().pointsPlotted(), 8437);
  EXPECT_EQ(p[0].x, 0.0f);
  EXPECT_NEAR(p[0].y, 3939.13, 1e-3);
  for (std::size_t k = 1; k <= 3; ++k) {
    EXPECT_EQ(p[k].tick, 961 * static_cast<std::int64_t>(k));
    EXPECT_EQ(p[k].x, static_cast<float>(k));
  }
  EXPECT_EQ(p.back().x, 8437.0f);
  EXPECT_EQ(p.back().tick, 8437 * 961);
  // The peak speed counter 2999 is the highest point.
  EXPECT_NEAR(h.surface.minY, 3949 - 2999 * 0.987, 1e-3);
  EXPECT_EQ(std::lround(h.surface.minY), 989);
}

TEST(SpeedGraph, LinearReferenceRunPeaksAtTheDriveSpeed) {
  Harness h;
  h.box(CheckBox::Check5, 1);
  h.run();
  EXPECT_EQ(h.surface.pointCount - 1, 5575);
  EXPECT_EQ(h.surface.minY, 988.0f);
}

TEST(SpeedGraph, PlotPeriodRoundsHalvesToEven) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"1.2", 961}, {"500", 400400}, {"1500", 1201202}, {"2500", 2002002},
      {"0.001", 1}, {"0", 0},        {"-1", -801},      {" 2 ", 1602}};
  for (const auto& [text, period] : cases) {
    Harness h;
    h.set(TextBox::Text11, text).set(TextBox::Text6, "0");
    EXPECT_EQ(h.run().end, RunEnd::Completed) << text;
    EXPECT_EQ(h.engine.graph().plotPeriod(), period) << text;
  }
}

TEST(SpeedGraph, PeriodOfOneOrLessPlotsEveryTickAndStacksAtTheRightEdge) {
  for (const char* text : {"0.001", "0", "-1"}) {
    SCOPED_TRACE(text);
    Harness h;
    h.set(TextBox::Text11, text).set(TextBox::Text6, "1");  // 80,000 ticks
    h.run();
    const auto& p = h.surface.points;
    ASSERT_EQ(p.size(), 80000u + 1);
    EXPECT_EQ(p[9989].x, 9989.0f);
    EXPECT_EQ(p[9990].x, 9990.0f);
    EXPECT_EQ(p[9991].x, 9990.0f);
    EXPECT_EQ(p.back().x, 9990.0f);
    EXPECT_EQ(p.back().tick, 80000);
  }
}

TEST(SpeedGraph, PointsAboveFullScaleClampToTheTopButTheStartingPointDoesNot) {
  Harness h;
  h.set(TextBox::Text10, "50").set(TextBox::Text6, "1");  // speedScale 789.6
  h.run();
  const auto& p = h.surface.points;
  EXPECT_NEAR(p[0].y, 3949 - 10 * 789.6, 1e-3);
  for (std::size_t i = 1; i < p.size(); ++i) ASSERT_EQ(p[i].y, 0.0f) << i;
}

TEST(SpeedGraph, NegativeFullScaleDrawsBelowTheTimeAxis) {
  Harness h;
  h.set(TextBox::Text10, "-40000").set(TextBox::Text6, "1");
  h.run();
  EXPECT_NEAR(h.surface.points[0].y, 3949 + 9.87, 1e-3);
  EXPECT_GT(h.surface.minY, 3949.0f);
}

TEST(SpeedGraph, BadScalesEndTheRunAtTheirConversion) {
  struct Case {
    TextBox box;
    const char* text;
    RunError error;
    std::optional<ParamField> field;
    std::int32_t plotPeriodAfter;  // plotPeriod is computed before Text10 is read
  };
  const Case cases[] = {
      {TextBox::Text11, "1.2x", RunError::TypeMismatch, ParamField::TimeDisplayMax, 0},
      {TextBox::Text11, "1e300", RunError::Overflow, ParamField::TimeDisplayMax, 0},
      {TextBox::Text11, "2682000", RunError::Overflow, ParamField::TimeDisplayMax, 0},
      {TextBox::Text10, "", RunError::TypeMismatch, ParamField::SpeedDisplayMax, 961},
      {TextBox::Text10, "0", RunError::DivisionByZero, std::nullopt, 961},
      {TextBox::Text1, "0", RunError::DivisionByZero, std::nullopt, 961}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " in Text" + std::to_string(indexOf(c.box) + 1));
    Harness h;
    h.set(c.box, c.text);
    const RunOutcome out = h.run();
    ASSERT_TRUE(out.failed());
    EXPECT_EQ(out.failure->error, c.error);
    if (c.field) {
      EXPECT_EQ(out.failure->field, c.field);
    }
    if (c.plotPeriodAfter) {
      EXPECT_EQ(h.engine.graph().plotPeriod(), c.plotPeriodAfter);
    }
    // The graph is framed, no point is plotted; Text12 and Text16 are shown,
    // the readouts set after the graph are not.
    EXPECT_EQ(h.surface.clears, 1);
    EXPECT_EQ(h.surface.pointCount, 0);
    EXPECT_EQ(h.readouts.events.size(), 2u);
    EXPECT_EQ(h.readouts.lastShown(Readout::Text16), 0);
  }
}

}  // namespace
}  // namespace tarvex::test
