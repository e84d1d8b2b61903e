#include "richview/rvf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "richview/utf8.h"
#include "support/temp_dir.h"
#include "ui/paths.h"
#include "ui/text.h"

namespace nv {
namespace {

// ------------------------------------------------------- random documents

class RandomDoc {
 public:
  explicit RandomDoc(unsigned seed) : rng_(seed) {}

  TRVDocument Make() {
    TRVDocument d;
    d.Style = Sheet();
    d.Color = Colour();
    const int paras = Int(0, 8);
    for (int p = 0; p < paras; ++p) Paragraph(d);
    return d;
  }

 private:
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Coin() { return Int(0, 1) == 1; }
  std::uint32_t U32() { return static_cast<std::uint32_t>(rng_()); }

  TColor Colour() {
    switch (Int(0, 3)) {
      case 0: return clNone;
      case 1: return clWindowText;
      case 2: return kSystemColorFlag | static_cast<TColor>(Int(0, 30));
      default: return U32() & 0x00FFFFFF;
    }
  }

  std::string Text(int maxChars, bool breaks) {
    static const char32_t kChars[] = {'a', 'Z', '0', ' ', ' ', '\t', '<', '&', 0xE9, 0x20AC, 0x4E2D, 0x1F600, 0x7F, 1};
    std::string s;
    const int n = Int(0, maxChars);
    for (int i = 0; i < n; ++i) {
      if (breaks && Int(0, 15) == 0)
        s += '\n';
      else
        AppendUtf8(s, kChars[Int(0, static_cast<int>(std::size(kChars)) - 1)]);
    }
    return s;
  }

  TFontInfo Font(int count) {
    TFontInfo f;
    f.StyleName = Text(12, false);
    f.FontName = Coin() ? "Arial" : Text(10, false);
    f.Size = Int(kMinFontSize, kMaxFontSize);
    f.Color = Colour();
    f.BackColor = Colour();
    f.HoverColor = Colour();
    f.HoverBackColor = Colour();
    f.Style = static_cast<TFontStyles>(Int(0, kAllFontStyles));
    f.Effects = static_cast<TFontEffects>(Int(0, kAllFontEffects));
    f.Charset = Int(0, 255);
    f.Jump = Coin();
    f.JumpCursor = Int(-5, 32000);
    f.VShift = Int(-kMaxVShift, kMaxVShift);
    f.CharScale = Int(kMinCharScale, kMaxCharScale);
    f.CharSpacing = Int(-kMaxCharSpacing, kMaxCharSpacing);
    f.Protection = U32();
    f.Options = U32();
    f.BiDiMode = static_cast<TRVBiDiMode>(Int(0, 2));
    f.BaseStyleNo = Int(-1, count - 1);
    f.Unicode = Coin();
    f.NextStyleNo = Int(-1, count - 1);
    f.Standard = Coin();
    return f;
  }

  TParaInfo Para() {
    TParaInfo p;
    p.StyleName = Text(12, false);
    p.Alignment = static_cast<TParaAlignment>(Int(0, 3));
    p.LeftIndent = Int(-kMaxParaMetric, kMaxParaMetric);
    p.FirstIndent = Int(-kMaxParaMetric, kMaxParaMetric);
    p.RightIndent = Int(-kMaxParaMetric, kMaxParaMetric);
    p.SpaceBefore = Int(0, kMaxParaMetric);
    p.SpaceAfter = Int(0, kMaxParaMetric);
    p.LineSpacing = Int(kMinLineSpacing, kMaxLineSpacing);
    p.Background.Color = Colour();
    p.Border.Style = static_cast<TParaBorderStyle>(Int(0, 2));
    p.Border.Width = Int(0, 20);
    p.Border.Color = Colour();
    p.Border.Sides = static_cast<std::uint8_t>(Int(0, kAllBorderSides));
    p.Border.Padding = Int(0, 40);
    int pos = 0;
    for (int n = Int(0, 4); n > 0; --n) {
      pos += Int(1, 500);
      p.Tabs.push_back({pos, static_cast<TTabAlign>(Int(0, 2)), Coin() ? "." : ""});
    }
    p.BiDiMode = static_cast<TRVBiDiMode>(Int(0, 2));
    p.Standard = Coin();
    return p;
  }

