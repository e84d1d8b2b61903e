#include "rss/win32/browser_emulation.h"

#include "rss/browser_rules.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv::rss {

const wchar_t* const kBrowserEmulationKey =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";

namespace {

std::string ReadText(HKEY key, const wchar_t* name) {
  wchar_t buf[64] = {};
  DWORD type = 0, size = sizeof buf - sizeof(wchar_t);
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  return Narrow(std::wstring(buf));
}

}  // namespace

std::wstring BrowserEmulationValueName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void EnsureBrowserEmulation() {
  const std::wstring name = BrowserEmulationValueName();
  if (name.empty()) return;
  std::string svcVersion, version;
  {
    UniqueHKey ie;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", 0, KEY_QUERY_VALUE,
                        ie.put()) == ERROR_SUCCESS) {
      svcVersion = ReadText(ie.get(), L"svcVersion");
      version = ReadText(ie.get(), L"Version");
    }
  }
  UniqueHKey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return;
  std::optional<std::uint32_t> present;
  DWORD value = 0, type = 0, size = sizeof value;
  if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
          ERROR_SUCCESS &&
      type == REG_DWORD && size == sizeof value)
    present = value;
  const std::optional<std::uint32_t> write = BrowserEmulationToWrite(svcVersion, version, present);
  if (!write) return;
  const DWORD mode = *write;
  ::RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode), sizeof mode);
}

}  // namespace nv::rss
