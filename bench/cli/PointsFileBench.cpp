// The batch runner's points file against the plain write of its bytes, in
// one process, by turns:
//
//   points file / raw write   writing 1,000,000 plotted points as "x y"
//                             lines (every number put as text) against
//                             writing the very same bytes, already made,
//                             64 KiB at a time (target <= 1.2 natively)
//
// Each is run ROUNDS times, the two by turns; the figures are the medians in
// milliseconds and the median of the rounds' ratios. The points are the
// first 1,000,000 the start-up run plots when the graph spans 0.01 s, as
// `tarvex-batch --set timeDisplayMax=0.01 --points PATH` writes them.
//
//   points_file_bench [ROUNDS] [FOLDER]      (default 9 rounds, the working folder)
//
// The same source builds for WebAssembly, where it measures the same under
// node (with the folder on the real file system).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "FormModel.h"
#include "FormRun.h"
#include "GraphExport.h"
#include "StartupValues.h"
#include "TickEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kPoints = 1000000;

// Keeps the points a run plots, up to kPoints.
class KeptPoints final : public tarvex::TraceSink {
 public:
  void pointPlotted(const tarvex::PlottedPoint& point) override {
    if (points.size() < kPoints) points.push_back(point);
  }
  std::vector<tarvex::PlottedPoint> points;
};

std::vector<tarvex::PlottedPoint> startupRunPoints() {
  tarvex::FormModel form;
  tarvex::applyStartupValues(form);
  form.setText(tarvex::TextBox::Text11, "0.01");  // timeDisplayMax
  tarvex::FormOptions options(form);
  tarvex::SilentReadouts readouts;
  tarvex::NullGraphSurface surface;
  KeptPoints kept;
  kept.points.reserve(kPoints);
  tarvex::TickEngine engine(options, readouts, surface, &kept, "");
  engine.run(tarvex::readRunParameters(form));
  if (kept.points.size() < kPoints) {
    std::fprintf(stderr, "the run plots only %zu points\n", kept.points.size());
    std::exit(1);
  }
  return std::move(kept.points);
}

// Where a point was drawn: all that its line in the points file says. Kept
// apart from the rest of the point, so that the benchmark's own reading of
// its input stays small beside the writing it measures (as in a run, where
// each point comes from the engine just made).
struct Place {
  float x, y;
};

std::vector<Place> placesOf(const std::vector<tarvex::PlottedPoint>& points) {
  std::vector<Place> places;
  places.reserve(points.size());
  for (const tarvex::PlottedPoint& point : points) places.push_back({point.x, point.y});
  return places;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double writePointsFile(const std::vector<Place>& places, const std::filesystem::path& path) {
  const Clock::time_point start = Clock::now();
  tarvex::batch::BatchGraph graph(path, std::nullopt);
  tarvex::PlottedPoint point{};
  for (const Place& place : places) {
    point.x = place.x;
    point.y = place.y;
    graph.pointPlotted(point);
  }
  const std::string error = graph.finishPoints();
  const double ms = millisecondsSince(start);
  if (!error.empty() || !graph.openError().empty()) {
    std::fprintf(stderr, "%s%s\n", graph.openError().c_str(), error.c_str());
    std::exit(1);
  }
  return ms;
}

double writeRaw(const std::string& bytes, const std::filesystem::path& path) {
  const Clock::time_point start = Clock::now();
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  bool written = file != nullptr;
  for (std::size_t at = 0; written && at < bytes.size(); at += 64 * 1024) {
    const std::size_t n = std::min<std::size_t>(64 * 1024, bytes.size() - at);
    written = std::fwrite(bytes.data() + at, 1, n, file) == n;
  }
  written = file != nullptr && std::fclose(file) == 0 && written;
  const double ms = millisecondsSince(start);
  if (!written) {
    std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
    std::exit(1);
  }
  return ms;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const std::filesystem::path folder = argc > 2 ? argv[2] : ".";
  const std::filesystem::path pointsPath = folder / "points_file_bench_points.txt";
  const std::filesystem::path rawPath = folder / "points_file_bench_raw.txt";
  const std::vector<Place> points = placesOf(startupRunPoints());

  writePointsFile(points, pointsPath);  // warms up, and gives the bytes
  std::ifstream in(pointsPath, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();

  std::vector<double> pointsMs, rawMs, ratios;
  for (int round = 0; round < rounds; ++round) {
    pointsMs.push_back(writePointsFile(points, pointsPath));
    rawMs.push_back(writeRaw(bytes, rawPath));
    ratios.push_back(pointsMs.back() / rawMs.back());
  }
  std::filesystem::remove(pointsPath);
  std::filesystem::remove(rawPath);
  std::printf("%zu points, %zu bytes, %d rounds\n", kPoints, bytes.size(), rounds);
  std::printf("points file  %8.2f ms\n", median(pointsMs));
  std::printf("raw write    %8.2f ms\n", median(rawMs));
  std::printf("ratio        %8.2f (median of the rounds' ratios)\n", median(ratios));
  return 0;
}
