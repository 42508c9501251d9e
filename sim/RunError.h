// How a run fails: the runtime error, the step of the engine at which it
// happened, and the parameters at its cause. One classification, from which
// every message a user sees is written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Parameters.h"

namespace tarvex {

enum class RunError { Overflow, TypeMismatch, DivisionByZero, File };

// "overflow", "type-mismatch", "division-by-zero", "file".
std::string_view errorName(RunError error);

// Every step of a run that can fail.
enum class Step : std::uint8_t {
  // Set-up.
  ConvertParameter,           // a parameter text to its number
  JerkCounterFromJerkAccel,   // jerkCounter = jerkAccel + 1 (also a manual deceleration start)
  JerkCounterFromJerkDecel,   // jerkCounter = jerkDecel + 1 (manual, asymmetric)
  DecelPointFromAccelOffset,  // decelPointCounter = accelOffset - 1
  PlotPeriod,                 // timeDisplayMax x 800.801 to 32 bits
  SpeedScale,                 // 31584000000 / (speedDisplayMax x range)
  PlotY,                      // a point's y beyond single precision
  // The tick loop.
  SpeedCounterUp,          // speedCounter + 1
  SpeedCounterDown,        // speedCounter - 1
  SpeedAccumulatorDraw,    // speedAccumulator - accelCounter
  SpeedAccumulatorFill,    // accelCounter + speedAccumulator
  SpeedAccumulatorRefill,  // speedAccumulator + 8000
  SpeedAccumulatorDrain,   // speedAccumulator - 8000
  PulseAccumulatorTake,    // pulseAccumulator - speedCounter
  PulseAccumulatorReload,  // pulseAccumulator + range
  TickCount,               // tickCount + 1
  // The acceleration/deceleration state machine.
  AccelCounterUp,                // accelCounter + 1
  AccelCounterDown,              // accelCounter - 1
  AccelCounterFromAcceleration,  // linear: accelCounter = acceleration
  AccelCounterFromDeceleration,  // linear: accelCounter = deceleration
  JerkCounterDown,               // jerkCounter - 1
  JerkCounterUp,                 // jerkCounter + 1
  JerkSpeedSteps,                // jerkSpeedSteps + 1
  DriveSpeedRoom,                // driveSpeed - speedCounter
  InitialSpeedRoom,              // speedCounter - initialSpeed
  AccelPulseCount,               // accelPulseCount + 1
  DecelPointCount,               // decelPointCounter + 1
  DecelRatioIn,                  // decelRatioAccumulator + acceleration
  DecelRatioOut,                 // decelRatioAccumulator - deceleration
  TriangleEstimateBy11,          // triangleEstimate + 11
  TriangleEstimateBy3,           // triangleEstimate + 3
  LinearTriangleSum,             // decelPointCounter + accelPulseCount
  LinearTriangleDouble,          // 2 * (decelPointCounter + accelPulseCount)
  DragPulseCount,                // dragPulseCount + 1
  // The data log.
  LogSampleNumber,  // logSampleNumber + 1
  LogRecordCount,   // logRecordCount + 1
  OpenLog,
  WriteLog,
  CloseLog,
};

// The step in the engine's own terms, e.g. "speedCounter + 1".
std::string_view stepName(Step step);

struct RunFailure {
  RunError error = RunError::Overflow;
  Step step = Step::ConvertParameter;
  // The parameters whose values alone caused the failure, in conversion
  // order: the one being converted, the one a set-up step derives from, the
  // display scale (or the range) of the graph. Empty when the failure comes
  // from the course of the run rather than from one value.
  std::vector<Parameter> causes;
  // For a file error: the file and the system's reason, in one line; the
  // file's name as text; the reason's code (an errno or one of the output
  // check's own, see OutputFile.h).
  std::string detail;
  std::string file;
  int fileError = 0;

  friend bool operator==(const RunFailure&, const RunFailure&) = default;
};

// Thrown where a step fails; the engine's run() catches it and ends the run
// with a failed outcome. It never travels further.
struct RunErrorException {
  RunFailure failure;
};

// The error for `step`, blaming `causes`; for a step that derives from one
// parameter (a set-up counter, a linear accelCounter, a display scale) that
// parameter is blamed when no cause is given.
[[noreturn]] void raiseRunError(RunError error, Step step, std::vector<Parameter> causes = {},
                                std::string detail = {});
// A file error at `step`: `what` the file could not be done ("cannot
// write"), the file's name and the reason's code.
[[noreturn]] void raiseFileError(Step step, std::string_view what, std::string file, int fileError);

}  // namespace tarvex
