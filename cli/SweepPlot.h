// A sweep's curves in one picture, with the single run's scales: the first
// runs each in an ink of its own, named in a legend by their varied texts;
// runs beyond what the legend holds in gray, counted in a note.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "GraphPicture.h"
#include "SweepPlan.h"

namespace tarvex::batch {

class FamilyPlot {
 public:
  static constexpr std::int64_t kLegendCurves = 10;

  FamilyPlot(const std::vector<Variation>& variations, std::int64_t runCount);

  // The ink run `index` (from 0, in product order) draws its curve in.
  GraphPicture::Pixel inkOf(std::int64_t index) const;
  // The picture of run `index`, drawn in inkOf(index), with its texts; runs
  // are added in product order.
  void add(std::int64_t index, std::unique_ptr<GraphPicture> run,
           const std::vector<std::string_view>& texts);
  // Writes the family with its legend into `file`, made for `path` (.svg or
  // .png), and closes it; returns the error.
  std::string write(std::FILE* file, const std::filesystem::path& path);

 private:
  GraphPicture family_;
  std::vector<std::unique_ptr<GraphPicture>> inked_;  // drawn last, over the gray ones
  std::vector<GraphPicture::LegendLine> legend_;
  std::int64_t runCount_;
  std::int64_t grayCurves_ = 0;
};

}  // namespace tarvex::batch
