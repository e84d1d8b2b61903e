// Picture data as RTF carries it.
//
// RTF holds a bitmap as a bare device-independent bitmap (\dibitmap: info
// header, colour table, bits), while a picture item holds whole .bmp files;
// these helpers put the file header on and take it off again. They also
// read the pixel size from a picture's own header, for \pict groups that do
// not give one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "richview/pictures.h"

namespace nv {

// A .bmp file made of a bare DIB: the 14-byte file header put in front,
// pointing at the bits after the info header and colour table. Empty when
// the DIB is too short to hold an info header.
std::vector<std::uint8_t> DibToBmpFile(std::span<const std::uint8_t> dib);

// The bare DIB inside a .bmp file (everything after the file header), or
// nothing when the bytes are not a .bmp file.
std::optional<std::span<const std::uint8_t>> BmpFileToDib(std::span<const std::uint8_t> bmp);

// Width and height in pixels from the header of a PNG, JPEG, GIF or BMP
// file; nothing when the header cannot be read or gives no positive size.
std::optional<std::pair<int, int>> PictureHeaderSize(TRVPictureKind kind,
                                                     std::span<const std::uint8_t> bytes);

}  // namespace nv
