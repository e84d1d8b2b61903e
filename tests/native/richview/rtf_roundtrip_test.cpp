// Writing RTF and reading it back: random documents made of everything
// both sides support come back equal, and what RTF cannot hold is left out
// cleanly.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "richview/rtf.h"
#include "rtf_test_util.h"

namespace nv {
namespace {

using rtftest::Read;
using rtftest::Text;

// Random documents built the way the reader builds them: styles through
// the lookup (base -1) in document order, paragraphs normalised.
class DocumentGenerator {
 public:
  explicit DocumentGenerator(unsigned seed) : rng_(seed) {}

  TRVDocument Make() {
    TRVDocument doc;
    if (Chance(3)) doc.Color = PlainColor();
    const int paragraphs = Int(0, 8);
    for (int i = 0; i < paragraphs; ++i) Paragraph(doc);
    return doc;
  }

 private:
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(int oneIn) { return Int(1, oneIn) == 1; }
  template <class T>
  const T& Pick(const std::vector<T>& v) { return v[static_cast<std::size_t>(Int(0, static_cast<int>(v.size()) - 1))]; }
  TColor PlainColor() { return MakeColor(static_cast<std::uint8_t>(Int(0, 255)), static_cast<std::uint8_t>(Int(0, 255)), static_cast<std::uint8_t>(Int(0, 255))); }

  TParaInfo ParaFormat() {
    TParaInfo p;
    if (Chance(2)) return p;
    p.Alignment = static_cast<TParaAlignment>(Int(0, 3));
    p.LeftIndent = Int(-50, 400);
    p.FirstIndent = Int(-50, 50);
    p.RightIndent = Int(0, 300);
    p.SpaceBefore = Int(0, 60);
    p.SpaceAfter = Int(0, 60);
    p.LineSpacing = Chance(2) ? 100 : Int(kMinLineSpacing, kMaxLineSpacing);
    if (Chance(3)) p.Background.Color = PlainColor();
    if (Chance(3)) {
      p.Border.Style = Chance(2) ? TParaBorderStyle::Single : TParaBorderStyle::Double;
      p.Border.Width = Int(0, 6);
      p.Border.Color = Chance(2) ? clWindowText : PlainColor();
      // A bottom border alone on an empty paragraph reads as a line.
      do p.Border.Sides = static_cast<std::uint8_t>(Int(1, kAllBorderSides));
      while (p.Border.Sides == kBorderBottom);
      p.Border.Padding = Int(0, 12);
    }
    int pos = 0;
    for (int t = Int(0, 3); t > 0; --t) {
      pos += Int(1, 200);
      p.Tabs.push_back({pos, static_cast<TTabAlign>(Int(0, 2)), Pick<std::string>({"", ".", "-", "_", "=", "\xC2\xB7"})});
    }
    if (Chance(4)) p.BiDiMode = TRVBiDiMode::RightToLeft;
    return p;
  }

  TFontInfo TextFormat(bool jump) {
    TFontInfo f;
    if (!jump && Chance(3)) return f;
    f.FontName = Pick<std::string>({"Arial", "Times New Roman", "Courier New", "Symbol", "Segoe UI"});
    f.Charset = Pick<int>({0, 1, 2, 204, 238});
    f.Size = Chance(10) ? kMaxFontSize : Int(1, 72);
    f.Style = static_cast<TFontStyles>(Int(0, kAllFontStyles));
    if (Chance(5)) f.Effects = efAllCaps;
    if (Chance(2)) f.Color = PlainColor();
    if (Chance(3)) f.BackColor = PlainColor();
    f.Jump = jump;
    return f;
  }

  std::string SomeText() {
    static const std::vector<std::string> pieces = {
        "plain ", "x", " ", "\t", "\n", "caf\xC3\xA9", "\xE2\x82\xAC", "{braces}", "back\\slash",
        "\xD0\x9F\xD1\x80\xD0\xB8", "\xC5\xA1", "\xF0\x9F\x98\x80", "semi;colon", "\xC2\xA0",
        "\xEF\x80\xB7", "\x01", "?", "\xEF\xBF\xBF", "\xC2\x80"};
    std::string s;
    for (int i = Int(1, 5); i > 0; --i) s += Pick(pieces);
    return s;
  }

