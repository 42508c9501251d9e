// The runs of a sweep on several threads at once, handed back in product
// order whatever the order in which they end. Runs start at most a window
// ahead of the first one not yet handed back, and only while the results
// waiting for a slow earlier run hold less than kWaitingBytes, so that they
// stay few and small whatever the number of threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "GraphPicture.h"

namespace tarvex::batch {

// What one run of a sweep leaves for the printer.
struct SweepResult {
  std::string row;
  std::string failure;  // the failed run's message
  bool failed = false;
  bool interrupted = false;  // stopped by Ctrl-C before its end: no row
  // For the family plot: the run's curve, and the first run's picture,
  // which brings the frame.
  GraphPicture::Curve curve;
  std::unique_ptr<GraphPicture> firstPicture;
  std::size_t bytes() const {
    return sizeof(SweepResult) + row.size() + failure.size() + curve.bytes() +
           (firstPicture
                ? sizeof(GraphPicture::Pixel) * GraphPicture::kWidth * GraphPicture::kHeight
                : 0);
  }
};

class SweepRuns {
 public:
  static constexpr std::size_t kWaitingBytes = std::size_t{32} << 20;

  using RunOne = std::function<SweepResult(std::int64_t index)>;

  // Starts `jobs` threads that run indices 0 to total - 1 with `runOne`.
  SweepRuns(std::int64_t total, std::int64_t jobs, RunOne runOne);
  // Waits for the threads, which take no further run once a stop is
  // requested or startNoMore() was called.
  ~SweepRuns();
  SweepRuns(const SweepRuns&) = delete;
  SweepRuns& operator=(const SweepRuns&) = delete;

  // False when not even one thread could be started.
  bool started() const { return !threads_.empty(); }

  struct Handed {
    std::vector<SweepResult> results;  // the next ones in product order
    std::int64_t ended = 0;            // runs ended so far, in any order
    bool over = false;                 // nothing more will come
  };
  // The results from the next index on that are there, waiting a moment
  // for one if none is. An interrupted run, and every run after it, is
  // never handed back.
  Handed next();

  // Starts no further run (the runs in progress end as usual).
  void startNoMore();

 private:
  void work();

  const std::int64_t total_;
  const std::int64_t window_;
  const RunOne runOne_;
  std::vector<std::thread> threads_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::int64_t next_ = 0;     // the next run to start
  std::int64_t handed_ = 0;   // results handed back
  std::int64_t ended_ = 0;    // runs ended, in any order
  std::int64_t working_ = 0;  // threads still taking runs
  std::size_t waitingBytes_ = 0;
  std::map<std::int64_t, SweepResult> waiting_;
};

}  // namespace tarvex::batch
