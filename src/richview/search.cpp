#include "richview/search.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "richview/styles.h"
#include "richview/utf8.h"

namespace nv {

namespace {

// A picture or a line: NUL, which no item text and no query holds, so nothing
// matches it, and one byte, so it counts as one character.
constexpr std::string_view kObjectChar("\0", 1);
constexpr size_t kNone = std::string_view::npos;

const std::array<char, 128>& AsciiSmall() {
  static const std::array<char, 128> table = [] {
    std::array<char, 128> t{};
    for (int c = 0; c < 128; ++c) t[static_cast<size_t>(c)] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return t;
  }();
  return table;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The code point whose sequence starts at byte i of valid UTF-8.
char32_t DecodeAt(std::string_view s, size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  if (lead < 0x80) return lead;
  const size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  char32_t c = lead & (0x3F >> (len - 1));
  for (size_t k = 1; k < len && i + k < s.size(); ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  return c;
}

int CharsBefore(std::string_view text, size_t byte) {
  int n = 0;
  for (size_t i = 0; i < byte; ++i) n += IsContinuation(text[i]) ? 0 : 1;
  return n;
}

}  // namespace

void FoldCase(std::string_view text, std::string& out) {
  const std::array<char, 128>& small = AsciiSmall();
  const size_t start = out.size();
  out.resize(start + text.size());
  char* dst = out.data() + start;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      dst[i] = small[b];
      continue;
    }
    // Every capital SmallLetter knows lies in U+00C0..U+047F: two bytes
    // with a lead byte of C3 to D1, and its small letter takes two too.
    if (b >= 0xC3 && b <= 0xD1 && i + 1 < text.size() && IsContinuation(text[i + 1])) {
      const char32_t c = SmallLetter(((b & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu));
      dst[i] = static_cast<char>(0xC0 | (c >> 6));
      dst[i + 1] = static_cast<char>(0x80 | (c & 0x3F));
      ++i;
      continue;
    }
    dst[i] = text[i];
  }
}

TRVTextFinder::TRVTextFinder(std::string_view what, TRVSearchOptions options) : options_(options) {
  never_ = what.empty() || !IsValidUtf8(what) || what.find_first_of(std::string_view("\r\n\0", 3)) != kNone;
  if (options_.MatchCase) what_ = std::string(what);
  else FoldCase(what, what_);
}

std::string_view TRVTextFinder::ParaText(const TRVParagraph& para, std::string& buffer) const {
  const std::vector<TRVItem>& items = para.Items();
  if (options_.MatchCase && items.size() == 1 && items[0].AsText()) return items[0].AsText()->Text;
  buffer.clear();
  for (const TRVItem& item : items) {
    const TRVTextItemInfo* t = item.AsText();
    const std::string_view part = t ? std::string_view(t->Text) : kObjectChar;
    if (options_.MatchCase || !t) buffer.append(part);
    else FoldCase(part, buffer);
  }
  return buffer;
}

bool TRVTextFinder::WholeWordAt(std::string_view text, size_t pos) const {
  if (pos > 0) {
    size_t i = pos - 1;
    while (i > 0 && IsContinuation(text[i])) --i;
    if (WordCharClass(DecodeAt(text, i)) == 1) return false;
  }
  const size_t end = pos + what_.size();
  return end >= text.size() || WordCharClass(DecodeAt(text, end)) != 1;
}

size_t TRVTextFinder::Scan(std::string_view text, size_t lo, size_t hi, bool forward) const {
  const size_t len = what_.size();
  if (text.size() < len || lo > text.size() - len) return kNone;
  hi = std::min(hi, text.size() - len);
  if (lo > hi) return kNone;
  if (forward) {
    for (size_t pos = text.find(what_, lo); pos != kNone && pos <= hi; pos = text.find(what_, pos + 1))
      if (!options_.WholeWord || WholeWordAt(text, pos)) return pos;
    return kNone;
  }
  for (size_t pos = text.rfind(what_, hi); pos != kNone && pos >= lo; pos = text.rfind(what_, pos - 1)) {
    if (!options_.WholeWord || WholeWordAt(text, pos)) return pos;
    if (pos == 0) break;
  }
  return kNone;
}

TRVTextMatch TRVTextFinder::MatchAt(int para, std::string_view text, size_t pos) const {
  const int from = CharsBefore(text, pos);
  const int length = Utf8CharCount(text.substr(pos, what_.size()));
  return {{para, from}, {para, from + length}};
}

std::optional<TRVTextMatch> TRVTextFinder::Find(const TRVDocument& doc, TRVParaOffset at) const {
  const int n = doc.ParagraphCount();
  if (never_ || n == 0) return std::nullopt;
  at.Para = std::clamp(at.Para, 0, n - 1);
  std::string buffer;
  const size_t len = what_.size();
  auto scan = [&](int p, size_t lo, size_t hi) -> std::optional<TRVTextMatch> {
    const std::string_view text = ParaText(doc.Paragraph(p), buffer);
    const size_t pos = Scan(text, lo, hi, options_.Down);
    if (pos == kNone) return std::nullopt;
    return MatchAt(p, text, pos);
  };
  // The byte of `at` in its paragraph's text.
  size_t atByte = 0;
  {
    const std::string_view text = ParaText(doc.Paragraph(at.Para), buffer);
    atByte = Utf8ByteOffset(text, std::max(0, at.Offset));
  }
  std::optional<TRVTextMatch> m;
  if (options_.Down) {
    if ((m = scan(at.Para, atByte, kNone))) return m;
    for (int p = at.Para + 1; p < n; ++p)
      if ((m = scan(p, 0, kNone))) return m;
    if (!options_.Wrap) return std::nullopt;
    for (int p = 0; p < at.Para; ++p)
      if ((m = scan(p, 0, kNone))) return m;
    return atByte > 0 ? scan(at.Para, 0, atByte - 1) : std::nullopt;
  }
  if (atByte >= len && (m = scan(at.Para, 0, atByte - len))) return m;
  for (int p = at.Para - 1; p >= 0; --p)
    if ((m = scan(p, 0, kNone))) return m;
  if (!options_.Wrap) return std::nullopt;
  for (int p = n - 1; p > at.Para; --p)
    if ((m = scan(p, 0, kNone))) return m;
  return scan(at.Para, atByte >= len ? atByte - len + 1 : 0, kNone);
}

std::vector<TRVTextMatch> TRVTextFinder::FindAll(const TRVDocument& doc) const {
  std::vector<TRVTextMatch> all;
  if (never_) return all;
  std::string buffer;
  TRVTextFinder forward(*this);
  forward.options_.Down = true;
  for (int p = 0; p < doc.ParagraphCount(); ++p) {
    const std::string_view text = forward.ParaText(doc.Paragraph(p), buffer);
    // Characters are counted on from the last match, not from the start.
    size_t counted = 0;
    int chars = 0;
    for (size_t pos = forward.Scan(text, 0, kNone, true); pos != kNone;
         pos = forward.Scan(text, pos + what_.size(), kNone, true)) {
      chars += CharsBefore(text.substr(counted), pos - counted);
      counted = pos;
      const int length = Utf8CharCount(text.substr(pos, what_.size()));
      all.push_back({{p, chars}, {p, chars + length}});
    }
  }
  return all;
}

bool TRVTextFinder::Matches(const TRVDocument& doc, TRVParaOffset from, TRVParaOffset to) const {
  if (never_ || from.Para != to.Para || from.Para < 0 || from.Para >= doc.ParagraphCount()) return false;
  std::string buffer;
  const std::string_view text = ParaText(doc.Paragraph(from.Para), buffer);
  const size_t a = Utf8ByteOffset(text, from.Offset), b = Utf8ByteOffset(text, to.Offset);
  if (b < a || b - a != what_.size() || text.compare(a, what_.size(), what_) != 0) return false;
  return !options_.WholeWord || WholeWordAt(text, a);
}

}  // namespace nv
