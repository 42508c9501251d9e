#include "BatchReadouts.h"

#include <algorithm>

#include "Conversions.h"
#include "StopRequest.h"

namespace tarvex::batch {

BatchReadouts::BatchReadouts(FormModel& form, const BatchOptions& options)
    : form_(form), options_(options), changes_(options.liveChanges) {
  // Changes for the same pulse keep the order in which they were given.
  std::stable_sort(changes_.begin(), changes_.end(),
                   [](const LiveChange& a, const LiveChange& b) { return a.pulse < b.pulse; });
}

void BatchReadouts::showReadout(Readout readout, std::int64_t value) {
  if (const auto box = controlOf(readout).box)
    form_.setText(*box, intToText(value));
  else
    form_.setIndicator(value != 0);
  if (engine_ == nullptr) return;
  const EngineState& s = engine_->state();
  if (readout == Readout::AccelState)
    phases_.push_back({static_cast<std::int32_t>(value), engine_->currentTick(), s.outputPulseCount,
                       s.speedCounter});
}

bool BatchReadouts::pulseYield() {
  const std::int64_t pulse = engine_ ? engine_->state().outputPulseCount : 0;
  while (nextChange_ < changes_.size() && changes_[nextChange_].pulse <= pulse) {
    const LiveChange& c = changes_[nextChange_++];
    if (c.pulse == pulse) form_.setOptionValue(c.change.box, c.change.value);
  }
  if (options_.stopAtPulse && *options_.stopAtPulse == pulse) stopf_ = 1;
  if (stopRequested()) stopf_ = 1;
  return stopf_ == 1;
}

bool BatchReadouts::idleYield() {
  if (stopRequested()) stopf_ = 1;
  return stopf_ == 1;
}

}  // namespace tarvex::batch
