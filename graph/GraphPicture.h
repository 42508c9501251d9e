// The speed graph's picture, as the window's graph area shows it and as the
// batch runner writes it: 668 x 268 pixels of 15 x 15 twips (the 10010 x
// 4010 twips of the graph area, every twip with its pixel), black ink on
// white, a plotted point one pixel, a line every pixel it passes.
//
// The same drawing is also kept as lines, for a vector copy: the frame, the
// axis captions and the curve through the plotted points. However many
// points a run plots, both stay the same size: the curve is kept per run of
// points in one column (x twip), and a run of the graph plots at most one
// column further right per point.
//
// A picture can also hold a family of runs: each run's curve in an ink of
// its own over one frame, with a legend naming them. A family keeps of each
// run only what its file needs (see Curve), so that its size stays the same
// however many runs it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "GraphGeometry.h"
#include "SpeedGraph.h"

namespace tarvex {

// A text for an SVG document: the text every output writes, its markup
// characters escaped and the control characters XML cannot hold shown as
// U+FFFD.
std::string escapedXml(std::string_view typed);

class GraphPicture final : public GraphSurface {
 public:
  static constexpr int kTwipsPerPixel = graph::kTwipsPerPixel;
  static constexpr int kWidth = graph::kPictureWidth;
  static constexpr int kHeight = graph::kPictureHeight;
  // Pixels as 0xAARRGGBB, row by row, kWidth to a row.
  using Pixel = std::uint32_t;
  static constexpr Pixel kGround = 0xffffffff;  // the window's background
  static constexpr Pixel kInk = 0xff000000;     // the window's text colour

  GraphPicture();

  // Whatever lies outside the picture is not drawn, however far out.
  void clearGraph() override;
  void drawLine(float x1, float y1, float x2, float y2) override;
  void drawPoint(float x, float y) override;
  void setSpeedAxisCaption(std::string_view caption) override { speedCaption_ = caption; }
  void setTimeAxisCaption(std::string_view caption) override { timeCaption_ = caption; }
  const std::string& speedAxisCaption() const { return speedCaption_; }
  const std::string& timeAxisCaption() const { return timeCaption_; }

  // The ink of the curve's points; the frame stays black.
  void setCurveInk(Pixel ink) { curveInk_ = ink; }

  // A run's curve as a family keeps it: its ink, and of the curve only what
  // the family's file needs: the pixels in the curve's ink, or the SVG path
  // reduced to the points that change what is drawn (no point of the curve
  // more than kReducedPathTolerance twips from it).
  struct Curve {
    Pixel ink = kInk;
    std::vector<std::uint32_t> pixels;  // indices into pixels(), in order
    std::string path;                   // SVG path data in twips
    std::size_t bytes() const { return pixels.size() * sizeof(std::uint32_t) + path.size(); }
  };
  enum class CurveForm { Pixels, Path };
  static constexpr double kReducedPathTolerance = 1.5;  // a tenth of a pixel
  Curve curve(CurveForm form) const;
  // Draws the frame and takes the axis captions of `run`.
  void addFrameOf(const GraphPicture& run);
  // Draws a curve's pixels over this picture in its ink.
  void addCurve(const Curve& curve);

  // A line of the legend: a curve's ink and what it stands for, or text
  // alone.
  struct LegendLine {
    std::optional<Pixel> ink;
    std::string text;
  };
  // The corner of the graph the legend sits in.
  enum class LegendCorner { TopRight, TopLeft, BottomRight, BottomLeft };
  // The legend's box, in twips, in its corner of the graph. Line
  // i begins kLegendLineHeight * i below the inner top; an ink's swatch runs
  // from swatchLeft for kLegendSwatch, the text starts at textLeft, or at
  // swatchLeft on a line without ink.
  struct LegendBox {
    double left, top, right, bottom, innerTop, swatchLeft, textLeft;
  };
  static constexpr double kLegendLineHeight = 210;  // 14 pixels
  static constexpr double kLegendFontSize = 180;    // 12 pixels
  static constexpr double kLegendSwatch = 300;
  // `leftInset` twips keep a legend in a left corner clear of what lies
  // along the left edge (the speed scale's labels), `bottomInset` twips one
  // in a bottom corner clear of what lies above the time axis's labels (a
  // hint).
  void setLegend(std::vector<LegendLine> lines, LegendCorner corner = LegendCorner::TopRight,
                 double leftInset = 0, double bottomInset = 0) {
    legend_ = std::move(lines);
    legendCorner_ = corner;
    legendLeftInset_ = leftInset;
    legendBottomInset_ = bottomInset;
  }
  const std::vector<LegendLine>& legend() const { return legend_; }
  LegendBox legendBox() const;

