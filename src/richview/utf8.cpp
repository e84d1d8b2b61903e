#include "richview/utf8.h"

#include "ui/text.h"

namespace nv {

namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    // The second byte's allowed range rules out overlong forms, surrogates
    // and code points above U+10FFFF in one check.
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3;
      if (b0 == 0xE0) lo = 0xA0;
      if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4;
      if (b0 == 0xF0) lo = 0x90;
      if (b0 == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (n - i < len) return false;
    const auto b1 = static_cast<unsigned char>(s[i + 1]);
    if (b1 < lo || b1 > hi) return false;
    for (size_t k = 2; k < len; ++k)
      if (!IsContinuation(s[i + k])) return false;
    i += len;
  }
  return true;
}

int Utf8CharCount(std::string_view s) {
  int count = 0;
  for (char c : s)
    if (!IsContinuation(c)) ++count;
  return count;
}

std::size_t Utf8ByteOffset(std::string_view s, int charIndex) {
  if (charIndex <= 0) return 0;
  int seen = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (IsContinuation(s[i])) continue;
    if (seen == charIndex) return i;
    ++seen;
  }
  return s.size();
}

std::string CleanItemText(std::string_view s) {
  // The UTF-16 round trip is the one place that repairs bad sequences, so
  // every reader repairs them the same way.
  std::string text = IsValidUtf8(s) ? std::string(s) : Utf16ToUtf8(Utf8ToUtf16(s));
  std::erase_if(text, [](char c) { return c == '\0' || c == '\r'; });
  return text;
}

bool IsControlCharacter(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

std::string WithoutControlCharacters(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      if (!IsControlCharacter(b) || b == '\t' || b == '\r' || b == '\n') out += s[i];
    } else if (b == 0xC2 && i + 1 < s.size() && IsContinuation(s[i + 1]) &&
               static_cast<unsigned char>(s[i + 1]) <= 0x9F) {
      ++i;  // U+0080..U+009F are C2 80..C2 9F
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace nv
