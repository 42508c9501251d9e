#include "Sweep.h"

#include "StopRequest.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "BatchRun.h"
#include "FailureText.h"
#include "PrintableText.h"
#include "SweepPlan.h"
#include "SweepPlot.h"
#include "SweepReport.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tarvex::batch {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;

using Clock = std::chrono::steady_clock;

bool stderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

// Rows end in LF alone on every platform.
void binaryStdout() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// "12/2000 runs, 3.1 s, about 4.2 s left" on one line of a terminal,
// rewritten in place, once the sweep has taken a second.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err) : err_(err), terminal_(stderrIsTerminal()) {}

  void show(std::int64_t done, std::int64_t total) {
    const double elapsed = secondsSince(start_);
    if (!terminal_ || elapsed < 1.0 || secondsSince(lastShown_) < 0.2) return;
    lastShown_ = Clock::now();
    char line[128];
    std::snprintf(line, sizeof line, "%lld/%lld runs, %.1f s", static_cast<long long>(done),
                  static_cast<long long>(total), elapsed);
    std::string text = line;
    if (done > 0) {
      std::snprintf(line, sizeof line, ", about %.1f s left",
                    elapsed / static_cast<double>(done) * static_cast<double>(total - done));
      text += line;
    }
    const std::size_t length = text.size();
    if (text.size() < width_) text.append(width_ - text.size(), ' ');
    width_ = length;
    err_ << '\r' << text << std::flush;
  }
  void clear() {
    if (width_ > 0) err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
  }

 private:
  std::ostream& err_;
  bool terminal_;
  Clock::time_point start_ = Clock::now();
  Clock::time_point lastShown_ = start_ - std::chrono::seconds(1);
  std::size_t width_ = 0;
};

// "driveSpeed=1000 jerkAccel=600" for a run's texts.
std::string runName(const std::vector<Variation>& variations,
                    const std::vector<std::string_view>& texts) {
  std::string name;
  for (std::size_t i = 0; i < texts.size(); ++i)
    name += (i ? " " : "") + variations[i].name + "=" + std::string(texts[i]);
  return name;
}

// What one run of the sweep leaves for the printer.
struct RunResult {
  std::string row;
  std::string failure;  // the failed run's message
  bool failed = false;
  bool interrupted = false;  // stopped by Ctrl-C before its end: no row
  std::unique_ptr<GraphPicture> picture;
};

class Sweep {
 public:
  Sweep(const FormModel& base, const BatchOptions& options, std::FILE* plotFile)
      : base_(base),
        options_(options),
        plotFile_(plotFile),
        total_(sweepRunCount(options.variations)),
        jobs_(std::min<std::int64_t>(total_, options.jobs ? *options.jobs : defaultJobs())),
        window_(8 * jobs_) {
    if (options.plotPath) plot_.emplace(options.variations, total_);
  }

  int run(std::ostream& out, std::ostream& err);

 private:
  static std::int64_t defaultJobs() { return std::max(1u, std::thread::hardware_concurrency()); }
  void work();
  RunResult runOne(std::int64_t index) const;
  // The results from the next row on that are there to print; under the lock.
  std::vector<RunResult> takeReady();

  const FormModel& base_;
  const BatchOptions& options_;
  std::FILE* plotFile_;
  const std::int64_t total_;
  const std::int64_t jobs_;
  // Runs start at most this far ahead of the rows printed, so that results
  // waiting for an earlier one to end stay few.
  const std::int64_t window_;
  std::optional<FamilyPlot> plot_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::int64_t next_ = 0;     // the next run to start
  std::int64_t printed_ = 0;  // rows taken for printing
  std::int64_t ended_ = 0;    // runs ended, in any order
  std::int64_t working_ = 0;  // threads still taking runs
  std::map<std::int64_t, RunResult> results_;
};

RunResult Sweep::runOne(std::int64_t index) const {
  const std::vector<std::string_view> texts = runTexts(options_.variations, index);
  FormModel form = base_;
  for (std::size_t i = 0; i < texts.size(); ++i)
    form.setText(options_.variations[i].box, std::string(texts[i]));
  RunResult result;
  NullGraphSurface nowhere;
  if (plot_) {
    result.picture = std::make_unique<GraphPicture>();
    result.picture->setCurveInk(plot_->inkOf(index));
  }
  // No data log: recording is refused in a sweep, and a run's log is no row.
  BatchRun run(form, options_,
               result.picture ? *result.picture : static_cast<GraphSurface&>(nowhere),
               std::filesystem::path());
  const RunOutcome outcome = run.run();
  result.interrupted = outcome.end == RunEnd::Stopped && stopRequested();
  result.failed = outcome.failed();
  if (result.failed) result.failure = describeFailure(outcome);
  const RunReport report = run.report(outcome);
  result.row = options_.json ? jsonRow(options_.variations, texts, report) : csvRow(texts, report);
  return result;
}

