#include "GraphExport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <utility>

#include "Conversions.h"
#include "GraphPng.h"
#include "OutputFile.h"

namespace tarvex::batch {
namespace {

// Whether two points lie at the same place, their texts being the same
// ("-0" is not "0").
bool samePlace(const PlottedPoint& a, const PlottedPoint& b) {
  return std::memcmp(&a.x, &b.x, sizeof a.x) == 0 && std::memcmp(&a.y, &b.y, sizeof a.y) == 0;
}

// Creates the file if there is a path; why it could not goes to `failure`,
// and the first failure, named by the output's role, to `error`.
std::FILE* create(const std::optional<std::filesystem::path>& path, Output output, const char* role,
                  std::string& failure, std::string& error) {
  if (!path) return nullptr;
  std::FILE* file = createOutputFile(*path, output, failure);
  if (error.empty() && !failure.empty()) error = role + (": " + failure);
  return file;
}

}  // namespace

std::FILE* createOutputFile(const std::filesystem::path& path, Output output, std::string& error) {
  errno = 0;
  std::FILE* file = openForWriting(path, output);
  if (file == nullptr && error.empty())
    error = "cannot create " + pathText(path) + ": " + fileErrorReason(errno);
  return file;
}

std::string writePictureInto(std::FILE* file, const std::filesystem::path& path,
                             const GraphPicture& picture) {
  if (plotFormat(path) == ".png") {
    const std::string png = graphPngBytes(picture);
    if (png.empty()) {
      std::fclose(file);
      return "cannot encode " + pathText(path) + " as PNG";
    }
    return writeAndClose(file, path, png);
  }
  return writeAndClose(file, path, picture.toSvg());
}

std::string plotFormat(const std::filesystem::path& path) {
  const std::u8string ext = path.extension().u8string();
  std::string lower(ext.begin(), ext.end());
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

BatchGraph::BatchGraph(const std::optional<std::filesystem::path>& pointsPath,
                       const std::optional<std::filesystem::path>& plotPath,
                       const std::optional<std::filesystem::path>& tracePath,
                       std::int64_t pointsLimit)
    : pointsPath_(pointsPath.value_or(std::filesystem::path())),
      plotPath_(plotPath.value_or(std::filesystem::path())),
      pointsLimit_(pointsLimit) {
  points_ = create(pointsPath, Output::Points, "the points file", pointsError_, openError_);
  if (points_ != nullptr) pendingPoints_.resize(kPendingPointsBytes + kPointLineBytes);
  plot_ = create(plotPath, Output::Plot, "the plot", plotError_, openError_);
  if (tracePath) {
    tracePath_ = *tracePath;
    trace_ = std::make_unique<TraceCsvFile>(*tracePath, Output::Trace);
    if (openError_.empty() && !trace_->error().empty())
      openError_ = "the trace: " + trace_->error();
  }
}

BatchGraph::~BatchGraph() {
  if (points_ != nullptr) std::fclose(points_);
  if (plot_ != nullptr) std::fclose(plot_);
}

void BatchGraph::pointPlotted(const PlottedPoint& point) {
  if (trace_) tracePoint(point);
  if (points_ == nullptr) return;
  // A run that plots many points plots most of them where the one before
  // was (at the graph's right edge, at a steady speed): their lines are
  // counted, and put into the buffer together.
  if (pointsWritten_ > 0 && pointsWritten_ < pointsLimit_ && samePlace(point, lastPoint_)) {
    ++repeatedLines_;
    ++pointsWritten_;
    return;
  }
  pointAtANewPlace(point);
}

void BatchGraph::tracePoint(const PlottedPoint& point) {
  if (traceWritten_++ < pointsLimit_) {
    trace_->pointPlotted(point);
    return;
  }
  traceError_ = trace_->finish();
  if (traceError_.empty())
    traceError_ = "cannot write " + pathText(tracePath_) + ": the run plots more than " +
                  std::to_string(pointsLimit_) + " points, the most a trace takes";
  trace_.reset();
}

void BatchGraph::pointAtANewPlace(const PlottedPoint& point) {
  if (pointsWritten_ == pointsLimit_) {
    if (!writePendingPoints()) return;
    pointsError_ = "cannot write " + pathText(pointsPath_) + ": the run plots more than " +
                   std::to_string(pointsLimit_) + " points, the most a points file takes";
    std::fclose(points_);
    points_ = nullptr;
    return;
  }
  if (!putRepeatedLines()) return;
  // Shortest text that reads back as the same single-precision value.
  char* end = putShortestText(lastLine_, point.x);
  *end++ = ' ';
  end = putShortestText(end, point.y);
  *end++ = '\n';
  lastLineBytes_ = static_cast<std::size_t>(end - lastLine_);
  lastPoint_ = point;
  repeatedLines_ = 1;
  ++pointsWritten_;
}

bool BatchGraph::putRepeatedLines() {
  while (repeatedLines_ > 0) {
    const std::size_t room = (pendingPoints_.size() - pendingBytes_) / lastLineBytes_;
    const std::size_t lines = std::min(room, static_cast<std::size_t>(repeatedLines_));
    // One line, then the lines so far copied after them until they are all
    // there.
    char* const first = pendingPoints_.data() + pendingBytes_;
    const std::size_t bytes = lines * lastLineBytes_;
    std::memcpy(first, lastLine_, lastLineBytes_);
    for (std::size_t done = lastLineBytes_; done < bytes; done *= 2)
      std::memcpy(first + done, first, std::min(done, bytes - done));
    pendingBytes_ += bytes;
    repeatedLines_ -= static_cast<std::int64_t>(lines);
    if (pendingBytes_ >= kPendingPointsBytes && !writeBuffer(kPendingPointsBytes)) return false;
  }
  return true;
}

bool BatchGraph::writePendingPoints() {
  return putRepeatedLines() && writeBuffer(pendingBytes_);
}

// Writes the first `bytes` of the buffer and keeps the rest for the next
// write: whole blocks of the buffer's size go to the file as they are, on
// the disk's page boundaries, without being copied again on the way.
bool BatchGraph::writeBuffer(std::size_t bytes) {
  errno = 0;
  const bool written = std::fwrite(pendingPoints_.data(), 1, bytes, points_) == bytes;
  std::memmove(pendingPoints_.data(), pendingPoints_.data() + bytes, pendingBytes_ - bytes);
  pendingBytes_ -= bytes;
  if (written) return true;
  pointsError_ = "cannot write " + pathText(pointsPath_) + ": " + fileErrorReason(errno);
  std::fclose(points_);
  points_ = nullptr;
  return false;
}

std::string BatchGraph::finishPoints() {
  if (points_ != nullptr && writePendingPoints()) {
    pointsError_ = writeAndClose(points_, pointsPath_, {});
    points_ = nullptr;
  }
  return pointsError_;
}

std::string BatchGraph::finishTrace() {
  if (trace_) {
    traceError_ = trace_->finish();
    trace_.reset();
  }
  return traceError_;
}

std::string BatchGraph::finishPlot() {
  if (plot_ == nullptr) return plotError_;
  return writePictureInto(std::exchange(plot_, nullptr), plotPath_, picture_);
}

}  // namespace tarvex::batch
