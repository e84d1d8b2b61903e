// Text helpers shared by every subsystem. Inside the program text is UTF-8;
// these convert at the edges and implement the ASCII-only casing rules that
// window titles, program names and paths follow.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nv {

// Upper/lower-case ASCII letters only; every other byte is unchanged.
std::string AsciiUpper(std::string_view s);
std::string AsciiLower(std::string_view s);
bool AsciiEqualNoCase(std::string_view a, std::string_view b);

// UTF-8 <-> UTF-16. Invalid UTF-8 sequences become U+FFFD; unpaired
// surrogates in UTF-16 become U+FFFD too, so the result is always valid.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// Appends one code point to a UTF-8 string.
void AppendUtf8(std::string& out, char32_t cp);

// Decimal text of an unsigned value, no sign, no padding.
std::string UnsignedText(std::uint64_t v);

// Parses a whole string as a signed decimal integer the way the framework's
// string-to-integer conversion does (optional sign, optional "$"/"0x" hex,
// no surrounding junk). Throws EConvertError
// "'<text>' is not a valid integer value" otherwise.
std::int32_t StrToInt(std::string_view s);

}  // namespace nv
