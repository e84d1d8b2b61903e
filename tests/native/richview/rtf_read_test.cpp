// Reading RTF as word processors write it: formatting, paragraphs,
// characters and code pages, pictures, fields, bookmarks, background.
#include <gtest/gtest.h>

#include "richview/rtf.h"
#include "rtf_test_util.h"

namespace nv {
namespace {

using rtftest::ParaOf;
using rtftest::Read;
using rtftest::StyleOf;
using rtftest::StyleOfChar;
using rtftest::Text;
using rtftest::TextItem;

constexpr const char* kTables =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
    "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern Courier New;}}"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;\\red255\\green255\\blue0;}";

std::string Doc(std::string_view body) { return std::string(kTables) + std::string(body) + "}"; }

TEST(RtfRead, CharacterFormattingTurnsOnAndOff) {
  const TRVDocument doc = Read(Doc(
      "\\f1\\fs28 a\\b b\\b0 c\\i d\\i0\\ul e\\ulnone f\\uldb g\\ul0 h\\strike i\\strike0"
      "\\cf1 j\\cf0\\highlight3 k\\highlight0\\cb2 l\\plain m\\chcbpat1 n\\ulc1 o\\caps p\\par"));
  ASSERT_EQ(Text(doc), "abcdefghijklmnop");
  const TFontInfo& a = StyleOfChar(doc, 'a');
  EXPECT_EQ(a.FontName, "Times New Roman");
  EXPECT_EQ(a.Size, 14);
  EXPECT_EQ(a.Charset, 0);
  EXPECT_EQ(a.Style, 0);
  EXPECT_EQ(a.Color, clWindowText);
  EXPECT_EQ(a.BackColor, clNone);
  EXPECT_FALSE(a.Standard);
  EXPECT_EQ(StyleOfChar(doc, 'b').Style, fsBold);
  EXPECT_EQ(TextItem(doc, 0, 0).Text, "a");
  EXPECT_EQ(TextItem(doc, 0, 2).Text, "c");  // \b0 gives back the first style
  EXPECT_EQ(TextItem(doc, 0, 2).StyleNo, TextItem(doc, 0, 0).StyleNo);
  EXPECT_EQ(StyleOfChar(doc, 'd').Style, fsItalic);
  EXPECT_EQ(StyleOfChar(doc, 'e').Style, fsUnderline);
  EXPECT_EQ(StyleOfChar(doc, 'f').Style, 0);            // \ulnone
  EXPECT_EQ(StyleOfChar(doc, 'g').Style, fsUnderline);  // \uldb is an underline too
  EXPECT_EQ(StyleOfChar(doc, 'h').Style, 0);            // \ul0
  EXPECT_EQ(StyleOfChar(doc, 'i').Style, fsStrikeOut);
  EXPECT_EQ(StyleOfChar(doc, 'j').Color, MakeColor(255, 0, 0));
  EXPECT_EQ(StyleOfChar(doc, 'k').BackColor, MakeColor(255, 255, 0));
  EXPECT_EQ(StyleOfChar(doc, 'k').Color, clWindowText);  // \cf0: automatic
  EXPECT_EQ(StyleOfChar(doc, 'l').BackColor, MakeColor(0, 128, 0));
  // \plain: the default font (\deff0, Arial, charset 0) at 12 points.
  const TFontInfo& m = StyleOfChar(doc, 'm');
  EXPECT_EQ(m.FontName, "Arial");
  EXPECT_EQ(m.Size, 12);
  EXPECT_EQ(m.Style, 0);
  EXPECT_EQ(m.BackColor, clNone);
  EXPECT_EQ(StyleOfChar(doc, 'n').BackColor, MakeColor(255, 0, 0));
  EXPECT_EQ(StyleOfChar(doc, 'o').Style, 0);  // \ulc is the underline's colour only
  EXPECT_EQ(StyleOfChar(doc, 'p').Effects, efAllCaps);
}

TEST(RtfRead, StyleSheetGrowsOnlyByTheCombinationsUsed) {
  TRVDocument doc;
  const int before = doc.Style.TextStyleCount();
  // Arial 10 in the default charset and automatic colour is "Normal text";
  // the bold red run appears twice but adds one style; the paragraph
  // formatting repeats too.
  ASSERT_TRUE(LoadRTF("{\\rtf1{\\fonttbl{\\f0\\fcharset1 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
                      "\\pard\\qc\\fs20 plain {\\b\\cf1 red} plain\\par\\pard\\qc {\\b\\cf1 again}\\par"
                      "\\pard\\li300 x\\par\\pard\\li300 y\\par}",
                      doc));
  EXPECT_EQ(ValidateDocument(doc), "");
  EXPECT_EQ(doc.Style.TextStyleCount(), before + 1);
  EXPECT_EQ(TextItem(doc, 0, 0).StyleNo, 0);
  EXPECT_EQ(TextItem(doc, 0, 1).StyleNo, before);
  EXPECT_EQ(TextItem(doc, 1, 0).StyleNo, before);
  EXPECT_EQ(doc.Paragraph(0).ParaNo(), 1);  // centred: the sheet's "Centered"
  EXPECT_EQ(doc.Style.ParaStyleCount(), 3);  // and one for the indent
  EXPECT_EQ(doc.Paragraph(2).ParaNo(), 2);
  EXPECT_EQ(doc.Paragraph(3).ParaNo(), 2);
  EXPECT_EQ(ParaOf(doc, 2).LeftIndent, 20);
}

TEST(RtfRead, ParagraphFormatting) {
  const TRVDocument doc = Read(Doc(
      "\\pard\\qr\\li1500\\ri300\\fi-450\\sb150\\sa225\\sl360\\slmult1 a\\par"
      "\\pard\\qj\\cbpat3\\box\\brdrdb\\brdrw30\\brdrcf1\\brsp60 b\\par"
      "\\pard\\tqc\\tldot\\tx1500\\tx750\\tqr\\tx3000\\rtlpar c\\par"
      "\\pard\\qc d\\par"));
  ASSERT_EQ(Text(doc), "a|b|c|d");
  const TParaInfo& a = ParaOf(doc, 0);
  EXPECT_EQ(a.Alignment, TParaAlignment::Right);
  EXPECT_EQ(a.LeftIndent, 100);
  EXPECT_EQ(a.RightIndent, 20);
  EXPECT_EQ(a.FirstIndent, -30);
  EXPECT_EQ(a.SpaceBefore, 10);
  EXPECT_EQ(a.SpaceAfter, 15);
  EXPECT_EQ(a.LineSpacing, 150);
  const TParaInfo& b = ParaOf(doc, 1);
  EXPECT_EQ(b.Alignment, TParaAlignment::Justify);
  EXPECT_EQ(b.Background.Color, MakeColor(255, 255, 0));
  EXPECT_EQ(b.Border.Style, TParaBorderStyle::Double);
  EXPECT_EQ(b.Border.Sides, kAllBorderSides);
  EXPECT_EQ(b.Border.Width, 2);
  EXPECT_EQ(b.Border.Color, MakeColor(255, 0, 0));
  EXPECT_EQ(b.Border.Padding, 4);
  const TParaInfo& c = ParaOf(doc, 2);
  ASSERT_EQ(c.Tabs.size(), 3u);  // sorted by position
  EXPECT_EQ(c.Tabs[0].Position, 50);
  EXPECT_EQ(c.Tabs[0].Align, TTabAlign::Left);
  EXPECT_EQ(c.Tabs[1].Position, 100);
  EXPECT_EQ(c.Tabs[1].Align, TTabAlign::Center);
  EXPECT_EQ(c.Tabs[1].Leader, ".");
  EXPECT_EQ(c.Tabs[2].Align, TTabAlign::Right);
  EXPECT_EQ(c.BiDiMode, TRVBiDiMode::RightToLeft);
  EXPECT_EQ(doc.Paragraph(3).ParaNo(), 1);  // \pard reset everything but the centring
}

TEST(RtfRead, ParagraphsLinesTabsAndEmptyLines) {
  const TRVDocument doc = Read(Doc("one\\tab two\\line three\\par\\par{\\b last}"));
  EXPECT_EQ(Text(doc), "one\ttwo\nthree||last");
  ASSERT_EQ(doc.ParagraphCount(), 3);
  EXPECT_TRUE(doc.Paragraph(1).IsEmptyLine());
  // The unterminated last paragraph is kept; a final \par adds no empty one.
  EXPECT_EQ(Read(Doc("a\\par b\\par")).ParagraphCount(), 2);
  EXPECT_EQ(Read(Doc("")).ParagraphCount(), 0);
  // The empty line takes the formatting in force at its paragraph mark.
  const TRVDocument bold = Read(Doc("a\\par\\b\\par"));
  EXPECT_EQ(StyleOf(bold, 1, 0).Style, fsBold);
}

TEST(RtfRead, SpecialCharactersAndEscapes) {
  const TRVDocument doc = Read(Doc(
      "\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote a\\~b\\-c\\_d \\{\\}\\\\"));
  EXPECT_EQ(Text(doc), "\u2014\u2013\u2022\u2018\u2019\u201C\u201Da\u00A0bc\u2011d {}\\");
}

TEST(RtfRead, UnicodeEscapesSkipTheirFallback) {
  // \uc1 (the default) skips one byte of fallback: a character, a \'hh, or
  // a control word; \uc2 two; \uc0 none; the count is group-scoped.
  EXPECT_EQ(Text(Read(Doc("\\u1046?x\\u1046\\'3fy{\\uc2\\u1046??z}{\\uc0\\u1046 w}\\u1046?v"))),
            "\u0416x\u0416y\u0416z\u0416w\u0416v");
  // A fallback never reaches past the end of its group.
  EXPECT_EQ(Text(Read(Doc("{\\uc3\\u1046}abc"))), "\u0416abc");
  // Surrogate pairs, and values written as negative 16-bit numbers.
  EXPECT_EQ(Text(Read(Doc("\\u-10179?\\u-8704?\\u-4?"))), "\U0001F600\uFFFC");
  // A lone surrogate becomes U+FFFD.
  EXPECT_EQ(Text(Read(Doc("\\u-10179?a\\u-8704?b"))), "\uFFFDa\uFFFDb");
}

TEST(RtfRead, CodePageBytesFollowTheFontOrTheDocument) {
  // \ansicpg1251: Cyrillic without any font charset.
  EXPECT_EQ(Text(Read("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}"
                      "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}")),
            "\u041f\u0440\u0438\u0432\u0435\u0442");
  // \fcharset238 (Central European) wins over the document's 1252, and only
  // in its font; \fcharset204 is Cyrillic.
  const TRVDocument doc = Read(
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}"
      "{\\f2\\fcharset204 Arial Cyr;}{\\f3\\fcharset161 Arial Greek;}}"
      "\\'e8{\\f1 \\'e8\\'b9\\'9e}{\\f2 \\'e8}{\\f3 \\'e1}\\pc\\'82}");
  EXPECT_EQ(Text(doc), "\u00e8\u010d\u0105\u017e\u0438\u03b1\u00e9");
  EXPECT_EQ(StyleOf(doc, 0, 1).Charset, 238);
  EXPECT_EQ(StyleOf(doc, 0, 1).FontName, "Arial CE");
  // Raw 8-bit text is in the code page too; the font name itself as well.
  EXPECT_EQ(Text(Read("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset238 \\'8ai;}}\\f0 \x9a\x9e}")),
            "\u0161\u017e");
  EXPECT_EQ(StyleOf(Read("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset238 \\'8ai;}}\\f0 x}"), 0, 0).FontName,
            "\u0160i");
  // Code pages 437 and 850 (\pc, \pca), Mac Roman (\mac).
  EXPECT_EQ(Text(Read("{\\rtf1\\pc \\'82\\'b0}")), "\u00e9\u2591");
  EXPECT_EQ(Text(Read("{\\rtf1\\pca \\'d0}")), "\u00f0");
  EXPECT_EQ(Text(Read("{\\rtf1\\mac \\'8e}")), "\u00e9");
  // East Asian double-byte text without \u: lead and trail make one character.
  EXPECT_EQ(Text(Read("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 a\\'82\\'a0b}")), "a\u3042b");
}

