// The lexical layer of the RTF reader: braces, control words with their
// numeric parameters, control symbols, \'hh bytes, plain text and \bin data.
//
// It never reads past its input and never fails except on a \binN whose N
// bytes are not there: whatever else is cut off at the end (a lone
// backslash, "\'" with one digit) is dropped quietly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace nv {

enum class RtfTokenKind : std::uint8_t {
  GroupOpen,   // {
  GroupClose,  // }
  Word,        // \name or \nameN; a backslash before a line end counts as \par
  Symbol,      // \ and one other character, as in \~ \{ \*
  Hex,         // \'hh
  Text,        // plain bytes, line ends removed
  Binary,      // the bytes after \binN
  End,         // end of input
  Error,       // \binN asks for more bytes than remain
};

struct RtfToken {
  RtfTokenKind kind = RtfTokenKind::End;
  std::string_view name;   // Word
  bool hasParam = false;   // Word
  std::int32_t param = 0;  // Word; clamped to the 32-bit range
  char symbol = 0;         // Symbol
  std::uint8_t byte = 0;   // Hex
  std::string_view data;   // Text, Binary
};

class RtfTokenizer {
 public:
  explicit RtfTokenizer(std::string_view input) : in_(input) {}

  RtfToken Next();
  std::size_t Position() const { return pos_; }

 private:
  RtfToken ControlWord();
  std::optional<RtfToken> AfterBackslash();  // nothing when the escape is dropped

  std::string_view in_;
  std::size_t pos_ = 0;
};

}  // namespace nv
