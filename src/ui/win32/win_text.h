// Conversions at the Win32 boundary. The core's UTF-8 becomes UTF-16 for the
// W calls; the calls whose behaviour is defined in the ANSI code page
// (window titles read with GetWindowTextA, INI values, program paths) take
// and give text in the system's ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace nv {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// Directory of the running executable with a trailing backslash (UTF-8).
std::string ExeDirectory();

// The system's text for an error code (FormatMessage), without the
// trailing line break.
std::string SystemErrorText(DWORD code);

}  // namespace nv
