#include "capture/win32/process_icon.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

#include "capture/win32/processes.h"
#include "ui/win32/containers.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

// The program file of the process, wide, for the wide icon call.
std::wstring ProgramFileOf(DWORD processId) {
  if (processId == 0 || processId == ::GetCurrentProcessId()) {
    std::wstring own(32768, L'\0');
    own.resize(::GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size())));
    return own;
  }
  // Asked of the system first: the module list of a 64-bit program cannot
  // be read by the 32-bit Nookvale, nor that of a process still starting.
  const std::string queried = ProcessImagePath(processId);
  if (!queried.empty()) return Widen(queried);
  // Systems before Vista cannot be asked, but there every program has our
  // bitness and its first module is its program file.
  UniqueKernelHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
  if (!snap) return {};
  MODULEENTRY32W m{};
  m.dwSize = sizeof(MODULEENTRY32W);
  return ::Module32FirstW(snap.get(), &m) ? std::wstring(m.szExePath) : std::wstring();
}

}  // namespace

int AddProcessIcon(DWORD processId, TImageList& images) {
  int result = -1;
  try {
    const std::wstring path = ProgramFileOf(processId);
    if (path.empty()) return -1;
    HICON small = nullptr;
    if (::ExtractIconExW(path.c_str(), 0, nullptr, &small, 1) == 1) {
      UniqueHIcon icon(small);  // the image list keeps its own copy
      result = images.AddIcon(icon.get());
    } else if (small) {
      ::DestroyIcon(small);
    }
  } catch (...) {
    result = -1;
  }
  return result;
}

}  // namespace nv
