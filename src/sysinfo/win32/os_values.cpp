// The platform values behind TOSInfo, read from the running Windows.
#include <windows.h>

#include <cstring>
#include <optional>

#include "sysinfo/os_info.h"
#include "sysinfo/win32/registry.h"
#include "ui/win32/system_function.h"
#include "ui/win32/win_text.h"

namespace nv {

// The two version records the system is asked with.
static_assert(sizeof(OSVERSIONINFOA) == 148);
static_assert(sizeof(OSVERSIONINFOEXA) == 156);

namespace {

// The version as the kernel knows it. The version records give a program
// without a manifest for the newest systems the version of Windows 8
// (6.2 build 9200) on every later one.
std::optional<TrueVersion> ReadTrueVersion() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  const auto rtlGetVersion = SystemFunction<RtlGetVersionFn>(L"ntdll", "RtlGetVersion");
  if (!rtlGetVersion) return std::nullopt;
  OSVERSIONINFOEXW w;
  ::ZeroMemory(&w, sizeof w);
  w.dwOSVersionInfoSize = sizeof w;
  if (rtlGetVersion(&w) != 0) return std::nullopt;
  TrueVersion t;
  t.MajorVersion = w.dwMajorVersion;
  t.MinorVersion = w.dwMinorVersion;
  t.BuildNumber = w.dwBuildNumber;
  t.CSDVersion = Narrow(w.szCSDVersion);
  t.ServicePackMajor = w.wServicePackMajor;
  t.ServicePackMinor = w.wServicePackMinor;
  t.SuiteMask = w.wSuiteMask;
  t.RawProductType = w.wProductType;
  return t;
}

std::string RegistryText(HKEY key, const char* name) {
  const RegistryValue value = ReadValue(key, name);
  if (!value.present || (value.type != REG_SZ && value.type != REG_EXPAND_SZ)) return {};
  return value.data.substr(0, value.data.find('\0'));
}

}  // namespace

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
  if (const std::optional<TrueVersion> t = ReadTrueVersion()) ApplyTrueVersion(v, *t);
  if (v.Platform == VER_PLATFORM_WIN32_NT && v.MajorVersion >= 6) {
    using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
    DWORD product = 0;
    if (const auto getProductInfo = SystemFunction<GetProductInfoFn>(L"kernel32", "GetProductInfo"))
      if (getProductInfo(v.MajorVersion, v.MinorVersion, v.ServicePackMajor, v.ServicePackMinor, &product))
        v.ProductInfo = product;
  }
  if (v.Platform == VER_PLATFORM_WIN32_NT && v.MajorVersion >= 10) {
    UniqueHKey key = OpenKeyRead(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    if (key) {
      v.DisplayVersion = RegistryText(key.get(), "DisplayVersion");
      if (v.DisplayVersion.empty()) v.DisplayVersion = RegistryText(key.get(), "ReleaseId");
    }
  }
  v.HotfixQ246009 =
      static_cast<bool>(OpenKeyRead(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009"));
  v.TabletMetric = ::GetSystemMetrics(SM_TABLETPC) != 0;
  v.MediaCenterMetric = ::GetSystemMetrics(SM_MEDIACENTER) != 0;

  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  if (const auto isWow64 = SystemFunction<IsWow64ProcessFn>(L"kernel32", "IsWow64Process")) {
    BOOL flag = FALSE;
    if (!isWow64(::GetCurrentProcess(), &flag))
      v.Wow64 = Wow64Query::Failed;
    else
      v.Wow64 = flag ? Wow64Query::Yes : Wow64Query::No;
  }
  return v;
}

}  // namespace nv
