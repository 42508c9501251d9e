// How soon a design stops once asked: the window's キャンセル (Escape) while
// 目標から設計 searches. The design runs on a thread of its own under a stop
// request, as in the window; once a few candidates have run, the stop is
// requested and the time until the design returns is measured. It should
// be well under 100 ms; on the machine this was written on (two cores
// shared with other builds) it is about 4 ms for the move below, whose
// whole design takes about 4 s: the design goes on to its end, but each of
// its remaining candidates stops at its first pulse.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "MoveSolver.h"
#include "RunStop.h"

namespace {

using namespace tarvex;

void BM_StopDuringSolve(benchmark::State& state) {
  const design::ParsedTargets parsed =
      design::parseTargets("pulses=20000100,peak=100000,accel_time=0.3");
  if (!parsed.error.empty()) state.SkipWithError(parsed.error.c_str());
  for (auto _ : state) {
    RunStopRequest stop;
    std::chrono::steady_clock::time_point ended;
    std::thread worker([&] {
      benchmark::DoNotOptimize(design::solve(parsed.targets, design::startupTexts(), &stop));
      ended = std::chrono::steady_clock::now();
    });
    while (stop.runsBegun() < 3) std::this_thread::yield();
    const auto asked = std::chrono::steady_clock::now();
    stop.request();
    worker.join();
    state.SetIterationTime(std::chrono::duration<double>(ended - asked).count());
  }
}

}  // namespace

BENCHMARK(BM_StopDuringSolve)->Unit(benchmark::kMillisecond)->UseManualTime();

BENCHMARK_MAIN();
