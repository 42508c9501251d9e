// What a run shows in the window while it goes on, and when it lets the
// window handle its events.
//
// A run changes its readouts far faster than a screen can show them (an
// output pulse every few tens of nanoseconds of computation), so the values
// are kept as numbers and written into their boxes only when the window is
// about to paint: every kEventIntervalMs, and once more when the run ends, so
// that what the boxes show after the run, however it ended, is exactly the
// run's final values.
//
// The window handles its events (paints, Stop, the option boxes, closing) at
// the run's yields, at the pace of ScreenPacing: every kEventIntervalMs, at an
// output pulse.
//
// A run can go a long while without a yield and still change its readouts (a
// speed counter climbing through negative values outputs no pulses); after
// such a stretch the changed boxes are shown and the window paints, input
// held back for the next yield.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QElapsedTimer>

#include "Controls.h"
#include "Form1.h"
#include "LiveReadouts.h"
#include "RunReplay.h"
#include "ScreenPacing.h"

namespace tarvex::window {

class WindowReadouts final : public LiveReadouts {
 public:
  static constexpr qint64 kEventIntervalMs = 10;
  // Readouts written with no yield for this long let the window paint.
  static constexpr qint64 kPaintStallMs = 2 * kEventIntervalMs;

  explicit WindowReadouts(Form1& form);

  void clearStop() override;
  void showReadout(Readout readout, std::int64_t value) override {
    values_[static_cast<std::size_t>(readout)] = value;
    changed_ |= 1u << static_cast<unsigned>(readout);
    if (++sinceClockCheck_ >= kReadoutsPerClockCheck) paintIfStalled();
  }
  YieldRequest nextYield(const RunMoment& at) override { return pacing_.nextYield(at); }
  // Handles the window's events when their turn has come, then reports
  // whether Stop has been pressed.
  bool pulseYield(const RunMoment& at) override;
  bool idleYield(const RunMoment& at) override;

  // Writes every changed value into its box: at the end of the run.
  void showChangedValues();

  // The changes the user made during the run to the options the run reads
  // while it goes on, each with the tick of the yield that saw it.
  const std::vector<LiveOptionChange>& optionChanges() const { return optionChanges_; }

 private:
  // Readouts between two looks at the clock when no yield comes.
  static constexpr int kReadoutsPerClockCheck = 256;

  void paintIfStalled();
  void handleEvents(const RunMoment& at);
  void noteOptionChanges(const RunMoment& at);
  bool stopRequested() const { return form_.stopRequested(); }

  Form1& form_;
  std::array<std::int64_t, kReadoutCount> values_{};
  std::uint32_t changed_ = 0;  // one bit per Readout
  int sinceClockCheck_ = 0;
  bool paintedSinceYield_ = false;  // events handled outside a yield
  LiveOptionValues options_;
  std::vector<LiveOptionChange> optionChanges_;
  QElapsedTimer clock_;  // since the run began
  ScreenPacing pacing_{kEventIntervalMs * 1000000, 0};
  qint64 lastPaintNs_ = 0;  // when the window last painted
};

}  // namespace tarvex::window
