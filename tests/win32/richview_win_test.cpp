// The rich-text engine's pieces that depend on Windows itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "richview/text_format.h"
#include "richview/win32/gdi_metrics.h"
#include "richview/win32/system_ansi_codec.h"

namespace nv {
namespace {

// Fonts measured in their own DCs and, past the cache's share of DCs, in
// the shared one give the same widths and heights, in any order.
TEST(GdiFontMetrics, ManyFontsMeasureAlikeInEveryDc) {
  auto font = [](int i) {
    TFontInfo f;
    f.FontName = i % 2 ? "Arial" : "Times New Roman";
    f.Size = 6 + i % 40;
    f.Style = static_cast<std::uint8_t>(i / 40 % 4);
    f.CharScale = 100 + i / 160;  // a new font for every index
    return f;
  };
  constexpr int kFonts = 1200;
  TGdiFontMetrics many;
  for (int i = 0; i < kFonts; ++i) many.FontExtent(font(i));
  for (int i : {0, 7, 999, 1000, 1199}) {
    TGdiFontMetrics alone;
    std::vector<int> a, b;
    many.TextExtents(font(i), "Kerning AVAWAY \xE2\x82\xAC", a);
    alone.TextExtents(font(i), "Kerning AVAWAY \xE2\x82\xAC", b);
    EXPECT_EQ(a, b) << i;
    EXPECT_EQ(many.FontExtent(font(i)).Ascent, alone.FontExtent(font(i)).Ascent) << i;
    EXPECT_NE(many.Font(font(i)), nullptr);
  }
}

TEST(SystemAnsiCodec, FollowsTheSystemCodePage) {
  SystemAnsiCodec codec;
  const std::string text = "caf\xC3\xA9 \xE2\x82\xAC";  // "café €"
  const std::string ansi = codec.FromUtf8(text);
  if (::GetACP() == 1252) {
    EXPECT_EQ(ansi, "caf\xE9 \x80");
  }
  EXPECT_EQ(codec.ToUtf8(ansi), text);

  TRVDocument doc;
  ASSERT_TRUE(LoadText(ansi + "\r\nline two", doc, 0, 0, false, TextEncoding::Ansi, codec));
  ASSERT_EQ(doc.Paragraphs.size(), 2u);
  EXPECT_EQ(doc.Paragraphs[0].Item(0).AsText()->Text, text);
  EXPECT_EQ(SaveText(doc, 80, TextEncoding::Ansi, codec), ansi + "\r\nline two");
}

}  // namespace
}  // namespace nv
