// The batch runner's speed graph: drawn into the picture the window shows,
// for --plot, and for --points and --trace every point written to its file
// as it is plotted.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "GraphPicture.h"
#include "TraceCsv.h"

namespace tarvex::batch {

class BatchGraph final : public GraphSurface {
 public:
  // Opens the points file, if any; pointsError() tells whether that failed.
  // The trace file, if any, is created too; a failure there is reported by
  // finishPoints(), after the run.
  explicit BatchGraph(const std::optional<std::filesystem::path>& pointsPath,
                      const std::optional<std::filesystem::path>& tracePath = std::nullopt);
  // The engine whose values the trace takes at every plotted point.
  void attach(const TickEngine& engine) { engine_ = &engine; }
  ~BatchGraph() override;
  BatchGraph(const BatchGraph&) = delete;
  BatchGraph& operator=(const BatchGraph&) = delete;

  void clearGraph() override { picture_.clearGraph(); }
  void drawLine(float x1, float y1, float x2, float y2) override {
    picture_.drawLine(x1, y1, x2, y2);
  }
  void drawPoint(float x, float y) override;
  void setSpeedAxisCaption(std::string_view caption) override {
    picture_.setSpeedAxisCaption(caption);
  }
  void setTimeAxisCaption(std::string_view caption) override {
    picture_.setTimeAxisCaption(caption);
  }

  // Why the points file could not be created, if it could not.
  const std::string& pointsError() const { return pointsError_; }
  // Closes the points and trace files; returns what went wrong, if anything.
  std::string finishPoints();
  // Writes the picture, .svg or .png by the extension; returns the error.
  std::string writePlot(const std::filesystem::path& path) const;

 private:
  GraphPicture picture_;
  std::filesystem::path pointsPath_;
  std::FILE* points_ = nullptr;
  std::string pointsError_;
  std::unique_ptr<TraceCsvFile> trace_;
  const TickEngine* engine_ = nullptr;
};

// Writes a picture, .svg or .png by the extension; returns the error.
std::string writePicture(const GraphPicture& picture, const std::filesystem::path& path);

// ".svg" or ".png" in lower case, whatever the case of the path's extension.
std::string plotFormat(const std::filesystem::path& path);

}  // namespace tarvex::batch
