#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "notebook/pictures/decode.h"
#include "notebook/pictures/encode_png.h"
#include "support/picture_samples.h"

namespace nv {
namespace {

using samples::Bytes;
using samples::Rgba;

constexpr int kW = 32, kH = 32;
Rgba Quad(int x, int y) { return samples::Quadrants(x, y, kW, kH); }

// Checks the pixel at (x, y) against the colour within tol per channel.
void ExpectNear(const TBgraImage& img, int x, int y, Rgba want, int tol, const char* what) {
  const std::uint8_t* p = img.Pixel(x, y);
  SCOPED_TRACE(std::string(what) + " at " + std::to_string(x) + "," + std::to_string(y));
  EXPECT_NEAR(p[2], want.r, tol);
  EXPECT_NEAR(p[1], want.g, tol);
  EXPECT_NEAR(p[0], want.b, tol);
  EXPECT_EQ(p[3], want.a);
}

// The centre of each quadrant, away from the edges where JPEG smears.
void ExpectQuadrants(const TBgraImage& img, int tol, const char* what) {
  ASSERT_EQ(img.Width, kW);
  ASSERT_EQ(img.Height, kH);
  for (int y : {kH / 4, 3 * kH / 4})
    for (int x : {kW / 4, 3 * kW / 4}) ExpectNear(img, x, y, Quad(x, y), tol, what);
}

template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const EPictureError& e) {
    return e.what();
  }
  return "";
}

TEST(PictureDecodeJpeg, ColourGreyProgressiveAndCmykLayouts) {
  ExpectQuadrants(DecodeJpeg(samples::MakeJpeg(kW, kH, Quad)), 12, "rgb");
  ExpectQuadrants(DecodeJpeg(samples::MakeJpeg(kW, kH, Quad, samples::JpegLayout::Rgb, true)), 12, "progressive");
  ExpectQuadrants(DecodeJpeg(samples::MakeJpeg(kW, kH, Quad, samples::JpegLayout::Cmyk)), 12, "cmyk");
  const TBgraImage grey = DecodeJpeg(samples::MakeJpeg(kW, kH, Quad, samples::JpegLayout::Grey));
  ExpectNear(grey, 3 * kW / 4, 3 * kH / 4, {255, 255, 255}, 4, "grey white");
  ExpectNear(grey, kW / 4, kH / 4, {220, 220, 220}, 6, "grey from red");
}

TEST(PictureDecodeJpeg, DataEndingEarlyGivesTheRowsReadSoFar) {
  Bytes jpg = samples::MakeJpeg(kW, 64, [](int x, int y) { return samples::Quadrants(x, y, kW, 64); });
  // Halfway into the scan: past the first rows of blocks, well before the end.
  std::size_t sos = 2;
  while (sos + 1 < jpg.size() && !(jpg[sos] == 0xFF && jpg[sos + 1] == 0xDA)) ++sos;
  ASSERT_LT(sos + 1, jpg.size());
  jpg.resize(sos + (jpg.size() - sos) / 2);
  const TBgraImage img = DecodeJpeg(jpg);
  ASSERT_EQ(img.Height, 64);
  ExpectNear(img, kW / 4, 4, {220, 0, 0}, 12, "first rows");
  ExpectNear(img, kW / 4, 63, {128, 128, 128}, 0, "missing rows are grey");
}

TEST(PictureDecodeJpeg, BadDataIsAnErrorNotAnExit) {
  EXPECT_NE(ErrorOf([] { DecodeJpeg(Bytes{}); }), "");
  EXPECT_NE(ErrorOf([] { DecodeJpeg(Bytes{'h', 'e', 'l', 'l', 'o'}); }).find("Bad JPEG picture: "), std::string::npos);
  // A frame header that claims more components than it has room for.
  Bytes jpg = samples::MakeJpeg(kW, kH, Quad);
  for (std::size_t i = 2; i + 1 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
      jpg[i + 9] = 200;  // component count
      break;
    }
  EXPECT_NE(ErrorOf([&] { DecodeJpeg(jpg); }).find("Bad JPEG picture"), std::string::npos);
  // Only the header survives: no scan at all.
  Bytes head = samples::MakeJpeg(kW, kH, Quad);
  head.resize(200);
  EXPECT_NE(ErrorOf([&] { DecodeJpeg(head); }), "");
  EXPECT_NE(ErrorOf([] { DecodeJpeg(samples::MakeJpeg(kW, kH, Quad), 100); }).find("too large"), std::string::npos);
}

