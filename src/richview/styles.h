// The style sheet of the rich-text engine.
//
// Text never carries formatting of its own: every text item refers by number
// to a text style (TFontInfo) and every paragraph to a paragraph style
// (TParaInfo) of one TRVStyle. Formatting commands do not change a style in
// place; they ask the sheet for the number of a style that looks as wanted
// (FindOrAddTextStyle), which reuses an equal style or appends a copy. So
// styles are only ever appended while the program runs, and a style number,
// once handed out, keeps its meaning: layout caches and undo records may
// rely on that. Only replacing the whole sheet (reading a file that carries
// its own styles) changes existing numbers.
//
// Lengths are pixels at 96 dots per inch (1 pixel = 15 twips = 0.75 point)
// unless a field says otherwise; font sizes are whole points.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "richview/colors.h"

namespace nv {

// ---------------------------------------------------------------- text styles

// Bits of TFontInfo::Style.
using TFontStyles = std::uint8_t;
inline constexpr TFontStyles fsBold = 1;
inline constexpr TFontStyles fsItalic = 2;
inline constexpr TFontStyles fsUnderline = 4;
inline constexpr TFontStyles fsStrikeOut = 8;
inline constexpr TFontStyles kAllFontStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;

// Bits of TFontInfo::Effects, the two effects beyond the font's own styles.
using TFontEffects = std::uint8_t;
inline constexpr TFontEffects efOverline = 1;
inline constexpr TFontEffects efAllCaps = 2;  // shown in capitals, stored as typed
inline constexpr TFontEffects kAllFontEffects = efOverline | efAllCaps;

// Reading order of a text or paragraph.
enum class TRVBiDiMode : std::uint8_t { Unspecified = 0, LeftToRight = 1, RightToLeft = 2 };

// Windows character set numbers used by the engine's defaults.
inline constexpr int kAnsiCharset = 0;
inline constexpr int kDefaultCharset = 1;

// The cursor id shown over hyperlinks.
inline constexpr int kJumpCursor = 101;

// Ranges every style of a valid sheet keeps (ValidateStyleSheet). Readers
// clamp what they read into them, so layout arithmetic stays small.
inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 1638;
inline constexpr int kMaxVShift = 1000;      // percent of the font height, either way
inline constexpr int kMinCharScale = 1;      // percent
inline constexpr int kMaxCharScale = 1000;   // percent
inline constexpr int kMaxCharSpacing = 1000; // pixels, either way
inline constexpr int kMaxParaMetric = 32767; // pixels: indents, spacing, tab positions, borders
inline constexpr int kMinLineSpacing = 1;    // percent
inline constexpr int kMaxLineSpacing = 1000; // percent

// A text style. The initialisers are the values of a new style.
struct TFontInfo {
  std::string StyleName = "Font Style";  // display name
  std::string FontName = "Arial";        // face
  int Size = 10;                         // points
  TColor Color = clWindowText;           // text colour; clNone = default
  TColor BackColor = clNone;             // background of the text; clNone = transparent
  TColor HoverColor = clNone;            // hyperlink text under the mouse; clNone = unchanged
  TColor HoverBackColor = clNone;        // hyperlink background under the mouse
  TFontStyles Style = 0;                 // fsBold | fsItalic | fsUnderline | fsStrikeOut
  TFontEffects Effects = 0;              // efOverline | efAllCaps
  int Charset = kDefaultCharset;         // Windows character set number (0..255)
  bool Jump = false;                     // hyperlink style
  int JumpCursor = kJumpCursor;          // cursor id over a hyperlink
  int VShift = 0;                        // raise (+) or lower (-), percent of the font height
  int CharScale = 100;                   // horizontal scale, percent
  int CharSpacing = 0;                   // extra space after each character, pixels
  std::uint32_t Protection = 0;          // engine protection bits; the notebook sets none
  std::uint32_t Options = 0;             // engine option bits; the notebook sets none
  TRVBiDiMode BiDiMode = TRVBiDiMode::Unspecified;  // reading order
  int BaseStyleNo = -1;                  // style this one is based on; -1 none
  bool Unicode = false;                  // text of this style counts as Unicode text
  int NextStyleNo = -1;                  // style after a paragraph break; -1 the same
  bool Standard = true;                  // part of the sheet as designed, not added at run time

