#include "GraphExport.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>

#include "GraphPixels.h"

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

}  // namespace

std::string writePoints(const std::string& path, const GraphRecorder& graph) {
  std::string text;
  text.reserve(graph.points().size() * 16);
  char line[64];
  for (const GraphPoint& p : graph.points()) {
    // Shortest text that reads back as the same single-precision value.
    char* end = std::to_chars(line, line + 30, p.x).ptr;
    *end++ = ' ';
    end = std::to_chars(end, line + 62, p.y).ptr;
    *end++ = '\n';
    text.append(line, static_cast<std::size_t>(end - line));
  }
  return writeText(path, text);
}

std::string writePlot(const std::string& path, const GraphRecorder& graph) {
  const std::string ext = lowerExtension(path);
  if (ext != ".svg" && ext != ".png") return "--plot: the file must end in .svg or .png: " + path;
  const GraphPixels pixels(graph);
  if (ext == ".svg") return writeText(path, pixels.toSvg());
  return writePng(path, pixels);
}

}  // namespace tarvex::batch
