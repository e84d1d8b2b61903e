#include "richview/styles.h"

#include "richview/utf8.h"
#include "ui/errors.h"
#include "ui/text.h"

namespace nv {

namespace {

FontNameComparer fontNameComparer = nullptr;

}  // namespace

char32_t SmallLetter(char32_t c) {
  if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  // Latin Extended-A pairs capital and small letters as even and odd,
  // except between U+0139 and U+0148 and from U+0179 on, where the
  // capital is the odd one; U+0130 and U+0131 (dotted and dotless i)
  // belong to Turkish rules that only the locale knows.
  if (c == 0x178) return 0xFF;  // Y with diaeresis, whose small letter is in Latin-1
  if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
    const bool oddCapital = (c >= 0x139 && c <= 0x148) || c >= 0x179;
    return (c % 2 == 1) == oddCapital ? c + 1 : c;
  }
  if ((c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

namespace {

bool PortableSameFontName(std::string_view a, std::string_view b) {
  if (!IsValidUtf8(a) || !IsValidUtf8(b)) return a == b;
  return FoldedFontName(a) == FoldedFontName(b);
}

}  // namespace

std::u32string FoldedFontName(std::string_view face) {
  std::u32string out;
  if (!IsValidUtf8(face)) {
    for (char c : face) out.push_back(static_cast<unsigned char>(c));
    return out;
  }
  const std::u16string w = Utf8ToUtf16(face);
  for (size_t i = 0; i < w.size(); ++i) {
    char32_t c = w[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(w[i + 1]) - 0xDC00);
      ++i;
    }
    out.push_back(SmallLetter(c));
  }
  return out;
}

void SetFontNameComparer(FontNameComparer compare) { fontNameComparer = compare; }

bool SameFontName(std::string_view a, std::string_view b) {
  return fontNameComparer ? fontNameComparer(a, b) : PortableSameFontName(a, b);
}

bool SameTextFormat(const TFontInfo& a, const TFontInfo& b) {
  if (!(a.Size == b.Size && a.Charset == b.Charset && a.Style == b.Style && a.Effects == b.Effects &&
        a.VShift == b.VShift && a.Color == b.Color && a.BackColor == b.BackColor && a.Jump == b.Jump &&
        a.Protection == b.Protection && a.Options == b.Options && a.CharScale == b.CharScale &&
        a.CharSpacing == b.CharSpacing && a.BiDiMode == b.BiDiMode && a.BaseStyleNo == b.BaseStyleNo &&
        a.Unicode == b.Unicode && a.NextStyleNo == b.NextStyleNo))
    return false;
  // Hover colours and the cursor show only on hyperlinks; on plain text they
  // are leftovers and must not keep two otherwise equal styles apart.
  if (a.Jump && !(a.HoverColor == b.HoverColor && a.HoverBackColor == b.HoverBackColor &&
                  a.JumpCursor == b.JumpCursor))
    return false;
  return SameFontName(a.FontName, b.FontName);
}

bool SameParaFormat(const TParaInfo& a, const TParaInfo& b) {
  return a.Alignment == b.Alignment && a.LeftIndent == b.LeftIndent &&
         a.FirstIndent == b.FirstIndent && a.RightIndent == b.RightIndent &&
         a.SpaceBefore == b.SpaceBefore && a.SpaceAfter == b.SpaceAfter &&
         a.LineSpacing == b.LineSpacing && a.Background == b.Background &&
         a.Border == b.Border && a.Tabs == b.Tabs && a.BiDiMode == b.BiDiMode;
}

TRVStyle::TRVStyle() {
  auto text = [this](const char* name, TFontStyles style, TColor color, bool jump) {
    TFontInfo f;
    f.StyleName = name;
    f.Style = style;
    f.Color = color;
    f.Jump = jump;
    TextStyles.push_back(f);
  };
  text("Normal text", 0, clWindowText, false);
  text("Heading", fsBold, clBlue, false);
  text("Subheading", fsBold, clNavy, false);
  text("Keywords", fsItalic, clMaroon, false);
  text("Jump 1", fsUnderline, clGreen, true);
  text("Jump 2", fsUnderline, clGreen, true);

  ParaStyles.emplace_back();  // "Paragraph Style"
  TParaInfo centered;
  centered.StyleName = "Centered";
  centered.Alignment = TParaAlignment::Center;
  ParaStyles.push_back(centered);
}

const TFontInfo& TRVStyle::TextStyle(int no) const {
  if (!HasTextStyle(no)) ThrowListIndexError(no);
  return TextStyles[static_cast<size_t>(no)];
}

const TParaInfo& TRVStyle::ParaStyle(int no) const {
  if (!HasParaStyle(no)) ThrowListIndexError(no);
  return ParaStyles[static_cast<size_t>(no)];
}

const TFontInfo& TRVStyle::TextStyleOrDefault(int no) const {
  static const TFontInfo kNew;
  if (HasTextStyle(no)) return TextStyles[static_cast<size_t>(no)];
  return TextStyles.empty() ? kNew : TextStyles.front();
}

const TParaInfo& TRVStyle::ParaStyleOrDefault(int no) const {
  static const TParaInfo kNew;
  if (HasParaStyle(no)) return ParaStyles[static_cast<size_t>(no)];
  return ParaStyles.empty() ? kNew : ParaStyles.front();
}

namespace {

// Steps 1 and 2 of the lookup, shared by both kinds of style.
template <class Info, class Same>
int FindStyle(const std::vector<Info>& styles, const Info& candidate, int base, Same same) {
  const int count = static_cast<int>(styles.size());
  if (base >= 0 && base < count && same(candidate, styles[static_cast<size_t>(base)]))
    return base;
  for (int i = 0; i < count; ++i)
    if (i != base && same(candidate, styles[static_cast<size_t>(i)])) return i;
  return -1;
}

template <class Info>
int Append(std::vector<Info>& styles, const Info& candidate) {
  styles.push_back(candidate);
  styles.back().Standard = false;
  return static_cast<int>(styles.size()) - 1;
}

}  // namespace

int TRVStyle::FindTextStyle(const TFontInfo& candidate, int base) const {
  return FindStyle(TextStyles, candidate, base, SameTextFormat);
}

int TRVStyle::FindOrAddTextStyle(const TFontInfo& candidate, int base) {
  const int found = FindTextStyle(candidate, base);
  return found >= 0 ? found : Append(TextStyles, candidate);
}

int TRVStyle::FindParaStyle(const TParaInfo& candidate, int base) const {
  return FindStyle(ParaStyles, candidate, base, SameParaFormat);
}

int TRVStyle::FindOrAddParaStyle(const TParaInfo& candidate, int base) {
  const int found = FindParaStyle(candidate, base);
  return found >= 0 ? found : Append(ParaStyles, candidate);
}

namespace {

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

std::string CheckTextStyle(const TRVStyle& sheet, const TFontInfo& f) {
  if (!IsValidUtf8(f.StyleName) || !IsValidUtf8(f.FontName)) return "name is not UTF-8";
  if (!InRange(f.Size, kMinFontSize, kMaxFontSize)) return "font size out of range";
  if (f.Style & ~kAllFontStyles) return "undefined font style bits";
  if (f.Effects & ~kAllFontEffects) return "undefined font effect bits";
  if (!InRange(f.Charset, 0, 255)) return "character set out of range";
  if (!InRange(f.VShift, -kMaxVShift, kMaxVShift)) return "vertical shift out of range";
  if (!InRange(f.CharScale, kMinCharScale, kMaxCharScale)) return "character scale out of range";
  if (!InRange(f.CharSpacing, -kMaxCharSpacing, kMaxCharSpacing))
    return "character spacing out of range";
  if (f.BiDiMode > TRVBiDiMode::RightToLeft) return "reading order out of range";
  if (f.BaseStyleNo != -1 && !sheet.HasTextStyle(f.BaseStyleNo)) return "base style missing";
  if (f.NextStyleNo != -1 && !sheet.HasTextStyle(f.NextStyleNo)) return "next style missing";
  return {};
}

std::string CheckParaStyle(const TParaInfo& p) {
  if (!IsValidUtf8(p.StyleName)) return "name is not UTF-8";
  if (p.Alignment > TParaAlignment::Justify) return "alignment out of range";
  for (int v : {p.LeftIndent, p.FirstIndent, p.RightIndent})
    if (!InRange(v, -kMaxParaMetric, kMaxParaMetric)) return "indent out of range";
  if (!InRange(p.SpaceBefore, 0, kMaxParaMetric) || !InRange(p.SpaceAfter, 0, kMaxParaMetric))
    return "paragraph spacing out of range";
  if (!InRange(p.LineSpacing, kMinLineSpacing, kMaxLineSpacing)) return "line spacing out of range";
  if (p.Border.Style > TParaBorderStyle::Double) return "border style out of range";
  if (!InRange(p.Border.Width, 0, kMaxParaMetric) || !InRange(p.Border.Padding, 0, kMaxParaMetric))
    return "border metric out of range";
  if (p.Border.Sides & ~kAllBorderSides) return "undefined border side bits";
  if (p.BiDiMode > TRVBiDiMode::RightToLeft) return "reading order out of range";
  int last = -1;
  for (const TRVTabInfo& t : p.Tabs) {
    if (!InRange(t.Position, 0, kMaxParaMetric)) return "tab position out of range";
    if (t.Position <= last) return "tab positions not ascending";
    if (t.Align > TTabAlign::Center) return "tab alignment out of range";
    if (!IsValidUtf8(t.Leader)) return "tab leader is not UTF-8";
    last = t.Position;
  }
  return {};
}

}  // namespace

std::string ValidateStyleSheet(const TRVStyle& style) {
  if (style.TextStyles.empty()) return "no text styles";
  if (style.ParaStyles.empty()) return "no paragraph styles";
  if (style.DefUnicodeStyle != -1 && !style.HasTextStyle(style.DefUnicodeStyle))
    return "default Unicode style missing";
  for (size_t i = 0; i < style.TextStyles.size(); ++i) {
    std::string why = CheckTextStyle(style, style.TextStyles[i]);
    if (!why.empty()) return "text style " + std::to_string(i) + ": " + why;
  }
  for (size_t i = 0; i < style.ParaStyles.size(); ++i) {
    std::string why = CheckParaStyle(style.ParaStyles[i]);
    if (!why.empty()) return "paragraph style " + std::to_string(i) + ": " + why;
  }
  return {};
}

}  // namespace nv