  TRVStyle Sheet() {
    TRVStyle s;
    if (Coin()) return s;  // the starting sheet as it is
    const int texts = Int(1, 8), paras = Int(1, 4);
    s.TextStyles.clear();
    s.ParaStyles.clear();
    for (int i = 0; i < texts; ++i) s.TextStyles.push_back(Font(texts));
    for (int i = 0; i < paras; ++i) s.ParaStyles.push_back(Para());
    s.DefUnicodeStyle = Int(-1, texts - 1);
    return s;
  }

  TRVItem Item(const TRVStyle& s, bool alone) {
    TRVItem item;
    switch (Int(0, 5)) {
      case 0: {
        TRVPictureItemInfo p;
        p.Name = Text(6, false);
        p.Kind = static_cast<TRVPictureKind>(Int(0, static_cast<int>(kLastPictureKind)));
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Int(1, 64)));
        for (auto& b : bytes) b = static_cast<std::uint8_t>(Int(0, 255));
        p.Data = SharedBytes(std::move(bytes));
        p.Width = Int(1, kMaxPictureSize);
        p.Height = Int(1, kMaxPictureSize);
        p.VAlign = static_cast<TRVVAlign>(Int(0, 3));
        item = TRVItem(p);
        break;
      }
      case 1:
        item = TRVItem(TRVBreakItemInfo{Int(0, kMaxParaMetric), static_cast<TRVBreakStyle>(Int(0, 2)), Colour()});
        break;
      default: {
        std::string text = Text(20, true);
        if (text.empty() && !alone) text = "x";
        item = TRVItem::MakeText(text, Int(0, s.TextStyleCount() - 1), Coin() ? Text(10, false) : "");
      }
    }
    for (int n = Int(-3, 2); n > 0; --n) item.Checkpoints.push_back(Text(5, false));
    return item;
  }

  void Paragraph(TRVDocument& d) {
    TRVParagraph& p = d.AddParagraph(Int(0, d.Style.ParaStyleCount() - 1));
    const int items = Int(1, 6);
    for (int i = 0; i < items; ++i) p.AddItem(Item(d.Style, items == 1));
  }

  std::mt19937 rng_;
};

TRVDocument RoundTrip(const TRVDocument& d, unsigned* warnings = nullptr) {
  TRVDocument back;
  back.Style.TextStyles.pop_back();  // the load must replace the sheet, not merge
  unsigned w = 99;
  EXPECT_TRUE(LoadRVF(SaveRVF(d), back, w));
  if (warnings) *warnings = w;
  EXPECT_EQ(ValidateDocument(back), "");
  return back;
}

TEST(RvfRoundTrip, RandomDocumentsComeBackEqual) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    const TRVDocument d = RandomDoc(seed).Make();
    ASSERT_EQ(ValidateDocument(d), "") << seed;
    unsigned warnings = 99;
    EXPECT_EQ(RoundTrip(d, &warnings), d) << "seed " << seed;
    EXPECT_EQ(warnings, 0u) << seed;
  }
}

TEST(RvfRoundTrip, EmptyDocumentAndBackgroundColour) {
  TRVDocument d;
  d.Color = clNone;
  EXPECT_EQ(RoundTrip(d), d);
  d.Color = 0x00123456;
  d.Style.DefUnicodeStyle = 2;
  EXPECT_EQ(RoundTrip(d), d);
}

// --------------------------------------------- files written by hand
//
// The layout as docs/richview-format.md gives it, written independently of
// the writer, so the writer is held to the document and crafted files can
// carry what the writer never writes.

