#include "richview/text_format.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/temp_dir.h"
#include "ui/paths.h"
#include "ui/text.h"

namespace nv {
namespace {

const AnsiCodec kCp1252;

// The paragraphs' texts, one string per paragraph (pictures and lines
// left out), and checks that every paragraph is one text item in the
// styles given.
std::vector<std::string> Lines(const TRVDocument& d, int style = 0, int para = 0) {
  std::vector<std::string> lines;
  for (const TRVParagraph& p : d.Paragraphs) {
    EXPECT_EQ(p.ParaNo(), para);
    EXPECT_EQ(p.ItemCount(), 1);
    EXPECT_EQ(p.Item(0).AsText()->StyleNo, style);
    lines.push_back(p.Item(0).AsText()->Text);
  }
  EXPECT_EQ(ValidateDocument(d), "");
  return lines;
}

std::vector<std::string> Read(std::string_view bytes, TextEncoding enc = TextEncoding::Ansi) {
  TRVDocument d;
  EXPECT_TRUE(LoadText(bytes, d, 0, 0, false, enc, kCp1252));
  return Lines(d);
}

using V = std::vector<std::string>;

// The ANSI code page of the portable core is Windows-1252: its upper row,
// the unassigned bytes (read as the C1 controls of the same value, so every
// byte survives a round trip) and '?' for what it cannot write.
TEST(AnsiCodecTest, Windows1252BothWays) {
  EXPECT_EQ(kCp1252.ToUtf8("\x80\xE9\x81\x9F"), "\xE2\x82\xAC\xC3\xA9\xC2\x81\xC5\xB8");
  EXPECT_EQ(kCp1252.FromUtf8("\xE2\x82\xAC\xC3\xA9\xC2\x81\xE4\xB8\xAD\xF0\x9F\x98\x80"), "\x80\xE9\x81??");
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(kCp1252.FromUtf8(kCp1252.ToUtf8(one)), one) << b;
  }
}

std::string Utf16Le(std::u16string_view s) {
  std::string out;
  for (char16_t u : s) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::string Utf16Be(std::u16string_view s) {
  std::string out;
  for (char16_t u : s) {
    out += static_cast<char>(u >> 8);
    out += static_cast<char>(u & 0xFF);
  }
  return out;
}

// ------------------------------------------------------ the Unicode test

TEST(TextUnicodeTest, AnswersExactlyAsStated) {
  EXPECT_FALSE(IsUnicodeText(""));
  EXPECT_FALSE(IsUnicodeText(std::string_view("\xFF\xFE" "a", 3)));      // odd size, even with a mark
  EXPECT_FALSE(IsUnicodeText(std::string_view("a\0b", 3)));            // odd size with a zero
  EXPECT_TRUE(IsUnicodeText("\xFF\xFE"));
  EXPECT_TRUE(IsUnicodeText("\xFE\xFF"));
  EXPECT_TRUE(IsUnicodeText("\xFF\xFE" "ab"));                      // a mark needs no zero byte
  EXPECT_FALSE(IsUnicodeText("\xFE\xFE" "ab"));
  EXPECT_FALSE(IsUnicodeText("abcd"));                                 // even, no zero byte
  EXPECT_FALSE(IsUnicodeText(std::string_view("\0\0ab", 4)));          // zeros only in the first two
  EXPECT_TRUE(IsUnicodeText(std::string_view("a\0b\0", 4)));           // "ab" as UTF-16LE

  // A single zero byte at position i of a 1000-byte text of 'x'.
  auto zeroAt = [](std::size_t i) {
    std::string s(1000, 'x');
    s[i] = '\0';
    return s;
  };
  EXPECT_FALSE(IsUnicodeText(zeroAt(1)));
  EXPECT_TRUE(IsUnicodeText(zeroAt(2)));
  EXPECT_TRUE(IsUnicodeText(zeroAt(501)));
  EXPECT_FALSE(IsUnicodeText(zeroAt(502)));
  EXPECT_FALSE(IsUnicodeText(zeroAt(999)));
  // The head alone decides, together with the size.
  EXPECT_TRUE(IsUnicodeText(zeroAt(501).substr(0, kUnicodeTestBytes), 1000));
  EXPECT_FALSE(IsUnicodeText(zeroAt(501).substr(0, kUnicodeTestBytes), 1001));
}

TEST(TextUnicodeTest, FilesAreTestedFromTheirHead) {
  TempDir dir;
  auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(PathFromUtf8(dir.File(name)), std::ios::binary) << bytes;
    return dir.File(name);
  };
  std::string big(100000, 'x');
  big[501] = '\0';
  EXPECT_TRUE(IsUnicodeTextFile(write("u\xC3\xA4.txt", big)));
  big[501] = 'x';
  big[502] = '\0';
  EXPECT_FALSE(IsUnicodeTextFile(write("b.txt", big)));
  EXPECT_TRUE(IsUnicodeTextFile(write("bom.txt", "\xFE\xFF")));
  EXPECT_FALSE(IsUnicodeTextFile(write("empty.txt", "")));
  EXPECT_FALSE(IsUnicodeTextFile(dir.File("missing.txt")));
  EXPECT_FALSE(IsUnicodeTextFile(dir.Path()));
}

// --------------------------------------------------------------- reading

TEST(TextRead, EachLineIsAParagraphWhateverEndsIt) {
  EXPECT_EQ(Read("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(Read("a\r\n"), (V{"a", ""}));
  EXPECT_EQ(Read("\r\n"), (V{"", ""}));
  EXPECT_EQ(Read("\n\r"), (V{"", "", ""}));  // LF, then a lone CR
  EXPECT_EQ(Read("one"), (V{"one"}));
  EXPECT_EQ(Read(""), V{});
  EXPECT_EQ(Read(std::string_view(" \ta\0b\t \x80\xFF", 9)), (V{" \tab\t \xE2\x82\xAC\xC3\xBF"}));
}

TEST(TextRead, GivenStylesAndAddingToWhatIsThere) {
  TRVDocument d;
  d.AddParagraph(0).AddItem(TRVItem::MakeText("first", 0));
  ASSERT_TRUE(LoadText("x\r\ny", d, 3, 1, false, TextEncoding::Ansi, kCp1252));
  ASSERT_EQ(d.ParagraphCount(), 3);
  EXPECT_EQ(d.Paragraph(1).ParaNo(), 1);
  EXPECT_EQ(*d.Item(2, 0).AsText(), (TRVTextItemInfo{"y", 3, ""}));

  // Styles the sheet does not have: nothing is added.
  EXPECT_FALSE(LoadText("z", d, 6, 0, false, TextEncoding::Ansi, kCp1252));
  EXPECT_FALSE(LoadText("z", d, 0, 2, false, TextEncoding::Ansi, kCp1252));
  EXPECT_FALSE(LoadText("z", d, -1, 0, false, TextEncoding::Ansi, kCp1252));
  EXPECT_EQ(d.ParagraphCount(), 3);
}

TEST(TextRead, AsOneParagraphLinesBecomeLineBreaks) {
  TRVDocument d;
  ASSERT_TRUE(LoadText("a\r\n\r\nb\n", d, 1, 0, true, TextEncoding::Ansi, kCp1252));
  EXPECT_EQ(Lines(d, 1), V{"a\n\nb\n"});
}

TEST(TextRead, Utf16InEitherByteOrder) {
  const std::u16string text = u"\u00E9t\u00E9\r\n\U0001F600\tx\n";
  const V want = {"\xC3\xA9t\xC3\xA9", "\xF0\x9F\x98\x80\tx", ""};
  EXPECT_EQ(Read("\xFF\xFE" + Utf16Le(text), TextEncoding::Utf16), want);
  EXPECT_EQ(Read("\xFE\xFF" + Utf16Be(text), TextEncoding::Utf16), want);
  EXPECT_EQ(Read(Utf16Le(text), TextEncoding::Utf16), want);  // no mark: little-endian
  // A lone surrogate and a dangling last byte read as U+FFFD; NUL goes.
  EXPECT_EQ(Read(Utf16Le(std::u16string(u"a\xD800" u"b\0c", 5)) + "x", TextEncoding::Utf16),
            V{"a\xEF\xBF\xBD" "bc\xEF\xBF\xBD"});
  EXPECT_EQ(Read("\xFF\xFE", TextEncoding::Utf16), V{""});
}

TEST(TextRead, Utf8WithOrWithoutItsMarkAndIllFormedBytesReplaced) {
  EXPECT_EQ(Read("\xEF\xBB\xBF\xD0\x96\r\nx", TextEncoding::Utf8), (V{"\xD0\x96", "x"}));
  EXPECT_EQ(Read("\xD0\x96", TextEncoding::Utf8), V{"\xD0\x96"});
  EXPECT_EQ(Read("a\xFF" "b\xD0", TextEncoding::Utf8), V{"a\xEF\xBF\xBD" "b\xEF\xBF\xBD"});
  // A text whose first character is U+FEFF keeps it through writing and
  // reading: the writer puts a mark before it.
  TRVDocument d;
  d.AddParagraph(0).AddItem(TRVItem::MakeText("\xEF\xBB\xBFz", 0));
  const std::string written = SaveText(d, 80, TextEncoding::Utf8, kCp1252);
  EXPECT_EQ(written, "\xEF\xBB\xBF\xEF\xBB\xBFz");
  EXPECT_EQ(Read(written, TextEncoding::Utf8), V{"\xEF\xBB\xBFz"});
}

TEST(TextUtf8Test, WellFormedNonAsciiBytesAreUtf8AndEverythingElseAnsi) {
  EXPECT_TRUE(IsUtf8Text("caf\xC3\xA9"));
  EXPECT_TRUE(IsUtf8Text("\xEF\xBB\xBF" "abc"));          // the mark alone makes it UTF-8
  EXPECT_TRUE(IsUtf8Text("\xF0\x9F\x98\x80 four bytes"));
  EXPECT_FALSE(IsUtf8Text("plain ascii\r\n"));
  EXPECT_FALSE(IsUtf8Text(""));
  EXPECT_FALSE(IsUtf8Text("caf\xE9"));                     // Windows-1252
  EXPECT_FALSE(IsUtf8Text("\xEF\xBB\xBF" "caf\xE9"));      // a mark before ill-formed text
  EXPECT_FALSE(IsUtf8Text("cut \xE2\x82"));               // a sequence cut off at the end
  EXPECT_FALSE(IsUtf8Text("\xC0\xAF"));                    // overlong
  EXPECT_FALSE(IsUtf8Text("\xED\xA0\x80"));                // a surrogate
  EXPECT_EQ(AnsiOrUtf8("\xD0\x96"), TextEncoding::Utf8);
  EXPECT_EQ(AnsiOrUtf8("\xD0"), TextEncoding::Ansi);

  // The file reader follows the test: UTF-8 with or without its mark reads
  // as UTF-8, the rest through the codec.
  TempDir dir;
  struct Case {
    std::string bytes;
    V lines;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF\xD0\x96\r\nx", {"\xD0\x96", "x"}},
      {"caf\xC3\xA9", {"caf\xC3\xA9"}},
      {"caf\xE9", {"caf\xC3\xA9"}},
      {"ascii", {"ascii"}},
  };
  for (const Case& c : cases) {
    const std::string path = dir.File("t.txt");
    std::ofstream(PathFromUtf8(path), std::ios::binary) << c.bytes;
    TRVDocument d;
    ASSERT_TRUE(LoadAnsiOrUtf8TextFromFile(path, d, 0, 0, kCp1252));
    EXPECT_EQ(Lines(d), c.lines) << c.bytes;
  }
  TRVDocument none;
  EXPECT_FALSE(LoadAnsiOrUtf8TextFromFile(dir.File("missing.txt"), none, 0, 0, kCp1252));
}

TEST(TextRead, TheCodecGivenIsUsed) {
  struct Upper : AnsiCodec {
    std::string ToUtf8(std::string_view s) const override { return AsciiUpper(s); }
    std::string FromUtf8(std::string_view s) const override { return AsciiLower(s); }
  } upper;
  TRVDocument d;
  ASSERT_TRUE(LoadText("ab\r\nc", d, 0, 0, false, TextEncoding::Ansi, upper));
  EXPECT_EQ(Lines(d), (V{"AB", "C"}));
  EXPECT_EQ(SaveText(d, 80, TextEncoding::Ansi, upper), "ab\r\nc");
}

// --------------------------------------------------------------- writing

TRVPictureItemInfo Picture() {
  TRVPictureItemInfo p;
  p.Kind = TRVPictureKind::Png;
  p.Data = SharedBytes("x", 1);
  p.Width = p.Height = 5;
  return p;
}

TEST(TextWrite, LinesPicturesAndLongText) {
  TRVDocument d;
  const std::string longLine(300, 'w');
  d.AddParagraph(0).AddItem(TRVItem::MakeText(longLine + " \t", 0));
  TRVParagraph& mixed = d.AddParagraph(1);
  mixed.AddItem(TRVItem::MakeText("before", 1));
  mixed.AddItem(Picture());
  mixed.AddItem(TRVBreakItemInfo{});
  mixed.AddItem(TRVBreakItemInfo{});
  mixed.AddItem(TRVItem::MakeText("after\nnext", 4, "http://x/"));
  d.AddParagraph(0).AddItem(Picture());
  d.AddParagraph(0).AddItem(TRVBreakItemInfo{});
  d.AddParagraph(0).AddItem(TRVItem::MakeText("", 0));

  const std::string rule(80, '-');
  EXPECT_EQ(SaveText(d, 80, TextEncoding::Ansi, kCp1252),
            longLine + " \t\r\nbefore\r\n" + rule + "\r\n" + rule + "\r\nafter\r\nnext\r\n\r\n" + rule + "\r\n");
  EXPECT_EQ(SaveText(d, 5, TextEncoding::Ansi, kCp1252).find(rule), std::string::npos);
  EXPECT_NE(SaveText(d, 0, TextEncoding::Ansi, kCp1252).find(rule), std::string::npos);
  EXPECT_EQ(SaveText(TRVDocument(), 80, TextEncoding::Ansi, kCp1252), "");
}

TEST(TextWrite, EncodingsAndCharactersWithoutAnsiForm) {
  TRVDocument d;
  d.AddParagraph(0).AddItem(TRVItem::MakeText("\xE2\x82\xAC \xE4\xB8\xAD \xF0\x9F\x98\x80", 0));
  EXPECT_EQ(SaveText(d, 80, TextEncoding::Ansi, kCp1252), "\x80 ? ?");
  EXPECT_EQ(SaveText(d, 80, TextEncoding::Utf16, kCp1252), "\xFF\xFE" + Utf16Le(u"\u20AC \u4E2D \U0001F600"));
  EXPECT_EQ(SaveText(TRVDocument(), 80, TextEncoding::Utf16, kCp1252), "\xFF\xFE");
}

// ------------------------------------------------------------ round trips

// Random text of CR LF separated lines: blanks, tabs, trailing blanks,
// empty lines, characters beyond ASCII (within Windows-1252 when ansi).
std::string RandomText(std::mt19937& rng, bool ansi) {
  static const char32_t kAnsi[] = {'a', 'Q', ' ', ' ', '\t', '-', '&', 0xE9, 0xFC, 0x20AC, 0x2014, 0x81, 0xA0, 0x1F};
  static const char32_t kWide[] = {'a', ' ', '\t', 0xE9, 0x4E2D, 0x1F600, 0xFEFF, 0x10FFFF, 0x7F};
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  std::string s;
  const int lines = pick(8);
  for (int l = 0; l < lines; ++l) {
    if (l > 0) s += "\r\n";
    for (int n = pick(4) == 0 ? 0 : pick(30); n > 0; --n)
      AppendUtf8(s, ansi ? kAnsi[pick(std::size(kAnsi))] : kWide[pick(std::size(kWide))]);
  }
  return s;
}

TEST(TextRoundTrip, TextToDocumentToTextIsExact) {
  std::mt19937 rng(5);
  for (int i = 0; i < 400; ++i) {
    const std::string utf8 = RandomText(rng, i % 2 == 0);
    const TextEncoding enc = i % 2 == 0 ? TextEncoding::Ansi : TextEncoding::Utf16;
    const std::string bytes = enc == TextEncoding::Ansi ? kCp1252.FromUtf8(utf8) : "\xFF\xFE" + Utf16Le(Utf8ToUtf16(utf8));
    for (bool single : {false, true}) {
      TRVDocument d;
      ASSERT_TRUE(LoadText(bytes, d, 2, 1, single, enc, kCp1252));
      ASSERT_EQ(ValidateDocument(d), "");
      EXPECT_EQ(SaveText(d, 80, enc, kCp1252), bytes.size() == 2 && enc == TextEncoding::Utf16 ? "\xFF\xFE" : bytes)
          << i;
    }
  }
}

TEST(TextRoundTrip, ExportThenImportGivesTheSameText) {
  // A document of text, lines and pictures: its text export read back and
  // exported again is the same text.
  TRVDocument d;
  d.AddParagraph(0).AddItem(TRVItem::MakeText("Title\twith tab  ", 1));
  d.AddParagraph(1).AddItem(TRVBreakItemInfo{});
  TRVParagraph& p = d.AddParagraph(0);
  p.AddItem(TRVItem::MakeText("a", 0));
  p.AddItem(Picture());
  p.AddItem(TRVItem::MakeText("b\n", 3));
  d.AddParagraph(0).AddItem(TRVItem::MakeText("", 0));
  for (TextEncoding enc : {TextEncoding::Ansi, TextEncoding::Utf16}) {
    const std::string once = SaveText(d, 80, enc, kCp1252);
    TRVDocument back;
    ASSERT_TRUE(LoadText(once, back, 0, 0, false, enc, kCp1252));
    EXPECT_EQ(SaveText(back, 80, enc, kCp1252), once);
    EXPECT_EQ(back.ParagraphCount(), 5);  // Title, rule, "ab", "", ""
  }
}

TEST(TextFiles, SaveAndLoadThroughUtf8Paths) {
  TempDir dir;
  const std::string path = dir.File("\xC3\xBC.txt");
  TRVDocument d;
  ASSERT_TRUE(LoadText("x\r\n\xE9", d, 0, 0, false, TextEncoding::Ansi, kCp1252));
  for (TextEncoding enc : {TextEncoding::Ansi, TextEncoding::Utf16}) {
    ASSERT_TRUE(SaveTextToFile(d, path, 80, enc, kCp1252));
    EXPECT_EQ(IsUnicodeTextFile(path), enc == TextEncoding::Utf16);
    TRVDocument back;
    ASSERT_TRUE(LoadTextFromFile(path, back, 0, 0, false, enc, kCp1252));
    EXPECT_EQ(back, d);
  }
  TRVDocument none;
  EXPECT_FALSE(LoadTextFromFile(dir.File("missing.txt"), none, 0, 0, false, TextEncoding::Ansi, kCp1252));
  EXPECT_FALSE(SaveTextToFile(d, dir.File("no/dir.txt"), 80, TextEncoding::Ansi, kCp1252));
  EXPECT_TRUE(none.IsEmpty());
}

}  // namespace
}  // namespace nv
