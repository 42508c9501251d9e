#include "DataLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "GuardedArithmetic.h"
#include "OutputFile.h"
#include "RunError.h"

namespace tarvex {
namespace {

// One record is at most 4 numbers of 12 characters and CR LF; each number is
// copied in 24 bytes.
constexpr std::size_t kMaxRecordLength = 3 * 12 + 24 + 2;

// Two decimal digits at a time.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Print form of a number: sign position, digits, one blank.
char* printNumber(char* out, std::int64_t value) {
  std::uint64_t magnitude;
  if (value < 0) {
    *out++ = '-';
    magnitude = static_cast<std::uint64_t>(-(value + 1)) + 1;
  } else {
    *out++ = ' ';
    magnitude = static_cast<std::uint64_t>(value);
  }
  char digits[24];
  char* end = digits + sizeof digits;
  char* p = end;
  while (magnitude >= 100) {
    const auto pair = static_cast<std::size_t>(magnitude % 100) * 2;
    magnitude /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (magnitude >= 10) {
    const auto pair = static_cast<std::size_t>(magnitude) * 2;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  } else {
    *--p = static_cast<char>('0' + magnitude);
  }
  while (p != end) *out++ = *p++;
  *out++ = ' ';
  return out;
}

}  // namespace

void DataLog::raiseFileError(Step step, const char* what, int error) const {
  tarvex::raiseFileError(step, what, pathText(path_), error);
}

DataLog::~DataLog() {
  closeAfterFailure();
}

void DataLog::openLog() {
  closeAfterFailure();
  logSampleNumber_ = 1;
  logRecordCount_ = 0;
  logCycle_ = 0;
  used_ = 0;
  bufferedRecords_ = 0;
  recordsWritten_ = 0;
  if (!path_.empty()) {
    errno = 0;
    file_ = openForWriting(path_, Output::DataLog);
    if (file_ == nullptr) raiseFileError(Step::OpenLog, "cannot open", errno);
    // Our own buffer collects the records; each flush goes straight to the
    // file so that a full disk is seen at the write that hits it.
    std::setvbuf(file_, nullptr, _IONBF, 0);
  }
  writing_ = true;
}

void DataLog::logStep(std::int64_t outputPulseCount, std::int16_t speedCounter,
                      std::int16_t accelCounter, LiveOptions& options) {
  logCycle_ = 0;
  if (options.recording()) {
    writeRecord(logSampleNumber_, outputPulseCount, speedCounter, accelCounter);
    logRecordCount_ = guardedAdd<std::int32_t>(logRecordCount_, 1, Step::LogRecordCount);
    if (logRecordCount_ > kRecordCap) options.stopRecording();
  }
  logSampleNumber_ = guardedAdd<std::int32_t>(logSampleNumber_, 1, Step::LogSampleNumber);
}

void DataLog::writeRecord(std::int64_t sample, std::int64_t pulses, std::int64_t speed,
                          std::int64_t accel) {
  if (buffer_.size() - used_ < kMaxRecordLength) flushBuffer();
  char* out = buffer_.data() + used_;
  out = printed_[0].print(out, sample);
  out = printed_[1].print(out, pulses);
  out = printed_[2].print(out, speed);
  out = printed_[3].print(out, accel);
  *out++ = '\r';
  *out++ = '\n';
  used_ = static_cast<std::size_t>(out - buffer_.data());
  ++bufferedRecords_;
}

char* DataLog::PrintedNumber::print(char* out, std::int64_t value) {
  if (length_ == 0 || value != value_) {
    // Raising a positive number by one: count up the digits in place.
    if (length_ != 0 && value_ > 0 && value == value_ + 1 && text_[length_ - 2] != '9') {
      ++text_[length_ - 2];
      value_ = value;
    } else {
      reprint(value);
    }
  }
  // A fixed-size copy is cheaper than one of the exact length; the buffer
  // always has room for the overshoot.
  std::memcpy(out, text_, sizeof text_);
  return out + length_;
}

void DataLog::PrintedNumber::reprint(std::int64_t value) {
  value_ = value;
  length_ = static_cast<std::uint8_t>(printNumber(text_, value) - text_);
}

void DataLog::flushBuffer() {
  if (file_ != nullptr && used_ > 0) {
    errno = 0;
    const std::size_t written = std::fwrite(buffer_.data(), 1, used_, file_);
    if (written != used_) {
      const int error = errno;
      // The records whose line end got out before the failure.
      recordsWritten_ += std::count(buffer_.data(), buffer_.data() + written, '\n');
      used_ = 0;
      bufferedRecords_ = 0;
      raiseFileError(Step::WriteLog, "cannot write", error);
    }
  }
  recordsWritten_ += bufferedRecords_;
  bufferedRecords_ = 0;
  used_ = 0;
}

void DataLog::closeLog() {
  if (!writing_) return;
  writing_ = false;
  std::FILE* file = file_;
  try {
    flushBuffer();
  } catch (...) {
    file_ = nullptr;
    std::fclose(file);
    throw;
  }
  file_ = nullptr;
  if (file != nullptr) {
    errno = 0;
    if (std::fclose(file) != 0) raiseFileError(Step::CloseLog, "cannot close", errno);
  }
}

void DataLog::closeAfterFailure() noexcept {
  try {
    closeLog();
  } catch (...) {
    // The run has already failed; what could be written has been.
  }
}

}  // namespace tarvex
