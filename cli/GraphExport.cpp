#include "GraphExport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <system_error>

#ifdef TARVEX_HAVE_QT_GUI
#include <QImage>
#include <QString>
#endif

namespace tarvex::batch {
namespace {

std::string lowerExtension(const std::string& path) {
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

std::string writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "cannot create " + path;
  out << text;
  out.close();
  if (!out) return "cannot write " + path;
  return {};
}

std::string writePng(const std::string& path, const GraphPixels& pixels) {
#ifdef TARVEX_HAVE_QT_GUI
  QImage image(GraphPixels::kWidth, GraphPixels::kHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 0; y < GraphPixels::kHeight; ++y)
    for (int x = 0; x < GraphPixels::kWidth; ++x)
      if (pixels.ink(x, y)) image.setPixel(x, y, qRgb(0, 0, 0));
  if (!image.save(QString::fromLocal8Bit(path.c_str()), "PNG")) return "cannot write " + path;
  return {};
#else
  (void)pixels;
  return "PNG output needs the build with Qt; use .svg for " + path;
#endif
}

std::string systemMessage(int error) {
  return std::generic_category().message(error);
}

}  // namespace

BatchGraph::BatchGraph(const std::optional<std::string>& pointsPath) {
  if (!pointsPath) return;
  pointsPath_ = *pointsPath;
  errno = 0;
  points_ = std::fopen(pointsPath_.c_str(), "wb");
  if (points_ == nullptr)
    pointsError_ = "cannot create " + pointsPath_ + ": " + systemMessage(errno);
}

BatchGraph::~BatchGraph() {
  if (points_ != nullptr) std::fclose(points_);
}

void BatchGraph::drawPoint(float x, float y) {
  pixels_.drawPoint(x, y);
  if (points_ == nullptr) return;
  // Shortest text that reads back as the same single-precision value.
  char line[64];
  char* end = std::to_chars(line, line + 30, x).ptr;
  *end++ = ' ';
  end = std::to_chars(end, line + 62, y).ptr;
  *end++ = '\n';
  const auto length = static_cast<std::size_t>(end - line);
  if (std::fwrite(line, 1, length, points_) != length) {
    pointsError_ = "cannot write " + pointsPath_ + ": " + systemMessage(errno);
    std::fclose(points_);
    points_ = nullptr;
  }
}

std::string BatchGraph::finishPoints() {
  if (points_ != nullptr) {
    errno = 0;
    if (std::fclose(points_) != 0 && pointsError_.empty())
      pointsError_ = "cannot write " + pointsPath_ + ": " + systemMessage(errno);
    points_ = nullptr;
  }
  return pointsError_;
}

std::string BatchGraph::writePlot(const std::string& path) const {
  const std::string ext = lowerExtension(path);
  if (ext == ".svg") return writeText(path, pixels_.toSvg());
  if (ext == ".png") return writePng(path, pixels_);
  return "--plot: the file must end in .svg or .png: " + path;
}

}  // namespace tarvex::batch
