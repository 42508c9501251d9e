#include "GraphPixels.h"

#include "GraphRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tarvex {
namespace {

int pixelOf(double twips) {
  return static_cast<int>(std::floor(twips / GraphPixels::kTwipsPerPixel));
}

}  // namespace

void GraphPixels::clearGraph() {
  std::fill(ink_.begin(), ink_.end(), std::uint8_t{0});
}

void GraphPixels::set(double twipX, double twipY) {
  if (!std::isfinite(twipX) || !std::isfinite(twipY)) return;
  if (twipX < 0 || twipY < 0) return;
  const int x = pixelOf(twipX), y = pixelOf(twipY);
  if (x >= kWidth || y >= kHeight) return;
  ink_[static_cast<std::size_t>(y) * kWidth + x] = 1;
}

void GraphPixels::drawLine(float x1, float y1, float x2, float y2) {
  // Step through the line a twip at a time along its longer extent.
  const GraphLine l{x1, y1, x2, y2};
  const double dx = l.x2 - l.x1, dy = l.y2 - l.y1;
  const int steps = static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
  for (int i = 0; i <= steps; ++i) {
    const double t = steps == 0 ? 0.0 : static_cast<double>(i) / steps;
    set(l.x1 + dx * t, l.y1 + dy * t);
  }
}

std::int64_t GraphPixels::inkedPixels() const {
  return std::count(ink_.begin(), ink_.end(), std::uint8_t{1});
}

std::string GraphPixels::toSvg() const {
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) +
         "\" height=\"" + std::to_string(kHeight) + "\" viewBox=\"0 0 " + std::to_string(kWidth) +
         " " + std::to_string(kHeight) + "\" shape-rendering=\"crispEdges\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n<path fill=\"#000000\" d=\"";
  // One run of inked pixels per row segment.
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth;) {
      if (!ink(x, y)) {
        ++x;
        continue;
      }
      int end = x;
      while (end < kWidth && ink(end, y)) ++end;
      svg += "M" + std::to_string(x) + " " + std::to_string(y) + "h" + std::to_string(end - x) +
             "v1h-" + std::to_string(end - x) + "z";
      x = end;
    }
  }
  svg += "\"/>\n</svg>\n";
  return svg;
}

}  // namespace tarvex
