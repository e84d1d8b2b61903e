// Painting picture items: the hook the notebook's editor control calls for
// every picture it shows.
#pragma once

#include <windows.h>

#include "richview/pictures.h"

namespace nv {

// Draws the picture scaled to fill rect. JPEG, GIF and PNG go through the
// portable decoders and are blended by their alpha; bitmaps, icons and both
// kinds of metafile are drawn by GDI. False, with nothing drawn, only when
// the bytes are not a picture of that kind that can be read; the control
// then draws its placeholder. Never throws.
bool DrawPicture(HDC dc, TRVPictureKind kind, const SharedBytes& bytes, const RECT& rect);

}  // namespace nv
