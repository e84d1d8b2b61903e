#include "richview/pictures.h"

#include <algorithm>
#include <cstring>

#include "ui/text.h"

namespace nv {

std::string_view PictureKindExtension(TRVPictureKind kind) {
  switch (kind) {
    case TRVPictureKind::Bmp: return ".bmp";
    case TRVPictureKind::Wmf: return ".wmf";
    case TRVPictureKind::Emf: return ".emf";
    case TRVPictureKind::Ico: return ".ico";
    case TRVPictureKind::Jpg: return ".jpg";
    case TRVPictureKind::Gif: return ".gif";
    case TRVPictureKind::Png: return ".png";
  }
  return {};
}

std::optional<TRVPictureKind> PictureKindFromExtension(std::string_view ext) {
  if (!ext.empty() && ext.front() == '.') ext.remove_prefix(1);
  const std::string e = AsciiLower(ext);
  if (e == "bmp" || e == "dib") return TRVPictureKind::Bmp;
  if (e == "wmf") return TRVPictureKind::Wmf;
  if (e == "emf") return TRVPictureKind::Emf;
  if (e == "ico") return TRVPictureKind::Ico;
  if (e == "jpg" || e == "jpeg" || e == "jpe") return TRVPictureKind::Jpg;
  if (e == "gif") return TRVPictureKind::Gif;
  if (e == "png") return TRVPictureKind::Png;
  return std::nullopt;
}

std::optional<TRVPictureKind> DetectPictureKind(std::span<const std::uint8_t> b) {
  auto starts = [&](std::initializer_list<std::uint8_t> sig, size_t at = 0) {
    return b.size() >= at + sig.size() && std::equal(sig.begin(), sig.end(), b.begin() + at);
  };
  if (starts({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return TRVPictureKind::Png;
  if (starts({0xFF, 0xD8, 0xFF})) return TRVPictureKind::Jpg;
  if (starts({'G', 'I', 'F', '8', '7', 'a'}) || starts({'G', 'I', 'F', '8', '9', 'a'}))
    return TRVPictureKind::Gif;
  if (starts({'B', 'M'})) return TRVPictureKind::Bmp;
  // Enhanced metafile: a header record (type 1) whose signature is " EMF".
  if (starts({1, 0, 0, 0}) && starts({' ', 'E', 'M', 'F'}, 40)) return TRVPictureKind::Emf;
  // Windows metafile: the placeable header's key, or a bare metafile header
  // (memory or disk type, header size 9 words, version 1.0 or 3.0).
  if (starts({0xD7, 0xCD, 0xC6, 0x9A})) return TRVPictureKind::Wmf;
  if ((starts({1, 0, 9, 0}) || starts({2, 0, 9, 0})) &&
      (starts({0x00, 0x03}, 4) || starts({0x00, 0x01}, 4)))
    return TRVPictureKind::Wmf;
  if (starts({0, 0, 1, 0})) return TRVPictureKind::Ico;
  return std::nullopt;
}

SharedBytes::SharedBytes(std::vector<std::uint8_t> bytes)
    : bytes_(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes))) {}

SharedBytes::SharedBytes(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  bytes_ = std::make_shared<const std::vector<std::uint8_t>>(p, p + size);
}

bool operator==(const SharedBytes& a, const SharedBytes& b) {
  if (a.bytes_ == b.bytes_) return true;
  return a.size() == b.size() && (a.size() == 0 || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

}  // namespace nv
