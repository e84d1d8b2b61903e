#include "notebook/pictures/picture_check.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "richview/document.h"
#include "richview/rtf_picture.h"

namespace nv {

namespace {

constexpr int kDefaultMetafileSize = 96;

std::uint32_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8);
}
std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }
std::int64_t S32(std::span<const std::uint8_t> b, std::size_t at) { return static_cast<std::int32_t>(U32(b, at)); }
std::int64_t S16(std::span<const std::uint8_t> b, std::size_t at) { return static_cast<std::int16_t>(U16(b, at)); }

[[noreturn]] void Bad(const char* kind) { throw EPictureError(std::string("Bad ") + kind + " picture"); }

int Clamp(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, 1, kMaxPictureSize)); }

std::pair<int, int> IconSize(std::span<const std::uint8_t> b) {
  // ICONDIR: reserved 0, type 1 (icon), count; then 16-byte entries.
  if (b.size() < 22 || U16(b, 0) != 0 || U16(b, 2) != 1 || U16(b, 4) == 0) Bad("icon");
  const std::uint64_t count = U16(b, 4);
  if (6 + count * 16 > b.size()) Bad("icon");
  const std::uint64_t bytes = U32(b, 14), offset = U32(b, 18);
  if (bytes == 0 || offset < 6 + count * 16 || offset + bytes > b.size()) Bad("icon");
  // 0 stands for 256.
  return {b[6] ? b[6] : 256, b[7] ? b[7] : 256};
}

std::pair<int, int> WmfSize(std::span<const std::uint8_t> b) {
  if (DetectPictureKind(b) != TRVPictureKind::Wmf) Bad("metafile");
  if (b.size() >= 22 && U32(b, 0) == 0x9AC6CDD7u) {
    // The placeable header: bounding box in metafile units, units per inch.
    const std::int64_t w = std::llabs(S16(b, 10) - S16(b, 6)), h = std::llabs(S16(b, 12) - S16(b, 8));
    const std::int64_t inch = U16(b, 14);
    if (inch > 0 && w > 0 && h > 0) return {Clamp(w * 96 / inch), Clamp(h * 96 / inch)};
  }
  return {kDefaultMetafileSize, kDefaultMetafileSize};
}

std::pair<int, int> EmfSize(std::span<const std::uint8_t> b) {
  // ENHMETAHEADER: type 1, size, bounds (device units), frame (0.01 mm),
  // signature " EMF" at 40.
  if (b.size() < 88 || U32(b, 0) != 1 || U32(b, 40) != 0x464D4520u) Bad("enhanced metafile");
  const std::int64_t fw = S32(b, 32) - S32(b, 24), fh = S32(b, 36) - S32(b, 28);
  if (fw > 0 && fh > 0) return {Clamp(fw * 96 / 2540), Clamp(fh * 96 / 2540)};
  const std::int64_t bw = S32(b, 16) - S32(b, 8) + 1, bh = S32(b, 20) - S32(b, 12) + 1;
  if (bw > 0 && bh > 0) return {Clamp(bw), Clamp(bh)};
  return {kDefaultMetafileSize, kDefaultMetafileSize};
}

}  // namespace

std::pair<int, int> CheckPicture(TRVPictureKind kind, std::span<const std::uint8_t> bytes) {
  switch (kind) {
    case TRVPictureKind::Jpg: {
      const TBgraImage img = DecodeJpeg(bytes);
      return {img.Width, img.Height};
    }
    case TRVPictureKind::Gif: {
      const TBgraImage img = DecodeGif(bytes);
      return {img.Width, img.Height};
    }
    case TRVPictureKind::Png: {
      const TBgraImage img = DecodePng(bytes);
      return {img.Width, img.Height};
    }
    case TRVPictureKind::Bmp: {
      const auto size = DetectPictureKind(bytes) == TRVPictureKind::Bmp ? PictureHeaderSize(kind, bytes) : std::nullopt;
      if (!size || size->first > kMaxPictureSize || size->second > kMaxPictureSize) Bad("bitmap");
      return *size;
    }
    case TRVPictureKind::Ico:
      return IconSize(bytes);
    case TRVPictureKind::Wmf:
      return WmfSize(bytes);
    case TRVPictureKind::Emf:
      return EmfSize(bytes);
  }
  Bad("unknown");
}

}  // namespace nv
