// The runtime errors that can end a run, and the exception that carries one
// from the step where it happens to the engine's run() (never further).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Controls.h"

namespace tarvex {

enum class RunError { Overflow, TypeMismatch, DivisionByZero, File };

// "overflow", "type-mismatch", "division-by-zero", "file".
std::string_view errorName(RunError error);
// A short English description, e.g. "overflow".
std::string_view errorDescription(RunError error);

struct RunFailure {
  RunError error;
  // For a conversion or a graph-scale failure: the field being converted.
  std::optional<ParamField> field;
  // The step that failed, in the engine's own terms (e.g. "speedCounter + 1"),
  // or the file system's message for a file error.
  std::string where;
};

// Thrown by a guarded step, a conversion or a file operation during a run;
// the engine catches it and ends the run with a failed RunOutcome.
struct RunErrorException {
  RunFailure failure;
};

[[noreturn]] void raiseRunError(RunError error, std::string where,
                                std::optional<ParamField> field = std::nullopt);

}  // namespace tarvex
