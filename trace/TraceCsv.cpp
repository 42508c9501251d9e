#include "TraceCsv.h"

#include <cerrno>

#include "AccelState.h"
#include "OutputFile.h"
#include "Units.h"

namespace tarvex {

std::string traceCsvRow(const TracePoint& p, std::int32_t range) {
  std::string row = std::to_string(p.tick);
  row += ',' + units::tableSeconds(p.tick);
  row += ',' + std::to_string(p.pulses);
  row += ',' + std::to_string(p.speedCounter);
  row += ',' + units::tablePulsesPerSecond(p.speedCounter, range);
  row += ',' + std::to_string(p.accelCounter);
  row += ',' + std::to_string(stateNumber(p.state));
  row += '\n';
  return row;
}

TraceCsvFile::TraceCsvFile(const std::filesystem::path& path, Output output) : path_(path) {
  errno = 0;
  file_ = openForWriting(path_, output);
  if (file_ == nullptr) {
    fail("cannot create ");
    return;
  }
  write(kTraceCsvHeader);
}

TraceCsvFile::~TraceCsvFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void TraceCsvFile::add(const TracePoint& point, std::int32_t range) {
  if (file_ == nullptr) return;
  write(traceCsvRow(point, range));
  lastTick_ = point.tick;
}

void TraceCsvFile::runEnded(const TracePoint& end, std::int32_t range) {
  if (end.tick != lastTick_) add(end, range);
}

void TraceCsvFile::write(std::string_view bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    fail("cannot write ");
    std::fclose(file_);
    file_ = nullptr;
  }
}

void TraceCsvFile::fail(const char* what) {
  if (!error_.empty()) return;
  error_ = what + pathText(path_) + ": " + fileErrorReason(errno != 0 ? errno : EIO);
}

std::string TraceCsvFile::finish() {
  if (file_ != nullptr) {
    errno = 0;
    if (std::fclose(file_) != 0) fail("cannot write ");
    file_ = nullptr;
  }
  return error_;
}

std::string writeTraceCsv(const RunTrace& trace, const std::filesystem::path& path) {
  TraceCsvFile file(path);
  for (const TracePoint& point : trace.points()) {
    if (!file.error().empty()) break;
    file.add(point, trace.range());
  }
  if (const auto& end = trace.endAfterLastPoint(); end && file.error().empty())
    file.add(*end, trace.range());
  return file.finish();
}

}  // namespace tarvex
