// Single-byte character sets that feeds are written in, converted to UTF-8
// before the XML parser sees the document.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nv::rss {

// Converts text in the named single-byte character set ("windows-1251",
// "iso-8859-1", "cp1250", ...) to UTF-8. Bytes the set leaves unused become
// U+FFFD. nullopt when the name is not one of the supported sets.
std::optional<std::string> SingleByteToUtf8(std::string_view charset, std::string_view bytes);

// Lower-cased, trimmed charset name with the usual aliases folded together:
// "ISO-8859-1" and "latin1" become "windows-1252" (as browsers read them),
// "cp1250" becomes "windows-1250", "utf8" becomes "utf-8".
std::string CanonicalCharset(std::string_view name);

}  // namespace nv::rss