struct Bytes {
  std::string b;
  Bytes& U8(std::uint8_t v) { return Le(v, 1); }
  Bytes& U16(std::uint16_t v) { return Le(v, 2); }
  Bytes& U32(std::uint32_t v) { return Le(v, 4); }
  Bytes& U64(std::uint64_t v) { return Le(v, 8); }
  Bytes& I32(std::int32_t v) { return Le(static_cast<std::uint32_t>(v), 4); }
  Bytes& Str(std::string_view s) {
    U64(s.size());
    b += s;
    return *this;
  }
  Bytes& Rec(std::uint32_t kind, const Bytes& payload) {
    U32(kind).U64(payload.b.size());
    b += payload.b;
    return *this;
  }
  Bytes& Le(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i, v >>= 8) b += static_cast<char>(v & 0xFF);
    return *this;
  }
};

Bytes Header(std::uint16_t major = 1, std::uint16_t minor = 0) {
  Bytes h;
  h.b = std::string("NVRVF\r\n\x1A", 8);
  return h.U16(major).U16(minor);
}

Bytes FontRecord(const TFontInfo& f) {
  Bytes p;
  p.Str(f.StyleName).Str(f.FontName).I32(f.Size).U32(f.Color).U32(f.BackColor).U32(f.HoverColor);
  p.U32(f.HoverBackColor).U8(f.Style).U8(f.Effects).I32(f.Charset).U8(f.Jump).I32(f.JumpCursor);
  p.I32(f.VShift).I32(f.CharScale).I32(f.CharSpacing).U32(f.Protection).U32(f.Options);
  p.U8(static_cast<std::uint8_t>(f.BiDiMode)).I32(f.BaseStyleNo).U8(f.Unicode).I32(f.NextStyleNo).U8(f.Standard);
  return p;
}

Bytes ParaRecord(const TParaInfo& s) {
  Bytes p;
  p.Str(s.StyleName).U8(static_cast<std::uint8_t>(s.Alignment)).I32(s.LeftIndent).I32(s.FirstIndent);
  p.I32(s.RightIndent).I32(s.SpaceBefore).I32(s.SpaceAfter).I32(s.LineSpacing).U32(s.Background.Color);
  p.U8(static_cast<std::uint8_t>(s.Border.Style)).I32(s.Border.Width).U32(s.Border.Color).U8(s.Border.Sides);
  p.I32(s.Border.Padding).U32(static_cast<std::uint32_t>(s.Tabs.size()));
  for (const TRVTabInfo& t : s.Tabs) p.I32(t.Position).U8(static_cast<std::uint8_t>(t.Align)).Str(t.Leader);
  p.U8(static_cast<std::uint8_t>(s.BiDiMode)).U8(s.Standard);
  return p;
}

Bytes SheetRecord(const TRVStyle& s) {
  Bytes p;
  p.I32(s.DefUnicodeStyle);
  for (const TFontInfo& f : s.TextStyles) p.Rec(16, FontRecord(f));
  for (const TParaInfo& q : s.ParaStyles) p.Rec(17, ParaRecord(q));
  return p;
}

Bytes TextItem(int style, std::string_view text, std::string_view target = {}) {
  return Bytes().I32(style).Str(text).Str(target);
}

Bytes PictureItem(std::uint8_t kind, std::string_view data, int w = 10, int h = 20, std::uint8_t valign = 0) {
  return Bytes().U8(kind).I32(w).I32(h).U8(valign).Str("pic").Str(data);
}

Bytes Colour(TColor c) { return Bytes().U32(c); }

// A file with the starting sheet, white background and the given paragraph
// records (each a paragraph style number and its item records).
std::string File(const std::vector<Bytes>& paragraphs, const TRVStyle& sheet = TRVStyle()) {
  Bytes f = Header();
  f.Rec(1, SheetRecord(sheet)).Rec(2, Colour(clWhite));
  for (const Bytes& p : paragraphs) f.Rec(3, p);
  return f.Rec(0, {}).b;
}

