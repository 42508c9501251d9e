// The batch runner's readouts: the values go into the in-memory window's
// readout boxes (kept as numbers while the run goes on, since nothing reads
// the boxes before it ends), and the yields apply the scheduled box changes
// and the stop.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "BatchOptions.h"
#include "FormModel.h"
#include "LiveReadouts.h"

namespace tarvex::batch {

class BatchReadouts final : public LiveReadouts {
 public:
  BatchReadouts(FormModel& form, const BatchOptions& options);

  void clearStop() override { stopf_ = 0; }
  void showReadout(Readout readout, std::int64_t value) override;
  // The pulses of the --at changes and of --stop-at; a stop by a signal is
  // seen at the run's idle yields as well.
  YieldRequest nextYield(const RunMoment& at) override;
  bool pulseYield(const RunMoment& at) override;
  bool idleYield(const RunMoment& at) override;

  // Writes the last value of every readout shown into its box.
  void showInForm();

 private:
  FormModel& form_;
  const BatchOptions& options_;
  std::int16_t stopf_ = 0;
  std::size_t nextChange_ = 0;  // into the pulse-ordered live changes
  std::vector<LiveChange> changes_;
  std::array<std::optional<std::int64_t>, kReadoutCount> shown_;
};

}  // namespace tarvex::batch
