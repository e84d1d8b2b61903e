// Whether picture bytes can be shown, and at what size, before they become a
// picture item. Compressed kinds are decoded in full, so a damaged file is
// refused now rather than drawn as a placeholder later; the kinds Windows
// draws itself (bitmaps, icons, metafiles) are checked through their
// headers.
#pragma once

#include <cstdint>
#include <span>
#include <utility>

#include "notebook/pictures/decode.h"
#include "richview/pictures.h"

namespace nv {

// Width and height in pixels for the picture's natural size, or
// EPictureError when the bytes are not a readable picture of that kind.
// Metafiles measure in inches or hundredths of millimetres and come out at
// 96 pixels an inch; a metafile that gives no size is shown at 96 x 96.
std::pair<int, int> CheckPicture(TRVPictureKind kind, std::span<const std::uint8_t> bytes);

}  // namespace nv
