// The graph's cursor: the plotted point under the mouse and what it says.
// The window shows it in a tooltip beside a line down the point's column,
// the page the same.
#pragma once

#include <cstdint>
#include <string>

#include "AxisScale.h"
#include "RunTrace.h"

// In a namespace of their own, so that the window's QString forms of the
// same names stay apart.
namespace tarvex::cursor {

// The plotted point of `trace` (drawn at `scales`) nearest the mouse at
// pixel (`x`, `y`) of the graph, among those in the mouse's pixel column;
// nothing outside the curve.
const TracePoint* pointUnder(const RunTrace& trace, const GraphScales& scales, double x, double y);

// The pixel column the cursor's line marks for `point`.
int cursorColumn(const TracePoint& point, const RunTrace& trace, const GraphScales& scales);

// The readout of a point, in lines: time, speed, output pulses, the
// acceleration counter and the state.
std::string pointReadout(const TracePoint& point, std::int32_t range);

}  // namespace tarvex::cursor
