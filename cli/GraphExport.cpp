#include "GraphExport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <system_error>

#include "OutputFile.h"
#include "TickEngine.h"

#ifdef TARVEX_HAVE_QT_GUI
#include "GraphPng.h"
#endif

namespace tarvex::batch {
namespace {

std::string systemMessage(int error) {
  return std::generic_category().message(error != 0 ? error : EIO);
}

}  // namespace

std::string plotFormat(const std::filesystem::path& path) {
  const std::u8string ext = path.extension().u8string();
  std::string lower(ext.begin(), ext.end());
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

BatchGraph::BatchGraph(const std::optional<std::filesystem::path>& pointsPath,
                       const std::optional<std::filesystem::path>& tracePath) {
  if (tracePath) trace_ = std::make_unique<TraceCsvFile>(*tracePath);
  if (!pointsPath) return;
  pointsPath_ = *pointsPath;
  errno = 0;
  points_ = openForWriting(pointsPath_);
  if (points_ == nullptr)
    pointsError_ = "cannot create " + pathText(pointsPath_) + ": " + systemMessage(errno);
}

BatchGraph::~BatchGraph() {
  if (points_ != nullptr) std::fclose(points_);
}

void BatchGraph::drawPoint(float x, float y) {
  picture_.drawPoint(x, y);
  if (trace_ && engine_) trace_->add(tracePointOf(*engine_), engine_->state().params.range);
  if (points_ == nullptr) return;
  // Shortest text that reads back as the same single-precision value.
  char line[64];
  char* end = std::to_chars(line, line + 30, x).ptr;
  *end++ = ' ';
  end = std::to_chars(end, line + 62, y).ptr;
  *end++ = '\n';
  const auto length = static_cast<std::size_t>(end - line);
  if (std::fwrite(line, 1, length, points_) != length) {
    pointsError_ = "cannot write " + pathText(pointsPath_) + ": " + systemMessage(errno);
    std::fclose(points_);
    points_ = nullptr;
  }
}

std::string BatchGraph::finishPoints() {
  if (points_ != nullptr) {
    errno = 0;
    if (std::fclose(points_) != 0 && pointsError_.empty())
      pointsError_ = "cannot write " + pathText(pointsPath_) + ": " + systemMessage(errno);
    points_ = nullptr;
  }
  if (trace_) {
    const std::string traceError = trace_->finish();
    if (!traceError.empty())
      return pointsError_.empty() ? traceError : pointsError_ + "; " + traceError;
  }
  return pointsError_;
}

std::string BatchGraph::writePlot(const std::filesystem::path& path) const {
  return writePicture(picture_, path);
}

std::string writePicture(const GraphPicture& picture, const std::filesystem::path& path) {
  const std::string format = plotFormat(path);
  if (format == ".svg") return writeWholeFile(path, picture.toSvg());
#ifdef TARVEX_HAVE_QT_GUI
  if (format == ".png") return writeGraphPng(picture, path);
#endif
  if (format == ".png") return "PNG output needs the build with Qt; use .svg for " + pathText(path);
  return "--plot: the file must end in .svg or .png: " + pathText(path);
}

}  // namespace tarvex::batch
