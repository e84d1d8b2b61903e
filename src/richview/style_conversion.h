// Turning formatting requests into text style numbers.
//
// The editor's apply-text-style-conversion operation asks its style-
// conversion handler for the new number of each style concerned: once for
// the current text style and once per selected text item. The notebook's
// handler answers with ConvertTextStyle; the end-of-hyperlink rule uses
// PlainCounterpart. Both go through the sheet's style lookup, so equal
// requests give equal numbers and the sheet grows by one style per new
// combination only.
#pragma once

#include <string>

#include "richview/styles.h"

namespace nv {

// Conversion codes.
inline constexpr int kConvertBold = 1;       // bold after BoldDown
inline constexpr int kConvertItalic = 2;     // italic after ItalicDown
inline constexpr int kConvertUnderline = 3;  // underline after UnderlineDown
inline constexpr int kConvertFontName = 4;   // face := fontNameRequest
inline constexpr int kConvertFont = 5;       // face, size, colour, styles, charset := chosenFont
inline constexpr int kConvertFontSize = 6;   // size := fontSizeRequest

// The font the font dialog answered with.
struct ChosenFont {
  std::string name = "Arial";
  int size = 10;  // points
  TColor color = clWindowText;
  TFontStyles style = 0;  // fsBold | fsItalic | fsUnderline | fsStrikeOut
  int charset = kDefaultCharset;
};

// What the toolbar holds when a conversion is requested.
struct StyleConversionRequest {
  bool boldDown = false;       // BoldBtn's down state (the wanted state)
  bool italicDown = false;     // ItalicBtn's
  bool underlineDown = false;  // UnderlineBtn's
  std::string fontNameRequest; // the face picked in the font name selector
  int fontSizeRequest = 0;     // the size picked in the font size selector
  ChosenFont chosenFont;       // the font dialog's answer
};

// The number of the style that is style `styleNo` changed as `code` asks:
// a copy of the style is changed and looked up, derived from `styleNo`
// (TRVStyle::FindOrAddTextStyle). Unknown codes change nothing, so the
// answer is then `styleNo` itself.
//
// Requests that would make text unusable are kept sound: sizes are clamped
// to kMinFontSize..kMaxFontSize, an empty face request leaves the face as
// it is, and a charset outside 0..255 leaves the charset as it is.
// A `styleNo` outside the sheet raises EListError.
int ConvertTextStyle(TRVStyle& style, int styleNo, int code, const StyleConversionRequest& request);

// The plain counterpart of a (hyperlink) style: a copy with Color
// clWindowText, no underline and Jump false, looked up derived from
// `styleNo`. For "Jump 1" of the starting sheet this is 0, "Normal text".
// A `styleNo` outside the sheet raises EListError.
int PlainCounterpart(TRVStyle& style, int styleNo);

}  // namespace nv
