#include "richview/rtf_codepage.h"

#include <array>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "codec/code_page.h"
#include "ui/text.h"

namespace nv {

namespace {

// The upper halves (bytes 0x80..0xFF) of the single-byte code pages met so
// far, read once from the code-page service: RTF text arrives a few bytes
// at a time, too little to convert each run on its own.
struct UpperHalf {
  bool available = false;
  std::array<char32_t, 128> chars{};
};

const UpperHalf& UpperHalfOf(int codePage) {
  static std::mutex mutex;
  static std::map<int, UpperHalf> halves;
  const std::lock_guard<std::mutex> lock(mutex);
  auto [it, added] = halves.try_emplace(codePage);
  if (!added) return it->second;
  UpperHalf& half = it->second;
  // Double-byte code pages have single-byte characters too (Japanese
  // half-width katakana); their lead bytes alone stay U+FFFD.
  half.available = IsCodePageAvailable(codePage);
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char byte = static_cast<char>(b);
    char32_t c = 0xFFFD;
    if (half.available && CharacterByteCount(codePage, static_cast<std::uint8_t>(b)) == 1) {
      const std::optional<std::string> utf8 = CodePageToUtf8(codePage, std::string_view(&byte, 1));
      if (utf8) {
        const std::u16string units = Utf8ToUtf16(*utf8);
        if (units.size() == 1) c = units[0];
      }
    }
    half.chars[static_cast<size_t>(b - 0x80)] = c;
  }
  return half;
}

// Windows character sets and their code pages; 77..89 are the
// Macintosh ones (82, old Macintosh Johab, has no code page).
constexpr std::array<std::pair<int, int>, 31> kCharsets = {{
    {0, 1252},   {2, kCodePageSymbol}, {77, 10000}, {78, 10001}, {79, 10003},
    {80, 10008}, {81, 10002}, {83, 10005}, {84, 10004}, {85, 10006},
    {86, 10081}, {87, 10021}, {88, 10029}, {89, 10007}, {128, 932},  {129, 949},
    {130, 1361}, {134, 936},  {136, 950},  {161, 1253}, {162, 1254},
    {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251},
    {222, 874},  {238, 1250}, {254, 437},  {255, 850},
}};

}  // namespace

std::optional<int> CharsetCodePage(int charset) {
  for (const auto& [set, cp] : kCharsets)
    if (set == charset) return cp;
  return std::nullopt;
}

bool IsDoubleByteCodePage(int codePage) {
  switch (codePage) {
    case 932: case 936: case 949: case 950: case 1361:
    case 10001: case 10002: case 10003: case 10008:
      return true;
    default:
      return false;
  }
}

bool IsLeadByte(int codePage, std::uint8_t b) {
  if (!IsDoubleByteCodePage(codePage)) return false;
  if (codePage == 932 || codePage == 10001) return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  // The Macintosh Korean and Simplified Chinese sets are EUC: their single
  // bytes 0x81..0xA0 are characters of their own.
  if (codePage == 10003 || codePage == 10008) return b >= 0xA1 && b <= 0xFE;
  return b >= 0x81 && b <= 0xFE;
}

int CharacterByteCount(int codePage, std::uint8_t lead) {
  if (codePage == kCodePageUtf8) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
  }
  return IsLeadByte(codePage, lead) ? 2 : 1;
}

bool IsTrailByte(int codePage, std::uint8_t b) {
  if (codePage == kCodePageUtf8) return b >= 0x80 && b <= 0xBF;
  const std::uint8_t lowest = codePage == 1361 ? 0x31 : 0x40;  // Johab trails start at '1'
  return b >= lowest && b != 0x7F && b != 0xFF;
}

std::string MultiByteToUtf8(int codePage, std::string_view bytes) {
  std::optional<std::string> utf8 = CodePageToUtf8(codePage, bytes);
  if (!utf8 || utf8->empty()) return "\xEF\xBF\xBD";
  return std::move(*utf8);
}

bool HasCodePageTable(int codePage) {
  if (IsDoubleByteCodePage(codePage) || codePage == kCodePageUtf8) return false;
  return codePage == kCodePageSymbol || UpperHalfOf(codePage).available;
}

char32_t SingleByteToUnicode(int codePage, std::uint8_t b) {
  if (b < 0x80) return b;
  // Symbol fonts keep their bytes: U+0080..U+00FF reach the same glyphs
  // when the text is shown in that font.
  if (codePage == kCodePageSymbol) return b;
  return UpperHalfOf(codePage).chars[b - 0x80];
}

std::optional<std::uint8_t> UnicodeToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
  // The writer asks for every character it writes: the row 0x80..0x9F,
  // the only one that is not Latin-1, is looked up in the cached half.
  const UpperHalf& half = UpperHalfOf(kCodePageAnsi);
  for (std::size_t i = 0; i < 0x20; ++i)
    if (half.chars[i] == c && c != 0xFFFD) return static_cast<std::uint8_t>(0x80 + i);
  return std::nullopt;
}

}  // namespace nv
