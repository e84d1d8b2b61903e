#include "ui/text.h"

#include <gtest/gtest.h>

#include "ui/errors.h"

namespace nv {
namespace {

TEST(AsciiCase, OnlyAsciiLettersChange) {
  EXPECT_EQ(AsciiUpper("notepad.exe \xC3\xA4z"), "NOTEPAD.EXE \xC3\xA4Z");
  EXPECT_EQ(AsciiLower("ABC\xC3\x84"), "abc\xC3\x84");
  EXPECT_TRUE(AsciiEqualNoCase("Shell_TrayWnd", "shell_traywnd"));
  EXPECT_FALSE(AsciiEqualNoCase("a", "ab"));
}

TEST(Utf, RoundTripsAndRepairsBadInput) {
  const std::string s = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // A é € 😀
  const std::u16string w = Utf8ToUtf16(s);
  EXPECT_EQ(w, (std::u16string{u'A', 0xE9, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(Utf16ToUtf8(w), s);
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD}));  // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD}));
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), (std::u16string{0xFFFD, 0xFFFD}));  // cut off
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
}

TEST(StrToInt, AcceptsWhatTheIniHolds) {
  EXPECT_EQ(StrToInt("16467"), 16467);
  EXPECT_EQ(StrToInt("-5"), -5);
  EXPECT_EQ(StrToInt("  42"), 42);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(StrToInt, RejectsWithTheFrameworkText) {
  for (const char* bad : {"", "abc", "12 ", "1.5", "2147483648", "0x", "99999999999999999999"}) {
    try {
      StrToInt(bad);
      ADD_FAILURE() << bad;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
    }
  }
}

TEST(ErrorBox, FullStopRule) {
  EXPECT_EQ(ErrorBoxText("SetMasterMuteValue failure, multimedia system error #5"),
            "SetMasterMuteValue failure, multimedia system error #5.");
  EXPECT_EQ(ErrorBoxText("Field 'x' not found"), "Field 'x' not found.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("Really?"), "Really?.");   // '?' is above '.'
  EXPECT_EQ(ErrorBoxText("(-1)"), "(-1)");          // ')' is below '.'
  EXPECT_EQ(ErrorBoxText("a-"), "a-");              // '-' is below '.'
  EXPECT_EQ(ErrorBoxText(""), "");
}

}  // namespace
}  // namespace nv
