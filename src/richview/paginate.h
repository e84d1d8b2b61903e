// Pages for printing, cut from a layout made at the printer's resolution.
//
// Printing lays the document out with the same layout code as the screen,
// only at the printer's DPI and the printable width; pagination then cuts
// that layout into pages between lines, never through one. A line taller
// than a whole page (a large picture) gets a page of its own and is cut by
// the page's bottom edge.
#pragma once

#include <vector>

#include "richview/layout.h"

namespace nv {

// One page: the band [Top, Bottom) of the layout's document coordinates.
struct TRVPageBand {
  int Top = 0;
  int Bottom = 0;
  friend bool operator==(const TRVPageBand&, const TRVPageBand&) = default;
};

// The pages of a formatted layout for pages `pageHeight` pixels high (the
// printable height). The layout's own top and bottom margins are not
// printed: the page margins take their place. A document without lines
// gives one empty page.
std::vector<TRVPageBand> Paginate(const TRVLayout& layout, int pageHeight);

// The print margin: 2 cm at `dpi` dots per inch, in pixels.
int PrintMarginPixels(int dpi);

}  // namespace nv
