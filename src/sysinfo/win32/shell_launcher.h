// Everything the About window and the system-menu commands start outside
// the program (a web page, a mail, winver, the magnifier) goes through one
// launcher, so tests record the requests instead of opening anything.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace nv {

struct ShellRequest {
  enum Kind { ShellExecute, WinExec } kind = ShellExecute;
  HWND owner = nullptr;    // ShellExecute only
  std::string verb;        // "open"
  std::string file;        // address, program, or the WinExec command line
  std::string parameters;  // empty: none
  std::string directory;   // empty: none
  int show = SW_SHOWNORMAL;
};

using ShellLauncher = std::function<void(const ShellRequest&)>;

// The real launcher: ShellExecuteA / WinExec with the request's values.
// Failures are not reported (a missing browser leaves no message).
void SystemShellLaunch(const ShellRequest& r);

}  // namespace nv
