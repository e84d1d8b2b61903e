// Read-only registry access for the system report and TOSInfo. Keys are
// opened with KEY_READ only, never created, and closed on every path.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "sysinfo/system_report.h"
#include "ui/win32/unique_handle.h"

namespace nv {

// Null when the key cannot be opened.
UniqueHKey OpenKeyRead(HKEY root, const std::string& path);
// A value's type and bytes (the A form of strings); absent when missing.
RegistryValue ReadValue(HKEY key, const std::string& name);
// Every value of the key, in the order the registry enumerates them.
std::vector<RegistryValue> ReadAllValues(HKEY key);

}  // namespace nv
