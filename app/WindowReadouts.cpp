#include "WindowReadouts.h"

#include <QCoreApplication>

#include "Form1.h"

namespace tarvex::window {

WindowReadouts::WindowReadouts(Form1& form) : form_(form) {
  options_ = liveOptionValues(form);
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
  if (clock_.nsecsElapsed() - lastPaintNs_ < kPaintStallMs * 1000000) return;
  showChangedValues();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  paintedSinceYield_ = true;
  lastPaintNs_ = clock_.nsecsElapsed();
}

bool WindowReadouts::pulseYield(const RunMoment& at) {
  // The run reads its options anew after every yield: a change made while
  // the window painted between two yields is noted at this one.
  if (paintedSinceYield_) noteOptionChanges(at);
  if (pacing_.turnAtPulse(clock_.nsecsElapsed())) handleEvents(at);
  return stopRequested();
}

bool WindowReadouts::idleYield(const RunMoment& at) {
  if (pacing_.turnAtIdleYield(clock_.nsecsElapsed())) handleEvents(at);
  return stopRequested();
}

void WindowReadouts::handleEvents(const RunMoment& at) {
  showChangedValues();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  noteOptionChanges(at);
  pacing_.turnTaken(clock_.nsecsElapsed());
  lastPaintNs_ = pacing_.lastTurnNs();
  sinceClockCheck_ = 0;
}

void WindowReadouts::noteOptionChanges(const RunMoment& at) {
  paintedSinceYield_ = false;
  const LiveOptionValues now = liveOptionValues(form_);
  if (now == options_) return;
  options_ = now;
  optionChanges_.push_back({at.tick, at.pulses, now});
}

}  // namespace tarvex::window
