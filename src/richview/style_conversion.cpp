#include "richview/style_conversion.h"

#include <algorithm>

namespace nv {

namespace {

int ClampFontSize(int size) { return std::clamp(size, kMinFontSize, kMaxFontSize); }

}  // namespace

int ConvertTextStyle(TRVStyle& style, int styleNo, int code, const StyleConversionRequest& request) {
  TFontInfo copy = style.TextStyle(styleNo);
  switch (code) {
    case kConvertBold:
      copy.SetStyle(fsBold, request.boldDown);
      break;
    case kConvertItalic:
      copy.SetStyle(fsItalic, request.italicDown);
      break;
    case kConvertUnderline:
      copy.SetStyle(fsUnderline, request.underlineDown);
      break;
    case kConvertFontName:
      if (!request.fontNameRequest.empty()) copy.FontName = request.fontNameRequest;
      break;
    case kConvertFont: {
      const ChosenFont& f = request.chosenFont;
      if (!f.name.empty()) copy.FontName = f.name;
      copy.Size = ClampFontSize(f.size);
      copy.Color = f.color;
      copy.Style = static_cast<TFontStyles>((copy.Style & ~kAllFontStyles) | (f.style & kAllFontStyles));
      if (f.charset >= 0 && f.charset <= 255) copy.Charset = f.charset;
      break;
    }
    case kConvertFontSize:
      copy.Size = ClampFontSize(request.fontSizeRequest);
      break;
    default:
      break;
  }
  return style.FindOrAddTextStyle(copy, styleNo);
}

int PlainCounterpart(TRVStyle& style, int styleNo) {
  TFontInfo copy = style.TextStyle(styleNo);
  copy.Color = clWindowText;
  copy.SetStyle(fsUnderline, false);
  copy.Jump = false;
  return style.FindOrAddTextStyle(copy, styleNo);
}

}  // namespace nv
