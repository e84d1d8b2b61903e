// Files as common word processors save them: everything but the document
// (style sheets, generator, revision ids, list tables, themes, data stores,
// page setup) is passed over, and the text, formatting, list numbering,
// hyperlinks, bookmarks, pictures and page colour come through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "richview/rtf.h"
#include "rtf_test_util.h"

namespace nv {
namespace {

using rtftest::ParaOf;
using rtftest::StyleOf;
using rtftest::Text;
using rtftest::TextItem;

std::string DataFile(const std::string& name) {
  const char* dir = std::getenv("NOOKVALE_TESTDATA");
  std::ifstream in(std::string(dir ? dir : "tests/data") + "/rtf/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  EXPECT_FALSE(s.str().empty()) << name;
  return s.str();
}

TEST(RtfSamples, WordProcessorDocument) {
  const TRVDocument doc = rtftest::Read(DataFile("word_sample.rtf"));
  ASSERT_EQ(Text(doc),
            "Quarterly report|"
            "Sales grew by 12\u00a0% in the third quarter. See the full figures."
            "\u201cNa\u00efve\u201d \u2014 caf\u00e9, \u041f\u0440\u0438.|"
            "\u00b7\tFirst point|\u00b7\tSecond point|# signed");
  EXPECT_EQ(doc.Color, 15925247u);

  const TFontInfo& title = StyleOf(doc, 0, 0);
  EXPECT_EQ(title.FontName, "Arial");
  EXPECT_EQ(title.Size, 16);
  EXPECT_EQ(title.Style, fsBold);
  EXPECT_EQ(title.Color, MakeColor(0, 0, 255));
  EXPECT_EQ(ParaOf(doc, 0).Alignment, TParaAlignment::Center);
  EXPECT_EQ(ParaOf(doc, 0).SpaceBefore, 16);

  const TParaInfo& body = ParaOf(doc, 1);
  EXPECT_EQ(body.Alignment, TParaAlignment::Left);
  EXPECT_EQ(body.SpaceAfter, 11);
  EXPECT_EQ(body.LineSpacing, 108);
  EXPECT_EQ(StyleOf(doc, 1, 0).FontName, "Calibri");
  EXPECT_EQ(StyleOf(doc, 1, 0).Size, 11);
  EXPECT_EQ(StyleOf(doc, 1, 1).Style, fsItalic);
  const TRVItem& link = doc.Item(1, 2);
  EXPECT_TRUE(doc.IsHyperlink(link));
  EXPECT_EQ(link.AsText()->Text, "the full figures");
  EXPECT_EQ(link.AsText()->Target, "https://example.com/q3?a=1&b=2");
  EXPECT_EQ(link.Checkpoints, std::vector<std::string>{"details"});

  EXPECT_EQ(ParaOf(doc, 2).LeftIndent, 48);
  EXPECT_EQ(ParaOf(doc, 2).FirstIndent, -24);
  EXPECT_EQ(StyleOf(doc, 2, 0).FontName, "Symbol");
  EXPECT_EQ(StyleOf(doc, 3, 1).Style, fsBold);

  EXPECT_EQ(ParaOf(doc, 4).Alignment, TParaAlignment::Right);
  const TRVPictureItemInfo& pic = *doc.Item(4, 0).AsPicture();
  EXPECT_EQ(pic.Kind, TRVPictureKind::Png);  // the \shppict one, not the metafile fallback
  EXPECT_EQ(pic.Width, 16);
  EXPECT_EQ(pic.Height, 8);
  EXPECT_EQ(StyleOf(doc, 4, 1).Color, MakeColor(255, 0, 0));
  EXPECT_EQ(StyleOf(doc, 4, 1).BackColor, MakeColor(255, 255, 0));

  // Formatting repeated across runs and paragraphs adds each look once.
  std::vector<int> seen;
  for (const TRVParagraph& p : doc.Paragraphs)
    for (const TRVItem& item : p.Items())
      if (const TRVTextItemInfo* t = item.AsText()) seen.push_back(t->StyleNo);
  std::sort(seen.begin(), seen.end());
  seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
  EXPECT_EQ(doc.Style.TextStyleCount(), 6 + static_cast<int>(seen.size()));
}

TEST(RtfSamples, RichEditDocumentInCyrillicCodePage) {
  const TRVDocument doc = rtftest::Read(DataFile("wordpad_sample.rtf"));
  ASSERT_EQ(Text(doc),
            "\u041f\u0440\u0438\u0432\u0435\u0442, world|"
            "\u0422\u0435\u043a\u0441\u0442 \u043a\u0440\u0430\u0441\u043d\u044b\u0439 italic underlined gone|"
            "\u00b7\tbullet|"
            "\u0141\u00f3d\u017a https://example.org");
  EXPECT_EQ(StyleOf(doc, 0, 0).Charset, 204);
  EXPECT_EQ(StyleOf(doc, 0, 0).Size, 14);
  EXPECT_EQ(ParaOf(doc, 0).Alignment, TParaAlignment::Center);
  EXPECT_EQ(StyleOf(doc, 1, 1).Color, MakeColor(255, 0, 0));
  EXPECT_EQ(ParaOf(doc, 2).FirstIndent, -24);
  EXPECT_EQ(StyleOf(doc, 3, 0).Charset, 238);
  EXPECT_EQ(TextItem(doc, 3, 2).Target, "https://example.org");
}

TEST(RtfSamples, SamplesSurviveOurOwnRoundTrip) {
  for (const char* name : {"word_sample.rtf", "wordpad_sample.rtf"}) {
    const TRVDocument doc = rtftest::Read(DataFile(name));
    const TRVDocument back = rtftest::Read(SaveRTF(doc));
    EXPECT_TRUE(back == doc) << name;
  }
}

}  // namespace
}  // namespace nv
