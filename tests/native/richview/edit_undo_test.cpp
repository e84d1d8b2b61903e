#include <gtest/gtest.h>

#include "edit_support.h"
#include "richview/edit.h"
#include "richview/style_conversion.h"

namespace nv {
namespace {

using testing::AddPara;
using testing::Dump;
using testing::TestPicture;

int Bold(TRVStyle& s, int no, bool down) {
  StyleConversionRequest r;
  r.boldDown = down;
  return ConvertTextStyle(s, no, kConvertBold, r);
}

void TypeChars(TRVEditCore& ed, std::string_view text) {
  for (char c : text) ed.TypeText(std::string(1, c));
}

TEST(Undo, EveryOperationUndoesAndRedoesExactly) {
  TRVDocument doc;
  AddPara(doc, 0, {{"Hello world", 0}});
  AddPara(doc, 1, {{"second", 3}});
  TRVEditCore ed(doc);

  // Around each operation: the paragraphs after it, the caret and current
  // style before and after it.
  struct Snap {
    std::vector<TRVParagraph> paras;
    TRVPosition caretBefore, caretAfter;
    int styleBefore;
  };
  std::vector<Snap> snaps{{doc.Paragraphs, {}, {}, 0}};
  auto step = [&](auto op) {
    const TRVPosition caret = ed.Caret();
    const int style = ed.CurTextStyleNo();
    ASSERT_TRUE(op());
    ASSERT_EQ(ValidateDocument(doc), "");
    snaps.push_back({doc.Paragraphs, caret, ed.Caret(), style});
  };

  ed.SetCaret({0, 0, 5});
  step([&] { return ed.InsertText(","); });
  step([&] { return ed.InsertText("\r\nnew line\r\n"); });
  ed.SetSelection({0, 0, 2}, {2, 0, 3});
  step([&] { return ed.ApplyStyleConversion([&](int no) { return Bold(doc.Style, no, true); }); });
  step([&] { return ed.DeleteSelection(); });
  step([&] { return ed.InsertPicture(TestPicture()); });
  step([&] { return ed.InsertBreak(2, TRVBreakStyle::Dashed, clRed); });
  step([&] { return ed.Backspace(); });
  ed.SetSelection({0, 0, 0}, {0, 0, 2});
  const TRVDocument clip = ed.CopySelection();
  ed.SetCaret(doc.EndPosition());
  step([&] { return ed.Paste(clip); });
  step([&] { return ed.InsertText("\r\n"); });
  ed.SelectAll();
  step([&] { return ed.DeleteSelection(); });
  ASSERT_EQ(ed.History().UndoCount(), static_cast<int>(snaps.size()) - 1);
  const size_t styles = doc.Style.TextStyles.size();

  for (size_t i = snaps.size() - 1; i > 0; --i) {
    ASSERT_TRUE(ed.Undo());
    EXPECT_EQ(doc.Paragraphs, snaps[i - 1].paras) << "undo to " << i - 1 << ": " << Dump(doc);
    EXPECT_TRUE(doc.SamePlace(ed.Caret(), snaps[i].caretBefore)) << i;
    EXPECT_EQ(ed.CurTextStyleNo(), snaps[i].styleBefore) << i;
    EXPECT_EQ(ValidateDocument(doc), "");
  }
  EXPECT_FALSE(ed.Undo());
  for (size_t i = 1; i < snaps.size(); ++i) {
    ASSERT_TRUE(ed.Redo());
    EXPECT_EQ(doc.Paragraphs, snaps[i].paras) << "redo to " << i << ": " << Dump(doc);
    EXPECT_EQ(ed.Caret(), snaps[i].caretAfter) << i;
  }
  EXPECT_FALSE(ed.Redo());
  // Styles appended on the way stay: style numbers keep their meaning.
  EXPECT_EQ(doc.Style.TextStyles.size(), styles);
}

TEST(Undo, TypingGroupsIntoWords) {
  TRVDocument doc;
  TRVEditCore ed(doc);
  TypeChars(ed, "Hello, big world");
  // "Hello," " " "big " "world": punctuation and blanks end a word.
  EXPECT_EQ(ed.History().UndoCount(), 4);
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: "Hello, big "/0)");
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: "Hello, "/0)");
  ed.Redo();
  ed.Redo();

  // Moving the caret ends a word.
  ed.SetCaret({0, 0, 5});
  TypeChars(ed, "ab");
  ed.SetCaret({0, 0, 15});
  TypeChars(ed, "cd");
  EXPECT_EQ(Dump(doc), R"(0: "Helloab, big wocdrld"/0)");
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: "Helloab, big world"/0)");
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: "Hello, big world"/0)");

  // A run of Backspaces is one step up to a blank; Enter ends a word.
  ed.SetCaret(doc.EndPosition());
  const int before = ed.History().UndoCount();
  for (int i = 0; i < 7; ++i) ed.Backspace();  // "dlrow", " ", "g"
  EXPECT_EQ(Dump(doc), R"(0: "Hello, bi"/0)");
  EXPECT_EQ(ed.History().UndoCount(), before + 2);
  ed.TypeText("\n");
  TypeChars(ed, "x");
  EXPECT_EQ(ed.History().UndoCount(), before + 4);
  ed.Undo();
  ed.Undo();
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: "Hello, big"/0)");

  // A new edit clears redo.
  EXPECT_TRUE(ed.CanRedo());
  ed.TypeText("!");
  EXPECT_FALSE(ed.CanRedo());
}