Bytes Para(int paraNo) { return Bytes().I32(paraNo); }

TEST(RvfLayout, WriterFollowsTheDocumentedLayout) {
  TRVDocument d;
  d.Color = clWhite;
  TRVParagraph& p = d.AddParagraph(1);
  p.AddItem(TRVItem::MakeText("Hi", 4, "http://x/")).Checkpoints = {"here"};
  TRVPictureItemInfo pic;
  pic.Kind = TRVPictureKind::Png;
  pic.Data = SharedBytes("PNGDATA", 7);
  pic.Width = 10;
  pic.Height = 20;
  pic.Name = "pic";
  p.AddItem(pic);
  p.AddItem(TRVBreakItemInfo{3, TRVBreakStyle::Dashed, clRed});
  d.Style.ParaStyles[1].Tabs = {{40, TTabAlign::Right, "."}};

  Bytes para = Para(1);
  para.Rec(35, Bytes().Str("here")).Rec(32, TextItem(4, "Hi", "http://x/")).Rec(33, PictureItem(7, "PNGDATA"));
  para.Rec(34, Bytes().I32(3).U8(2).U32(clRed));
  EXPECT_EQ(SaveRVF(d), File({para}, d.Style));
}

TEST(RvfLayout, NewerMinorVersionsAndUnknownSectionsAreRead) {
  // A later writer's extra fields at the end of records and a section of
  // its own are skipped without complaint.
  Bytes text = TextItem(1, "kept");
  text.U32(0xDEADBEEF).Str("a field from the future");
  Bytes f = Header(1, 7);
  f.Rec(1, SheetRecord(TRVStyle())).Rec(99, Bytes().Str("new section")).Rec(2, Colour(clRed));
  f.Rec(3, Para(0).Rec(32, text)).Rec(0, {});
  TRVDocument d;
  unsigned w = 99;
  ASSERT_TRUE(LoadRVF(f.b, d, w));
  EXPECT_EQ(w, 0u);
  ASSERT_EQ(d.ParagraphCount(), 1);
  EXPECT_EQ(d.Item(0, 0), TRVItem::MakeText("kept", 1));
  EXPECT_EQ(d.Color, clRed);
}

// ------------------------------------------------------------- warnings

struct Loaded {
  bool ok;
  unsigned warnings;
  TRVDocument doc;
};

Loaded Load(std::string_view bytes) {
  Loaded l{false, 0, TRVDocument()};
  l.ok = LoadRVF(bytes, l.doc, l.warnings);
  EXPECT_EQ(ValidateDocument(l.doc), "");
  return l;
}

TEST(RvfWarnings, UnknownPictureFormatDropsThePicture) {
  const Loaded l = Load(File({Para(0).Rec(32, TextItem(0, "a")).Rec(33, PictureItem(42, "????")).Rec(32, TextItem(1, "b")),
                              Para(0).Rec(33, PictureItem(7, ""))}));  // a png without bytes
  EXPECT_TRUE(l.ok);
  EXPECT_EQ(l.warnings, rvfwUnknownPicFmt);
  ASSERT_EQ(l.doc.ParagraphCount(), 2);
  EXPECT_EQ(l.doc.Paragraph(0).ItemCount(), 2);
  EXPECT_TRUE(l.doc.Paragraph(1).IsEmptyLine());
}

TEST(RvfWarnings, UnknownItemKindIsSkippedAndItsCheckpointMovesOn) {
  const Loaded l = Load(File({Para(0).Rec(35, Bytes().Str("cp")).Rec(77, Bytes().Str("control")).Rec(32, TextItem(0, "a"))}));
  EXPECT_TRUE(l.ok);
  EXPECT_EQ(l.warnings, rvfwUnknownCtrlClass);
  ASSERT_EQ(l.doc.Paragraph(0).ItemCount(), 1);
  EXPECT_EQ(l.doc.Item(0, 0).Checkpoints, std::vector<std::string>{"cp"});
}