  TRVPictureItemInfo Picture() {
    TRVPictureItemInfo pic;
    std::vector<std::uint8_t> bytes;
    switch (Int(0, 4)) {
      case 0: pic.Kind = TRVPictureKind::Png; bytes = rtftest::PngBytes(Int(1, 300), Int(1, 300), static_cast<std::uint8_t>(Int(0, 255))); break;
      case 1: pic.Kind = TRVPictureKind::Jpg; bytes = {0xFF, 0xD8, 0xFF, 0xE0, static_cast<std::uint8_t>(Int(0, 255)), 0xFF, 0xD9}; break;
      case 2: pic.Kind = TRVPictureKind::Emf; bytes = {1, 0, 0, 0, static_cast<std::uint8_t>(Int(0, 255))}; break;
      case 3: pic.Kind = TRVPictureKind::Wmf; bytes = {1, 0, 9, 0, 0, 3, static_cast<std::uint8_t>(Int(0, 255))}; break;
      default: pic.Kind = TRVPictureKind::Bmp; bytes = rtftest::BmpOfDib(rtftest::DibBytes()); break;
    }
    pic.Data = SharedBytes(std::move(bytes));
    pic.Width = Chance(10) ? kMaxPictureSize : Int(1, 2000);
    pic.Height = Int(1, 2000);
    return pic;
  }

  void Checkpoints(TRVItem& item) {
    if (Chance(4))
      for (int n = Int(1, 2); n > 0; --n) item.Checkpoints.push_back(Pick<std::string>({"", "a", "Mark 1", "\xC3\xA4{}"}));
  }

  void Paragraph(TRVDocument& doc) {
    TParaInfo format = ParaFormat();
    const int kind = Int(0, 9);
    if (kind == 0) {  // a horizontal line
      format.Border = TParaBorder{};
      TRVParagraph& p = doc.AddParagraph(doc.Style.FindOrAddParaStyle(format, -1));
      TRVBreakItemInfo br;
      br.Width = Int(0, 10);
      br.Style = static_cast<TRVBreakStyle>(Int(0, 2));
      if (Chance(2)) br.Color = PlainColor();
      TRVItem item(br);
      Checkpoints(item);
      p.AddItem(std::move(item));
      return;
    }
    const int paraNo = doc.Style.FindOrAddParaStyle(format, -1);
    if (kind == 1) {  // an empty line
      TRVItem item = TRVItem::MakeText({}, doc.Style.FindOrAddTextStyle(TextFormat(false), -1));
      Checkpoints(item);
      doc.AddParagraph(paraNo).AddItem(std::move(item));
      return;
    }
    TRVParagraph para(paraNo);
    for (int i = Int(1, 6); i > 0; --i) {
      TRVItem item;
      if (Chance(5)) {
        item = TRVItem(Picture());
      } else {
        const bool jump = Chance(4);
        const int style = doc.Style.FindOrAddTextStyle(TextFormat(jump), -1);
        std::string target;
        if (jump) target = Pick<std::string>({"", "http://example.org/a b", "#anchor", "http://h/p#frag", "C:\\dir\\\"q\"", "mailto:\xC3\xA4@x"});
        item = TRVItem::MakeText(SomeText(), style, target);
      }
      Checkpoints(item);
      para.AddItem(std::move(item));
    }
    NormalizeParagraph(para);
    doc.Paragraphs.push_back(std::move(para));
  }

