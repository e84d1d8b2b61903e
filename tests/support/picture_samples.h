// Small pictures written with the format libraries themselves, so decoder
// tests compare against pixels they chose rather than against checked-in
// files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace nv::samples {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
};
using PixelFn = std::function<Rgba(int x, int y)>;
using Bytes = std::vector<std::uint8_t>;

// Four solid quadrants: red, green / blue, white. Block-aligned at 16
// pixels, so JPEG keeps them nearly exact away from the edges.
inline Rgba Quadrants(int x, int y, int w, int h) {
  const bool right = x >= w / 2, bottom = y >= h / 2;
  if (!bottom) return right ? Rgba{0, 200, 0} : Rgba{220, 0, 0};
  return right ? Rgba{255, 255, 255} : Rgba{0, 0, 210};
}

enum class JpegLayout { Rgb, Grey, Cmyk };

inline Bytes MakeJpeg(int w, int h, const PixelFn& px, JpegLayout layout = JpegLayout::Rgb,
                      bool progressive = false) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = layout == JpegLayout::Grey ? 1 : layout == JpegLayout::Cmyk ? 4 : 3;
  c.in_color_space = layout == JpegLayout::Grey ? JCS_GRAYSCALE : layout == JpegLayout::Cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgba p = px(x, y);
      std::uint8_t* o = &row[static_cast<std::size_t>(x) * c.input_components];
      if (layout == JpegLayout::Grey) {
        o[0] = p.r;
      } else if (layout == JpegLayout::Cmyk) {
        // Inverted inks, the way Adobe's files hold them (K full = 255 here
        // means no black).
        o[0] = p.r;
        o[1] = p.g;
        o[2] = p.b;
        o[3] = 255;
      } else {
        o[0] = p.r;
        o[1] = p.g;
        o[2] = p.b;
      }
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  Bytes bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

enum class PngLayout { Rgba, PaletteTrns, Grey16, RgbInterlaced };

inline Bytes MakePng(int w, int h, const PixelFn& px, PngLayout layout = PngLayout::Rgba) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Bytes bytes;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png write");
  }
  png_set_write_fn(
      png, &bytes,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* b = static_cast<Bytes*>(png_get_io_ptr(p));
        b->insert(b->end(), data, data + n);
      },
      nullptr);
  std::vector<Rgba> palette;
  int colorType = PNG_COLOR_TYPE_RGB_ALPHA, depth = 8, channels = 4;
  if (layout == PngLayout::PaletteTrns) colorType = PNG_COLOR_TYPE_PALETTE, channels = 1;
  if (layout == PngLayout::Grey16) colorType = PNG_COLOR_TYPE_GRAY, depth = 16, channels = 2;
  if (layout == PngLayout::RgbInterlaced) colorType = PNG_COLOR_TYPE_RGB, channels = 3;
  std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(h),
                                               std::vector<std::uint8_t>(static_cast<std::size_t>(w * channels)));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgba p = px(x, y);
      std::uint8_t* o = &rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * channels)];
      switch (layout) {
        case PngLayout::Rgba:
          o[0] = p.r, o[1] = p.g, o[2] = p.b, o[3] = p.a;
          break;
        case PngLayout::RgbInterlaced:
          o[0] = p.r, o[1] = p.g, o[2] = p.b;
          break;
        case PngLayout::Grey16:
          o[0] = p.r, o[1] = p.r;
          break;
        case PngLayout::PaletteTrns: {
          std::size_t i = 0;
          while (i < palette.size() && std::memcmp(&palette[i], &p, sizeof p) != 0) ++i;
          if (i == palette.size()) palette.push_back(p);
          o[0] = static_cast<std::uint8_t>(i);
          break;
        }
      }
    }
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), depth, colorType,
               layout == PngLayout::RgbInterlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (layout == PngLayout::PaletteTrns) {
    std::vector<png_color> colors;
    std::vector<png_byte> alpha;
    for (const Rgba& p : palette) colors.push_back({p.r, p.g, p.b}), alpha.push_back(p.a);
    png_set_PLTE(png, info, colors.data(), static_cast<int>(colors.size()));
    png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
  }
  std::vector<png_bytep> ptrs;
  for (auto& r : rows) ptrs.push_back(r.data());
  png_set_rows(png, info, ptrs.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint8_t> indices;  // width * height
  int transparent = -1;
  bool interlace = false;
};

