// Screenshots of our own windows for the layout and gallery runs: the
// window's area of the screen, written as a 24-bit BMP (the scripts that
// collect them turn them into PNGs).
#pragma once

#include <windows.h>

#include <string>

namespace nv {

// Copies what the screen shows of `window` (its whole frame) into `path`.
// False, with nothing written, when the window has no area or a step fails.
bool SaveWindowShot(HWND window, const std::string& path);

// The value of an environment variable, empty when it is not set.
std::string EnvValue(const char* name);

}  // namespace nv
