// The speed graph's picture: the pixel that holds each twip, clipping
// however far out, erasing, and the vector copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "GraphPicture.h"
#include "GraphPng.h"
#include "PngPixels.h"

namespace tarvex {
namespace {

using Pixels = std::vector<std::pair<int, int>>;  // (column, row), row by row

// Every pixel not white; one neither white nor black shows as column -1.
Pixels inked(const GraphPicture& p) {
  Pixels out;
  for (int i = 0; i < 668 * 268; ++i)
    if (p.pixels()[i] != 0xffffffffu)
      out.emplace_back(p.pixels()[i] == 0xff000000u ? i % 668 : -1, i / 668);
  return out;
}

Pixels block(int x0, int y0, int x1, int y1) {  // both corners included
  Pixels out;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) out.emplace_back(x, y);
  return out;
}

const float kNaN = std::nanf(""), kFar[] = {1e30f, -1e30f, 3.3e10f, -3.3e10f, kNaN};

TEST(GraphPicture, InksThePixelsHoldingTheTwipsAndNothingOutside) {  // x2 NaN: a point
  const std::tuple<float, float, float, float, Pixels> cases[] = {
      // clang-format off
      {14.9f, 29.9f, kNaN, 0, {{0, 1}}}, {15, 30, kNaN, 0, {{1, 2}}}, {100, -0.5f, kNaN, 0, {}},
      {0, 3939.13f, kNaN, 0, {{0, 262}}}, {9990, 3949, kNaN, 0, {{666, 263}}},
      {10019.9f, 4019.9f, kNaN, 0, {{667, 267}}}, {-0.5f, 100, kNaN, 0, {}},
      {100, 4020, kNaN, 0, {}}, {10020, 100, kNaN, 0, {}}, {kNaN, 100, 200, 100, {}},
      {9990, 3850, 9990, 3950, block(666, 256, 666, 263)}, {-30, 15, 45, 15, block(0, 1, 3, 1)},
      {-3.3e10f, 100, 3.3e10f, 100, block(0, 6, 667, 6)}, {0, 1e10f, 1e10f, 1e10f, {}},
      {-1e16f, 100, 1e16f, 100, block(0, 6, 667, 6)}, {-1e30f, -1e30f, 1e30f, -1e30f, {}},
      {100, -1e16f, 100, 1e16f, block(6, 0, 6, 267)}, {9990, 15, 10020, 15, block(666, 1, 667, 1)},
      {100, -1e30f, 100, 1e30f, block(6, 0, 6, 267)}};
  // clang-format on
  for (const auto& [x1, y1, x2, y2, pixels] : cases) {
    GraphPicture p;
    std::isnan(x2) ? p.drawPoint(x1, y1) : p.drawLine(x1, y1, x2, y2);
    EXPECT_EQ(inked(p), pixels) << x1 << " " << y1 << " " << x2 << " " << y2;
  }
}

// The frame a run draws, its captions and a zigzag of points.
GraphPicture framedGraph() {
  GraphPicture p;
  p.drawLine(1, 3950, 9990, 3950), p.drawLine(1, 0, 1, 3950);
  p.drawLine(9990, 3850, 9990, 3950), p.drawLine(1, 1, 100, 1);
  p.setSpeedAxisCaption("速度"), p.setTimeAxisCaption("時間");
  for (int x = 0; x <= 999; ++x) p.drawPoint(float(x), x % 2 ? 2000.0f : 1000.0f);
  return p;
}

TEST(GraphPicture, SvgHoldsFrameCurveAndCaptionsAsClippedVectorsInTwips) {
  GraphPicture p = framedGraph();
  std::string svg = p.toSvg();
  // The canvas: 480 twips left of the picture and 120 above for the speed
  // caption, to 10572 and 4332 for the time caption at 9840 4240.
  for (const char* part : {"M1 3950", "L9990 3950", "M1 0", "L1 3950", "M9990 3850", "M1 1",
                           "L100 1", "M0 1000", "L1 2000L2 1000", "L999 2000", ">速度<", ">時間<",
                           "width=\"737\" height=\"297\" viewBox=\"-480 -120 11052 4452\"",
                           "<text x=\"-480\" y=\"40\" ", "<text x=\"9840\" y=\"4240\" "})
    EXPECT_NE(svg.find(part), std::string::npos) << part;
  EXPECT_LT(std::count(svg.begin(), svg.end(), '<'), 20) << svg;  // not an element per point
  const std::size_t framed = svg.size();
  for (const float far : kFar)
    p.drawPoint(500, far), p.drawPoint(far, 9), p.drawLine(far, 5, 9, far);
  EXPECT_EQ(inked(p), inked(framedGraph()));  // nothing of them drawn
  for (int i = 0; i < 1000000; ++i) p.drawPoint(9990, float(i % 2 * 3000));
  svg = p.toSvg();
  EXPECT_LT(svg.size(), framed + 10000);
  const std::regex number(R"([-+]?\d+(\.\d+)?(e[-+]?\d+)?|nan|inf)", std::regex::icase);
  for (std::sregex_iterator it(svg.begin(), svg.end(), number), end; it != end; ++it)
    EXPECT_LE(std::fabs(std::stod(it->str())), 20000) << it->str();  // the canvas is 11052 wide
  p.clearGraph();
  EXPECT_EQ(inked(p), Pixels{});
  EXPECT_EQ(p.toSvg().find("<path"), std::string::npos);
}

TEST(GraphPicture, AFamilyHasOneBlackFrameAndEachCurveInItsInkTheLaterOnTop) {
  GraphPicture family, first = framedGraph(), second = framedGraph();
  first.setCurveInk(0xffff0000);  // the zigzag drawn again, in red, then
  for (int x = 0; x <= 999; ++x) first.drawPoint(float(x), x % 2 ? 2000.0f : 1000.0f);
  second.clearGraph(), second.setCurveInk(0xff0000ff);  // blue, one point on it
  second.drawPoint(15, 2000), second.drawPoint(15, 3000);
  family.addFrameOf(first);
  for (const GraphPicture* run : {&first, &second})
    family.addCurve(run->curve(GraphPicture::CurveForm::Pixels));
  const auto at = [&](int x, int y) { return family.pixels()[y * 668 + x]; };
  EXPECT_EQ(
      std::tuple(at(0, 263), at(0, 66), at(1, 133), at(1, 200), at(2, 133), at(9, 9)),
      std::tuple(0xff000000u, 0xffff0000u, 0xff0000ffu, 0xff0000ffu, 0xffff0000u, 0xffffffffu));
  EXPECT_EQ(std::count(family.pixels(), family.pixels() + 668 * 268, 0xff000000u),
            std::count(first.pixels(), first.pixels() + 668 * 268, 0xff000000u));
}

// A family's legend over the picture in whole pixels and the window's
// letters, written as PNG and read back by another decoder. The box spans
// 594..660 x 6..60 (9 cells of 6 pixels, 6 of padding each side); the
// swatches 599..620 on rows 32-33 and 46-47; text from 600 on baseline 23,
// from 626 on 37 and 51, where "日", which the font lacks, is an empty box.
TEST(GraphPicture, PngHoldsThePictureAsShownWithTheLegendOverIt) {
  GraphPicture p = framedGraph();
  p.drawPoint(9675, 600);  // (645, 40), under the legend
  p.setLegend({{std::nullopt, "jerkAccel"}, {0xff1f77b4, "0"}, {0xffd62728, "\xe6\x97\xa5"}});
  const test::PngPixels png = test::decodePng(graphPngBytes(p));
  ASSERT_EQ(std::pair(png.width, png.height), std::pair(668, 268));
  const std::tuple<int, int, std::uint32_t> pixels[] = {
      // clang-format off
      {0, 66, 0}, {1, 133, 0}, {6, 0, 0}, {594, 6, 0}, {660, 60, 0}, {661, 60, 0xffffff},
      {594, 61, 0xffffff}, {645, 40, 0xffffff}, {599, 32, 0x1f77b4}, {620, 33, 0x1f77b4},
      {621, 33, 0xffffff}, {598, 32, 0xffffff}, {599, 31, 0xffffff}, {599, 47, 0xd62728},
      {601, 23, 0x383838}, {628, 27, 0x1e1e1e}, {627, 42, 0}, {636, 51, 0}, {630, 45, 0xffffff}};
  // clang-format on
  for (const auto& [x, y, rgb] : pixels) EXPECT_EQ(png.at(x, y), rgb) << x << "," << y;
}

// On a screen at 150 % or 200 % the drawing is placed at device resolution,
// each mark a pixel of the picture wide (two device pixels): twip 8 lies in
// device pixel 1 at 200 % (8 x 2 / 15 = 1.07) where doubling the picture
// would put it in 0; the time axis at 3950 twips in device rows 526 and 527.
TEST(GraphPicture, DrawsAtDeviceResolutionOnScaledScreens) {
  GraphPicture p;
  p.drawLine(0, 3950, 9990, 3950);
  p.drawPoint(8, 8);
  p.drawPoint(5000, 100);
  const GraphPicture::Raster same = p.rasterAt(1.0);
  EXPECT_TRUE(std::equal(same.pixels.begin(), same.pixels.end(), p.pixels()));
  p.drawPoint(5001, 100);
  p.drawPoint(5001, 160);  // one column, drawn as a stroke from 100 to 160
  const auto inkedAt = [](const GraphPicture::Raster& r, int x, int y) {
    return r.pixels[std::size_t(y * r.width + x)] != 0xffffffffu;
  };
  const GraphPicture::Raster twice = p.rasterAt(2.0);
  EXPECT_EQ(twice.width * 1000 + twice.height, 1336 * 1000 + 536);
  Pixels point;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if (inkedAt(twice, x, y)) point.emplace_back(x, y);
  EXPECT_EQ(point, block(1, 1, 2, 2));
  for (int y = 524; y < 530; ++y) EXPECT_EQ(inkedAt(twice, 700, y), y == 526 || y == 527) << y;
  for (int y = 12; y < 24; ++y) EXPECT_EQ(inkedAt(twice, 667, y), y >= 13 && y <= 22) << y;
  const GraphPicture::Raster half = p.rasterAt(1.5);  // 1002 x 402, marks two device pixels
  EXPECT_EQ(half.width * 1000 + half.height, 1002 * 1000 + 402);
  for (int y = 393; y < 399; ++y) EXPECT_EQ(inkedAt(half, 700, y), y == 395 || y == 396) << y;
}

// A screen's canvas inked as the drawing is made holds, at every scale, what
// the finished drawing inks: at 100 % the picture's pixels, else its marks at
// device resolution; also for columns that grow up and down, run out of the
// picture and come back, and after the picture is cleared.
TEST(GraphPicture, ACanvasInkedAsItIsDrawnHoldsTheFinishedDrawing) {
  for (const double scale : {1.0, 1.25, 1.5, 2.0}) {
    const GraphPicture::Raster ground = GraphPicture().rasterAt(scale);
    GraphPicture p;
    p.drawPoint(3, 3);  // before the canvas: inked by inkOnto
    std::vector<GraphPicture::Pixel> canvas = ground.pixels;
    const GraphPicture::Canvas c{canvas.data(), ground.width, ground.height, ground.width, scale};
    p.inkOnto(c);
    p.inkAlsoOnto(c);
    p.drawLine(0, 3950, 9990, 3950);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> y(-400.0f, 4400.0f);
    for (int x = 0; x < 3000; x += 7)
      for (int k = 0; k < 1 + x % 5; ++k) p.drawPoint(float(x), y(random));
    const auto holdsTheDrawing = [&] {
      return scale == 1.0 ? std::equal(canvas.begin(), canvas.end(), p.pixels())
                          : canvas == p.rasterAt(scale).pixels;
    };
    EXPECT_TRUE(holdsTheDrawing()) << scale;
    p.clearGraph();
    std::fill(canvas.begin(), canvas.end(), 0xffffffffu);
    p.drawPoint(40, 80);
    p.drawPoint(40, 40);
    EXPECT_TRUE(holdsTheDrawing()) << scale;
  }
}

// A family's SVG keeps of a curve only the points that change what is
// drawn: every plotted point within a tenth of a pixel (1.5 twips) of the
// reduced path, a curve, a step, a column and a saw alike.
TEST(GraphPicture, AReducedCurveStaysWithinATenthOfAPixelOfEveryPoint) {
  GraphPicture p;
  std::vector<std::pair<double, double>> points;
  for (int x = 0; x <= 9000; ++x) {
    const double y = 3000 - 3e-5 * x * x + (x > 6000 ? 400 : 0) + (x > 8000 ? x % 7 : 0);
    // At x 4500 a column goes up, down past its start and back up.
    for (const double dy :
         x == 4500 ? std::vector{0.0, -1500.0, 500.0, -500.0} : std::vector{0.0}) {
      p.drawPoint(float(x), float(y + dy));
      points.emplace_back(x, float(y + dy));
    }
  }
  const std::string d = p.curve(GraphPicture::CurveForm::Path).path;
  const std::regex vertex(R"([ML](-?[\d.]+) (-?[\d.]+))");
  std::vector<std::pair<double, double>> path;
  for (std::sregex_iterator it(d.begin(), d.end(), vertex), end; it != end; ++it)
    path.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
  EXPECT_GT(path.size(), 2 * 1000u / 7);  // both corners of every tooth of the saw
  EXPECT_LT(path.size(), 400u);           // out of 9001 points
  for (const auto& [x, y] : points) {
    double nearest = 1e9;
    for (std::size_t i = 1; i < path.size(); ++i) {
      const auto [ax, ay] = path[i - 1];
      const double dx = path[i].first - ax, dy = path[i].second - ay, length = dx * dx + dy * dy;
      const double t =
          length > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / length, 0.0, 1.0) : 0;
      nearest = std::min(nearest, std::hypot(ax + t * dx - x, ay + t * dy - y));
    }
    ASSERT_LE(nearest, 1.51) << x << " " << y;
  }
}

}  // namespace
}  // namespace tarvex
