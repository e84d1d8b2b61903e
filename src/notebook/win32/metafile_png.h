// Pictures that leave the program as PNG: metafiles in HTML pages (browsers
// do not show WMF or EMF), and GIF and ICO pictures in RTF (which has no
// form for them).
#pragma once

#include <optional>
#include <string>

#include "richview/document.h"

namespace nv {

// The picture drawn by GDI at its shown size over white, as PNG bytes;
// nothing for other kinds or when it cannot be drawn. Set it as
// HtmlExportOptions::metafileToPng.
std::optional<std::string> MetafileToPng(const TRVPictureItemInfo& picture);

// A GIF's first frame (transparency kept) or an icon drawn at its shown size
// over white, as PNG bytes; nothing for other kinds or when the picture
// cannot be read. Given to the RTF writers (file and clipboard).
std::optional<std::string> GifIcoToPng(const TRVPictureItemInfo& picture);

}  // namespace nv
