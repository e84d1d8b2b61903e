// Quoted-printable decoding of any input: bad escapes raise the component's
// message, and whatever decodes encodes and decodes back to itself.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "codec/clencoder.h"
#include "codec/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nv::TclEncoder enc;
  nv::TMemoryStream src(std::string_view(reinterpret_cast<const char*>(data), size));
  nv::TMemoryStream dst("old");
  try {
    enc.Decode(src, dst, nv::encQuotedPrintable);
  } catch (const nv::EclEncoderError& e) {
    if (std::strcmp(e.what(), "Wrong quoted-printed symbols.") != 0) std::abort();
  }
  // Every input character gives at most two bytes (a lone line break
  // becomes CR LF).
  if (size != 0 && dst.Size() > 2 * static_cast<std::int64_t>(size)) std::abort();
  if (size == 0 && dst.View() != "old") std::abort();
  if (size == 0) return 0;

  const std::string decoded = dst.ToString();
  nv::TMemoryStream plain(decoded), text, back;
  enc.CharsPerLine = static_cast<std::int32_t>(size % 90);
  enc.Encode(plain, text, nv::encQuotedPrintable);
  text.SetPosition(0);
  enc.Decode(text, back, nv::encQuotedPrintable);
  if (back.View() != decoded) std::abort();
  return 0;
}
