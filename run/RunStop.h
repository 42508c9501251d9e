// A stop asked for a piece of work that makes runs: the design's search,
// started from the window's dialog (キャンセル, Escape) or by the batch
// runner (Ctrl-C, SIGTERM, SIGHUP). The one who asks and the runs that
// answer share this request and nothing else: any thread, or a signal
// handler, asks; each run that the work makes under it counts itself and
// ends at its next yield once the stop is asked for, and a run begun after
// that ends at its first pulse.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarvex {

class RunStopRequest {
 public:
  // Safe from any thread and from a signal handler (lock-free atomics
  // only); true for the first request, false when one was made before.
  bool request() { return !requested_.exchange(true, std::memory_order_relaxed); }
  bool requested() const { return requested_.load(std::memory_order_relaxed); }
  // The runs begun under this request so far.
  std::int64_t runsBegun() const { return runsBegun_.load(std::memory_order_relaxed); }
  void runBegun() {
    const std::int64_t runs = runsBegun_.fetch_add(1, std::memory_order_relaxed) + 1;
    if (observer_ != nullptr) observer_(runs, context_);
  }

  // Where the work is watched from somewhere that cannot read this request
  // (the page's design worker, which shares no memory with the page): told
  // of each run begun, on the thread doing the work. Set before the work.
  using RunsObserver = void (*)(std::int64_t runsBegun, void* context);
  void observeRuns(RunsObserver observer, void* context) {
    observer_ = observer;
    context_ = context;
  }

 private:
  std::atomic<bool> requested_{false};
  std::atomic<std::int64_t> runsBegun_{0};
  RunsObserver observer_ = nullptr;
  void* context_ = nullptr;
  static_assert(std::atomic<bool>::is_always_lock_free);
  static_assert(std::atomic<std::int64_t>::is_always_lock_free);
};

}  // namespace tarvex
