// The code-page service through the system's own tables.
#include <windows.h>

#include <gtest/gtest.h>

#include "codec/code_page.h"

namespace nv {
namespace {

TEST(CodePagesWin, TheSystemTablesReadAndWriteEveryKindOfPage) {
  EXPECT_EQ(CodePageToUtf8(932, "a\x93\xFA\x96\x7B"), "a\xE6\x97\xA5\xE6\x9C\xAC");  // Shift_JIS: a日本
  EXPECT_EQ(CodePageToUtf8(936, "\xD6\xD0\xCE\xC4"), "\xE4\xB8\xAD\xE6\x96\x87");    // GBK: 中文
  EXPECT_EQ(CodePageToUtf8(20866, "\xF0\xD2\xC9"), "\xD0\x9F\xD1\x80\xD0\xB8");      // KOI8-R: При
  EXPECT_EQ(CodePageToUtf8(1252, "caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(CodePageToUtf8(1252, ""), "");
  for (int cp : {932, 936, 949, 950, 1251, 28592}) {
    const std::string text = cp == 1251 ? "\xD0\x9F\xD1\x80\xD0\xB8" : cp == 28592 ? "\xC5\x82\xC3\xB3" : cp == 949 ? "\xED\x95\x9C" : "\xE4\xB8\xAD";
    const std::optional<std::string> bytes = Utf8ToCodePageExactly(cp, "ab " + text);
    ASSERT_TRUE(bytes) << cp;
    EXPECT_EQ(CodePageToUtf8(cp, *bytes), "ab " + text) << cp;
  }
  EXPECT_EQ(Utf8ToCodePageExactly(1252, "\xE4\xB8\xAD"), std::nullopt) << "1252 has no Chinese";
  EXPECT_EQ(Utf8ToCodePage(1252, "a\xE4\xB8\xAD"), "a?");
  EXPECT_EQ(CodePageToUtf8(12345, "x"), std::nullopt);
  EXPECT_EQ(SystemAnsiCodePage(), static_cast<int>(::GetACP()));
}

}  // namespace
}  // namespace nv
