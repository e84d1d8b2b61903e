#include "notebook/pictures/encode_png.h"

#include <png.h>

#include <vector>

namespace nv {

namespace {

struct PngWrite {
  std::string out;
  std::string failure;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<png_bytep> rows;
};

void OnError(png_structp png, png_const_charp message) {
  static_cast<PngWrite*>(png_get_error_ptr(png))->failure = message ? message : "unknown error";
  png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

void WriteBytes(png_structp png, png_bytep data, png_size_t n) {
  static_cast<PngWrite*>(png_get_io_ptr(png))->out.append(reinterpret_cast<const char*>(data), n);
}
void Flush(png_structp) {}

bool Encode(const TBgraImage& image, PngWrite& run) {
  run.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &run, OnError, OnWarning);
  if (!run.png) return false;
  run.info = png_create_info_struct(run.png);
  if (!run.info || setjmp(png_jmpbuf(run.png))) {
    png_destroy_write_struct(&run.png, &run.info);
    return false;
  }
  png_set_write_fn(run.png, &run, WriteBytes, Flush);
  png_set_IHDR(run.png, run.info, static_cast<png_uint_32>(image.Width), static_cast<png_uint_32>(image.Height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(run.png, run.info);
  png_set_bgr(run.png);
  run.rows.resize(static_cast<std::size_t>(image.Height));
  for (std::size_t y = 0; y < run.rows.size(); ++y)
    run.rows[y] = const_cast<png_bytep>(image.Pixels.data() + y * static_cast<std::size_t>(image.Width) * 4);
  png_write_image(run.png, run.rows.data());
  png_write_end(run.png, nullptr);
  png_destroy_write_struct(&run.png, &run.info);
  return true;
}

}  // namespace

std::string EncodePng(const TBgraImage& image) {
  if (image.Width <= 0 || image.Height <= 0 ||
      image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height) * 4)
    throw EPictureError("Cannot write PNG picture: the image is empty");
  PngWrite run;
  if (!Encode(image, run)) throw EPictureError("Cannot write PNG picture: " + run.failure);
  return std::move(run.out);
}

std::optional<std::string> GifToPng(std::span<const std::uint8_t> gif) {
  try {
    return EncodePng(DecodeGif(gif));
  } catch (const EPictureError&) {
    return std::nullopt;
  }
}

}  // namespace nv
