// The batch runner's readouts: the values go into the in-memory window's
// readout boxes (kept as numbers while the run goes on, since nothing reads
// the boxes before it ends), each state entered is noted for the phase
// table, and the yields apply the scheduled box changes and the stop.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "BatchOptions.h"
#include "FormModel.h"
#include "LiveReadouts.h"
#include "PhaseLog.h"
#include "TickEngine.h"

namespace tarvex::batch {

class BatchReadouts final : public LiveReadouts {
 public:
  BatchReadouts(FormModel& form, const BatchOptions& options);
  void attach(const TickEngine& engine) { engine_ = &engine; }

  void clearStop() override { stopf_ = 0; }
  void showReadout(Readout readout, std::int64_t value) override;
  bool pulseYield() override;
  bool idleYield() override;

  // Writes the last value of every readout shown into its box.
  void showInForm();

  const std::vector<PhaseEntry>& phases() const { return phases_.entries(); }

 private:
  FormModel& form_;
  const BatchOptions& options_;
  const TickEngine* engine_ = nullptr;
  std::int16_t stopf_ = 0;
  std::size_t nextChange_ = 0;  // into the pulse-ordered live changes
  std::vector<LiveChange> changes_;
  PhaseLog phases_;
  std::array<std::optional<std::int64_t>, kReadoutCount> shown_;
};

}  // namespace tarvex::batch
