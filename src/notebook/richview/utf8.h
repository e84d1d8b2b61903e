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

}  // namespace nv
