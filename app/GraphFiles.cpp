#include "GraphFiles.h"

#include <map>

#include <QBuffer>
#include <QList>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>

namespace tarvex::window {
namespace {

QString fileError(const QSaveFile& file) {
  return QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
}

}  // namespace

QString saveGraphPng(const QImage& graph, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return fileError(file);
  if (!graph.save(&file, "PNG")) {
    file.cancelWriting();
    return QStringLiteral("%1: PNG を書き出せません").arg(path);
  }
  if (!file.commit()) return fileError(file);
  return {};
}

QString saveGraphSvg(const QImage& graph, const QString& path) {
  const QImage image = graph.convertToFormat(QImage::Format_RGB32);
  const QRgb ground = qRgb(255, 255, 255);  // the picture's background

  // Runs of equal pixels, row by row, gathered by colour so that each colour
  // is written once with all its rectangles.
  std::map<QRgb, QList<QRect>> runs;
  for (int y = 0; y < image.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width();) {
      const QRgb colour = row[x];
      int end = x + 1;
      while (end < image.width() && row[end] == colour) ++end;
      if (colour != ground) runs[colour].append(QRect(x, y, end - x, 1));
      x = end;
    }
  }

  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(image.size());
  svg.setViewBox(QRect(QPoint(0, 0), image.size()));
  svg.setTitle(QStringLiteral("速度/時間 グラフ"));
  svg.setDescription(QStringLiteral("Tarvex 加減速波形シミュレーション"));
  QPainter painter;
  if (!painter.begin(&svg)) return QStringLiteral("%1: SVG を作成できません").arg(path);
  painter.setPen(Qt::NoPen);
  painter.fillRect(QRect(QPoint(0, 0), image.size()), QColor(ground));
  for (const auto& [colour, rects] : runs) {
    painter.setBrush(QColor(colour));
    painter.drawRects(rects.constData(), static_cast<int>(rects.size()));
  }
  painter.end();

  // The generator gives the size in millimetres, which viewers turn into
  // pixels each at its own resolution; one unit of the view box is one pixel
  // of the picture, so the size is given in pixels.
  QString text = QString::fromUtf8(buffer.data());
  static const QRegularExpression size(QStringLiteral(R"(<svg width="[^"]*" height="[^"]*")"));
  text.replace(
      size,
      QStringLiteral(R"(<svg width="%1" height="%2")").arg(image.width()).arg(image.height()));

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return fileError(file);
  const QByteArray data = text.toUtf8();
  if (file.write(data) != data.size()) {
    file.cancelWriting();
    return fileError(file);
  }
  if (!file.commit()) return fileError(file);
  return {};
}

}  // namespace tarvex::window
