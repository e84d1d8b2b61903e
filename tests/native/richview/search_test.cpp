// Find and Replace over the document model: options, direction, wrapping,
// matches across items, and Replace All as one undo step.
#include <gtest/gtest.h>

#include "edit_support.h"
#include "richview/edit.h"
#include "richview/search.h"

namespace nv {
namespace {

using testing::AddPara;
using testing::Dump;

TRVTextMatch M(int para, int from, int to) { return {{para, from}, {para, to}}; }

TRVDocument Sample() {
  TRVDocument doc;
  AddPara(doc, 0, {{"The cat sat on the Cathedral.", 0}});
  // One word split over two styles, then a picture and a Greek capital.
  TRVParagraph& p = AddPara(doc, 0, {{"conCA", 0}, {"Tenate ", 3}});
  p.AddItem(TRVItem(testing::TestPicture()));
  p.AddItem(TRVItem::MakeText(" ΣΟΦΙΑ cat", 0));
  return doc;
}

TEST(Search, OptionsDecideWhatMatches) {
  const TRVDocument doc = Sample();
  auto all = [&](std::string what, bool matchCase, bool wholeWord) {
    return TRVTextFinder(what, {matchCase, wholeWord, true, true}).FindAll(doc);
  };
  // Case folded: "cat" inside "Cathedral" and across the two items of
  // "conCATenate" count; a capital "C" does not when case matters.
  EXPECT_EQ(all("cat", false, false),
            (std::vector<TRVTextMatch>{M(0, 4, 7), M(0, 19, 22), M(1, 3, 6), M(1, 20, 23)}));
  EXPECT_EQ(all("cat", true, false), (std::vector<TRVTextMatch>{M(0, 4, 7), M(1, 20, 23)}));
  EXPECT_EQ(all("CAT", true, false), (std::vector<TRVTextMatch>{M(1, 3, 6)}));
  // Whole words only: neither Cathedral nor conCATenate.
  EXPECT_EQ(all("Cat", false, true), (std::vector<TRVTextMatch>{M(0, 4, 7), M(1, 20, 23)}));
  // Greek folds too, and offsets count characters, the picture as one.
  EXPECT_EQ(all("σοφια", false, true), (std::vector<TRVTextMatch>{M(1, 14, 19)}));
  // Nothing matches a picture, an empty query or one crossing a line end.
  EXPECT_TRUE(all("\xEF\xBF\xBC", false, false).empty());
  EXPECT_TRUE(all("", false, false).empty());
  EXPECT_TRUE(all("cat\nsat", false, false).empty());
}

TEST(Search, DirectionAndWrapping) {
  const TRVDocument doc = Sample();
  TRVSearchOptions down{false, true, true, true};
  TRVTextFinder finder("cat", down);
  EXPECT_EQ(finder.Find(doc, {0, 0}), M(0, 4, 7));
  EXPECT_EQ(finder.Find(doc, {0, 4}), M(0, 4, 7));  // a match starting at the place counts
  EXPECT_EQ(finder.Find(doc, {0, 7}), M(1, 20, 23));
  EXPECT_EQ(finder.Find(doc, {1, 21}), M(0, 4, 7));  // wrapped to the start
  down.Wrap = false;
  EXPECT_EQ(TRVTextFinder("cat", down).Find(doc, {1, 21}), std::nullopt);

  TRVSearchOptions up{false, true, false, true};
  TRVTextFinder back("cat", up);
  EXPECT_EQ(back.Find(doc, {1, 23}), M(1, 20, 23));  // ends at the place
  EXPECT_EQ(back.Find(doc, {1, 22}), M(0, 4, 7));
  EXPECT_EQ(back.Find(doc, {0, 6}), M(1, 20, 23));  // wrapped to the end
  up.Wrap = false;
  EXPECT_EQ(TRVTextFinder("cat", up).Find(doc, {0, 6}), std::nullopt);
  // The only match, searched from inside it, is found by wrapping round.
  EXPECT_EQ(TRVTextFinder("Cathedral", {true, false, true, true}).Find(doc, {0, 20}), M(0, 19, 28));
  EXPECT_EQ(TRVTextFinder("Cathedral", {true, false, false, true}).Find(doc, {0, 20}), M(0, 19, 28));
}

TEST(Search, MatchesTellsWhetherTheSelectionIsAHit) {
  const TRVDocument doc = Sample();
  const TRVTextFinder finder("CAT", {false, true, true, true});
  EXPECT_TRUE(finder.Matches(doc, {0, 4}, {0, 7}));
  EXPECT_FALSE(finder.Matches(doc, {0, 19}, {0, 22}));  // not a whole word
  EXPECT_FALSE(finder.Matches(doc, {0, 4}, {0, 6}));
  EXPECT_FALSE(finder.Matches(doc, {0, 4}, {1, 7}));
}

TEST(Search, ReplaceAllIsOneUndoStep) {
  TRVDocument doc = Sample();
  doc.Paragraphs[1].MutableItem(1).Checkpoints = {"mark"};
  const TRVDocument before = doc;
  TRVEditCore core(doc);
  core.TypeText("x");  // an earlier step, which undo must not reach
  core.Undo();
  EXPECT_EQ(core.ReplaceAll(TRVTextFinder("cat", {false, false, true, true}), "dog\r\n"), 4);
  // Each replacement keeps the style of its first character; the one across
  // two items becomes one item there, the checkpoint staying at its start.
  EXPECT_EQ(Dump(doc),
            "0: \"The dog sat on the doghedral.\"/0 | "
            "0: \"con\"/0 @mark \"dog\"/0 \"enate \"/3 [pic 20x10] \" ΣΟΦΙΑ dog\"/0");
  EXPECT_EQ(core.Caret(), (TRVPosition{1, 4, 10}));
  EXPECT_TRUE(ValidateDocument(doc).empty());
  ASSERT_TRUE(core.Undo());
  EXPECT_EQ(doc, before);
  EXPECT_FALSE(core.CanUndo());
  ASSERT_TRUE(core.Redo());
  EXPECT_EQ(Dump(doc).substr(0, 31), "0: \"The dog sat on the doghedra");
  // Replacing with nothing removes the text; an emptied paragraph stays as
  // an empty line; nothing found changes nothing and records nothing.
  EXPECT_EQ(core.ReplaceAll(TRVTextFinder("The dog sat on the doghedral.", {true, false, true, true}), ""), 1);
  EXPECT_EQ(Dump(doc).substr(0, 11), "0: \"\"/0 | 0");
  EXPECT_TRUE(ValidateDocument(doc).empty());
  const int steps = core.History().UndoCount();
  EXPECT_EQ(core.ReplaceAll(TRVTextFinder("zebra", {}), "x"), 0);
  EXPECT_EQ(core.History().UndoCount(), steps);
  core.SetReadOnly(true);
  EXPECT_EQ(core.ReplaceAll(TRVTextFinder("dog", {}), "x"), 0);
}

TEST(ParaAlignment, SelectedParagraphsTakeFoundOrAppendedStyles) {
  TRVDocument doc;
  AddPara(doc, 0, {{"one", 0}});
  AddPara(doc, 1, {{"two", 0}});
  AddPara(doc, 0, {{"three", 0}});
  const TRVDocument before = doc;
  TRVEditCore core(doc);
  core.SetSelection({0, 0, 1}, {1, 0, 2});
  ASSERT_TRUE(core.SetParaAlignment(TParaAlignment::Center));
  // "Centered" is reused for the first paragraph; the third is untouched.
  EXPECT_EQ(Dump(doc), "1: \"one\"/0 | 1: \"two\"/0 | 0: \"three\"/0");
  EXPECT_EQ(core.CurParaStyleNo(), 1);
  EXPECT_EQ(doc.Style.ParaStyleCount(), 2);
  // Right alignment needs a new style, appended once for both paragraphs,
  // keeping the name of the style it came from.
  ASSERT_TRUE(core.SetParaAlignment(TParaAlignment::Right));
  EXPECT_EQ(Dump(doc), "2: \"one\"/0 | 2: \"two\"/0 | 0: \"three\"/0");
  ASSERT_EQ(doc.Style.ParaStyleCount(), 3);
  EXPECT_EQ(doc.Style.ParaStyle(2).Alignment, TParaAlignment::Right);
  EXPECT_EQ(doc.Style.ParaStyle(2).StyleName, "Centered");
  EXPECT_FALSE(doc.Style.ParaStyle(2).Standard);
  // Without a selection: the caret's paragraph. Left gives style 0 back.
  core.SetCaret({2, 0, 1});
  ASSERT_TRUE(core.SetParaAlignment(TParaAlignment::Justify));
  core.SetCaret({0, 0, 1});
  ASSERT_TRUE(core.SetParaAlignment(TParaAlignment::Left));
  EXPECT_EQ(Dump(doc), "0: \"one\"/0 | 2: \"two\"/0 | 3: \"three\"/0");
  // Asking for what is there already records nothing.
  const int steps = core.History().UndoCount();
  EXPECT_FALSE(core.SetParaAlignment(TParaAlignment::Left));
  EXPECT_EQ(core.History().UndoCount(), steps);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(core.Undo());
  EXPECT_EQ(doc.Paragraphs, before.Paragraphs);
}

}  // namespace
}  // namespace nv
