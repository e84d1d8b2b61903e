#include "notebook/win32/metafile_png.h"

#include <windows.h>

#include <cstring>

#include "notebook/pictures/encode_png.h"
#include "notebook/win32/picture_draw.h"
#include "ui/win32/unique_handle.h"

namespace nv {

namespace {

// What GDI draws of the picture at its shown size over white.
std::optional<std::string> DrawnToPng(const TRVPictureItemInfo& picture) {
  if (picture.Width <= 0 || picture.Height <= 0 ||
      static_cast<std::uint64_t>(picture.Width) * static_cast<std::uint64_t>(picture.Height) > kMaxDecodedPixels)
    return std::nullopt;
  try {
    UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return std::nullopt;
    void* bits = nullptr;
    UniqueGdiObject dib = TopDownDib32(dc.get(), picture.Width, picture.Height, &bits);
    if (!dib || !bits) return std::nullopt;
    TBgraImage image;
    image.Width = picture.Width;
    image.Height = picture.Height;
    const std::size_t bytes = static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height) * 4;
    std::memset(bits, 0xFF, bytes);
    {
      HGDIOBJ old = ::SelectObject(dc.get(), dib.get());
      const RECT rect{0, 0, picture.Width, picture.Height};
      const bool drawn = DrawPicture(dc.get(), picture.Kind, picture.Data, rect);
      ::GdiFlush();
      ::SelectObject(dc.get(), old);
      if (!drawn) return std::nullopt;
    }
    const auto* p = static_cast<const std::uint8_t*>(bits);
    image.Pixels.assign(p, p + bytes);
    // GDI leaves the fourth byte as it was or clears it: the page is opaque.
    for (std::size_t i = 3; i < bytes; i += 4) image.Pixels[i] = 255;
    return EncodePng(image);
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<std::string> MetafileToPng(const TRVPictureItemInfo& picture) {
  if (picture.Kind != TRVPictureKind::Wmf && picture.Kind != TRVPictureKind::Emf) return std::nullopt;
  return DrawnToPng(picture);
}

std::optional<std::string> GifIcoToPng(const TRVPictureItemInfo& picture) {
  if (picture.Kind == TRVPictureKind::Gif) return GifToPng(picture.Data.span());
  if (picture.Kind == TRVPictureKind::Ico) return DrawnToPng(picture);
  return std::nullopt;
}

}  // namespace nv
