#include "notebook/win32/picture_draw.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

#include "notebook/pictures/decode.h"
#include "ui/win32/unique_handle.h"

namespace nv {

namespace {

struct EnhMetaFileTraits {
  using handle_type = HENHMETAFILE;
  static handle_type Invalid() { return nullptr; }
  static bool IsValid(handle_type h) { return h != nullptr; }
  static void Close(handle_type h) { ::DeleteEnhMetaFile(h); }
};
struct MetaFileTraits {
  using handle_type = HMETAFILE;
  static handle_type Invalid() { return nullptr; }
  static bool IsValid(handle_type h) { return h != nullptr; }
  static void Close(handle_type h) { ::DeleteMetaFile(h); }
};
using UniqueEnhMetaFile = UniqueHandle<EnhMetaFileTraits>;
using UniqueMetaFile = UniqueHandle<MetaFileTraits>;

// Selects an object into a DC for the scope's lifetime.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
  ~SelectScope() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Saves the DC's state (mapping mode, origins, clip) for the scope.
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), id_(::SaveDC(dc)) {}
  ~SavedDc() {
    if (id_) ::RestoreDC(dc_, id_);
  }
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;

 private:
  HDC dc_;
  int id_;
};

std::uint32_t U16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

int RectWidth(const RECT& r) { return r.right - r.left; }
int RectHeight(const RECT& r) { return r.bottom - r.top; }

bool DrawBgra(HDC dc, const TBgraImage& img, const RECT& rect) {
  void* bits = nullptr;
  // Rows from the top, as decoded.
  UniqueGdiObject dib = TopDownDib32(dc, img.Width, img.Height, &bits);
  if (!dib || !bits) return false;
  // AlphaBlend wants the colours multiplied by alpha.
  auto* out = static_cast<std::uint8_t*>(bits);
  const std::uint8_t* in = img.Pixels.data();
  for (std::size_t i = 0; i < img.Pixels.size(); i += 4) {
    const unsigned a = in[i + 3];
    out[i] = static_cast<std::uint8_t>(in[i] * a / 255);
    out[i + 1] = static_cast<std::uint8_t>(in[i + 1] * a / 255);
    out[i + 2] = static_cast<std::uint8_t>(in[i + 2] * a / 255);
    out[i + 3] = static_cast<std::uint8_t>(a);
  }
  ::GdiFlush();
  UniqueHdc mem(::CreateCompatibleDC(dc));
  if (!mem) return false;
  SelectScope select(mem.get(), dib.get());
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  return ::AlphaBlend(dc, rect.left, rect.top, RectWidth(rect), RectHeight(rect), mem.get(), 0, 0, img.Width,
                      img.Height, blend) != FALSE;
}

// The bits a bitmap header needs, or nothing for compressions whose size
// the header alone does not fix.
std::optional<std::uint64_t> DibBitsSize(const BITMAPINFOHEADER& h) {
  const std::uint64_t w = static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(h.biWidth)));
  const std::uint64_t rows = static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(h.biHeight)));
  if (h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS)
    return (w * h.biBitCount + 31) / 32 * 4 * rows;
  if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) return h.biSizeImage;
  return std::nullopt;
}

bool DrawBmp(HDC dc, const std::uint8_t* b, std::size_t n, const RECT& rect) {
  constexpr std::size_t kFileHeader = 14;
  if (n < kFileHeader + sizeof(BITMAPINFOHEADER) || b[0] != 'B' || b[1] != 'M') return false;
  const std::uint8_t* dib = b + kFileHeader;
  const std::size_t dibSize = n - kFileHeader;
  const std::uint32_t headerSize = U32(dib);
  if (headerSize < sizeof(BITMAPINFOHEADER) || headerSize > dibSize) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib, sizeof h);
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1) return false;
  switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  // The colour table (or bit masks) between the header and the bits.
  std::uint64_t colors = h.biClrUsed ? h.biClrUsed : h.biBitCount <= 8 ? (1u << h.biBitCount) : 0;
  std::uint64_t table = colors * 4;
  if (h.biCompression == BI_BITFIELDS && headerSize == sizeof(BITMAPINFOHEADER)) table += 12;
  const auto bitsSize = DibBitsSize(h);
  const std::uint64_t offset = U32(b + 10);
  if (!bitsSize || headerSize + table > dibSize || offset < kFileHeader + headerSize || offset > n ||
      *bitsSize > n - offset)
    return false;
  // The info block GDI reads: header and table, copied so it is aligned.
  std::vector<std::uint8_t> info(static_cast<std::size_t>(std::max<std::uint64_t>(headerSize + table, sizeof(BITMAPINFO))));
  std::memcpy(info.data(), dib, static_cast<std::size_t>(headerSize + table));
  const int rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  ::SetStretchBltMode(dc, COLORONCOLOR);
  return ::StretchDIBits(dc, rect.left, rect.top, RectWidth(rect), RectHeight(rect), 0, 0, h.biWidth, rows, b + offset,
                         reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY) != 0;
}

