// Fast-forward against tick by tick, side by side, on the runs where the
// difference matters: the start-up S-curve run, a cruise-dominated run, a run
// in which no pulse falls due (2,147,483,647 ticks, then the overflow), and
// the recorded start-up run. Compare the pairs' times for the ratios.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "FormModel.h"
#include "FormRun.h"
#include "StartupValues.h"
#include "TickEngine.h"

namespace {

using namespace tarvex;

enum class Scenario { SCurve, Cruise, NoPulse, Recorded };

FormModel formFor(Scenario scenario) {
  FormModel form;
  applyStartupValues(form);
  switch (scenario) {
    case Scenario::SCurve:
      break;
    case Scenario::Cruise:
      form.setText(TextBox::Text6, "700000");
      break;
    case Scenario::NoPulse:
      form.setOptionValue(CheckBox::Check5, kChecked);
      form.setText(TextBox::Text2, "0");
      form.setText(TextBox::Text4, "0");
      break;
    case Scenario::Recorded:
      form.setOptionValue(CheckBox::Check1, kChecked);
      break;
  }
  return form;
}

void BM_Run(benchmark::State& state, Scenario scenario, RunMode mode) {
  FormModel form = formFor(scenario);
  const RunParameters params = readRunParameters(form);
  const std::string logPath =
      scenario == Scenario::Recorded
          ? (std::filesystem::temp_directory_path() / "tarvex_ff_bench_log.txt").string()
          : std::string();
  SilentReadouts readouts;
  NullGraphSurface surface;
  std::int64_t ticks = 0;
  for (auto _ : state) {
    if (scenario == Scenario::Recorded) form.setOptionValue(CheckBox::Check1, kChecked);
    FormOptions options(form);
    TickEngine engine(options, readouts, surface, nullptr, logPath);
    const RunOutcome outcome = engine.run(params, mode);
    const RunEnd expected = scenario == Scenario::NoPulse ? RunEnd::Failed : RunEnd::Completed;
    if (outcome.end != expected) state.SkipWithError("unexpected end of run");
    ticks += outcome.ticks;
    benchmark::DoNotOptimize(outcome);
  }
  state.counters["ticks/s"] =
      benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
  if (!logPath.empty()) std::filesystem::remove(logPath);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Run, SCurve / FastForward, Scenario::SCurve, RunMode::FastForward)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, SCurve / TickByTick, Scenario::SCurve, RunMode::TickByTick)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, Cruise / FastForward, Scenario::Cruise, RunMode::FastForward)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, Cruise / TickByTick, Scenario::Cruise, RunMode::TickByTick)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, NoPulse / FastForward, Scenario::NoPulse, RunMode::FastForward)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, NoPulse / TickByTick, Scenario::NoPulse, RunMode::TickByTick)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Run, Recorded / FastForward, Scenario::Recorded, RunMode::FastForward)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, Recorded / TickByTick, Scenario::Recorded, RunMode::TickByTick)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
