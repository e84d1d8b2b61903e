// Base64 decoding of any input: the component refuses bad text with its one
// message and leaves the destination alone, and the vector and scalar passes
// agree on every input, working on exact-size copies so that any access
// beyond the text is caught.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "codec/base64.h"
#include "codec/clencoder.h"
#include "codec/streams.h"

namespace {

// The decoded bytes, or nullopt-like flag on the error.
bool Pass(const std::uint8_t* data, std::size_t size, bool simd, std::string& out) {
  std::vector<std::uint8_t> buf(data, data + size);
  try {
    const std::size_t n = nv::base64::DecodeInPlace(buf.data(), buf.size(), simd);
    if (n > size / 4 * 3 + 2) std::abort();
    out.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
  } catch (const nv::EclEncoderError& e) {
    if (std::strcmp(e.what(), "Wrong symbols in source stream.") != 0) std::abort();
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string vector, scalar;
  const bool okVector = Pass(data, size, true, vector);
  const bool okScalar = Pass(data, size, false, scalar);
  if (okVector != okScalar || vector != scalar) std::abort();

  nv::TclEncoder enc;
  nv::TMemoryStream src(std::string_view(reinterpret_cast<const char*>(data), size));
  nv::TMemoryStream dst("kept");
  dst.Seek(0, nv::TSeekOrigin::soEnd);
  try {
    enc.Decode(src, dst, nv::encBase64);
    if (!okScalar || dst.View() != "kept" + scalar) std::abort();
  } catch (const nv::EclEncoderError&) {
    if (okScalar || dst.View() != "kept") std::abort();
  }
  return 0;
}
