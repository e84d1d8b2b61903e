// JPEG decoding: whatever the bytes, the decoder answers with a picture
// whose pixel buffer matches its size, or with EPictureError; it never
// crashes, leaks or ends the process.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "notebook/pictures/decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    // A smaller pixel limit than the program's keeps each run quick; the
    // code paths are the same.
    const nv::TBgraImage img = nv::DecodeJpeg({data, size}, 1u << 20);
    if (img.Width <= 0 || img.Height <= 0) std::abort();
    if (img.Pixels.size() != static_cast<std::size_t>(img.Width) * static_cast<std::size_t>(img.Height) * 4) std::abort();
  } catch (const nv::EPictureError&) {
  }
  return 0;
}
