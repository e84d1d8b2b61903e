#include "capture/win32/processes.h"

#include <tlhelp32.h>

#include "capture/capture_rules.h"
#include "ui/text.h"
#include "ui/win32/system_function.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

// --- run-time binding ---------------------------------------------------------

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using Process32Fn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
using Module32Fn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32*);
using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleFileNameExAFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using QueryImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);

struct ToolHelp {
  CreateSnapshotFn createSnapshot = nullptr;
  Process32Fn first = nullptr, next = nullptr;
  Module32Fn moduleFirst = nullptr;
};

const ToolHelp& Tools() {
  static const ToolHelp t = [] {
    ToolHelp r;
    HMODULE k = ::GetModuleHandleA("kernel32.dll");
    r.createSnapshot = SystemFunction<CreateSnapshotFn>(k, "CreateToolhelp32Snapshot");
    r.first = SystemFunction<Process32Fn>(k, "Process32First");
    r.next = SystemFunction<Process32Fn>(k, "Process32Next");
    r.moduleFirst = SystemFunction<Module32Fn>(k, "Module32First");
    return r;
  }();
  return t;
}

struct Psapi {
  EnumProcessesFn enumProcesses = nullptr;
  EnumProcessModulesFn enumModules = nullptr;
  GetModuleFileNameExAFn moduleFileName = nullptr;
};

const Psapi& PsapiFns() {
  // Loaded on first use and kept for the program's run.
  static const Psapi p = [] {
    Psapi r;
    HMODULE m = ::LoadLibraryA("psapi.dll");
    r.enumProcesses = SystemFunction<EnumProcessesFn>(m, "EnumProcesses");
    r.enumModules = SystemFunction<EnumProcessModulesFn>(m, "EnumProcessModules");
    r.moduleFileName = SystemFunction<GetModuleFileNameExAFn>(m, "GetModuleFileNameExA");
    return r;
  }();
  return p;
}

}  // namespace

std::string ProcessImagePath(DWORD pid) {
  static const auto query =
      SystemFunction<QueryImageNameFn>(::GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW");
  if (!query) return {};
  UniqueKernelHandle h(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!h) return {};
  // Room for the longest path the system allows, not only MAX_PATH.
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!query(h.get(), 0, path.data(), &size)) return {};
  path.resize(size);
  return Narrow(path);
}

namespace {

UniqueKernelHandle ProcessSnapshot() {
  if (!Tools().createSnapshot) return UniqueKernelHandle();
  return UniqueKernelHandle(Tools().createSnapshot(TH32CS_SNAPPROCESS, 0));
}

// Walks a process snapshot; f answers false to stop.
template <class F>
void ForEachProcessEntry(F f) {
  UniqueKernelHandle snap = ProcessSnapshot();
  if (!snap || !Tools().first || !Tools().next) return;
  PROCESSENTRY32 e{};
  e.dwSize = sizeof(PROCESSENTRY32);
  for (BOOL ok = Tools().first(snap.get(), &e); ok; ok = Tools().next(snap.get(), &e)) {
    if (!f(e)) break;
  }
}

void ListWithToolHelp(std::vector<std::string>& list) {
  ForEachProcessEntry([&](const PROCESSENTRY32& e) {
    list.push_back(AnsiToUtf8(e.szExeFile));
    return true;
  });
}

void ListWithPsapi(std::vector<std::string>& list) {
  const Psapi& p = PsapiFns();
  if (!p.enumProcesses || !p.enumModules || !p.moduleFileName) return;
  DWORD ids[kMaxEnumeratedProcesses] = {};
  DWORD bytes = 0;
  if (!p.enumProcesses(ids, sizeof ids, &bytes)) return;
  const size_t count = std::min<size_t>(bytes / sizeof(DWORD), kMaxEnumeratedProcesses);
  for (size_t i = 0; i < count; ++i) {
    std::string line;
    UniqueKernelHandle h(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]));
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (h && p.enumModules(h.get(), &module, sizeof module, &needed)) {
      char name[301] = {};
      const DWORD n = p.moduleFileName(h.get(), module, name, 301);
      if (n != 0) line = AnsiToUtf8(std::string(name, n));
    }
    if (line.empty()) line = ProcessImagePath(ids[i]);
    // A process whose program cannot be named is left out rather than
    // listed as an empty line nobody could act on.
    if (line.empty()) continue;
    list.push_back(line);
  }
}

