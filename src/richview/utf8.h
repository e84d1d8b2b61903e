// Character counting in item text.
//
// Item text is valid UTF-8. Offsets inside text items count characters,
// meaning Unicode code points, so that no offset can fall inside a UTF-8
// sequence; these helpers convert between character offsets and bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nv {

// True when s is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF, no sequence cut off).
bool IsValidUtf8(std::string_view s);

// Number of code points in valid UTF-8 text.
int Utf8CharCount(std::string_view s);

// Byte index of the character with the given index; indexes at or past the
// end (and negative ones) give s.size() and 0 respectively.
std::size_t Utf8ByteOffset(std::string_view s, int charIndex);

// s made fit to be item text: ill-formed sequences become U+FFFD, NUL and
// carriage return (which would end the text or the paragraph in other
// programs) are removed. Tab ('\t') and line feed ('\n', a line break that
// does not end the paragraph) stay.
std::string CleanItemText(std::string_view s);

// The control characters U+0000..U+001F, U+007F and U+0080..U+009F. Keys
// give them (Ctrl+Backspace gives U+007F, Ctrl+letter U+0001..U+001A), but
// they are not text: typing never puts them into a document.
bool IsControlCharacter(char32_t c);

// Valid UTF-8 text without its control characters, except Tab and the line
// ends ('\r', '\n'), which typing turns into tabs and paragraph breaks.
std::string WithoutControlCharacters(std::string_view s);

}  // namespace nv
