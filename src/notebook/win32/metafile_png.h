// The HTML writers' metafile hook: browsers do not show WMF or EMF, so those
// pictures leave the program as PNG files.
#pragma once

#include <optional>
#include <string>

#include "notebook/richview/document.h"

namespace nv {

// The picture drawn by GDI at its shown size over white, as PNG bytes;
// nothing for other kinds or when it cannot be drawn. Set it as
// HtmlExportOptions::metafileToPng.
std::optional<std::string> MetafileToPng(const TRVPictureItemInfo& picture);

}  // namespace nv