  std::mt19937 rng_;
};

// Where two documents first differ, for failure messages.
std::string FirstDifference(const TRVDocument& a, const TRVDocument& b) {
  if (a.Color != b.Color) return "colour";
  for (int i = 0; i < std::max(a.Style.TextStyleCount(), b.Style.TextStyleCount()); ++i)
    if (!a.Style.HasTextStyle(i) || !b.Style.HasTextStyle(i) || !(a.Style.TextStyle(i) == b.Style.TextStyle(i)))
      return "text style " + std::to_string(i);
  for (int i = 0; i < std::max(a.Style.ParaStyleCount(), b.Style.ParaStyleCount()); ++i)
    if (!a.Style.HasParaStyle(i) || !b.Style.HasParaStyle(i) || !(a.Style.ParaStyle(i) == b.Style.ParaStyle(i)))
      return "paragraph style " + std::to_string(i);
  if (a.ParagraphCount() != b.ParagraphCount()) return "paragraph count";
  for (int p = 0; p < a.ParagraphCount(); ++p) {
    if (a.Paragraph(p).ParaNo() != b.Paragraph(p).ParaNo()) return "paragraph style of " + std::to_string(p);
    if (a.Paragraph(p).ItemCount() != b.Paragraph(p).ItemCount()) return "item count of " + std::to_string(p);
    for (int i = 0; i < a.Paragraph(p).ItemCount(); ++i)
      if (!(a.Item(p, i) == b.Item(p, i))) {
        std::string s = "item " + std::to_string(p) + "." + std::to_string(i);
        if (const TRVTextItemInfo* t = a.Item(p, i).AsText())
          s += " [" + t->Text + "|" + std::to_string(t->StyleNo) + "|" + t->Target + "]";
        if (const TRVTextItemInfo* t = b.Item(p, i).AsText())
          s += " [" + t->Text + "|" + std::to_string(t->StyleNo) + "|" + t->Target + "]";
        return s;
      }
  }
  return "none";
}

TEST(RtfRoundTrip, RandomDocumentsComeBackEqual) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    const TRVDocument doc = DocumentGenerator(seed).Make();
    ASSERT_EQ(ValidateDocument(doc), "") << seed;
    const std::string rtf = SaveRTF(doc);
    // Into a fresh document: the sheet grows the same way.
    const TRVDocument back = Read(rtf);
    ASSERT_TRUE(back == doc) << "seed " << seed << ": " << FirstDifference(back, doc) << "\n" << rtf;
    // Into a document that has the sheet already: nothing is appended.
    TRVDocument again;
    again.Style = doc.Style;
    ASSERT_TRUE(LoadRTF(rtf, again));
    ASSERT_TRUE(again == doc) << "seed " << seed << ": " << FirstDifference(again, doc);
    // And writing what was read gives the same bytes.
    ASSERT_EQ(SaveRTF(back), rtf) << seed;
  }
}

TEST(RtfRoundTrip, EmptyDocumentAndEmptyLines) {
  TRVDocument empty;
  EXPECT_EQ(Read(SaveRTF(empty)), empty);
  TRVDocument lines;
  for (int i = 0; i < 3; ++i) lines.AddParagraph(0).AddItem(TRVItem::MakeText({}, i == 1 ? 1 : 0));
  EXPECT_EQ(Read(SaveRTF(lines)), lines);
}

TEST(RtfRoundTrip, HyperlinkFieldsKeepTextStyleAndTarget) {
  const TRVDocument first = Read(
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green128\\blue0;}\\f0\\fs20 "
      "go {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/a?b=1\" }}{\\fldrslt{\\ul\\cf1 site}}} "
      "or {\\field{\\*\\fldinst HYPERLINK \"mailto:me@example.org\"}{\\fldrslt{\\ul\\cf1 mail}}}, "
      "{\\field{\\*\\fldinst HYPERLINK \"doc.rtf\" \\\\l \"part 2\"}{\\fldrslt{\\ul\\cf1 there}}}}");
  auto links = [](const TRVDocument& d) {
    std::vector<std::string> out;
    for (const TRVItem& item : d.Paragraph(0).Items())
      if (d.IsHyperlink(item)) out.push_back(item.AsText()->Text + "=" + item.AsText()->Target);
    return out;
  };
  const std::vector<std::string> want = {"site=https://example.org/a?b=1", "mail=mailto:me@example.org",
                                         "there=doc.rtf#part 2"};
  ASSERT_EQ(links(first), want);
  const std::string written = SaveRTF(first);
  EXPECT_NE(written.find("HYPERLINK \"https://example.org/a?b=1\""), std::string::npos) << written;
  EXPECT_NE(written.find("HYPERLINK \"doc.rtf\" \\\\l \"part 2\""), std::string::npos) << written;
  const TRVDocument back = Read(written);
  EXPECT_EQ(links(back), want);
  EXPECT_EQ(FirstDifference(first, back), "none");
}

