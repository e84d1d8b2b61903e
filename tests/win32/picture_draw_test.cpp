// Picture items painted into a memory DC, checked pixel by pixel against the
// pictures they were made from.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "notebook/pictures/decode.h"
#include "richview/html.h"
#include "notebook/win32/metafile_png.h"
#include "notebook/win32/picture_draw.h"
#include "support/temp_dir.h"
#include "ui/paths.h"
#include "support/picture_samples.h"
#include "ui/win32/unique_handle.h"

namespace nv {
namespace {

using samples::Bytes;
using samples::Rgba;

constexpr int kCanvas = 64;
constexpr RECT kTarget{8, 8, 40, 40};  // 16 x 16 sources drawn twice as large

// A white 32-bit canvas in a memory DC.
class Canvas {
 public:
  Canvas() {
    dc_.reset(::CreateCompatibleDC(nullptr));
    bmp_ = TopDownDib32(dc_.get(), kCanvas, kCanvas, &bits_);
    old_ = ::SelectObject(dc_.get(), bmp_.get());
    Clear();
  }
  ~Canvas() { ::SelectObject(dc_.get(), old_); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_.get(); }
  void Clear() { std::memset(bits_, 0xFF, kCanvas * kCanvas * 4); }
  Rgba At(int x, int y) const {
    ::GdiFlush();
    const auto* p = static_cast<const std::uint8_t*>(bits_) + (y * kCanvas + x) * 4;
    return {p[2], p[1], p[0], 255};
  }
  bool AllWhite() const {
    ::GdiFlush();
    const auto* p = static_cast<const std::uint8_t*>(bits_);
    for (int i = 0; i < kCanvas * kCanvas * 4; i += 4)
      if (p[i] != 0xFF || p[i + 1] != 0xFF || p[i + 2] != 0xFF) return false;
    return true;
  }

 private:
  UniqueHdc dc_;
  UniqueGdiObject bmp_;
  void* bits_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

void ExpectColour(const Canvas& c, int x, int y, Rgba want, int tol, const std::string& what) {
  const Rgba got = c.At(x, y);
  SCOPED_TRACE(what + " at " + std::to_string(x) + "," + std::to_string(y));
  EXPECT_NEAR(got.r, want.r, tol);
  EXPECT_NEAR(got.g, want.g, tol);
  EXPECT_NEAR(got.b, want.b, tol);
}

Rgba Quad(int x, int y) { return samples::Quadrants(x, y, 16, 16); }

// The centre of each scaled quadrant, and a point outside the target.
void ExpectQuadrants(const Canvas& c, int tol, const std::string& what) {
  for (int qy : {0, 1})
    for (int qx : {0, 1})
      ExpectColour(c, kTarget.left + 8 + qx * 16, kTarget.top + 8 + qy * 16, Quad(qx * 8, qy * 8), tol, what);
  ExpectColour(c, 2, 2, {255, 255, 255}, 0, what + " outside");
  ExpectColour(c, 50, 50, {255, 255, 255}, 0, what + " outside");
}

SharedBytes Share(const Bytes& b) { return SharedBytes(b.data(), b.size()); }

Bytes QuadGif() {
  samples::GifFrame f;
  f.width = f.height = 16;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) f.indices.push_back(static_cast<std::uint8_t>((y >= 8) * 2 + (x >= 8)));
  return samples::MakeGif(16, 16, {Quad(0, 0), Quad(8, 0), Quad(0, 8), Quad(8, 8)}, {f});
}

TEST(PictureDraw, EveryKindIsScaledToItsRectangle) {
  const struct {
    const char* what;
    TRVPictureKind kind;
    Bytes bytes;
    int tol;
  } cases[] = {
      {"jpeg", TRVPictureKind::Jpg, samples::MakeJpeg(16, 16, Quad), 16},
      {"png", TRVPictureKind::Png, samples::MakePng(16, 16, Quad), 0},
      {"gif", TRVPictureKind::Gif, QuadGif(), 0},
      {"bmp", TRVPictureKind::Bmp, samples::MakeBmp(16, 16, Quad), 0},
      {"ico", TRVPictureKind::Ico, samples::MakeIco(16, 16, Quad), 0},
  };
  for (const auto& c : cases) {
    Canvas canvas;
    ASSERT_TRUE(DrawPicture(canvas.Dc(), c.kind, Share(c.bytes), kTarget)) << c.what;
    ExpectQuadrants(canvas, c.tol, c.what);
    // Again from the decoded copy kept for painting.
    canvas.Clear();
    ASSERT_TRUE(DrawPicture(canvas.Dc(), c.kind, Share(c.bytes), kTarget)) << c.what;
    ExpectQuadrants(canvas, c.tol, std::string(c.what) + " again");
  }
}

TEST(PictureDraw, TransparencyLetsTheBackgroundThrough) {
  const auto alpha = [](int x, int y) {
    Rgba p = Quad(x, y);
    if (y >= 8) p = {0, 0, 0, static_cast<std::uint8_t>(x >= 8 ? 0 : 128)};
    return p;
  };
  Canvas canvas;
  ASSERT_TRUE(DrawPicture(canvas.Dc(), TRVPictureKind::Png, Share(samples::MakePng(16, 16, alpha)), kTarget));
  ExpectColour(canvas, 16, 16, {220, 0, 0}, 0, "opaque");
  ExpectColour(canvas, 32, 32, {255, 255, 255}, 0, "transparent");
  ExpectColour(canvas, 16, 32, {127, 127, 127}, 2, "half");

  samples::GifFrame f;
  f.width = f.height = 16, f.transparent = 1;
  for (int i = 0; i < 256; ++i) f.indices.push_back(static_cast<std::uint8_t>(i % 16 >= 8));
  canvas.Clear();
  ASSERT_TRUE(DrawPicture(canvas.Dc(), TRVPictureKind::Gif, Share(samples::MakeGif(16, 16, {{0, 0, 210}, {0, 0, 0}}, {f})), kTarget));
  ExpectColour(canvas, 16, 16, {0, 0, 210}, 0, "gif colour");
  ExpectColour(canvas, 32, 16, {255, 255, 255}, 0, "gif transparent colour");
}

TEST(PictureDraw, MetafilesFillTheirRectangle) {
  Canvas canvas;
  ASSERT_TRUE(DrawPicture(canvas.Dc(), TRVPictureKind::Wmf, Share(samples::MakeWmf(40, 30, {0, 0, 255})), kTarget));
  ExpectColour(canvas, 10, 10, {0, 0, 255}, 0, "wmf");
  ExpectColour(canvas, 38, 38, {0, 0, 255}, 0, "wmf");
  ExpectColour(canvas, 45, 45, {255, 255, 255}, 0, "wmf outside");

  // An enhanced metafile recorded by GDI itself: green left half, red right.
  const RECT frame{0, 0, 1000, 1000};  // 0.01 mm
  UniqueHdc rec(::CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr));
  ASSERT_TRUE(rec);
  UniqueGdiObject green(::CreateSolidBrush(RGB(0, 200, 0))), red(::CreateSolidBrush(RGB(220, 0, 0)));
  const int w = ::MulDiv(1000, ::GetDeviceCaps(rec.get(), HORZRES), ::GetDeviceCaps(rec.get(), HORZSIZE) * 100);
  const int h = ::MulDiv(1000, ::GetDeviceCaps(rec.get(), VERTRES), ::GetDeviceCaps(rec.get(), VERTSIZE) * 100);
  const RECT left{0, 0, w / 2, h}, right{w / 2, 0, w, h};
  ::FillRect(rec.get(), &left, static_cast<HBRUSH>(green.get()));
  ::FillRect(rec.get(), &right, static_cast<HBRUSH>(red.get()));
  HENHMETAFILE emf = ::CloseEnhMetaFile(rec.release());
  ASSERT_NE(emf, nullptr);
  Bytes bytes(::GetEnhMetaFileBits(emf, 0, nullptr));
  ::GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), bytes.data());
  ::DeleteEnhMetaFile(emf);
  canvas.Clear();
  ASSERT_TRUE(DrawPicture(canvas.Dc(), TRVPictureKind::Emf, Share(bytes), kTarget));
  ExpectColour(canvas, 14, 24, {0, 200, 0}, 0, "emf left");
  ExpectColour(canvas, 34, 24, {220, 0, 0}, 0, "emf right");
  ExpectColour(canvas, 50, 24, {255, 255, 255}, 0, "emf outside");
}

