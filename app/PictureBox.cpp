#include "PictureBox.h"

#include <exception>

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

#include "GraphPng.h"
#include "OutputFile.h"
#include "QtText.h"

namespace tarvex::window {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFixedSize(GraphPicture::kWidth, GraphPicture::kHeight);
}

void PictureBox::clear() {
  picture_.clearGraph();
  changed();
}

void PictureBox::drawLine(float x1, float y1, float x2, float y2) {
  picture_.drawLine(x1, y1, x2, y2);
  changed();
}

void PictureBox::drawPoint(float x, float y) {
  picture_.drawPoint(x, y);
  changed();
}

QImage PictureBox::image() const {
  return graphImage(picture_);
}

void PictureBox::changed() {
  // One repaint request until the picture has been painted: the window
  // repaints at its own pace however fast a run draws.
  if (updatePending_) return;
  updatePending_ = true;
  update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  updatePending_ = false;
  const QImage view(reinterpret_cast<const uchar*>(picture_.pixels()), GraphPicture::kWidth,
                    GraphPicture::kHeight, GraphPicture::kWidth * sizeof(GraphPicture::Pixel),
                    QImage::Format_RGB32);
  QPainter painter(this);
  painter.drawImage(event->rect(), view, event->rect());
}

void PictureBox::contextMenuEvent(QContextMenuEvent* event) {
  // During a run the window handles events only between two steps of the
  // run; a menu or a file dialog there would hold the run up.
  if (runActive_) return;
  try {
    offerSaving(event->globalPos());
  } catch (const std::exception&) {
    // Out of memory for the menu or the copy: nothing is saved.
  }
}

void PictureBox::offerSaving(const QPoint& where) {
  QMenu menu(this);
  QAction* png = menu.addAction(QStringLiteral("グラフを PNG 形式で保存(&P)..."));
  QAction* svg = menu.addAction(QStringLiteral("グラフを SVG 形式で保存(&S)..."));
  const QAction* chosen = menu.exec(where);
  if (chosen == png) saveAs(QStringLiteral("png"));
  if (chosen == svg) saveAs(QStringLiteral("svg"));
}

void PictureBox::saveAs(const QString& format) {
  const QString filter = format == QLatin1String("png") ? QStringLiteral("PNG 画像 (*.png)")
                                                        : QStringLiteral("SVG 画像 (*.svg)");
  QString name = QFileDialog::getSaveFileName(this, QStringLiteral("グラフの保存"),
                                              QStringLiteral("graph.") + format, filter);
  if (name.isEmpty()) return;
  if (!name.endsWith(QLatin1Char('.') + format, Qt::CaseInsensitive))
    name += QLatin1Char('.') + format;
  const std::filesystem::path path = toPath(name);
  const std::string error = format == QLatin1String("png") ? writeGraphPng(picture_, path)
                                                           : writeWholeFile(path, picture_.toSvg());
  if (!error.empty())
    QMessageBox::warning(
        this, QStringLiteral("グラフの保存"),
        QStringLiteral("グラフを保存できませんでした。\n\n%1").arg(fromUtf8(error)));
}

}  // namespace tarvex::window