// A GIF of the given frames over a screen of w x h with one global table.
inline Bytes MakeGif(int w, int h, const std::vector<Rgba>& colors, const std::vector<GifFrame>& frames) {
  Bytes bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes,
                              [](GifFileType* g, const GifByteType* data, int n) {
                                auto* b = static_cast<Bytes*>(g->UserData);
                                b->insert(b->end(), data, data + n);
                                return n;
                              },
                              &error);
  int size = 2, bits = 1;
  while (size < static_cast<int>(colors.size())) size *= 2, ++bits;
  std::vector<GifColorType> table(static_cast<std::size_t>(size));
  for (std::size_t i = 0; i < colors.size(); ++i) table[i] = {colors[i].r, colors[i].g, colors[i].b};
  ColorMapObject* map = GifMakeMapObject(size, table.data());
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, w, h, bits, 0, map);
  for (const GifFrame& f : frames) {
    if (f.transparent >= 0) {
      GraphicsControlBlock gcb{};
      gcb.TransparentColor = f.transparent;
      GifByteType ext[4];
      const std::size_t n = EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext);
    }
    EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, nullptr);
    std::vector<int> order;
    if (f.interlace) {
      static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
      for (int p = 0; p < 4; ++p)
        for (int y = kStart[p]; y < f.height; y += kStep[p]) order.push_back(y);
    } else {
      for (int y = 0; y < f.height; ++y) order.push_back(y);
    }
    for (int y : order) {
      std::vector<GifPixelType> line(f.indices.begin() + y * f.width, f.indices.begin() + (y + 1) * f.width);
      EGifPutLine(gif, line.data(), f.width);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return bytes;
}

// A 24-bit bottom-up .bmp file.
inline Bytes MakeBmp(int w, int h, const PixelFn& px) {
  const int stride = (w * 3 + 3) & ~3;
  const std::uint32_t bits = static_cast<std::uint32_t>(stride * h), size = 54 + bits;
  Bytes b(size, 0);
  auto put16 = [&](std::size_t at, std::uint32_t v) { b[at] = v & 255, b[at + 1] = (v >> 8) & 255; };
  auto put32 = [&](std::size_t at, std::uint32_t v) { put16(at, v & 0xFFFF), put16(at + 2, v >> 16); };
  b[0] = 'B', b[1] = 'M';
  put32(2, size), put32(10, 54), put32(14, 40), put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h)), put16(26, 1), put16(28, 24), put32(34, bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgba p = px(x, y);
      std::uint8_t* o = &b[54 + static_cast<std::size_t>((h - 1 - y) * stride + x * 3)];
      o[0] = p.b, o[1] = p.g, o[2] = p.r;
    }
  return b;
}

namespace detail {
inline void Put16(Bytes& b, std::uint32_t v) { b.push_back(v & 255), b.push_back((v >> 8) & 255); }
inline void Put32(Bytes& b, std::uint32_t v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }
}  // namespace detail