TEST(PictureDraw, UnreadableBytesDrawNothingAndAnswerFalse) {
  const Bytes junk(200, 0x5A);
  Bytes bmp = samples::MakeBmp(16, 16, Quad);
  bmp[10] = 0xF0;  // bits beyond the end of the file
  Bytes ico = samples::MakeIco(16, 16, Quad);
  ico[18] = 0xFF;  // image beyond the end
  Bytes jpg = samples::MakeJpeg(16, 16, Quad);
  jpg.resize(100);
  Canvas canvas;
  for (TRVPictureKind kind : {TRVPictureKind::Bmp, TRVPictureKind::Wmf, TRVPictureKind::Emf, TRVPictureKind::Ico,
                              TRVPictureKind::Jpg, TRVPictureKind::Gif, TRVPictureKind::Png})
    EXPECT_FALSE(DrawPicture(canvas.Dc(), kind, Share(junk), kTarget)) << static_cast<int>(kind);
  EXPECT_FALSE(DrawPicture(canvas.Dc(), TRVPictureKind::Bmp, Share(bmp), kTarget));
  EXPECT_FALSE(DrawPicture(canvas.Dc(), TRVPictureKind::Ico, Share(ico), kTarget));
  EXPECT_FALSE(DrawPicture(canvas.Dc(), TRVPictureKind::Jpg, Share(jpg), kTarget));
  EXPECT_FALSE(DrawPicture(canvas.Dc(), TRVPictureKind::Png, SharedBytes(), kTarget));
  EXPECT_TRUE(canvas.AllWhite());
}

TEST(PictureDraw, HtmlPagesGetMetafilesAsPng) {
  TRVPictureItemInfo wmf;
  wmf.Kind = TRVPictureKind::Wmf;
  wmf.Data = Share(samples::MakeWmf(40, 30, {0, 0, 255}));
  wmf.Width = 40, wmf.Height = 30;
  TRVDocument doc;
  doc.AddParagraph(0).AddItem(TRVItem(wmf));
  TempDir dir;
  HtmlExportOptions o;
  o.metafileToPng = MetafileToPng;
  ASSERT_TRUE(SaveHTML(doc, dir.File("page.html"), o));
  const std::string png = ReadWholeFile(dir.File("img1.png"));
  const TBgraImage img = DecodePng({reinterpret_cast<const std::uint8_t*>(png.data()), png.size()});
  ASSERT_EQ(img.Width, 40);
  ASSERT_EQ(img.Height, 30);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{39, 29}, std::pair{20, 15}}) {
    const std::uint8_t* p = img.Pixel(x, y);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(p[3], 255);
  }
  EXPECT_NE(ReadWholeFile(dir.File("page.html")).find("img1.png"), std::string::npos);
  wmf.Kind = TRVPictureKind::Png;
  EXPECT_FALSE(MetafileToPng(wmf));
}

}  // namespace
}  // namespace nv
