// The trace of a run: for every point the speed graph plots (the starting
// point first), the values it was drawn from at the end of its tick. The
// graph plots one point every plotPeriod ticks, so the trace grows as the
// graph does, not with every tick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "SpeedGraph.h"

namespace tarvex {

class TickEngine;

struct TracePoint {
  std::int32_t tick;    // ticks completed; 0 for the starting point
  std::int32_t pulses;  // output pulses so far (at most one per tick)
  std::int16_t speedCounter;
  std::int16_t accelCounter;
  std::int8_t state;  // acceleration/deceleration state, 1 to 8
  friend bool operator==(const TracePoint&, const TracePoint&) = default;
};

// The engine's values behind the point plotted at the end of this tick.
TracePoint tracePointOf(const TickEngine& engine);

// Where the points of a trace go: into memory or straight into a file.
class TraceSink {
 public:
  virtual ~TraceSink() = default;
  // `range` is the run's range, for the speed in pulses per second.
  virtual void add(const TracePoint& point, std::int32_t range) = 0;
};

// Draws on `picture` and hands every plotted point, with the engine's values
// at that moment, to `sink`.
class TraceRecorder final : public GraphSurface {
 public:
  TraceRecorder(GraphSurface& picture, TraceSink& sink) : picture_(picture), sink_(sink) {}
  void attach(const TickEngine& engine) { engine_ = &engine; }

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

 private:
  GraphSurface& picture_;
  TraceSink& sink_;
  const TickEngine* engine_ = nullptr;
};

// A trace kept in memory, up to kMaxPoints points (about 32 MB); a longer
// run keeps its first kMaxPoints and says it is incomplete.
class RunTrace final : public TraceSink {
 public:
  static constexpr std::size_t kMaxPoints = std::size_t{1} << 21;

  void add(const TracePoint& point, std::int32_t range) override;
  void clear();

  const std::vector<TracePoint>& points() const { return points_; }
  std::int32_t range() const { return range_; }
  bool complete() const { return dropped_ == 0; }
  // The highest speed counter of the trace, 0 for an empty one.
  std::int16_t peakSpeedCounter() const;

 private:
  std::vector<TracePoint> points_;
  std::int32_t range_ = 0;
  std::int64_t dropped_ = 0;
};

}  // namespace tarvex
