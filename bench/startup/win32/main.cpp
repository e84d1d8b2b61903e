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
//
// And a reference for what the window system itself costs: a bare window
// with the same standard controls as Nookvale's window has when it shows
// (counted from the warm-up start), each made once at its place, with
// windows of one plain class standing for Nookvale's own controls, under
// Nookvale's own manifest:
//
//   bench_startup_win.exe --bare-window <Nookvale.exe> <class:count,...>
//
// The counts come from one start of Nookvale, printed by
//
//   bench_startup_win.exe --count-controls <Nookvale.exe>
#include <windows.h>

#include <commctrl.h>

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
// process's id, 0 when there is none, and the window.
struct Search {
  std::function<bool(DWORD)> accepts;
  DWORD found = 0;
  HWND window = nullptr;
};

BOOL CALLBACK FindVisibleCaptioned(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  if (!::IsWindowVisible(w) || (::GetWindowLongW(w, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) return TRUE;
  DWORD owner = 0;
  ::GetWindowThreadProcessId(w, &owner);
  if (!s->accepts(owner)) return TRUE;
  s->found = owner;
  s->window = w;
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
double TimeStart(const fs::path& exe, const fs::path& trace, const std::wstring& args = {},
                 const std::function<void(DWORD)>& onVisible = {}) {
  std::wstring cmd = L"\"" + exe.wstring() + L"\"" + (args.empty() ? L"" : L" " + args);
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
      if (onVisible) onVisible(pi.dwProcessId);
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

// The classes the bare window makes as they are; any other class is one of
// Nookvale's own and is stood for by a plain window.
constexpr const wchar_t* kSystemClasses[] = {
    L"Button",        L"Edit",           L"ListBox",           L"ComboBox",
    L"ComboBoxEx32",  L"msctls_hotkey32", L"SysDateTimePick32", L"SysTabControl32",
    L"SysListView32", L"SysTreeView32",  L"Static",            L"ScrollBar"};
constexpr wchar_t kOwnClass[] = L"*";

std::wstring KnownClass(HWND w) {
  wchar_t cls[64] = {};
  ::GetClassNameW(w, cls, 64);
  for (const wchar_t* known : kSystemClasses)
    if (_wcsicmp(cls, known) == 0) return known;
  return kOwnClass;
}

struct Count {
  HWND top = nullptr;
  std::map<std::wstring, int> byClass;
};

BOOL CALLBACK CountChild(HWND w, LPARAM p) {
  auto* c = reinterpret_cast<Count*>(p);
  // The parts of a system control (a combo box's edit, say) come with it.
  HWND parent = ::GetParent(w);
  if (parent != c->top && KnownClass(parent) != kOwnClass) return TRUE;
  ++c->byClass[KnownClass(w)];
  return TRUE;
}

// "Button:26,ListBox:5,...,*:16" for the visible window of the process.
std::wstring ControlCounts(DWORD pid) {
  Search find{[pid](DWORD owner) { return owner == pid; }};
  ::EnumWindows(FindVisibleCaptioned, reinterpret_cast<LPARAM>(&find));
  Count c;
  c.top = find.window;
  if (c.top) ::EnumChildWindows(c.top, CountChild, reinterpret_cast<LPARAM>(&c));
  std::wstring out;
  for (const auto& [cls, n] : c.byClass) out += (out.empty() ? L"" : L",") + cls + L":" + std::to_wstring(n);
  return out;
}

LRESULT CALLBACK PlainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY && !::GetParent(w)) ::PostQuitMessage(0);
  return ::DefWindowProcW(w, msg, wp, lp);
}

DWORD BareStyle(const std::wstring& cls) {
  if (cls == L"ComboBox") return CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP;
  if (cls == L"ComboBoxEx32") return CBS_DROPDOWNLIST | WS_TABSTOP;
  if (cls == L"ListBox" || cls == L"Edit") return WS_BORDER | WS_TABSTOP;
  if (cls == L"Button") return BS_PUSHBUTTON | WS_TABSTOP;
  return 0;
}

int BareWindow(const fs::path& nookvale, const std::wstring& counts) {
  // Themed as Nookvale is: its own manifest, active before any control.
  ACTCTXW actx{};
  actx.cbSize = sizeof actx;
  actx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  const std::wstring source = nookvale.wstring();
  actx.lpSource = source.c_str();
  actx.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE ctx = ::CreateActCtxW(&actx);
  ULONG_PTR cookie = 0;
  // Unthemed controls would make a cheaper reference than the real one:
  // no window at all rather than that.
  if (ctx == INVALID_HANDLE_VALUE || !::ActivateActCtx(ctx, &cookie)) {
    std::fprintf(stderr, "cannot use the manifest of %ls\n", source.c_str());
    return 1;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_HOTKEY_CLASS | ICC_USEREX_CLASSES |
                                           ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  const HINSTANCE inst = ::GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = inst;
  wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"BareWindow";
  ::RegisterClassW(&wc);
  RECT work{0, 0, 1024, 768};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  HWND top = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, L"BareWindow", L"Bare window",
                               WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, work.left, work.top,
                               work.right - work.left, work.bottom - work.top, nullptr, nullptr, inst, nullptr);
  if (!top) return 1;
  const HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  int x = 0, y = 0;
  std::wstringstream in(counts);
  std::wstring item;
  while (std::getline(in, item, L',')) {
    const size_t colon = item.find(L':');
    if (colon == std::wstring::npos) continue;
    const std::wstring cls = item.substr(0, colon);
    const int n = std::stoi(item.substr(colon + 1));
    const wchar_t* make = cls == kOwnClass ? L"BareWindow" : cls.c_str();
    const int height = cls == L"ComboBox" || cls == L"ComboBoxEx32" ? 200 : 24;
    for (int i = 0; i < n; ++i) {
      HWND w = ::CreateWindowExW(0, make, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BareStyle(cls), x, y, 90,
                                 height, top, nullptr, inst, nullptr);
      if (w) ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      x += 95;
      if (x + 90 > work.right - work.left) {
        x = 0;
        y += 30;
      }
    }
  }
  ::ShowWindow(top, SW_SHOW);
  ::UpdateWindow(top);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::DeactivateActCtx(0, cookie);
  ::ReleaseActCtx(ctx);
  return 0;
}

// This program's own file.
fs::path SelfPath() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self);
}

