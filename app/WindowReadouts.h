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
// the run's yields, and only when kEventIntervalMs have passed since the last
// time: often enough to paint at screen rate and to see a click on Stop at
// once, rarely enough that the run itself keeps the processor. The run is
// asked to yield only every so many output pulses, as many as it computes in
// about kClockLookNs (halved when they take longer, doubled when less, at
// most kMaxPulsesPerLook); each yield reads the clock.
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
  YieldRequest nextYield(const RunMoment& at) override {
    return YieldRequest::atPulse(at.pulses + pulsesPerLook_);
  }
  // Handles the window's events if kEventIntervalMs have passed, then
  // reports whether Stop has been pressed.
  bool pulseYield(const RunMoment& at) override {
    // The run reads its options anew after every yield: a change made while
    // the window painted between two yields is noted at this one.
    if (paintedSinceYield_) noteOptionChanges(at);
    return lookAtTheClock(at);
  }
  // No pulse for a long stretch of ticks: always handles the events.
  bool idleYield(const RunMoment& at) override;

  // Writes every changed value into its box: at the end of the run.
  void showChangedValues();

  // The changes the user made during the run to the options the run reads
  // while it goes on, each with the tick of the yield that saw it.
  const std::vector<LiveOptionChange>& optionChanges() const { return optionChanges_; }

 private:
  // Readouts between two looks at the clock when no yield comes.
  static constexpr int kReadoutsPerClockCheck = 256;
  static constexpr qint64 kClockLookNs = 250000;
  static constexpr std::int64_t kMaxPulsesPerLook = std::int64_t{1} << 24;

  bool lookAtTheClock(const RunMoment& at);
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
  std::int64_t pulsesPerLook_ = 1;
  QElapsedTimer clock_;  // since the run began
  qint64 lastLookNs_ = 0;
  qint64 lastEventsNs_ = 0;  // when the window last handled its events
};

}  // namespace tarvex::window
