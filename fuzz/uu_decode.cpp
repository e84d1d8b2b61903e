// UU decoding of any input: it never fails, never yields more than 63 bytes
// per line, and what it yields survives an encode and decode.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "codec/clencoder.h"
#include "codec/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nv::TclEncoder enc;
  nv::TMemoryStream src(std::string_view(reinterpret_cast<const char*>(data), size));
  nv::TMemoryStream dst;
  enc.Decode(src, dst, nv::encUU);
  std::int64_t lines = 1;
  for (std::size_t i = 0; i < size; ++i) lines += data[i] == '\r' || data[i] == '\n';
  if (dst.Size() > 63 * lines) std::abort();

  const std::string decoded = dst.ToString();
  nv::TMemoryStream plain(decoded), text, back;
  enc.CharsPerLine = static_cast<std::int32_t>(size % 100) - 5;
  enc.Encode(plain, text, nv::encUU);
  text.SetPosition(0);
  enc.Decode(text, back, nv::encUU);
  if (back.View() != decoded) std::abort();
  return 0;
}
