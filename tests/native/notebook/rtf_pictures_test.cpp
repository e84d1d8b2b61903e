// GIF and ICO pictures in RTF: the format has no form for them, so the
// writer takes PNG from the program's converter and readers get pictures
// they know.
#include <gtest/gtest.h>

#include <string>

#include "notebook/pictures/decode.h"
#include "notebook/pictures/encode_png.h"
#include "richview/clipboard.h"
#include "richview/rtf.h"
#include "support/document_items.h"
#include "support/picture_samples.h"

namespace nv {
namespace {

using samples::Bytes;
using samples::Rgba;

TRVPictureItemInfo Picture(TRVPictureKind kind, const Bytes& bytes, int w, int h) {
  TRVPictureItemInfo p;
  p.Kind = kind;
  p.Data = SharedBytes(bytes);
  p.Width = w;
  p.Height = h;
  return p;
}

TEST(RtfPictures, GifAndIcoTravelAsPngThroughFileAndClipboardForms) {
  const std::vector<Rgba> colors = {{220, 0, 0}, {0, 200, 0}, {0, 0, 210}, {9, 9, 9}};
  samples::GifFrame frame;
  frame.width = 6, frame.height = 4, frame.transparent = 3;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) frame.indices.push_back(static_cast<std::uint8_t>(x < 3 ? y % 3 : 3));
  const Bytes gif = samples::MakeGif(6, 4, colors, {frame});
  const Bytes ico = samples::MakeIco(16, 16, [](int x, int y) { return samples::Quadrants(x, y, 16, 16); });

  TRVDocument doc;
  TRVParagraph& para = doc.AddParagraph(0);
  para.AddItem(TRVItem::MakeText("a", 0));
  para.AddItem(TRVItem(Picture(TRVPictureKind::Gif, gif, 12, 8)));
  para.AddItem(TRVItem(Picture(TRVPictureKind::Ico, ico, 16, 16)));

  // The program draws icons by GDI; here a plain image stands for that.
  TBgraImage drawnIcon;
  drawnIcon.Width = drawnIcon.Height = 16;
  drawnIcon.Pixels.assign(16 * 16 * 4, 255);
  int asked = 0;
  const TRVPictureToPng toPng = [&](const TRVPictureItemInfo& p) -> std::optional<std::string> {
    ++asked;
    if (p.Kind == TRVPictureKind::Gif) return GifToPng(p.Data.span());
    if (p.Kind == TRVPictureKind::Ico) return EncodePng(drawnIcon);
    return std::nullopt;
  };

  for (const std::string& rtf : {SaveRTF(doc, toPng), MakeClipboardData(doc, toPng).rtf}) {
    TRVDocument back;
    ASSERT_TRUE(LoadRTF(rtf, back));
    const auto pics = testing::PictureItems(back);
    ASSERT_EQ(pics.size(), 2u);
    for (const TRVPictureItemInfo* p : pics) EXPECT_EQ(p->Kind, TRVPictureKind::Png);
    EXPECT_EQ(pics[0]->Width, 12);  // the shown size is kept
    EXPECT_EQ(pics[0]->Height, 8);
    EXPECT_EQ(pics[1]->Width, 16);
    const TBgraImage g = DecodePng(pics[0]->Data.span());
    ASSERT_EQ(g.Width, 6);
    ASSERT_EQ(g.Height, 4);
    EXPECT_EQ(g.Pixel(0, 0)[2], 220);  // red
    EXPECT_EQ(g.Pixel(5, 0)[3], 0);    // the transparent colour stays transparent
    EXPECT_EQ(DecodePng(pics[1]->Data.span()).Width, 16);
  }
  EXPECT_EQ(asked, 4);

  // A picture the converter cannot render is left out, the rest is kept.
  const TRVPictureToPng none = [](const TRVPictureItemInfo&) { return std::optional<std::string>(); };
  TRVDocument back;
  ASSERT_TRUE(LoadRTF(SaveRTF(doc, none), back));
  EXPECT_TRUE(testing::PictureItems(back).empty());
  EXPECT_EQ(back.Paragraph(0).Item(0).AsText()->Text, "a");
}

TEST(RtfPictures, GifToPngRefusesWhatIsNotAGif) {
  const Bytes junk = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};
  EXPECT_FALSE(GifToPng(junk));
  EXPECT_FALSE(GifToPng({}));
}

}  // namespace
}  // namespace nv
