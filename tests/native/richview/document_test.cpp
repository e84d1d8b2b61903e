#include "richview/document.h"

#include <gtest/gtest.h>

#include <functional>

#include "richview/utf8.h"
#include "ui/errors.h"

namespace nv {
namespace {

const std::vector<std::uint8_t> kPng = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};

TRVPictureItemInfo Picture() {
  TRVPictureItemInfo p;
  p.Kind = TRVPictureKind::Png;
  p.Data = SharedBytes(kPng);
  p.Width = 16;
  p.Height = 8;
  return p;
}

// "Grüße " + hyperlink "€x" (style 4) | picture | line
// empty line in style 3
TRVDocument Sample() {
  TRVDocument d;
  TRVParagraph& p0 = d.AddParagraph(0);
  p0.AddItem(TRVItem::MakeText("Gr\xC3\xBC\xC3\x9F" "e ", 0));
  p0.AddItem(TRVItem::MakeText("\xE2\x82\xACx", 4, "https://example.org/"));
  p0.AddItem(Picture());
  p0.AddItem(TRVBreakItemInfo{});
  d.AddParagraph(1).AddItem(TRVItem::MakeText("", 3));
  return d;
}

TEST(Paragraph, EveryChangeTakesANewRevisionStamp) {
  TRVParagraph p(0);
  std::uint64_t last = p.Revision();
  auto changed = [&] {
    const bool fresh = p.Revision() != last;
    last = p.Revision();
    return fresh;
  };
  p.AddItem(TRVItem::MakeText("a", 0));
  EXPECT_TRUE(changed());
  p.MutableItem(0).AsText()->Text += "b";
  EXPECT_TRUE(changed());
  p.MutableItems().push_back(TRVItem::MakeText("c", 1));
  EXPECT_TRUE(changed());
  p.SetParaNo(1);
  EXPECT_TRUE(changed());
  p.Touch();
  EXPECT_TRUE(changed());

  // Reading changes nothing.
  (void)p.Items();
  (void)p.Item(1);
  (void)p.ParaNo();
  EXPECT_FALSE(changed());

  // A copy has the same content and stamp; changing it leaves the original.
  TRVParagraph copy = p;
  EXPECT_EQ(copy.Revision(), p.Revision());
  copy.MutableItem(0);
  EXPECT_NE(copy.Revision(), p.Revision());
  EXPECT_EQ(copy, p);  // stamps take no part in equality
  EXPECT_FALSE(changed());

  // Fresh paragraphs never share a stamp, even with equal content.
  EXPECT_NE(TRVParagraph(0).Revision(), TRVParagraph(0).Revision());
  EXPECT_THROW(p.Item(2), EListError);
  EXPECT_THROW(p.MutableItem(-1), EListError);
  EXPECT_FALSE(changed());  // a failed access is no change
}

TEST(Document, EqualityIsExact) {
  const TRVDocument a = Sample();
  EXPECT_EQ(Sample(), a);
  EXPECT_EQ(ValidateDocument(a), "");

  const std::function<void(TRVDocument&)> changes[] = {
      [](TRVDocument& d) { d.Color = clWhite; },
      [](TRVDocument& d) { d.Style.TextStyles[0].StyleName = "Body"; },
      [](TRVDocument& d) { d.Style.DefUnicodeStyle = 0; },
      [](TRVDocument& d) { d.Paragraphs[1].SetParaNo(0); },
      [](TRVDocument& d) { d.Paragraphs[0].MutableItem(0).AsText()->Text = "Grusse "; },
      [](TRVDocument& d) { d.Paragraphs[0].MutableItem(1).AsText()->Target = "x"; },
      [](TRVDocument& d) { d.Paragraphs[0].MutableItem(1).Checkpoints.push_back(""); },
      [](TRVDocument& d) { d.Paragraphs[0].MutableItem(2).AsPicture()->Data = SharedBytes("x", 1); },
      [](TRVDocument& d) { d.Paragraphs[0].MutableItem(2).AsPicture()->VAlign = TRVVAlign::Middle; },
      [](TRVDocument& d) { d.Paragraphs[0].MutableItem(3).AsBreak()->Color = clRed; },
      [](TRVDocument& d) { d.Paragraphs.pop_back(); },
  };
  for (size_t i = 0; i < std::size(changes); ++i) {
    TRVDocument b = Sample();
    changes[i](b);
    EXPECT_FALSE(b == a) << i;
  }

  // Copies share picture bytes but compare by content.
  const TRVDocument copy = a;
  EXPECT_EQ(copy.Item(0, 2).AsPicture()->Data.data(), a.Item(0, 2).AsPicture()->Data.data());
  TRVDocument other = Sample();
  EXPECT_NE(other.Item(0, 2).AsPicture()->Data.data(), a.Item(0, 2).AsPicture()->Data.data());
  EXPECT_EQ(other, a);
}

TEST(Document, PositionsCountCharacters) {
  const TRVDocument d = Sample();
  EXPECT_EQ(d.Item(0, 0).EndOffset(), 6);  // "Grüße " is 6 characters, 8 bytes
  EXPECT_EQ(d.Item(0, 1).EndOffset(), 2);
  EXPECT_EQ(d.Item(0, 2).EndOffset(), 1);
  EXPECT_EQ(d.Item(0, 3).EndOffset(), 1);
  EXPECT_EQ(d.Item(1, 0).EndOffset(), 0);

  EXPECT_TRUE(d.IsValidPosition({0, 0, 6}));
  EXPECT_FALSE(d.IsValidPosition({0, 0, 7}));
  EXPECT_FALSE(d.IsValidPosition({0, 0, -1}));
  EXPECT_TRUE(d.IsValidPosition({0, 2, 1}));
  EXPECT_FALSE(d.IsValidPosition({0, 2, 2}));
  EXPECT_FALSE(d.IsValidPosition({0, 4, 0}));
  EXPECT_TRUE(d.IsValidPosition({1, 0, 0}));
  EXPECT_FALSE(d.IsValidPosition({1, 0, 1}));
  EXPECT_FALSE(d.IsValidPosition({2, 0, 0}));
  EXPECT_FALSE(d.IsValidPosition({-1, 0, 0}));

  EXPECT_EQ(d.StartPosition(), (TRVPosition{0, 0, 0}));
  EXPECT_EQ(d.EndPosition(), (TRVPosition{1, 0, 0}));
  EXPECT_LT((TRVPosition{0, 0, 6}), (TRVPosition{0, 1, 0}));

  // The two spellings of a place between items.
  EXPECT_TRUE(d.SamePlace({0, 0, 6}, {0, 1, 0}));
  EXPECT_TRUE(d.SamePlace({0, 2, 0}, {0, 1, 2}));
  EXPECT_TRUE(d.SamePlace({0, 2, 1}, {0, 3, 0}));
  EXPECT_FALSE(d.SamePlace({0, 0, 5}, {0, 1, 0}));
  EXPECT_FALSE(d.SamePlace({0, 0, 6}, {0, 2, 0}));
  EXPECT_FALSE(d.SamePlace({0, 3, 1}, {1, 0, 0}));  // a paragraph break lies between

  // A character offset never falls inside a UTF-8 sequence.
  const std::string& text = d.Item(0, 0).AsText()->Text;
  EXPECT_EQ(Utf8ByteOffset(text, 3), 4u);
  EXPECT_EQ(text.substr(Utf8ByteOffset(text, 3)), "\xC3\x9F" "e ");
  EXPECT_EQ(Utf8ByteOffset(text, 6), text.size());
  EXPECT_EQ(Utf8ByteOffset(text, 60), text.size());
  EXPECT_EQ(Utf8ByteOffset(text, -1), 0u);

  const TRVDocument empty;
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_FALSE(empty.IsValidPosition(empty.StartPosition()));
  EXPECT_FALSE(empty.IsValidPosition(empty.EndPosition()));
  EXPECT_THROW(empty.Item(0, 0), EListError);
}

TEST(Document, HyperlinksAndCheckpoints) {
  TRVDocument d = Sample();
  EXPECT_FALSE(d.IsHyperlink(d.Item(0, 0)));
  EXPECT_TRUE(d.IsHyperlink(d.Item(0, 1)));
  EXPECT_FALSE(d.IsHyperlink(d.Item(0, 2)));

  d.Paragraphs[0].MutableItem(0).Checkpoints = {"top", ""};
  d.Paragraphs[0].MutableItem(3).Checkpoints = {"rule"};
  d.Paragraphs[1].MutableItem(0).Checkpoints = {"top"};
  const std::vector<TRVCheckpoint> want = {{0, 0, "top"}, {0, 0, ""}, {0, 3, "rule"}, {1, 0, "top"}};
  EXPECT_EQ(d.Checkpoints(), want);
  EXPECT_EQ(d.FindCheckpoint("top"), (TRVCheckpoint{0, 0, "top"}));
  EXPECT_EQ(d.FindCheckpoint("rule"), (TRVCheckpoint{0, 3, "rule"}));
  EXPECT_FALSE(d.FindCheckpoint("Rule").has_value());

  // Clear drops the text, keeps sheet and colour.
  d.Color = clYellow;
  d.Style.FindOrAddTextStyle(TFontInfo{.Size = 20}, -1);
  d.Clear();
  EXPECT_TRUE(d.IsEmpty());
  EXPECT_TRUE(d.Checkpoints().empty());
  EXPECT_EQ(d.Color, clYellow);
  EXPECT_EQ(d.Style.TextStyleCount(), 7);
}

TEST(Normalize, MergesEqualNeighboursAndDropsEmptyText) {
  TRVParagraph p(0);
  p.AddItem(TRVItem::MakeText("a", 0));
  p.AddItem(TRVItem::MakeText("b", 0));
  p.AddItem(TRVItem::MakeText("", 0)).Checkpoints = {"mid"};
  p.AddItem(TRVItem::MakeText("c", 0));
  p.AddItem(TRVItem::MakeText("d", 4, "t1"));
  p.AddItem(TRVItem::MakeText("e", 4, "t2"));  // another link
  p.AddItem(TRVItem::MakeText("f", 4, "t2"));
  p.AddItem(Picture());
  p.AddItem(TRVItem::MakeText("", 1)).Checkpoints = {"end"};
  const std::uint64_t before = p.Revision();
  EXPECT_TRUE(NormalizeParagraph(p));
  EXPECT_NE(p.Revision(), before);

  ASSERT_EQ(p.ItemCount(), 5);
  EXPECT_EQ(p.Item(0), TRVItem::MakeText("ab", 0));
  // The checkpoint of the removed empty item stays before "c", which
  // therefore does not merge with "ab".
  EXPECT_EQ(p.Item(1).AsText()->Text, "c");
  EXPECT_EQ(p.Item(1).Checkpoints, std::vector<std::string>{"mid"});
  EXPECT_EQ(p.Item(2), TRVItem::MakeText("d", 4, "t1"));
  EXPECT_EQ(p.Item(3), TRVItem::MakeText("ef", 4, "t2"));
  EXPECT_EQ(p.Item(4).Kind(), TRVItemKind::Picture);
  EXPECT_EQ(p.Item(4).Checkpoints, std::vector<std::string>{"end"});

  // Nothing to do: no change, no new stamp.
  const std::uint64_t after = p.Revision();
  EXPECT_FALSE(NormalizeParagraph(p));
  EXPECT_EQ(p.Revision(), after);

  // Only empty text: one empty line stays, with every checkpoint.
  TRVParagraph blank(0);
  blank.AddItem(TRVItem::MakeText("", 2)).Checkpoints = {"x"};
  blank.AddItem(TRVItem::MakeText("", 3)).Checkpoints = {"y"};
  EXPECT_TRUE(NormalizeParagraph(blank));
  ASSERT_EQ(blank.ItemCount(), 1);
  EXPECT_TRUE(blank.IsEmptyLine());
  EXPECT_EQ(blank.Item(0).AsText()->StyleNo, 2);
  EXPECT_EQ(blank.Item(0).Checkpoints, (std::vector<std::string>{"x", "y"}));
  EXPECT_FALSE(NormalizeParagraph(blank));
}

TEST(Document, ValidationFindsEveryBrokenInvariant) {
  using Change = std::function<void(TRVDocument&)>;
  const std::pair<const char*, Change> broken[] = {
      {"sheet", [](TRVDocument& d) { d.Style.TextStyles[0].Size = 5000; }},
      {"para style", [](TRVDocument& d) { d.Paragraphs[1].SetParaNo(2); }},
      {"no items", [](TRVDocument& d) { d.Paragraphs[1].MutableItems().clear(); }},
      {"text style", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(0).AsText()->StyleNo = 6; }},
      {"bad UTF-8", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(0).AsText()->Text = "\xC3("; }},
      {"CR", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(0).AsText()->Text = "a\rb"; }},
      {"NUL", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(0).AsText()->Text = std::string("a\0b", 3); }},
      {"empty text", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(1).AsText()->Text.clear(); }},
      {"target", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(1).AsText()->Target = "\x80"; }},
      {"checkpoint", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(1).Checkpoints = {"\xE2\x82"}; }},
      {"no bytes", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(2).AsPicture()->Data = {}; }},
      {"width 0", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(2).AsPicture()->Width = 0; }},
      {"too high", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(2).AsPicture()->Height = kMaxPictureSize + 1; }},
      {"kind", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(2).AsPicture()->Kind = static_cast<TRVPictureKind>(7); }},
      {"valign", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(2).AsPicture()->VAlign = static_cast<TRVVAlign>(4); }},
      {"line width", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(3).AsBreak()->Width = -1; }},
      {"line style", [](TRVDocument& d) { d.Paragraphs[0].MutableItem(3).AsBreak()->Style = static_cast<TRVBreakStyle>(3); }},
  };
  for (const auto& [what, change] : broken) {
    TRVDocument d = Sample();
    change(d);
    EXPECT_NE(ValidateDocument(d), "") << what;
  }
  // Tabs and line feeds are text; an empty document is valid.
  TRVDocument d = Sample();
  d.Paragraphs[0].MutableItem(0).AsText()->Text = "a\tb\nc";
  EXPECT_EQ(ValidateDocument(d), "");
  EXPECT_EQ(ValidateDocument(TRVDocument()), "");
}