TEST(RtfWrite, TextEscapesAndCodePages) {
  TRVDocument doc;
  doc.AddParagraph(0).AddItem(TRVItem::MakeText("a{b}c\\ \xC3\xA9\xE2\x82\xAC\xD0\x96\t\n\xF0\x9F\x98\x80", 0));
  const std::string rtf = SaveRTF(doc);
  EXPECT_NE(rtf.find("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fcharset1 Arial;}}"), std::string::npos) << rtf;
  // 1252 characters as bytes, the rest as \u with one fallback byte.
  EXPECT_NE(rtf.find("a\\{b\\}c\\\\ \\'e9\\'80\\u1046?\\tab\\line\\u-10179?\\u-8704?"), std::string::npos) << rtf;
}

TEST(RtfWrite, PicturesRtfCannotHoldAreLeftOut) {
  TRVDocument doc;
  TRVParagraph& p = doc.AddParagraph(0);
  p.AddItem(TRVItem::MakeText("a", 0));
  for (TRVPictureKind kind : {TRVPictureKind::Gif, TRVPictureKind::Ico}) {
    TRVPictureItemInfo pic;
    pic.Kind = kind;
    pic.Data = SharedBytes(std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0});
    pic.Width = pic.Height = 1;
    TRVItem item(pic);
    item.Checkpoints = {"kept"};
    p.AddItem(std::move(item));
  }
  p.AddItem(TRVItem::MakeText("b", 0));
  const TRVDocument back = Read(SaveRTF(doc));
  EXPECT_EQ(Text(back), "ab");
  EXPECT_EQ(back.Checkpoints().size(), 2u);  // their checkpoints stay, on what follows
}

TEST(RtfWrite, PlaceableMetafileHeaderAndLinesInsideParagraphs) {
  TRVDocument doc;
  TRVParagraph& p = doc.AddParagraph(0);
  p.AddItem(TRVItem::MakeText("before", 0));
  TRVPictureItemInfo wmf;
  wmf.Kind = TRVPictureKind::Wmf;
  std::vector<std::uint8_t> bytes = {0xD7, 0xCD, 0xC6, 0x9A};
  bytes.resize(22, 0);
  for (std::uint8_t b : {1, 0, 9, 0, 0, 3}) bytes.push_back(b);
  wmf.Data = SharedBytes(bytes);
  wmf.Width = 10;
  wmf.Height = 20;
  p.AddItem(TRVItem(wmf));
  p.AddItem(TRVItem(TRVBreakItemInfo{}));
  p.AddItem(TRVItem::MakeText("after", 0));
  const TRVDocument back = Read(SaveRTF(doc));
  // RTF keeps the bare metafile; a line stands in a paragraph of its own.
  EXPECT_EQ(Text(back), "before#|-|after");
  EXPECT_EQ(back.Item(0, 1).AsPicture()->Data.size(), 6u);
  EXPECT_EQ(back.Item(0, 1).AsPicture()->Width, 10);
  EXPECT_EQ(*back.Item(1, 0).AsBreak(), TRVBreakItemInfo{});
}

TEST(RtfWrite, SystemColoursAreWrittenAsTheirColours) {
  TRVDocument doc;
  doc.Color = clBtnFace;
  TFontInfo f;
  f.Color = clHighlight;
  f.BackColor = clWindow;
  doc.AddParagraph(0).AddItem(TRVItem::MakeText("x", doc.Style.FindOrAddTextStyle(f, -1)));
  const TRVDocument back = Read(SaveRTF(doc));
  EXPECT_EQ(back.Color, ColorToRGB(clBtnFace));
  EXPECT_EQ(rtftest::StyleOf(back, 0, 0).Color, ColorToRGB(clHighlight));
  EXPECT_EQ(rtftest::StyleOf(back, 0, 0).BackColor, ColorToRGB(clWindow));
}

}  // namespace
}  // namespace nv
