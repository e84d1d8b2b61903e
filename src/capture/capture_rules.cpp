#include "capture/capture_rules.h"

#include <algorithm>

#include "ui/text.h"

namespace nv {

namespace {
constexpr std::uint32_t kToolWindowStyle = 0x80;  // WS_EX_TOOLWINDOW
// The shell's desktop window ("Program Manager"): a visible, unowned
// top-level window that holds the desktop icons, not a program to capture.
constexpr std::string_view kShellDesktopClass = "Progman";
}

bool QualifiesForApplicationList(const TopLevelWindowFacts& w) {
  if (!w.visible && !w.iconic) return false;
  if (w.owner != 0 && w.owner != w.desktop) return false;
  if ((w.exStyle & kToolWindowStyle) != 0) return false;
  // Capturing one of our own windows would put it inside itself.
  if (w.cloaked || w.ownProcess) return false;
  // Window class names compare without regard to case.
  return !AsciiEqualNoCase(w.className, kShellDesktopClass);
}

std::string BoundSoughtText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  return std::string(text.substr(0, kSoughtTextLimit));
}

bool TitleMatches(std::string_view title, std::string_view sought) {
  const std::string s = AsciiLower(BoundSoughtText(sought));
  if (s.empty()) return false;
  title = title.substr(0, title.find('\0'));
  const std::string t = AsciiLower(title.substr(0, kTitleReadLimit));
  return t.find(s) != std::string::npos;
}

std::string FileNamePart(std::string_view path) {
  const size_t p = path.find_last_of("\\:");
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string CaptionFromProgramPath(std::string_view path) {
  std::string name = FileNamePart(path);
  name.resize(name.size() > 4 ? name.size() - 4 : 0);
  return AsciiUpper(name) + " ";
}

std::string LaunchExtension(std::string_view path) {
  const size_t delim = path.find_last_of("\\:");
  const size_t dot = path.find_last_of('.');
  if (dot == std::string_view::npos || (delim != std::string_view::npos && dot < delim)) return {};
  return std::string(path.substr(dot));
}

bool LaunchWithWinExec(std::string_view path) { return LaunchExtension(path) == ".exe"; }

std::string CapturedWindowLine(std::uintptr_t handle) { return UnsignedText(handle); }

ScanResult ScanCaptures(const std::vector<CaptureEntry>& entries, const std::function<bool(std::uintptr_t)>& isWindow,
                        std::uintptr_t activeTab, const std::vector<std::uintptr_t>& fixedTabs) {
  ScanResult r;
  for (size_t i = 0; i < entries.size(); ++i) {
    const CaptureEntry& e = entries[i];
    if (e.window != 0 && isWindow(e.window)) continue;
    r.deadEntries.push_back(i);
    if (e.tab == 0 || std::find(fixedTabs.begin(), fixedTabs.end(), e.tab) != fixedTabs.end()) continue;
    if (std::find(r.tabsToFree.begin(), r.tabsToFree.end(), e.tab) != r.tabsToFree.end()) continue;
    r.tabsToFree.push_back(e.tab);
    if (e.tab == activeTab) r.showMainPage = true;
  }
  return r;
}

}  // namespace nv
