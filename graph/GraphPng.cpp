#include "GraphPng.h"

#include <QBuffer>
#include <QByteArray>

#include "OutputFile.h"

namespace tarvex {

QImage graphImage(const GraphPicture& picture) {
  const QImage view(reinterpret_cast<const uchar*>(picture.pixels()), GraphPicture::kWidth,
                    GraphPicture::kHeight, GraphPicture::kWidth * sizeof(GraphPicture::Pixel),
                    QImage::Format_RGB32);
  return view.copy();
}

std::string graphPngBytes(const GraphPicture& picture) {
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !graphImage(picture).save(&buffer, "PNG")) return {};
  return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}

std::string writeGraphPng(const GraphPicture& picture, const std::filesystem::path& path) {
  const std::string png = graphPngBytes(picture);
  if (png.empty()) return "cannot encode " + pathText(path) + " as PNG";
  return writeWholeFile(path, png);
}

}  // namespace tarvex
