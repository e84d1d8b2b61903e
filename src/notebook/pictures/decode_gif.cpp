#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "notebook/pictures/decode.h"

namespace nv {

namespace {

struct Source {
  std::span<const std::uint8_t> bytes;
  std::size_t offset = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* out, int count) {
  auto* src = static_cast<Source*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), src->bytes.size() - src->offset);
  if (n > 0) std::memcpy(out, src->bytes.data() + src->offset, n);  // empty input has no data pointer
  src->offset += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

[[noreturn]] void Fail(const std::string& what) { throw EPictureError("Bad GIF picture: " + what); }

[[noreturn]] void FailCode(int code) {
  const char* text = GifErrorString(code);
  Fail(text ? text : "error " + std::to_string(code));
}

}  // namespace

TBgraImage DecodeGif(std::span<const std::uint8_t> bytes, std::uint64_t maxPixels) {
  Source src{bytes, 0};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&src, ReadBytes, &error));
  if (!gif) FailCode(error);

  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) FailCode(gif->Error);
    if (record == TERMINATE_RECORD_TYPE) Fail("the file holds no picture");
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) FailCode(gif->Error);
      bool control = code == GRAPHICS_EXT_FUNC_CODE;
      while (block) {
        // Only the control block in front of the first frame matters here.
        if (control && block[0] >= 4) {
          GraphicsControlBlock gcb{};
          if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) transparent = gcb.TransparentColor;
        }
        control = false;
        if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) FailCode(gif->Error);
      }
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) continue;

    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) FailCode(gif->Error);
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0) Fail("the picture has no colour table");
    if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0) Fail("the frame has no size");
    // The screen is the logical screen, grown where a frame reaches out of
    // it (some writers leave the screen size 0).
    const std::int64_t screenW = std::max<std::int64_t>(gif->SWidth, std::int64_t{desc.Left} + desc.Width);
    const std::int64_t screenH = std::max<std::int64_t>(gif->SHeight, std::int64_t{desc.Top} + desc.Height);
    if (screenW > 65535 || screenH > 65535 || static_cast<std::uint64_t>(screenW * screenH) > maxPixels)
      Fail("the picture is too large (" + std::to_string(screenW) + " x " + std::to_string(screenH) + " pixels)");

    TBgraImage image;
    image.Width = static_cast<int>(screenW);
    image.Height = static_cast<int>(screenH);
    image.Pixels.assign(static_cast<std::size_t>(screenW * screenH) * 4, 0);
    std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
    // Interlaced frames come in four passes of rows.
    static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
      const int start = desc.Interlace ? kStart[pass] : 0, step = desc.Interlace ? kStep[pass] : 1;
      for (int row = start; row < desc.Height; row += step) {
        if (DGifGetLine(gif.get(), line.data(), desc.Width) == GIF_ERROR) FailCode(gif->Error);
        std::uint8_t* out = image.Pixels.data() + (static_cast<std::size_t>(desc.Top + row) * image.Width + desc.Left) * 4;
        for (int x = 0; x < desc.Width; ++x, out += 4) {
          const int index = line[static_cast<std::size_t>(x)];
          // Indices beyond the table stay transparent.
          if (index == transparent || index >= map->ColorCount) continue;
          const GifColorType& c = map->Colors[index];
          out[0] = c.Blue;
          out[1] = c.Green;
          out[2] = c.Red;
          out[3] = 255;
        }
      }
    }
    return image;
  }
}

}  // namespace nv