TEST(RtfRead, Pictures) {
  const std::vector<std::uint8_t> png = rtftest::PngBytes(40, 20);
  const std::vector<std::uint8_t> dib = rtftest::DibBytes();
  std::string jpegSof = "ffd8ffe000104a46494600010100000100010000ffc0001108003000400301220002110103110" "1ffd9";
  const TRVDocument doc = Read(Doc(
      "a{\\pict\\pngblip\\picw40\\pich20\\picwgoal900\\pichgoal450\r\n" + rtftest::Hex(png) + "}"
      "{\\pict\\pngblip " + rtftest::Hex(png) + "}"
      "{\\*\\shppict{\\pict\\jpegblip\\picscalex50\\picscaley200 " + jpegSof + "}}"
      "{\\nonshppict{\\pict\\wmetafile8\\picw2540\\pich1270 0100090000}}"
      "{\\pict\\dibitmap0\\picw2\\pich1 " + rtftest::Hex(dib) + "}"
      "{\\pict\\wmetafile8\\picw2540\\pich1270\\bin5 " + std::string("\x01\x00\x09\x00\x00", 5) + "}"
      "{\\pict\\emfblip\\picwgoal150\\pichgoal300 01000000}"
      "{\\pict\\macpict 0102}b"));
  ASSERT_EQ(Text(doc), "a######b");
  auto pic = [&](int i) { return *doc.Item(0, i).AsPicture(); };
  EXPECT_EQ(pic(1).Kind, TRVPictureKind::Png);
  EXPECT_EQ(pic(1).Data, SharedBytes(png));
  EXPECT_EQ(pic(1).Width, 60);  // the goal size
  EXPECT_EQ(pic(1).Height, 30);
  EXPECT_EQ(pic(2).Width, 40);  // no size given: the PNG header's
  EXPECT_EQ(pic(2).Height, 20);
  EXPECT_EQ(pic(3).Kind, TRVPictureKind::Jpg);  // from \shppict; \nonshppict skipped
  EXPECT_EQ(pic(3).Width, 32);                  // 64 x 48 scaled by 50% and 200%
  EXPECT_EQ(pic(3).Height, 96);
  EXPECT_EQ(pic(4).Kind, TRVPictureKind::Bmp);  // the DIB in a .bmp file
  EXPECT_EQ(pic(4).Data, SharedBytes(rtftest::BmpOfDib(dib)));
  EXPECT_EQ(pic(4).Width, 2);
  EXPECT_EQ(pic(5).Kind, TRVPictureKind::Wmf);  // \bin data; 0.01 mm sizes
  EXPECT_EQ(pic(5).Data.size(), 5u);
  EXPECT_EQ(pic(5).Width, 96);
  EXPECT_EQ(pic(5).Height, 48);
  EXPECT_EQ(pic(6).Kind, TRVPictureKind::Emf);
  EXPECT_EQ(pic(6).Width, 10);
  EXPECT_EQ(pic(6).Height, 20);
}

