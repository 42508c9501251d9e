// Where the speed graph and what goes with it lie, in twips from the
// picture's top-left corner: the picture, the canvas of the exports that
// hold more than the picture, the two axis captions beside it as the window
// places them, the caption lines under it and the legend's margins. The
// batch runner's picture, the window's exports and the page all place their
// parts by these.
#pragma once

#include "SpeedGraph.h"

namespace tarvex::graph {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kPictureWidth = 668, kPictureHeight = 268;  // pixels
inline constexpr int kPictureWidthTwips = kPictureWidth * kTwipsPerPixel;
inline constexpr int kPictureHeightTwips = kPictureHeight * kTwipsPerPixel;

// The frame the engine draws: the time axis's height and the last column a
// point is plotted in.
inline constexpr double kTimeAxisY = SpeedGraph::kTimeAxisY;
inline constexpr double kLastColumn = SpeedGraph::kLastColumn;

// The canvas of an export: room for the speed caption to the left and above
// the picture, the time caption to the right and below it.
inline constexpr int kCanvasLeft = -480, kCanvasTop = -120, kCanvasRight = 10572,
                     kCanvasBottom = 4332;

// The axis captions' baselines: the speed caption's 480 twips left of the
// picture's corner, the time caption's 9840 right of it and 4240 below.
inline constexpr int kSpeedCaptionX = -480, kSpeedCaptionY = 40;
inline constexpr int kTimeCaptionX = 9840, kTimeCaptionY = 4240;

// Caption lines under the picture: the first one's baseline kCaptionBelow
// under it, 14 pixels from line to line, kCaptionRoom added to the canvas for
// the first line and a line's height for every further one.
inline constexpr int kCaptionBelow = 420;
inline constexpr int kCaptionLineTwips = 210;
inline constexpr int kCaptionRoom = 360;
constexpr int canvasBottomWithCaption(int lines) {
  return kCanvasBottom + kCaptionRoom + kCaptionLineTwips * (lines > 1 ? lines - 1 : 0);
}

// The legend keeps kLegendMargin from the frame and the picture's top, its
// text kLegendPadding inside its box.
inline constexpr double kLegendMargin = 90, kLegendPadding = 90;

}  // namespace tarvex::graph
