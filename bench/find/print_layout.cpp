// Page layout for printing: a 1 MB document laid out at a printer's 600 DPI
// on A4 with 2 cm margins and cut into pages, against the reference of the
// same document laid out for the screen at 96 DPI in the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "richview/layout.h"
#include "richview/paginate.h"

namespace bench_find {

void PrintLayout(const nv::TRVDocument& doc, std::size_t bytes) {
  using Clock = std::chrono::steady_clock;
  auto seconds = [](Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); };
  nv::TMonoFontMetrics metrics;
  double screen = 1e9, print = 1e9;
  size_t pages = 0;
  for (int round = 0; round < 3; ++round) {
    {
      nv::TRVLayout layout(metrics);
      layout.SetWidth(800);
      const auto t = Clock::now();
      layout.Format(doc);
      layout.DocumentHeight();
      screen = std::min(screen, seconds(t));
    }
    nv::TRVLayout layout(metrics);
    const int dpi = 600, margin = nv::PrintMarginPixels(dpi);
    layout.SetDpi(dpi);
    layout.SetMargins(margin, 0, margin, 0);
    layout.SetWidth(4960);  // A4 at 600 DPI: 4960 x 7016
    const auto t = Clock::now();
    layout.Format(doc);
    pages = nv::Paginate(layout, 7016 - 2 * margin).size();
    print = std::min(print, seconds(t));
  }
  std::printf("print layout of %zu bytes: %zu pages in %.1f ms; screen layout %.1f ms; ratio %.2f\n", bytes, pages,
              print * 1000, screen * 1000, print / screen);
}

}  // namespace bench_find