TEST(RtfRead, HugePicturesShrinkKeepingTheirShape) {
  const TRVDocument doc = Read(Doc("{\\pict\\pngblip\\picwgoal2000000000\\pichgoal1000000000 00}"));
  const TRVPictureItemInfo& p = *doc.Item(0, 0).AsPicture();
  EXPECT_EQ(p.Width, kMaxPictureSize);
  EXPECT_EQ(p.Height, kMaxPictureSize / 2);
}

TEST(RtfRead, HyperlinkFieldsBecomeJumpText) {
  const TRVDocument doc = Read(Doc(
      "see {\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a b\" }}{\\fldrslt{\\ul\\cf2\\fs20 the site}}} "
      "and {\\field{\\*\\fldinst HYPERLINK \\\\l \"top\"}{\\fldrslt here}}"
      "{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}"
      "{\\field{\\*\\fldinst HYPERLINK \"C:\\\\\\\\x\\\\\"y\" \\\\o \"tip\"}{\\fldrslt{\\b f}}}"));
  ASSERT_EQ(Text(doc), "see the site and here7f");
  const TRVTextItemInfo& site = TextItem(doc, 0, 1);
  EXPECT_EQ(site.Text, "the site");
  EXPECT_EQ(site.Target, "http://example.com/a b");
  EXPECT_TRUE(doc.IsHyperlink(doc.Item(0, 1)));
  EXPECT_EQ(StyleOf(doc, 0, 1).Color, clGreen);
  // Underlined green Arial 10 (default charset) in a link is the sheet's "Jump 1".
  EXPECT_EQ(TextItem(Read("{\\rtf1{\\colortbl;\\red0\\green128\\blue0;}{\\fonttbl{\\f0 Arial;}}\\fs20"
                          "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt\\ul\\cf1 j}}}"), 0, 0).StyleNo,
            4);
  EXPECT_EQ(TextItem(doc, 0, 3).Target, "#top");
  EXPECT_TRUE(StyleOf(doc, 0, 3).Jump);
  EXPECT_FALSE(StyleOf(doc, 0, 4).Jump);  // other fields: their result as plain text
  EXPECT_EQ(TextItem(doc, 0, 4).Text, "7");
  EXPECT_EQ(TextItem(doc, 0, 5).Target, "C:\\x\"y");
  EXPECT_EQ(StyleOf(doc, 0, 5).Style, fsBold);
}

