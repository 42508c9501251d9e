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

TEST(AxisScale, SvgAddsMarksLabelsAndACaptionOnATallerCanvas) {
  const std::string svg = GraphPicture().toSvg(
      scalesSvg(*GraphScales::fromTexts("1.2", "40000")) + captionSvg("レンジ 800000 <a&b>", 420),
      360);
  EXPECT_NE(svg.find("height=\"321\" viewBox=\"-480 -120 11052 4812\""), std::string::npos);
  EXPECT_NE(svg.find("<line x1=\"1664.9\" y1=\"3950\" x2=\"1664.9\" y2=\"3890\"/>"),
            std::string::npos);
  EXPECT_NE(svg.find(">1.2 s</text>"), std::string::npos);
  EXPECT_NE(svg.find("y=\"4440\""), std::string::npos);
  EXPECT_NE(svg.find(">レンジ 800000 &lt;a&amp;b&gt;</text>"), std::string::npos);
}

}  // namespace
}  // namespace tarvex