  bool HasStyle(TFontStyles bits) const { return (Style & bits) == bits; }
  void SetStyle(TFontStyles bits, bool on) {
    Style = static_cast<TFontStyles>(on ? (Style | bits) : (Style & ~bits));
  }

  // Exact equality of every property, the name and Standard included: what
  // a file round trip must preserve.
  friend bool operator==(const TFontInfo&, const TFontInfo&) = default;
};

// The equality of the style lookup. Two text styles look the same when they
// agree in every property but the display name and Standard: the face
// (letter case ignored, SameFontName), Size, Charset, Style, Effects,
// VShift, Color, BackColor, Jump, Protection, Options, CharScale,
// CharSpacing, BiDiMode, BaseStyleNo, Unicode and NextStyleNo, and, when
// they are hyperlinks, also HoverColor, HoverBackColor and JumpCursor.
// (The engine keeps no style templates, so no bookkeeping of them takes
// part.) A looser rule would silently merge text the user formatted apart
// into one style and lose the difference.
bool SameTextFormat(const TFontInfo& a, const TFontInfo& b);

// Font faces are compared without regard to letter case. The rule can be
// replaced (SetFontNameComparer): the Windows program compares in the user's
// locale. Until then, and in the portable core, letters of the Latin,
// Greek and Cyrillic alphabets match their other case (FoldedFontName).
bool SameFontName(std::string_view a, std::string_view b);

// A rule answering whether two UTF-8 faces name the same font; nullptr puts
// the portable rule back.
using FontNameComparer = bool (*)(std::string_view a, std::string_view b);
void SetFontNameComparer(FontNameComparer compare);

// The face in the portable rule's single case: every code point of the
// alphabets above in its small form, anything else as it is. Text that
// is not UTF-8 is compared byte for byte.
std::u32string FoldedFontName(std::string_view face);

// The small letter of a capital of the Latin, Greek and Cyrillic alphabets;
// every other code point as it is. Both take the same number of UTF-8
// bytes, so text folded with it keeps its byte offsets.
char32_t SmallLetter(char32_t c);

// ----------------------------------------------------------- paragraph styles

enum class TParaAlignment : std::uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

// Bits of TParaBorder::Sides.
inline constexpr std::uint8_t kBorderLeft = 1;
inline constexpr std::uint8_t kBorderTop = 2;
inline constexpr std::uint8_t kBorderRight = 4;
inline constexpr std::uint8_t kBorderBottom = 8;
inline constexpr std::uint8_t kAllBorderSides = 15;

enum class TParaBorderStyle : std::uint8_t { None = 0, Single = 1, Double = 2 };

// A frame around the paragraph; drawn only when Style is not None.
struct TParaBorder {
  TParaBorderStyle Style = TParaBorderStyle::None;
  int Width = 1;                        // line width, pixels
  TColor Color = clWindowText;
  std::uint8_t Sides = kAllBorderSides; // kBorder* bits
  int Padding = 0;                      // gap between border and text, pixels
  friend bool operator==(const TParaBorder&, const TParaBorder&) = default;
};

struct TParaBackground {
  TColor Color = clNone;  // clNone = no background
  friend bool operator==(const TParaBackground&, const TParaBackground&) = default;
};

enum class TTabAlign : std::uint8_t { Left = 0, Right = 1, Center = 2 };

struct TRVTabInfo {
  int Position = 0;      // from the paragraph's left edge, pixels
  TTabAlign Align = TTabAlign::Left;
  std::string Leader;    // fill character (UTF-8), empty for none
  friend bool operator==(const TRVTabInfo&, const TRVTabInfo&) = default;
};

// A paragraph style. The initialisers are the values of a new style.
struct TParaInfo {
  std::string StyleName = "Paragraph Style";
  TParaAlignment Alignment = TParaAlignment::Left;
  int LeftIndent = 0;    // pixels
  int FirstIndent = 0;   // first line, relative to LeftIndent; may be negative
  int RightIndent = 0;   // pixels
  int SpaceBefore = 0;   // pixels, >= 0
  int SpaceAfter = 0;    // pixels, >= 0
  int LineSpacing = 100; // percent of the single line height
  TParaBackground Background;
  TParaBorder Border;
  std::vector<TRVTabInfo> Tabs;  // ascending positions, no two equal
  TRVBiDiMode BiDiMode = TRVBiDiMode::Unspecified;
  bool Standard = true;

