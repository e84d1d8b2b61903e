#include "capture/win32/window_search.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "capture/capture_rules.h"
#include "ui/win32/system_function.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

std::string AnsiTitle(HWND w) {
  char buf[256] = {};
  // 255 as the size: at most 254 characters are read.
  const int n = ::GetWindowTextA(w, buf, 255);
  return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
// DWMWA_CLOAKED, which older SDK headers do not name.
constexpr DWORD kCloakedAttribute = 14;

std::string ClassNameOf(HWND w) {
  wchar_t buf[257] = {};  // class names have at most 256 characters
  const int n = ::GetClassNameW(w, buf, 257);
  return Narrow(std::wstring_view(buf, n > 0 ? static_cast<size_t>(n) : 0));
}

struct AppWindowsScan {
  const CloakReader* isCloaked = nullptr;
  std::vector<std::string> lines;
  std::exception_ptr error;  // carried out of the callback, raised after it
};

BOOL CALLBACK AppWindowsEnumProc(HWND w, LPARAM param) {
  auto* scan = reinterpret_cast<AppWindowsScan*>(param);
  // No exception may cross the system's callback: on 32-bit Windows it
  // would end the program without the crash filter ever running.
  try {
    TopLevelWindowFacts f;
    f.visible = ::IsWindowVisible(w) != FALSE;
    f.iconic = ::IsIconic(w) != FALSE;
    f.owner = static_cast<std::uintptr_t>(::GetWindowLongPtrA(w, GWLP_HWNDPARENT));
    f.desktop = reinterpret_cast<std::uintptr_t>(::GetDesktopWindow());
    f.exStyle = static_cast<std::uint32_t>(::GetWindowLongA(w, GWL_EXSTYLE));
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    f.ownProcess = pid == ::GetCurrentProcessId();
    f.className = ClassNameOf(w);
    f.cloaked = (*scan->isCloaked)(w);
    if (QualifiesForApplicationList(f)) scan->lines.push_back(GetWindowCaption(w));
    return TRUE;
  } catch (...) {
    scan->error = std::current_exception();
    return FALSE;
  }
}

}  // namespace

HWND FindWindowByTitle(const std::string& text) {
  const std::string sought = BoundSoughtText(Utf8ToAnsi(text));
  for (HWND w = ::FindWindowA(nullptr, nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
    if (TitleMatches(AnsiTitle(w), sought)) return w;
  }
  return nullptr;
}

bool WindowResponds(HWND window, UINT timeoutMs) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result) != 0;
}

std::string GetWindowCaption(HWND window) {
  // The Unicode messages: the ANSI WM_GETTEXTLENGTH is answered on some
  // systems by an inner WM_GETTEXT that ignores the time limit, which would
  // stall us on a hung window. The text is the same either way.
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kCaptionTimeoutMs, &length))
    return AnsiToUtf8(AnsiTitle(window));
  if (length == 0) return {};
  // The length is another program's answer: never trust it with our memory.
  length = std::min<DWORD_PTR>(length, kMaxCaptionLength);
  std::vector<wchar_t> buf(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_ABORTIFHUNG, kCaptionTimeoutMs, &copied))
    return AnsiToUtf8(AnsiTitle(window));
  return Narrow(std::wstring(buf.data(), std::min<size_t>(copied, length)));
}

bool WindowIsCloaked(HWND window) {
  // Looked up once and kept for the program's run.
  static const DwmGetWindowAttributeFn get = [] {
    return SystemFunction<DwmGetWindowAttributeFn>(::LoadLibraryW(L"dwmapi.dll"), "DwmGetWindowAttribute");
  }();
  if (!get) return false;
  DWORD cloaked = 0;
  return SUCCEEDED(get(window, kCloakedAttribute, &cloaked, sizeof cloaked)) && cloaked != 0;
}

std::vector<std::string> ListApplicationWindows(const CloakReader& isCloaked) {
  AppWindowsScan scan;
  scan.isCloaked = &isCloaked;
  ::EnumWindows(AppWindowsEnumProc, reinterpret_cast<LPARAM>(&scan));
  if (scan.error) std::rethrow_exception(scan.error);
  return std::move(scan.lines);
}

void CloseWindowProcess(HWND window) {
  DWORD owner = 0;
  if (window) ::GetWindowThreadProcessId(window, &owner);
  if (owner == ::GetCurrentProcessId()) return;  // never our own windows
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  if (!::IsWindow(window)) return;
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid == 0 || pid == ::GetCurrentProcessId()) return;
  UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid));
  if (!process) return;
  ::TerminateProcess(process.get(), 0);
}

}  // namespace nv
