// What the graph area can show over the run's picture, never part of the
// picture itself: the axis scales, earlier runs' curves under the current one
// with their legend, and the point under the mouse. Also the picture "with
// context" for the exports: the scales and a caption line of the run's
// parameters.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QString>

#include "AxisScale.h"
#include "GraphPicture.h"
#include "RecordedRun.h"

class QPainter;

namespace tarvex::window {

// Twips of the picture to its pixels, as the picture inks them.
inline double pixelOfTwips(double twips) {
  return twips / GraphPicture::kTwipsPerPixel;
}

// The scales a recorded run was drawn with.
std::optional<GraphScales> scalesOf(const RunRecipe& recipe);

// Tick marks and labels, drawn in the window's font.
void paintScales(QPainter& painter, const GraphScales& scales);

// The picture's ink over whatever `painter` has drawn: its ground is left out.
void paintInkOnly(QPainter& painter, const GraphPicture& picture);

// The light colour of the n-th earlier curve, the most recent first.
QColor earlierCurveColour(std::size_t n);
// Earlier curves on a white ground, placed by their time in ticks and speed
// in pulses per second, so that they line up with a run drawn at any scale.
QImage earlierCurves(const std::vector<const RecordedRun*>& earlier, const GraphScales& scales);
// The legend in the top right corner: the current run, then each earlier one
// named by the parameters in which it differs.
void paintLegend(QPainter& painter, const std::vector<const RecordedRun*>& earlier,
                 const RecordedRun& current);
// "同じ設定" or the differences, e.g. "加増加率 300、直線加減速".
QString differences(const RecordedRun& earlier, const RecordedRun& current);

// A trace kept short enough to draw often: at most about `maxPoints` points,
// the lowest and the highest speed of every stretch kept.
RunTrace thinned(const RunTrace& trace, std::size_t maxPoints);

// The plotted point of `trace` (drawn at `scales`) nearest the mouse at
// `pixel`, among those in the mouse's pixel column; nothing outside the curve.
const TracePoint* pointUnder(const RunTrace& trace, const GraphScales& scales, QPointF pixel);
// The readout of a point, in lines.
QString pointReadout(const TracePoint& point, std::int32_t range);

// One line of the run's parameters and options.
QString parameterCaption(const RecordedRun& run);
// The picture with the scales and the caption line under it.
QImage imageWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                        const QString& caption);
std::string svgWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                           const QString& caption);

}  // namespace tarvex::window
