// The axis scales laid over the graph: round steps, where each tick lies in
// twips of the picture, and its label.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AxisScale.h"
#include "GraphPicture.h"

namespace tarvex {
namespace {

std::string listed(const std::vector<AxisTick>& ticks) {
  std::string text;
  for (const AxisTick& t : ticks)
    text += std::to_string(int(t.twips * 10 + 0.5)) + ":" + t.label + " ";
  return text;
}

TEST(AxisScale, RoundStepsOfOneTwoOrFive) {
  for (const auto& [span, step] :
       {std::pair{1.2, 0.2}, {40000.0, 10000.0}, {67.0, 20.0}, {0.006, 0.001}, {31.0, 10.0}})
    EXPECT_DOUBLE_EQ(roundStep(span, 6), step) << span;
}

TEST(AxisScale, TicksLieWhereTheGraphPlotsThoseTimesAndSpeeds) {
  // Start-up scales: plotPeriod 961, so 0.2 s = 1,600,000 ticks lie at
  // x 1664.93; 10000 pps at y 3949 - 10000 x 3948 / 40000 = 2962.
  const auto scales = GraphScales::fromTexts("1.2", "40000");
  ASSERT_TRUE(scales);
  EXPECT_EQ(listed(timeTicks(*scales)),
            "0: 16649:0.2 33299:0.4 49948:0.6 66597:0.8 83247:1.0 99896:1.2 s ");
  EXPECT_EQ(listed(speedTicks(*scales)), "39490: 29620:10000 19750:20000 9880:30000 10:40000 pps ");
  // A negative full scale puts negative speeds above the time axis.
  EXPECT_EQ(listed(speedTicks(*GraphScales::fromTexts("1.2", "-20"))),
            "39490: 29620:-5 19750:-10 9880:-15 10:-20 pps ");
  EXPECT_FALSE(GraphScales::fromTexts("1e300", "40000"));
  EXPECT_FALSE(GraphScales::fromTexts("1.2", "x"));
}

TEST(AxisScale, AZoomedViewPlacesAndLabelsItsOwnSpans) {
  // 0.5 to 1.0 s over 9990 columns: 400.4 ticks a column, so 0.75 s (6,000,000
  // ticks) lies at x 4995; 10000 to 20000 pps over 3948 twips: 15000 pps at
  // y 3949 - 1974 = 1975.
  const auto view = GraphScales::view(0.5, 1.0, 10000, 20000);
  ASSERT_TRUE(view);
  EXPECT_DOUBLE_EQ(view->xOfTicks(6'000'000), 4995.0);
  EXPECT_DOUBLE_EQ(view->yOfPulsesPerSecond(15000), 1975.0);
  EXPECT_DOUBLE_EQ(view->ticksOfX(4995.0), 6'000'000.0);
  EXPECT_DOUBLE_EQ(view->pulsesPerSecondOfY(1975.0), 15000.0);
  // Steps of 0.1 s and 2000 pps from the view's start, the first labelled.
  EXPECT_EQ(listed(timeTicks(*view)), "0:0.5 19980:0.6 39960:0.7 59940:0.8 79920:0.9 99900:1.0 s ");
  EXPECT_EQ(listed(speedTicks(*view)),
            "39490:10000 31594:12000 23698:14000 15802:16000 7906:18000 10:20000 pps ");
  EXPECT_FALSE(GraphScales::view(1.0, 1.0, 0, 100));
  EXPECT_FALSE(GraphScales::view(0, 1.0, 5, 5));
  // The grid: a line at every tick but those on the axes.
  const std::string grid = gridSvg(*view);
  EXPECT_NE(grid.find("<path d=\"M1998 0V3950\"/>"), std::string::npos);
  EXPECT_EQ(grid.find("<path d=\"M0 0V3950\"/>"), std::string::npos);
  EXPECT_NE(grid.find("<path d=\"M0 790.6H9990\"/>"), std::string::npos);
}

TEST(AxisScale, SvgAddsMarksLabelsAndACaptionOnATallerCanvas) {
  const std::string svg = GraphPicture().toSvg(
      scalesSvg(*GraphScales::fromTexts("1.2", "40000")) + captionSvg("レンジ 800000 <a&b>", 420),
      360);
  EXPECT_NE(svg.find("height=\"321\" viewBox=\"-480 -120 11052 4812\""), std::string::npos);
  EXPECT_NE(svg.find("<line x1=\"1664.9\" y1=\"3950\" x2=\"1664.9\" y2=\"3890\"/>"),
            std::string::npos);
  EXPECT_NE(svg.find(">1.2 s</text>"), std::string::npos);
  // The labels on a white halo, over any curve.
  EXPECT_NE(svg.find("stroke=\"#ffffff\" stroke-width=\"45\" stroke-linejoin=\"round\" "
                     "paint-order=\"stroke\""),
            std::string::npos);
  EXPECT_NE(svg.find("y=\"4440\""), std::string::npos);
  EXPECT_NE(svg.find(">レンジ 800000 &lt;a&amp;b&gt;</text>"), std::string::npos);
}

}  // namespace
}  // namespace tarvex
