// The check boxes a run reads while it goes on (Check1, Check2, Check7).
//
// The window can change a box only while the run yields to it, so the run
// keeps a copy of the three values and refreshes it after every yield and
// after the run's own write of Check1; a read of the copy then always equals
// a read of the box itself.
#pragma once

#include <cstdint>

#include "FormControls.h"

namespace tarvex {

class LiveOptions {
 public:
  explicit LiveOptions(OptionBoxes& boxes) : boxes_(boxes) { refresh(); }

  void refresh() {
    recording_ = boxes_.optionValue(CheckBox::Check1);
    automaticDecel_ = boxes_.optionValue(CheckBox::Check2);
    symmetric_ = boxes_.optionValue(CheckBox::Check7);
  }

  std::int16_t check1() const { return recording_; }
  std::int16_t check2() const { return automaticDecel_; }
  std::int16_t check7() const { return symmetric_; }

  // Clears Check1 in the window (the log's record cap) and reads it back.
  void clearRecording() {
    boxes_.setOptionValue(CheckBox::Check1, kUnchecked);
    refresh();
  }

 private:
  OptionBoxes& boxes_;
  std::int16_t recording_ = 0;
  std::int16_t automaticDecel_ = 0;
  std::int16_t symmetric_ = 0;
};

}  // namespace tarvex
