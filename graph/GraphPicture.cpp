#include "GraphPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "LegendFont.h"
#include "WrittenText.h"

namespace tarvex {
namespace {

constexpr double kPictureWidthTwips = graph::kPictureWidthTwips;
constexpr double kPictureHeightTwips = graph::kPictureHeightTwips;

struct Segment {
  double x1, y1, x2, y2;
};

struct Box {
  double left, top, right, bottom;
};

// The part of a segment inside the box, if any (Cohen-Sutherland). An end
// outside is moved onto the edge it crosses: the coordinate across that edge
// is set to the edge exactly, the other one follows the line, so that lines
// along an axis stay exact however far out their ends lie.
std::optional<Segment> clipped(Segment s, const Box& box) {
  if (!std::isfinite(s.x1) || !std::isfinite(s.y1) || !std::isfinite(s.x2) || !std::isfinite(s.y2))
    return std::nullopt;
  enum : int { kLeft = 1, kRight = 2, kAbove = 4, kBelow = 8 };
  const auto outside = [&](double x, double y) {
    return (x < box.left    ? kLeft
            : x > box.right ? kRight
                            : 0) |
           (y < box.top      ? kAbove
            : y > box.bottom ? kBelow
                             : 0);
  };
  for (;;) {
    const int out1 = outside(s.x1, s.y1), out2 = outside(s.x2, s.y2);
    if ((out1 | out2) == 0) return s;
    if ((out1 & out2) != 0) return std::nullopt;
    const int out = out1 != 0 ? out1 : out2;
    double x, y;
    if (out & (kLeft | kRight)) {
      x = out & kLeft ? box.left : box.right;
      y = s.y1 + (s.y2 - s.y1) * ((x - s.x1) / (s.x2 - s.x1));
    } else {
      y = out & kAbove ? box.top : box.bottom;
      x = s.x1 + (s.x2 - s.x1) * ((y - s.y1) / (s.y2 - s.y1));
    }
    (out == out1 ? s.x1 : s.x2) = x;
    (out == out1 ? s.y1 : s.y2) = y;
  }
}

// The pixel holding a twip that lies inside the picture.
int pixelOf(double twips) {
  return static_cast<int>(std::floor(twips / GraphPicture::kTwipsPerPixel));
}

// A coordinate in twips with at most two decimals, trailing zeros dropped.
std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  std::string out = text;
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  return out == "-0" ? "0" : out;
}

// A polyline as SVG path data, cut where it leaves the box: one subpath for
// every stretch inside. Points in a straight line with the ones before them
// extend the last line instead of adding one; with a tolerance, so do points
// that keep every point since the line's start within that many twips of
// it. A single point becomes a dot.
class PathData {
 public:
  explicit PathData(const Box& box, double tolerance = 0) : box_(box), tolerance_(tolerance) {}

  void add(double x, double y) {
    if (!hasLast_) {
      hasLast_ = true;
      lastX_ = x;
      lastY_ = y;
      if (auto dot = clipped({x, y, x, y}, box_)) moveTo(dot->x1, dot->y1);
      return;
    }
    const auto part = clipped({lastX_, lastY_, x, y}, box_);
    lastX_ = x;
    lastY_ = y;
    if (!part) {
      end();
      hasLast_ = true;
      return;
    }
    if (!open_ || part->x1 != endX_ || part->y1 != endY_) moveTo(part->x1, part->y1);
    lineTo(part->x2, part->y2);
  }
  // Ends the polyline; the next point starts a new one.
  void end() {
    flush();
    hasLast_ = false;
    open_ = false;
  }
  std::string data() {
    flush();
    return d_;
  }

