// The graph's picture as a PNG file and as an image for the window, both
// from the same pixels, with a family's legend, if any, drawn over them.
#pragma once

#include <filesystem>
#include <string>

#include <QImage>

#include "GraphPicture.h"

namespace tarvex {

// A copy of the picture's pixels.
QImage graphImage(const GraphPicture& picture);

// Writes an image as a PNG file. Empty when done, else what went wrong.
std::string writePng(const QImage& image, const std::filesystem::path& path);
// The picture as the bytes of a PNG file; empty if encoding failed.
std::string graphPngBytes(const GraphPicture& picture);

// Writes the picture as a PNG file. Empty when done, else what went wrong.
std::string writeGraphPng(const GraphPicture& picture, const std::filesystem::path& path);

}  // namespace tarvex
