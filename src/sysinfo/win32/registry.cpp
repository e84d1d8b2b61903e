#include "sysinfo/win32/registry.h"

namespace nv {

UniqueHKey OpenKeyRead(HKEY root, const std::string& path) {
  UniqueHKey key;
  HKEY raw = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &raw) == ERROR_SUCCESS) key.reset(raw);
  return key;
}

RegistryValue ReadValue(HKEY key, const std::string& name) {
  RegistryValue v;
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return v;
  // The value may grow between the two calls: ask again while it does.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::string data(size, '\0');
    DWORD got = size;
    const LONG r = ::RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &got);
    if (r == ERROR_MORE_DATA) {
      size = got;
      continue;
    }
    if (r != ERROR_SUCCESS) return v;
    data.resize(got);
    v.present = true;
    v.type = type;
    v.data = std::move(data);
    return v;
  }
  return v;
}

std::vector<RegistryValue> ReadAllValues(HKEY key) {
  std::vector<RegistryValue> values;
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD nameLen = sizeof name;
    const LONG r = ::RegEnumValueA(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS) break;
    values.push_back(ReadValue(key, std::string(name, nameLen)));
  }
  return values;
}

}  // namespace nv
