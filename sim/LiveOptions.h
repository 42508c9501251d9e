// The options a run reads while it goes on: recording, automatic
// deceleration and symmetric deceleration.
//
// The user can change them only while the run yields, so the run keeps a
// copy of the three values and refreshes it after every yield and after the
// data log's own switching off of recording; a read of the copy then always
// equals a read of the option itself, without a call per tick.
#pragma once

#include "Parameters.h"

namespace tarvex {

class LiveOptions {
 public:
  explicit LiveOptions(RunOptionSource& source) : source_(source) { refresh(); }

  void refresh() {
    recording_ = source_.recording();
    automaticDeceleration_ = source_.automaticDeceleration();
    symmetric_ = source_.symmetric();
  }

  // Only On counts as on; Grayed is neither on nor off.
  bool recording() const { return recording_ == Tristate::On; }
  bool automaticDeceleration() const { return automaticDeceleration_ == Tristate::On; }
  bool symmetric() const { return symmetric_ == Tristate::On; }
  // The two places that ask for "off" rather than "not on": the asymmetric
  // deceleration estimate and the linear deceleration value.
  bool asymmetric() const { return symmetric_ == Tristate::Off; }

  // The data log's record cap: recording is switched off at the source.
  void stopRecording() {
    source_.stopRecording();
    refresh();
  }

 private:
  RunOptionSource& source_;
  Tristate recording_ = Tristate::Off;
  Tristate automaticDeceleration_ = Tristate::Off;
  Tristate symmetric_ = Tristate::Off;
};

}  // namespace tarvex
