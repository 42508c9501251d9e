#include "GuardedArithmetic.h"

namespace tarvex {

void raiseOverflow(Step step) {
  raiseRunError(RunError::Overflow, step);
}

}  // namespace tarvex
