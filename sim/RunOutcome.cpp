#include "RunOutcome.h"

namespace tarvex {

const char* endName(RunEnd end) {
  switch (end) {
    case RunEnd::Completed:
      return "completed";
    case RunEnd::Stopped:
      return "stopped";
    case RunEnd::Failed:
      return "failed";
  }
  return "unknown";
}

}  // namespace tarvex
