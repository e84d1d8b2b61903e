#include "richview/colors.h"

#include <array>

namespace nv {

namespace {

// The colours a fresh Windows installation reports for each index of the
// window manager's colour table (index 25 is unused and reads as black).
constexpr std::array<TColor, 31> kDefaultSystemColors = {
    MakeColor(200, 200, 200),  //  0 scroll bar
    MakeColor(0, 0, 0),        //  1 desktop
    MakeColor(153, 180, 209),  //  2 active caption
    MakeColor(191, 205, 219),  //  3 inactive caption
    MakeColor(240, 240, 240),  //  4 menu
    MakeColor(255, 255, 255),  //  5 window
    MakeColor(100, 100, 100),  //  6 window frame
    MakeColor(0, 0, 0),        //  7 menu text
    MakeColor(0, 0, 0),        //  8 window text
    MakeColor(0, 0, 0),        //  9 caption text
    MakeColor(180, 180, 180),  // 10 active border
    MakeColor(244, 247, 252),  // 11 inactive border
    MakeColor(171, 171, 171),  // 12 application workspace
    MakeColor(51, 153, 255),   // 13 highlight
    MakeColor(255, 255, 255),  // 14 highlight text
    MakeColor(240, 240, 240),  // 15 button face
    MakeColor(160, 160, 160),  // 16 button shadow
    MakeColor(109, 109, 109),  // 17 grey text
    MakeColor(0, 0, 0),        // 18 button text
    MakeColor(67, 78, 84),     // 19 inactive caption text
    MakeColor(255, 255, 255),  // 20 button highlight
    MakeColor(105, 105, 105),  // 21 3-D dark shadow
    MakeColor(227, 227, 227),  // 22 3-D light
    MakeColor(0, 0, 0),        // 23 tooltip text
    MakeColor(255, 255, 225),  // 24 tooltip background
    MakeColor(0, 0, 0),        // 25 unused
    MakeColor(0, 102, 204),    // 26 hot-tracked item
    MakeColor(185, 209, 234),  // 27 active caption gradient
    MakeColor(215, 228, 242),  // 28 inactive caption gradient
    MakeColor(51, 153, 255),   // 29 menu highlight
    MakeColor(240, 240, 240),  // 30 menu bar
};

}  // namespace

TColor ColorToRGB(TColor c) {
  if (c == clNone) return clNone;
  if (IsSystemColor(c)) {
    const TColor index = c & 0xFFu;
    return index < kDefaultSystemColors.size() ? kDefaultSystemColors[index] : clBlack;
  }
  return c & 0x00FFFFFFu;
}

TColor TextColorToRGB(TColor c) { return ColorToRGB(c == clNone ? clWindowText : c); }

}  // namespace nv