void Sweep::work() {
  for (;;) {
    std::int64_t index = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(
          lock, [&] { return next_ >= total_ || stopRequested() || next_ < printed_ + window_; });
      if (next_ >= total_ || stopRequested()) break;
      index = next_++;
    }
    RunResult result = runOne(index);
    {
      std::lock_guard lock(mutex_);
      results_.emplace(index, std::move(result));
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

std::vector<RunResult> Sweep::takeReady() {
  std::vector<RunResult> ready;
  for (auto first = results_.begin();
       first != results_.end() && first->first == printed_ && !first->second.interrupted;
       first = results_.erase(first), ++printed_)
    ready.push_back(std::move(first->second));
  return ready;
}

int Sweep::run(std::ostream& out, std::ostream& err) {
  binaryStdout();
  if (!options_.json) out << csvHeader(options_.variations);
  std::vector<std::thread> threads;
  working_ = jobs_;
  try {
    for (std::int64_t i = 0; i < jobs_; ++i) threads.emplace_back([this] { work(); });
  } catch (const std::system_error&) {
    std::lock_guard lock(mutex_);
    working_ -= jobs_ - static_cast<std::int64_t>(threads.size());
  }
  if (threads.empty()) {
    err << "tarvex-batch: cannot start a thread for the runs\n";
    return kExitRunFailed;
  }

  ProgressLine progress(err);
  std::int64_t rows = 0, failed = 0;
  std::string firstFailure;
  for (bool over = false; !over;) {
    std::vector<RunResult> ready;
    std::int64_t ended = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait_for(lock, std::chrono::milliseconds(100), [&] {
        return working_ == 0 || (!results_.empty() && results_.begin()->first == printed_);
      });
      ready = takeReady();
      over = working_ == 0 && ready.empty();
      ended = ended_;
    }
    // Printing moves the window on; an interrupt wakes the threads so they end.
    if (!ready.empty() || stopRequested()) changed_.notify_all();
    if (!ready.empty()) progress.clear();  // rows and progress may share a terminal
    for (RunResult& r : ready) {
      out << r.row;
      const std::vector<std::string_view> texts = runTexts(options_.variations, rows);
      if (r.failed && failed++ == 0)
        firstFailure = "the first, " + runName(options_.variations, texts) + ": " + r.failure;
      if (plot_) plot_->add(rows, std::move(r.picture), texts);
      ++rows;
    }
    if (!ready.empty() && !out.flush()) {
      // Nobody takes the rows any more: start no further run.
      std::lock_guard lock(mutex_);
      next_ = total_;
    }
    progress.show(ended, total_);
  }
  for (std::thread& t : threads) t.join();
  progress.clear();

  const auto say = [&err](const std::string& message) {
    err << "tarvex-batch: " << terminalText(message) << "\n";
  };
  int status = failed > 0 ? kExitRunFailed : kExitOk;
  if (failed > 0)
    say(std::to_string(failed) + " of " + std::to_string(rows) + " runs failed; " + firstFailure);
  if (plot_) {
    if (const std::string error = plot_->write(plotFile_, *options_.plotPath); !error.empty()) {
      say(error);
      status = kExitRunFailed;
    }
  }
  if (!out.flush()) {
    say("the rows could not be written to the standard output");
    status = kExitRunFailed;
  }
  if (rows < total_ && stopRequested())
    say("interrupted: " + std::to_string(rows) + " of " + std::to_string(total_) + " runs ran");
  return status;
}

}  // namespace

int runSweep(const FormModel& base, const BatchOptions& options, std::FILE* plotFile,
             std::ostream& out, std::ostream& err) {
  return Sweep(base, options, plotFile).run(out, err);
}

std::string sweepUsageError(const BatchOptions& options, const std::set<std::string>& given) {
  if (options.variations.empty()) return given.count("--jobs") ? "--jobs needs --vary" : "";
  for (const char* option : {"--record", "--log", "--points", "--trace"})
    if (given.count(option))
      return std::string(option) +
             " cannot be used with --vary (a sweep writes no data log, no points and no trace)";
  const auto recording = [](const SetBox& s) { return s.box == CheckBox::Check1 && s.value != 0; };
  for (const auto& step : options.setup)
    if (const auto* box = std::get_if<SetBox>(&step); box && recording(*box))
      return "--box Check1 (data recording) cannot be used with --vary";
  for (const LiveChange& change : options.liveChanges)
    if (recording(change.change))
      return "--at with Check1 (data recording) cannot be used with --vary";
  for (std::size_t i = 0; i < options.variations.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (options.variations[i].box == options.variations[j].box)
        return "--vary: " + options.variations[j].name + " and " + options.variations[i].name +
               " are the same field";
  if (sweepRunCount(options.variations) < 0)
    return "--vary: more than " + std::to_string(kMaxSweepRuns) + " runs";
  return "";
}

std::string sweepUsageText() {
  return R"(
Sweeps:
  --vary NAME=VALUES   one run for every value of a field, NAME as for --set.
                       VALUES is FROM:TO:STEP (inclusive; STEP not 0 and
                       towards TO, may be negative; decimals only for
                       speedDisplayMax and timeDisplayMax) or a comma-separated
                       list of texts used exactly as typed. Several --vary
                       make every combination, the first one outermost. Each
                       run starts as the single run with the same options,
                       then gets its texts as --set would set them
  --jobs N             N runs at once (default: one per core)
  With --vary, the output is a CSV header line and one row per run in order:
  the varied texts, outcome, error, ticks, seconds, pulses, the readouts,
  peak_pps, accel_end_s, decel_start_s (--json: one object per line, the
  single run's with "vary" and the same figures). A failed run is a row, not
  the end of the sweep. --plot draws every run's curve in one picture with a
  legend. --record, --log, --points and --trace cannot be used with --vary.
  Ctrl-C
  stops the runs in progress and prints every row before the first
  unfinished one.
  Example, the move time and the peak speed against jerkAccel:
    tarvex-batch --vary jerkAccel=0:1200:200 | cut -d, -f1,5,15
)";
}

}  // namespace tarvex::batch
