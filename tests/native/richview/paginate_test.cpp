// Cutting a layout into printed pages.
#include <gtest/gtest.h>

#include "edit_support.h"
#include "richview/paginate.h"

namespace nv {
namespace {

TEST(Paginate, PagesBreakBetweenLinesAndNeverThroughOne) {
  TRVDocument doc;
  for (int i = 0; i < 10; ++i) testing::AddPara(doc, 0, {{"line", 0}});
  doc.Paragraphs[4].AddItem(TRVItem(testing::TestPicture(20, 500)));  // taller than a page
  TMonoFontMetrics metrics;
  TRVLayout layout(metrics);
  layout.SetMargins(0, 7, 0, 7);
  layout.SetWidth(400);
  layout.Format(doc);
  // Every line, in document coordinates.
  std::vector<std::pair<int, int>> lines;
  for (int p = 0; p < layout.ParagraphCount(); ++p)
    for (const TRVLayoutLine& l : layout.Para(p).Lines)
      lines.emplace_back(layout.ParaTop(p) + l.Top, layout.ParaTop(p) + l.Top + l.Height);
  const int lineHeight = lines[0].second - lines[0].first;
  const int pageHeight = 3 * lineHeight + lineHeight / 2;
  const std::vector<TRVPageBand> pages = Paginate(layout, pageHeight);
  // Three lines, the tall line alone and cut, then three, two.
  ASSERT_EQ(pages.size(), 5u);
  EXPECT_EQ(pages[0], (TRVPageBand{lines[0].first, lines[2].second}));
  EXPECT_EQ(pages[1], (TRVPageBand{lines[3].first, lines[3].second}));
  EXPECT_EQ(pages[2], (TRVPageBand{lines[4].first, lines[4].first + pageHeight}));
  EXPECT_EQ(pages[3], (TRVPageBand{lines[5].first, lines[7].second}));
  EXPECT_EQ(pages[4], (TRVPageBand{lines[8].first, lines[9].second}));
  EXPECT_EQ(pages[0].Top, 7) << "the layout's top margin is left out";
  for (const TRVPageBand& page : pages) {
    EXPECT_LE(page.Bottom - page.Top, pageHeight);
    for (const auto& [top, bottom] : lines) {  // no line straddles a page's bottom
      if (bottom - top > pageHeight) continue;
      EXPECT_FALSE(top < page.Bottom && bottom > page.Bottom);
    }
  }
  TRVDocument empty;
  layout.Format(empty);
  EXPECT_EQ(Paginate(layout, 100), (std::vector<TRVPageBand>{{0, 0}}));
  EXPECT_EQ(PrintMarginPixels(254), 200);
  EXPECT_EQ(PrintMarginPixels(600), 472);
}

}  // namespace
}  // namespace nv
