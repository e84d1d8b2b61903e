// Plain text in and out of documents: ANSI (through a code page) and UTF-16.
//
// Reading makes each line a paragraph; writing separates paragraphs with
// CR LF and never wraps a line, so a text written and read back, or read
// and written back, comes out as it went in (lines ended by CR LF; other
// line ends come back as CR LF).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "richview/document.h"

namespace nv {

// Conversion between the ANSI code page and UTF-8 through the code-page
// service: the system's ANSI code page (Windows-1252 in the portable
// builds); characters the code page cannot write become '?'. The Windows
// side passes one of its own for the system code page.
class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  virtual std::string ToUtf8(std::string_view ansi) const;
  virtual std::string FromUtf8(std::string_view utf8) const;
};

// Utf8 text is read with or without its byte-order mark and written
// without one.
enum class TextEncoding { Ansi, Utf16, Utf8 };

// The Unicode test: yes when the size is even and not 0 and either the first
// two bytes are a byte-order mark (FF FE or FE FF) or a zero byte occurs
// among the up to 500 bytes that follow them. `head` holds the first bytes
// of the text (at least kUnicodeTestBytes of them, or all), `size` the
// text's whole size.
inline constexpr std::size_t kUnicodeTestBytes = 502;
bool IsUnicodeText(std::string_view head, std::uint64_t size);
inline bool IsUnicodeText(std::string_view bytes) { return IsUnicodeText(bytes, bytes.size()); }

// The text readers' UTF-8 test: yes when the bytes are well-formed UTF-8
// and not plain ASCII (a byte-order mark counts as UTF-8 of its own). Text
// in an ANSI code page with letters above 0x7F is almost never well-formed
// UTF-8, and plain ASCII reads the same either way, so a yes is taken as
// UTF-8 and everything else keeps the ANSI reading.
bool IsUtf8Text(std::string_view bytes);
// The encoding the ANSI text readers take bytes in: Utf8 or Ansi.
inline TextEncoding AnsiOrUtf8(std::string_view bytes) {
  return IsUtf8Text(bytes) ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

// Adds the text's lines to doc as paragraphs of paragraph style paraNo, each
// holding one text item of text style styleNo (an empty line: empty text).
// CR LF, LF and a lone CR end lines; the last line is the text after the
// last line end, so "a\r\n" gives "a" and an empty line, and an empty text
// adds no paragraph. With asSingleParagraph the lines become line breaks
// inside one paragraph. UTF-16 is read in the order its byte-order mark
// gives, little-endian without one; a dangling last byte reads as U+FFFD.
// NUL characters are dropped (item text cannot hold them). False, with doc
// unchanged, when styleNo or paraNo is not in doc's sheet.
bool LoadText(std::string_view bytes, TRVDocument& doc, int styleNo, int paraNo,
              bool asSingleParagraph, TextEncoding enc, const AnsiCodec& ansi);

// The document as text: paragraphs separated by CR LF (none after the
// last), line breaks inside paragraphs as CR LF, tabs as tabs, text lines
// never wrapped, pictures left out, each horizontal line a line of
// lineWidth '-' (80 when lineWidth < 1). UTF-16 is little-endian after the
// byte-order mark FF FE.
std::string SaveText(const TRVDocument& doc, int lineWidth, TextEncoding enc, const AnsiCodec& ansi);

// The same on files with UTF-8 paths. IsUnicodeTextFile reads only the
// bytes the test needs; a file that cannot be read answers no.
bool IsUnicodeTextFile(const std::string& path);
bool LoadTextFromFile(const std::string& path, TRVDocument& doc, int styleNo, int paraNo,
                      bool asSingleParagraph, TextEncoding enc, const AnsiCodec& ansi);
// Reads a file that is not UTF-16: as UTF-8 when IsUtf8Text says so, else
// through the ANSI codec.
bool LoadAnsiOrUtf8TextFromFile(const std::string& path, TRVDocument& doc, int styleNo, int paraNo,
                                const AnsiCodec& ansi);
bool SaveTextToFile(const TRVDocument& doc, const std::string& path, int lineWidth, TextEncoding enc,
                    const AnsiCodec& ansi);

}  // namespace nv
