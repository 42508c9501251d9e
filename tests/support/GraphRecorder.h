// A drawing surface that keeps what is drawn on it: the frame lines, every
// point in order, and the axis captions. For checking a run's drawing; it
// grows with every point, so long runs are better drawn on GraphPixels.
#pragma once

#include <string>
#include <vector>

#include "SpeedGraph.h"

namespace tarvex {

struct GraphPoint {
  float x;
  float y;
};

struct GraphLine {
  float x1, y1, x2, y2;
};

class GraphRecorder final : public GraphSurface {
 public:
  void clearGraph() override {
    lines_.clear();
    points_.clear();
  }
  void drawLine(float x1, float y1, float x2, float y2) override {
    lines_.push_back({x1, y1, x2, y2});
  }
  void drawPoint(float x, float y) override { points_.push_back({x, y}); }
  void setSpeedAxisCaption(std::string_view caption) override { speedCaption_ = caption; }
  void setTimeAxisCaption(std::string_view caption) override { timeCaption_ = caption; }

  const std::vector<GraphLine>& lines() const { return lines_; }
  // The starting point first, then every point plotted during the run.
  const std::vector<GraphPoint>& points() const { return points_; }
  const std::string& speedCaption() const { return speedCaption_; }
  const std::string& timeCaption() const { return timeCaption_; }

 private:
  std::vector<GraphLine> lines_;
  std::vector<GraphPoint> points_;
  std::string speedCaption_;
  std::string timeCaption_;
};

}  // namespace tarvex