 private:
  void moveTo(double x, double y) {
    flush();
    // A subpath of no length still shows as a dot with square caps.
    d_ += "M" + number(x) + " " + number(y) + "h0";
    startX_ = endX_ = x;
    startY_ = endY_ = y;
    open_ = true;
  }
  void lineTo(double x, double y) {
    if (pending_ && extends(x, y)) {
      endX_ = x;
      endY_ = y;
      return;
    }
    flush();
    startX_ = endX_;
    startY_ = endY_;
    endX_ = x;
    endY_ = y;
    pending_ = true;
    aimed_ = false;
    if (tolerance_ > 0) aim(x, y);
  }
  // Whether the pending line may end at x y instead of at its end.
  bool extends(double x, double y) {
    const double ax = endX_ - startX_, ay = endY_ - startY_;
    if (tolerance_ <= 0) {  // only straight on
      const double bx = x - endX_, by = y - endY_;
      return ax * by == ay * bx && ax * bx + ay * by >= 0;
    }
    // Within the sleeve: the line grows longer, and the directions from its
    // start that pass within the tolerance of every point so far include one
    // through this point.
    if (std::hypot(x - startX_, y - startY_) < std::hypot(ax, ay)) return false;
    return aim(x, y);
  }
  // Narrows the directions the pending line may take to those that pass
  // within the tolerance of x y; false, the window unchanged, when none is
  // left.
  bool aim(double x, double y) {
    const double dx = x - startX_, dy = y - startY_, distance = std::hypot(dx, dy);
    if (distance <= tolerance_) return true;  // any direction passes close enough
    const double spread = std::asin(tolerance_ / distance);
    if (!aimed_) {
      aimed_ = true;
      axisX_ = dx / distance, axisY_ = dy / distance;
      low_ = -spread, high_ = spread;
      return true;
    }
    const double angle = std::atan2(axisX_ * dy - axisY_ * dx, axisX_ * dx + axisY_ * dy);
    if (angle < low_ || angle > high_) return false;
    low_ = std::max(low_, angle - spread);
    high_ = std::min(high_, angle + spread);
    return true;
  }
  void flush() {
    if (!pending_) return;
    d_ += "L" + number(endX_) + " " + number(endY_);
    pending_ = false;
    startX_ = endX_;
    startY_ = endY_;
  }

  Box box_;
  double tolerance_;
  std::string d_;
  bool hasLast_ = false, open_ = false, pending_ = false;
  // The directions the pending line may take, as angles from the axis.
  bool aimed_ = false;
  double axisX_ = 0, axisY_ = 0, low_ = 0, high_ = 0;
  double lastX_ = 0, lastY_ = 0;
  // The line not yet written runs from start to end; end is the pen.
  double startX_ = 0, startY_ = 0, endX_ = 0, endY_ = 0;
};

// "#rrggbb" of a pixel value.
std::string colourText(GraphPicture::Pixel ink) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(ink & 0xffffffu));
  return text;
}

// Character cells of a text in a fixed-pitch font: one for an ASCII
// character, two for any other (full-width) one, counted at its first byte.
int cellsOf(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x80 ? 1 : (byte & 0xc0) != 0x80 ? 2 : 0;
}

double textCells(std::string_view text) {
  double cells = 0;
  for (const char c : text) cells += cellsOf(c);
  return cells;
}

// The legend as SVG: a framed white box, a line of text per legend line,
// each ink's swatch before its text.
std::string legendSvg(const std::vector<GraphPicture::LegendLine>& lines,
                      const GraphPicture::LegendBox& box, const std::string& font) {
  std::string svg = "<g id=\"legend\" " + font + ">\n<rect x=\"" + number(box.left) + "\" y=\"" +
                    number(box.top) + "\" width=\"" + number(box.right - box.left) +
                    "\" height=\"" + number(box.bottom - box.top) +
                    "\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"15\"/>\n";
  double top = box.innerTop;
  for (const GraphPicture::LegendLine& line : lines) {
    const double middle = top + GraphPicture::kLegendLineHeight / 2;
    if (line.ink)
      svg += "<path d=\"M" + number(box.swatchLeft) + " " + number(middle) + "h" +
             number(GraphPicture::kLegendSwatch) + "\" stroke=\"" + colourText(*line.ink) +
             "\" stroke-width=\"30\"/>\n";
    svg += "<text x=\"" + number(line.ink ? box.textLeft : box.swatchLeft) + "\" y=\"" +
           number(middle + GraphPicture::kLegendFontSize * 0.35) + "\">" + escapedXml(line.text) +
           "</text>\n";
    top += GraphPicture::kLegendLineHeight;
  }
  return svg + "</g>\n";
}