TEST(RvfWarnings, MissingStylesBecomeStyleZero) {
  TRVStyle sheet;
  sheet.TextStyles[1].NextStyleNo = 50;
  sheet.TextStyles[2].BaseStyleNo = -7;
  sheet.DefUnicodeStyle = 6;
  const Loaded l = Load(File({Para(7).Rec(32, TextItem(99, "a")).Rec(32, TextItem(-1, "b")), Para(1).Rec(32, TextItem(3, "c"))}, sheet));
  EXPECT_TRUE(l.ok);
  EXPECT_EQ(l.warnings, rvfwInvalidStyle);
  EXPECT_EQ(l.doc.Paragraph(0).ParaNo(), 0);
  EXPECT_EQ(l.doc.Item(0, 0).AsText()->StyleNo, 0);
  EXPECT_EQ(l.doc.Item(0, 1).AsText()->StyleNo, 0);
  EXPECT_EQ(l.doc.Paragraph(1).ParaNo(), 1);
  EXPECT_EQ(l.doc.Item(1, 0).AsText()->StyleNo, 3);
  EXPECT_EQ(l.doc.Style.TextStyles[1].NextStyleNo, -1);
  EXPECT_EQ(l.doc.Style.TextStyles[2].BaseStyleNo, -1);
  EXPECT_EQ(l.doc.Style.DefUnicodeStyle, -1);
}

TEST(RvfWarnings, ImageListBulletIsAnInvalidImageIndex) {
  const Loaded l = Load(File({Para(0).Rec(36, Bytes().U32(0).U32(3)), Para(0).Rec(36, Bytes()).Rec(32, TextItem(0, "x"))}));
  EXPECT_TRUE(l.ok);
  EXPECT_EQ(l.warnings, rvfwInvalidImageIndex);
  ASSERT_EQ(l.doc.ParagraphCount(), 2);
  EXPECT_TRUE(l.doc.Paragraph(0).IsEmptyLine());  // the line stays, empty
  EXPECT_EQ(l.doc.Item(1, 0), TRVItem::MakeText("x", 0));
}

TEST(RvfWarnings, AllFlagsTogether) {
  const Loaded l = Load(File({Para(0).Rec(33, PictureItem(0, "x")).Rec(50, {}).Rec(32, TextItem(9, "a")).Rec(36, {})}));
  EXPECT_TRUE(l.ok);
  EXPECT_EQ(l.warnings, 15u);
}

// ------------------------------------------------- damaged and odd files

TEST(RvfBadFiles, ForeignOrUnreadableFilesLeaveTheDocumentAlone) {
  TRVDocument sample = RandomDoc(7).Make();
  const std::string good = SaveRVF(sample);
  std::string wrongMagic = good;
  wrongMagic[0] = 'X';
  const std::vector<std::string> bad = {
      "", "NVRVF", wrongMagic, Header(2, 0).Rec(0, {}).b,
      Header().Rec(0, {}).b,                                          // no style sheet
      Header().Rec(3, Para(0).Rec(32, TextItem(0, "a"))).Rec(0, {}).b,  // paragraph before the sheet
      Header().Rec(1, Bytes().I32(-1).Rec(16, FontRecord(TFontInfo()))).Rec(0, {}).b,  // no paragraph style
      Header().Rec(1, Bytes().I32(-1)).Rec(0, {}).b,
  };
  for (const std::string& bytes : bad) {
    TRVDocument d = sample;
    unsigned w = 99;
    EXPECT_FALSE(LoadRVF(bytes, d, w));
    EXPECT_EQ(w, 0u);
    EXPECT_EQ(d, sample);
  }
}

