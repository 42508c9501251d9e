// Writing the recorded speed graph: the list of points, an SVG or a PNG.
#pragma once

#include <string>

#include "GraphRecorder.h"

namespace tarvex::batch {

// Each function returns an empty string on success, else what went wrong.
std::string writePoints(const std::string& path, const GraphRecorder& graph);
// .svg or .png, chosen by the path's extension.
std::string writePlot(const std::string& path, const GraphRecorder& graph);

}  // namespace tarvex::batch
