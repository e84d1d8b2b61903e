// The code-page conversions through the system's own tables.
#include <windows.h>

#include "codec/code_page.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

// Code pages for which WideCharToMultiByte takes no flags and cannot tell
// whether it had to use its default character.
bool TakesNoFlags(int codePage) {
  return codePage == 42 || codePage == 65000 || codePage == 65001 || codePage == 54936 ||
         codePage == 52936 || (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011);
}

std::optional<std::string> FromUtf8(int codePage, std::string_view utf8, bool exact) {
  if (!IsCodePageAvailable(codePage)) return std::nullopt;
  const std::wstring wide = Widen(utf8);
  if (wide.empty()) return std::string();
  const bool noFlags = TakesNoFlags(codePage);
  const DWORD flags = noFlags ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = noFlags ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(static_cast<UINT>(codePage), flags, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, used);
  if (n <= 0) return std::nullopt;
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(static_cast<UINT>(codePage), flags, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, used);
  if (exact && usedDefault) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::string> CodePageToUtf8(int codePage, std::string_view bytes) {
  if (!IsCodePageAvailable(codePage)) return std::nullopt;
  if (bytes.empty()) return std::string();
  const int n = MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()),
                                    nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return Narrow(wide);
}

std::optional<std::string> Utf8ToCodePage(int codePage, std::string_view utf8) {
  return FromUtf8(codePage, utf8, false);
}

std::optional<std::string> Utf8ToCodePageExactly(int codePage, std::string_view utf8) {
  return FromUtf8(codePage, utf8, true);
}

bool IsCodePageAvailable(int codePage) {
  return codePage > 0 && codePage < 65536 && IsValidCodePage(static_cast<UINT>(codePage)) != FALSE;
}

int SystemAnsiCodePage() { return static_cast<int>(GetACP()); }

}  // namespace nv