TEST(RtfRead, BookmarksBecomeCheckpoints) {
  const TRVDocument doc = Read(Doc(
      "{\\*\\bkmkstart start}{\\*\\bkmkend start}ab{\\*\\bkmkstart mid}cd{\\*\\bkmkend mid}"
      "{\\*\\bkmkstart end}\\par\\par x{\\*\\bkmkstart last}"));
  ASSERT_EQ(Text(doc), "abcd||x");
  const std::vector<TRVCheckpoint> cps = doc.Checkpoints();
  ASSERT_EQ(cps.size(), 4u);
  EXPECT_EQ(cps[0], (TRVCheckpoint{0, 0, "start"}));
  EXPECT_EQ(cps[1], (TRVCheckpoint{0, 1, "mid"}));  // the run is split there
  EXPECT_EQ(TextItem(doc, 0, 1).Text, "cd");
  EXPECT_EQ(cps[2], (TRVCheckpoint{1, 0, "end"}));   // on the empty line that follows
  EXPECT_EQ(cps[3], (TRVCheckpoint{2, 0, "last"}));  // the document's end: its last item
}

TEST(RtfRead, BackgroundColour) {
  const std::string shape =
      "\\viewbksp1{\\*\\background{\\shp{\\*\\shpinst\\shpleft0\\shptop0{\\sp{\\sn shapeType}{\\sv 1}}"
      "{\\sp{\\sn fillColor}{\\sv 14745599}}{\\sp{\\sn fFilled}{\\sv 1}}}}}";
  EXPECT_EQ(Read(Doc(shape + "x")).Color, 14745599u);
  EXPECT_EQ(Read(Doc("{\\*\\background{\\shp\\fillColor255 }}x")).Color, 255u);
  EXPECT_EQ(Read(Doc("x")).Color, clWindow);  // none given: unchanged
}

