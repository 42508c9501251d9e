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

std::string writeGraphPng(const GraphPicture& picture, const std::filesystem::path& path) {
  return writePng(graphImage(picture), path);
}

std::string writePng(const QImage& image, const std::filesystem::path& path) {
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
    return "cannot encode " + pathText(path) + " as PNG";
  return writeWholeFile(path,
                        std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
}

}  // namespace tarvex
