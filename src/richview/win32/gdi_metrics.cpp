#include "richview/win32/gdi_metrics.h"

#include <algorithm>

#include "ui/win32/win_text.h"

namespace nv {

COLORREF GdiColor(TColor c, COLORREF fallback) {
  if (c == clNone) return fallback;
  if (IsSystemColor(c)) return ::GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<COLORREF>(c & 0x00FFFFFF);
}

TGdiFontMetrics::TGdiFontMetrics() : dc_(::CreateCompatibleDC(nullptr)) {}

std::string TGdiFontMetrics::Key(const TFontInfo& f) {
  std::string k = f.FontName;
  k += '|';
  k += std::to_string(f.Size);
  k += '|';
  k += std::to_string(f.Style);
  k += '|';
  k += std::to_string(f.Charset);
  k += '|';
  k += std::to_string(f.CharScale);
  return k;
}

HFONT TGdiFontMetrics::Font(const TFontInfo& f) {
  const Cached* c = Find(f);
  return c ? static_cast<HFONT>(c->font.get()) : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

HDC TGdiFontMetrics::MeasuringDc(const TFontInfo& f, HGDIOBJ& restore) {
  const Cached* c = Find(f);
  if (c && c->dc) {
    restore = nullptr;
    return c->dc.get();
  }
  restore = ::SelectObject(dc_.get(), Font(f));
  return dc_.get();
}

const TGdiFontMetrics::Cached* TGdiFontMetrics::Find(const TFontInfo& f) {
  const std::string key = Key(f);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return &it->second;
  LOGFONTW lf{};
  // Points to pixels of the display the layout is for.
  lf.lfHeight = -::MulDiv(std::max(1, f.Size), dpi_, 72);
  lf.lfWeight = f.HasStyle(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = f.HasStyle(fsItalic) ? 1 : 0;
  lf.lfUnderline = f.HasStyle(fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = f.HasStyle(fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = static_cast<BYTE>(f.Charset);
  lf.lfQuality = DEFAULT_QUALITY;
  const std::wstring face = Widen(f.FontName);
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  if (f.CharScale != 100) {
    // The average width scaled: GDI stretches the glyphs horizontally.
    HFONT plain = ::CreateFontIndirectW(&lf);
    HGDIOBJ old = ::SelectObject(dc_.get(), plain);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc_.get(), &tm);
    ::SelectObject(dc_.get(), old);
    ::DeleteObject(plain);
    lf.lfWidth = std::max(1L, static_cast<LONG>(tm.tmAveCharWidth) * f.CharScale / 100);
  }
  HFONT font = ::CreateFontIndirectW(&lf);
  if (!font) return nullptr;
  Cached entry{UniqueGdiObject(font), UniqueHdc()};
  if (fonts_.size() < kMaxFontDcs) {
    entry.dc.reset(::CreateCompatibleDC(nullptr));
    if (entry.dc) ::SelectObject(entry.dc.get(), font);
  }
  return &fonts_.emplace(key, std::move(entry)).first->second;
}

std::wstring TGdiFontMetrics::ShownText(const TFontInfo& f, std::string_view utf8) {
  std::wstring w = Widen(utf8);
  if ((f.Effects & efAllCaps) && !w.empty()) ::CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
  return w;
}

TRVFontExtent TGdiFontMetrics::FontExtent(const TFontInfo& f) {
  HGDIOBJ restore = nullptr;
  HDC dc = MeasuringDc(f, restore);
  TEXTMETRICW tm{};
  ::GetTextMetricsW(dc, &tm);
  if (restore) ::SelectObject(dc, restore);
  return {static_cast<int>(tm.tmAscent), static_cast<int>(tm.tmDescent)};
}

void TGdiFontMetrics::TextExtents(const TFontInfo& f, std::string_view text, std::vector<int>& out) {
  const std::wstring w = ShownText(f, text);
  if (w.empty()) return;
  std::vector<INT> partial(w.size());
  HGDIOBJ restore = nullptr;
  HDC dc = MeasuringDc(f, restore);
  SIZE size{};
  int fit = 0;
  ::GetTextExtentExPointW(dc, w.c_str(), static_cast<int>(w.size()), INT_MAX, &fit, partial.data(), &size);
  if (restore) ::SelectObject(dc, restore);
  // One width per code point: a surrogate pair counts at its second half.
  int points = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    if (w[i] >= 0xD800 && w[i] <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) continue;
    ++points;
    out.push_back(partial[i] + f.CharSpacing * points);
  }
}

}  // namespace nv