// Inks a drawing at device resolution: `scale` device pixels per pixel of
// the picture, each mark a square `brush` device pixels wide. At scale 1 and
// brush 1 the picture's own pixels.
class DeviceInk {
 public:
  // `changed`, if given, counts the device pixels whose colour changes.
  explicit DeviceInk(const GraphPicture::Canvas& canvas, std::uint64_t* changed = nullptr)
      : c_(canvas),
        changed_(changed),
        twipsPerPixel_(GraphPicture::kTwipsPerPixel / canvas.scale),
        brush_(std::max(1, static_cast<int>(std::lround(canvas.scale)))) {}
  DeviceInk(GraphPicture::Raster& raster, double scale)
      : DeviceInk(GraphPicture::Canvas{raster.pixels.data(), raster.width, raster.height,
                                       raster.width, scale}) {}

  void point(double twipX, double twipY, GraphPicture::Pixel ink) {
    if (!(twipX >= 0.0 && twipX < kPictureWidthTwips && twipY >= 0.0 &&
          twipY < kPictureHeightTwips))
      return;
    mark(column(twipX), row(twipY), ink);
  }

  // Bresenham between the two end pixels, both included.
  void line(const Segment& part, GraphPicture::Pixel ink) {
    int ax = column(part.x1), ay = row(part.y1);
    const int bx = column(part.x2), by = row(part.y2);
    const int dx = std::abs(bx - ax), sx = ax < bx ? 1 : -1;
    const int dy = -std::abs(by - ay), sy = ay < by ? 1 : -1;
    int error = dx + dy;
    for (;;) {
      mark(ax, ay, ink);
      if (ax == bx && ay == by) break;
      const int twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        ax += sx;
      }
      if (twice <= dx) {
        error += dx;
        ay += sy;
      }
    }
  }

 private:
  // The device pixel holding a twip inside the picture, held at the edge
  // where rounding leaves it a hair outside.
  int column(double x) const {
    return std::clamp(static_cast<int>(std::floor(x / twipsPerPixel_)), 0, c_.width - 1);
  }
  int row(double y) const {
    return std::clamp(static_cast<int>(std::floor(y / twipsPerPixel_)), 0, c_.height - 1);
  }
  void mark(int x, int y, GraphPicture::Pixel ink) {
    for (int j = y; j < std::min(y + brush_, c_.height); ++j)
      for (int i = x; i < std::min(x + brush_, c_.width); ++i) {
        GraphPicture::Pixel& p = c_.pixels[static_cast<std::ptrdiff_t>(j) * c_.stride + i];
        if (changed_ != nullptr && p != ink) ++*changed_;
        p = ink;
      }
  }

  GraphPicture::Canvas c_;
  std::uint64_t* changed_;
  double twipsPerPixel_;
  int brush_;
};

// Just inside the picture, so that both end pixels of a line exist.
constexpr Box kInside{0.0, 0.0, kPictureWidthTwips - 1e-3, kPictureHeightTwips - 1e-3};

}  // namespace

// A text for an SVG document: the text every output writes, its markup
// characters escaped and the control characters XML cannot hold shown as
// U+FFFD.
std::string escapedXml(std::string_view typed) {
  std::string out;
  for (const char c : writtenText(typed)) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else if (c == '"')
      out += "&quot;";
    else if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
      out += kReplacementCharacter;
    else
      out += c;
  }
  return out;
}

GraphPicture::GraphPicture() : pixels_(static_cast<std::size_t>(kWidth) * kHeight, kGround) {}

void GraphPicture::clearGraph() {
  std::fill(pixels_.begin(), pixels_.end(), kGround);
  lines_.clear();
  curve_.clear();
  legend_.clear();
}

void GraphPicture::inkPixel(double twipX, double twipY, Pixel ink) {
  // Compared as twips, before any conversion to a whole number, so that a
  // point however far out is simply not drawn.
  if (!(twipX >= 0.0 && twipX < kPictureWidthTwips && twipY >= 0.0 && twipY < kPictureHeightTwips))
    return;
  const int x = std::min(pixelOf(twipX), kWidth - 1);
  const int y = std::min(pixelOf(twipY), kHeight - 1);
  pixels_[index(x, y)] = ink;
}

