// The program's entries in the main window's system menu (the caption
// invites a right click) and what each does: the magnifier, the companion
// product, a feedback mail, the About window, winver, the uptime and
// Windows Update.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "sysinfo/win32/about.h"
#include "sysinfo/win32/shell_launcher.h"

namespace nv {

class TSystemMenuCommands {
 public:
  // The command ids, as WM_SYSCOMMAND brings them.
  static constexpr UINT kMagnifier = 1025;
  static constexpr UINT kAbout = 1026;
  static constexpr UINT kFarglass = 1028;
  static constexpr UINT kFeedback = 1029;
  static constexpr UINT kWindowsVersion = 1030;
  static constexpr UINT kUptime = 1031;
  static constexpr UINT kWindowsUpdate = 1032;

  struct Entry {
    UINT id;           // 0 for a separator
    const char* text;  // empty for a separator
  };
  static const Entry kEntries[10];

  // mainWindow: owner of the question, the launches and the About window.
  explicit TSystemMenuCommands(HWND mainWindow, ShellLauncher launcher = SystemShellLaunch);
  ~TSystemMenuCommands();

  // Takes move, size, minimise, maximise and restore out of the window's
  // system menu and appends the program's entries after what remains.
  void AppendEntries(HWND window) const;
  // Runs the command if it is one of ours (the id compared as it comes,
  // unmasked) and answers whether it was.
  bool Handle(WPARAM id);

  // The About window: made hidden, with its report, on first use. The
  // program asks for it at start-up so the report shows that moment.
  TAbout& About();

  // The milliseconds since the system started (GetTickCount).
  std::function<std::uint32_t()> TickCount;

 private:
  HWND mainWindow_;
  ShellLauncher launcher_;
  std::unique_ptr<TAbout> about_;
};

}  // namespace nv
