// The speed graph as a 96-dpi screen shows it: 15 twips to a pixel, black
// ink on white, one pixel per plotted point. A drawing surface of its own,
// so that however many points a run plots, the picture stays the same size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SpeedGraph.h"

namespace tarvex {

class GraphPixels final : public GraphSurface {
 public:
  static constexpr int kTwipsPerPixel = 15;
  // The graph area, 10010 x 4010 twips.
  static constexpr int kWidth = (10010 + kTwipsPerPixel - 1) / kTwipsPerPixel;
  static constexpr int kHeight = (4010 + kTwipsPerPixel - 1) / kTwipsPerPixel;

  GraphPixels() : ink_(static_cast<std::size_t>(kWidth) * kHeight, 0) {}

  // Anything outside the area is cut.
  void clearGraph() override;
  void drawLine(float x1, float y1, float x2, float y2) override;
  void drawPoint(float x, float y) override { set(x, y); }
  void setSpeedAxisCaption(std::string_view) override {}
  void setTimeAxisCaption(std::string_view) override {}

  bool ink(int x, int y) const { return ink_[static_cast<std::size_t>(y) * kWidth + x] != 0; }
  std::int64_t inkedPixels() const;

  // An SVG of kWidth x kHeight pixels, one unit square per inked pixel.
  std::string toSvg() const;

 private:
  void set(double twipX, double twipY);

  std::vector<std::uint8_t> ink_;
};

}  // namespace tarvex
