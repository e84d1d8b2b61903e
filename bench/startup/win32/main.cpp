// Start-up time, black box, run under Wine (bench/startup.sh): from
// CreateProcess to the program's first visible captioned window, for
// Nookvale.exe and for the system's own notepad, in alternating runs, with
// the median of each and their ratio (target: at most 1.3). Nookvale's own
// phase breakdown (NOOKVALE_STARTUP_TRACE) is printed beside it.
//
//   bench_startup_win.exe [Nookvale.exe [notepad.exe [runs]]]
//
// For the measurement taken from outside Wine (a program started by the
// wine command from a Linux shell), the script starts this program as a
// watcher first:
//
//   bench_startup_win.exe --watch <exe file name> <ready file>
//
// It writes the ready file once it is watching, waits for a visible
// captioned window of a process with that file name, prints the wall-clock
// time it saw it (milliseconds since 1970, the host's clock) and ends that
// process by its handle.
//
// Beside the two starts, a fresh process of this program asks the shell for
// just the pictures the file pane shows at start (the image list, the
// drives, the folders and the file types of the program's folder), the same
// look-ups Nookvale's start-up makes, and writes how long they took:
//
//   bench_startup_win.exe --shell-pictures <result file>
//
// Under Wine these alone cost about half of notepad's whole start, which
// bounds how close Nookvale can come to it.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "files/win32/drive_prefetch.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// The first visible captioned window whose process the test accepts: the
// process's id, 0 when there is none.
struct Search {
  std::function<bool(DWORD)> accepts;
  DWORD found = 0;
};

