// Picture data held by picture items.
//
// A picture keeps the bytes of its file exactly as they were read, so that
// writers can copy them out unchanged and documents round-trip exactly. The
// bytes are shared and immutable: copying an item (undo records, clipboard
// fragments, document copies) does not copy the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace nv {

// What the bytes of a picture are:
//   Bmp  a complete .bmp file (file header, info header, palette, bits);
//        readers of bare device-independent bitmaps put the file header in
//        front;
//   Wmf  a Windows metafile as in a .wmf file, with or without the
//        placeable header in front;
//   Emf  an enhanced metafile;
//   Ico  an .ico file;
//   Jpg, Gif, Png  the files of those formats.
enum class TRVPictureKind : std::uint8_t { Bmp = 0, Wmf = 1, Emf = 2, Ico = 3, Jpg = 4, Gif = 5, Png = 6 };
inline constexpr TRVPictureKind kLastPictureKind = TRVPictureKind::Png;

// ".bmp", ".wmf", ".emf", ".ico", ".jpg", ".gif", ".png".
std::string_view PictureKindExtension(TRVPictureKind kind);

// The kind for a file extension with or without its dot, letters in any
// case (".JPEG" and "jpe" count as Jpg); nothing for other extensions.
std::optional<TRVPictureKind> PictureKindFromExtension(std::string_view ext);

// The kind the bytes' signature shows; nothing when no known signature.
std::optional<TRVPictureKind> DetectPictureKind(std::span<const std::uint8_t> bytes);

// Immutable bytes shared between copies. Equality compares the contents.
class SharedBytes {
 public:
  SharedBytes() = default;
  explicit SharedBytes(std::vector<std::uint8_t> bytes);
  SharedBytes(const void* data, std::size_t size);

  const std::uint8_t* data() const { return bytes_ ? bytes_->data() : nullptr; }
  std::size_t size() const { return bytes_ ? bytes_->size() : 0; }
  bool empty() const { return size() == 0; }
  std::span<const std::uint8_t> span() const { return {data(), size()}; }

  friend bool operator==(const SharedBytes& a, const SharedBytes& b);

 private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
};

}  // namespace nv