TEST(ItemText, Utf8ValidityAndCleaning) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xE0\x9F\xBF"));      // overlong three-byte
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut off
  EXPECT_FALSE(IsValidUtf8("\xE2\x28\xAC"));
  EXPECT_FALSE(IsValidUtf8("\x80"));
  EXPECT_EQ(Utf8CharCount("a\xC3\xA9\xF0\x9F\x98\x80"), 3);

  EXPECT_EQ(CleanItemText("a\r\nb\tc"), "a\nb\tc");
  EXPECT_EQ(CleanItemText(std::string("x\0y", 3)), "xy");
  EXPECT_EQ(CleanItemText("\xC3(\r"), "\xEF\xBF\xBD(");
  EXPECT_TRUE(IsValidUtf8(CleanItemText("\xF0\x9F\x98")));
}

TEST(Pictures, KindsByExtensionAndSignature) {
  EXPECT_EQ(PictureKindFromExtension(".JPG"), TRVPictureKind::Jpg);
  EXPECT_EQ(PictureKindFromExtension("jpeg"), TRVPictureKind::Jpg);
  EXPECT_EQ(PictureKindFromExtension(".Gif"), TRVPictureKind::Gif);
  EXPECT_FALSE(PictureKindFromExtension(".txt").has_value());
  EXPECT_FALSE(PictureKindFromExtension("").has_value());
  for (int k = 0; k <= static_cast<int>(kLastPictureKind); ++k) {
    const auto kind = static_cast<TRVPictureKind>(k);
    EXPECT_EQ(PictureKindFromExtension(PictureKindExtension(kind)), kind);
  }

  auto detect = [](std::vector<std::uint8_t> b) { return DetectPictureKind(b); };
  EXPECT_EQ(detect(kPng), TRVPictureKind::Png);
  EXPECT_EQ(detect({0xFF, 0xD8, 0xFF, 0xE0}), TRVPictureKind::Jpg);
  EXPECT_EQ(detect({'G', 'I', 'F', '8', '9', 'a'}), TRVPictureKind::Gif);
  EXPECT_EQ(detect({'B', 'M', 0, 0}), TRVPictureKind::Bmp);
  EXPECT_EQ(detect({0, 0, 1, 0, 1, 0}), TRVPictureKind::Ico);
  EXPECT_EQ(detect({0xD7, 0xCD, 0xC6, 0x9A, 0, 0}), TRVPictureKind::Wmf);
  EXPECT_EQ(detect({1, 0, 9, 0, 0, 3}), TRVPictureKind::Wmf);
  std::vector<std::uint8_t> emf(88, 0);
  emf[0] = 1;
  emf[40] = ' ';
  emf[41] = 'E';
  emf[42] = 'M';
  emf[43] = 'F';
  EXPECT_EQ(detect(emf), TRVPictureKind::Emf);
  emf.resize(42);  // signature cut off
  EXPECT_FALSE(detect(emf).has_value());
  EXPECT_FALSE(detect({}).has_value());
  EXPECT_FALSE(detect({0x89, 'P', 'N'}).has_value());
}

TEST(Colors, ResolvedForWriters) {
  EXPECT_EQ(clWindowText, 0xFF000008u);
  EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clHighlight), MakeColor(51, 153, 255));
  EXPECT_EQ(ColorToRGB(kSystemColorFlag | 200), clBlack);  // no such index
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clMaroon), 0x000080u);
  EXPECT_EQ(ColorToRGB(0x02123456), 0x123456u);
  EXPECT_EQ(TextColorToRGB(clNone), clBlack);
  EXPECT_EQ(TextColorToRGB(clGreen), clGreen);
  EXPECT_EQ(ColorRed(MakeColor(1, 2, 3)), 1);
  EXPECT_EQ(ColorGreen(MakeColor(1, 2, 3)), 2);
  EXPECT_EQ(ColorBlue(MakeColor(1, 2, 3)), 3);
  EXPECT_EQ(clBlue, 0x00FF0000u);
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_TRUE(IsSystemColor(clBtnFace));
}

}  // namespace
}  // namespace nv
