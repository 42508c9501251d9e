// A sweep's curves in one picture, with the single run's scales: the first
// runs each in an ink of its own, named in a legend by their varied texts;
// runs beyond what the legend holds in gray, counted in a note.
//
// The family is drawn as the runs arrive, in product order, and keeps only
// what stays the same size whatever the number of runs: a PNG's pixels, an
// SVG's start written to the file at the first run and every gray curve
// after it as it comes; the few inked curves wait to be drawn last, over
// the grays.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "GraphPicture.h"
#include "SweepPlan.h"

namespace tarvex::batch {

class FamilyPlot {
 public:
  static constexpr std::int64_t kLegendCurves = 10;

  // The family of a sweep of `runCount` runs, written into `file` (open,
  // made for `path`, .svg or .png) by write().
  FamilyPlot(const std::vector<Variation>& variations, std::int64_t runCount, std::FILE* file,
             const std::filesystem::path& path);
  ~FamilyPlot();
  FamilyPlot(const FamilyPlot&) = delete;
  FamilyPlot& operator=(const FamilyPlot&) = delete;

  // The ink run `index` (from 0, in product order) draws its curve in.
  GraphPicture::Pixel inkOf(std::int64_t index) const;
  // What the family keeps of a run's picture.
  GraphPicture::CurveForm curveForm() const { return form_; }

  // Run `index`'s curve, with its texts; runs are added in product order.
  // The first run's picture brings the frame and the axis captions.
  void add(std::int64_t index, const GraphPicture* firstRun, const GraphPicture::Curve& curve,
           const std::vector<std::string_view>& texts);
  // Writes the rest of the family with its legend and closes the file;
  // returns the error, if any.
  std::string write();

 private:
  void writeSvg(const std::string& part);

  std::FILE* file_;
  std::filesystem::path path_;
  GraphPicture::CurveForm form_;
  GraphPicture family_;
  bool started_ = false;
  std::string error_;                       // the first write that failed
  std::vector<GraphPicture::Curve> inked_;  // drawn last, over the gray ones
  std::vector<GraphPicture::LegendLine> legend_;
  std::int64_t runCount_;
  std::int64_t grayCurves_ = 0;
};

}  // namespace tarvex::batch