TEST(RvfBadFiles, EveryPrefixOfAFileFailsCleanlyAndKeepsWholeParagraphs) {
  TRVDocument d;
  for (unsigned seed = 11; d.ParagraphCount() < 3; ++seed) d = RandomDoc(seed).Make();
  const std::string good = SaveRVF(d);
  for (std::size_t n = 0; n < good.size(); ++n) {
    TRVDocument back;
    unsigned w = 0;
    ASSERT_FALSE(LoadRVF(std::string_view(good).substr(0, n), back, w)) << n;
    ASSERT_EQ(ValidateDocument(back), "") << n;
    // Whatever came back is the start of the document.
    ASSERT_LE(back.ParagraphCount(), d.ParagraphCount());
    for (int p = 0; p < back.ParagraphCount(); ++p) {
      // The last paragraph may have lost checkpoints that trail it.
      ASSERT_EQ(back.Paragraphs[static_cast<std::size_t>(p)].ItemCount(), d.Paragraphs[static_cast<std::size_t>(p)].ItemCount()) << n;
    }
  }
}

TEST(RvfBadFiles, LengthsAndCountsBeyondTheFileAreRejected) {
  // Record length far past the end, a string length of 2^63, a tab count
  // no record could hold, two style sheets.
  Bytes hugeRecord = Header();
  hugeRecord.Rec(1, SheetRecord(TRVStyle()));
  hugeRecord.U32(3).U64(~0ull >> 1).I32(0);
  Bytes hugeString = Header();
  hugeString.Rec(1, SheetRecord(TRVStyle())).Rec(3, Para(0).Rec(32, Bytes().I32(0).U64(1ull << 63))).Rec(0, {});
  TParaInfo manyTabs;
  Bytes tabs = ParaRecord(manyTabs);
  tabs.b.resize(tabs.b.size() - 6);  // before the count: cut count, BiDi and Standard
  tabs.U32(0xFFFFFFFF).U8(0).U8(1);
  Bytes tabFile = Header();
  tabFile.Rec(1, Bytes().I32(-1).Rec(16, FontRecord(TFontInfo())).Rec(17, tabs)).Rec(0, {});
  Bytes twoSheets = Header();
  twoSheets.Rec(1, SheetRecord(TRVStyle())).Rec(1, SheetRecord(TRVStyle())).Rec(0, {});

  for (const std::string& bytes : {hugeRecord.b, hugeString.b, tabFile.b, twoSheets.b}) {
    TRVDocument d;
    unsigned w = 0;
    EXPECT_FALSE(LoadRVF(bytes, d, w));
    EXPECT_EQ(ValidateDocument(d), "");
  }
}

