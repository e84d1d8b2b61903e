#include "notebook/richview/clipboard.h"

#include <gtest/gtest.h>

#include "notebook/richview/edit.h"
#include "notebook/richview/edit_range.h"

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
