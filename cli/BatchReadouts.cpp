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
  shown_[static_cast<std::size_t>(readout)] = value;
}

void BatchReadouts::showInForm() {
  for (const ReadoutControl& control : kReadoutControls) {
    const auto value = shown_[static_cast<std::size_t>(control.readout)];
    if (!value) continue;
    if (control.box)
      form_.setText(*control.box, intToText(*value));
    else
      form_.setIndicator(*value != 0);
  }
}

YieldRequest BatchReadouts::nextYield(const RunMoment& at) {
  std::int64_t pulse = YieldRequest::kNoPulse;
  for (std::size_t i = nextChange_; i < changes_.size(); ++i)
    if (changes_[i].pulse > at.pulses) {
      pulse = changes_[i].pulse;
      break;
    }
  if (options_.stopAtPulse && *options_.stopAtPulse > at.pulses)
    pulse = std::min(pulse, *options_.stopAtPulse);
  return YieldRequest::atPulse(pulse);
}

bool BatchReadouts::pulseYield(const RunMoment& at) {
  const std::int64_t pulse = at.pulses;
  while (nextChange_ < changes_.size() && changes_[nextChange_].pulse <= pulse) {
    const LiveChange& c = changes_[nextChange_++];
    if (c.pulse == pulse) form_.setOptionValue(c.change.box, c.change.value);
  }
  if (options_.stopAtPulse && *options_.stopAtPulse == pulse) stopf_ = 1;
  if (stopRequested()) stopf_ = 1;
  return stopf_ == 1;
}

bool BatchReadouts::idleYield(const RunMoment&) {
  if (stopRequested()) stopf_ = 1;
  return stopf_ == 1;
}

}  // namespace tarvex::batch
