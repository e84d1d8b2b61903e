#include "richview/paginate.h"

#include <algorithm>

namespace nv {

std::vector<TRVPageBand> Paginate(const TRVLayout& layout, int pageHeight) {
  pageHeight = std::max(1, pageHeight);
  std::vector<TRVPageBand> pages;
  TRVPageBand page{-1, -1};
  for (int p = 0; p < layout.ParagraphCount(); ++p) {
    const int paraTop = layout.ParaTop(p);
    for (const TRVLayoutLine& line : layout.Para(p).Lines) {
      const int top = paraTop + line.Top, bottom = top + line.Height;
      if (page.Top < 0) {
        page = {top, bottom};
      } else if (bottom - page.Top > pageHeight) {
        pages.push_back(page);
        page = {top, bottom};
      } else {
        page.Bottom = bottom;
      }
      // A line taller than the page is cut at the page's edge.
      page.Bottom = std::min(page.Bottom, page.Top + pageHeight);
    }
  }
  if (page.Top >= 0) pages.push_back(page);
  if (pages.empty()) pages.push_back({0, 0});
  return pages;
}

int PrintMarginPixels(int dpi) { return (dpi * 200 + 127) / 254; }

}  // namespace nv
