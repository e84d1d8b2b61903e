// Conversion between text in a Windows code page and UTF-8.
//
// Code pages are named by their Windows numbers (1252, 932, 20866, ...). On
// Windows the conversion is the system's own (every code page the system
// knows, double-byte ones included); elsewhere it goes through iconv, which
// gives the same characters for the code pages both know.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nv {

inline constexpr int kCodePageUtf8 = 65001;

// bytes in codePage as UTF-8. Bytes that are not a character of the code
// page (a lone lead byte, an unassigned byte) become U+FFFD, except that in
// the Windows code pages 1250 to 1258 an unassigned byte 0x80..0x9F is the
// C1 control of the same value, as Windows reads it, so nothing read is
// lost. nullopt when the code page is not available.
std::optional<std::string> CodePageToUtf8(int codePage, std::string_view bytes);

// utf8 in codePage. Characters the code page cannot write become '?'.
// nullopt when the code page is not available.
std::optional<std::string> Utf8ToCodePage(int codePage, std::string_view utf8);

// utf8 in codePage when every character has a form there; nullopt when one
// has none or the code page is not available.
std::optional<std::string> Utf8ToCodePageExactly(int codePage, std::string_view utf8);

bool IsCodePageAvailable(int codePage);

// The code page of plain ANSI text here: the system's on Windows, 1252
// elsewhere.
int SystemAnsiCodePage();

// The code page of a character set name as documents and HTTP headers give
// it ("ISO-8859-2", "Shift_JIS", "koi8-r", "windows-1251", "cp936", ...),
// compared without regard to case. ISO-8859-1 and US-ASCII read as 1252, as
// browsers read them. nullopt for names not known here.
std::optional<int> CodePageOfCharset(std::string_view name);

}  // namespace nv
