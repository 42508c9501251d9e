#include "SweepPlot.h"

#include <array>

#include "Conversions.h"
#include "GraphExport.h"

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

FamilyPlot::FamilyPlot(const std::vector<Variation>& variations, std::int64_t runCount)
    : runCount_(runCount) {
  std::vector<std::string_view> names;
  for (const Variation& v : variations) names.push_back(v.name);
  legend_.push_back({std::nullopt, legendText(names)});
}

GraphPicture::Pixel FamilyPlot::inkOf(std::int64_t index) const {
  return runCount_ <= kLegendCurves || index < kLegendCurves
             ? kInks[static_cast<std::size_t>(index % kLegendCurves)]
             : kGray;
}

void FamilyPlot::add(std::int64_t index, std::unique_ptr<GraphPicture> run,
                     const std::vector<std::string_view>& texts) {
  if (inkOf(index) == kGray) {
    family_.addCurveOf(*run);
    ++grayCurves_;
    return;
  }
  legend_.push_back({inkOf(index), legendText(texts)});
  inked_.push_back(std::move(run));
}

std::string FamilyPlot::write(std::FILE* file, const std::filesystem::path& path) {
  for (const auto& run : inked_) family_.addCurveOf(*run);
  inked_.clear();
  std::vector<GraphPicture::LegendLine> legend = legend_;
  if (grayCurves_ > 0)
    legend.push_back({std::nullopt, "+" + intToText(grayCurves_) + " more in gray"});
  family_.setLegend(std::move(legend));
  return writePictureInto(file, path, family_);
}

}  // namespace tarvex::batch
