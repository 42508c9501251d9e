#include "SpeedGraph.h"

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

void SpeedGraph::plotPoint(std::int16_t speedCounter) {
  if (plotX_ < kLastColumn) ++plotX_;
  plotY_ = kZeroSpeedY - static_cast<double>(speedCounter) * speedScale_;
  if (plotY_ <= 0.0) plotY_ = 0.0;
  drawPlotPoint();
  ++pointsPlotted_;
  plotTickCount_ = 0;
}

void SpeedGraph::drawPlotPoint() {
  // The drawing takes single precision; a y beyond its range cannot be drawn.
  if (!(std::fabs(plotY_) <= static_cast<double>(FLT_MAX)))
    raiseRunError(RunError::Overflow, Step::PlotY);
  surface_.drawPoint(static_cast<float>(plotX_), static_cast<float>(plotY_));
}

}  // namespace tarvex
