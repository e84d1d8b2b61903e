// The code-page conversions through iconv, for the builds that do not run
// on Windows (tests, benchmarks, fuzz targets).
#include <errno.h>
#include <iconv.h>

#include <array>
#include <utility>

#include "codec/code_page.h"
#include "ui/text.h"

namespace nv {
namespace {

// iconv's names of the Windows code pages whose number is not in the name.
// The Macintosh East Asian code pages read as the standard sets they extend.
constexpr std::array<std::pair<int, const char*>, 34> kIconvNames = {{
    {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"}, {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},
    {38598, "ISO-8859-8"}, {28599, "ISO-8859-9"},  {28600, "ISO-8859-10"}, {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"}, {28606, "ISO-8859-16"}, {20866, "KOI8-R"},     {21866, "KOI8-U"},
    {10000, "MACINTOSH"},  {10007, "MAC-CYRILLIC"}, {20932, "EUC-JP"},     {51932, "EUC-JP"},
    {50220, "ISO-2022-JP"}, {54936, "GB18030"},    {1361, "JOHAB"},        {65001, "UTF-8"},
    {20127, "ASCII"},      {874, "CP874"},         {20936, "GB2312"},
    {10001, "SHIFT_JIS"},  {10002, "BIG5"},        {10003, "EUC-KR"},      {10008, "GB2312"},
    {10017, "MAC-UK"},     {10029, "MAC-CENTRALEUROPE"}, {10079, "MAC-IS"},
}};

std::string IconvName(int codePage) {
  for (const auto& [cp, name] : kIconvNames)
    if (cp == codePage) return name;
  return "CP" + std::to_string(codePage);
}

class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts in; on a sequence it cannot convert, calls bad(rest, out) which
  // appends what stands for it and returns how many input bytes it took
  // (0: give up).
  template <class OnBad>
  bool Run(std::string_view in, std::string& out, OnBad bad) {
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    std::array<char, 4096> buf;
    while (left > 0) {
      char* dst = buf.data();
      size_t room = buf.size();
      const size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
      if (r != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
      const size_t took = bad(std::string_view(src, left), out);
      if (took == 0) return false;
      src += took;
      left -= took;
    }
    char* dst = buf.data();
    size_t room = buf.size();
    iconv(cd_, nullptr, nullptr, &dst, &room);  // a stateful encoding's closing shift
    out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
    return true;
  }

 private:
  iconv_t cd_;
};

bool IsWindowsWesternPage(int codePage) { return codePage >= 1250 && codePage <= 1258; }

// Length of the UTF-8 sequence starting with b (1 for a stray byte).
size_t Utf8Length(unsigned char b) {
  if (b >= 0xF0 && b <= 0xF4) return 4;
  if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
  if (b >= 0xC2) return 2;
  return 1;
}

std::optional<std::string> FromUtf8(int codePage, std::string_view utf8, bool exact) {
  // iconv takes only valid UTF-8: a bad sequence becomes U+FFFD first.
  const std::string clean = Utf16ToUtf8(Utf8ToUtf16(utf8));
  Converter c(IconvName(codePage), "UTF-8");
  if (!c.ok()) return std::nullopt;
  std::string out;
  const bool done = c.Run(clean, out, [&](std::string_view rest, std::string& o) -> size_t {
    if (exact && !(IsWindowsWesternPage(codePage) && rest.size() >= 2 &&
                   static_cast<unsigned char>(rest[0]) == 0xC2 && static_cast<unsigned char>(rest[1]) < 0xA0))
      return 0;
    const size_t n = std::min(rest.size(), Utf8Length(static_cast<unsigned char>(rest[0])));
    // A C1 control goes back to its unassigned byte, where the page has one.
    if (IsWindowsWesternPage(codePage) && n == 2 && static_cast<unsigned char>(rest[0]) == 0xC2) {
      const char byte = rest[1];
      std::string c1;
      AppendUtf8(c1, static_cast<unsigned char>(byte));
      if (CodePageToUtf8(codePage, std::string_view(&byte, 1)) == c1) {
        o += byte;
        return n;
      }
      if (exact) return 0;
    }
    o += '?';
    return n;
  });
  if (!done) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::string> CodePageToUtf8(int codePage, std::string_view bytes) {
  Converter c("UTF-8", IconvName(codePage));
  if (!c.ok()) return std::nullopt;
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  c.Run(bytes, out, [&](std::string_view rest, std::string& o) -> size_t {
    const auto b = static_cast<unsigned char>(rest[0]);
    AppendUtf8(o, IsWindowsWesternPage(codePage) && b >= 0x80 && b < 0xA0 ? b : 0xFFFD);
    return 1;
  });
  return out;
}

std::optional<std::string> Utf8ToCodePage(int codePage, std::string_view utf8) {
  return FromUtf8(codePage, utf8, false);
}

std::optional<std::string> Utf8ToCodePageExactly(int codePage, std::string_view utf8) {
  return FromUtf8(codePage, utf8, true);
}

bool IsCodePageAvailable(int codePage) { return Converter("UTF-8", IconvName(codePage)).ok(); }

int SystemAnsiCodePage() { return 1252; }

}  // namespace nv
