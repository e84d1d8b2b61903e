// Code pages met in RTF files.
//
// RTF text outside \u escapes is bytes in a code page: the one of the
// current font's character set (\fcharset) or else the document's (\ansicpg,
// \mac, \pc, \pca). The reader turns those bytes into Unicode through the
// code-page service; the writer only ever emits Windows-1252 bytes and \u escapes
// for everything else. A font's own \cpg comes before its character set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nv {

// Code page numbers with a meaning of their own beyond the table lookups.
inline constexpr int kCodePageAnsi = 1252;
inline constexpr int kCodePageSymbol = 42;  // symbol fonts: bytes stand for themselves

// The code page a Windows character set number uses; nothing for the
// default character set (1), which means "the document's code page", and
// for numbers no code page belongs to.
std::optional<int> CharsetCodePage(int charset);

// True for the East Asian double-byte code pages (932, 936, 949, 950,
// 1361 and their Macintosh kin 10001, 10002, 10003, 10008): a lead byte
// there takes the byte after it.
bool IsDoubleByteCodePage(int codePage);
bool IsLeadByte(int codePage, std::uint8_t b);

// How many bytes the character starting with `lead` takes: 2 for a lead
// byte of a double-byte code page, 2 to 4 for a UTF-8 (65001) lead, else 1.
int CharacterByteCount(int codePage, std::uint8_t lead);

// True when b may continue a character begun by a lead byte. Bytes that may
// not (a control character, a blank, a digit) end the character unfinished
// and stand for themselves, so a stray lead byte takes no text with it.
bool IsTrailByte(int codePage, std::uint8_t b);

// The UTF-8 of one whole multi-byte character; U+FFFD when the code page
// lacks it or the code-page service lacks the code page.
std::string MultiByteToUtf8(int codePage, std::string_view bytes);

// The Unicode character of one byte in a single-byte code page. ASCII bytes
// stand for themselves; bytes the code page leaves undefined, and every
// byte of 0x80 and above in a code page the code-page service lacks, give
// U+FFFD.
char32_t SingleByteToUnicode(int codePage, std::uint8_t b);

// True when the code page is a single-byte one the code-page service has
// (or is the symbol code page).
bool HasCodePageTable(int codePage);

// The Windows-1252 byte for c, or nothing when 1252 has no such character.
std::optional<std::uint8_t> UnicodeToCp1252(char32_t c);

}  // namespace nv
