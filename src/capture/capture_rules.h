// The decisions of window capture, as plain functions of plain window facts,
// so they are tested without any window system: which top-level windows the
// running applications list shows, how a title matches a sought text, how a
// tab caption comes from a program path, how a program is started, and
// which captures the once-a-second scan cleans up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

// What the running applications list needs to know of a top-level window.
struct TopLevelWindowFacts {
  bool visible = false;
  bool iconic = false;
  std::uintptr_t owner = 0;  // GWL_HWNDPARENT
  std::uintptr_t desktop = 0;
  std::uint32_t exStyle = 0;
  // Cloaked by the window manager: a suspended store app, a window on
  // another virtual desktop. It exists and reports itself visible, yet the
  // user cannot see it.
  bool cloaked = false;
  bool ownProcess = false;  // one of Nookvale's own windows
  std::string className;
};

// Visible or minimised, unowned (or owned by the desktop), not a tool
// window, and one the user actually sees on the desktop of another program:
// not cloaked, not the shell's desktop window, not one of ours.
bool QualifiesForApplicationList(const TopLevelWindowFacts& w);

// The title compare of the window search, on the ANSI bytes the system
// gives: the sought text is bounded to the 256-character buffer (up to its
// first NUL), the title to the 254 characters GetWindowTextA reads with a
// 255-character size; both lower-cased (ASCII only); an empty sought text
// matches nothing.
inline constexpr size_t kSoughtTextLimit = 256;
inline constexpr size_t kTitleReadLimit = 254;
std::string BoundSoughtText(std::string_view text);
bool TitleMatches(std::string_view title, std::string_view sought);

// The part of a path after its last "\" or ":".
std::string FileNamePart(std::string_view path);
// Process-list caption: the file name without its last four characters,
// upper-cased (ASCII), followed by one blank.
std::string CaptionFromProgramPath(std::string_view path);
// The extension the launch looks at: from the last "." after the last "\"
// or ":", the dot included; empty when there is none.
std::string LaunchExtension(std::string_view path);
// Only a path ending in ".exe" exactly (lower case) is started with WinExec;
// everything else goes to the shell's "open".
bool LaunchWithWinExec(std::string_view path);

// One line of the captured window list: the handle as unsigned decimal.
std::string CapturedWindowLine(std::uintptr_t handle);

// The once-a-second scan. Each capture knows its own host tab, so a
// captured window that disappears frees its own tab, whichever tab is on
// screen; several may go in one tick. The fixed tabs are never freed.
struct CaptureEntry {
  std::uintptr_t window = 0;  // 0 when the capture found no window
  std::uintptr_t tab = 0;     // the host tab's identity, 0 when none
};
struct ScanResult {
  std::vector<size_t> deadEntries;  // indexes into the list, ascending
  std::vector<std::uintptr_t> tabsToFree;  // in list order, fixed tabs left out
  bool showMainPage = false;        // a freed tab was the one on screen
};
ScanResult ScanCaptures(const std::vector<CaptureEntry>& entries, const std::function<bool(std::uintptr_t)>& isWindow,
                        std::uintptr_t activeTab, const std::vector<std::uintptr_t>& fixedTabs);

}  // namespace nv