  const Pixel* pixels() const { return pixels_.data(); }
  bool inked(int x, int y) const { return pixels_[index(x, y)] != kGround; }
  // The picture as shown, row by row as pixels(): with the legend, if any,
  // drawn over it in whole pixels, its letters in the window's font; a
  // character the font has no letter for shows as an empty box.
  std::vector<Pixel> shownPixels() const;

  // The drawing as an SVG document: the frame and the curve as lines in
  // twips of the picture, clipped to it, and the two axis captions where the
  // window shows them, above the top-left and below the bottom-right corner.
  // `additions` (SVG elements in twips of the picture) are drawn over it, on a
  // canvas `extraBottom` twips taller; `underCurve` under the frame and the
  // curve, clipped to the picture.
  std::string toSvg(std::string_view additions = {}, int extraBottom = 0,
                    std::string_view underCurve = {}) const;
  // The same document in three parts, so that a family's curves can be
  // written one by one between the first and the last: the start up to the
  // frame (with `underCurve` under it), a curve, and the rest (the captions,
  // the legend, `additions`).
  std::string svgStart(int extraBottom = 0, std::string_view underCurve = {}) const;
  static std::string svgCurve(const Curve& curve);
  std::string svgEnd(std::string_view additions = {}) const;

  // A curve through points in twips of the picture as an SVG path element
  // in `ink`, cut where it leaves the picture, for toSvg's underCurve.
  struct TwipPoint {
    double x, y;
  };
  static std::string curveSvg(const std::vector<TwipPoint>& points, Pixel ink);

  // The drawing at `scale` device pixels per pixel of the picture (a screen
  // at 125, 150 or 200 %): the frame and the curve's points placed at device
  // resolution, each inked one pixel of the picture wide (`scale` rounded,
  // at least one device pixel); the points of one column as one stroke from
  // the lowest to the highest. At scale 1 the picture's pixels wherever no
  // column holds points more than a pixel apart. The curves of a family are
  // not part of it.
  struct Raster {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
  };
  Raster rasterAt(double scale) const;

  // Pixels held elsewhere (a screen's image), rows `stride` pixels apart, at
  // `scale` device pixels per pixel of the picture.
  struct Canvas {
    Pixel* pixels = nullptr;
    int width = 0, height = 0;
    std::ptrdiff_t stride = 0;
    double scale = 1.0;
  };
  // Inks the drawing onto `canvas` as a screen shows it, leaving its ground
  // as it is: at scale 1 every inked pixel of the picture, at another scale
  // the marks of rasterAt.
  void inkOnto(const Canvas& canvas) const;
  // From now on every line and point is also inked onto `canvas` as it is
  // drawn, as inkOnto would ink it (with the curve in the frame's ink), until
  // inkAlsoOnto(nullopt). The canvas must stay while it is followed.
  void inkAlsoOnto(std::optional<Canvas> canvas) { follower_ = canvas; }
  // How many of the followed canvas's device pixels have changed colour so
  // far: a drawing that changes none needs no new paint.
  std::uint64_t canvasChanges() const { return followerChanges_; }

 private:
  // Points plotted one after another in one column: the curve passes from
  // first through every y between low and high to last.
  struct Column {
    float x, first, low, high, last;
  };
  struct Line {
    float x1, y1, x2, y2;
  };

  static std::size_t index(int x, int y) {
    return static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x);
  }
  void inkPixel(double twipX, double twipY, Pixel ink);
  // The frame's lines, then each column's stretch of the curve.
  void inkStrokes(const Canvas& canvas) const;
  std::string curvePath(double tolerance = 0) const;

  std::vector<Pixel> pixels_;
  std::optional<Canvas> follower_;
  std::uint64_t followerChanges_ = 0;
  std::vector<Line> lines_;
  std::vector<Column> curve_;
  Pixel curveInk_ = kInk;
  std::vector<LegendLine> legend_;
  LegendCorner legendCorner_ = LegendCorner::TopRight;
  double legendLeftInset_ = 0;
  double legendBottomInset_ = 0;
  std::string speedCaption_;
  std::string timeCaption_;
};

}  // namespace tarvex
