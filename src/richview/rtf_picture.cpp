#include "richview/rtf_picture.h"

#include <cstdlib>

namespace nv {

namespace {

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint16_t Be16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}
std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at) {
  return (static_cast<std::uint32_t>(Be16(b, at)) << 16) | Be16(b, at + 2);
}
void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // the old OS/2 header, 3-byte palette entries
constexpr std::uint32_t kBitFields = 3;

// Bytes between the start of the DIB and its bits: header, optional colour
// masks and the colour table.
std::uint64_t DibBitsOffset(std::span<const std::uint8_t> dib) {
  const std::uint32_t headerSize = Le32(dib, 0);
  if (headerSize == kCoreHeaderSize) {
    const std::uint16_t bits = Le16(dib, 10);
    return headerSize + (bits <= 8 ? (std::uint64_t{1} << bits) * 3 : 0);
  }
  if (dib.size() < 40) return headerSize;
  const std::uint16_t bits = Le16(dib, 14);
  const std::uint32_t compression = Le32(dib, 16);
  const std::uint32_t used = Le32(dib, 32);
  std::uint64_t colors = used != 0 ? used : (bits <= 8 ? std::uint64_t{1} << bits : 0);
  std::uint64_t offset = headerSize + colors * 4;
  if (headerSize == 40 && compression == kBitFields) offset += 12;
  return offset;
}

std::optional<std::pair<int, int>> Positive(std::int64_t w, std::int64_t h) {
  if (w <= 0 || h <= 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return std::nullopt;
  return std::pair<int, int>{static_cast<int>(w), static_cast<int>(h)};
}

std::optional<std::pair<int, int>> DibSize(std::span<const std::uint8_t> dib) {
  if (dib.size() < 16) return std::nullopt;
  if (Le32(dib, 0) == kCoreHeaderSize) return Positive(Le16(dib, 4), Le16(dib, 6));
  const auto height = static_cast<std::int32_t>(Le32(dib, 8));
  return Positive(static_cast<std::int32_t>(Le32(dib, 4)),
                  height < 0 ? -static_cast<std::int64_t>(height) : height);
}

std::optional<std::pair<int, int>> JpegSize(std::span<const std::uint8_t> b) {
  std::size_t i = 2;
  while (i + 9 <= b.size()) {
    if (b[i] != 0xFF) return std::nullopt;
    const std::uint8_t marker = b[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 &&
                              marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) return Positive(Be16(b, i + 7), Be16(b, i + 5));
    i += 2 + Be16(b, i + 2);
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::uint8_t> DibToBmpFile(std::span<const std::uint8_t> dib) {
  if (dib.size() < kCoreHeaderSize) return {};
  const std::uint32_t headerSize = Le32(dib, 0);
  if (headerSize < kCoreHeaderSize || headerSize > dib.size()) return {};
  const std::uint64_t total = kFileHeaderSize + std::uint64_t{dib.size()};
  if (total > 0xFFFFFFFFu) return {};
  std::uint64_t bits = kFileHeaderSize + DibBitsOffset(dib);
  if (bits > total) bits = total;  // a damaged header must not point past the file
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(total));
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, static_cast<std::uint32_t>(total));
  PutLe32(out, 0);
  PutLe32(out, static_cast<std::uint32_t>(bits));
  out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

std::optional<std::span<const std::uint8_t>> BmpFileToDib(std::span<const std::uint8_t> bmp) {
  if (bmp.size() < kFileHeaderSize + kCoreHeaderSize || bmp[0] != 'B' || bmp[1] != 'M')
    return std::nullopt;
  return bmp.subspan(kFileHeaderSize);
}

std::optional<std::pair<int, int>> PictureHeaderSize(TRVPictureKind kind,
                                                     std::span<const std::uint8_t> b) {
  switch (kind) {
    case TRVPictureKind::Png:
      if (b.size() < 24) return std::nullopt;
      return Positive(Be32(b, 16), Be32(b, 20));
    case TRVPictureKind::Jpg:
      return JpegSize(b);
    case TRVPictureKind::Gif:
      if (b.size() < 10) return std::nullopt;
      return Positive(Le16(b, 6), Le16(b, 8));
    case TRVPictureKind::Bmp:
      if (b.size() < kFileHeaderSize) return std::nullopt;
      return DibSize(b.subspan(kFileHeaderSize));
    default:
      return std::nullopt;
  }
}

}  // namespace nv
