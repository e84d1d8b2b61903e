#include "ui/win32/icons.h"

#include "ui/win32/system_function.h"
#include "ui/win32/unique_handle.h"

namespace nv::ui {
namespace {

// GetDpiForWindow exists from Windows 10 1607 on; bound at run time so the
// program still starts on Windows 7.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

GetDpiForWindowFn DpiForWindowCall() {
  static const GetDpiForWindowFn fn = SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  return fn;
}

// The system DPI does not change while a process runs (a new one takes
// effect at the next sign-in), so the screen is asked once: each ask is a
// round trip to the window system, and every toolbar picture needs it.
int SystemDpi() {
  static const int dpi = [] {
    WindowDcScope screen(nullptr);
    const int d = screen.dc() ? ::GetDeviceCaps(screen.dc(), LOGPIXELSY) : 0;
    return d > 0 ? d : USER_DEFAULT_SCREEN_DPI;
  }();
  return dpi;
}

}  // namespace

int DpiFor(HWND window) {
  if (window) {
    if (GetDpiForWindowFn fn = DpiForWindowCall()) {
      const UINT dpi = fn(window);
      if (dpi != 0) return static_cast<int>(dpi);
    }
  }
  return SystemDpi();
}

int Scaled(int px) { return ::MulDiv(px, SystemDpi(), USER_DEFAULT_SCREEN_DPI); }

int ScaledIconSize(int size, int dpi) {
  if (dpi <= 0) dpi = USER_DEFAULT_SCREEN_DPI;
  return ::MulDiv(size, dpi, USER_DEFAULT_SCREEN_DPI);
}

UniqueHIcon LoadToolbarIcon(IconId id, int size, int dpi, HWND window) {
  const int px = ScaledIconSize(size, dpi > 0 ? dpi : DpiFor(window));
  // LoadImage picks the image of the icon group that best fits px and
  // scales it only when none matches exactly.
  HANDLE h = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(static_cast<int>(id)),
                          IMAGE_ICON, px, px, LR_DEFAULTCOLOR);
  return UniqueHIcon(static_cast<HICON>(h));
}

}  // namespace nv::ui
