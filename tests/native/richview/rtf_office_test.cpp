// Reading RTF as office programs write it: East Asian and Macintosh code
// pages, fonts with code pages of their own, styles marked \*, nested
// tables, and the parts of a document that are not its body text.
#include <gtest/gtest.h>

#include "richview/rtf.h"
#include "rtf_test_util.h"

namespace nv {
namespace {

using rtftest::Read;
using rtftest::StyleOfChar;
using rtftest::Text;

// A document whose font 0 has no character set (the document's code page
// applies) and whose fonts 1..4 are Japanese, Korean, Simplified and
// Traditional Chinese, and font 5 is Western.
std::string EastAsian(std::string_view header, std::string_view body) {
  return "{\\rtf1" + std::string(header) +
         "\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset128 MS Mincho;}{\\f2\\fcharset129 Batang;}"
         "{\\f3\\fcharset134 SimSun;}{\\f4\\fcharset136 MingLiU;}{\\f5\\fcharset0 Times;}}" +
         std::string(body) + "}";
}

TEST(RtfOffice, DoubleByteTextFollowsTheFontOrTheDocument) {
  // The document's code page, for a font without a character set.
  EXPECT_EQ(Text(Read(EastAsian("\\ansi\\ansicpg932", "\\'82\\'a0\\'8a\\'bf\\'92\\'86"))), "あ漢中");
  EXPECT_EQ(Text(Read(EastAsian("\\ansi\\ansicpg949", "\\'b0\\'a1"))), "가");
  EXPECT_EQ(Text(Read(EastAsian("\\ansi\\ansicpg936", "\\'b0\\'a1"))), "啊");
  EXPECT_EQ(Text(Read(EastAsian("\\ansi\\ansicpg950", "\\'a4\\'40"))), "一");
  EXPECT_EQ(Text(Read(EastAsian("\\ansi\\ansicpg1361", "\\'e0\\'31\\'88\\'61"))), "伽가");  // Johab
  // The font's character set, in its group only; a Western font in a
  // Japanese document reads single bytes.
  EXPECT_EQ(Text(Read(EastAsian("\\ansi\\ansicpg1252",
                                "{\\f1 \\'82\\'a0}{\\f2 \\'b0\\'a1}{\\f3 \\'b0\\'a1}{\\f4 \\'a4\\'40}\\'e9"))),
            "あ가啊一\u00e9");
  EXPECT_EQ(Text(Read(EastAsian("\\ansi\\ansicpg932", "{\\f5 \\'e9}\\'82\\'a0"))), "\u00e9あ");
  // Trail bytes in the ASCII range, written plainly or as \'hh (a trail
  // 0x5C is a backslash), raw double-byte text, single-byte katakana.
  EXPECT_EQ(Text(Read(EastAsian("\\ansicpg932", "\\'83e\\'95\\'5c\\'95\\\\x\x82\xa0\\'b1"))), "テ表表xあｱ");
  // A lead byte without a trail is one replacement; what follows is kept.
  EXPECT_EQ(Text(Read(EastAsian("\\ansicpg932", "\\'82\\tab x\\'82\\par y"))), "\uFFFD\tx\uFFFD|y");
}

TEST(RtfOffice, LeadByteEndsWithItsGroup) {
  EXPECT_EQ(Text(Read(EastAsian("\\ansicpg932", "a{\\'82}bc"))), "a\uFFFDbc");
  EXPECT_EQ(Text(Read(EastAsian("\\ansicpg1252", "{\\f1 x\\'82}\\'e9z"))), "x\uFFFD\u00e9z");
  // Nor does it reach into a group that opens after it.
  EXPECT_EQ(Text(Read(EastAsian("\\ansicpg932", "\\'82{\\b b}c"))), "\uFFFDbc");
}

TEST(RtfOffice, MacintoshAndFontCodePages) {
  EXPECT_EQ(Text(Read("{\\rtf1\\mac\\ansicpg10000 \\'8e\\'a5}")), "\u00e9\u2022");
  EXPECT_EQ(Text(Read("{\\rtf1\\mac\\ansicpg10001 \\'82\\'a0}")), "あ");
  EXPECT_EQ(Text(Read("{\\rtf1\\mac{\\fonttbl{\\f0\\fcharset77 Times;}{\\f1\\fcharset78 Osaka;}"
                      "{\\f2\\fcharset89 Cyr;}{\\f3\\fcharset88 CE;}}\\f0 \\'8e{\\f1 \\'82\\'a0}{\\f2 \\'80}{\\f3 \\'81}}")),
            "\u00e9あ\u0410\u0100");
  // A font's own \cpg wins over its character set.
  EXPECT_EQ(Text(Read("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\cpg1251 Arial;}}\\f0 \\'c0}")), "\u0410");
  // \cpg65001: UTF-8 bytes, escaped or raw; broken sequences are one
  // replacement each and do not take the text after them.
  const std::string utf8 =
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\cpg65001 Segoe;}}\\f1 ";
  EXPECT_EQ(Text(Read(utf8 + "\\'e2\\'82\\'ac\xe2\x82\xac\xf0\x9f\x98\x80}")), "\u20ac\u20ac\U0001F600");
  EXPECT_EQ(Text(Read(utf8 + "\\'e2\\'82x\\'80y{\\'c3}z}")), "\uFFFDx\uFFFDy\uFFFDz");
  // The font name itself is read in the font's code page.
  const TRVDocument named = Read("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 Mincho;}}\\f0 x}");
  EXPECT_EQ(StyleOfChar(named, 'x').FontName, "ＭＳ Mincho");
}

