// HTML export of documents: "with CSS" (a style block with a class per
// used text and paragraph style) and "simplified" (no style sheet: plain
// elements and attributes).
//
// Both write the page as UTF-8 with the title, and each picture as a file
// beside the page named prefix + number + extension ("img1.png"). Formats a
// browser shows are written as they are; metafiles go through
// metafileToPng when the caller gives one, else they too are written as
// they are. An existing file is never overwritten by a picture: a file of
// that name with other content makes the writer take the next number, one
// with the same content is reused. The page itself replaces its file only
// once it is written completely.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "richview/document.h"

namespace nv {

// Bits of HtmlExportOptions::options.
inline constexpr unsigned kHtmlImageSizes = 64;         // width/height attributes on pictures
inline constexpr unsigned kHtmlCheckpointAnchors = 256; // each named checkpoint as <a name="...">

struct HtmlExportOptions {
  std::string title;
  std::string imagePrefix = "img";  // start of picture file names, relative to the page
  std::string extraStyles;          // CSS added to the style block ("with CSS" only)
  std::string externalCSS;          // address of a style sheet to link ("with CSS" only)
  std::string cpPrefix;             // put before every checkpoint anchor name
  unsigned options = 0;
  // Renders a WMF/EMF picture as PNG bytes; nothing when it cannot.
  TRVPictureToPng metafileToPng;
};

// True when the page and every picture file were written.
bool SaveHTMLEx(const TRVDocument& doc, const std::string& path, const HtmlExportOptions& o);
bool SaveHTML(const TRVDocument& doc, const std::string& path, const HtmlExportOptions& o);

// Text made safe as HTML content or attribute value: & < > " ' escaped.
std::string HtmlEscape(std::string_view s);

}  // namespace nv
