// The tick loop's speed, the same program built natively and as
// WebAssembly (tools/bench-web runs it natively, under node and in
// Chromium and prints the ratios): the start-up parameters with a longer
// move, fast-forward and every tick computed, drawn on the graph's picture,
// nobody watching the readouts. Prints one line per mode: its name and the
// best of three times in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "FormModel.h"
#include "GraphPicture.h"
#include "RunSession.h"
#include "StartupValues.h"

namespace {

double bestOfThree(const char* pulses, bool everyTick) {
  using Clock = std::chrono::steady_clock;
  tarvex::FormModel form;
  tarvex::applyStartupValues(form);
  form.setText(tarvex::TextBox::Text6, pulses);
  double best = 1e300;
  for (int i = 0; i < 3; ++i) {
    tarvex::SilentReadouts silent;
    tarvex::GraphPicture picture;
    tarvex::RunSession session(form, silent);
    session.drawOn(picture).computeEveryTick(everyTick);
    const Clock::time_point start = Clock::now();
    const tarvex::RunResult result = session.run();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (result.outcome.failed()) return -1;
    best = std::min(best, ms);
  }
  return best;
}

}  // namespace

int main() {
  std::printf("fast-forward-2000000 %.1f\n", bestOfThree("2000000", false));
  std::printf("tick-by-tick-200000 %.1f\n", bestOfThree("200000", true));
  return 0;
}
