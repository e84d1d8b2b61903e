#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "notebook/pictures/decode.h"

namespace nv {

namespace {

struct PngRun {
  std::span<const std::uint8_t> bytes;
  std::size_t offset = 0;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<png_bytep> rows;
  TBgraImage image;
  std::string failure;
};

// libpng's own handler prints and aborts; ours keeps the text and jumps
// back to the decoder.
void OnError(png_structp png, png_const_charp message) {
  auto* run = static_cast<PngRun*>(png_get_error_ptr(png));
  run->failure = message ? message : "unknown error";
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* run = static_cast<PngRun*>(png_get_io_ptr(png));
  if (count > run->bytes.size() - run->offset) png_error(png, "the data ends early");
  std::memcpy(out, run->bytes.data() + run->offset, count);
  run->offset += count;
}

bool Decode(std::uint64_t maxPixels, PngRun& run) {
  run.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &run, OnError, OnWarning);
  if (!run.png) {
    run.failure = "out of memory";
    return false;
  }
  run.info = png_create_info_struct(run.png);
  if (!run.info) {
    run.failure = "out of memory";
    png_destroy_read_struct(&run.png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(run.png))) {
    png_destroy_read_struct(&run.png, &run.info, nullptr);
    return false;
  }
  png_set_read_fn(run.png, &run, ReadBytes);
  // The limits are checked by libpng while it reads the header, before it
  // allocates anything for the rows; chunks other than the image data are
  // kept small for the same reason.
  png_set_user_limits(run.png, 65535, 65535);
  png_set_chunk_malloc_max(run.png, 8u << 20);
  // Only the pixels are wanted: every chunk the transformations below do
  // not read is skipped, not collected. libpng only warns about a chunk
  // longer than the limit above and then allocates its claimed length for
  // the chunks it parses (sCAL, text), so a few hundred bytes could ask for
  // gigabytes; skipped chunks are read past without a buffer.
  png_set_chunk_cache_max(run.png, 64);
  png_set_keep_unknown_chunks(run.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  static constexpr char kSkipped[] = "tEXt" "zTXt" "iTXt" "sPLT" "iCCP" "eXIf" "sCAL" "pCAL" "hIST" "tIME"
                                     "pHYs" "oFFs" "sBIT" "bKGD" "cHRM" "gAMA" "sRGB";
  png_byte names[sizeof kSkipped / 4 * 5] = {};
  const int count = static_cast<int>(sizeof kSkipped / 4);
  for (int i = 0; i < count; ++i) std::memcpy(names + i * 5, kSkipped + i * 4, 4);
  png_set_keep_unknown_chunks(run.png, PNG_HANDLE_CHUNK_NEVER, names, count);
  png_read_info(run.png, run.info);
  const std::uint64_t w = png_get_image_width(run.png, run.info);
  const std::uint64_t h = png_get_image_height(run.png, run.info);
  if (w * h > maxPixels) {
    run.failure = "the picture is too large (" + std::to_string(w) + " x " + std::to_string(h) + " pixels)";
    png_destroy_read_struct(&run.png, &run.info, nullptr);
    return false;
  }
  const int colorType = png_get_color_type(run.png, run.info);
  png_set_expand(run.png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
  png_set_strip_16(run.png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(run.png);
  png_set_bgr(run.png);
  png_set_filler(run.png, 0xFF, PNG_FILLER_AFTER);  // opaque alpha where the file has none
  png_set_interlace_handling(run.png);
  png_read_update_info(run.png, run.info);
  if (png_get_rowbytes(run.png, run.info) != w * 4) {
    run.failure = "unsupported pixel layout";
    png_destroy_read_struct(&run.png, &run.info, nullptr);
    return false;
  }
  run.image.Width = static_cast<int>(w);
  run.image.Height = static_cast<int>(h);
  run.image.Pixels.assign(static_cast<std::size_t>(w * h * 4), 0);
  run.rows.resize(static_cast<std::size_t>(h));
  for (std::size_t y = 0; y < run.rows.size(); ++y) run.rows[y] = run.image.Pixels.data() + y * w * 4;
  png_read_image(run.png, run.rows.data());
  // The chunks after the image data are not needed, so damage there does
  // not cost the picture.
  png_destroy_read_struct(&run.png, &run.info, nullptr);
  return true;
}

}  // namespace

TBgraImage DecodePng(std::span<const std::uint8_t> bytes, std::uint64_t maxPixels) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) throw EPictureError("Bad PNG picture: not a PNG file");
  PngRun run;
  run.bytes = bytes;
  if (!Decode(maxPixels, run)) throw EPictureError("Bad PNG picture: " + run.failure);
  return std::move(run.image);
}

}  // namespace nv