TEST(RtfOffice, StarredWordsTheReaderKnowsKeepTheirText) {
  // Character styles are written \*\csN in running text.
  const TRVDocument doc = Read("{\\rtf1\\ansi a{\\*\\cs7 \\b b}c{\\*\\unknowndest d}e}");
  EXPECT_EQ(Text(doc), "abce");
  EXPECT_TRUE(StyleOfChar(doc, 'b').Style & fsBold);
  EXPECT_FALSE(StyleOfChar(doc, 'c').Style & fsBold);
  // A known destination marked \* is still read as that destination.
  EXPECT_EQ(Text(Read("{\\rtf1 a{\\*\\bkmkstart m}b{\\*\\bkmkend m}c}")), "abc");
}

TEST(RtfOffice, NestedTableCellsAppearOnce) {
  // An outer cell holding a two-cell table; the copy for readers without
  // nested tables is in {\nonesttables}.
  const std::string rtf =
      "{\\rtf1\\ansi\\trowd\\cellx4000\\cellx8000\\pard\\intbl before\\par"
      "\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell"
      "{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}"
      "{\\nonesttables in1\\tab in2\\par}"
      "\\pard\\intbl after\\cell right\\cell\\row end\\par}";
  EXPECT_EQ(Text(Read(rtf)), "before|in1|in2|after|right|end");
}

TEST(RtfOffice, UnicodeEscapesWithDoubleByteFallbacks) {
  // Office programs write \uc2 before a character whose fallback is a
  // double-byte pair, \uc0 when there is none, and \u above 32767 negative.
  EXPECT_EQ(Text(Read(EastAsian("\\ansicpg932", "{\\uc2\\u12354\\'82\\'a0\\u-10916??}x"))), "あ한x");
  EXPECT_EQ(Text(Read(EastAsian("\\ansicpg932", "\\uc0\\u12354\\u-10916 \\'82\\'a0"))), "あ한あ");
  // The count is the group's: after it, \uc1 again.
  EXPECT_EQ(Text(Read(EastAsian("\\ansicpg1252", "{\\uc2\\u12354??}\\u12354?y"))), "ああy");
  // A \u word is not fallback: a surrogate pair written as two \u words
  // under \uc1 with no fallback between them is one character (the blank
  // after the second is its fallback), as is one with a fallback each.
  EXPECT_EQ(Text(Read("{\\rtf1\\ansi \\u55357 \\u56835  x|\\u-10179?\\u-8704?y}")), "\U0001F603x|\U0001F600y");
}

TEST(RtfOffice, BinaryDataIsNeverText) {
  // \bin data may hold braces, backslashes and bytes of any value.
  EXPECT_EQ(Text(Read(std::string("{\\rtf1 a{\\*\\unknownblob\\bin4 {\\}\x82}b\\bin3 \\\\{c}"))), "abc");
  // As a \u fallback it is one unit.
  EXPECT_EQ(Text(Read(std::string("{\\rtf1 \\u1046\\bin2 }{x}"))), "\u0416x");
}

TEST(RtfOffice, FieldsShowTheirResultOnly) {
  const std::string text =
      "{\\rtf1\\ansi Page {\\field{\\*\\fldinst { PAGE }{\\\\* MERGEFORMAT}}{\\fldrslt {3}}} of "
      "{\\field{\\fldinst NUMPAGES}{\\fldrslt 9}}; "
      "{\\field{\\*\\fldinst IF {\\field{\\*\\fldinst DATE}{\\fldrslt 1.2.}} = 1 \"a\"}{\\fldrslt b}}.}";
  EXPECT_EQ(Text(Read(text)), "Page 3 of 9; b.");
}

TEST(RtfOffice, ListNumbersAppearOnce) {
  // Newer writers put the number in \listtext, older ones in \pntext; some
  // write both for each list paragraph, and only one is shown.
  const std::string both =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
      "{\\listtext\\pard\\plain\\f1 \\'b7\\tab}{\\pntext\\f1 \\'b7\\tab}"
      "{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb \\'b7}}\\ls1 one\\par"
      "{\\pntext 2.\\tab}{\\listtext 2.\\tab}two\\par"
      "{\\listtext 3.\\tab}three\\par"
      "{\\pntext 4.\\tab}four\\par}";
  EXPECT_EQ(Text(Read(both)), "\u00b7\tone|2.\ttwo|3.\tthree|4.\tfour");
}

TEST(RtfOffice, NotesCommentsAndHiddenTextStayOutOfTheBody) {
  const std::string notes =
      "{\\rtf1\\ansi Body{\\cs16\\super \\chftn{\\footnote\\pard\\plain{\\cs16\\super \\chftn} A note.\\par}}"
      " text{\\*\\atnid JS}{\\*\\atnauthor Jo}\\chatn{\\*\\annotation{\\*\\atnref 1}\\pard\\plain"
      "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} A comment.\\par}"
      " more{\\*\\ftnsep\\chftnsep}.\\par}";
  EXPECT_EQ(Text(Read(notes)), "Body text more.");
  // Hidden text, pictures and field results are left out; \v0 ends it.
  const TRVDocument hidden = Read(
      "{\\rtf1\\ansi a{\\v secret}b\\v c{\\field{\\*\\fldinst PAGE}{\\fldrslt 2}}\\v0 d"
      "{\\v{\\pict\\pngblip 89504e47}}e}");
  EXPECT_EQ(Text(hidden), "abde");
  // A hidden paragraph mark joins its paragraph to the next, so a wholly
  // hidden paragraph leaves no empty line behind.
  EXPECT_EQ(Text(Read("{\\rtf1 a\\par{\\v gone\\par}b{\\v\\par}c\\par d}")), "a|bc|d");
}

}  // namespace
}  // namespace nv
