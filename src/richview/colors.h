// Colours of the rich-text engine.
//
// A TColor is a 32-bit value in one of three forms:
//   0x00BBGGRR  a plain colour (red in the low byte);
//   0xFF0000nn  the system colour with index nn (the COLOR_* indexes of the
//               window manager: clWindowText is index 8, clWindow index 5);
//   0x1FFFFFFF  clNone, no colour: transparent as a background, the default
//               colour (window text) as a text or line colour.
// Documents store colours exactly as given; only writers and painting that
// need a concrete colour resolve them, through ColorToRGB.
#pragma once

#include <cstdint>

namespace nv {

using TColor = std::uint32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;

// Plain colours (the sixteen-colour palette).
inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clMaroon = 0x00000080;
inline constexpr TColor clGreen = 0x00008000;
inline constexpr TColor clOlive = 0x00008080;
inline constexpr TColor clNavy = 0x00800000;
inline constexpr TColor clPurple = 0x00800080;
inline constexpr TColor clTeal = 0x00808000;
inline constexpr TColor clGray = 0x00808080;
inline constexpr TColor clSilver = 0x00C0C0C0;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clLime = 0x0000FF00;
inline constexpr TColor clYellow = 0x0000FFFF;
inline constexpr TColor clBlue = 0x00FF0000;
inline constexpr TColor clFuchsia = 0x00FF00FF;
inline constexpr TColor clAqua = 0x00FFFF00;
inline constexpr TColor clWhite = 0x00FFFFFF;

// System colours: 0xFF000000 plus the window manager's colour index.
inline constexpr TColor kSystemColorFlag = 0xFF000000;
inline constexpr TColor clScrollBar = kSystemColorFlag | 0;
inline constexpr TColor clBackground = kSystemColorFlag | 1;
inline constexpr TColor clActiveCaption = kSystemColorFlag | 2;
inline constexpr TColor clInactiveCaption = kSystemColorFlag | 3;
inline constexpr TColor clMenu = kSystemColorFlag | 4;
inline constexpr TColor clWindow = kSystemColorFlag | 5;
inline constexpr TColor clWindowFrame = kSystemColorFlag | 6;
inline constexpr TColor clMenuText = kSystemColorFlag | 7;
inline constexpr TColor clWindowText = kSystemColorFlag | 8;
inline constexpr TColor clCaptionText = kSystemColorFlag | 9;
inline constexpr TColor clActiveBorder = kSystemColorFlag | 10;
inline constexpr TColor clInactiveBorder = kSystemColorFlag | 11;
inline constexpr TColor clAppWorkSpace = kSystemColorFlag | 12;
inline constexpr TColor clHighlight = kSystemColorFlag | 13;
inline constexpr TColor clHighlightText = kSystemColorFlag | 14;
inline constexpr TColor clBtnFace = kSystemColorFlag | 15;
inline constexpr TColor clBtnShadow = kSystemColorFlag | 16;
inline constexpr TColor clGrayText = kSystemColorFlag | 17;
inline constexpr TColor clBtnText = kSystemColorFlag | 18;
inline constexpr TColor clInactiveCaptionText = kSystemColorFlag | 19;
inline constexpr TColor clBtnHighlight = kSystemColorFlag | 20;
inline constexpr TColor cl3DDkShadow = kSystemColorFlag | 21;
inline constexpr TColor cl3DLight = kSystemColorFlag | 22;
inline constexpr TColor clInfoText = kSystemColorFlag | 23;
inline constexpr TColor clInfoBk = kSystemColorFlag | 24;
inline constexpr TColor clHotLight = kSystemColorFlag | 26;
inline constexpr TColor clGradientActiveCaption = kSystemColorFlag | 27;
inline constexpr TColor clGradientInactiveCaption = kSystemColorFlag | 28;
inline constexpr TColor clMenuHighlight = kSystemColorFlag | 29;
inline constexpr TColor clMenuBar = kSystemColorFlag | 30;

constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == kSystemColorFlag; }

// 0x00BBGGRR from components.
constexpr TColor MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<TColor>(red) | (static_cast<TColor>(green) << 8) |
         (static_cast<TColor>(blue) << 16);
}
// Components of a plain colour (resolve system colours first).
constexpr std::uint8_t ColorRed(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t ColorGreen(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t ColorBlue(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

// The plain colour a writer puts into a file for c:
//  - a system colour becomes the usual Windows default for its index (window
//    text black, window white, highlight blue, ...); an index the window
//    manager does not define becomes black;
//  - clNone is returned unchanged, since what "no colour" means depends on
//    the use (transparent background, default text colour): the caller
//    decides;
//  - any other value is taken as a plain colour; its high byte is dropped.
TColor ColorToRGB(TColor c);

// ColorToRGB for text and lines: clNone becomes the window text colour.
TColor TextColorToRGB(TColor c);

}  // namespace nv