TEST(RtfRead, DestinationsThatHoldNoDocumentText) {
  const TRVDocument doc = Read(Doc(
      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\*\\generator G;}"
      "{\\*\\unknownthing hidden {nested}}{\\header head}{\\footnote note}"
      "{\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 0102}{\\result obj}}"
      "{\\upr{ansi}{\\*\\ud{uni}}}{\\v hidden}"
      "{\\shp{\\*\\shpinst{\\sp{\\sn pib}{\\sv x}}}{\\shprslt shape}}"
      "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb x}}text"));
  EXPECT_EQ(Text(doc), "objunishape\u00b7\ttext");
}

TEST(RtfRead, TablesBecomeParagraphs) {
  EXPECT_EQ(Text(Read(Doc("\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell\\row after\\par"))), "a|b|after");
}

TEST(RtfRead, FontNumbersOutsideTheTableUseTheDefaultFont) {
  const std::string tables = "{\\rtf1\\deff1{\\fonttbl{\\f0 Courier;}{\\f1\\fcharset0 Verdana;}}";
  for (const char* word : {"\\f32768", "\\f-1", "\\f7", "\\f99999999999999"}) {
    const TRVDocument doc = Read(tables + word + " x}");
    EXPECT_EQ(StyleOf(doc, 0, 0).FontName, "Verdana") << word;
  }
  // No usable default either: the model's default face.
  EXPECT_EQ(StyleOf(Read("{\\rtf1\\deff5\\f-1 x}"), 0, 0).FontName, "Arial");
}

}  // namespace
}  // namespace nv
