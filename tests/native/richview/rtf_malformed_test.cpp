// Damaged and hostile RTF: the reader keeps what it can, leaves a valid
// document, and answers false only where it cannot read on.
#include <gtest/gtest.h>

#include <string>

#include "richview/rtf.h"
#include "rtf_test_util.h"

namespace nv {
namespace {

using rtftest::Read;
using rtftest::StyleOf;
using rtftest::StyleOfChar;
using rtftest::Text;

TEST(RtfMalformed, DeepNestingStopsAtTheLimitWithoutCrashing) {
  // 50,000 nested groups: past the limit the reader gives up, keeping the
  // text it had read.
  std::string deep = "{\\rtf1 before";
  for (int i = 0; i < 50000; ++i) deep += "{\\b ";
  deep += "inner";
  for (int i = 0; i < 50000; ++i) deep += "}";
  deep += "}";
  EXPECT_EQ(Text(Read(deep, false)), "before");

  // Up to the limit everything is read, and the formatting unwinds.
  std::string ok = "{\\rtf1 a";
  for (int i = 1; i < kMaxRtfDepth; ++i) ok += "{\\b ";
  ok += "b";
  for (int i = 1; i < kMaxRtfDepth; ++i) ok += "}";
  ok += "c}";
  const TRVDocument doc = Read(ok);
  EXPECT_EQ(Text(doc), "abc");
  EXPECT_EQ(StyleOf(doc, 0, 1).Style, fsBold);
  EXPECT_EQ(StyleOf(doc, 0, 2).Style, 0);
}

TEST(RtfMalformed, BinaryLengthsAreBoundedByTheInput) {
  EXPECT_EQ(Text(Read("{\\rtf1 a{\\pict\\pngblip\\bin99 xyz}}", false)), "a");
  EXPECT_EQ(Text(Read("{\\rtf1 a{\\pict\\pngblip\\bin2147483647 xyz}}", false)), "a");
  EXPECT_EQ(Text(Read("{\\rtf1 a{\\pict\\pngblip\\bin99999999999999999999 xyz}}", false)), "a");
  // Exactly what remains is fine; a negative length reads nothing.
  EXPECT_EQ(Text(Read("{\\rtf1 a{\\*\\x\\bin3 }}}}b}")), "ab");
  EXPECT_EQ(Text(Read("{\\rtf1 a\\bin-5 b}")), "ab");
  // \bin data outside pictures is skipped, braces in it included.
  EXPECT_EQ(Text(Read("{\\rtf1 a{\\bin4 {{{{}b}")), "ab");
}

TEST(RtfMalformed, EscapesCutOffAtTheEnd) {
  EXPECT_EQ(Text(Read("{\\rtf1 ab\\'")), "ab");
  EXPECT_EQ(Text(Read("{\\rtf1 ab\\'4")), "ab");
  EXPECT_EQ(Text(Read("{\\rtf1 ab\\'zz}")), "abzz");
  EXPECT_EQ(Text(Read("{\\rtf1 ab\\u")), "ab");
  EXPECT_EQ(Text(Read("{\\rtf1 ab\\u-")), "ab-");  // no number: the minus is text
  EXPECT_EQ(Text(Read("{\\rtf1 ab\\u1046")), "ab\u0416");
  EXPECT_EQ(Text(Read("{\\rtf1 ab\\")), "ab");
  EXPECT_EQ(Text(Read(std::string("{\\rtf1 ab\\u-10179"))), "ab\uFFFD");
  // Long runs of dropped escapes do not recurse.
  std::string many = "{\\rtf1 x";
  for (int i = 0; i < 200000; ++i) many += "\\'";
  EXPECT_EQ(Text(Read(many + "}")), "x");
}

TEST(RtfMalformed, UnicodeValuesOutOfRange) {
  EXPECT_EQ(Text(Read("{\\rtf1 \\u-1?}")), "\uFFFF");  // -1 means U+FFFF
  EXPECT_EQ(Text(Read("{\\rtf1 \\u-32768?}")), "\u8000");
  EXPECT_EQ(Text(Read("{\\rtf1 \\u65;}")), "A");
  EXPECT_EQ(Text(Read("{\\rtf1 \\u-99999?\\u2000000?\\u99999999999?}")), "\uFFFD\uFFFD\uFFFD");
  // NUL and carriage return never reach the text.
  EXPECT_EQ(Text(Read("{\\rtf1 a\\u0?b\\u13?c\\'00d}")), "abcd");
}

TEST(RtfMalformed, UnbalancedBracesAndTheHeader) {
  EXPECT_EQ(Text(Read("{\\rtf1 a{\\b b{\\i c")), "abc");   // groups left open
  EXPECT_EQ(Text(Read("{\\rtf1 a}}}} trailing")), "a");    // the document ends with its group
  EXPECT_EQ(Text(Read("\xEF\xBB\xBF\r\n {\\rtf1 bom}")), "bom");
  EXPECT_EQ(Text(Read("plain text", false)), "");
  EXPECT_EQ(Text(Read("", false)), "");
  EXPECT_EQ(Text(Read("{\\rt", false)), "");
  EXPECT_EQ(Text(Read("{\\rtf")), "");
}

TEST(RtfMalformed, NumbersAreClampedAndSafe) {
  const TRVDocument doc = Read(
      "{\\rtf1{\\colortbl;\\red999\\green-5\\blue1;}\\fs-4 a\\fs99999999999 b\\cf99999 c\\cf-2 d"
      "\\li-2147483648\\fi2147483647\\sb-100\\sl-2147483648\\slmult1\\brdrb\\brdrs\\brdrw-9 e"
      "\\tx-5\\tx999999999\\up2147483647 f\\uc-3\\u1046 g\\par}");
  EXPECT_EQ(Text(doc), "abcdef\u0416g");
  EXPECT_EQ(StyleOfChar(doc, 'a').Size, 12);  // \fs-4: the default size
  EXPECT_EQ(StyleOfChar(doc, 'b').Size, kMaxFontSize);
  EXPECT_EQ(StyleOfChar(doc, 'c').Color, clWindowText);  // no such colour: automatic
  EXPECT_EQ(StyleOfChar(doc, 'd').Color, clWindowText);
  const TParaInfo& para = rtftest::ParaOf(doc, 0);
  EXPECT_EQ(para.LeftIndent, -kMaxParaMetric);
  EXPECT_EQ(para.FirstIndent, kMaxParaMetric);
  EXPECT_EQ(para.SpaceBefore, 0);
  EXPECT_EQ(para.LineSpacing, 100);
  EXPECT_EQ(para.Border.Width, 0);
  ASSERT_EQ(para.Tabs.size(), 2u);
  EXPECT_EQ(para.Tabs[1].Position, kMaxParaMetric);
}

TEST(RtfMalformed, PictureDataThatIsNotAPicture) {
  // No data, no known type, a DIB too short for a header, odd hex digits:
  // nothing but the well-formed picture is kept.
  const TRVDocument doc = Read(
      "{\\rtf1 a{\\pict\\pngblip}{\\pict 0102}{\\pict\\dibitmap0 0102}{\\pict\\wbitmap0 0102}"
      "{\\pict\\emfblip 010}{\\pict\\pngblip\\picw0\\pich0\\picscalex0 zz 01 2}b}");
  EXPECT_EQ(Text(doc), "a##b");
  EXPECT_EQ(doc.Item(0, 1).AsPicture()->Data.size(), 1u);
  EXPECT_EQ(doc.Item(0, 1).AsPicture()->Width, 32);  // no size anywhere
  // A DIB header claiming a huge colour table still makes a .bmp whose
  // offset stays inside the file.
  const TRVDocument big = Read(
      "{\\rtf1{\\pict\\dibitmap0 2800000001000000010000000100080000000000000000000000000000000000ffffffff00000000}}");
  const TRVPictureItemInfo& p = *big.Item(0, 0).AsPicture();
  ASSERT_GE(p.Data.size(), 14u);
  const std::uint32_t offset = p.Data.data()[10] | (p.Data.data()[11] << 8) |
                               (p.Data.data()[12] << 16) | (static_cast<std::uint32_t>(p.Data.data()[13]) << 24);
  EXPECT_LE(offset, p.Data.size());
}

TEST(RtfMalformed, StyleGrowthIsBounded) {
  // Thousands of distinct looks (size by colour): the sheet stops growing at
  // a bound and the rest of the text keeps a valid style.
  std::string rtf = "{\\rtf1{\\colortbl;";
  for (int c = 0; c < 40; ++c) rtf += "\\red" + std::to_string(c) + "\\green0\\blue0;";
  rtf += "}";
  for (int size = 1; size <= 300; ++size)
    for (int c = 1; c <= 40; ++c) rtf += "\\fs" + std::to_string(size * 2) + "\\cf" + std::to_string(c) + " x";
  const TRVDocument doc = Read(rtf + "}");
  EXPECT_LT(doc.Style.TextStyleCount(), 6000);
  EXPECT_GT(doc.Style.TextStyleCount(), 4000);
}

}  // namespace
}  // namespace nv
