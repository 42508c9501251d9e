// The data log: while recording is on, one record every eighth tick
// with the sample number, the output pulses so far, the speed counter and the
// acceleration/deceleration counter. Each number is printed as a sign
// position (minus or blank), its digits and a blank; a record ends in CR LF.
// After more than 1,000,000 records in a run the log switches recording off
// itself.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "LiveOptions.h"
#include "RunError.h"

namespace tarvex {

class DataLog {
 public:
  static constexpr std::int32_t kRecordCap = 1000000;
  // The log's name, in the working directory, unless told otherwise.
  static constexpr const char* kDefaultPath = "DATA_LOG.txt";

  // An empty path keeps the counters but writes nowhere.
  explicit DataLog(std::filesystem::path path = kDefaultPath) : path_(std::move(path)) {}
  ~DataLog();
  DataLog(const DataLog&) = delete;
  DataLog& operator=(const DataLog&) = delete;

  // Creates or empties the file and resets the counters. Raises the file
  // error when the file cannot be opened.
  void openLog();

  // End of every tick: a log step every eighth tick.
  void logTick(std::int64_t outputPulseCount, std::int16_t speedCounter, std::int16_t accelCounter,
               LiveOptions& options) {
    if (++logCycle_ != 8) return;
    logStep(outputPulseCount, speedCounter, accelCounter, options);
  }

  // Writes out what is buffered and closes the file. Raises the file error
  // when the last write or the close fails; the file is closed in any case.
  void closeLog();
  // After a failed run: writes out what it can and closes, without raising.
  void closeAfterFailure() noexcept;

  // How many of the coming ticks end without writing a record, with
  // recording as it stands.
  std::int64_t ticksBeforeNextRecord(const LiveOptions& options) const {
    if (options.recording()) return 7 - logCycle_;
    // Log steps that write nothing only count samples; stop short of the
    // sample number's limit so that its overflow happens in a computed tick.
    const std::int64_t stepsLeft = std::int64_t{2147483647} - logSampleNumber_;
    return stepsLeft * 8 + (7 - logCycle_);
  }
  // The log steps of `ticks` ticks that write nothing.
  void skipTicks(std::int64_t ticks) {
    const std::int64_t cycles = logCycle_ + ticks;
    logSampleNumber_ += static_cast<std::int32_t>(cycles / 8);
    logCycle_ = static_cast<std::int16_t>(cycles % 8);
  }

  bool isOpen() const { return file_ != nullptr; }
  const std::filesystem::path& path() const { return path_; }
  std::int32_t recordCount() const { return logRecordCount_; }
  // Records that reached the file whole: all of them, unless a write failed.
  std::int64_t recordsWritten() const { return recordsWritten_; }
  std::int32_t sampleNumber() const { return logSampleNumber_; }

 private:
  void logStep(std::int64_t outputPulseCount, std::int16_t speedCounter, std::int16_t accelCounter,
               LiveOptions& options);
  void writeRecord(std::int64_t sample, std::int64_t pulses, std::int64_t speed,
                   std::int64_t accel);
  void flushBuffer();

  // One number of a record in its print form, kept from the record before:
  // consecutive records mostly repeat a value or raise it by one.
  class PrintedNumber {
   public:
    char* print(char* out, std::int64_t value);

   private:
    void reprint(std::int64_t value);
    std::int64_t value_ = 0;
    std::uint8_t length_ = 0;  // 0: nothing printed yet
    char text_[24] = {};
  };

  [[noreturn]] void raiseFileError(Step step, const char* what, int error) const;

  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
  PrintedNumber printed_[4];
  bool writing_ = false;  // open, or recording into the void when path_ is empty
  std::int16_t logCycle_ = 0;
  std::int32_t logSampleNumber_ = 1;
  std::int32_t logRecordCount_ = 0;
  std::size_t used_ = 0;
  std::int64_t bufferedRecords_ = 0;
  std::int64_t recordsWritten_ = 0;
  std::array<char, 1 << 16> buffer_{};
};

}  // namespace tarvex
