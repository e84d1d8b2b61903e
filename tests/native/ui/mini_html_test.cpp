#include "ui/mini_html.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(MiniHtml, PanelTextWithUnderlineAndColouredBold) {
  const auto runs = ParseMiniHtml(
      "Enter program path - Use the bottom two boxes on the right to locate your program.<BR>"
      "<U>Example:</U> <FONT color=\"#8000FF\"><B>C:\\Program Files\\Mozilla Firefox\\firefox.exe</B></FONT>");
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0].text, "Enter program path - Use the bottom two boxes on the right to locate your program.\n");
  EXPECT_FALSE(runs[0].bold);
  EXPECT_EQ(runs[1].text, "Example:");
  EXPECT_TRUE(runs[1].underline);
  EXPECT_EQ(runs[2].text, " ");
  EXPECT_EQ(runs[3].text, "C:\\Program Files\\Mozilla Firefox\\firefox.exe");
  EXPECT_TRUE(runs[3].bold);
  ASSERT_TRUE(runs[3].color.has_value());
  EXPECT_EQ(*runs[3].color, 0xFF0080u);  // #8000FF as 0x00BBGGRR
}

TEST(MiniHtml, FontSizeFaceNestingAndEntities) {
  const auto runs = ParseMiniHtml("<font size=\"10\" face='Tahoma'>a &amp; b<b>c</b></font>d&lt;e&zz;");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].text, "a & b");
  EXPECT_EQ(runs[0].size, 10);
  EXPECT_EQ(runs[0].face, "Tahoma");
  EXPECT_TRUE(runs[1].bold);
  EXPECT_EQ(runs[1].size, 10);
  EXPECT_EQ(runs[2].text, "d<e&zz;");
  EXPECT_EQ(runs[2].size, 0);
}

TEST(MiniHtml, UnknownOrBrokenTagsStayText) {
  EXPECT_EQ(MiniHtmlPlainText("a < b and <blink>c</blink> <b"), "a < b and <blink>c</blink> <b");
  EXPECT_EQ(MiniHtmlPlainText("</b></font>x"), "x");  // unbalanced ends are ignored
  EXPECT_EQ(MiniHtmlPlainText("line1\r\nline2<br>line3"), "line1 line2\nline3");
  EXPECT_EQ(MiniHtmlPlainText("<font size=99999>big</font>"), "big");
}

}  // namespace
}  // namespace nv
