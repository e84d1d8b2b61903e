// A function of a system DLL that older Windows versions lack, looked up
// by name at run time, so the program still starts where it is missing.
#pragma once

#include <windows.h>

#include <cstring>

namespace nv {

// The function in a loaded module, or nullptr when either is missing.
// GetProcAddress answers a generic function pointer; copying its bytes
// gives it its real type without a cast the compilers warn about.
template <class Fn>
Fn SystemFunction(HMODULE module, const char* name) {
  const FARPROC proc = module ? ::GetProcAddress(module, name) : nullptr;
  Fn fn = nullptr;
  static_assert(sizeof fn == sizeof proc);
  if (proc) std::memcpy(&fn, &proc, sizeof proc);
  return fn;
}

// The same, in a module the process has already loaded (kernel32, user32).
template <class Fn>
Fn SystemFunction(const wchar_t* loadedModule, const char* name) {
  return SystemFunction<Fn>(::GetModuleHandleW(loadedModule), name);
}

}  // namespace nv
