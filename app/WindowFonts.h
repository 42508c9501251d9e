// The two fonts of the window. M9 is the fixed-pitch Japanese gothic at
// 9 points used by the captions; the standard font is the window's default,
// used by the text boxes, the buttons and the unit labels.
//
// Both are given in pixels (9 points at 96 dpi are 12 pixels) so that the
// texts keep their proportions to the fixed layout on any screen. Where the
// gothic "ＭＳ ゴシック" is not installed, a metrically compatible
// face takes its place: full-width characters one em wide, half-width ones
// half an em, so every caption still fits the width it was laid out for.
#pragma once

#include <QFont>
#include <QStringList>

namespace tarvex::window {

inline constexpr int kM9PixelSize = 12;

// "ＭＳ ゴシック" and its stand-ins, most faithful first.
QStringList m9Families();
// The M9 font: 9 points, weight 400, upright, no decoration.
QFont m9Font();
// The default window font: a proportional Japanese gothic of the same size.
QFont standardFont();

}  // namespace tarvex::window
