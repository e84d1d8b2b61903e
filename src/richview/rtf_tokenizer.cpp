#include "richview/rtf_tokenizer.h"

#include <limits>

namespace nv {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

RtfToken RtfTokenizer::Next() {
  // A loop, not recursion: dropped escapes may follow each other without end.
  for (;;) {
    // Line ends and NUL bytes carry no meaning between tokens.
    while (pos_ < in_.size() && (IsLineEnd(in_[pos_]) || in_[pos_] == '\0')) ++pos_;
    if (pos_ >= in_.size()) return RtfToken{};
    const char c = in_[pos_];
    if (c == '\\') {
      ++pos_;
      if (std::optional<RtfToken> t = AfterBackslash()) return *t;
      continue;
    }
    break;
  }
  RtfToken t;
  const char c = in_[pos_];
  if (c == '{' || c == '}') {
    ++pos_;
    t.kind = c == '{' ? RtfTokenKind::GroupOpen : RtfTokenKind::GroupClose;
    return t;
  }
  const std::size_t start = pos_;
  while (pos_ < in_.size()) {
    const char d = in_[pos_];
    if (d == '\\' || d == '{' || d == '}' || IsLineEnd(d) || d == '\0') break;
    ++pos_;
  }
  t.kind = RtfTokenKind::Text;
  t.data = in_.substr(start, pos_ - start);
  return t;
}

std::optional<RtfToken> RtfTokenizer::AfterBackslash() {
  RtfToken t;
  if (pos_ >= in_.size()) return std::nullopt;  // a backslash at the very end: nothing
  const char c = in_[pos_];
  if (IsLetter(c)) return ControlWord();
  ++pos_;
  if (IsLineEnd(c)) {
    t.kind = RtfTokenKind::Word;
    t.name = "par";
    return t;
  }
  if (c == '\'') {
    int value = 0, digits = 0;
    while (digits < 2 && pos_ < in_.size()) {
      const int h = HexValue(in_[pos_]);
      if (h < 0) break;
      value = value * 16 + h;
      ++digits;
      ++pos_;
    }
    if (digits < 2) return std::nullopt;  // cut off or not hex: dropped
    t.kind = RtfTokenKind::Hex;
    t.byte = static_cast<std::uint8_t>(value);
    return t;
  }
  t.kind = RtfTokenKind::Symbol;
  t.symbol = c;
  return t;
}

RtfToken RtfTokenizer::ControlWord() {
  RtfToken t;
  t.kind = RtfTokenKind::Word;
  const std::size_t start = pos_;
  while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
  t.name = in_.substr(start, pos_ - start);

  bool negative = false;
  if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
    negative = true;
    ++pos_;
  }
  if (pos_ < in_.size() && IsDigit(in_[pos_])) {
    // Saturate instead of overflowing: a parameter of any length stays a
    // number that callers can range-check.
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      if (value <= kLimit) value = value * 10 + (in_[pos_] - '0');
      ++pos_;
    }
    if (value > kLimit) value = kLimit;
    t.hasParam = true;
    t.param = static_cast<std::int32_t>(negative ? -value : value);
  }
  if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word

  if (t.name == "bin") {
    const std::size_t count = t.hasParam && t.param > 0 ? static_cast<std::size_t>(t.param) : 0;
    if (count > in_.size() - pos_) {
      t.kind = RtfTokenKind::Error;
      pos_ = in_.size();
      return t;
    }
    t.kind = RtfTokenKind::Binary;
    t.data = in_.substr(pos_, count);
    pos_ += count;
  }
  return t;
}

}  // namespace nv