BOOL CALLBACK FindVisibleCaptioned(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  if (!::IsWindowVisible(w) || (::GetWindowLongW(w, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) return TRUE;
  DWORD owner = 0;
  ::GetWindowThreadProcessId(w, &owner);
  if (!s->accepts(owner)) return TRUE;
  s->found = owner;
  return FALSE;
}

DWORD VisibleWindowOf(std::function<bool(DWORD)> accepts) {
  Search s{std::move(accepts)};
  ::EnumWindows(FindVisibleCaptioned, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

bool HasVisibleWindow(DWORD pid) {
  return VisibleWindowOf([pid](DWORD owner) { return owner == pid; }) != 0;
}

// Milliseconds from CreateProcess to the first visible window; -1 when none
// comes within a minute. The process is ended by its handle afterwards,
// once the trace file (when one is named) is written.
double TimeStart(const fs::path& exe, const fs::path& trace) {
  std::wstring cmd = L"\"" + exe.wstring() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const auto t0 = Clock::now();
  if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, exe.parent_path().c_str(), &si,
                        &pi))
    return -1;
  double ms = -1;
  while (std::chrono::duration<double>(Clock::now() - t0).count() < 60) {
    if (HasVisibleWindow(pi.dwProcessId)) {
      ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
      break;
    }
    if (::WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  if (!trace.empty()) {
    for (int i = 0; i < 3000 && !fs::exists(trace); ++i) {
      if (::WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) break;
    }
  }
  ::TerminateProcess(pi.hProcess, 0);
  ::WaitForSingleObject(pi.hProcess, 30000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return ms;
}

bool ImageIs(DWORD pid, const std::wstring& exe) {
  HANDLE p = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!p) return false;
  wchar_t path[MAX_PATH] = {};
  DWORD n = MAX_PATH;
  const bool ok = ::QueryFullProcessImageNameW(p, 0, path, &n) != FALSE;
  ::CloseHandle(p);
  return ok && _wcsicmp(fs::path(path).filename().c_str(), exe.c_str()) == 0;
}

int Watch(const std::wstring& exe, const fs::path& ready) {
  std::ofstream(ready) << "watching\n";
  const auto t0 = Clock::now();
  while (std::chrono::duration<double>(Clock::now() - t0).count() < 120) {
    const DWORD self = ::GetCurrentProcessId();
    const DWORD pid = VisibleWindowOf([&](DWORD owner) { return owner != self && ImageIs(owner, exe); });
    if (pid) {
      FILETIME ft;
      ::GetSystemTimeAsFileTime(&ft);
      ULARGE_INTEGER t;
      t.LowPart = ft.dwLowDateTime;
      t.HighPart = ft.dwHighDateTime;
      // FILETIME counts 100 ns from 1601; the shell's clock from 1970.
      const unsigned long long unixMs = (t.QuadPart - 116444736000000000ULL) / 10000ULL;
      std::printf("%llu\n", unixMs);
      if (HANDLE p = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        ::TerminateProcess(p, 0);
        ::WaitForSingleObject(p, 30000);
        ::CloseHandle(p);
      }
      return 0;
    }
    ::Sleep(1);
  }
  std::fprintf(stderr, "no window of %ls within two minutes\n", exe.c_str());
  return 1;
}

// The file pane's first pictures, in this fresh process, on their own.
int ShellPictures(const fs::path& result) {
  const auto t0 = Clock::now();
  nv::PrefetchDrives();
  const size_t drives = nv::TakeDrives().size();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::ofstream(result) << ms << "\n";
  return drives > 0 ? 0 : 1;
}

// Runs this program with --shell-pictures; the milliseconds it reports, or
// -1 when it gives none within a minute.
double TimeShellPictures(const fs::path& result) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(self) + L"\" --shell-pictures \"" + result.wstring() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::error_code ignored;
  fs::remove(result, ignored);
  // In the copied program's folder, which the file pane opens on.
  const fs::path folder = result.parent_path();
  if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
    return -1;
  if (::WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
  ::WaitForSingleObject(pi.hProcess, 30000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  double ms = -1;
  std::ifstream(result) >> ms;
  return ms;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

fs::path ExeDir() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self).parent_path();
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc == 4 && std::string(argv[1]) == "--watch") return Watch(fs::path(argv[2]).wstring(), fs::path(argv[3]));
  if (argc == 3 && std::string(argv[1]) == "--shell-pictures") return ShellPictures(fs::path(argv[2]));
  const fs::path built = argc > 1 ? fs::path(argv[1]) : ExeDir() / ".." / "src" / "app" / "Nookvale.exe";
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  const fs::path notepad = argc > 2 ? fs::path(argv[2]) : fs::path(windows) / "system32" / "notepad.exe";
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
  if (!fs::exists(built) || !fs::exists(notepad)) {
    std::fprintf(stderr, "missing %s or %s\n", built.string().c_str(), notepad.string().c_str());
    return 2;
  }
  // A folder of its own, as an installed copy: the program, its database,
  // and the Main.ini its first start writes.
  wchar_t tmp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, tmp);
  const fs::path dir = fs::path(tmp) / ("nookvale-startup-" + std::to_string(::GetCurrentProcessId()));
  fs::create_directories(dir);
  const fs::path exe = dir / "Nookvale.exe";
  fs::copy_file(built, exe, fs::copy_options::overwrite_existing);
  fs::copy_file(built.parent_path() / "Nookvale.mdb", dir / "Nookvale.mdb", fs::copy_options::overwrite_existing);
  const fs::path trace = dir / "startup-trace.txt";
  ::SetEnvironmentVariableW(L"NOOKVALE_STARTUP_TRACE", trace.c_str());

  // One start of each first, unmeasured: the system's caches warm up.
  TimeStart(exe, trace);
  TimeStart(notepad, {});
  std::vector<double> ours, theirs, shell;
  std::map<std::string, std::vector<double>> phases;
  std::vector<std::string> order;
  for (int i = 0; i < runs; ++i) {
    fs::remove(trace);
    ours.push_back(TimeStart(exe, trace));
    theirs.push_back(TimeStart(notepad, {}));
    std::ifstream in(trace);
    std::string name;
    double ms;
    while (in >> name >> ms) {
      if (!phases.count(name)) order.push_back(name);
      phases[name].push_back(ms);
    }
    shell.push_back(TimeShellPictures(dir / "shell-pictures.txt"));
    std::printf("run %d: Nookvale %.0f ms, notepad %.0f ms, the shell's first pictures alone %.0f ms\n", i + 1,
                ours.back(), theirs.back(), shell.back());
  }
  std::printf("Nookvale's phases (median ms; \"process\" is the time before its own code runs, \"visible\" the time "
              "from process creation to the window shown):\n");
  for (const std::string& name : order) std::printf("  %-12s %7.1f\n", name.c_str(), Median(phases[name]));
  const double a = Median(ours), b = Median(theirs);
  std::printf("median of %d: Nookvale %.0f ms, notepad %.0f ms, ratio %.2f (target at most 1.3: %s)\n", runs, a, b,
              a / b, a / b <= 1.3 ? "met" : "NOT met");
  const double c = Median(shell);
  std::printf("the file pane's first pictures from the shell, alone in a fresh process: %.0f ms, %.2f of notepad's "
              "whole start\n", c, c / b);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return 0;
}
