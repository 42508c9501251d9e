// Ticks per second of whole runs of the engine computed tick by tick, without
// a window: the start-up S-curve run with recording off and on, and the
// linear run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "FormModel.h"
#include "FormRun.h"
#include "StartupValues.h"
#include "TickEngine.h"

namespace {

using namespace tarvex;

void runEngine(benchmark::State& state, FormModel& form, const std::string& logPath,
               RunMode mode = RunMode::TickByTick) {
  SilentReadouts readouts;
  NullGraphSurface surface;
  const RunParameters params = readRunParameters(form);
  std::int64_t ticks = 0;
  for (auto _ : state) {
    // The cap clears Check1 during a recorded run: tick it again each time.
    const std::int16_t recording = form.optionValue(CheckBox::Check1);
    FormOptions options(form);
    TickEngine engine(options, readouts, surface, nullptr, logPath);
    const RunOutcome outcome = engine.run(params, mode);
    form.setOptionValue(CheckBox::Check1, recording);
    if (outcome.end != RunEnd::Completed) state.SkipWithError("run did not complete");
    ticks += outcome.ticks;
    benchmark::DoNotOptimize(outcome);
  }
  state.counters["ticks/s"] =
      benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
}

void BM_SCurveRecordingOff(benchmark::State& state) {
  FormModel form;
  applyStartupValues(form);
  runEngine(state, form, "");
}

void BM_SCurveRecordingOn(benchmark::State& state) {
  FormModel form;
  applyStartupValues(form);
  form.setOptionValue(CheckBox::Check1, kChecked);
  const auto path = (std::filesystem::temp_directory_path() / "tarvex_bench_log.txt").string();
  runEngine(state, form, path);
  std::filesystem::remove(path);
}

void BM_LinearRecordingOff(benchmark::State& state) {
  FormModel form;
  applyStartupValues(form);
  form.setOptionValue(CheckBox::Check5, kChecked);
  runEngine(state, form, "");
}

}  // namespace

BENCHMARK(BM_SCurveRecordingOff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SCurveRecordingOn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinearRecordingOff)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
