// What a sweep prints for each run: a CSV row under one header line, or one
// JSON object a line, in either case with the figures that compare runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Report.h"
#include "SweepPlan.h"

namespace tarvex::batch {

// The varied names in order, then the run's columns.
std::string csvHeader(const std::vector<Variation>& variations);

// One run's row, ending in LF; `texts` are the run's varied texts.
std::string csvRow(const std::vector<std::string_view>& texts, const RunReport& report);
// The single run's JSON object with "vary" and the same figures as a row.
std::string jsonRow(const std::vector<Variation>& variations,
                    const std::vector<std::string_view>& texts, const RunReport& report);

}  // namespace tarvex::batch
