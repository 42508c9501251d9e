// The graph as files: PNG and SVG, both pixel for pixel what the picture
// shows.
#pragma once

#include <QImage>
#include <QString>

namespace tarvex::window {

// Each returns an empty string on success, else what went wrong.
QString saveGraphPng(const QImage& graph, const QString& path);
// One rectangle per run of equal pixels in a row, over the background, in a
// view box of the image's size in pixels.
QString saveGraphSvg(const QImage& graph, const QString& path);

}  // namespace tarvex::window
