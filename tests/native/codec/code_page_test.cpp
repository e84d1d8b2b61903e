// The code-page service as the native builds have it (iconv): double-byte
// and single-byte pages, the way back, and character set names.
#include <gtest/gtest.h>

#include "codec/code_page.h"

namespace nv {
namespace {

TEST(CodePages, DoubleBytePagesReadToUtf8) {
  EXPECT_EQ(CodePageToUtf8(932, "a\x93\xFA\x96\x7B"), "a\xE6\x97\xA5\xE6\x9C\xAC");  // Shift_JIS: a日本
  EXPECT_EQ(CodePageToUtf8(936, "\xD6\xD0\xCE\xC4!"), "\xE4\xB8\xAD\xE6\x96\x87!");  // GBK: 中文!
  EXPECT_EQ(CodePageToUtf8(950, "\xA4\xA4\xA4\xE5"), "\xE4\xB8\xAD\xE6\x96\x87");    // Big5: 中文
  EXPECT_EQ(CodePageToUtf8(949, "\xC7\xD1\xB1\xB9"), "\xED\x95\x9C\xEA\xB5\xAD");    // EUC-KR: 한국
  EXPECT_EQ(CodePageToUtf8(20932, "\xC6\xFC\xCB\xDC"), "\xE6\x97\xA5\xE6\x9C\xAC");  // EUC-JP: 日本
  // The Macintosh East Asian pages, as Macintosh documents name them.
  EXPECT_EQ(CodePageToUtf8(10001, "\x93\xFA"), "\xE6\x97\xA5");  // 日
  EXPECT_EQ(CodePageToUtf8(10002, "\xA4\xA4"), "\xE4\xB8\xAD");  // 中
  EXPECT_EQ(CodePageToUtf8(10003, "\xC7\xD1"), "\xED\x95\x9C");  // 한
  EXPECT_EQ(CodePageToUtf8(10008, "\xD6\xD0"), "\xE4\xB8\xAD");  // 中
  // A lead byte with nothing after it is no character, and the rest stays.
  EXPECT_EQ(CodePageToUtf8(932, "ab\x93"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(CodePageToUtf8(936, "\xFF" "a"), "\xEF\xBF\xBD" "a");
}

TEST(CodePages, SingleBytePagesReadToUtf8) {
  EXPECT_EQ(CodePageToUtf8(20866, "\xF0\xD2\xC9\xD7\xC5\xD4"), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
  EXPECT_EQ(CodePageToUtf8(1251, "\xCF\xF0\xE8"), "\xD0\x9F\xD1\x80\xD0\xB8");
  EXPECT_EQ(CodePageToUtf8(28592, "\xB3\xF3\xBF"), "\xC5\x82\xC3\xB3\xC5\xBC");  // ISO-8859-2: łóż
  EXPECT_EQ(CodePageToUtf8(28605, "\xA4"), "\xE2\x82\xAC");                      // ISO-8859-15: €
  EXPECT_EQ(CodePageToUtf8(10029, "\x81"), "\xC4\x80");  // Mac Central European: Ā
  // Windows reads the unassigned bytes of 1252 as the C1 controls.
  EXPECT_EQ(CodePageToUtf8(1252, "\x80\xE9\x81"), "\xE2\x82\xAC\xC3\xA9\xC2\x81");
  EXPECT_EQ(CodePageToUtf8(12345, "x"), std::nullopt);
  EXPECT_FALSE(IsCodePageAvailable(12345));
  EXPECT_TRUE(IsCodePageAvailable(932));
}

TEST(CodePages, RoundTripAndCharactersAPageLacks) {
  for (int cp : {932, 936, 949, 950, 1251, 1252, 20866, 28592, 54936}) {
    std::string all;
    for (int b = 0x20; b < 0x7F; ++b) all += static_cast<char>(b);
    const std::string sample = cp == 1251 || cp == 20866 ? "\xD0\x9F\xD1\x80\xD0\xB8" : cp == 1252 || cp == 28592 ? "\xC3\xB3" : "\xE4\xB8\xAD";
    const std::string text = all + (cp == 949 ? std::string("\xED\x95\x9C") : sample);
    const std::optional<std::string> bytes = Utf8ToCodePageExactly(cp, text);
    ASSERT_TRUE(bytes) << cp;
    EXPECT_EQ(CodePageToUtf8(cp, *bytes), text) << cp;
  }
  EXPECT_EQ(Utf8ToCodePage(1252, "\xE2\x82\xAC\xC3\xA9\xC2\x81\xE4\xB8\xAD"), "\x80\xE9\x81?");
  EXPECT_EQ(Utf8ToCodePageExactly(1252, "a\xE4\xB8\xAD"), std::nullopt);
  EXPECT_EQ(Utf8ToCodePageExactly(1252, "\xC2\x81"), "\x81");
  EXPECT_EQ(Utf8ToCodePage(932, "\xE6\x97\xA5"), "\x93\xFA");
}

TEST(CodePages, CharsetNamesAsDocumentsGiveThem) {
  EXPECT_EQ(CodePageOfCharset("Shift_JIS"), 932);
  EXPECT_EQ(CodePageOfCharset("x-sjis"), 932);
  EXPECT_EQ(CodePageOfCharset("EUC-JP"), 20932);
  EXPECT_EQ(CodePageOfCharset("gb2312"), 936);
  EXPECT_EQ(CodePageOfCharset("GBK"), 936);
  EXPECT_EQ(CodePageOfCharset("GB18030"), 54936);
  EXPECT_EQ(CodePageOfCharset("Big5"), 950);
  EXPECT_EQ(CodePageOfCharset("euc-kr"), 949);
  EXPECT_EQ(CodePageOfCharset("KOI8-R"), 20866);
  EXPECT_EQ(CodePageOfCharset("iso-8859-2"), 28592);
  EXPECT_EQ(CodePageOfCharset("ISO-8859-15"), 28605);
  EXPECT_EQ(CodePageOfCharset("ISO-8859-1"), 1252) << "read as browsers read it";
  EXPECT_EQ(CodePageOfCharset("us-ascii"), 1252);
  EXPECT_EQ(CodePageOfCharset("windows-1251"), 1251);
  EXPECT_EQ(CodePageOfCharset("CP1250"), 1250);
  EXPECT_EQ(CodePageOfCharset(" \"UTF-8\" "), kCodePageUtf8);
  EXPECT_EQ(CodePageOfCharset("ks_c_5601-1987"), 949);
  EXPECT_EQ(CodePageOfCharset("x-mac-cyrillic"), 10007);
  EXPECT_EQ(CodePageOfCharset("x-martian"), std::nullopt);
  EXPECT_EQ(CodePageOfCharset("windows-"), std::nullopt);
  EXPECT_EQ(CodePageOfCharset(""), std::nullopt);
}

}  // namespace
}  // namespace nv
