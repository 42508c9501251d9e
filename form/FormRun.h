// A run made from the window's controls: the parameter texts as the fields
// hold them, and the options as the boxes hold them (kOptionPairs: an
// option is on while its pair's "on" box is ticked; kRecordingBox).
#pragma once

#include "FormControls.h"
#include "Parameters.h"

namespace tarvex {

// The twelve parameter fields, read once at the start of a run.
RunParameters readRunParameters(const FormControls& form);

// The run's options, read from the boxes whenever the run asks.
class FormOptions final : public RunOptionSource {
 public:
  explicit FormOptions(OptionBoxes& boxes) : boxes_(boxes) {}

  Tristate sCurve() const override { return read(RunOption::SCurve); }
  Tristate recording() const override { return read(kRecordingBox); }
  Tristate automaticDeceleration() const override { return read(RunOption::AutomaticDeceleration); }
  Tristate symmetric() const override { return read(RunOption::Symmetric); }
  // Clears the recording box, as a click would.
  void stopRecording() override { boxes_.setOptionValue(kRecordingBox, kUnchecked); }

 private:
  // 0 off, 1 on; any other value a box can hold is grayed, neither on nor
  // off.
  Tristate read(RunOption option) const { return read(pairOf(option).on); }
  Tristate read(CheckBox box) const {
    const std::int16_t value = boxes_.optionValue(box);
    return value == kChecked     ? Tristate::On
           : value == kUnchecked ? Tristate::Off
                                 : Tristate::Grayed;
  }

  OptionBoxes& boxes_;
};

}  // namespace tarvex