void GraphPicture::drawPoint(float x, float y) {
  inkPixel(x, y, curveInk_);
  // Points one after another in one column extend that column's stretch of
  // the curve; a point in a new column starts the next stretch.
  if (!curve_.empty() && curve_.back().x == x) {
    Column& c = curve_.back();
    const float low = c.low, high = c.high;
    c.low = std::min(c.low, y);
    c.high = std::max(c.high, y);
    c.last = y;
    if (follower_ && follower_->scale != 1.0) {
      // The stretch grows by the part beyond its ends; together the parts
      // ink what the whole stretch inks.
      DeviceInk ink(*follower_, &followerChanges_);
      if (y < low)
        if (const auto part = clipped({x, y, x, low}, kInside)) ink.line(*part, curveInk_);
      if (y > high)
        if (const auto part = clipped({x, high, x, y}, kInside)) ink.line(*part, curveInk_);
    }
  } else {
    curve_.push_back({x, y, y, y, y});
    if (follower_ && follower_->scale != 1.0)
      DeviceInk(*follower_, &followerChanges_).point(x, y, curveInk_);
  }
  if (follower_ && follower_->scale == 1.0)
    DeviceInk(*follower_, &followerChanges_).point(x, y, curveInk_);
}

void GraphPicture::drawLine(float x1, float y1, float x2, float y2) {
  lines_.push_back({x1, y1, x2, y2});
  const auto part = clipped({x1, y1, x2, y2}, kInside);
  if (!part) return;
  Raster raster{kWidth, kHeight, {}};
  raster.pixels.swap(pixels_);
  DeviceInk(raster, 1.0).line(*part, kInk);
  raster.pixels.swap(pixels_);
  if (follower_) DeviceInk(*follower_, &followerChanges_).line(*part, kInk);
}

void GraphPicture::inkOnto(const Canvas& canvas) const {
  if (canvas.scale == 1.0) {
    for (int y = 0; y < std::min(kHeight, canvas.height); ++y)
      for (int x = 0; x < std::min(kWidth, canvas.width); ++x)
        if (const Pixel p = pixels_[index(x, y)]; p != kGround)
          canvas.pixels[static_cast<std::ptrdiff_t>(y) * canvas.stride + x] = p;
    return;
  }
  inkStrokes(canvas);
}

void GraphPicture::inkStrokes(const Canvas& canvas) const {
  DeviceInk ink(canvas);
  for (const Line& l : lines_)
    if (const auto part = clipped({l.x1, l.y1, l.x2, l.y2}, kInside)) ink.line(*part, kInk);
  for (const Column& c : curve_) {
    // The points of one column span its lowest to its highest.
    if (c.low == c.high)
      ink.point(c.x, c.low, curveInk_);
    else if (const auto part = clipped({c.x, c.low, c.x, c.high}, kInside))
      ink.line(*part, curveInk_);
  }
}

GraphPicture::Raster GraphPicture::rasterAt(double scale) const {
  Raster raster;
  raster.width = static_cast<int>(std::ceil(kWidth * scale));
  raster.height = static_cast<int>(std::ceil(kHeight * scale));
  raster.pixels.assign(
      static_cast<std::size_t>(raster.width) * static_cast<std::size_t>(raster.height), kGround);
  inkStrokes({raster.pixels.data(), raster.width, raster.height, raster.width, scale});
  return raster;
}

// Lines are cut a little outside the picture, where the clip path hides
// them, so that no far-away number reaches the file.
constexpr Box kSvgCut{-30.0, -30.0, kPictureWidthTwips + 30.0, kPictureHeightTwips + 30.0};

std::string GraphPicture::curvePath(double tolerance) const {
  PathData curve(kSvgCut, tolerance);
  for (const Column& c : curve_) {
    curve.add(c.x, c.first);
    if (c.low != c.first) curve.add(c.x, c.low);
    if (c.high != c.low) curve.add(c.x, c.high);
    if (c.last != c.high) curve.add(c.x, c.last);
  }
  return curve.data();
}

GraphPicture::Curve GraphPicture::curve(CurveForm form) const {
  Curve curve{curveInk_, {}, {}};
  if (form == CurveForm::Path) {
    curve.path = curvePath(kReducedPathTolerance);
    return curve;
  }
  for (std::size_t i = 0; i < pixels_.size(); ++i)
    if (pixels_[i] == curveInk_) curve.pixels.push_back(static_cast<std::uint32_t>(i));
  return curve;
}

