// A PNG file's pixels, read by a decoder of its own, for checking what the
// program wrote pixel by pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex::test {

struct PngPixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB, row by row; empty if unreadable
  std::uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y * width + x)]; }
};

PngPixels decodePng(const std::string& bytes);

}  // namespace tarvex::test
