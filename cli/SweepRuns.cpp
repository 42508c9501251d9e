#include "SweepRuns.h"

#include <chrono>
#include <system_error>

#include "StopRequest.h"

namespace tarvex::batch {

SweepRuns::SweepRuns(std::int64_t total, std::int64_t jobs, RunOne runOne)
    : total_(total), window_(8 * jobs), runOne_(std::move(runOne)) {
  std::lock_guard lock(mutex_);
  try {
    for (std::int64_t i = 0; i < jobs; ++i) {
      threads_.emplace_back([this] { work(); });
      ++working_;
    }
  } catch (const std::system_error&) {
    // Fewer threads than asked for: the sweep goes on with those there are.
  }
}

SweepRuns::~SweepRuns() {
  startNoMore();
  for (std::thread& t : threads_) t.join();
}

void SweepRuns::work() {
  leaveStopRequestsToOtherThreads();
  for (;;) {
    std::int64_t index = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(
          lock, [&] { return next_ >= total_ || stopRequested() || next_ < handed_ + window_; });
      if (next_ >= total_ || stopRequested()) break;
      index = next_++;
    }
    SweepResult result = runOne_(index);
    {
      std::lock_guard lock(mutex_);
      waitingBytes_ += result.bytes();
      waiting_.emplace(index, std::move(result));
      ++ended_;
    }
    changed_.notify_all();
  }
  {
    std::lock_guard lock(mutex_);
    --working_;
  }
  changed_.notify_all();
}

SweepRuns::Handed SweepRuns::next() {
  Handed handed;
  {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(100), [&] {
      return working_ == 0 || (!waiting_.empty() && waiting_.begin()->first == handed_);
    });
    for (auto first = waiting_.begin();
         first != waiting_.end() && first->first == handed_ && !first->second.interrupted;
         first = waiting_.erase(first), ++handed_) {
      waitingBytes_ -= first->second.bytes();
      handed.results.push_back(std::move(first->second));
    }
    handed.over = working_ == 0 && handed.results.empty();
    handed.ended = ended_;
  }
  // Handing back moves the window on; an interrupt wakes the threads so
  // that they end.
  if (!handed.results.empty() || stopRequested()) changed_.notify_all();
  return handed;
}

void SweepRuns::startNoMore() {
  {
    std::lock_guard lock(mutex_);
    next_ = total_;
  }
  changed_.notify_all();
}

}  // namespace tarvex::batch
