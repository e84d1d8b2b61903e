// Item text cleaning: whatever bytes a reader hands over, the cleaned text
// is valid item text, and the validity check agrees with the UTF-16 round
// trip that repairs bad sequences.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "richview/utf8.h"
#include "ui/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);
  const bool valid = nv::IsValidUtf8(s);
  if (valid != (nv::Utf16ToUtf8(nv::Utf8ToUtf16(s)) == s)) std::abort();

  const std::string clean = nv::CleanItemText(s);
  if (!nv::IsValidUtf8(clean)) std::abort();
  if (clean.find('\0') != std::string::npos || clean.find('\r') != std::string::npos) std::abort();

  // Character offsets map to sequence starts, in order, ending at the end.
  const int count = nv::Utf8CharCount(clean);
  std::size_t last = 0;
  for (int i = 0; i <= count; ++i) {
    const std::size_t at = nv::Utf8ByteOffset(clean, i);
    if ((i > 0 && at <= last) || at > clean.size()) std::abort();
    if (at < clean.size() && (static_cast<unsigned char>(clean[at]) & 0xC0) == 0x80) std::abort();
    last = at;
  }
  if (last != clean.size()) std::abort();
  return 0;
}