TEST(RvfBadFiles, ValuesOutOfRangeAreBroughtIntoTheModel) {
  TRVStyle sheet;
  TFontInfo& f = sheet.TextStyles[0];
  f.Size = 0;
  f.VShift = 5000;
  f.Style = 0xFF;
  f.Effects = 0xF0;
  f.Charset = 300;
  f.CharScale = -4;
  f.BiDiMode = static_cast<TRVBiDiMode>(9);
  f.FontName = "Ari\xFF" "al";
  TParaInfo& p = sheet.ParaStyles[0];
  p.Tabs = {{300, TTabAlign::Left, ""}, {100, static_cast<TTabAlign>(7), "\xC3"}, {300, TTabAlign::Right, ""}, {-5, TTabAlign::Left, ""}};
  p.LineSpacing = 0;
  p.SpaceBefore = -3;
  p.Alignment = static_cast<TParaAlignment>(4);
  p.Border.Sides = 0xFF;

  const Loaded l = Load(File({Para(0)
                                  .Rec(32, TextItem(0, std::string_view("a\r\nb\0c\xE2\x82", 8)))
                                  .Rec(32, TextItem(1, "\r"))  // nothing left: dropped, checkpoint moves
                                  .Rec(35, Bytes().Str("x\xFFy"))
                                  .Rec(33, PictureItem(7, "P", 200000, 100000, 9))
                                  .Rec(34, Bytes().I32(-3).U8(8).U32(0)),
                              Para(0).Rec(35, Bytes().Str("end"))},
                             sheet));
  EXPECT_TRUE(l.ok);
  const TFontInfo& g = l.doc.Style.TextStyles[0];
  EXPECT_EQ(g.Size, kMinFontSize);
  EXPECT_EQ(g.VShift, kMaxVShift);
  EXPECT_EQ(g.Style, kAllFontStyles);
  EXPECT_EQ(g.Effects, 0);
  EXPECT_EQ(g.Charset, 255);
  EXPECT_EQ(g.CharScale, kMinCharScale);
  EXPECT_EQ(g.BiDiMode, TRVBiDiMode::Unspecified);
  EXPECT_TRUE(IsValidUtf8(g.FontName));
  const TParaInfo& q = l.doc.Style.ParaStyles[0];
  ASSERT_EQ(q.Tabs.size(), 3u);
  EXPECT_EQ(q.Tabs[0].Position, 0);
  EXPECT_EQ(q.Tabs[1].Position, 100);
  EXPECT_EQ(q.Tabs[1].Align, TTabAlign::Left);
  EXPECT_EQ(q.Tabs[2].Position, 300);
  EXPECT_EQ(q.Tabs[2].Align, TTabAlign::Left);  // the first of two at one place
  EXPECT_EQ(q.Alignment, TParaAlignment::Left);

  const TRVParagraph& para = l.doc.Paragraph(0);
  ASSERT_EQ(para.ItemCount(), 3);
  EXPECT_TRUE(para.Item(0).AsText()->Text.starts_with("a\nbc\xEF\xBF\xBD"));  // CR, NUL gone; bytes repaired
  const TRVPictureItemInfo& pic = *para.Item(1).AsPicture();
  EXPECT_EQ(pic.Width, kMaxPictureSize);
  EXPECT_EQ(pic.Height, kMaxPictureSize / 2);
  EXPECT_EQ(pic.VAlign, TRVVAlign::Baseline);
  EXPECT_EQ(pic.Name, "pic");
  ASSERT_EQ(para.Item(1).Checkpoints.size(), 1u);
  EXPECT_TRUE(IsValidUtf8(para.Item(1).Checkpoints[0]));
  EXPECT_EQ(*para.Item(2).AsBreak(), (TRVBreakItemInfo{0, TRVBreakStyle::Line, 0}));
  // A paragraph of nothing but a checkpoint is an empty line carrying it.
  EXPECT_TRUE(l.doc.Paragraph(1).IsEmptyLine());
  EXPECT_EQ(l.doc.Item(1, 0).Checkpoints, std::vector<std::string>{"end"});
}

// ---------------------------------------------------------------- files

TEST(RvfFiles, SaveAndLoadThroughUtf8PathsReplacingTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("Notizb\xC3\xBC" "cher \xE2\x82\xAC.rvf");
  const TRVDocument first = RandomDoc(3).Make(), second = RandomDoc(4).Make();
  ASSERT_TRUE(SaveRVFToFile(first, path));
  ASSERT_TRUE(SaveRVFToFile(second, path));
  TRVDocument d;
  unsigned w = 99;
  ASSERT_TRUE(LoadRVFFromFile(path, d, w));
  EXPECT_EQ(d, second);
  EXPECT_EQ(w, 0u);
  // Only the document is left: the temporary file went into its place.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(PathFromUtf8(dir.Path())), {}), 1);

  EXPECT_FALSE(LoadRVFFromFile(dir.File("missing.rvf"), d, w));
  EXPECT_FALSE(LoadRVFFromFile(dir.Path(), d, w));  // a directory
  EXPECT_FALSE(SaveRVFToFile(d, dir.File("no/such/dir.rvf")));
  EXPECT_FALSE(SaveRVFToFile(d, dir.Path()));
  EXPECT_EQ(d, second);
}

}  // namespace
}  // namespace nv
