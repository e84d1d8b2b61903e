// PNG writing, for pictures that have to leave the program in a format
// every browser and word processor shows (metafiles in HTML pages, GIF and
// ICO pictures in RTF).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "notebook/pictures/decode.h"

namespace nv {

// The image as a PNG file with alpha; EPictureError when libpng fails or
// the image is empty or inconsistent.
std::string EncodePng(const TBgraImage& image);

// The first frame of a GIF as PNG, its transparency kept; nothing when the
// GIF cannot be read.
std::optional<std::string> GifToPng(std::span<const std::uint8_t> gif);

}  // namespace nv
