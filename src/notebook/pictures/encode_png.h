// PNG writing, for pictures that have to leave the program in a format
// every browser shows (metafiles in HTML pages).
#pragma once

#include <string>

#include "notebook/pictures/decode.h"

namespace nv {

// The image as a PNG file with alpha; EPictureError when libpng fails or
// the image is empty or inconsistent.
std::string EncodePng(const TBgraImage& image);

}  // namespace nv