// An .ico file of one 32-bit image (w, h below 256) with its AND mask.
inline Bytes MakeIco(int w, int h, const PixelFn& px) {
  using detail::Put16;
  using detail::Put32;
  const std::uint32_t maskStride = static_cast<std::uint32_t>(((w + 31) / 32) * 4);
  const std::uint32_t image = 40 + static_cast<std::uint32_t>(w * h * 4) + maskStride * static_cast<std::uint32_t>(h);
  Bytes b;
  Put16(b, 0), Put16(b, 1), Put16(b, 1);
  b.push_back(static_cast<std::uint8_t>(w)), b.push_back(static_cast<std::uint8_t>(h)), b.push_back(0), b.push_back(0);
  Put16(b, 1), Put16(b, 32), Put32(b, image), Put32(b, 22);
  Put32(b, 40), Put32(b, static_cast<std::uint32_t>(w)), Put32(b, static_cast<std::uint32_t>(h * 2));
  Put16(b, 1), Put16(b, 32), Put32(b, 0), Put32(b, 0), Put32(b, 0), Put32(b, 0), Put32(b, 0), Put32(b, 0);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const Rgba p = px(x, y);
      b.push_back(p.b), b.push_back(p.g), b.push_back(p.r), b.push_back(p.a);
    }
  b.insert(b.end(), maskStride * static_cast<std::uint32_t>(h), 0);  // all shown
  return b;
}

// A placeable Windows metafile of w x h pixels (96 units an inch) that
// paints its whole frame in one colour.
inline Bytes MakeWmf(int w, int h, Rgba fill) {
  using detail::Put16;
  using detail::Put32;
  Bytes rec;  // records after the header
  auto record = [&](std::uint16_t fn, std::initializer_list<std::uint16_t> params) {
    Put32(rec, static_cast<std::uint32_t>(3 + params.size()));
    Put16(rec, fn);
    for (std::uint16_t v : params) Put16(rec, v);
  };
  record(0x020B, {0, 0});                                   // SetWindowOrg(y, x)
  record(0x020C, {static_cast<std::uint16_t>(h), static_cast<std::uint16_t>(w)});  // SetWindowExt(y, x)
  record(0x02FC, {0, static_cast<std::uint16_t>(fill.r | fill.g << 8), fill.b, 0});  // CreateBrushIndirect
  record(0x012D, {0});                                      // SelectObject(0)
  record(0x061D, {0x0021, 0x00F0, static_cast<std::uint16_t>(h), static_cast<std::uint16_t>(w), 0, 0});  // PatBlt PATCOPY
  record(0x0000, {});                                       // end
  Bytes b;
  Put32(b, 0x9AC6CDD7u), Put16(b, 0);
  Put16(b, 0), Put16(b, 0), Put16(b, static_cast<std::uint32_t>(w)), Put16(b, static_cast<std::uint32_t>(h));
  Put16(b, 96), Put32(b, 0);
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < 20; i += 2) sum ^= static_cast<std::uint16_t>(b[i] | b[i + 1] << 8);
  Put16(b, sum);
  const std::uint32_t words = 9 + static_cast<std::uint32_t>(rec.size() / 2);
  Put16(b, 1), Put16(b, 9), Put16(b, 0x0300), Put32(b, words), Put16(b, 1), Put32(b, 9), Put16(b, 0);
  b.insert(b.end(), rec.begin(), rec.end());
  return b;
}

// An enhanced metafile header claiming a frame of w x h pixels at 96 dpi,
// followed by the end record: enough for the size, draws nothing.
inline Bytes MakeEmfHeaderOnly(int w, int h) {
  using detail::Put32;
  Bytes b;
  Put32(b, 1), Put32(b, 88);
  Put32(b, 0), Put32(b, 0), Put32(b, static_cast<std::uint32_t>(w - 1)), Put32(b, static_cast<std::uint32_t>(h - 1));
  Put32(b, 0), Put32(b, 0), Put32(b, static_cast<std::uint32_t>(w * 2540 / 96)), Put32(b, static_cast<std::uint32_t>(h * 2540 / 96));
  Put32(b, 0x464D4520u), Put32(b, 0x10000), Put32(b, 88 + 20), Put32(b, 2);
  Put32(b, 1), Put32(b, 0), Put32(b, 0), Put32(b, 0);  // handles, description, palette entries
  Put32(b, 1024), Put32(b, 768), Put32(b, 320), Put32(b, 240);  // device pixels, millimetres
  Put32(b, 14), Put32(b, 20), Put32(b, 0), Put32(b, 0), Put32(b, 20);  // EMR_EOF
  return b;
}

}  // namespace nv::samples
