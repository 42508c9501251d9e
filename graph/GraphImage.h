// The graph's picture for the window: an image of exactly the pixels its
// PNG files hold, and the window's other images written by the same encoder.
#pragma once

#include <filesystem>
#include <string>

#include <QImage>

#include "GraphPng.h"

namespace tarvex {

// The picture as shown (GraphPicture::shownPixels).
QImage graphImage(const GraphPicture& picture);

// Writes an image as a PNG file. Empty when done, else what went wrong.
std::string writePng(const QImage& image, const std::filesystem::path& path);

}  // namespace tarvex
