#include "GraphPicture.h"

#include <cmath>
#include <cstdlib>
#include <exception>

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

#include "FormLayout.h"
#include "GraphFiles.h"

namespace tarvex::window {
namespace {

const QRgb kGround = qRgb(255, 255, 255);  // window background
const QRgb kInk = qRgb(0, 0, 0);           // window text

// The pixel holding a twip coordinate, or false when it lies beyond any
// pixel the picture could have.
bool pixelOf(float twips, int& pixel) {
  const double p = std::floor(static_cast<double>(twips) / kTwipsPerPixel);
  if (!(p >= -1.0e6 && p <= 1.0e6)) return false;  // also rejects NaN
  pixel = static_cast<int>(p);
  return true;
}

}  // namespace

GraphPicture::GraphPicture(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  image_ = QImage(0, 0, QImage::Format_RGB32);
}

void GraphPicture::fitImage() const {
  if (image_.size() == size()) return;
  QImage resized(size(), QImage::Format_RGB32);
  resized.fill(kGround);
  QPainter painter(&resized);
  painter.drawImage(0, 0, image_);
  painter.end();
  image_ = resized;
}

const QImage& GraphPicture::image() const {
  fitImage();
  return image_;
}

void GraphPicture::clear() {
  fitImage();
  image_.fill(kGround);
  changed();
}

void GraphPicture::setPixel(int x, int y) {
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
  reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = kInk;
}

void GraphPicture::drawPoint(float x, float y) {
  int px = 0, py = 0;
  if (!pixelOf(x, px) || !pixelOf(y, py)) return;
  fitImage();
  setPixel(px, py);
  changed();
}

void GraphPicture::drawLine(float x1, float y1, float x2, float y2) {
  int ax = 0, ay = 0, bx = 0, by = 0;
  if (!pixelOf(x1, ax) || !pixelOf(y1, ay) || !pixelOf(x2, bx) || !pixelOf(y2, by)) return;
  fitImage();
  // Bresenham between the two end pixels.
  const int dx = std::abs(bx - ax), sx = ax < bx ? 1 : -1;
  const int dy = -std::abs(by - ay), sy = ay < by ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    setPixel(ax, ay);
    if (ax == bx && ay == by) break;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      ax += sx;
    }
    if (twice <= dx) {
      error += dx;
      ay += sy;
    }
  }
  changed();
}

void GraphPicture::changed() {
  // One repaint request until the picture has been painted: the window
  // repaints at its own pace however fast a run draws.
  if (updatePending_) return;
  updatePending_ = true;
  update();
}

void GraphPicture::paintEvent(QPaintEvent* event) {
  updatePending_ = false;
  fitImage();
  QPainter painter(this);
  painter.drawImage(event->rect(), image_, event->rect());
}

void GraphPicture::contextMenuEvent(QContextMenuEvent* event) {
  // During a run the window handles events only between two steps of the
  // run; a menu or a file dialog there would hold the run up.
  if (runActive_) return;
  try {
    offerSaving(event->globalPos());
  } catch (const std::exception&) {
    // Out of memory for the menu or the copy: nothing is saved.
  }
}

void GraphPicture::offerSaving(const QPoint& where) {
  QMenu menu(this);
  QAction* png = menu.addAction(QStringLiteral("グラフを PNG 形式で保存(&P)..."));
  QAction* svg = menu.addAction(QStringLiteral("グラフを SVG 形式で保存(&S)..."));
  const QAction* chosen = menu.exec(where);
  if (chosen == png) saveAs(QStringLiteral("png"));
  if (chosen == svg) saveAs(QStringLiteral("svg"));
}

void GraphPicture::saveAs(const QString& format) {
  const QString filter = format == QLatin1String("png") ? QStringLiteral("PNG 画像 (*.png)")
                                                        : QStringLiteral("SVG 画像 (*.svg)");
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("グラフの保存"),
                                              QStringLiteral("graph.") + format, filter);
  if (path.isEmpty()) return;
  if (!path.endsWith(QLatin1Char('.') + format, Qt::CaseInsensitive))
    path += QLatin1Char('.') + format;
  // The image is copied: nothing drawn while the file is written can change it.
  const QImage graph = image();
  const QString error =
      format == QLatin1String("png") ? saveGraphPng(graph, path) : saveGraphSvg(graph, path);
  if (!error.isEmpty())
    QMessageBox::warning(this, QStringLiteral("グラフの保存"),
                         QStringLiteral("グラフを保存できませんでした。\n\n%1").arg(error));
}

}  // namespace tarvex::window
