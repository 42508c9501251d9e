// PNG files of the graph's picture: the pixels the window shows, legend and
// all, by one encoder on every platform, without Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "GraphPicture.h"

namespace tarvex {

// Pixels as 0xAARRGGBB, row by row, `stride` pixels from the start of one
// row to the next, as the bytes of a PNG file of their colours (the alpha
// is left out); empty if encoding failed.
std::string pngBytes(const std::uint32_t* pixels, int width, int height, std::size_t stride);

// The picture as shown (GraphPicture::shownPixels) as the bytes of a PNG
// file; empty if encoding failed.
std::string graphPngBytes(const GraphPicture& picture);

// Writes the picture as shown as a PNG file. Empty when done, else what went
// wrong.
std::string writeGraphPng(const GraphPicture& picture, const std::filesystem::path& path);

}  // namespace tarvex
