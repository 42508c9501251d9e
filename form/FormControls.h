// Abstract access to the window's controls. The window implements it on its
// widgets; FormModel implements it in memory for the batch runner and tests.
// The parameter files, the start-up values and the run adapters (FormRun)
// work only through these interfaces.
#pragma once

#include <cstdint>
#include <string>

#include "Controls.h"

namespace tarvex {

// The option check boxes as a run sees them.
class OptionBoxes {
 public:
  virtual ~OptionBoxes() = default;
  // The box's current value: 0 clear, 1 ticked, 2 grayed.
  virtual std::int16_t optionValue(CheckBox box) const = 0;
  // Sets the box as code would. A change of a paired box runs its pair
  // handler (runPairHandler) before this returns; setting the value the box
  // already holds changes nothing and runs no handler.
  virtual void setOptionValue(CheckBox box, std::int16_t value) = 0;
};

// Every control the parameter files and the start-up values touch.
// Texts are held as bytes in the system's narrow encoding.
class FormControls : public OptionBoxes {
 public:
  virtual std::string text(TextBox box) const = 0;
  virtual void setText(TextBox box, const std::string& text) = 0;
  // The triangle-prevention indicator Option1.
  virtual void setIndicator(bool on) = 0;
};

}  // namespace tarvex
