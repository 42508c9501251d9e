// The window's controls held in memory: the batch runner's "window" and the
// tests' stand-in for it. Paired boxes run their pair handlers on every
// change, exactly as the real check boxes do.
#pragma once

#include <array>
#include <string>

#include "FormControls.h"

namespace tarvex {

class FormModel : public FormControls {
 public:
  // The design-time state: parameter fields and Text7/9/12 carry their own
  // names, Text14 to Text17 carry "0", every box is clear. Call
  // applyStartupValues() for a freshly opened window.
  FormModel();

  std::int16_t optionValue(CheckBox box) const override { return boxes_[indexOf(box)]; }
  void setOptionValue(CheckBox box, std::int16_t value) override;
  std::string text(TextBox box) const override { return texts_[indexOf(box)]; }
  void setText(TextBox box, const std::string& text) override { texts_[indexOf(box)] = text; }
  void setIndicator(bool on) override { indicator_ = on; }
  bool indicator() const { return indicator_; }

 private:
  std::array<std::string, kTextBoxCount> texts_;
  std::array<std::int16_t, kCheckBoxCount> boxes_{};
  bool indicator_ = false;
};

}  // namespace tarvex
