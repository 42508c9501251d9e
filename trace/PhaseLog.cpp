#include "PhaseLog.h"

#include "TickEngine.h"

namespace tarvex {

void PhaseLog::stateEntered(std::int32_t state, const TickEngine& engine) {
  const EngineState& s = engine.state();
  entries_.push_back({state, engine.currentTick(), s.outputPulseCount, s.speedCounter});
}

}  // namespace tarvex
