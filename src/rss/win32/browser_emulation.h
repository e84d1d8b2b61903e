// Asks the system's browser control to show pages in the installed
// browser's current document mode for this program, for the current user
// only (see BrowserEmulationToWrite).
#pragma once

#include <windows.h>

#include <string>

namespace nv::rss {

// The key under HKEY_CURRENT_USER that holds the setting.
extern const wchar_t* const kBrowserEmulationKey;

// The setting's value name: the program's exe file name ("Nookvale.exe").
std::wstring BrowserEmulationValueName();

// Writes the setting when it is missing or differs. It counts when the
// control is made, so this runs before. A setting that cannot be written
// leaves the control in its older mode: pages still show.
void EnsureBrowserEmulation();

}  // namespace nv::rss
