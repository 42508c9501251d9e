#include "SweepPlot.h"

#include <array>
#include <cerrno>
#include <utility>

#include "Conversions.h"
#include "GraphExport.h"
#include "OutputFile.h"

namespace tarvex::batch {
namespace {

constexpr std::array<GraphPicture::Pixel, FamilyPlot::kLegendCurves> kInks{
    0xff1f77b4, 0xffd62728, 0xff2ca02c, 0xffff7f0e, 0xff9467bd,
    0xff8c564b, 0xffe377c2, 0xff17becf, 0xffbcbd22, 0xff000080};
constexpr GraphPicture::Pixel kGray = 0xffb4b4b4;

// Texts joined by ", ", cut short with "..." past the legend's width.
std::string legendText(const std::vector<std::string_view>& parts) {
  constexpr std::size_t kMaxBytes = 40;
  std::string text;
  for (const std::string_view part : parts) text += (text.empty() ? "" : ", ") + std::string(part);
  if (text.size() <= kMaxBytes) return text;
  std::size_t cut = kMaxBytes - 3;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

}  // namespace

FamilyPlot::FamilyPlot(const std::vector<Variation>& variations, std::int64_t runCount,
                       std::FILE* file, const std::filesystem::path& path)
    : file_(file),
      path_(path),
      form_(plotFormat(path) == ".png" ? GraphPicture::CurveForm::Pixels
                                       : GraphPicture::CurveForm::Path),
      runCount_(runCount) {
  std::vector<std::string_view> names;
  for (const Variation& v : variations) names.push_back(v.name);
  legend_.push_back({std::nullopt, legendText(names)});
}

FamilyPlot::~FamilyPlot() {
  if (file_ != nullptr) std::fclose(file_);
}

GraphPicture::Pixel FamilyPlot::inkOf(std::int64_t index) const {
  return runCount_ <= kLegendCurves || index < kLegendCurves
             ? kInks[static_cast<std::size_t>(index % kLegendCurves)]
             : kGray;
}

void FamilyPlot::writeSvg(const std::string& part) {
  errno = 0;
  if (error_.empty() && !part.empty() &&
      std::fwrite(part.data(), 1, part.size(), file_) != part.size())
    error_ = "cannot write " + pathText(path_) + ": " + fileErrorReason(errno);
}

void FamilyPlot::add(std::int64_t index, const GraphPicture* firstRun,
                     const GraphPicture::Curve& curve, const std::vector<std::string_view>& texts) {
  if (!started_ && firstRun != nullptr) {
    family_.addFrameOf(*firstRun);
    if (form_ == GraphPicture::CurveForm::Path) writeSvg(family_.svgStart());
    started_ = true;
  }
  if (inkOf(index) != kGray) {
    legend_.push_back({inkOf(index), legendText(texts)});
    inked_.push_back(curve);
    return;
  }
  ++grayCurves_;
  if (form_ == GraphPicture::CurveForm::Path)
    writeSvg(GraphPicture::svgCurve(curve));
  else
    family_.addCurve(curve);
}

std::string FamilyPlot::write() {
  std::vector<GraphPicture::LegendLine> legend = legend_;
  if (grayCurves_ > 0)
    legend.push_back({std::nullopt, "+" + intToText(grayCurves_) + " more in gray"});
  family_.setLegend(std::move(legend));
  if (form_ == GraphPicture::CurveForm::Pixels) {
    for (const GraphPicture::Curve& curve : inked_) family_.addCurve(curve);
    return writePictureInto(std::exchange(file_, nullptr), path_, family_);
  }
  if (!started_) writeSvg(family_.svgStart());
  for (const GraphPicture::Curve& curve : inked_) writeSvg(GraphPicture::svgCurve(curve));
  const std::string error = writeAndClose(std::exchange(file_, nullptr), path_, family_.svgEnd());
  return error_.empty() ? error : error_;
}

}  // namespace tarvex::batch
