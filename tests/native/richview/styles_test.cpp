#include "richview/styles.h"

#include <gtest/gtest.h>

#include <functional>

#include "richview/style_conversion.h"
#include "ui/errors.h"

namespace nv {
namespace {

enum Sheet { kNormal = 0, kHeading = 1, kSubheading = 2, kKeywords = 3, kJump1 = 4, kJump2 = 5 };

int Bold(TRVStyle& s, int no, bool down) {
  StyleConversionRequest r;
  r.boldDown = down;
  return ConvertTextStyle(s, no, kConvertBold, r);
}

TEST(StyleSheet, StartsAsTheNotebookDesignedIt) {
  const TRVStyle s;
  ASSERT_EQ(s.TextStyleCount(), 6);
  ASSERT_EQ(s.ParaStyleCount(), 2);
  EXPECT_EQ(s.DefUnicodeStyle, -1);
  EXPECT_EQ(ValidateStyleSheet(s), "");

  struct Want { const char* name; TFontStyles style; TColor color; bool jump; };
  const Want want[] = {{"Normal text", 0, clWindowText, false},  {"Heading", fsBold, 0x00FF0000, false},
                       {"Subheading", fsBold, 0x00800000, false}, {"Keywords", fsItalic, 0x00000080, false},
                       {"Jump 1", fsUnderline, 0x00008000, true}, {"Jump 2", fsUnderline, 0x00008000, true}};
  for (int i = 0; i < 6; ++i) {
    TFontInfo expected;  // a new style, changed only where the sheet says
    expected.StyleName = want[i].name;
    expected.Style = want[i].style;
    expected.Color = want[i].color;
    expected.Jump = want[i].jump;
    EXPECT_EQ(s.TextStyle(i), expected) << i;
  }
  // What "a new style" is.
  const TFontInfo f;
  EXPECT_EQ(f.StyleName, "Font Style");
  EXPECT_EQ(f.FontName, "Arial");
  EXPECT_EQ(f.Size, 10);
  EXPECT_EQ(f.Color, 0xFF000008u);
  EXPECT_EQ(f.BackColor, 0x1FFFFFFFu);
  EXPECT_EQ(f.HoverColor, clNone);
  EXPECT_EQ(f.Charset, 1);
  EXPECT_EQ(f.JumpCursor, 101);
  EXPECT_EQ(f.CharScale, 100);
  EXPECT_EQ(f.NextStyleNo, -1);
  EXPECT_TRUE(f.Standard);

  EXPECT_EQ(s.ParaStyle(0), TParaInfo());
  EXPECT_EQ(s.ParaStyle(0).StyleName, "Paragraph Style");
  EXPECT_EQ(s.ParaStyle(1).StyleName, "Centered");
  EXPECT_EQ(s.ParaStyle(1).Alignment, TParaAlignment::Center);
  EXPECT_TRUE(s.ParaStyle(1).Standard);
}

TEST(StyleConversion, BoldOnThenOffGivesBackTheOldNumbers) {
  TRVStyle s;
  for (int no = 0; no < 6; ++no) {
    const int on = Bold(s, no, true);
    EXPECT_TRUE(s.TextStyle(on).HasStyle(fsBold));
    const int off = Bold(s, on, false);
    EXPECT_FALSE(s.TextStyle(off).HasStyle(fsBold));
    if (s.TextStyle(no).HasStyle(fsBold)) {
      EXPECT_EQ(on, no);  // already bold: nothing to change
      EXPECT_EQ(Bold(s, off, true), no);
    } else if (no == kJump2) {
      // "Jump 2" looks exactly like "Jump 1", which comes first in the
      // ascending search: the text keeps its look under the lower number.
      EXPECT_EQ(off, kJump1);
    } else {
      EXPECT_EQ(off, no) << s.TextStyle(no).StyleName;
    }
  }
  // Normal text, Keywords, Jump 1 made bold; Heading and Subheading unbolded.
  EXPECT_EQ(s.TextStyleCount(), 6 + 5);
  // "Jump 2" made bold found "Jump 1" made bold: equal styles are shared.
  EXPECT_EQ(Bold(s, kJump2, true), Bold(s, kJump1, true));
}

TEST(StyleConversion, ARepeatedCombinationAppendsOneStyle) {
  TRVStyle s;
  StyleConversionRequest r;
  r.fontSizeRequest = 14;
  const int first = ConvertTextStyle(s, kNormal, kConvertFontSize, r);
  EXPECT_EQ(first, 6);
  EXPECT_EQ(ConvertTextStyle(s, kNormal, kConvertFontSize, r), first);
  EXPECT_EQ(s.TextStyleCount(), 7);
  EXPECT_EQ(s.TextStyle(first).Size, 14);
}

TEST(StyleConversion, MixedSelectionMadeBoldAppendsExactlyTwoStyles) {
  TRVStyle s;
  // The engine asks once per selected item: "Normal text", then "Keywords".
  const int normalBold = Bold(s, kNormal, true);
  const int keywordsBold = Bold(s, kKeywords, true);
  EXPECT_EQ(s.TextStyleCount(), 8);
  EXPECT_EQ(normalBold, 6);
  EXPECT_EQ(keywordsBold, 7);

  const TFontInfo& a = s.TextStyle(normalBold);
  EXPECT_EQ(a.Style, fsBold);
  EXPECT_EQ(a.Color, clWindowText);  // not "Heading", which is blue
  EXPECT_EQ(a.StyleName, "Normal text");
  EXPECT_FALSE(a.Standard);
  const TFontInfo& b = s.TextStyle(keywordsBold);
  EXPECT_EQ(b.Style, fsBold | fsItalic);
  EXPECT_EQ(b.Color, clMaroon);
  EXPECT_EQ(b.StyleName, "Keywords");
  EXPECT_FALSE(b.Standard);

  // The same selection made bold again reuses both.
  EXPECT_EQ(Bold(s, kNormal, true), normalBold);
  EXPECT_EQ(Bold(s, kKeywords, true), keywordsBold);
  EXPECT_EQ(s.TextStyleCount(), 8);
}

TEST(StyleConversion, PlainCounterpartOfAHyperlink) {
  TRVStyle s;
  EXPECT_EQ(PlainCounterpart(s, kJump1), kNormal);
  EXPECT_EQ(PlainCounterpart(s, kJump2), kNormal);
  EXPECT_EQ(s.TextStyleCount(), 6);

  // A bold hyperlink leaves the link but keeps bold, in the text colour.
  const int boldJump = Bold(s, kJump1, true);
  const int plain = PlainCounterpart(s, boldJump);
  EXPECT_NE(plain, kHeading);
  const TFontInfo& p = s.TextStyle(plain);
  EXPECT_EQ(p.Style, fsBold);
  EXPECT_EQ(p.Color, clWindowText);
  EXPECT_FALSE(p.Jump);
  EXPECT_EQ(Bold(s, plain, false), kNormal);
}

TEST(StyleConversion, FaceIgnoresLetterCase) {
  TRVStyle s;
  StyleConversionRequest r;
  r.fontNameRequest = "aRIAL";
  EXPECT_EQ(ConvertTextStyle(s, kNormal, kConvertFontName, r), kNormal);
  EXPECT_EQ(ConvertTextStyle(s, kKeywords, kConvertFontName, r), kKeywords);

  r.fontNameRequest = "Times New Roman";
  const int times = ConvertTextStyle(s, kNormal, kConvertFontName, r);
  EXPECT_EQ(times, 6);
  r.fontNameRequest = "TIMES NEW ROMAN";
  EXPECT_EQ(ConvertTextStyle(s, kNormal, kConvertFontName, r), times);
  EXPECT_EQ(s.TextStyle(times).FontName, "Times New Roman");  // first spelling kept

  // An empty request (no face picked) keeps the face.
  r.fontNameRequest.clear();
  EXPECT_EQ(ConvertTextStyle(s, times, kConvertFontName, r), times);
}

TEST(StyleConversion, SizeRequestsAreKeptInRange) {
  TRVStyle s;
  StyleConversionRequest r;
  r.fontSizeRequest = 10;  // what the selector shows for the sheet's styles
  EXPECT_EQ(ConvertTextStyle(s, kHeading, kConvertFontSize, r), kHeading);
  r.fontSizeRequest = 0;
  EXPECT_EQ(s.TextStyle(ConvertTextStyle(s, kNormal, kConvertFontSize, r)).Size, kMinFontSize);
  r.fontSizeRequest = -12;
  EXPECT_EQ(s.TextStyle(ConvertTextStyle(s, kNormal, kConvertFontSize, r)).Size, kMinFontSize);
  r.fontSizeRequest = 2147483647;
  EXPECT_EQ(s.TextStyle(ConvertTextStyle(s, kNormal, kConvertFontSize, r)).Size, kMaxFontSize);
  EXPECT_EQ(ValidateStyleSheet(s), "");
}

TEST(StyleConversion, FontDialogSetsItsPropertiesOnly) {
  TRVStyle s;
  StyleConversionRequest r;
  r.chosenFont = {"Courier New", 12, clRed, fsItalic | fsStrikeOut, 204};
  const int no = ConvertTextStyle(s, kJump1, kConvertFont, r);
  const TFontInfo& f = s.TextStyle(no);
  EXPECT_EQ(f.FontName, "Courier New");
  EXPECT_EQ(f.Size, 12);
  EXPECT_EQ(f.Color, clRed);
  EXPECT_EQ(f.Style, fsItalic | fsStrikeOut);  // underline of "Jump 1" cleared
  EXPECT_EQ(f.Charset, 204);
  EXPECT_TRUE(f.Jump);  // still a hyperlink
  EXPECT_EQ(f.StyleName, "Jump 1");

  // Underline, italic buttons; an unknown code changes nothing.
  r.underlineDown = true;
  EXPECT_EQ(s.TextStyle(ConvertTextStyle(s, no, kConvertUnderline, r)).Style,
            fsItalic | fsStrikeOut | fsUnderline);
  r.italicDown = true;
  EXPECT_EQ(ConvertTextStyle(s, kKeywords, kConvertItalic, r), kKeywords);
  r.italicDown = false;
  EXPECT_EQ(ConvertTextStyle(s, kKeywords, kConvertItalic, r), 6 + 2);  // plain maroon
  EXPECT_EQ(ConvertTextStyle(s, kJump2, 7, r), kJump2);
  EXPECT_EQ(ConvertTextStyle(s, kJump2, 0, r), kJump2);

  EXPECT_THROW(ConvertTextStyle(s, s.TextStyleCount(), kConvertBold, r), EListError);
  EXPECT_THROW(ConvertTextStyle(s, -1, kConvertBold, r), EListError);
  EXPECT_THROW(PlainCounterpart(s, 99), EListError);
}

TEST(StyleLookup, TriesTheBaseStyleFirstThenAscending) {
  TRVStyle s;
  const TFontInfo jump = s.TextStyle(kJump1);
  EXPECT_EQ(s.FindTextStyle(jump, kJump2), kJump2);  // equal to its base
  EXPECT_EQ(s.FindTextStyle(jump, kNormal), kJump1);  // first equal one
  EXPECT_EQ(s.FindTextStyle(jump, -1), kJump1);
  EXPECT_EQ(s.FindTextStyle(jump, 1000), kJump1);

  TFontInfo big;
  big.Size = 30;
  EXPECT_EQ(s.FindTextStyle(big, kNormal), -1);
  EXPECT_EQ(s.TextStyleCount(), 6);  // Find never appends
  big.StyleName = "Big";
  EXPECT_EQ(s.FindOrAddTextStyle(big, -1), 6);
  EXPECT_EQ(s.TextStyle(6).StyleName, "Big");
  EXPECT_FALSE(s.TextStyle(6).Standard);
}

TEST(StyleLookup, ComparesExactlyTheLookupProperties) {
  const TFontInfo base = TRVStyle().TextStyle(kJump1);
  using Change = std::function<void(TFontInfo&)>;
  const Change compared[] = {
      [](TFontInfo& f) { f.FontName = "Arial Black"; },
      [](TFontInfo& f) { f.Size = 11; },
      [](TFontInfo& f) { f.Charset = 0; },
      [](TFontInfo& f) { f.Style ^= fsBold; },
      [](TFontInfo& f) { f.Style ^= fsItalic; },
      [](TFontInfo& f) { f.Style ^= fsUnderline; },
      [](TFontInfo& f) { f.Style ^= fsStrikeOut; },
      [](TFontInfo& f) { f.Effects = efOverline; },
      [](TFontInfo& f) { f.Effects = efAllCaps; },
      [](TFontInfo& f) { f.VShift = 30; },
      [](TFontInfo& f) { f.Color = clRed; },
      [](TFontInfo& f) { f.BackColor = clYellow; },
      [](TFontInfo& f) { f.Jump = false; },
      [](TFontInfo& f) { f.HoverColor = clRed; },  // the base is a hyperlink
      [](TFontInfo& f) { f.HoverBackColor = clRed; },
      [](TFontInfo& f) { f.JumpCursor = 0; },
      [](TFontInfo& f) { f.Protection = 1; },
      [](TFontInfo& f) { f.Options = 3; },
      [](TFontInfo& f) { f.CharScale = 150; },
      [](TFontInfo& f) { f.CharSpacing = 2; },
      [](TFontInfo& f) { f.BiDiMode = TRVBiDiMode::RightToLeft; },
      [](TFontInfo& f) { f.BaseStyleNo = 0; },
      [](TFontInfo& f) { f.Unicode = true; },
      [](TFontInfo& f) { f.NextStyleNo = 0; },
  };
  const Change ignored[] = {
      [](TFontInfo& f) { f.StyleName = "Other"; },
      [](TFontInfo& f) { f.Standard = false; },
      [](TFontInfo& f) { f.FontName = "ARIAL"; },
  };
  int i = 0;
  for (const Change& change : compared) {
    TFontInfo f = base;
    change(f);
    EXPECT_FALSE(SameTextFormat(f, base)) << "compared #" << i++;
  }
  i = 0;
  for (const Change& change : ignored) {
    TFontInfo f = base;
    change(f);
    EXPECT_TRUE(SameTextFormat(f, base)) << "ignored #" << i;
    EXPECT_FALSE(f == base) << "exact equality sees #" << i;
    ++i;
  }
  // Hover colours and cursor are leftovers on plain text.
  TFontInfo plain = TRVStyle().TextStyle(kNormal), other = plain;
  other.HoverColor = clRed;
  other.HoverBackColor = clBlue;
  other.JumpCursor = 5;
  EXPECT_TRUE(SameTextFormat(plain, other));
}

TEST(StyleLookup, StylesApartInAnEngineOnlyPropertyStayApart) {
  // Text scaled or made Unicode by a file must not be merged into plain
  // text when the user makes both bold.
  TRVStyle s;
  TFontInfo wide = s.TextStyle(kNormal);
  wide.CharScale = 200;
  const int wideNo = s.FindOrAddTextStyle(wide, kNormal);
  EXPECT_NE(wideNo, kNormal);
  TFontInfo boldWide = s.TextStyle(wideNo), boldPlain = s.TextStyle(kNormal);
  boldWide.SetStyle(fsBold, true);
  boldPlain.SetStyle(fsBold, true);
  const int a = s.FindOrAddTextStyle(boldWide, wideNo), b = s.FindOrAddTextStyle(boldPlain, kNormal);
  EXPECT_NE(a, b);
  EXPECT_EQ(s.TextStyle(a).CharScale, 200);
  EXPECT_EQ(s.TextStyle(b).CharScale, 100);
}

TEST(FontNames, CaseIsIgnoredInEveryAlphabetAndTheRuleCanBeReplaced) {
  EXPECT_TRUE(SameFontName("Arial", "aRIAL"));
  EXPECT_TRUE(SameFontName("\xC3\x84rial \xC3\x96", "\xC3\xA4RIAL \xC3\xB6"));          // Latin-1
  EXPECT_TRUE(SameFontName("\xC5\x81\xC5\xB9", "\xC5\x82\xC5\xBA"));                    // Latin Extended-A
  EXPECT_TRUE(SameFontName("\xCE\xA3\xCE\x91", "\xCF\x83\xCE\xB1"));                    // Greek
  EXPECT_TRUE(SameFontName("\xD0\x81\xD0\x96", "\xD1\x91\xD0\xB6"));                    // Cyrillic
  EXPECT_TRUE(SameFontName("\xC5\xB8", "\xC3\xBF"));                                        // Y diaeresis
  EXPECT_FALSE(SameFontName("Arial", "Arial "));
  EXPECT_FALSE(SameFontName("Arial", "Ariel"));
  EXPECT_FALSE(SameFontName("\xC3\x97", "\xC3\xB7"));  // multiplication and division signs
  EXPECT_FALSE(SameFontName("A\xFF", "a\xFF"));          // not UTF-8: byte for byte
  EXPECT_TRUE(SameFontName("A\xFF", "A\xFF"));

  static int asked = 0;
  SetFontNameComparer([](std::string_view a, std::string_view b) {
    ++asked;
    return a.size() == b.size();
  });
  EXPECT_TRUE(SameFontName("Arial", "Tahom"));
  TRVStyle s;
  TFontInfo f = s.TextStyle(kNormal);
  f.FontName = "Other";  // as long as "Arial": the same face by that rule
  EXPECT_EQ(s.FindOrAddTextStyle(f, -1), kNormal);
  SetFontNameComparer(nullptr);
  EXPECT_FALSE(SameFontName("Arial", "Tahom"));
  EXPECT_GE(asked, 2);
}

TEST(StyleLookup, ParagraphStylesWorkTheSameWay) {
  TRVStyle s;
  TParaInfo centred;
  centred.Alignment = TParaAlignment::Center;
  EXPECT_EQ(s.FindOrAddParaStyle(centred, 0), 1);  // the name takes no part

  TParaInfo indented = s.ParaStyle(1);
  indented.LeftIndent = 24;
  const int no = s.FindOrAddParaStyle(indented, 1);
  EXPECT_EQ(no, 2);
  EXPECT_EQ(s.ParaStyle(no).StyleName, "Centered");
  EXPECT_FALSE(s.ParaStyle(no).Standard);
  EXPECT_EQ(s.FindOrAddParaStyle(indented, 0), no);

  TParaInfo tabs;
  tabs.Tabs = {{48, TTabAlign::Left, ""}};
  EXPECT_EQ(s.FindParaStyle(tabs, 0), -1);
  tabs.Tabs.clear();
  tabs.Background.Color = clYellow;
  EXPECT_EQ(s.FindParaStyle(tabs, 0), -1);
  tabs.Background.Color = clNone;
  tabs.Border.Style = TParaBorderStyle::Single;
  EXPECT_EQ(s.FindParaStyle(tabs, 0), -1);
  EXPECT_THROW(s.ParaStyle(3), EListError);
}

TEST(StyleSheetValidation, NamesWhatIsWrong) {
  auto broken = [](const std::function<void(TRVStyle&)>& change) {
    TRVStyle s;
    change(s);
    return ValidateStyleSheet(s);
  };
  EXPECT_NE(broken([](TRVStyle& s) { s.TextStyles.clear(); }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.ParaStyles.clear(); }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.DefUnicodeStyle = 6; }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.TextStyles[2].NextStyleNo = 6; }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.TextStyles[2].BaseStyleNo = -2; }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.TextStyles[0].Size = 0; }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.TextStyles[0].Style = 16; }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.TextStyles[0].Charset = 256; }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.TextStyles[0].CharScale = 0; }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.TextStyles[0].FontName = "\xFF"; }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.ParaStyles[0].SpaceBefore = -1; }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.ParaStyles[0].Alignment = static_cast<TParaAlignment>(4); }), "");
  EXPECT_NE(broken([](TRVStyle& s) { s.ParaStyles[0].Tabs = {{20, TTabAlign::Left, ""}, {20, TTabAlign::Right, ""}}; }), "");
  EXPECT_EQ(broken([](TRVStyle& s) { s.DefUnicodeStyle = 5; s.TextStyles[2].NextStyleNo = 0; }), "");
  EXPECT_EQ(broken([](TRVStyle& s) { s.ParaStyles[0].Tabs = {{20, TTabAlign::Left, ""}, {40, TTabAlign::Right, "."}}; }), "");
}

}  // namespace
}  // namespace nv