  friend bool operator==(const TParaInfo&, const TParaInfo&) = default;
};

// The equality of the paragraph-style lookup: every property but StyleName
// and Standard.
bool SameParaFormat(const TParaInfo& a, const TParaInfo& b);

// ----------------------------------------------------------------- the sheet

class TRVStyle {
 public:
  // The notebook's starting sheet:
  //   text 0 "Normal text", 1 "Heading" (bold, clBlue), 2 "Subheading"
  //   (bold, clNavy), 3 "Keywords" (italic, clMaroon), 4 "Jump 1" and
  //   5 "Jump 2" (underline, clGreen, Jump); paragraph 0 "Paragraph Style",
  //   1 "Centered" (centred). All Standard; no default Unicode style.
  TRVStyle();

  std::vector<TFontInfo> TextStyles;
  std::vector<TParaInfo> ParaStyles;
  int DefUnicodeStyle = -1;  // text style used for Unicode text; -1 none

  int TextStyleCount() const { return static_cast<int>(TextStyles.size()); }
  int ParaStyleCount() const { return static_cast<int>(ParaStyles.size()); }
  bool HasTextStyle(int no) const { return no >= 0 && no < TextStyleCount(); }
  bool HasParaStyle(int no) const { return no >= 0 && no < ParaStyleCount(); }

  // Checked access: a number outside the sheet raises EListError
  // "List index out of bounds (n)".
  const TFontInfo& TextStyle(int no) const;
  const TParaInfo& ParaStyle(int no) const;
  // Unchecked access for measuring and drawing: a number outside the sheet
  // (left over from before the sheet was replaced by a file's) stands for
  // style 0, and a sheet without styles gives a new style, so layout never
  // reads outside the sheet.
  const TFontInfo& TextStyleOrDefault(int no) const;
  const TParaInfo& ParaStyleOrDefault(int no) const;

  // The style lookup for a candidate derived from style `base`:
  //  1. if the candidate looks the same as style `base`, answer `base`;
  //  2. else the first style in ascending order, skipping `base`, that looks
  //     the same;
  //  3. else (FindOrAdd only) append a copy of the candidate with Standard
  //     false and answer its number.
  // `base` may be -1 (or any number outside the sheet) when the candidate
  // was not derived from a style; step 1 is then skipped. Find answers -1
  // when step 3 would be needed. Appending invalidates references into
  // TextStyles / ParaStyles.
  int FindTextStyle(const TFontInfo& candidate, int base) const;
  int FindOrAddTextStyle(const TFontInfo& candidate, int base);
  int FindParaStyle(const TParaInfo& candidate, int base) const;
  int FindOrAddParaStyle(const TParaInfo& candidate, int base);

  friend bool operator==(const TRVStyle&, const TRVStyle&) = default;
};

// Empty when the sheet is one a document may use, else what is wrong:
// at least one text and one paragraph style; every number it holds
// (DefUnicodeStyle, NextStyleNo, BaseStyleNo) -1 or a style of the sheet;
// names, faces and tab leaders valid UTF-8; Style and Effects only the
// defined bits; enumerations in range; sizes, scales, spacing, indents,
// borders and tab positions within the k* ranges above; Charset 0..255;
// tab positions ascending.
std::string ValidateStyleSheet(const TRVStyle& style);

}  // namespace nv
