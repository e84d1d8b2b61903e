// Decoding of the compressed picture kinds (JPEG, GIF, PNG) into plain
// 32-bit pixels, through the format libraries. The bytes come from files the
// user picked, from RTF documents and from the clipboard, so anything may
// arrive: every decoder answers bad data with an EPictureError naming what is
// wrong and never ends the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ui/errors.h"

namespace nv {

class EPictureError : public Exception {
 public:
  using Exception::Exception;
};

// Rows from the top, 4 bytes a pixel in the order blue, green, red, alpha;
// alpha is straight (not multiplied into the colours), 255 = opaque.
struct TBgraImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;  // Width * Height * 4 bytes

  const std::uint8_t* Pixel(int x, int y) const {
    return Pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)) * 4;
  }
};

// Pictures larger than this many pixels are refused rather than decoded: a
// header can claim any size, and the memory is taken before the first row.
inline constexpr std::uint64_t kMaxDecodedPixels = 64ull << 20;

// Baseline and progressive JPEG in grey, YCbCr, RGB, CMYK and YCCK. Data
// that ends early gives the rows read so far over grey, as viewers show it.
TBgraImage DecodeJpeg(std::span<const std::uint8_t> bytes, std::uint64_t maxPixels = kMaxDecodedPixels);

// The first frame of a GIF on its logical screen; the transparent colour of
// the frame's graphic control block, and the screen outside the frame, come
// out with alpha 0.
TBgraImage DecodeGif(std::span<const std::uint8_t> bytes, std::uint64_t maxPixels = kMaxDecodedPixels);

// Every PNG colour type and bit depth, interlaced or not, with its tRNS
// transparency.
TBgraImage DecodePng(std::span<const std::uint8_t> bytes, std::uint64_t maxPixels = kMaxDecodedPixels);

}  // namespace nv
