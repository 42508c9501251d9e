#include "SweepRows.h"

#include <cstdio>

#include "StopRequest.h"
#include "SweepReport.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tarvex::batch {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;

bool stderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// "driveSpeed=1000 jerkAccel=600" for a run's texts.
std::string runName(const std::vector<Variation>& variations,
                    const std::vector<std::string_view>& texts) {
  std::string name;
  for (std::size_t i = 0; i < texts.size(); ++i)
    name += (i ? " " : "") + variations[i].name + "=" + std::string(texts[i]);
  return name;
}

}  // namespace

int sweepExitStatus(const SweepTally& tally) {
  const bool outputFailed = !tally.rowsError.empty() || !tally.plotError.empty();
  return tally.failed > 0 || outputFailed ? kExitRunFailed : kExitOk;
}

std::vector<std::string> sweepClosingLines(const SweepTally& tally) {
  std::vector<std::string> lines;
  if (tally.failed > 0)
    lines.push_back(std::to_string(tally.failed) + " of " + std::to_string(tally.rows) +
                    " runs failed; " + tally.firstFailure);
  if (!tally.plotError.empty()) lines.push_back("the plot: " + tally.plotError);
  if (!tally.rowsError.empty())
    lines.push_back("the rows: cannot write the standard output: " + tally.rowsError);
  if (tally.interrupted)
    lines.push_back("interrupted: " + std::to_string(tally.finished) + " of " +
                    std::to_string(tally.total) + " runs finished, " +
                    std::to_string(tally.printed) + " rows printed");
  return lines;
}

ProgressLine::ProgressLine() : terminal_(stderrIsTerminal()) {}

void ProgressLine::show(std::int64_t done, std::int64_t total) {
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
  std::fputs(("\r" + text).c_str(), stderr);
  std::fflush(stderr);
}

void ProgressLine::clear() {
  if (width_ > 0) std::fputs(("\r" + std::string(width_, ' ') + "\r").c_str(), stderr);
  std::fflush(stderr);
  width_ = 0;
}

SweepRows::SweepRows(const BatchOptions& options, std::int64_t total, FamilyPlot* plot, Write write)
    : options_(options), plot_(plot), write_(write) {
  tally_.total = total;
}

bool SweepRows::begin() {
  if (options_.json) return true;
  tally_.rowsError = write_(csvHeader(options_.variations));
  return tally_.rowsError.empty();
}

bool SweepRows::print(std::vector<SweepResult>& results, std::int64_t ended) {
  tally_.finished = ended;
  if (!results.empty()) progress_.clear();  // rows and progress may share a terminal
  std::string rows;
  for (SweepResult& r : results) {
    rows += r.row;
    const std::vector<std::string_view> texts = runTexts(options_.variations, tally_.rows);
    if (r.failed && tally_.failed++ == 0)
      tally_.firstFailure = "the first, " + runName(options_.variations, texts) + ": " + r.failure;
    if (plot_) plot_->add(tally_.rows, r.firstPicture.get(), r.curve, texts);
    ++tally_.rows;
  }
  if (!rows.empty() && tally_.rowsError.empty()) {
    tally_.rowsError = write_(rows);
    if (tally_.rowsError.empty()) tally_.printed = tally_.rows;
  }
  progress_.show(ended, tally_.total);
  return tally_.rowsError.empty();
}

SweepTally SweepRows::end(std::int64_t ended) {
  progress_.clear();
  tally_.finished = ended;
  tally_.interrupted = tally_.rows < tally_.total && stopRequested();
  return tally_;
}

}  // namespace tarvex::batch
