// The engine's side of the readouts: shows a value and lets the yield
// schedule count it.
#pragma once

#include <cstdint>

#include "LiveReadouts.h"
#include "YieldSchedule.h"

namespace tarvex {

class ReadoutPort {
 public:
  ReadoutPort(LiveReadouts& readouts, YieldSchedule& schedule)
      : readouts_(readouts), schedule_(schedule) {}

  void show(Readout readout, std::int64_t value) {
    readouts_.showReadout(readout, value);
    schedule_.readoutShown();
  }

 private:
  LiveReadouts& readouts_;
  YieldSchedule& schedule_;
};

}  // namespace tarvex