void GraphPicture::addFrameOf(const GraphPicture& run) {
  for (const Line& l : run.lines_) drawLine(l.x1, l.y1, l.x2, l.y2);
  speedCaption_ = run.speedCaption_;
  timeCaption_ = run.timeCaption_;
}

void GraphPicture::addCurve(const Curve& curve) {
  for (const std::uint32_t i : curve.pixels)
    if (i < pixels_.size()) pixels_[i] = curve.ink;
}

std::string GraphPicture::curveSvg(const std::vector<TwipPoint>& points, Pixel ink) {
  PathData curve(kSvgCut);
  for (const TwipPoint& p : points) curve.add(p.x, p.y);
  const std::string d = curve.data();
  return d.empty() ? std::string() : "<path stroke=\"" + colourText(ink) + "\" d=\"" + d + "\"/>\n";
}

GraphPicture::LegendBox GraphPicture::legendBox() const {
  // A legend at the bottom stays clear of the time axis's scale labels.
  constexpr double kAboveTimeLabels = 240;
  constexpr double cell = kLegendFontSize / 2, padding = graph::kLegendPadding,
                   margin = graph::kLegendMargin;
  constexpr double nearRight = graph::kLastColumn - margin,
                   nearBottom = graph::kTimeAxisY - kAboveTimeLabels;
  double width = 0;
  bool inks = false;
  for (const LegendLine& line : legend_) {
    inks = inks || line.ink.has_value();
    width = std::max(width, textCells(line.text) * cell + (line.ink ? kLegendSwatch + padding : 0));
  }
  const bool onRight =
      legendCorner_ == LegendCorner::TopRight || legendCorner_ == LegendCorner::BottomRight;
  const bool onTop =
      legendCorner_ == LegendCorner::TopRight || legendCorner_ == LegendCorner::TopLeft;
  const double right = onRight ? nearRight : margin + legendLeftInset_ + width + 2 * padding;
  const double left = right - width - 2 * padding;
  const double height = 2 * padding + kLegendLineHeight * static_cast<double>(legend_.size());
  const double top = onTop ? margin : nearBottom - legendBottomInset_ - height;
  return {left,
          top,
          right,
          top + height,
          top + padding,
          left + padding,
          left + padding + (inks ? kLegendSwatch + padding : 0)};
}

std::vector<GraphPicture::Pixel> GraphPicture::shownPixels() const {
  std::vector<Pixel> shown = pixels_;
  if (legend_.empty()) return shown;
  // The legend's edges, swatches and text baselines each on the pixel
  // nearest to its place in twips.
  const auto px = [](double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
  };
  // Right and bottom excluded.
  const auto fill = [&](int left, int top, int right, int bottom, Pixel ink) {
    for (int y = std::max(top, 0); y < std::min(bottom, kHeight); ++y)
      for (int x = std::max(left, 0); x < std::min(right, kWidth); ++x) shown[index(x, y)] = ink;
  };
  // A line one pixel wide on each edge, right and bottom included.
  const auto frame = [&](int left, int top, int right, int bottom, Pixel ink) {
    fill(left, top, right + 1, top + 1, ink);
    fill(left, bottom, right + 1, bottom + 1, ink);
    fill(left, top, left + 1, bottom + 1, ink);
    fill(right, top, right + 1, bottom + 1, ink);
  };
  const LegendBox box = legendBox();
  fill(px(box.left), px(box.top), px(box.right), px(box.bottom), kGround);
  frame(px(box.left), px(box.top), px(box.right), px(box.bottom), kInk);
  double top = box.innerTop;
  for (const LegendLine& line : legend_) {
    const int middle = px(top + kLegendLineHeight / 2);
    const int baseline = px(top + kLegendLineHeight / 2 + kLegendFontSize * 0.35);
    int x = px(box.swatchLeft);
    if (line.ink) {
      // Two pixels thick, above and on the middle row, one pixel past
      // either end.
      fill(x - 1, middle - 1, x + px(kLegendSwatch) + 1, middle + 1, *line.ink);
      x = px(box.textLeft);
    }
    for (const char c : line.text) {
      const int cells = cellsOf(c);
      if (hasLetter(c)) {
        for (int row = 0; row < kLetterHeight; ++row)
          for (int column = 0; column < kLetterWidth; ++column)
            if (const int dark = letterDarkness(c, column, row); dark > 0)
              fill(x + column, baseline - kLetterAscent + row, x + column + 1,
                   baseline - kLetterAscent + row + 1, 0xff000000u | 0x010101u * (255u - dark));
      } else if (cells > 0 && c != ' ') {
        frame(x + 1, baseline - 9, x + cells * kLetterWidth - 2, baseline, kInk);
      }
      x += cells * kLetterWidth;
    }
    top += kLegendLineHeight;
  }
  return shown;
}

