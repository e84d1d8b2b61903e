#include "capture/win32/process_icon.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

#include "ui/win32/containers.h"
#include "ui/win32/unique_handle.h"

namespace nv {

int AddProcessIcon(DWORD processId, TImageList& images) {
  int result = -1;
  try {
    std::string path;
    {
      UniqueKernelHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
      if (snap) {
        MODULEENTRY32 m{};
        m.dwSize = sizeof(MODULEENTRY32);
        if (::Module32First(snap.get(), &m)) path = m.szExePath;
      }
    }
    HICON small = nullptr;
    if (::ExtractIconExA(path.c_str(), 0, nullptr, &small, 1) == 1) {
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
