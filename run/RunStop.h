// Stopping runs from another thread. A search that makes many runs on a
// worker thread (the design from a target move) is stopped from the window:
// while a StopRunsOnThisThread scope is open on the worker, every run that a
// RunSession makes there counts itself and ends at its next yield once the
// stop has been requested. A run yields at least once every 2^22 ticks, a few
// milliseconds of computation, so the request reaches it within that.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarvex {

class RunStopRequest {
 public:
  // Any thread may ask; the runs see it at their next yield.
  void request() { requested_.store(true, std::memory_order_relaxed); }
  bool requested() const { return requested_.load(std::memory_order_relaxed); }
  // The runs begun under this request so far.
  std::int64_t runsBegun() const { return runsBegun_.load(std::memory_order_relaxed); }
  void runBegun() { runsBegun_.fetch_add(1, std::memory_order_relaxed); }

 private:
  std::atomic<bool> requested_{false};
  std::atomic<std::int64_t> runsBegun_{0};
};

// While it lives, the runs made on the thread that opened it answer to
// `request`. Scopes do not nest.
class StopRunsOnThisThread {
 public:
  explicit StopRunsOnThisThread(RunStopRequest& request);
  ~StopRunsOnThisThread();
  StopRunsOnThisThread(const StopRunsOnThisThread&) = delete;
  StopRunsOnThisThread& operator=(const StopRunsOnThisThread&) = delete;
};

}  // namespace tarvex
