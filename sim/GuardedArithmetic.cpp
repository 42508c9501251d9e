#include "GuardedArithmetic.h"

#include "RunError.h"

namespace tarvex {

void raiseOverflow(const char* step) {
  raiseRunError(RunError::Overflow, step);
}

}  // namespace tarvex
