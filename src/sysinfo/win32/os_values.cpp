// The platform values behind TOSInfo, read from the running Windows.
#include <windows.h>

#include <cstring>

#include "sysinfo/os_info.h"
#include "sysinfo/win32/registry.h"

namespace nv {

// The two version records the system is asked with.
static_assert(sizeof(OSVERSIONINFOA) == 148);
static_assert(sizeof(OSVERSIONINFOEXA) == 156);

OSValues ReadOSValues() {
  OSValues v;
  OSVERSIONINFOA basic;
  ::ZeroMemory(&basic, sizeof basic);
  basic.dwOSVersionInfoSize = sizeof basic;
  if (::GetVersionExA(&basic)) {
    v.Platform = basic.dwPlatformId;
    v.MajorVersion = basic.dwMajorVersion;
    v.MinorVersion = basic.dwMinorVersion;
    v.BuildNumber = basic.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? (basic.dwBuildNumber & 0xFFFF)
                                                                     : basic.dwBuildNumber;
    v.CSDVersion = basic.szCSDVersion;
  }
  OSVERSIONINFOEXA ex;
  ::ZeroMemory(&ex, sizeof ex);
  ex.dwOSVersionInfoSize = sizeof ex;
  if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex))) {
    v.ExtendedInfo = true;
    v.ServicePackMajor = ex.wServicePackMajor;
    v.ServicePackMinor = ex.wServicePackMinor;
    v.SuiteMask = ex.wSuiteMask;
    v.RawProductType = ex.wProductType;
  }
  {
    UniqueHKey key = OpenKeyRead(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions");
    if (key) {
      v.ProductOptionsKeyOpened = true;
      const RegistryValue type = ReadValue(key.get(), "ProductType");
      if (type.present && (type.type == REG_SZ || type.type == REG_EXPAND_SZ))
        v.RegistryProductType = type.data.substr(0, type.data.find('\0'));
    }
  }
  v.HotfixQ246009 =
      static_cast<bool>(OpenKeyRead(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009"));
  v.TabletMetric = ::GetSystemMetrics(SM_TABLETPC) != 0;
  v.MediaCenterMetric = ::GetSystemMetrics(SM_MEDIACENTER) != 0;

  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = ::GetModuleHandleA("kernel32");
  FARPROC proc = kernel ? ::GetProcAddress(kernel, "IsWow64Process") : nullptr;
  if (proc) {
    IsWow64ProcessFn isWow64 = nullptr;
    static_assert(sizeof isWow64 == sizeof proc);
    std::memcpy(&isWow64, &proc, sizeof proc);
    BOOL flag = FALSE;
    if (!isWow64(::GetCurrentProcess(), &flag))
      v.Wow64 = Wow64Query::Failed;
    else
      v.Wow64 = flag ? Wow64Query::Yes : Wow64Query::No;
  }
  return v;
}

}  // namespace nv
