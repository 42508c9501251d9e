// The speed graph's picture, as the window's graph area shows it and as the
// batch runner writes it: 668 x 268 pixels of 15 x 15 twips (the 10010 x
// 4010 twips of the graph area, every twip with its pixel), black ink on
// white, a plotted point one pixel, a line every pixel it passes.
//
// The same drawing is also kept as lines, for a vector copy: the frame, the
// axis captions and the curve through the plotted points. However many
// points a run plots, both stay the same size: the curve is kept per run of
// points in one column (x twip), and a run of the graph plots at most one
// column further right per point.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "SpeedGraph.h"

namespace tarvex {

class GraphPicture final : public GraphSurface {
 public:
  static constexpr int kTwipsPerPixel = 15;
  static constexpr int kWidth = 668;
  static constexpr int kHeight = 268;
  // Pixels as 0xAARRGGBB, row by row, kWidth to a row.
  using Pixel = std::uint32_t;
  static constexpr Pixel kGround = 0xffffffff;  // the window's background
  static constexpr Pixel kInk = 0xff000000;     // the window's text colour

  GraphPicture();

  // Whatever lies outside the picture is not drawn, however far out.
  void clearGraph() override;
  void drawLine(float x1, float y1, float x2, float y2) override;
  void drawPoint(float x, float y) override;
  void setSpeedAxisCaption(std::string_view caption) override { speedCaption_ = caption; }
  void setTimeAxisCaption(std::string_view caption) override { timeCaption_ = caption; }

  const Pixel* pixels() const { return pixels_.data(); }
  bool inked(int x, int y) const { return pixels_[index(x, y)] != kGround; }

  // The drawing as an SVG document: the frame and the curve as lines in
  // twips of the picture, clipped to it, and the two axis captions where the
  // window shows them, above the top-left and below the bottom-right corner.
  // `additions` (SVG elements in twips of the picture) are drawn over it, on a
  // canvas `extraBottom` twips taller.
  std::string toSvg(std::string_view additions = {}, int extraBottom = 0) const;

 private:
  // Points plotted one after another in one column: the curve passes from
  // first through every y between low and high to last.
  struct Column {
    float x, first, low, high, last;
  };
  struct Line {
    float x1, y1, x2, y2;
  };

  static std::size_t index(int x, int y) {
    return static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x);
  }
  void inkPixel(double twipX, double twipY);

  std::vector<Pixel> pixels_;
  std::vector<Line> lines_;
  std::vector<Column> curve_;
  std::string speedCaption_;
  std::string timeCaption_;
};

}  // namespace tarvex
