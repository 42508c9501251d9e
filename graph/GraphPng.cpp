#include "GraphPng.h"

#include <cstdio>

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>

#include "OutputFile.h"

namespace tarvex {
namespace {

// Of Qt's own messages only the severe ones are shown: notes about the
// desktop session the batch runner does without are not for its user.
void severeMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// Text needs a GUI application. The batch runner has none, so it gets one
// that needs no screen; it lasts until the program ends.
void ensureGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  qInstallMessageHandler(severeMessagesOnly);
  static char name[] = "tarvex-batch";
#ifdef _WIN32
  static int argc = 1;
  static char* argv[] = {name, nullptr};
#else
  static char option[] = "-platform", platform[] = "offscreen";
  static int argc = 3;
  static char* argv[] = {name, option, platform, nullptr};
#endif
  new QGuiApplication(argc, argv);
}

QColor colourOf(GraphPicture::Pixel ink) {
  return QColor::fromRgb(ink);
}

// The legend over the picture, in the places GraphPicture gives in twips.
void drawLegend(const GraphPicture& picture, QImage& image) {
  ensureGuiApplication();
  const auto px = [](double twips) { return twips / GraphPicture::kTwipsPerPixel; };
  const GraphPicture::LegendBox box = picture.legendBox();
  QPainter painter(&image);
  const QRectF frame(px(box.left), px(box.top), px(box.right - box.left), px(box.bottom - box.top));
  painter.fillRect(frame, Qt::white);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(frame);
  QFont font;
  font.setFamilies(
      {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic")});
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(static_cast<int>(px(GraphPicture::kLegendFontSize)));
  painter.setFont(font);
  double top = box.innerTop;
  for (const GraphPicture::LegendLine& line : picture.legend()) {
    const double middle = top + GraphPicture::kLegendLineHeight / 2;
    if (line.ink) {
      painter.setPen(QPen(colourOf(*line.ink), 2));
      painter.drawLine(QPointF(px(box.swatchLeft), px(middle)),
                       QPointF(px(box.swatchLeft + GraphPicture::kLegendSwatch), px(middle)));
    }
    painter.setPen(Qt::black);
    painter.drawText(QPointF(px(line.ink ? box.textLeft : box.swatchLeft),
                             px(middle + GraphPicture::kLegendFontSize * 0.35)),
                     QString::fromStdString(line.text));
    top += GraphPicture::kLegendLineHeight;
  }
}

// The image as the bytes of a PNG file; empty if encoding failed.
std::string pngBytes(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return {};
  return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}

}  // namespace

QImage graphImage(const GraphPicture& picture) {
  const QImage view(reinterpret_cast<const uchar*>(picture.pixels()), GraphPicture::kWidth,
                    GraphPicture::kHeight, GraphPicture::kWidth * sizeof(GraphPicture::Pixel),
                    QImage::Format_RGB32);
  QImage image = view.copy();
  if (!picture.legend().empty()) drawLegend(picture, image);
  return image;
}

std::string graphPngBytes(const GraphPicture& picture) {
  return pngBytes(graphImage(picture));
}

std::string writeGraphPng(const GraphPicture& picture, const std::filesystem::path& path) {
  return writePng(graphImage(picture), path);
}

std::string writePng(const QImage& image, const std::filesystem::path& path) {
  const std::string png = pngBytes(image);
  if (png.empty()) return "cannot encode " + pathText(path) + " as PNG";
  return writeWholeFile(path, png);
}

}  // namespace tarvex
