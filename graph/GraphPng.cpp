#include "GraphPng.h"

#include <vector>

#include "OutputFile.h"

// The encoder is a single header; its code is compiled here, for this file
// only, without its file functions: the bytes go to the project's own file
// writing, which handles every path and reports every failure.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace tarvex {
namespace {

void appendTo(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                             static_cast<std::size_t>(size));
}

}  // namespace

std::string pngBytes(const std::uint32_t* pixels, int width, int height, std::size_t stride) {
  std::vector<unsigned char> rgb;
  rgb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x)
      for (const int shift : {16, 8, 0}) rgb.push_back(static_cast<unsigned char>(row[x] >> shift));
  }
  std::string png;
  if (stbi_write_png_to_func(appendTo, &png, width, height, 3, rgb.data(), width * 3) == 0)
    return {};
  return png;
}

std::string graphPngBytes(const GraphPicture& picture) {
  const std::vector<GraphPicture::Pixel> pixels = picture.shownPixels();
  return pngBytes(pixels.data(), GraphPicture::kWidth, GraphPicture::kHeight, GraphPicture::kWidth);
}

std::string writeGraphPng(const GraphPicture& picture, const std::filesystem::path& path) {
  const std::string png = graphPngBytes(picture);
  if (png.empty()) return "cannot encode " + pathText(path) + " as PNG";
  return writeWholeFile(path, png);
}

}  // namespace tarvex
