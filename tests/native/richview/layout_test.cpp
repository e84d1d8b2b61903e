#include "richview/layout.h"

#include <gtest/gtest.h>

#include "edit_support.h"
#include "richview/edit.h"

namespace nv {
namespace {

using testing::AddPara;
using testing::TestPicture;

// Style 0 is 10 pt: 10 px a character, ascent 12, descent 4, lines of 16.
constexpr int kChar = 10;
constexpr int kLine = 16;

struct Fixture {
  TMonoFontMetrics metrics;
  TRVDocument doc;
  TRVLayout layout{metrics};
  explicit Fixture(int width = 100) {
    layout.SetMargins(0, 0, 0, 0);
    layout.SetWidth(width);
  }
  int Para(TParaInfo p) { return doc.Style.FindOrAddParaStyle(p, -1); }
  const TRVParaLayout& Format(int p = 0) {
    layout.Format(doc);
    return layout.Para(p);
  }
};

std::vector<std::pair<int, int>> Lines(const TRVParaLayout& L) {
  std::vector<std::pair<int, int>> out;
  for (const TRVLayoutLine& line : L.Lines) out.emplace_back(line.Start, line.End);
  return out;
}

using Spans = std::vector<std::pair<int, int>>;

TEST(Layout, BreaksLinesAfterBlanksAndInsideLongWords) {
  Fixture f;
  AddPara(f.doc, 0, {{"aaaa bbbb cccc", 0}});
  AddPara(f.doc, 0, {{"abcdefghijklmnopqrstuvwxyz", 0}});
  AddPara(f.doc, 0, {{"aaaaaaaaaa     b", 0}});  // blanks hang past the edge
  AddPara(f.doc, 0, {{"aa", 0}, {"bb cc", 3}, {"dddd eeee", 0}});  // words across items
  const TRVParaLayout& a = f.Format(0);
  EXPECT_EQ(Lines(a), (Spans{{0, 10}, {10, 14}}));
  EXPECT_TRUE(a.Lines[0].Wrapped);
  EXPECT_FALSE(a.Lines[1].Wrapped);
  EXPECT_EQ(a.Lines[1].Top, kLine);
  EXPECT_EQ(a.Height, 2 * kLine);
  EXPECT_EQ(Lines(f.layout.Para(1)), (Spans{{0, 10}, {10, 20}, {20, 26}}));
  EXPECT_EQ(Lines(f.layout.Para(2)), (Spans{{0, 15}, {15, 16}}));
  const TRVParaLayout& d = f.layout.Para(3);
  // "ccdddd" is one word although it spans two items.
  EXPECT_EQ(Lines(d), (Spans{{0, 5}, {5, 12}, {12, 16}}));
  ASSERT_EQ(d.Lines[0].RunCount, 2);  // a run per item: "aa" "bb "
  EXPECT_EQ(d.Runs[1].X, 2 * kChar);
  EXPECT_EQ(d.Runs[1].Width, 3 * kChar);
  EXPECT_EQ(d.Runs[2].Start, 5);
  EXPECT_EQ(d.Runs[2].X, 0);
  EXPECT_EQ(f.layout.ParaTop(3), 7 * kLine);
  EXPECT_EQ(f.layout.DocumentHeight(), 10 * kLine);
}

TEST(Layout, AlignsLinesAndJustifiesAllButTheLast) {
  Fixture f;
  TParaInfo right, center, justify;
  right.Alignment = TParaAlignment::Right;
  center.Alignment = TParaAlignment::Center;
  justify.Alignment = TParaAlignment::Justify;
  AddPara(f.doc, f.Para(right), {{"ab cd ", 0}});  // the trailing blank hangs
  AddPara(f.doc, f.Para(center), {{"ab cd", 0}});
  AddPara(f.doc, f.Para(justify), {{"aa b cc dddd ee", 0}});
  f.Format();
  EXPECT_EQ(f.layout.Para(0).Runs[0].X, 50);
  EXPECT_EQ(f.layout.Para(1).Runs[0].X, 25);
  const TRVParaLayout& j = f.layout.Para(2);
  ASSERT_EQ(Lines(j), (Spans{{0, 8}, {8, 15}}));
  // "aa b cc" is 70 px: 30 px more, shared by its two inner blanks.
  EXPECT_EQ(j.Lines[0].Blanks, 2);
  EXPECT_EQ(j.Lines[0].Extra, 30);
  EXPECT_EQ(f.layout.CaretRect(f.doc, {2, 0, 3}).Left, 3 * kChar + 15);  // before "b"
  EXPECT_EQ(f.layout.CaretRect(f.doc, {2, 0, 5}).Left, 5 * kChar + 30);  // before "cc"
  EXPECT_EQ(j.Lines[1].Extra, 0);  // the last line is not stretched
}

TEST(Layout, IndentsSpacingAndBorders) {
  Fixture f;
  TParaInfo p;
  p.LeftIndent = 20;
  p.FirstIndent = 10;
  p.RightIndent = 10;
  p.SpaceBefore = 3;
  p.SpaceAfter = 5;
  AddPara(f.doc, f.Para(p), {{"abcdefghijklm", 0}});
  TParaInfo boxed;
  boxed.Border.Style = TParaBorderStyle::Single;
  boxed.Border.Width = 2;
  boxed.Border.Padding = 3;
  AddPara(f.doc, f.Para(boxed), {{"x", 0}});
  const TRVParaLayout& L = f.Format();
  EXPECT_EQ(Lines(L), (Spans{{0, 6}, {6, 13}}));  // 60 px, then 70 px
  EXPECT_EQ(L.Runs[0].X, 30);
  EXPECT_EQ(L.Runs[1].X, 20);
  EXPECT_EQ(L.Lines[0].Top, 3);
  EXPECT_EQ(L.Height, 3 + 2 * kLine + 5);
  EXPECT_EQ(f.layout.ParaTop(1), L.Height);
  EXPECT_EQ(f.layout.Para(1).Runs[0].X, 5);
  EXPECT_EQ(f.layout.Para(1).Height, 5 + kLine + 5);
}

TEST(Layout, PicturesSitOnTheBaselineOrAsAligned) {
  Fixture f(200);
  auto line = [&](TRVVAlign align) {
    f.doc.Clear();
    TRVPictureItemInfo pic = TestPicture(30, 40);
    pic.VAlign = align;
    TRVParagraph& para = AddPara(f.doc, 0, {{"ab", 0}});
    para.AddItem(pic);
    para.AddItem(TRVItem::MakeText("cd", 0));
    const TRVParaLayout& L = f.Format();
    EXPECT_EQ(L.Runs[1].X, 2 * kChar);
    EXPECT_EQ(L.Runs[2].X, 2 * kChar + 30);
    return std::make_pair(L.Lines[0].Baseline, L.Lines[0].Height);
  };
  EXPECT_EQ(line(TRVVAlign::Baseline), std::make_pair(40, 44));
  EXPECT_EQ(line(TRVVAlign::Top), std::make_pair(12, 40));
  EXPECT_EQ(line(TRVVAlign::Bottom), std::make_pair(36, 40));
  EXPECT_EQ(line(TRVVAlign::Middle), std::make_pair(24, 40));

  // A picture that does not fit goes to the next line.
  f.doc.Clear();
  TRVParagraph& para = AddPara(f.doc, 0, {{"abcdefghijklmnop", 0}});
  para.AddItem(TestPicture(50, 10));
  EXPECT_EQ(Lines(f.Format()), (Spans{{0, 16}, {16, 17}}));
}

TEST(Layout, PrintingShrinksPicturesWiderThanTheTextToFitKeepingTheirShape) {
  Fixture f(200);
  TParaInfo indented;
  indented.LeftIndent = 20;
  indented.RightIndent = 30;
  AddPara(f.doc, 0, {{"a", 0}}).AddItem(TestPicture(400, 100));
  AddPara(f.doc, f.Para(indented), {{"b", 0}}).AddItem(TestPicture(300, 90));
  AddPara(f.doc, 0, {{"c", 0}}).AddItem(TestPicture(120, 60));
  const TRVDocument before = f.doc;
  // The screen shows pictures at their size.
  EXPECT_EQ(f.Format().Runs[1].Width, 400);
  f.layout.SetFitPictures(true);
  f.Format();
  auto picture = [&](int p) {
    const TRVLayoutRun& run = f.layout.Para(p).Runs.back();
    return std::make_pair(run.Width, run.Ascent + run.Descent);
  };
  EXPECT_EQ(picture(0), std::make_pair(200, 50));  // the whole width, on a line of its own
  EXPECT_EQ(f.layout.Para(0).Lines.size(), 2u);
  EXPECT_EQ(f.layout.Para(0).Lines[1].Height, 50);
  EXPECT_EQ(picture(1), std::make_pair(150, 45));  // the width inside the indents
  EXPECT_EQ(picture(2), std::make_pair(120, 60));  // one that fits is left alone
  // At a printer's DPI the scaled size is what is measured against the width.
  f.layout.SetDpi(192);
  f.layout.SetWidth(400);
  f.Format();
  EXPECT_EQ(picture(2), std::make_pair(240, 120));
  EXPECT_EQ(picture(0), std::make_pair(400, 100));
  EXPECT_EQ(f.doc, before);
}

TEST(Layout, HorizontalLinesStandAloneAcrossTheWidth) {
  Fixture f;
  TRVParagraph& para = AddPara(f.doc, 0, {{"ab", 0}});
  para.AddItem(TRVBreakItemInfo{3, TRVBreakStyle::Line, clNone});
  para.AddItem(TRVItem::MakeText("cd", 0));
  const TRVParaLayout& L = f.Format();
  ASSERT_EQ(Lines(L), (Spans{{0, 2}, {2, 3}, {3, 5}}));
  const TRVLayoutRun& hr = L.Runs[1];
  EXPECT_EQ(hr.Kind, TRVRunKind::Break);
  EXPECT_EQ(hr.X, 0);
  EXPECT_EQ(hr.Width, 100);
  EXPECT_EQ(L.Lines[1].Height, 2 * TRVLayout::kBreakMargin + 3);
}

TEST(Layout, TabsAndLineBreaks) {
  Fixture f(200);
  AddPara(f.doc, 0, {{"a\tb", 0}});
  TParaInfo tabs;
  tabs.Tabs = {{60, TTabAlign::Center, ""}, {150, TTabAlign::Right, ""}};
  AddPara(f.doc, f.Para(tabs), {{"a\tbcde\tfg", 0}});
  AddPara(f.doc, 0, {{"ab\ncd\n", 0}});
  f.Format();
  const TRVParaLayout& a = f.layout.Para(0);
  EXPECT_EQ(a.Runs[1].Kind, TRVRunKind::Tab);
  EXPECT_EQ(a.Runs[1].Width, TRVLayout::kDefaultTabWidth - kChar);
  EXPECT_EQ(a.Runs[2].X, TRVLayout::kDefaultTabWidth);
  const TRVParaLayout& b = f.layout.Para(1);
  EXPECT_EQ(b.Runs[2].X, 60 - 20);   // "bcde" centred on 60
  EXPECT_EQ(b.Runs[4].X, 150 - 20);  // "fg" ends at 150
  // '\n' ends a line; after a final one comes an empty line for the caret.
  const TRVParaLayout& c = f.layout.Para(2);
  EXPECT_EQ(Lines(c), (Spans{{0, 3}, {3, 6}, {6, 6}}));
  EXPECT_EQ(c.Height, 3 * kLine);
  EXPECT_EQ(f.layout.CaretRect(f.doc, {2, 0, 6}), (TRVRect{0, f.layout.ParaTop(2) + 2 * kLine, 1, f.layout.ParaTop(2) + 3 * kLine}));
  EXPECT_EQ(f.layout.CaretRect(f.doc, {2, 0, 2}).Left, 2 * kChar);
}

// A document with a bit of everything, wrapped at 100 px.
void Sample(Fixture& f) {
  TParaInfo justify;
  justify.Alignment = TParaAlignment::Justify;
  justify.LeftIndent = 7;
  AddPara(f.doc, f.Para(justify), {{"one two three four five six", 0}, {"big", 1}});
  TRVParagraph& p = AddPara(f.doc, 1, {{"x\ty", 3}});
  p.AddItem(TestPicture(25, 30));
  p.AddItem(TRVItem::MakeText("\xC3\xA9l\xC3\xA8ve\nz", 0));
  p.AddItem(TRVBreakItemInfo{});
  AddPara(f.doc, 0, {{"", 2}});
  AddPara(f.doc, 0, {{"unbreakableword ok", 0}});
  f.doc.Style.TextStyles[1].Size = 14;
}

TEST(Layout, HitTestAndCaretRectangleRoundTrip) {
  Fixture f;
  Sample(f);
  ASSERT_EQ(ValidateDocument(f.doc), "");
  f.Format();
  for (int p = 0; p < f.doc.ParagraphCount(); ++p) {
    const int len = ParagraphLength(f.doc.Paragraph(p));
    for (int o = 0; o <= len; ++o) {
      const TRVPosition pos = ToPosition(f.doc, {p, o});
      const TRVRect r = f.layout.CaretRect(f.doc, pos);
      EXPECT_GT(r.Bottom, r.Top);
      const TRVPosition hit = f.layout.HitTest(f.doc, r.Left, r.Top + 1);
      EXPECT_EQ(ToParaOffset(f.doc, hit), (TRVParaOffset{p, o})) << p << "," << o << " at " << r.Left << "," << r.Top;
    }
  }
  // Between characters the nearer boundary wins; outside the text, the
  // nearest line's end.
  EXPECT_EQ(f.layout.HitTest(f.doc, 14, 1), (TRVPosition{0, 0, 1}));
  EXPECT_EQ(f.layout.HitTest(f.doc, 16, 1), (TRVPosition{0, 0, 1}));
  EXPECT_EQ(f.layout.HitTest(f.doc, -50, -50), (TRVPosition{0, 0, 0}));
  EXPECT_EQ(f.layout.HitTest(f.doc, 500, 100000), f.doc.EndPosition());
}

// At 192 DPI the sheet's lengths and the pictures are twice as many
// pixels; the metrics alone size the text.
TEST(Layout, LengthsAndPicturesScaleWithTheDpi) {
  Fixture f(400);
  TParaInfo indented;
  indented.LeftIndent = 10;
  indented.FirstIndent = 5;
  indented.SpaceBefore = 3;
  indented.SpaceAfter = 2;
  indented.Tabs = {{60, TTabAlign::Left, ""}};
  TRVParagraph& para = AddPara(f.doc, f.Para(indented), {{"a\tb", 0}});
  para.AddItem(TestPicture(20, 30));
  TRVParagraph& ruled = AddPara(f.doc, 0, {{"c", 0}});
  ruled.AddItem(TRVBreakItemInfo{3, TRVBreakStyle::Line, clNone});
  AddPara(f.doc, 0, {{"d\te", 0}});
  f.layout.SetDpi(192);
  f.Format();
  const TRVParaLayout& a = f.layout.Para(0);
  EXPECT_EQ(a.Runs[0].X, 2 * 15);               // left plus first indent
  EXPECT_EQ(a.Runs[2].X, 2 * 60);               // the tab stop, from the paragraph's edge
  EXPECT_EQ(a.Runs[3].Width, 40);               // the picture
  EXPECT_EQ(a.Lines[0].Top, 6);
  EXPECT_EQ(a.Height, 6 + 60 + 4 + 4);          // the picture above the baseline, the text's descent below
  EXPECT_EQ(f.layout.Para(1).Lines[1].Height, 2 * (2 * TRVLayout::kBreakMargin + 3));
  EXPECT_EQ(f.layout.Para(2).Runs[2].X, 2 * TRVLayout::kDefaultTabWidth);
  EXPECT_EQ(f.layout.Para(2).Runs[0].Width, kChar);  // text as the metrics measure it
  // Rounded as MulDiv rounds, either sign.
  f.layout.SetDpi(120);
  EXPECT_EQ(f.layout.Px(5), 6);
  EXPECT_EQ(f.layout.Px(-5), -6);
  EXPECT_EQ(f.layout.Px(2), 3);
}

TEST(Layout, EditingLaysOutOnlyTheParagraphsItChanged) {
  Fixture f;
  for (int p = 0; p < 50; ++p) AddPara(f.doc, p % 2, {{"paragraph " + std::to_string(p), p % 4}});
  TRVEditCore ed(f.doc);
  ed.SetLayout(&f.layout);
  EXPECT_EQ(f.layout.ParagraphsLaidOut(), 50);
  const int bottom = f.layout.ParaTop(49);

  f.layout.ResetCounters();
  ed.SetCaret({20, 0, 3});
  ed.TypeText("x");
  EXPECT_EQ(f.layout.ParagraphsLaidOut(), 1);
  EXPECT_EQ(f.layout.ParaTop(49), bottom);
  ed.InsertText("\r\n\r\n");  // one line more
  EXPECT_EQ(f.layout.ParagraphsLaidOut(), 4);
  EXPECT_EQ(f.layout.ParaTop(51), bottom + kLine);
  ed.Undo();
  ed.Undo();
  EXPECT_EQ(f.layout.ParaTop(49), bottom);
  ed.SetSelection({10, 0, 2}, {12, 0, 4});
  f.layout.ResetCounters();
  ed.DeleteSelection();
  EXPECT_EQ(f.layout.ParagraphsLaidOut(), 1);

  // Whatever the edits, the layout is what a fresh one would give.
  ed.SetCaret({5, 0, 1});
  ed.InsertPicture(TestPicture(200, 20));
  ed.SetSelection({3, 0, 0}, {30, 0, 2});
  ed.ApplyStyleConversion([](int) { return 3; });
  ed.Undo();
  ed.SetCaret({40, 0, 0});
  ed.InsertText("long text that wraps\r\nacross a few lines\r\n");
  ed.Undo();
  ed.Redo();
  TRVLayout fresh(f.metrics);
  fresh.SetMargins(0, 0, 0, 0);
  fresh.SetWidth(100);
  fresh.Format(f.doc);
  ASSERT_EQ(f.layout.ParagraphCount(), fresh.ParagraphCount());
  for (int p = 0; p < fresh.ParagraphCount(); ++p) {
    EXPECT_EQ(f.layout.Para(p), fresh.Para(p)) << p;
    EXPECT_EQ(f.layout.ParaTop(p), fresh.ParaTop(p)) << p;
  }
  EXPECT_EQ(f.layout.DocumentHeight(), fresh.DocumentHeight());

  // A new width lays out everything.
  f.layout.ResetCounters();
  f.layout.SetWidth(300);
  ed.Format();
  EXPECT_EQ(f.layout.ParagraphsLaidOut(), f.doc.ParagraphCount());
}

TEST(Layout, FormattingTheAppendedTailLaysOutOnlyTheTail) {
  Fixture f;
  TRVParagraph& last = AddPara(f.doc, 0, {});
  for (int i = 0; i < 200; ++i) last.AddItem(TRVItem::MakeText(i % 2 ? "word " : "other ", i % 3));
  TRVEditCore ed(f.doc);
  ed.SetLayout(&f.layout);
  const int lines = static_cast<int>(f.layout.Para(0).Lines.size());
  ASSERT_GT(lines, 50);

  f.layout.ResetCounters();
  ASSERT_TRUE(ed.AppendPicture(TestPicture(30, 30), -1));
  ed.FormatTail();
  EXPECT_EQ(f.layout.ParagraphsLaidOut(), 1);
  EXPECT_LE(f.layout.ItemsLaidOut(), 4);  // the old last line's items and the picture

  ASSERT_TRUE(ed.AppendPicture(TestPicture(30, 30), 1));
  ASSERT_TRUE(ed.AppendPicture(TestPicture(30, 30), -1));
  f.layout.ResetCounters();
  ed.FormatTail();
  EXPECT_EQ(f.layout.ItemsLaidOut(), 2);

  TRVLayout fresh(f.metrics);
  fresh.SetMargins(0, 0, 0, 0);
  fresh.SetWidth(100);
  fresh.Format(f.doc);
  ASSERT_EQ(f.layout.ParagraphCount(), 2);
  EXPECT_EQ(f.layout.Para(0), fresh.Para(0));
  EXPECT_EQ(f.layout.Para(1), fresh.Para(1));
  EXPECT_EQ(f.layout.DocumentHeight(), fresh.DocumentHeight());
}

TEST(Layout, AbsurdSizesStayDefined) {
  Fixture f(1);  // narrower than any character
  TFontInfo huge;
  huge.Size = kMaxFontSize;
  const int style = f.doc.Style.FindOrAddTextStyle(huge, -1);
  AddPara(f.doc, 0, {{std::string(2000, ' ') + "ab", style}});
  TParaInfo wide;
  wide.LeftIndent = kMaxParaMetric;
  wide.Alignment = TParaAlignment::Justify;
  AddPara(f.doc, f.Para(wide), {{"a b c", style}});
  f.Format();
  EXPECT_EQ(Lines(f.layout.Para(0)), (Spans{{0, 2000}, {2000, 2001}, {2001, 2002}}));
  EXPECT_EQ(Lines(f.layout.Para(1)), (Spans{{0, 2}, {2, 4}, {4, 5}}));
  EXPECT_GT(f.layout.DocumentHeight(), 0);
  (void)f.layout.HitTest(f.doc, 1 << 30, 1 << 30);
}

TEST(Layout, StyleNumbersOutsideTheSheetAreLaidOutAsStyleZero) {
  // Items and paragraphs left with numbers of a sheet that was replaced
  // must neither be read outside the sheet nor stop the layout.
  Fixture f;
  TFontInfo big = f.doc.Style.TextStyle(0);
  big.Size = 20;
  big.VShift = 50;
  f.doc.Style.TextStyles[1] = big;
  AddPara(f.doc, 0, {{"ab", 1}, {"cd", 6}, {"ef", -3}});
  f.doc.AddParagraph(9).AddItem(TRVItem::MakeText("gh", 40));
  const TRVParaLayout& a = f.Format(0);
  ASSERT_EQ(a.Lines.size(), 1u);
  ASSERT_EQ(a.Runs.size(), 3u);
  EXPECT_EQ(a.Runs[1].Width, 2 * kChar);
  EXPECT_EQ(a.Runs[2].Width, 2 * kChar);
  EXPECT_EQ(a.Runs[1].Shift, 0);
  const TRVParaLayout& b = f.layout.Para(1);
  EXPECT_EQ(b.Runs.at(0).Width, 2 * kChar);
  EXPECT_EQ(b.Height, kLine);
  EXPECT_EQ(f.layout.CaretRect(f.doc, {0, 1, 1}).Left, 2 * 20 + kChar);
  EXPECT_EQ(f.layout.HitTest(f.doc, 2 * 20 + kChar + 1, 0), (TRVPosition{0, 1, 1}));
}

}  // namespace
}  // namespace nv
