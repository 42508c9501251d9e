#include "WindowReadouts.h"

#include <algorithm>

#include <QCoreApplication>

#include "Form1.h"
#include "TickEngine.h"

namespace tarvex::window {

WindowReadouts::WindowReadouts(Form1& form) : form_(form) {
  options_ = {form.optionValue(CheckBox::Check2), form.optionValue(CheckBox::Check7)};
  clock_.start();
}

void WindowReadouts::clearStop() {
  form_.withdrawStopRequest();
}

void WindowReadouts::showChangedValues() {
  for (const ReadoutControl& control : kReadoutControls) {
    const auto bit = 1u << static_cast<unsigned>(control.readout);
    if ((changed_ & bit) == 0) continue;
    const std::int64_t value = values_[static_cast<std::size_t>(control.readout)];
    if (control.box)
      form_.showReadoutValue(*control.box, value);
    else
      form_.setIndicator(value != 0);
  }
  changed_ = 0;
}

void WindowReadouts::paintIfStalled() {
  sinceClockCheck_ = 0;
  if (clock_.nsecsElapsed() - lastEventsNs_ < kPaintStallMs * 1000000) return;
  showChangedValues();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  lastEventsNs_ = clock_.nsecsElapsed();
}

bool WindowReadouts::lookAtTheClock() {
  const qint64 now = clock_.nsecsElapsed();
  yieldsPerLook_ = now - lastLookNs_ > kClockLookNs
                       ? std::max(1, yieldsPerLook_ / 2)
                       : std::min(kMaxYieldsPerLook, yieldsPerLook_ * 2);
  yieldsBeforeLook_ = yieldsPerLook_;
  lastLookNs_ = now;
  if (now - lastEventsNs_ >= kEventIntervalMs * 1000000) handleEvents();
  return stopRequested();
}

bool WindowReadouts::idleYield() {
  handleEvents();
  return stopRequested();
}

void WindowReadouts::handleEvents() {
  showChangedValues();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  noteOptionChanges();
  lastEventsNs_ = lastLookNs_ = clock_.nsecsElapsed();
  sinceClockCheck_ = 0;
}

void WindowReadouts::noteOptionChanges() {
  const LiveOptionValues now{form_.optionValue(CheckBox::Check2),
                             form_.optionValue(CheckBox::Check7)};
  if (now == options_ || engine_ == nullptr) return;
  options_ = now;
  optionChanges_.push_back({engine_->state().tickCount, now});
}

}  // namespace tarvex::window
