// Starts our stand-in program (helpers/nvhelper.cpp) and finds its windows.
#pragma once

#include <windows.h>

#include <string>

#include "ui/win32/unique_handle.h"

namespace nv {

std::string HelperPath();  // nvhelper.exe beside the test executable

class HelperProcess {
 public:
  explicit HelperProcess(const std::string& args, const std::string& exe = HelperPath());
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_.get(); }
  bool Running() const;
  bool WaitExit(DWORD ms);
  DWORD ExitCode() const;
  void Kill();
  // A top-level window of this process with exactly this title, waiting up
  // to ms for it to appear.
  HWND WaitForWindow(const std::string& title, DWORD ms = 5000) const;

 private:
  UniqueKernelHandle process_;
  DWORD pid_ = 0;
};

// A top-level window of the process with exactly this title (or null).
HWND FindProcessTopLevel(DWORD pid, const std::string& title);
// Index of the line in a list, -1 when absent.
template <class List>
int IndexOfLine(const List& list, const std::string& line) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.Item(i) == line) return i;
  return -1;
}
// Runs one test of this executable in a child process, with an environment
// variable telling it what to act on, and waits up to 30 s for it to end;
// answers its exit code (STILL_ACTIVE if it did not end).
DWORD RunChildTest(const std::string& test, const char* variable, const std::string& value);
// Waits until the window stops answering messages (its program hangs).
bool WaitUntilHung(HWND w, DWORD limitMs = 10000);
// A title unique to this test run.
std::string UniqueTitle(const std::string& stem);

}  // namespace nv