std::string ProgramPathOf(DWORD pid) {
  const Psapi& p = PsapiFns();
  if (!p.moduleFileName) return {};
  UniqueKernelHandle h(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!h) return {};
  char path[261] = {};
  const DWORD n = p.moduleFileName(h.get(), nullptr, path, 261);
  return std::string(path, n);
}

// The same, asked the way that also works for 64-bit processes.
std::string ProgramPathOrQuery(DWORD pid) {
  std::string path = ProgramPathOf(pid);
  if (path.empty()) path = Utf8ToAnsi(ProcessImagePath(pid));
  return path;
}

}  // namespace

void ListProcesses(std::vector<std::string>& list) {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  if (!::GetVersionExA(&v)) return;
  if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) ListWithToolHelp(list);
  else if (v.dwPlatformId == VER_PLATFORM_WIN32_NT) ListWithPsapi(list);
}

DWORD FindProcessIdByName(const std::string& text) {
  const std::string sought = Utf8ToAnsi(text);
  DWORD found = 0;
  ForEachProcessEntry([&](const PROCESSENTRY32& e) {
    const std::string path = ProgramPathOrQuery(e.th32ProcessID);
    if ((!path.empty() && AsciiEqualNoCase(path, sought)) || AsciiEqualNoCase(e.szExeFile, sought)) {
      found = e.th32ProcessID;
      return false;
    }
    return true;
  });
  return found;
}

namespace {

struct WindowOfProcess {
  DWORD pid;
  HWND found;
};

// Nothing in here can throw: only system calls and plain stores.
BOOL CALLBACK FirstVisibleEnabledWindow(HWND w, LPARAM lp) noexcept {
  auto* s = reinterpret_cast<WindowOfProcess*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(w, &pid);
  if (pid == s->pid && ::IsWindowVisible(w) && ::IsWindowEnabled(w)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId) {
  if (processId == 0) return nullptr;
  WindowOfProcess s{processId, nullptr};
  ::EnumWindows(FirstVisibleEnabledWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

namespace {

bool NamedAs(const PROCESSENTRY32& e, const std::string& ansiName) {
  return AsciiEqualNoCase(FileNamePart(e.szExeFile), ansiName) || AsciiEqualNoCase(e.szExeFile, ansiName);
}

}  // namespace

bool NamesOnlyThisProcess(const std::string& name) {
  const std::string sought = Utf8ToAnsi(name);
  const DWORD self = ::GetCurrentProcessId();
  bool self_named = false, other_named = false;
  ForEachProcessEntry([&](const PROCESSENTRY32& e) {
    if (NamedAs(e, sought)) (e.th32ProcessID == self ? self_named : other_named) = true;
    return true;
  });
  return self_named && !other_named;
}

BOOL KillProcessesByName(const std::string& name) {
  const std::string sought = Utf8ToAnsi(name);
  BOOL result = FALSE;
  const DWORD self = ::GetCurrentProcessId();
  ForEachProcessEntry([&](const PROCESSENTRY32& e) {
    // Never ourselves: ending Nookvale would take every captured window
    // down with it.
    if (e.th32ProcessID == self) return true;
    if (NamedAs(e, sought)) {
      UniqueKernelHandle h(::OpenProcess(PROCESS_TERMINATE, FALSE, e.th32ProcessID));
      result = ::TerminateProcess(h.get(), 0);
    }
    return true;
  });
  return result;
}

}  // namespace nv
