#include "richview/edit.h"

#include <gtest/gtest.h>

#include "edit_support.h"
#include "richview/layout.h"
#include "richview/utf8.h"

namespace nv {
namespace {

using testing::AddPara;
using testing::Dump;
using testing::TestPicture;

enum Sheet { kNormal = 0, kHeading = 1, kSubheading = 2, kKeywords = 3, kJump1 = 4, kJump2 = 5 };

TEST(EditText, InsertSplitsParagraphsAndTakesTheCurrentStyles) {
  TRVDocument doc;
  TRVEditCore ed(doc);
  ed.SetCurTextStyleNo(kHeading);
  ed.SetCurParaStyleNo(1);
  EXPECT_FALSE(ed.Modified());
  EXPECT_TRUE(ed.InsertText("Date\r\nline\nthird\rlast"));
  EXPECT_EQ(Dump(doc), R"(1: "Date"/1 | 1: "line"/1 | 1: "third"/1 | 1: "last"/1)");
  EXPECT_EQ(ed.Caret(), (TRVPosition{3, 0, 4}));
  EXPECT_TRUE(ed.Modified());
  EXPECT_EQ(ValidateDocument(doc), "");

  // What New does: the date line and an empty second paragraph.
  ed.Clear();
  ed.InsertText("1/2/2024 10:00:00");
  ed.InsertText("\r\n");
  EXPECT_EQ(Dump(doc), R"(1: "1/2/2024 10:00:00"/1 | 1: ""/1)");
  EXPECT_EQ(ed.Caret(), (TRVPosition{1, 0, 0}));

  // Bad bytes are repaired, NUL dropped; nothing to insert is no edit.
  ed.Clear();
  ed.InsertText(std::string("a\xFF" "b\0c", 5));
  EXPECT_EQ(Dump(doc), "1: \"a\xEF\xBF\xBD" "bc\"/1");
  EXPECT_FALSE(ed.InsertText(""));
}

TEST(EditText, TypedTextJoinsTheNeighbourOfItsStyle) {
  TRVDocument doc;
  AddPara(doc, 0, {{"Head", kHeading}, {"plain", kNormal}});
  TRVEditCore ed(doc);

  ed.SetCaret({0, 0, 4});  // end of "Head": the caret follows the heading
  EXPECT_EQ(ed.CurTextStyleNo(), kHeading);
  ed.TypeText("s");
  EXPECT_EQ(Dump(doc), R"(0: "Heads"/1 "plain"/0)");

  // The spelling (0, 1, 0) names the same place and is shown as the end
  // of the item before.
  ed.SetCaret({0, 1, 0});
  EXPECT_EQ(ed.Caret(), (TRVPosition{0, 0, 5}));
  ed.SetCurTextStyleNo(kNormal);  // e.g. the plain counterpart
  ed.TypeText(" ");
  EXPECT_EQ(Dump(doc), R"(0: "Heads"/1 " plain"/0)");

  ed.SetCaret({0, 1, 3});
  ed.SetCurTextStyleNo(kKeywords);
  ed.TypeText("KW");
  EXPECT_EQ(Dump(doc), R"(0: "Heads"/1 " pl"/0 "KW"/3 "ain"/0)");
  EXPECT_EQ(ed.Caret(), (TRVPosition{0, 2, 2}));
  EXPECT_EQ(ValidateDocument(doc), "");
}

TEST(EditDelete, SelectionAcrossParagraphsJoinsWhatIsLeft) {
  TRVDocument doc;
  AddPara(doc, 1, {{"Hello ", kNormal}, {"big", kHeading}});
  AddPara(doc, 0, {{"middle", kNormal}});
  TRVParagraph& last = AddPara(doc, 0, {{"wide ", kKeywords}, {"world", kNormal}});
  last.MutableItem(1).Checkpoints = {"mark"};
  TRVEditCore ed(doc);

  ed.SetSelection({0, 1, 1}, {2, 0, 2});  // "ig" .. "wi"
  EXPECT_TRUE(ed.SelectionExists());
  EXPECT_TRUE(ed.DeleteSelection());
  EXPECT_EQ(Dump(doc), R"(1: "Hello "/0 "b"/1 "de "/3 @mark "world"/0)");
  EXPECT_EQ(ed.Caret(), (TRVPosition{0, 1, 1}));
  EXPECT_FALSE(ed.SelectionExists());
  EXPECT_FALSE(ed.DeleteSelection());

  // A checkpoint inside the deleted text stays at the place of the deletion.
  ed.SetSelection({0, 2, 1}, {0, 3, 2});  // "e " + "wo"
  ed.DeleteSelection();
  EXPECT_EQ(Dump(doc), R"(1: "Hello "/0 "b"/1 "d"/3 @mark "rld"/0)");

  // Everything gone: an empty line in the style of the first text removed.
  ed.SelectAll();
  ed.DeleteSelection();
  EXPECT_EQ(Dump(doc), R"(1: @mark ""/0)");
  EXPECT_EQ(ValidateDocument(doc), "");
}

TEST(EditDelete, BackspaceAndDeleteWorkOnCharactersAndParagraphEnds) {
  TRVDocument doc;
  AddPara(doc, 0, {{"ab", kNormal}});
  AddPara(doc, 1, {{"\xE2\x82\xAC", kHeading}});  // one character, three bytes
  TRVEditCore ed(doc);

  ed.SetCaret({1, 0, 1});
  EXPECT_TRUE(ed.Backspace());
  // The last character gone: the line stays, in the style it had.
  EXPECT_EQ(Dump(doc), R"(0: "ab"/0 | 1: ""/1)");
  EXPECT_EQ(ed.CurTextStyleNo(), kHeading);
  EXPECT_TRUE(ed.Backspace());  // joins with the paragraph before
  EXPECT_EQ(Dump(doc), R"(0: "ab"/0)");
  EXPECT_EQ(ed.Caret(), (TRVPosition{0, 0, 2}));
  EXPECT_FALSE(ed.DeleteChar());  // end of the document

  ed.InsertText("\nxy");
  ed.SetCaret({0, 0, 2});
  EXPECT_TRUE(ed.DeleteChar());
  EXPECT_EQ(Dump(doc), R"(0: "abxy"/0)");
  ed.SetCaret({0, 0, 0});
  EXPECT_FALSE(ed.Backspace());  // start of the document
  EXPECT_TRUE(ed.DeleteChar());
  EXPECT_EQ(Dump(doc), R"(0: "bxy"/0)");

  // With a selection both delete the selection.
  ed.SetSelection({0, 0, 1}, {0, 0, 3});
  EXPECT_TRUE(ed.Backspace());
  EXPECT_EQ(Dump(doc), R"(0: "b"/0)");
}

TEST(EditInsert, PicturesAndLinesGoToTheCaret) {
  TRVDocument doc;
  AddPara(doc, 0, {{"abcd", kNormal}});
  TRVEditCore ed(doc);
  ed.SetCaret({0, 0, 2});
  EXPECT_TRUE(ed.InsertPicture(TestPicture(20, 10)));
  EXPECT_EQ(Dump(doc), R"(0: "ab"/0 [pic 20x10] "cd"/0)");
  EXPECT_EQ(ed.Caret(), (TRVPosition{0, 1, 1}));
  EXPECT_EQ(ed.CaretItemStyleNo(), -1);
  EXPECT_TRUE(ed.InsertBreak(1, TRVBreakStyle::Line, clNone));
  EXPECT_EQ(Dump(doc), R"(0: "ab"/0 [pic 20x10] [hr] "cd"/0)");
  EXPECT_EQ(doc.Item(0, 2).AsBreak()->Color, clNone);

  // After a picture, typed text in the style of the text after it joins it.
  ed.TypeText("x");
  EXPECT_EQ(Dump(doc), R"(0: "ab"/0 [pic 20x10] [hr] "xcd"/0)");

  // A selection is replaced.
  ed.SetSelection({0, 0, 0}, {0, 1, 1});
  EXPECT_TRUE(ed.InsertPicture(TestPicture(5, 5)));
  EXPECT_EQ(Dump(doc), R"(0: [pic 5x5] [hr] "xcd"/0)");

  // Pictures without bytes or with no size are refused.
  TRVPictureItemInfo bad = TestPicture();
  bad.Width = 0;
  EXPECT_FALSE(ed.InsertPicture(bad));
  EXPECT_FALSE(ed.InsertPicture(TRVPictureItemInfo{}));
  EXPECT_EQ(ValidateDocument(doc), "");
}

TEST(EditClipboard, CopyRangeIsSelfContainedAndCutAtItsEnds) {
  TRVDocument doc;
  AddPara(doc, 1, {{"Hello ", kNormal}, {"big", kHeading}});
  AddPara(doc, 0, {{"world", kKeywords}});
  doc.Color = clYellow;
  doc.Style.FindOrAddTextStyle([] { TFontInfo f; f.Size = 30; return f; }(), -1);

  const TRVDocument part = CopyRange(doc, {1, 0, 3}, {0, 0, 3});  // either order
  EXPECT_EQ(Dump(part), R"(1: "lo "/0 "big"/1 | 0: "wor"/3)");
  EXPECT_EQ(part.Style, doc.Style);
  EXPECT_EQ(part.Color, clYellow);
  EXPECT_EQ(ValidateDocument(part), "");

  // Ending at the start of a paragraph keeps the paragraph break.
  EXPECT_EQ(Dump(CopyRange(doc, {0, 1, 0}, {1, 0, 0})), R"(1: "big"/1 | 0: ""/3)");
  EXPECT_TRUE(CopyRange(doc, {0, 0, 6}, {0, 1, 0}).IsEmpty());  // one place, two spellings
  // Positions outside the document are brought inside it.
  EXPECT_EQ(Dump(CopyRange(doc, {0, 1, 2}, {9, 9, 99})), R"(1: "g"/1 | 0: "world"/3)");
}

TEST(EditClipboard, PastedStylesNameOnlyStylesOfTheirNewSheet) {
  // Another document's styles point at each other by its own numbers.
  TRVDocument source;
  TFontInfo red, blue;
  red.Color = clRed;
  blue.Color = clBlue;
  const int blueNo = source.Style.FindOrAddTextStyle(blue, -1);  // 6, never pasted
  red.NextStyleNo = blueNo;
  red.BaseStyleNo = kKeywords;
  const int redNo = source.Style.FindOrAddTextStyle(red, -1);  // 7
  AddPara(source, 0, {{"key", kKeywords}, {"red", redNo}});

  TRVDocument doc;
  AddPara(doc, 0, {{"", kNormal}});
  TRVEditCore ed(doc);
  ASSERT_TRUE(ed.Paste(source));
  ASSERT_EQ(doc.Style.TextStyleCount(), 7);  // only red comes along
  const TFontInfo& pasted = doc.Style.TextStyle(6);
  EXPECT_EQ(pasted.Color, clRed);
  EXPECT_EQ(pasted.BaseStyleNo, kKeywords);  // found here under the same number
  EXPECT_EQ(pasted.NextStyleNo, -1);         // blue did not come along
  EXPECT_EQ(ValidateStyleSheet(doc.Style), "");
  EXPECT_EQ(ValidateDocument(doc), "");
}

TEST(EditClipboard, PasteMapsStylesAndKeepsTheParagraphAfterIt) {
  TRVDocument source;
  TFontInfo red;
  red.Color = clRed;
  const int redNo = source.Style.FindOrAddTextStyle(red, -1);
  AddPara(source, 1, {{"one ", kHeading}, {"red", redNo}});
  AddPara(source, 0, {{"two", kNormal}});

  TRVDocument doc;
  AddPara(doc, 0, {{"[]", kNormal}});
  TFontInfo big;
  big.Size = 20;
  doc.Style.FindOrAddTextStyle(big, -1);  // the sheets now differ from number 6 on
  TRVEditCore ed(doc);
  ed.SetCaret({0, 0, 1});
  ASSERT_TRUE(ed.Paste(CopyRange(source, source.StartPosition(), source.EndPosition())));
  ASSERT_EQ(doc.Style.TextStyleCount(), 8);
  EXPECT_EQ(doc.Style.TextStyle(7).Color, clRed);
  EXPECT_FALSE(doc.Style.TextStyle(7).Standard);
  // The first pasted paragraph joins the text before the caret; the last
  // one keeps the style of the paragraph whose end it takes.
  EXPECT_EQ(Dump(doc), R"(0: "["/0 "one "/1 "red"/7 | 0: "two]"/0)");
  EXPECT_EQ(ed.Caret(), (TRVPosition{1, 0, 3}));

  // Copy and paste within the document, over a selection.
  ed.SetSelection({0, 1, 0}, {0, 2, 3});
  const TRVDocument clip = ed.CopySelection();
  ed.SetSelection({1, 0, 0}, {1, 0, 3});
  ASSERT_TRUE(ed.Paste(clip));
  EXPECT_EQ(Dump(doc), R"(0: "["/0 "one "/1 "red"/7 | 0: "one "/1 "red"/7 "]"/0)");
  EXPECT_EQ(doc.Style.TextStyleCount(), 8);

  // A broken fragment is refused.
  TRVDocument broken;
  AddPara(broken, 0, {{"x", 99}});
  EXPECT_FALSE(ed.Paste(broken));
  EXPECT_FALSE(ed.Paste(TRVDocument{}));
  EXPECT_EQ(ValidateDocument(doc), "");
}

TEST(EditCaret, MovesAcrossParagraphsAndCarriesTheCurrentStyle) {
  TRVDocument doc;
  AddPara(doc, 0, {{"ab", kNormal}, {"c", kKeywords}});
  AddPara(doc, 1, {{"d", kHeading}});
  TRVEditCore ed(doc);
  int changes = 0;
  ed.OnCurTextStyleChanged = [&] { ++changes; };

  ed.SetCaret({0, 0, 0});
  EXPECT_EQ(changes, 0);  // already style 0
  ed.MoveCaretRight();
  ed.MoveCaretRight();
  EXPECT_EQ(ed.Caret(), (TRVPosition{0, 0, 2}));
  EXPECT_EQ(ed.CurTextStyleNo(), kNormal);
  ed.MoveCaretRight();
  EXPECT_EQ(ed.Caret(), (TRVPosition{0, 1, 1}));
  EXPECT_EQ(ed.CurTextStyleNo(), kKeywords);
  EXPECT_EQ(changes, 1);
  ed.MoveCaretRight();
  EXPECT_EQ(ed.Caret(), (TRVPosition{1, 0, 0}));
  EXPECT_EQ(ed.CurTextStyleNo(), kHeading);
  EXPECT_EQ(ed.CurParaStyleNo(), 1);
  ed.MoveCaretLeft(true);
  EXPECT_TRUE(ed.SelectionExists());
  EXPECT_EQ(ed.SelectionStart(), (TRVPosition{0, 1, 1}));
  ed.MoveCaretRight();  // collapses to the selection's end
  EXPECT_FALSE(ed.SelectionExists());
  EXPECT_EQ(ed.Caret(), (TRVPosition{1, 0, 0}));

  ed.SetCaret({7, 3, 9});  // brought inside the document
  EXPECT_EQ(ed.Caret(), (TRVPosition{1, 0, 1}));
  EXPECT_EQ(ed.GetOffsAfterItem(0), 1);
  EXPECT_EQ(ed.CaretItemNo(), 0);

  ed.SetCurTextStyleNo(99);  // not in the sheet: ignored
  EXPECT_EQ(ed.CurTextStyleNo(), kHeading);
}

TEST(EditFlags, ReadOnlyRefusesEveryEdit) {
  TRVDocument doc;
  AddPara(doc, 0, {{"text", kNormal}});
  const TRVDocument before = doc;
  TRVEditCore ed(doc);
  ed.SetReadOnly(true);
  ed.SetCaret({0, 0, 2});
  EXPECT_FALSE(ed.InsertText("x"));
  EXPECT_FALSE(ed.TypeText("x"));
  EXPECT_FALSE(ed.Backspace());
  EXPECT_FALSE(ed.DeleteChar());
  EXPECT_FALSE(ed.InsertPicture(TestPicture()));
  EXPECT_FALSE(ed.InsertBreak(1, TRVBreakStyle::Line, clNone));
  EXPECT_FALSE(ed.Paste(CopyRange(doc, {0, 0, 0}, {0, 0, 1})));
  ed.SelectAll();
  EXPECT_FALSE(ed.DeleteSelection());
  EXPECT_FALSE(ed.Undo());
  EXPECT_EQ(doc, before);
  EXPECT_FALSE(ed.Modified());

  // A conversion with a selection does nothing; without one it still
  // changes the current style.
  auto bold = [&](int no) { TFontInfo f = doc.Style.TextStyle(no); f.SetStyle(fsBold, true); return doc.Style.FindOrAddTextStyle(f, no); };
  EXPECT_FALSE(ed.ApplyStyleConversion(bold));
  EXPECT_EQ(ed.CurTextStyleNo(), kNormal);
  ed.Deselect();
  EXPECT_TRUE(ed.ApplyStyleConversion(bold));
  EXPECT_EQ(ed.CurTextStyleNo(), 6);
  EXPECT_EQ(doc.Paragraphs, before.Paragraphs);
}

// What Open does: a session that appended styles reads a file carrying a
// smaller sheet of its own, then the user types on.
TEST(EditStyles, ASmallerSheetReadInBringsTheCurrentStylesBackInside) {
  TRVDocument doc;
  TMonoFontMetrics metrics;
  TRVLayout layout(metrics);
  TRVEditCore ed(doc);
  ed.SetLayout(&layout);
  TFontInfo bold = doc.Style.TextStyle(kNormal);
  bold.SetStyle(fsBold, true);
  TParaInfo right;
  right.Alignment = TParaAlignment::Right;
  ed.SetCurTextStyleNo(doc.Style.FindOrAddTextStyle(bold, kNormal));
  ed.SetCurParaStyleNo(doc.Style.FindOrAddParaStyle(right, 0));
  ASSERT_EQ(ed.CurTextStyleNo(), 6);
  ASSERT_EQ(ed.CurParaStyleNo(), 2);
  int changes = 0;
  ed.OnCurTextStyleChanged = [&] { ++changes; };

  ed.Clear();
  TRVDocument file;
  AddPara(file, 1, {{"read", kKeywords}});
  doc = file;  // six text styles, two paragraph styles
  ed.Format();
  EXPECT_EQ(ed.CurTextStyleNo(), kNormal);
  EXPECT_EQ(ed.CurParaStyleNo(), 0);
  EXPECT_EQ(changes, 1);  // the toolbar is told

  ed.SetCaret(doc.EndPosition());
  ed.SetCurTextStyleNo(kHeading);
  ed.InsertText("\r\n");
  ed.TypeText("typed");
  EXPECT_EQ(Dump(doc), R"(1: "read"/3 | 1: "typed"/1)");
  EXPECT_EQ(ValidateDocument(doc), "");

  // Numbers inside the sheet are kept.
  const int before = changes;
  ed.Format();
  EXPECT_EQ(ed.CurTextStyleNo(), kHeading);
  EXPECT_EQ(changes, before);
}

TEST(EditWords, CtrlBackspaceAndCtrlDeleteRemoveAWordAsOneStep) {
  TRVDocument doc;
  AddPara(doc, 0, {{"one two, ", kNormal}, {"three", kKeywords}});
  AddPara(doc, 0, {{"four", kNormal}});
  TRVEditCore ed(doc);
  ed.SetCaret({0, 1, 5});  // after "three"
  EXPECT_TRUE(ed.DeleteWord(false));
  EXPECT_EQ(Dump(doc), R"(0: "one two, "/0 | 0: "four"/0)");
  EXPECT_TRUE(ed.DeleteWord(false));  // the blank and the comma: punctuation is a word of its own
  EXPECT_EQ(Dump(doc), R"(0: "one two"/0 | 0: "four"/0)");
  EXPECT_TRUE(ed.DeleteWord(false));
  EXPECT_EQ(Dump(doc), R"(0: "one "/0 | 0: "four"/0)");
  EXPECT_TRUE(ed.Undo());  // one step each
  EXPECT_EQ(Dump(doc), R"(0: "one two"/0 | 0: "four"/0)");
  EXPECT_EQ(ed.Caret(), (TRVPosition{0, 0, 7}));
  EXPECT_FALSE(ed.SelectionExists());

  ed.SetCaret({0, 0, 0});
  EXPECT_TRUE(ed.DeleteWord(true));  // the word and the blanks after it
  EXPECT_EQ(Dump(doc), R"(0: "two"/0 | 0: "four"/0)");
  ed.SetCaret({0, 0, 3});
  EXPECT_TRUE(ed.DeleteWord(true));  // at the end: joins the next paragraph
  EXPECT_EQ(Dump(doc), R"(0: "twofour"/0)");
  ed.SetCaret({0, 0, 0});
  EXPECT_FALSE(ed.DeleteWord(false));  // nothing before the start

  ed.SetSelection({0, 0, 1}, {0, 0, 2});
  EXPECT_TRUE(ed.DeleteWord(true));  // a selection goes first, alone
  EXPECT_EQ(Dump(doc), R"(0: "tofour"/0)");
  ed.SetReadOnly(true);
  EXPECT_FALSE(ed.DeleteWord(false));
}

TEST(EditWords, WordBoundariesCrossScriptsPicturesAndParagraphs) {
  TRVDocument doc;
  AddPara(doc, 0, {{"a\xC3\xA9" "b_1  \xD0\xB6\xD0\xB8!? x", kNormal}});
  doc.Paragraphs[0].AddItem(TRVItem(TestPicture()));
  AddPara(doc, 0, {{"", kNormal}});
  auto at = [&](int offset, bool forward) { return WordBoundary(doc, {0, offset}, forward).Offset; };
  EXPECT_EQ(at(0, true), 7);     // "a\u00e9b_1" and two blanks
  EXPECT_EQ(at(7, true), 9);     // the Cyrillic word
  EXPECT_EQ(at(9, true), 12);    // "!?" and a blank
  EXPECT_EQ(at(12, true), 13);   // "x"
  EXPECT_EQ(at(13, true), 14);   // the picture
  EXPECT_EQ(WordBoundary(doc, {0, 14}, true), (TRVParaOffset{1, 0}));
  EXPECT_EQ(at(12, false), 9);
  EXPECT_EQ(at(9, false), 7);
  EXPECT_EQ(at(7, false), 0);
  EXPECT_EQ(WordBoundary(doc, {1, 0}, false), (TRVParaOffset{0, 14}));
  EXPECT_EQ(WordBoundary(doc, {1, 0}, true), (TRVParaOffset{1, 0}));
}

TEST(EditTyping, ControlCharactersAreNeverTyped) {
  for (char32_t c : {U'\0', U'\x01', U'\x08', U'\x1F', U'\x7F', U'\x80', U'\x9F'})
    EXPECT_TRUE(IsControlCharacter(c)) << static_cast<unsigned>(c);
  for (char32_t c : {U' ', U'~', U'\xA0', U'\xE9', U'\x20AC'}) EXPECT_FALSE(IsControlCharacter(c));

  TRVDocument doc;
  TRVEditCore ed(doc);
  EXPECT_FALSE(ed.TypeText("\x7F"));  // Ctrl+Backspace's character
  EXPECT_FALSE(ed.TypeText(std::string("\x02\0\x1B", 3)));
  EXPECT_FALSE(ed.TypeText("\xC2\x85"));  // U+0085
  EXPECT_TRUE(ed.TypeText("a\x01\tb\xC2\x9F\xC2\xA0" "c"));
  EXPECT_TRUE(ed.TypeText("\r\n"));
  EXPECT_EQ(Dump(doc), "0: \"a\tb\xC2\xA0" "c\"/0 | 0: \"\"/0");
  EXPECT_EQ(WithoutControlCharacters("\xC2" "A\x7F"), "\xC2" "A");  // not UTF-8: only ASCII controls go
}

}  // namespace
}  // namespace nv
