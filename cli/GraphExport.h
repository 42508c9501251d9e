// The batch runner's speed graph: drawn into a picture for --plot and, for
// --points, every point written to its file as it is plotted.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "GraphPixels.h"

namespace tarvex::batch {

class BatchGraph final : public GraphSurface {
 public:
  // Opens the points file, if any; error() tells whether that failed.
  explicit BatchGraph(const std::optional<std::string>& pointsPath);
  ~BatchGraph() override;
  BatchGraph(const BatchGraph&) = delete;
  BatchGraph& operator=(const BatchGraph&) = delete;

  void clearGraph() override { pixels_.clearGraph(); }
  void drawLine(float x1, float y1, float x2, float y2) override {
    pixels_.drawLine(x1, y1, x2, y2);
  }
  void drawPoint(float x, float y) override;
  void setSpeedAxisCaption(std::string_view) override {}
  void setTimeAxisCaption(std::string_view) override {}

  // Why the points file could not be created, if it could not.
  const std::string& pointsError() const { return pointsError_; }
  // Closes the points file; returns what went wrong with it, if anything.
  std::string finishPoints();
  // Writes the picture, .svg or .png by the extension; returns the error.
  std::string writePlot(const std::string& path) const;

 private:
  GraphPixels pixels_;
  std::string pointsPath_;
  std::FILE* points_ = nullptr;
  std::string pointsError_;
};

}  // namespace tarvex::batch
