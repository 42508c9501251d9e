#include "GraphImage.h"

#include <cstdint>
#include <vector>

#include "OutputFile.h"

namespace tarvex {

QImage graphImage(const GraphPicture& picture) {
  const std::vector<GraphPicture::Pixel> pixels = picture.shownPixels();
  const QImage view(reinterpret_cast<const uchar*>(pixels.data()), GraphPicture::kWidth,
                    GraphPicture::kHeight, GraphPicture::kWidth * sizeof(GraphPicture::Pixel),
                    QImage::Format_RGB32);
  return view.copy();
}

std::string writePng(const QImage& image, const std::filesystem::path& path) {
  // Format_RGB32 holds each pixel as 0xffRRGGBB.
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const std::string png =
      pngBytes(reinterpret_cast<const std::uint32_t*>(rgb.constBits()), rgb.width(), rgb.height(),
               static_cast<std::size_t>(rgb.bytesPerLine()) / sizeof(std::uint32_t));
  if (png.empty()) return "cannot encode " + pathText(path) + " as PNG";
  return writeWholeFile(path, png);
}

}  // namespace tarvex
