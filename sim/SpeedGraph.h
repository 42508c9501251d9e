// The speed/time graph: speed counter against ticks, one point every
// plotPeriod ticks, one twip to the right of the last, in twips of the
// picture's inner area (x to the right, y downward).
#pragma once

#include <cstdint>
#include <string_view>

namespace tarvex {

// Where the graph is drawn. The window draws on Picture1 and its two axis
// captions; the batch runner records the drawing for SVG, PNG or a list of
// points. Coordinates are twips, single precision.
class GraphSurface {
 public:
  virtual ~GraphSurface() = default;
  // Erase the whole picture to its background, coordinates in twips.
  virtual void clearGraph() = 0;
  virtual void drawLine(float x1, float y1, float x2, float y2) = 0;
  virtual void drawPoint(float x, float y) = 0;
  // Label21 above the picture's top-left corner, Label22 below its
  // bottom-right corner; each shown at once.
  virtual void setSpeedAxisCaption(std::string_view caption) = 0;
  virtual void setTimeAxisCaption(std::string_view caption) = 0;
  // Whether the points drawn are kept anywhere. Points that are not are only
  // counted, and a run may jump over them.
  virtual bool keepsPoints() const { return true; }
};

// A surface that draws nowhere.
class NullGraphSurface final : public GraphSurface {
 public:
  void clearGraph() override {}
  void drawLine(float, float, float, float) override {}
  void drawPoint(float, float) override {}
  void setSpeedAxisCaption(std::string_view) override {}
  void setTimeAxisCaption(std::string_view) override {}
  bool keepsPoints() const override { return false; }
};

class SpeedGraph {
 public:
  // y of zero speed, y of the time axis, x where the time axis ends.
  static constexpr double kZeroSpeedY = 3949.0;
  static constexpr float kTimeAxisY = 3950.0f;
  static constexpr std::int32_t kLastColumn = 9990;
  // 8,000,000 ticks per second times the 3948 twips of full-scale speed.
  static constexpr double kSpeedScaleNumerator = 31584000000.0;
  // 8,000,000 ticks per second over 9990 columns, to three decimals.
  static constexpr double kTicksPerColumnPerSecond = 800.801;

  explicit SpeedGraph(GraphSurface& surface) : surface_(surface) {}

  // Erases the picture, draws the axes and the two full-scale marks, and
  // captions the axes.
  void frameGraph();

  // Converts the time and speed display maxima (time first), derives
  // plotPeriod and speedScale, and plots the starting point at x = 0.
  // Raises the type-mismatch, overflow or division-by-zero error.
  void beginPlot(std::int32_t range, std::int16_t initialSpeed, std::string_view timeDisplayMax,
                 std::string_view speedDisplayMax);

  // End of every tick: one point every plotPeriod ticks. True when this
  // tick plotted one.
  bool plotTick(std::int16_t speedCounter) {
    if (++plotTickCount_ < plotPeriod_) return false;
    plotPoint(speedCounter);
    return true;
  }

  // How many of the coming ticks, at the speed counter `speedCounter`, can
  // be applied at once by skipTicks: those that end without a point, or
  // every one when the points are only counted (`pointsKept` false) and a
  // point at this speed can be drawn.
  std::int64_t ticksBeforeNextPoint(bool pointsKept, std::int16_t speedCounter) const {
    if (!pointsKept && drawable(plotYFor(speedCounter))) return kEveryTick;
    const std::int64_t quiet = std::int64_t{plotPeriod_} - plotTickCount_ - 1;
    return quiet > 0 ? quiet : 0;
  }
  // The plot steps of `ticks` ticks at the speed counter `speedCounter`: the
  // points among them are counted and the last one's place kept, nothing
  // drawn.
  void skipTicks(std::int64_t ticks, std::int16_t speedCounter);

  std::int32_t plotPeriod() const { return plotPeriod_; }
  double speedScale() const { return speedScale_; }
  std::int32_t plotX() const { return plotX_; }
  double plotY() const { return plotY_; }
  // Points plotted by plotTick; the starting point is not counted.
  std::int64_t pointsPlotted() const { return pointsPlotted_; }

 private:
  static constexpr std::int64_t kEveryTick = std::int64_t{1} << 40;

  void plotPoint(std::int16_t speedCounter);
  void drawPlotPoint();
  double plotYFor(std::int16_t speedCounter) const;
  static bool drawable(double y);

  GraphSurface& surface_;
  std::int32_t plotPeriod_ = 0;
  std::int32_t plotTickCount_ = 0;
  std::int32_t plotX_ = 0;
  double plotY_ = 0.0;
  double speedScale_ = 0.0;
  std::int64_t pointsPlotted_ = 0;
};

}  // namespace tarvex
