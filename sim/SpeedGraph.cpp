#include "SpeedGraph.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>
#include <vector>

#include "Conversions.h"
#include "ParameterConversion.h"
#include "RunError.h"

namespace tarvex {

void SpeedGraph::frameGraph() {
  surface_.clearGraph();
  const float right = static_cast<float>(kLastColumn);
  surface_.drawLine(1.0f, kTimeAxisY, right, kTimeAxisY);            // time axis
  surface_.drawLine(1.0f, 0.0f, 1.0f, kTimeAxisY);                   // speed axis
  surface_.drawLine(right, kTimeAxisY - 100.0f, right, kTimeAxisY);  // full-scale time mark
  surface_.drawLine(1.0f, 1.0f, 100.0f, 1.0f);                       // full-scale speed mark
  surface_.setSpeedAxisCaption("速度");
  surface_.setTimeAxisCaption("時間");
}

void SpeedGraph::beginPlot(std::int32_t range, std::int16_t initialSpeed,
                           std::string_view timeDisplayMax, std::string_view speedDisplayMax) {
  pointsPlotted_ = 0;
  const double seconds = convertParameter<double>(timeDisplayMax, Parameter::TimeDisplayMax);
  const auto period = doubleToInt32(seconds * kTicksPerColumnPerSecond);
  if (!period.ok()) raiseRunError(RunError::Overflow, Step::PlotPeriod);
  plotPeriod_ = period.value;
  plotTickCount_ = 0;
  plotX_ = 0;

  const double pulsesPerSecond =
      convertParameter<double>(speedDisplayMax, Parameter::SpeedDisplayMax);
  const double product = pulsesPerSecond * static_cast<double>(range);
  if (product == 0.0) {
    // Whichever of the two is 0 is at fault.
    std::vector<Parameter> zero;
    if (range == 0) zero.push_back(Parameter::Range);
    if (pulsesPerSecond == 0.0) zero.push_back(Parameter::SpeedDisplayMax);
    raiseRunError(RunError::DivisionByZero, Step::SpeedScale, std::move(zero));
  }
  speedScale_ = kSpeedScaleNumerator / product;
  if (!std::isfinite(product) || !std::isfinite(speedScale_))
    raiseRunError(RunError::Overflow, Step::SpeedScale);

  plotY_ = kZeroSpeedY - static_cast<double>(initialSpeed) * speedScale_;
  drawPlotPoint();
}

// Above the picture's top a point is drawn on its top edge.
double SpeedGraph::plotYFor(std::int16_t speedCounter) const {
  const double y = kZeroSpeedY - static_cast<double>(speedCounter) * speedScale_;
  return y <= 0.0 ? 0.0 : y;
}

// The drawing takes single precision; a y beyond its range cannot be drawn.
bool SpeedGraph::drawable(double y) {
  return std::fabs(y) <= static_cast<double>(FLT_MAX);
}

void SpeedGraph::plotPoint(std::int16_t speedCounter) {
  if (plotX_ < kLastColumn) ++plotX_;
  plotY_ = plotYFor(speedCounter);
  drawPlotPoint();
  ++pointsPlotted_;
  plotTickCount_ = 0;
}

void SpeedGraph::skipTicks(std::int64_t ticks, std::int16_t speedCounter) {
  const std::int64_t steps = std::int64_t{plotTickCount_} + ticks;
  // A period below 1 plots at every tick.
  const std::int64_t period = std::max<std::int64_t>(plotPeriod_, 1);
  const std::int64_t points = steps / period;
  if (points == 0) {
    plotTickCount_ = static_cast<std::int32_t>(steps);
    return;
  }
  plotTickCount_ = static_cast<std::int32_t>(steps % period);
  plotX_ = static_cast<std::int32_t>(std::min<std::int64_t>(kLastColumn, plotX_ + points));
  plotY_ = plotYFor(speedCounter);
  pointsPlotted_ += points;
}

void SpeedGraph::drawPlotPoint() {
  if (!drawable(plotY_)) raiseRunError(RunError::Overflow, Step::PlotY);
  surface_.drawPoint(static_cast<float>(plotX_), static_cast<float>(plotY_));
}

}  // namespace tarvex
