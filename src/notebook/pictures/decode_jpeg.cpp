#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "notebook/pictures/decode.h"

namespace nv {

namespace {

// libjpeg reports fatal errors through error_exit, which by default prints
// and calls exit(). Ours keeps the message and jumps back to the decoder.
struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (data ending early, extra bytes) are not worth a message on a
// console the user never sees; the picture is shown as far as it goes.
void OutputMessage(j_common_ptr) {}

// Everything the jump may cross lives here, outside the function that calls
// setjmp, so its state is well defined after a jump.
struct JpegRun {
  jpeg_decompress_struct cinfo;
  JpegError err;
  TBgraImage image;
  std::string failure;
};

// True with run.image filled, or false with run.failure set.
bool Decode(std::span<const std::uint8_t> bytes, std::uint64_t maxPixels, JpegRun& run) {
  run.cinfo.err = jpeg_std_error(&run.err.mgr);
  run.err.mgr.error_exit = ErrorExit;
  run.err.mgr.output_message = OutputMessage;
  run.err.message[0] = 0;
  if (setjmp(run.err.jump)) {
    run.failure = run.err.message;
    jpeg_destroy_decompress(&run.cinfo);
    return false;
  }
  jpeg_create_decompress(&run.cinfo);
  jpeg_mem_src(&run.cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&run.cinfo, TRUE);

  const bool cmyk = run.cinfo.jpeg_color_space == JCS_CMYK || run.cinfo.jpeg_color_space == JCS_YCCK;
  run.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  const std::uint64_t w = run.cinfo.image_width, h = run.cinfo.image_height;
  if (w == 0 || h == 0 || w * h > maxPixels || w > 65535 || h > 65535) {
    run.failure = "The JPEG picture is too large (" + std::to_string(w) + " x " + std::to_string(h) + " pixels)";
    jpeg_destroy_decompress(&run.cinfo);
    return false;
  }
  jpeg_start_decompress(&run.cinfo);
  if (run.cinfo.output_components != 4) {
    run.failure = "Unsupported JPEG colour layout";
    jpeg_destroy_decompress(&run.cinfo);
    return false;
  }
  run.image.Width = static_cast<int>(run.cinfo.output_width);
  run.image.Height = static_cast<int>(run.cinfo.output_height);
  const std::size_t stride = static_cast<std::size_t>(run.image.Width) * 4;
  // Rows the data does not reach stay mid-grey, like a viewer's.
  run.image.Pixels.assign(stride * static_cast<std::size_t>(run.image.Height), 128);
  while (run.cinfo.output_scanline < run.cinfo.output_height) {
    JSAMPROW row = run.image.Pixels.data() + stride * run.cinfo.output_scanline;
    jpeg_read_scanlines(&run.cinfo, &row, 1);
  }
  // Adobe's CMYK files store the inks inverted; YCCK comes out the same way.
  const bool inverted = cmyk && run.cinfo.saw_Adobe_marker;
  for (std::size_t i = 0; i < run.image.Pixels.size(); i += 4) {
    std::uint8_t* p = &run.image.Pixels[i];
    if (cmyk) {
      unsigned c = p[0], m = p[1], y = p[2], k = p[3];
      if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
      // With inverted values r = c*k/255 and so on.
      p[2] = static_cast<std::uint8_t>(c * k / 255);
      p[1] = static_cast<std::uint8_t>(m * k / 255);
      p[0] = static_cast<std::uint8_t>(y * k / 255);
    }
    p[3] = 255;
  }
  jpeg_finish_decompress(&run.cinfo);
  jpeg_destroy_decompress(&run.cinfo);
  return true;
}

}  // namespace

TBgraImage DecodeJpeg(std::span<const std::uint8_t> bytes, std::uint64_t maxPixels) {
  if (bytes.empty()) throw EPictureError("The JPEG picture is empty");
  JpegRun run;
  if (!Decode(bytes, maxPixels, run)) throw EPictureError("Bad JPEG picture: " + run.failure);
  return std::move(run.image);
}

}  // namespace nv
