// What a run shows in the window while it goes on, and when it lets the
// window handle its events.
//
// Every readout is written the moment its value changes; the window paints
// the changed controls the next time it handles its events. Handling events
// costs far more than a pulse (a repaint of the window and a round trip to
// the display), so the run hands over to the window only when
// kEventIntervalMs have passed since the last time, not at every pulse:
// often enough to paint at screen rate and to see a click on Stop at once,
// rarely enough that the run itself keeps the processor.
//
// The user's input is handled only at the run's yields, the moments at which
// the run looks at Stop and the option boxes again. A run can go a long
// while without a yield and still change its readouts (a speed counter
// climbing through negative values outputs no pulses); a readout written
// after such a stretch lets the window paint, input held back for the next
// yield.
#pragma once

#include <QElapsedTimer>

#include "LiveReadouts.h"

namespace tarvex {
class Form1;
}

namespace tarvex::window {

class WindowReadouts final : public LiveReadouts {
 public:
  static constexpr qint64 kEventIntervalMs = 10;
  // Readouts written with no yield for this long let the window paint.
  static constexpr qint64 kPaintStallMs = 2 * kEventIntervalMs;

  explicit WindowReadouts(Form1& form);

  void clearStop() override;
  void showReadout(Readout readout, std::int64_t value) override;
  // Handles the window's events if kEventIntervalMs have passed, then
  // reports whether Stop has been pressed.
  bool pulseYield() override;
  // No pulse for a long stretch of ticks: always handles the events.
  bool idleYield() override;

 private:
  void handleEvents();
  bool stopRequested() const;

  Form1& form_;
  QElapsedTimer sinceEvents_;  // since the last yield that handled events
  QElapsedTimer sincePaint_;   // since the window last painted
};

}  // namespace tarvex::window
