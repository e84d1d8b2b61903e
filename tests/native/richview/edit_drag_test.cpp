// Dropping a selection dragged with the mouse back into its own document.
#include <gtest/gtest.h>

#include "edit_support.h"
#include "richview/edit.h"

namespace nv {
namespace {

using testing::AddPara;
using testing::Dump;

// Drops the selection [anchor, caret) at `target` and checks the result,
// the selection left on the dropped content, and that one undo gives back
// the document and selection exactly and one redo the result again.
void ExpectDrop(TRVDocument& doc, TRVPosition anchor, TRVPosition caret, TRVPosition target, bool copy,
                const std::string& after, const std::string& selected) {
  TRVEditCore ed(doc);
  ed.SetSelection(anchor, caret);
  const std::string before = Dump(doc);
  const TRVPosition start = ed.SelectionStart(), end = ed.SelectionEnd();
  ASSERT_TRUE(ed.DropSelectionAt(target, copy));
  EXPECT_EQ(ValidateDocument(doc), "");
  EXPECT_EQ(Dump(doc), after);
  EXPECT_TRUE(ed.Modified());
  EXPECT_EQ(Dump(ed.CopySelection()), selected) << "the dropped content is selected";
  EXPECT_EQ(ed.History().UndoCount(), 1);
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(Dump(doc), before);
  EXPECT_FALSE(ed.CanUndo());
  EXPECT_EQ(ed.SelectionStart(), start);
  EXPECT_EQ(ed.SelectionEnd(), end);
  ASSERT_TRUE(ed.Redo());
  EXPECT_EQ(Dump(doc), after);
}

TEST(EditDrag, MovesWithinOneParagraphBothWays) {
  {
    SCOPED_TRACE("forward");
    TRVDocument doc;
    AddPara(doc, 0, {{"one two three", 0}});
    ExpectDrop(doc, {0, 0, 0}, {0, 0, 4}, {0, 0, 13}, false, R"(0: "two threeone "/0)", R"(0: "one "/0)");
  }
  {
    SCOPED_TRACE("backward, styles kept exactly");
    TRVDocument doc;
    // Style 5 looks just like style 4: a move must not make it 4.
    AddPara(doc, 0, {{"one ", 0}, {"two", 5}, {" three", 0}});
    ExpectDrop(doc, {0, 1, 3}, {0, 1, 0}, {0, 0, 0}, false, R"(0: "two"/5 "one  three"/0)", R"(0: "two"/5)");
  }
  {
    SCOPED_TRACE("forward into the middle of later text");
    TRVDocument doc;
    AddPara(doc, 0, {{"abcdefgh", 0}});
    ExpectDrop(doc, {0, 0, 1}, {0, 0, 3}, {0, 0, 6}, false, R"(0: "adefbcgh"/0)", R"(0: "bc"/0)");
  }
}

TEST(EditDrag, MovesAcrossParagraphs) {
  {
    SCOPED_TRACE("a word to a later paragraph");
    TRVDocument doc;
    AddPara(doc, 0, {{"alpha beta", 0}});
    AddPara(doc, 1, {{"gamma", 3}});
    ExpectDrop(doc, {0, 0, 5}, {0, 0, 10}, {1, 0, 0}, false, R"(0: "alpha"/0 | 1: " beta"/0 "gamma"/3)",
               R"(1: " beta"/0)");
  }
  {
    SCOPED_TRACE("a paragraph break along with the text, backwards");
    TRVDocument doc;
    AddPara(doc, 0, {{"first", 0}});
    AddPara(doc, 0, {{"second", 0}});
    AddPara(doc, 1, {{"third", 0}});
    // "third" and the break before it go before "first".
    ExpectDrop(doc, {1, 0, 6}, {2, 0, 5}, {0, 0, 0}, false, R"(0: ""/0 | 0: "thirdfirst"/0 | 0: "second"/0)",
               R"(0: ""/0 | 0: "third"/0)");
  }
  {
    SCOPED_TRACE("two paragraphs' worth, forwards, into the later one's own paragraph");
    TRVDocument doc;
    AddPara(doc, 0, {{"ab", 0}});
    AddPara(doc, 0, {{"cd", 0}});
    AddPara(doc, 1, {{"efgh", 0}});
    // "b|c" moves into "ef|gh": the paragraph numbers after the taken-out
    // break come one closer.
    ExpectDrop(doc, {0, 0, 1}, {1, 0, 1}, {2, 0, 2}, false, R"(0: "ad"/0 | 1: "efb"/0 | 1: "cgh"/0)",
               R"(1: "b"/0 | 1: "c"/0)");
  }
}

TEST(EditDrag, CopyLeavesTheSelectionWhereItWas) {
  TRVDocument doc;
  AddPara(doc, 0, {{"copy me", 0}});
  AddPara(doc, 0, {{"here", 2}});
  ExpectDrop(doc, {0, 0, 0}, {0, 0, 4}, {1, 0, 4}, true, R"(0: "copy me"/0 | 0: "here"/2 "copy"/0)",
             R"(0: "copy"/0)");
  // At the selection's own edge a copy doubles it.
  TRVDocument twice;
  AddPara(twice, 0, {{"ab", 0}});
  ExpectDrop(twice, {0, 0, 0}, {0, 0, 2}, {0, 0, 2}, true, R"(0: "abab"/0)", R"(0: "ab"/0)");
}

TEST(EditDrag, DropsInsideTheSelectionOrWithoutOneDoNothing) {
  TRVDocument doc;
  AddPara(doc, 0, {{"one two three", 0}});
  AddPara(doc, 0, {{"four", 0}});
  TRVEditCore ed(doc);
  const std::string before = Dump(doc);
  ed.SetSelection({0, 0, 4}, {1, 0, 2});
  for (bool copy : {false, true}) {
    EXPECT_FALSE(ed.DropSelectionAt({0, 0, 6}, copy)) << copy;
    EXPECT_FALSE(ed.DropSelectionAt({1, 0, 1}, copy)) << copy;
  }
  // A move onto its own edges would leave everything where it is.
  EXPECT_FALSE(ed.DropSelectionAt({0, 0, 4}, false));
  EXPECT_FALSE(ed.DropSelectionAt({1, 0, 2}, false));
  EXPECT_EQ(Dump(doc), before);
  EXPECT_FALSE(ed.CanUndo());
  EXPECT_FALSE(ed.Modified());
  EXPECT_EQ(ed.SelectionStart(), (TRVPosition{0, 0, 4}));
  EXPECT_EQ(ed.SelectionEnd(), (TRVPosition{1, 0, 2}));

  ed.SetReadOnly(true);
  EXPECT_FALSE(ed.DropSelectionAt({0, 0, 0}, false));
  ed.SetReadOnly(false);
  ed.Deselect();
  EXPECT_FALSE(ed.DropSelectionAt({0, 0, 0}, true));
  EXPECT_EQ(Dump(doc), before);
}

}  // namespace
}  // namespace nv
