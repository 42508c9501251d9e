// The design of Form1: every control with its kind, design-time text, place
// and size in twips, tab index and looks. The window and the page are both
// built from this table alone.
#pragma once

#include <array>
#include <string_view>

#include "TarvexVersion.h"

namespace tarvex {

// 15 twips make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;
// The client area, 11610 x 7620 twips.
inline constexpr int kClientWidth = 774;
inline constexpr int kClientHeight = 508;

// Names the program's version.
inline constexpr std::string_view kForm1Caption =
    "Tarvex  加減速波形シミュレーション  V" TARVEX_VERSION;

enum class ControlKind { TextBox, Label, CheckBox, CommandButton, OptionButton, PictureBox, Line };

// Background colours. Sys5 is the desktop's window background and Sys9 its
// active caption text colour; both are white on a desktop that has no such
// system colours, and so is White. Standard keeps the kind's own colours.
enum class Ground { Standard, White, Sys5, Sys9 };

inline constexpr int kNoTab = -1;

struct ControlDesign {
  std::string_view name;
  ControlKind kind;
  std::string_view text;  // caption or design-time text, UTF-8
  // Left, top, width, height in twips. A line runs from (left, top) to
  // (left + width, top + height).
  int left, top, width, height;
  int tabIndex;  // kNoTab for lines
  bool m9;       // the M9 font instead of the window's default font
  Ground ground;
  bool rightAligned;
};

namespace layout {
using K = ControlKind;
using G = Ground;
// clang-format off
inline constexpr std::array<ControlDesign, 65> kControls{{
    // Buttons: Start and Stop at the top left, Save and Load at the top right.
    {"Command1", K::CommandButton, "演算開始", 120, 120, 1452, 588, 0, false, G::Standard, false},
    {"Command2", K::CommandButton, "停止", 1680, 120, 852, 612, 29, false, G::Standard, false},
    {"Command3", K::CommandButton, "パラメータ保存", 9840, 480, 1332, 372, 51, false, G::Standard, false},
    {"Command4", K::CommandButton, "パラメータ読出", 9840, 960, 1332, 372, 52, false, G::Standard, false},
    // The column of option pairs, each box with its caption to its left.
    {"Label27", K::Label, "Ｓ字加減速：", 3240, 120, 1095, 255, 53, true, G::Sys9, true},
    {"Check4", K::CheckBox, "Check4", 4320, 120, 255, 180, 55, false, G::Sys9, false},
    {"Label28", K::Label, "直線加減速：", 3120, 360, 1215, 255, 54, true, G::Sys9, true},
    {"Check5", K::CheckBox, "Check5", 4320, 360, 255, 180, 56, false, G::Sys9, false},
    {"Label29", K::Label, "非対称：", 3360, 720, 975, 255, 57, true, G::Sys9, true},
    {"Check6", K::CheckBox, "Check6", 4320, 720, 252, 252, 58, false, G::Sys9, false},
    {"Label1", K::Label, "対称：", 3360, 960, 975, 255, 61, true, G::Sys9, true},
    {"Check7", K::CheckBox, "Check7", 4320, 960, 255, 255, 62, false, G::Sys9, false},
    {"Label25", K::Label, "自動減速：", 3240, 1320, 1095, 255, 49, true, G::Sys9, true},
    {"Check2", K::CheckBox, "Check2", 4320, 1320, 255, 180, 47, false, G::Sys9, false},
    {"Label26", K::Label, "マニュアル減速：", 2880, 1560, 1455, 255, 50, true, G::Sys9, true},
    {"Check3", K::CheckBox, "Check3", 4320, 1560, 255, 180, 48, false, G::Sys9, false},
    // Data recording, alone at the top right.
    {"Label9", K::Label, "データ記録：", 9960, 120, 1095, 255, 42, true, G::Sys9, false},
    {"Check1", K::CheckBox, "Check1", 11040, 120, 132, 180, 41, false, G::Standard, false},
    // The two columns of parameter fields.
    {"Label2", K::Label, "レンジ：", 4800, 120, 732, 252, 1, true, G::White, true},
    {"Text1", K::TextBox, "Text1", 5520, 120, 1092, 264, 6, false, G::Standard, false},
    {"Label4", K::Label, "加増加率：", 4440, 480, 1095, 255, 18, true, G::White, true},
    {"Text3", K::TextBox, "Text3", 5520, 480, 1092, 264, 17, false, G::Standard, false},
    {"Label30", K::Label, "減増加率：", 4560, 840, 975, 255, 60, true, G::Sys9, true},
    {"Text20", K::TextBox, "Text20", 5520, 840, 1095, 270, 59, false, G::Standard, false},
    {"Label3", K::Label, "加速度：", 4800, 1200, 735, 255, 2, true, G::White, true},
    {"Text2", K::TextBox, "Text2", 5520, 1200, 1092, 264, 7, false, G::Standard, false},
    {"Label16", K::Label, "減速度：", 4800, 1560, 735, 255, 44, true, G::Sys9, true},
    {"Text13", K::TextBox, "Text13", 5520, 1560, 1092, 264, 43, false, G::Standard, false},
    {"Label5", K::Label, "初速度：", 7080, 120, 1215, 255, 3, true, G::White, true},
    {"Text4", K::TextBox, "Text4", 8280, 120, 1092, 264, 8, false, G::Standard, false},
    {"Label6", K::Label, "ドライブ速度：", 6960, 480, 1335, 255, 4, true, G::White, true},
    {"Text5", K::TextBox, "Text5", 8280, 480, 1092, 264, 9, false, G::Standard, false},
    {"Label7", K::Label, "出力パルス数：", 6840, 840, 1455, 255, 5, true, G::White, true},
    {"Text6", K::TextBox, "Text6", 8280, 840, 1092, 264, 10, false, G::Standard, false},
    {"Label24", K::Label, "マニュアル減速点：", 6600, 1200, 1695, 255, 46, true, G::Sys9, true},
    {"Text19", K::TextBox, "Text19", 8280, 1200, 1092, 264, 45, false, G::Standard, false},
    {"Label23", K::Label, "加速Ｃ offs：", 7080, 1560, 1215, 255, 37, true, G::Sys5, true},
    {"Text18", K::TextBox, "Text18", 8280, 1560, 1092, 264, 36, false, G::Standard, false},
    // The graph scales under Start and Stop, each with its unit to its right.
    {"Label11", K::Label, "速度表示最大値：", 120, 1200, 1452, 252, 19, true, G::White, true},
    {"Text10", K::TextBox, "Text10", 1560, 1200, 852, 264, 21, false, G::Standard, false},
    {"Label14", K::Label, "pps", 2520, 1200, 372, 252, 23, false, G::White, false},
    {"Label12", K::Label, "時間表示最大値：", 120, 1560, 1455, 255, 20, true, G::White, true},
    {"Text11", K::TextBox, "Text11", 1560, 1560, 852, 264, 22, false, G::Standard, false},
    {"Label15", K::Label, "sec", 2520, 1560, 372, 252, 24, false, G::White, false},
    {"Line1", K::Line, "", 120, 1920, 11400, 0, kNoTab, false, G::Standard, false},
    // The readouts, two rows of four.
    {"Label8", K::Label, "現在出力パルス：", 1200, 2040, 1452, 252, 11, true, G::White, true},
    {"Text7", K::TextBox, "Text7", 2640, 2040, 1092, 264, 13, false, G::Standard, false},
    {"Label17", K::Label, "現在加/減速度Ｃ：", 3960, 2040, 1572, 252, 26, true, G::Sys5, true},
    {"Text14", K::TextBox, "0", 5520, 2040, 1092, 264, 25, false, G::Standard, false},
    {"Label20", K::Label, "ピーク速度：", 7080, 2040, 1215, 255, 32, true, G::Sys9, true},
    {"Text17", K::TextBox, "0", 8280, 2040, 732, 264, 33, false, G::Standard, false},
    {"Label18", K::Label, "加減速ステート：", 9480, 2040, 1575, 255, 27, true, G::Sys5, true},
    {"Text15", K::TextBox, "0", 11040, 2040, 492, 264, 28, false, G::Standard, false},
    {"Label13", K::Label, "現在速度カウンタ：", 960, 2400, 1695, 255, 15, true, G::White, true},
    {"Text12", K::TextBox, "Text12", 2640, 2400, 1092, 264, 16, false, G::Standard, false},
    {"Text8", K::TextBox, "三角防止作動：", 4200, 2400, 1332, 264, 39, true, G::Standard, false},
    {"Option1", K::OptionButton, "Option1", 5640, 2400, 252, 252, 38, false, G::Sys5, false},
    {"Label10", K::Label, "加速パルス：", 6840, 2400, 1455, 255, 12, true, G::White, true},
    {"Text9", K::TextBox, "Text9", 8280, 2400, 1092, 264, 14, false, G::Standard, false},
    {"Label19", K::Label, "引きずりパルス数：", 9360, 2400, 1695, 255, 31, true, G::Sys9, true},
    {"Text16", K::TextBox, "0", 11040, 2400, 492, 264, 30, false, G::Standard, false},
    // The graph with its two axis captions.
    {"Line2", K::Line, "", 120, 3000, 11400, 0, kNoTab, false, G::Standard, false},
    {"Label21", K::Label, "", 360, 3120, 612, 252, 34, true, G::Sys9, false},
    {"Picture1", K::PictureBox, "", 840, 3240, 10010, 4010, 40, false, G::Sys5, false},
    {"Label22", K::Label, "", 10680, 7320, 732, 252, 35, true, G::Sys9, false},
}};
// clang-format on
}  // namespace layout

using layout::kControls;

// Twips to whole pixels, rounded to the nearest. The edges of a control are
// converted, not its size, so that controls meeting in twips meet in pixels.
constexpr int twipsToPixels(int twips) {
  return twips >= 0 ? (twips * 2 + kTwipsPerPixel) / (2 * kTwipsPerPixel)
                    : -((-twips * 2 + kTwipsPerPixel) / (2 * kTwipsPerPixel));
}

}  // namespace tarvex
