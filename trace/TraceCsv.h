// A run's trace as CSV: one header line, then one row per plotted point,
// comma-separated, LF line ends, UTF-8 (plain ASCII), so that spreadsheet
// tools and data-frame readers take it as it is:
//
//   tick,time_s,pulses,speed_counter,speed_pps,accel_counter,state
//   961,0.000120125,1,10,100.000,1,1
//
// time_s is tick / 8,000,000 with 9 decimals; speed_pps is speed counter x
// 8,000,000 / range with 3 decimals. The numbers never depend on the
// system's locale. A run that completed or was stopped between two points
// ends with one more row: its values at its last tick.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "OutputFile.h"
#include "RunTrace.h"

namespace tarvex {

inline constexpr std::string_view kTraceCsvHeader =
    "tick,time_s,pulses,speed_counter,speed_pps,accel_counter,state\n";

// One row, with its LF.
std::string traceCsvRow(const TracePoint& point, std::int32_t range);

// A trace written to its file point by point, as the run plots them.
class TraceCsvFile final : public TraceSink {
 public:
  // Creates the file and writes the header; error() tells whether that
  // failed. `output` says where it may go: a batch run's --trace may stream.
  explicit TraceCsvFile(const std::filesystem::path& path, Output output = Output::Export);
  ~TraceCsvFile() override;
  TraceCsvFile(const TraceCsvFile&) = delete;
  TraceCsvFile& operator=(const TraceCsvFile&) = delete;

  void pointPlotted(const PlottedPoint& point) override { add(point.values, point.range); }
  void runEnded(const TracePoint& end, std::int32_t range) override;
  void add(const TracePoint& point, std::int32_t range);
  // Closes the file; returns what went wrong with it, empty when nothing did.
  std::string finish();
  const std::string& error() const { return error_; }

 private:
  void write(std::string_view bytes);
  void fail(const char* what);

  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
  std::int64_t lastTick_ = -1;  // of the last row written
  std::string error_;
};

// Writes a whole trace kept in memory. Empty when done, else what went wrong.
std::string writeTraceCsv(const RunTrace& trace, const std::filesystem::path& path);

}  // namespace tarvex