// The font of every text of the picture.
constexpr std::string_view kSvgFont =
    "font-family=\"'ＭＳ ゴシック', 'MS Gothic', 'IPAGothic', monospace\" font-size=\"180\"";

std::string GraphPicture::toSvg(std::string_view additions, int extraBottom,
                                std::string_view underCurve) const {
  std::string svg = svgStart(extraBottom, underCurve);
  if (const std::string d = curvePath(); !d.empty())
    svg += "<path id=\"curve\" d=\"" + d + "\"" +
           (curveInk_ != kInk ? " stroke=\"" + colourText(curveInk_) + "\"" : "") + "/>\n";
  return svg + svgEnd(additions);
}

std::string GraphPicture::svgStart(int extraBottom, std::string_view underCurve) const {
  // The canvas holds the picture and the two axis captions beside it, as
  // the window places them. Units are twips, with the picture's top-left
  // corner at 0 0; one pixel of the picture is 15 units.
  constexpr int left = graph::kCanvasLeft, top = graph::kCanvasTop, right = graph::kCanvasRight;
  const int bottom = graph::kCanvasBottom + extraBottom;
  const Box picture{0.0, 0.0, kPictureWidthTwips, kPictureHeightTwips};

  PathData frame(kSvgCut);
  for (const Line& l : lines_) {
    frame.add(l.x1, l.y1);
    frame.add(l.x2, l.y2);
    frame.end();
  }

  const auto px = [](int twips) {
    return std::to_string((twips + kTwipsPerPixel - 1) / kTwipsPerPixel);
  };
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(right - left) + "\" height=\"" +
         px(bottom - top) + "\" viewBox=\"" + std::to_string(left) + " " + std::to_string(top) +
         " " + std::to_string(right - left) + " " + std::to_string(bottom - top) + "\">\n";
  svg += "<title>速度/時間 グラフ</title>\n";
  svg += "<defs><clipPath id=\"picture\"><rect width=\"" + number(picture.right) + "\" height=\"" +
         number(picture.bottom) + "\"/></clipPath></defs>\n";
  svg += "<rect x=\"" + std::to_string(left) + "\" y=\"" + std::to_string(top) + "\" width=\"" +
         std::to_string(right - left) + "\" height=\"" + std::to_string(bottom - top) +
         "\" fill=\"#ffffff\"/>\n";
  svg +=
      "<g clip-path=\"url(#picture)\" fill=\"none\" stroke=\"#000000\" stroke-width=\"15\" "
      "stroke-linecap=\"square\" stroke-linejoin=\"round\">\n";
  svg += underCurve;
  if (const std::string d = frame.data(); !d.empty())
    svg += "<path id=\"frame\" d=\"" + d + "\"/>\n";
  return svg;
}

std::string GraphPicture::svgCurve(const Curve& curve) {
  if (curve.path.empty()) return {};
  return "<path stroke=\"" + colourText(curve.ink) + "\" d=\"" + curve.path + "\"/>\n";
}

std::string GraphPicture::svgEnd(std::string_view additions) const {
  std::string svg = "</g>\n";
  const std::string font(kSvgFont);
  if (!speedCaption_.empty())
    svg += "<text x=\"" + std::to_string(graph::kSpeedCaptionX) + "\" y=\"" +
           std::to_string(graph::kSpeedCaptionY) + "\" " + font + ">" + escapedXml(speedCaption_) +
           "</text>\n";
  if (!timeCaption_.empty())
    svg += "<text x=\"" + std::to_string(graph::kTimeCaptionX) + "\" y=\"" +
           std::to_string(graph::kTimeCaptionY) + "\" " + font + ">" + escapedXml(timeCaption_) +
           "</text>\n";
  if (!legend_.empty()) svg += legendSvg(legend_, legendBox(), font);
  svg += additions;
  svg += "</svg>\n";
  return svg;
}

}  // namespace tarvex
