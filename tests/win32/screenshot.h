// Screenshots of our own windows for the layout and gallery runs: the
// window's area of the screen, written as a 24-bit BMP (the scripts that
// collect them turn them into PNGs).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace nv {

// Copies what the screen shows of `window` (its whole frame) into `path`.
// False, with nothing written, when the window has no area or a step fails.
bool SaveWindowShot(HWND window, const std::string& path);

// Wine does not show another process's window inside ours (a captured
// program's area stays blank on its screen), so such a window can be drawn
// into the shot from a BMP that the program made of itself, at the place
// of its client area.
struct ShotOverlay {
  HWND window;
  std::string bmp;
};
bool SaveWindowShot(HWND window, const std::string& path, const std::vector<ShotOverlay>& overlays);

// The window's client area as it paints itself through WM_PRINTCLIENT:
// 32-bit pixels (0x00RRGGBB), top row first.
std::vector<std::uint32_t> RenderClient(HWND window);

// What the screen shows of the window (its whole frame, repainted first),
// in the same form as RenderClient; `width` gets its width. Empty when it
// cannot be read.
std::vector<std::uint32_t> ScreenPixels(HWND window, int& width);

// The value of an environment variable, empty when it is not set.
std::string EnvValue(const char* name);

}  // namespace nv
