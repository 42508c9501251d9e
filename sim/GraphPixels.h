// The speed graph as a 96-dpi screen shows it: 15 twips to a pixel, black
// ink on white, one pixel per plotted point. The batch runner turns it into
// SVG or PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "GraphRecorder.h"

namespace tarvex {

class GraphPixels {
 public:
  static constexpr int kTwipsPerPixel = 15;
  // The graph area, 10010 x 4010 twips.
  static constexpr int kWidth = (10010 + kTwipsPerPixel - 1) / kTwipsPerPixel;
  static constexpr int kHeight = (4010 + kTwipsPerPixel - 1) / kTwipsPerPixel;

  // Rasterises the frame and the points; anything outside the area is cut.
  explicit GraphPixels(const GraphRecorder& graph);

  bool ink(int x, int y) const { return ink_[static_cast<std::size_t>(y) * kWidth + x] != 0; }
  std::int64_t inkedPixels() const;

  // An SVG of kWidth x kHeight pixels, one unit square per inked pixel.
  std::string toSvg() const;

 private:
  void set(double twipX, double twipY);
  void line(const GraphLine& l);

  std::vector<std::uint8_t> ink_;
};

}  // namespace tarvex
