#include "RunReplay.h"

#include <algorithm>

#include "LiveReadouts.h"
#include "RunSession.h"

namespace tarvex::window {
namespace {

Tristate tristate(std::int16_t boxValue) {
  return boxValue == 1 ? Tristate::On : boxValue == 0 ? Tristate::Off : Tristate::Grayed;
}

// The options as the recipe has them, changed at the yields it names.
class ReplayOptions final : public RunOptionSource {
 public:
  ReplayOptions(const RunRecipe& recipe) : recipe_(recipe), values_(recipe.startOptions) {}

  Tristate sCurve() const override { return tristate(recipe_.sCurve); }
  Tristate recording() const override { return Tristate::Off; }
  Tristate automaticDeceleration() const override { return tristate(values_.automatic); }
  Tristate symmetric() const override { return tristate(values_.symmetric); }
  void stopRecording() override {}

  // A yield at the end of `tick` ticks: the changes made up to it apply.
  void yieldAt(std::int64_t tick) {
    while (next_ < recipe_.changes.size() && recipe_.changes[next_].tick <= tick)
      values_ = recipe_.changes[next_++].values;
  }

 private:
  const RunRecipe& recipe_;
  LiveOptionValues values_;
  std::size_t next_ = 0;
};

class ReplayReadouts final : public LiveReadouts {
 public:
  ReplayReadouts(const RunRecipe& recipe, ReplayOptions& options)
      : recipe_(recipe), options_(options) {}

  void clearStop() override {}
  void showReadout(Readout, std::int64_t) override {}
  // The run yields where the window's did: at the idle yields, which come
  // at the same ticks in every run, and at the pulses of the changes and
  // the stop.
  YieldRequest nextYield(const RunMoment& at) override {
    std::int64_t pulse = YieldRequest::kNoPulse;
    for (const LiveOptionChange& change : recipe_.changes)
      if (change.pulses > at.pulses) pulse = std::min(pulse, change.pulses);
    if (recipe_.stopTick && recipe_.stopPulses > at.pulses)
      pulse = std::min(pulse, recipe_.stopPulses);
    return YieldRequest::atPulse(pulse);
  }
  bool pulseYield(const RunMoment& at) override { return yield(at.tick); }
  bool idleYield(const RunMoment& at) override { return yield(at.tick); }

 private:
  bool yield(std::int64_t tick) {
    options_.yieldAt(tick);
    return recipe_.stopTick && tick >= *recipe_.stopTick;
  }

  const RunRecipe& recipe_;
  ReplayOptions& options_;
};

}  // namespace

RunOutcome replayRun(const RunRecipe& recipe, const std::string& timeDisplayMax,
                     const std::string& speedDisplayMax, GraphSurface& surface, TraceSink& trace) {
  RunParameters params = recipe.params;
  params[Parameter::TimeDisplayMax] = timeDisplayMax;
  params[Parameter::SpeedDisplayMax] = speedDisplayMax;
  ReplayOptions options(recipe);
  ReplayReadouts readouts(recipe, options);
  SourcedRunSession session(options, readouts);
  return session.drawOn(surface).traceTo(&trace).run(params).outcome;
}

}  // namespace tarvex::window