bool DrawIco(HDC dc, const std::uint8_t* b, std::size_t n, const RECT& rect) {
  if (n < 6 || U16(b) != 0 || U16(b + 2) != 1) return false;
  const std::size_t count = U16(b + 4);
  if (count == 0 || 6 + count * 16 > n) return false;
  // The largest image, the deepest colours among equals.
  std::size_t best = 0;
  std::uint64_t bestScore = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* e = b + 6 + i * 16;
    const std::uint64_t w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    const std::uint64_t score = (w * h) << 8 | U16(e + 6);
    if (score > bestScore) bestScore = score, best = i;
  }
  const std::uint8_t* e = b + 6 + best * 16;
  const std::uint64_t size = U32(e + 8), offset = U32(e + 12);
  if (size == 0 || offset > n || size > n - offset || size > 0x7FFFFFFF) return false;
  const int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
  // The resource reader takes the image bytes by a non-const pointer.
  std::vector<BYTE> image(b + offset, b + offset + size);
  UniqueHIcon icon(::CreateIconFromResourceEx(image.data(), static_cast<DWORD>(size), TRUE, 0x00030000, w, h,
                                              LR_DEFAULTCOLOR));
  if (!icon) return false;
  return ::DrawIconEx(dc, rect.left, rect.top, icon.get(), RectWidth(rect), RectHeight(rect), 0, nullptr,
                      DI_NORMAL) != FALSE;
}

bool DrawWmf(HDC dc, const std::uint8_t* b, std::size_t n, const RECT& rect) {
  int left = 0, top = 0, width = 0, height = 0;
  if (n >= 22 && U32(b) == 0x9AC6CDD7u) {
    // The placeable header says what part of the metafile's space to show.
    left = static_cast<std::int16_t>(U16(b + 6));
    top = static_cast<std::int16_t>(U16(b + 8));
    width = static_cast<std::int16_t>(U16(b + 10)) - left;
    height = static_cast<std::int16_t>(U16(b + 12)) - top;
    b += 22;
    n -= 22;
  }
  if (n < 18 || n > 0x7FFFFFFF) return false;
  // The metafile's own size, in words, must lie within the bytes.
  if (static_cast<std::uint64_t>(U32(b + 6)) * 2 > n || U16(b + 2) != 9) return false;
  UniqueMetaFile mf(::SetMetaFileBitsEx(static_cast<UINT>(n), b));
  if (!mf) return false;
  SavedDc saved(dc);
  ::SetMapMode(dc, MM_ANISOTROPIC);
  if (width != 0 && height != 0) {
    ::SetWindowOrgEx(dc, left, top, nullptr);
    ::SetWindowExtEx(dc, width, height, nullptr);
  }
  ::SetViewportOrgEx(dc, rect.left, rect.top, nullptr);
  ::SetViewportExtEx(dc, RectWidth(rect), RectHeight(rect), nullptr);
  ::IntersectClipRect(dc, left, top, left + (width ? width : 0x7FFF), top + (height ? height : 0x7FFF));
  return ::PlayMetaFile(dc, mf.get()) != FALSE;
}

bool DrawEmf(HDC dc, const std::uint8_t* b, std::size_t n, const RECT& rect) {
  if (n < 88 || U32(b) != 1 || U32(b + 40) != 0x464D4520u || U32(b + 48) > n || n > 0x7FFFFFFF) return false;
  UniqueEnhMetaFile emf(::SetEnhMetaFileBits(static_cast<UINT>(n), b));
  if (!emf) return false;
  return ::PlayEnhMetaFile(dc, emf.get(), &rect) != FALSE;
}

// Painting happens far more often than a picture changes, so the last
// decoded pictures are kept. An entry holds its own share of the bytes, so
// the address it is found by cannot be reused by other bytes while it
// lives. Only the GUI thread paints.
class DecodedCache {
 public:
  const TBgraImage& Get(TRVPictureKind kind, const SharedBytes& bytes) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
      if (it->bytes.data() == bytes.data() && it->bytes.size() == bytes.size() && it->kind == kind) {
        if (it != entries_.begin()) {
          Entry found = std::move(*it);
          entries_.erase(it);
          entries_.push_front(std::move(found));
        }
        return entries_.front().image;
      }
    TBgraImage img = kind == TRVPictureKind::Jpg   ? DecodeJpeg(bytes.span())
                     : kind == TRVPictureKind::Gif ? DecodeGif(bytes.span())
                                                   : DecodePng(bytes.span());
    total_ += img.Pixels.size();
    entries_.push_front({kind, bytes, std::move(img)});
    while (entries_.size() > 1 && (entries_.size() > kMaxEntries || total_ > kMaxBytes)) {
      total_ -= entries_.back().image.Pixels.size();
      entries_.pop_back();
    }
    return entries_.front().image;
  }

 private:
  static constexpr std::size_t kMaxEntries = 32;
  static constexpr std::size_t kMaxBytes = 64u << 20;
  struct Entry {
    TRVPictureKind kind;
    SharedBytes bytes;
    TBgraImage image;
  };
  std::deque<Entry> entries_;
  std::size_t total_ = 0;
};

DecodedCache& Cache() {
  static DecodedCache cache;
  return cache;
}

}  // namespace

bool DrawPicture(HDC dc, TRVPictureKind kind, const SharedBytes& bytes, const RECT& rect) {
  if (!dc || bytes.empty() || RectWidth(rect) <= 0 || RectHeight(rect) <= 0) return false;
  try {
    switch (kind) {
      case TRVPictureKind::Jpg:
      case TRVPictureKind::Gif:
      case TRVPictureKind::Png:
        return DrawBgra(dc, Cache().Get(kind, bytes), rect);
      case TRVPictureKind::Bmp:
        return DrawBmp(dc, bytes.data(), bytes.size(), rect);
      case TRVPictureKind::Ico:
        return DrawIco(dc, bytes.data(), bytes.size(), rect);
      case TRVPictureKind::Wmf:
        return DrawWmf(dc, bytes.data(), bytes.size(), rect);
      case TRVPictureKind::Emf:
        return DrawEmf(dc, bytes.data(), bytes.size(), rect);
    }
  } catch (...) {
    // Bad data, or no memory for the pixels: the placeholder is shown.
  }
  return false;
}

}  // namespace nv
