#include "helper_process.h"

#include <atomic>

#include "ui/win32/win_text.h"

namespace nv {

std::string HelperPath() { return ExeDirectory() + "nvhelper.exe"; }

HelperProcess::HelperProcess(const std::string& args, const std::string& exe) {
  std::wstring cmd = L"\"" + Widen(exe) + L"\" " + Widen(args);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    process_.reset(pi.hProcess);
    ::CloseHandle(pi.hThread);
    pid_ = pi.dwProcessId;
    if (args.find("--no-window") == std::string::npos && args.find("--keys") == std::string::npos)
      ::WaitForInputIdle(pi.hProcess, 5000);
  }
}

HelperProcess::~HelperProcess() { Kill(); }

bool HelperProcess::Running() const {
  return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool HelperProcess::WaitExit(DWORD ms) {
  return process_ && ::WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0;
}

DWORD HelperProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

void HelperProcess::Kill() {
  if (Running()) {
    ::TerminateProcess(process_.get(), 99);
    ::WaitForSingleObject(process_.get(), 5000);
  }
}

HWND FindProcessTopLevel(DWORD pid, const std::string& title) {
  struct S {
    DWORD pid;
    std::string title;
    HWND found;
  } s{pid, Utf8ToAnsi(title), nullptr};
  ::EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<S*>(lp);
        DWORD p = 0;
        ::GetWindowThreadProcessId(w, &p);
        char buf[512] = {};
        ::GetWindowTextA(w, buf, sizeof buf);
        if (p == s->pid && s->title == buf) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND HelperProcess::WaitForWindow(const std::string& title, DWORD ms) const {
  const DWORD start = ::GetTickCount();
  do {
    if (HWND w = FindProcessTopLevel(pid_, title)) return w;
    ::Sleep(20);
  } while (::GetTickCount() - start < ms);
  return nullptr;
}

DWORD RunChildTest(const std::string& test, const char* variable, const std::string& value) {
  ::SetEnvironmentVariableA(variable, Utf8ToAnsi(value).c_str());
  HelperProcess child("--gtest_filter=" + test, ExeDirectory() + "nv_win_tests.exe");
  ::SetEnvironmentVariableA(variable, nullptr);
  if (!child.WaitExit(30000)) return STILL_ACTIVE;
  return child.ExitCode();
}

bool WaitUntilHung(HWND w, DWORD limitMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    DWORD_PTR r = 0;
    if (!::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 50, &r)) return true;
    if (::GetTickCount() - start >= limitMs) return false;
    ::Sleep(20);
  }
}

std::string UniqueTitle(const std::string& stem) {
  static std::atomic<int> n{0};
  // Bracketed, so no title is a part of another.
  return "[" + stem + " " + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++n) + "]";
}

}  // namespace nv