// Runs this program with --shell-pictures; the milliseconds it reports, or
// -1 when it gives none within a minute.
double TimeShellPictures(const fs::path& result) {
  std::wstring cmd = L"\"" + SelfPath().wstring() + L"\" --shell-pictures \"" + result.wstring() + L"\"";
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

fs::path ExeDir() { return SelfPath().parent_path(); }

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc == 4 && std::string(argv[1]) == "--watch") return Watch(fs::path(argv[2]).wstring(), fs::path(argv[3]));
  if (argc == 3 && std::string(argv[1]) == "--shell-pictures") return ShellPictures(fs::path(argv[2]));
  if (argc == 3 && std::string(argv[1]) == "--count-controls") {
    std::wstring counts;
    TimeStart(fs::path(argv[2]), {}, {}, [&](DWORD pid) { counts = ControlCounts(pid); });
    std::printf("%ls\n", counts.c_str());
    return counts.empty() ? 1 : 0;
  }
  if (argc == 4 && std::string(argv[1]) == "--bare-window")
    return BareWindow(fs::path(argv[2]), fs::path(argv[3]).wstring());
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

  // One start of each first, unmeasured: the system's caches warm up. The
  // bare window gets the controls Nookvale's window has when it shows.
  std::wstring counts;
  TimeStart(exe, trace, {}, [&](DWORD pid) { counts = ControlCounts(pid); });
  TimeStart(notepad, {});
  const fs::path self = SelfPath();
  const std::wstring bareArgs = L"--bare-window \"" + exe.wstring() + L"\" " + counts;
  TimeStart(self, {}, bareArgs);
  std::vector<double> ours, theirs, shell, bare;
  std::map<std::string, std::vector<double>> phases;
  std::vector<std::string> order;
  for (int i = 0; i < runs; ++i) {
    fs::remove(trace);
    ours.push_back(TimeStart(exe, trace));
    theirs.push_back(TimeStart(notepad, {}));
    bare.push_back(TimeStart(self, {}, bareArgs));
    std::ifstream in(trace);
    std::string name;
    double ms;
    while (in >> name >> ms) {
      if (!phases.count(name)) order.push_back(name);
      phases[name].push_back(ms);
    }
    shell.push_back(TimeShellPictures(dir / "shell-pictures.txt"));
    std::printf("run %d: Nookvale %.0f ms, notepad %.0f ms, bare window %.0f ms, the shell's first pictures alone "
                "%.0f ms\n", i + 1, ours.back(), theirs.back(), bare.back(), shell.back());
  }
  std::printf("Nookvale's phases (median ms; \"process\" is the time before its own code runs, \"visible\" the time "
              "from process creation to the window shown):\n");
  for (const std::string& name : order) std::printf("  %-12s %7.1f\n", name.c_str(), Median(phases[name]));
  const double a = Median(ours), b = Median(theirs);
  std::printf("median of %d: Nookvale %.0f ms, notepad %.0f ms, ratio %.2f (target at most 1.3: %s)\n", runs, a, b,
              a / b, a / b <= 1.3 ? "met" : "NOT met");
  const double d = Median(bare);
  std::printf("a bare window with the same controls (%ls): %.0f ms, %.2f of notepad, %.2f of Nookvale\n",
              counts.c_str(), d, d / b, d / a);
  const double c = Median(shell);
  std::printf("the file pane's first pictures from the shell, alone in a fresh process: %.0f ms, %.2f of notepad's "
              "whole start\n", c, c / b);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return 0;
}
