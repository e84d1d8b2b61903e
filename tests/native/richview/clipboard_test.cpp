#include "richview/clipboard.h"

#include <gtest/gtest.h>

#include "richview/edit.h"
#include "richview/edit_range.h"

namespace nv {
namespace {

TRVDocument Sample() {
  TRVDocument d;
  d.AddParagraph(0).AddItem(TRVItem::MakeText("Heading \xE2\x82\xAC", 1));
  TRVParagraph& p = d.AddParagraph(1);
  p.AddItem(TRVItem::MakeText("link", 4, "https://example.org/"));
  p.AddItem(TRVItem::MakeText(" and\ttab", 0));
  return d;
}

TEST(Clipboard, ThreeFormsOfTheSameFragment) {
  const TRVDocument d = Sample();
  const TRVClipboardData c = MakeClipboardData(d);
  EXPECT_FALSE(c.rvf.empty());
  EXPECT_EQ(c.rtf.rfind("{\\rtf", 0), 0u);
  EXPECT_EQ(c.unicodeText, u"Heading \u20AC\r\nlink and\ttab");
}

TEST(Clipboard, PasteTakesTheRichestFormPresent) {
  const TRVDocument d = Sample();
  TRVClipboardData c = MakeClipboardData(d);
  TRVDocument got;
  ASSERT_TRUE(ReadClipboardData(c, got));
  EXPECT_EQ(got, d) << "the engine's own form is exact";

  c.rvf.clear();
  ASSERT_TRUE(ReadClipboardData(c, got));
  ASSERT_EQ(got.Paragraphs.size(), 2u);
  EXPECT_EQ(got.Paragraphs[1].ParaNo(), got.Style.FindParaStyle(d.Style.ParaStyle(1), -1)) << "RTF keeps formatting";

  c.rtf = "not RTF";
  ASSERT_TRUE(ReadClipboardData(c, got));
  ASSERT_EQ(got.Paragraphs.size(), 2u);
  EXPECT_EQ(got.Paragraphs[1].Item(0).AsText()->Text, "link and\ttab");
  EXPECT_EQ(got.Paragraphs[1].Item(0).AsText()->StyleNo, 0);

  EXPECT_FALSE(ReadClipboardData(TRVClipboardData{}, got));
  EXPECT_FALSE(ReadClipboardData(TRVClipboardData{"garbage", "", u""}, got));
}

// A bare 2 x 3 DIB of 24 bits a pixel, rows padded to 8 bytes.
std::string BareDib(std::uint32_t headerSize = 40) {
  std::string d(headerSize, '\0');
  auto put32 = [&](size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
  };
  put32(0, headerSize);
  put32(4, 2);
  put32(8, 3);
  d[12] = 1;
  d[14] = 24;
  return d + std::string(3 * 8, '\x7F');
}

TEST(Clipboard, APictureIsPastedOnlyWhenNoTextFormIsThere) {
  TRVClipboardData c;
  c.dib = BareDib();
  TRVDocument f;
  ASSERT_TRUE(ReadClipboardData(c, f));
  ASSERT_EQ(f.ParagraphCount(), 1);
  ASSERT_EQ(f.Paragraph(0).ItemCount(), 1);
  const TRVPictureItemInfo* pic = f.Paragraph(0).Item(0).AsPicture();
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->Kind, TRVPictureKind::Bmp);
  EXPECT_EQ(pic->Width, 2);
  EXPECT_EQ(pic->Height, 3);
  // A .bmp file: the file header in front of the DIB, pointing at its bits.
  ASSERT_EQ(pic->Data.size(), 14 + c.dib.size());
  EXPECT_EQ(pic->Data.data()[0], 'B');
  EXPECT_EQ(pic->Data.data()[10], 14 + 40);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(pic->Data.data()) + 14, c.dib.size()), c.dib);
  EXPECT_EQ(ValidateDocument(f), "");

  // The version 5 form comes before the plain one, PNG before both.
  c.dibV5 = BareDib(124);
  ASSERT_TRUE(ReadClipboardData(c, f));
  EXPECT_EQ(f.Paragraph(0).Item(0).AsPicture()->Data.data()[10], 14 + 124);
  std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x05\0\0\0\x07", 24);
  c.png = png;
  ASSERT_TRUE(ReadClipboardData(c, f));
  EXPECT_EQ(f.Paragraph(0).Item(0).AsPicture()->Kind, TRVPictureKind::Png);
  EXPECT_EQ(f.Paragraph(0).Item(0).AsPicture()->Width, 5);

  // Text wins over pictures.
  c.unicodeText = u"words";
  ASSERT_TRUE(ReadClipboardData(c, f));
  EXPECT_EQ(f.Paragraph(0).Item(0).AsText()->Text, "words");

  // Unreadable picture forms give nothing; a damaged PNG falls back to a DIB.
  TRVClipboardData bad;
  bad.dib = "short";
  bad.png = "not a png at all, not at all";
  EXPECT_FALSE(ReadClipboardData(bad, f));
  bad.dibV5 = BareDib(124);
  ASSERT_TRUE(ReadClipboardData(bad, f));
  EXPECT_EQ(f.Paragraph(0).Item(0).AsPicture()->Kind, TRVPictureKind::Bmp);
}

TEST(Clipboard, CopyAndPasteThroughTheEditor) {
  TRVDocument source = Sample();
  TRVEditCore src(source);
  src.SelectAll();
  const TRVClipboardData c = MakeClipboardData(src.CopySelection());

  TRVDocument target;
  TRVEditCore dst(target);
  dst.TypeText("x");
  TRVDocument fragment;
  ASSERT_TRUE(ReadClipboardData(c, fragment));
  ASSERT_TRUE(dst.Paste(fragment));
  ASSERT_EQ(target.Paragraphs.size(), 2u);
  EXPECT_EQ(target.Paragraphs[0].Item(0).AsText()->Text, "x");
  ASSERT_TRUE(dst.Undo());
  EXPECT_EQ(target.Paragraphs.size(), 1u);
}

}  // namespace
}  // namespace nv
