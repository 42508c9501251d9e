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

// Room along the left edge for the speed scale's labels, in pixels: a legend
// keeps clear of it while the scales are shown, more when a label is wider.
inline constexpr int kSpeedLabelRoom = 70;

// The scales a recorded run was drawn with.
std::optional<GraphScales> scalesOf(const RunRecipe& recipe);

// Tick marks and labels, drawn in the window's font.
void paintScales(QPainter& painter, const GraphScales& scales);

// Light lines across the picture at the scales' ticks (the grid).
void paintGrid(QPainter& painter, const GraphScales& scales);

// Whether the run whose plotted points `trace` holds goes on past the time
// axis's end at `scales` (its own or fitted ones, not a zoomed view): its last points then pile up
// in the last column, as the chip's graph keeps them, and the graph says so with a marker at the
// right edge at `lastColumnY` (pixels) and overrunHint().
bool overrunsTimeAxis(const RunTrace& trace, const GraphScales& scales);
double lastColumnY(const RecordedRun& run, const GraphScales& scales);
QString overrunHint();
// Where the hint lies, in pixels of the graph: above the time axis at the
// right.
QRectF overrunHintBox();
void paintOverrun(QPainter& painter, double markerY);
std::string overrunSvg(double markerY);
// Twips a legend at the bottom of the SVG rises further for the hint, whose
// letters (150 twips, on a halo of 23) stand on a baseline 330 twips above
// the time axis: its bottom is then 510 twips above the axis.
inline constexpr double kOverrunHintSvgRoom = 270;

// The run's curve from its trace in a zoomed view: the frame of `run` and
// the curve as lines between the points, cut at the picture's edges.
GraphPicture zoomedPicture(const GraphPicture& run, const RunTrace& trace, const GraphScales& view);

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
// at `scale` device pixels per pixel; over the grid when `grid`.
QImage earlierCurves(const std::vector<const RecordedRun*>& earlier, const GraphScales& scales,
                     double scale = 1.0, bool grid = false);
// An earlier curve in twips of the picture drawn at `scales`.
std::vector<GraphPicture::TwipPoint> curveInTwips(const RecordedRun& run,
                                                  const GraphScales& scales);

// Runs made the same way: the same texts, options, changes during the run
// and stop, so the same in every value.
bool sameRun(const RunRecipe& a, const RunRecipe& b);

// The legend: the current run when it drew a curve ("今回: " first), then each
// earlier run; every line names the parameters in which the shown runs
// differ (never the display scales) by caption, with the run's own value and
// its physical unit, and how often it ran when more than once.
struct LegendEntry {
  QColor colour;
  QString text;
};
std::vector<LegendEntry> legendEntries(const std::vector<const RecordedRun*>& earlier,
                                       const RecordedRun& current);
// A legend line as drawn: cut short with "…" past the width a legend may
// take; the whole text is the legend's tooltip.
QString elidedLegendText(const QString& text);
// The legend's box at 1:1 in the corner given, clear of the scales' labels
// when they are shown.
// What a legend keeps clear of, in pixels: the room along the left edge
// (the speed scale's labels, when shown) and above the time axis (the time
// scale's labels, the overrun hint).
struct LegendClearance {
  int left = 4;
  int above = 16;
};
LegendClearance legendClearance(const GraphScales* scalesShown, bool overrunHintShown);
QRect legendBox(const std::vector<LegendEntry>& entries, GraphPicture::LegendCorner corner,
                const LegendClearance& clear = {});
// The corner where the legend covers the fewest pixels of `shown` that are
// not white; the top right when several are as good.
GraphPicture::LegendCorner leastCoveringCorner(const std::vector<LegendEntry>& entries,
                                               const QImage& shown,
                                               const LegendClearance& clear = {});
void paintLegend(QPainter& painter, const std::vector<LegendEntry>& entries,
                 GraphPicture::LegendCorner corner, const LegendClearance& clear = {});
// "同じ設定" or the differences, e.g. "加増加率 300（立ち上がり 0.25 s）、直線加減速";
// the display scales are never a difference.
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
// The layers an export may add: the grid, and the overrun marker at the
// height given.
struct ContextLayers {
  bool grid = false;
  std::optional<double> overrunY;
};
QImage imageWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                        const QStringList& caption, const ContextLayers& layers = {});
std::string svgWithContext(const GraphPicture& picture, const std::optional<GraphScales>& scales,
                           const QStringList& caption, const ContextLayers& layers = {});

}  // namespace tarvex::window
