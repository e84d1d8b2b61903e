// Finding, naming and closing other programs' top-level windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace nv {

// The first top-level window, from the top of the z-order, whose title
// contains the text (ASCII letters without regard to case); 0 when none.
// Text in and out is UTF-8; the compare is on the system's ANSI bytes.
HWND FindWindowByTitle(const std::string& text);

// A window's title, asked of the window itself (WM_GETTEXT). A window that
// does not answer within a short time (its program hangs) is named by the
// title the system keeps for it, so a hung program never stalls the caller.
std::string GetWindowCaption(HWND window);

// Whether a window's thread answers messages within the time given.
bool WindowResponds(HWND window, UINT timeoutMs);

// Whether the window manager keeps the window out of sight (cloaked): a
// suspended store app, a window on another virtual desktop. Asked of the
// desktop window manager, bound at run time, so the program still starts
// where dwmapi.dll is missing; false wherever the question has no answer.
bool WindowIsCloaked(HWND window);
using CloakReader = std::function<bool(HWND)>;

// Titles of the qualifying top-level windows (the running applications
// list), in z-order, topmost first. Cloaked windows are asked of the reader
// given.
std::vector<std::string> ListApplicationWindows(const CloakReader& isCloaked = WindowIsCloaked);

// Asks the window to close (WM_CLOSE, up to 5 seconds); when it still
// exists after that, ends its whole process with exit code 0.
void CloseWindowProcess(HWND window);

// The time a hung program gets to answer a WM_GETTEXT.
inline constexpr UINT kCaptionTimeoutMs = 250;
// The most of a caption we take from another program.
inline constexpr size_t kMaxCaptionLength = 4096;

}  // namespace nv
