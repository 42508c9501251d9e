#include "WindowReadouts.h"

#include <QCoreApplication>
#include <QLineEdit>

#include "ControlWidgets.h"
#include "Form1.h"
#include "TickEngine.h"

namespace tarvex::window {

WindowReadouts::WindowReadouts(Form1& form) : form_(form) {
  options_ = {form.optionValue(CheckBox::Check2), form.optionValue(CheckBox::Check7)};
  sinceEvents_.start();
}

void WindowReadouts::clearStop() {
  form_.stopf = 0;
}

void WindowReadouts::showChangedValues() {
  for (const ReadoutControl& control : kReadoutControls) {
    const auto bit = 1u << static_cast<unsigned>(control.readout);
    if ((changed_ & bit) == 0) continue;
    const std::int64_t value = values_[static_cast<std::size_t>(control.readout)];
    if (control.box)
      form_.showReadoutValue(*control.box, value);
    else
      form_.Option1->setOn(value != 0);
  }
  changed_ = 0;
}

void WindowReadouts::paintIfStalled() {
  sinceClockCheck_ = 0;
  if (sinceEvents_.elapsed() < kPaintStallMs) return;
  showChangedValues();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  sinceEvents_.restart();
}

bool WindowReadouts::pulseYield() {
  if (sinceEvents_.elapsed() >= kEventIntervalMs) handleEvents();
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
  sinceEvents_.restart();
  sinceClockCheck_ = 0;
}

void WindowReadouts::noteOptionChanges() {
  const LiveOptionValues now{form_.optionValue(CheckBox::Check2),
                             form_.optionValue(CheckBox::Check7)};
  if (now == options_ || engine_ == nullptr) return;
  options_ = now;
  optionChanges_.push_back({engine_->state().tickCount, now});
}

bool WindowReadouts::stopRequested() const {
  return form_.stopf == 1;
}

}  // namespace tarvex::window
