// The batch runner's speed graph: drawn into the picture the window shows,
// for --plot, and for --points and --trace every plotted point written to
// its file as the run hands it over. The files are created before the run, so that a path
// that cannot be written is known before a long run rather than after it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "Conversions.h"
#include "GraphPicture.h"
#include "OutputFile.h"
#include "TraceCsv.h"

namespace tarvex::batch {

class BatchGraph final : public GraphSurface, public TraceSink {
 public:
  // A points file or a trace ends at this many points; a run that plots
  // more (a time scale that plots every tick of a long run) fails the file
  // there rather than fill the disk. 10,000,000 lines of points take at most
  // about 200 MB, of the trace about 600 MB.
  static constexpr std::int64_t kPointsLimit = 10000000;

  // Creates or empties the files that are asked for; openError() tells
  // whether that failed. A file that could not be created is a failed
  // output like one that could not be written: its finish says why.
  BatchGraph(const std::optional<std::filesystem::path>& pointsPath,
             const std::optional<std::filesystem::path>& plotPath,
             const std::optional<std::filesystem::path>& tracePath = std::nullopt,
             std::int64_t pointsLimit = kPointsLimit);
  ~BatchGraph() override;
  BatchGraph(const BatchGraph&) = delete;
  BatchGraph& operator=(const BatchGraph&) = delete;

  void clearGraph() override { picture_.clearGraph(); }
  void drawLine(float x1, float y1, float x2, float y2) override {
    picture_.drawLine(x1, y1, x2, y2);
  }
  void drawPoint(float x, float y) override { picture_.drawPoint(x, y); }
  void setSpeedAxisCaption(std::string_view caption) override {
    picture_.setSpeedAxisCaption(caption);
  }
  void setTimeAxisCaption(std::string_view caption) override {
    picture_.setTimeAxisCaption(caption);
  }
  // The points are kept when a plot, the points or the trace are asked for.
  bool keepsPoints() const override {
    return !plotPath_.empty() || !pointsPath_.empty() || !tracePath_.empty();
  }

  // A point plotted: its place to the points file, its values to the trace.
  void pointPlotted(const PlottedPoint& point) override;
  void runEnded(const TracePoint& end, std::int32_t range) override {
    if (trace_) trace_->runEnded(end, range);
  }

  // Why a file could not be created, if one could not.
  const std::string& openError() const { return openError_; }
  // Close the points file and the trace; each returns what went wrong with
  // it, if anything.
  std::string finishPoints();
  std::string finishTrace();
  // Writes the picture to the plot file, .svg or .png by its extension,
  // and closes it; returns what went wrong, if anything.
  std::string finishPlot();

 private:
  // A point to the trace, or the trace's end at its limit.
  void tracePoint(const PlottedPoint& point);
  // A point not where the last one was (or the first, or one past the
  // limit): its line into the buffer.
  void pointAtANewPlace(const PlottedPoint& point);
  // Writes the points kept so far to the file; false, and the file closed
  // with the error, if that fails.
  bool writePendingPoints();
  // Puts the lines of the last point not yet in the buffer into it, writing
  // the buffer whenever it fills; false as writePendingPoints.
  bool putRepeatedLines();
  // Writes the buffer's first `bytes` to the file; false as writePendingPoints.
  bool writeBuffer(std::size_t bytes);

  // The points file is written this many bytes at a time, from one
  // buffer made when the file is created.
  static constexpr std::size_t kPendingPointsBytes = 64 * 1024;
  // The longest line of the points file: "x y" and the line end.
  static constexpr std::size_t kPointLineBytes = 2 * kShortestTextMax + 2;

  GraphPicture picture_;
  std::filesystem::path pointsPath_, plotPath_, tracePath_;
  std::FILE* points_ = nullptr;
  std::FILE* plot_ = nullptr;
  std::int64_t pointsLimit_;
  std::int64_t pointsWritten_ = 0;
  std::string pointsError_;
  std::string plotError_;
  // The points not yet written, from the start of the buffer; the line of
  // the last point, where that point lies and how many of its lines are
  // not yet in the buffer.
  std::string pendingPoints_;
  std::size_t pendingBytes_ = 0;
  char lastLine_[kPointLineBytes] = {};
  std::size_t lastLineBytes_ = 0;
  PlottedPoint lastPoint_{};
  std::int64_t repeatedLines_ = 0;
  std::string openError_;
  std::unique_ptr<TraceCsvFile> trace_;
  std::int64_t traceWritten_ = 0;
  std::string traceError_;
};

// Creates or empties an output file; nullptr and, unless `error` already
// holds one, the reason in `error` if it cannot.
std::FILE* createOutputFile(const std::filesystem::path& path, Output output, std::string& error);

// Writes a picture into `file`, made for `path`: .png or .svg by
// the extension; closes the file and returns the error.
std::string writePictureInto(std::FILE* file, const std::filesystem::path& path,
                             const GraphPicture& picture);

// ".svg" or ".png" in lower case, whatever the case of the path's extension.
std::string plotFormat(const std::filesystem::path& path);

}  // namespace tarvex::batch