TEST(Undo, RecordsOnlyWhatChanged) {
  TRVDocument doc;
  for (int p = 0; p < 2000; ++p) AddPara(doc, 0, {{std::string(200, 'a' + p % 26), p % 4}});
  TRVEditCore ed(doc);
  ed.SetCaret({1000, 0, 100});
  TypeChars(ed, "word");
  ed.Backspace();
  ed.InsertText("\r\n");
  ed.InsertPicture(TestPicture());
  // Typed text costs its bytes; a split paragraph costs one paragraph.
  EXPECT_LT(ed.History().Bytes(), 2000u);
}

TEST(Undo, MemoryStaysBoundedOnLongSessions) {
  TRVDocument doc;
  TRVEditCore ed(doc);
  const std::string words = "the quick brown fox jumps over a lazy dog, again. ";
  std::size_t at10k = 0;
  for (int i = 0; i < 100000; ++i) {
    const char c = words[static_cast<size_t>(i) % words.size()];
    if (i % 300 == 299) ed.TypeText("\r\n");
    else ed.TypeText(std::string(1, c));
    if (i == 10000) at10k = ed.History().Bytes();
  }
  EXPECT_EQ(ed.History().UndoCount(), TRVUndoHistory::kDefaultStepLimit);
  EXPECT_LT(ed.History().Bytes(), 64u * 1024);
  EXPECT_LT(ed.History().Bytes(), at10k * 2);

  // A byte budget drops the oldest steps first, but never the last one.
  ed.SetUndoLimits(0, 4096);
  EXPECT_LE(ed.History().Bytes(), 4096u);
  EXPECT_GE(ed.History().UndoCount(), 1);
  ed.SelectAll();
  ed.DeleteSelection();  // far larger than the budget on its own
  EXPECT_EQ(ed.History().UndoCount(), 1);
  ed.Undo();
  EXPECT_EQ(doc.ParagraphCount(), 100000 / 300 + 1);
}

TEST(Undo, AppendedPicturesStayOutsideTheRecord) {
  TRVDocument doc;
  TRVEditCore ed(doc);
  ed.TypeText("ab ");
  ed.InsertText("\r\n");  // an empty last line
  ASSERT_TRUE(ed.AppendPicture(TestPicture(7, 7), -1));  // takes the empty line's place
  EXPECT_EQ(Dump(doc), R"(0: "ab "/0 | 0: [pic 7x7])");
  ed.SetCaret({0, 0, 1});
  ed.InsertText("X");
  ASSERT_TRUE(ed.AppendPicture(TestPicture(8, 8), 1));  // a paragraph of its own
  ed.TypeText("Y");
  EXPECT_EQ(Dump(doc), R"(0: "aXYb "/0 | 0: [pic 7x7] | 1: [pic 8x8])");

  ed.Undo();
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: "ab "/0 | 0: [pic 7x7] | 1: [pic 8x8])");
  ed.Undo();  // the Enter: its empty line comes back, the picture after it
  EXPECT_EQ(Dump(doc), R"(0: "ab "/0 [pic 7x7] | 1: [pic 8x8])");
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: [pic 7x7] | 1: [pic 8x8])");
  EXPECT_FALSE(ed.CanUndo());
  EXPECT_EQ(ValidateDocument(doc), "");
  while (ed.Redo()) EXPECT_EQ(ValidateDocument(doc), "");
  EXPECT_EQ(Dump(doc), R"(0: "aXYb "/0 | 0: [pic 7x7] | 1: [pic 8x8])");

  // Appending clears redo (it changed the document) and ends a word.
  ed.Undo();
  ed.AppendPicture(TestPicture(9, 9), -1);
  EXPECT_FALSE(ed.CanRedo());
  EXPECT_FALSE(ed.AppendPicture(TRVPictureItemInfo{}, -1));
  EXPECT_FALSE(ed.AppendPicture(TestPicture(), 7));  // no such paragraph style

  // Clear forgets everything: there is no undo behind it.
  ed.Clear();
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_FALSE(ed.CanUndo());
  ed.AppendPicture(TestPicture(3, 3), -1);
  EXPECT_EQ(Dump(doc), R"(0: [pic 3x3])");
}

TEST(Undo, EditsAfterUndoingPastAnAppendKeepThePicture) {
  TRVDocument doc;
  TRVEditCore ed(doc);
  ed.InsertText("a\r\nbc");
  ed.AppendPicture(TestPicture(5, 5), -1);
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: [pic 5x5])");
  // The next step is made with the picture in the document, so undoing it
  // must not take the picture off first.
  ed.TypeText("x");
  EXPECT_EQ(Dump(doc), R"(0: "x"/0 [pic 5x5])");
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: [pic 5x5])");
  ed.Redo();
  EXPECT_EQ(Dump(doc), R"(0: "x"/0 [pic 5x5])");
}

TEST(Undo, EmptyLineCheckpointsTravelWithTheAppendedPicture) {
  TRVDocument doc;
  AddPara(doc, 0, {{"a", 0}});
  AddPara(doc, 0, {{"", 2}}).MutableItem(0).Checkpoints = {"end"};
  TRVEditCore ed(doc);
  ed.SetCaret({0, 0, 1});
  ed.TypeText("b");
  ed.AppendPicture(TestPicture(4, 4), -1);
  EXPECT_EQ(Dump(doc), R"(0: "ab"/0 | 0: @end [pic 4x4])");
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: "a"/0 | 0: @end [pic 4x4])");
  ed.Redo();
  EXPECT_EQ(Dump(doc), R"(0: "ab"/0 | 0: @end [pic 4x4])");
}

}  // namespace
}  // namespace nv
