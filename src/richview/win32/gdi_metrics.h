// Font metrics and fonts of text styles through GDI.
//
// Layout and painting must agree to the pixel, so both take their fonts
// from here: one HFONT per distinct look of a text style, made on first use
// and kept until the cache is dropped.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "richview/layout.h"
#include "ui/win32/unique_handle.h"

namespace nv {

class TGdiFontMetrics : public IFontMetrics {
 public:
  TGdiFontMetrics();
  TRVFontExtent FontExtent(const TFontInfo& font) override;
  void TextExtents(const TFontInfo& font, std::string_view text, std::vector<int>& out) override;

  // The font for painting text of this style (owned by the cache).
  HFONT Font(const TFontInfo& font);
  // Text as it is shown: capitals for the all-caps effect.
  static std::wstring ShownText(const TFontInfo& font, std::string_view utf8);
  void Clear() { fonts_.clear(); }
  // Fonts are made for a display of this many dots per inch (96 at first).
  void SetDpi(int dpi) {
    if (dpi > 0 && dpi != dpi_) {
      dpi_ = dpi;
      fonts_.clear();
    }
  }

 private:
  // Each font is measured in a DC of its own that keeps it selected: the
  // system then keeps it ready, where switching one DC between many fonts
  // has it prepare a font again for nearly every measurement. The DC goes
  // before its font.
  struct Cached {
    UniqueGdiObject font;
    UniqueHdc dc;
  };
  static constexpr size_t kMaxFontDcs = 1000;  // beyond this, the shared DC
  static std::string Key(const TFontInfo& font);
  const Cached* Find(const TFontInfo& font);
  // A DC with the font selected, and the font to put back after (null when
  // nothing is to be put back).
  HDC MeasuringDc(const TFontInfo& font, HGDIOBJ& restore);
  UniqueHdc dc_;
  int dpi_ = 96;
  std::map<std::string, Cached> fonts_;
};

// A colour of the engine as GDI wants it (system colours resolved);
// `fallback` stands for clNone.
COLORREF GdiColor(TColor c, COLORREF fallback);

}  // namespace nv
