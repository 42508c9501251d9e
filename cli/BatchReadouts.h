// The batch runner's readouts: the values go into the in-memory window's
// readout boxes, each state entered is noted for the phase table, and the
// yields apply the scheduled box changes and the stop.
#pragma once

#include <cstdint>
#include <vector>

#include "BatchOptions.h"
#include "FormModel.h"
#include "LiveReadouts.h"
#include "TickEngine.h"

namespace tarvex::batch {

// A state entered during the run, with the moment it was entered.
struct PhaseEntry {
  std::int32_t state;
  std::int64_t tick;  // 0 for the set-up
  std::int64_t pulses;
  std::int16_t speedCounter;
};

class BatchReadouts final : public LiveReadouts {
 public:
  BatchReadouts(FormModel& form, const BatchOptions& options);
  void attach(const TickEngine& engine) { engine_ = &engine; }

  void clearStop() override { stopf_ = 0; }
  void showReadout(Readout readout, std::int64_t value) override;
  bool pulseYield() override;
  bool idleYield() override;

  const std::vector<PhaseEntry>& phases() const { return phases_; }

 private:
  FormModel& form_;
  const BatchOptions& options_;
  const TickEngine* engine_ = nullptr;
  std::int16_t stopf_ = 0;
  std::size_t nextChange_ = 0;  // into the pulse-ordered live changes
  std::vector<LiveChange> changes_;
  std::vector<PhaseEntry> phases_;
};

}  // namespace tarvex::batch
