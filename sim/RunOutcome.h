// How a run ended.
#pragma once

#include <cstdint>
#include <optional>

#include "RunError.h"

namespace tarvex {

enum class RunEnd { Completed, Stopped, Failed };

struct RunOutcome {
  RunEnd end = RunEnd::Completed;
  std::optional<RunFailure> failure;  // set exactly when end is Failed
  std::int64_t ticks = 0;             // tickCount when the run ended
  std::int64_t pulses = 0;            // outputPulseCount when the run ended

  bool failed() const { return end == RunEnd::Failed; }
};

// "completed", "stopped", "failed".
const char* endName(RunEnd end);

}  // namespace tarvex