TEST(PictureDecodePng, LayoutsAndTransparency) {
  const auto withAlpha = [](int x, int y) {
    Rgba p = Quad(x, y);
    if (x >= kW / 2 && y >= kH / 2) p.a = 0;
    if (x < kW / 2 && y >= kH / 2) p.a = 128;
    return p;
  };
  for (auto layout : {samples::PngLayout::Rgba, samples::PngLayout::PaletteTrns}) {
    const TBgraImage img = DecodePng(samples::MakePng(kW, kH, withAlpha, layout));
    for (int y : {2, kH - 2})
      for (int x : {2, kW - 2}) ExpectNear(img, x, y, withAlpha(x, y), 0, "alpha");
  }
  ExpectQuadrants(DecodePng(samples::MakePng(kW, kH, Quad, samples::PngLayout::RgbInterlaced)), 0, "interlaced");
  const TBgraImage grey = DecodePng(samples::MakePng(kW, kH, Quad, samples::PngLayout::Grey16));
  ExpectNear(grey, 2, 2, {220, 220, 220}, 0, "16-bit grey");
}

TEST(PictureDecodePng, DamagedFilesAreErrors) {
  const Bytes good = samples::MakePng(kW, kH, Quad);
  EXPECT_EQ(ErrorOf([] { DecodePng(Bytes{1, 2, 3}); }), "Bad PNG picture: not a PNG file");
  Bytes cut = good;
  cut.resize(good.size() / 2);
  EXPECT_NE(ErrorOf([&] { DecodePng(cut); }).find("Bad PNG picture: "), std::string::npos);
  Bytes crc = good;
  crc[29] ^= 0x55;  // the header chunk's checksum
  EXPECT_NE(ErrorOf([&] { DecodePng(crc); }).find("CRC"), std::string::npos);
  Bytes huge = good;
  huge[16] = 0x7F;  // width 2^30-ish
  EXPECT_NE(ErrorOf([&] { DecodePng(huge); }), "");
  EXPECT_NE(ErrorOf([&] { DecodePng(good, 10); }).find("too large"), std::string::npos);
}

TEST(PictureDecodeGif, FirstFrameWithTransparencyOnItsScreen) {
  const std::vector<Rgba> colors = {{220, 0, 0}, {0, 200, 0}, {0, 0, 210}, {9, 9, 9}};
  samples::GifFrame first;
  first.left = 4, first.top = 2, first.width = 8, first.height = 8, first.transparent = 2;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) first.indices.push_back(static_cast<std::uint8_t>(y < 4 ? 0 : x < 4 ? 1 : 2));
  samples::GifFrame second = first;
  second.left = 0, second.top = 0, second.transparent = -1;
  std::fill(second.indices.begin(), second.indices.end(), 3);

  for (bool interlace : {false, true}) {
    first.interlace = interlace;
    const TBgraImage img = DecodeGif(samples::MakeGif(16, 12, colors, {first, second}));
    ASSERT_EQ(img.Width, 16);
    ASSERT_EQ(img.Height, 12);
    ExpectNear(img, 5, 3, colors[0], 0, "top of frame");
    ExpectNear(img, 5, 8, colors[1], 0, "bottom left of frame");
    ExpectNear(img, 10, 8, {0, 0, 0, 0}, 0, "transparent colour");
    ExpectNear(img, 0, 0, {0, 0, 0, 0}, 0, "screen outside the frame");
    ExpectNear(img, 15, 11, {0, 0, 0, 0}, 0, "screen outside the frame");
  }
}

TEST(PictureDecodeGif, DamagedFilesAreErrors) {
  samples::GifFrame f;
  f.width = 20, f.height = 20;
  for (int i = 0; i < 400; ++i) f.indices.push_back(static_cast<std::uint8_t>(i * 7 % 4));
  const Bytes good = samples::MakeGif(20, 20, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}, {f});
  EXPECT_EQ(DecodeGif(good).Width, 20);
  EXPECT_NE(ErrorOf([] { DecodeGif(Bytes{'G', 'I', 'F'}); }).find("Bad GIF picture: "), std::string::npos);
  Bytes cut = good;
  cut.resize(good.size() - 20);
  EXPECT_NE(ErrorOf([&] { DecodeGif(cut); }).find("Bad GIF picture: "), std::string::npos);
  // Screen and trailer only.
  const Bytes empty = samples::MakeGif(20, 20, {{1, 2, 3}}, {});
  EXPECT_EQ(ErrorOf([&] { DecodeGif(empty); }), "Bad GIF picture: the file holds no picture");
  EXPECT_NE(ErrorOf([&] { DecodeGif(good, 100); }).find("too large"), std::string::npos);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

TEST(PictureEncodePng, WhatIsWrittenDecodesToTheSamePixels) {
  TBgraImage img;
  img.Width = 5, img.Height = 3;
  for (int i = 0; i < 15; ++i)
    for (std::uint8_t v : {static_cast<std::uint8_t>(i * 17), std::uint8_t{3}, static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 16)})
      img.Pixels.push_back(v);
  const std::string png = EncodePng(img);
  const TBgraImage back = DecodePng({reinterpret_cast<const std::uint8_t*>(png.data()), png.size()});
  EXPECT_EQ(back.Width, 5);
  EXPECT_EQ(back.Height, 3);
  EXPECT_EQ(back.Pixels, img.Pixels);
  img.Pixels.pop_back();
  EXPECT_THROW(EncodePng(img), EPictureError);
}

}  // namespace
}  // namespace nv
