// Loads the pictures of ui/icon_ids.h from the program's resources at the
// size a control needs on this display.
#pragma once

#include <windows.h>

#include "ui/icon_ids.h"
#include "ui/win32/unique_handle.h"

namespace nv::ui {

// Pixels per logical inch of the window's monitor (or of the screen when the
// system cannot tell per window, or `window` is null); 96 at 100 %.
int DpiFor(HWND window = nullptr);

// `px` pixels at 96 DPI in pixels of the system DPI (read once: a program
// that declares itself DPI aware keeps the system DPI of its start-up).
// Fixed layout sizes, fonts and gaps go through this one helper.
int Scaled(int px);

// Edge in pixels of a picture that is `size` pixels at 96 DPI, at `dpi`.
int ScaledIconSize(int size, int dpi);

// The picture `id` as an owned icon `size` pixels wide at 96 DPI (16, 24 or
// 32 for toolbars and menus), scaled for `dpi` (0: the current DPI of
// `window`'s monitor). The image of the resource nearest that size is
// taken, so a 16 px item at 144 DPI shows the 24 px picture, not a
// stretched 16 px one. Null only when the resource is missing.
UniqueHIcon LoadToolbarIcon(IconId id, int size, int dpi = 0, HWND window = nullptr);

}  // namespace nv::ui
