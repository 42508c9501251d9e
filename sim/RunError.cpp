#include "RunError.h"

#include <optional>
#include <utility>

#include "OutputFile.h"

namespace tarvex {
namespace {

struct StepInfo {
  std::string_view name;
  // The parameter whose value alone decides this step's result, if any.
  std::optional<Parameter> from = std::nullopt;
};

constexpr StepInfo info(Step step) {
  using P = Parameter;
  switch (step) {
    case Step::ConvertParameter:
      return {"conversion"};
    case Step::JerkCounterFromJerkAccel:
      return {"jerkCounter = jerkAccel + 1", P::JerkAccel};
    case Step::JerkCounterFromJerkDecel:
      return {"jerkCounter = jerkDecel + 1", P::JerkDecel};
    case Step::DecelPointFromAccelOffset:
      return {"decelPointCounter = accelOffset - 1", P::AccelOffset};
    case Step::PlotPeriod:
      return {"plotPeriod", P::TimeDisplayMax};
    case Step::SpeedScale:
      return {"speedScale", P::SpeedDisplayMax};
    case Step::PlotY:
      return {"plotY", P::SpeedDisplayMax};
    case Step::SpeedCounterUp:
      return {"speedCounter + 1"};
    case Step::SpeedCounterDown:
      return {"speedCounter - 1"};
    case Step::SpeedAccumulatorDraw:
      return {"speedAccumulator - accelCounter"};
    case Step::SpeedAccumulatorFill:
      return {"accelCounter + speedAccumulator"};
    case Step::SpeedAccumulatorRefill:
      return {"speedAccumulator + 8000"};
    case Step::SpeedAccumulatorDrain:
      return {"speedAccumulator - 8000"};
    case Step::PulseAccumulatorTake:
      return {"pulseAccumulator - speedCounter"};
    case Step::PulseAccumulatorReload:
      return {"pulseAccumulator + range"};
    case Step::TickCount:
      return {"tickCount + 1"};
    case Step::AccelCounterUp:
      return {"accelCounter + 1"};
    case Step::AccelCounterDown:
      return {"accelCounter - 1"};
    case Step::AccelCounterFromAcceleration:
      return {"accelCounter = acceleration", P::Acceleration};
    case Step::AccelCounterFromDeceleration:
      return {"accelCounter = deceleration", P::Deceleration};
    case Step::JerkCounterDown:
      return {"jerkCounter - 1"};
    case Step::JerkCounterUp:
      return {"jerkCounter + 1"};
    case Step::JerkSpeedSteps:
      return {"jerkSpeedSteps + 1"};
    case Step::DriveSpeedRoom:
      return {"driveSpeed - speedCounter"};
    case Step::InitialSpeedRoom:
      return {"speedCounter - initialSpeed"};
    case Step::AccelPulseCount:
      return {"accelPulseCount + 1"};
    case Step::DecelPointCount:
      return {"decelPointCounter + 1"};
    case Step::DecelRatioIn:
      return {"decelRatioAccumulator + acceleration"};
    case Step::DecelRatioOut:
      return {"decelRatioAccumulator - deceleration"};
    case Step::TriangleEstimateBy11:
      return {"triangleEstimate + 11"};
    case Step::TriangleEstimateBy3:
      return {"triangleEstimate + 3"};
    case Step::LinearTriangleSum:
      return {"decelPointCounter + accelPulseCount"};
    case Step::LinearTriangleDouble:
      return {"2 * (decelPointCounter + accelPulseCount)"};
    case Step::DragPulseCount:
      return {"dragPulseCount + 1"};
    case Step::LogSampleNumber:
      return {"logSampleNumber + 1"};
    case Step::LogRecordCount:
      return {"logRecordCount + 1"};
    case Step::OpenLog:
      return {"opening the data log"};
    case Step::WriteLog:
      return {"writing the data log"};
    case Step::CloseLog:
      return {"closing the data log"};
  }
  return {"unknown step"};
}

}  // namespace

std::string_view errorName(RunError error) {
  switch (error) {
    case RunError::Overflow:
      return "overflow";
    case RunError::TypeMismatch:
      return "type-mismatch";
    case RunError::DivisionByZero:
      return "division-by-zero";
    case RunError::File:
      return "file";
  }
  return "unknown";
}

std::string_view stepName(Step step) {
  return info(step).name;
}

void raiseRunError(RunError error, Step step, std::vector<Parameter> causes, std::string detail) {
  const StepInfo step_info = info(step);
  if (causes.empty() && step_info.from) causes.push_back(*step_info.from);
  RunFailure failure;
  failure.error = error;
  failure.step = step;
  failure.causes = std::move(causes);
  failure.detail = std::move(detail);
  throw RunErrorException{std::move(failure)};
}

void raiseFileError(Step step, std::string_view what, std::string file, int fileError) {
  std::string detail = std::string(what) + " " + file + ": " + fileErrorReason(fileError);
  throw RunErrorException{
      RunFailure{RunError::File, step, {}, std::move(detail), std::move(file), fileError}};
}

}  // namespace tarvex
