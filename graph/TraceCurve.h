// A run's curve from its plotted points, placed by their time in ticks and
// speed in pulses per second, so that it lines up with a run drawn at any
// scales: how earlier runs are laid under the current one.
#pragma once

#include <cstdint>
#include <vector>

#include "AxisScale.h"
#include "GraphPicture.h"
#include "RunTrace.h"

namespace tarvex::curve {

// The curve in twips of the picture drawn at `scales`. At a run's own scales
// points past the last column stay on it, as the chip's graph keeps them; a
// zoomed view cuts the curve at its edges. Nothing at range 0.
std::vector<GraphPicture::TwipPoint> curveInTwips(const RunTrace& trace, std::int32_t range,
                                                  const GraphScales& scales);

}  // namespace tarvex::curve
