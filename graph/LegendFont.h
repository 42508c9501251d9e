// The letters of the graph's legend: the characters '!' to '~' of the
// window's 12-pixel gothic font, smoothed, each pixel as dark as the window
// draws it in black on white. Every letter lies in a cell 6 pixels wide and
// 13 high, from 11 rows above its baseline to 1 below it; the letters stand
// side by side, one cell apart.
#pragma once

namespace tarvex {

inline constexpr int kLetterWidth = 6;
inline constexpr int kLetterHeight = 13;
inline constexpr int kLetterAscent = 11;

// Whether the legend's font draws `c`: '!' to '~'.
constexpr bool hasLetter(char c) {
  return c >= '!' && c <= '~';
}

// How dark pixel (x, y) of the cell of `c` is, from 0 (white) to 255
// (black); `c` must have a letter, x and y lie inside the cell.
int letterDarkness(char c, int x, int y);

}  // namespace tarvex
