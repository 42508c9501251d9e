// The time one design from a target move takes, for a table of moves: each
// is a whole solve, every candidate run by the engine and the proposal's
// run at the end. A solve should take at most a second; the figures on the
// machine this was written on (CPU time per solve, two cores shared with
// other builds) are in the table's comments. The longest is the move of ten
// million pulses, whose own run takes about half of it.
#include <benchmark/benchmark.h>

#include <variant>

#include "MoveSolver.h"

namespace {

using namespace tarvex;

// pulses, peak [pps], ramp times [s], start [pps], S-shape, range.
const char* const kMoves[] = {
    "pulses=20000,peak=30000,accel_time=0.17,start=100",                     // 3 ms
    "pulses=50000,peak=100000,accel_time=0.05,s_curve=0",                    // 5 ms
    "pulses=20000,peak=30000,accel_time=0.17,decel_time=0.3",                // 75 ms
    "pulses=8000,peak=12000,accel_time=0.1,decel_time=0.08,s_curve=0.5,"     //
    "range=400000,start=200",                                                // 220 ms
    "pulses=2000000,peak=200000,accel_time=0.5,start=1000",                  // 120 ms
    "pulses=200000,peak=50000,accel_time=0.4,decel_time=0.25,s_curve=0.8",   // 160 ms
    "pulses=5000,peak=4000,accel_time=0.3,start=40",                         // 3 ms
    "pulses=1000000,peak=400000,accel_time=0.02,decel_time=0.03,s_curve=0",  // 56 ms
    "pulses=10000000,peak=1000000,accel_time=1,start=5000",                  // 650 ms
    "pulses=5000,peak=30000,accel_time=0.17",  // too few pulses: 12 ms
};

void BM_Solve(benchmark::State& state) {
  const design::ParsedTargets parsed = design::parseTargets(kMoves[state.range(0)]);
  if (!parsed.error.empty()) state.SkipWithError(parsed.error.c_str());
  bool met = false;
  for (auto _ : state) {
    const design::Solution solution = design::solve(parsed.targets);
    met = std::holds_alternative<design::Design>(solution);
    benchmark::DoNotOptimize(solution);
  }
  state.SetLabel(std::string(met ? "met: " : "not met: ") + kMoves[state.range(0)]);
}

}  // namespace

BENCHMARK(BM_Solve)
    ->DenseRange(0, std::size(kMoves) - 1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

BENCHMARK_MAIN();
