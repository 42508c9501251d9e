// What the graph area can show over the run's picture, never part of the
// picture itself: the axis scales, earlier runs' curves under the current one
// with their legend, and the point under the mouse. Also the picture "with
// context" for the exports: the scales and a caption line of the run's
// parameters.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

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

// The picture's ink over whatever `painter` has drawn: its ground is left
// out. Drawn at `scale` device pixels per pixel (see GraphPicture::rasterAt).
void paintInkOnly(QPainter& painter, const GraphPicture& picture, double scale = 1.0);

// Earlier runs each keep one of these light colours for as long as they are
// shown; one more than the runs kept, so that a run just ended always finds
// one free.
inline constexpr std::size_t kEarlierColours = 6;
QColor earlierCurveColour(int colour);
// The first colour that none of `runs` has.
int freeColour(const std::vector<std::shared_ptr<const RecordedRun>>& runs);
// Earlier curves on a white ground, placed by their time in ticks and speed
// in pulses per second, so that they line up with a run drawn at any scale;
// at `scale` device pixels per pixel.
QImage earlierCurves(const std::vector<const RecordedRun*>& earlier, const GraphScales& scales,
                     double scale = 1.0);
// An earlier curve in twips of the picture drawn at `scales`.
std::vector<GraphPicture::TwipPoint> curveInTwips(const RecordedRun& run,
                                                  const GraphScales& scales);

// Runs made the same way: the same texts, options, changes during the run
// and stop, so the same in every value.
bool sameRun(const RunRecipe& a, const RunRecipe& b);

// The legend: the current run when it drew a curve ("今回" and its own values
// of whatever the earlier runs differ in), then each earlier run named by the
// parameters in which it differs, each with how often it ran when more than
// once.
struct LegendEntry {
  QColor colour;
  QString text;
};
std::vector<LegendEntry> legendEntries(const std::vector<const RecordedRun*>& earlier,
                                       const RecordedRun& current);
// The legend's box at 1:1 in the corner given.
QRect legendBox(const std::vector<LegendEntry>& entries, GraphPicture::LegendCorner corner);
// The corner where the legend covers the fewest pixels of `shown` that are
// not white; the top right when several are as good.
GraphPicture::LegendCorner leastCoveringCorner(const std::vector<LegendEntry>& entries,
                                               const QImage& shown);
void paintLegend(QPainter& painter, const std::vector<LegendEntry>& entries,
                 GraphPicture::LegendCorner corner);
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

// The run's parameters and options, in lines that fit under the picture.
QStringList parameterCaption(const RecordedRun& run);
// The picture with the scales and the caption lines under it, and its two
// axis captions beside it, as the SVG places them.
QImage imageWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                        const QStringList& caption);
std::string svgWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                           const QStringList& caption);

}  // namespace tarvex::window
