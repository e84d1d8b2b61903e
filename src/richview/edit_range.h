// Places and ranges of a document, as editing works with them.
//
// A TRVPosition names an item and an offset in it, and a place between two
// items has two spellings. Editing rebuilds paragraphs (splitting text at
// the edges of a range, merging equal neighbours afterwards), which moves
// item numbers but never the characters themselves. So editing counts
// places as a paragraph and a character offset from the paragraph's start
// (every picture and line counts as one character): such a place survives
// any rebuilding of the paragraph, and is turned back into a position at
// the end.
#pragma once

#include <climits>
#include <compare>
#include <string>
#include <vector>

#include "richview/document.h"

namespace nv {

struct TRVParaOffset {
  int Para = 0;
  int Offset = 0;  // characters from the start of the paragraph
  friend auto operator<=>(const TRVParaOffset&, const TRVParaOffset&) = default;
};

// Paragraphs changed since a layout last saw the document: all but the
// first Head and the last Tail paragraphs (counted alike in the document
// before and after) may have changed. Head == INT_MAX: nothing changed.
struct TRVDocChange {
  int Head = INT_MAX;
  int Tail = INT_MAX;
  bool Any() const { return Head != INT_MAX; }
};

// Characters in a paragraph (EndOffset of every item added up).
int ParagraphLength(const TRVParagraph& para);
int ItemsLength(const std::vector<TRVItem>& items);

// The characters of a paragraph, one per offset: pictures and lines as the
// object replacement character U+FFFC.
std::u32string ParaChars(const TRVParagraph& para);

// The class of a character for moving and deleting by words: 0 a blank,
// 1 a word character (letters and digits of any script, '_'), 2 anything
// else (punctuation, pictures, lines).
int WordCharClass(char32_t c);

// Where moving (Ctrl+Left / Ctrl+Right) or deleting (Ctrl+Backspace /
// Ctrl+Delete) by a word goes from a place. Forward: over the word or the
// run of punctuation at the place, then over the blanks after it.
// Backward: over the blanks before the place, then over the word or run of
// punctuation before them. At a paragraph's edge: across the paragraph
// break, to the end of the previous or the start of the next paragraph.
// The place itself when there is nowhere to go.
TRVParaOffset WordBoundary(const TRVDocument& doc, TRVParaOffset at, bool forward);

// Both positions must be valid in the document.
TRVParaOffset ToParaOffset(const TRVDocument& doc, const TRVPosition& pos);
// The position of a place; an offset past the paragraph's end counts as its
// end. Between two items the caret spelling is the end of the item before
// (the caret belongs to the text on its left), except at the start of the
// paragraph.
TRVPosition ToPosition(const TRVDocument& doc, const TRVParaOffset& place);

// Splits items at a character offset: `before` gets everything before it,
// `after` the rest. Text straddling the offset is cut in two; the first
// part keeps the checkpoints (they mark the place before its first
// character). An empty text item at the offset goes to `after`.
void SplitItems(std::vector<TRVItem> items, int offset, std::vector<TRVItem>& before,
                std::vector<TRVItem>& after);

// One paragraph's worth of content to put into a document.
struct TRVFragmentLine {
  int ParaNo = 0;
  std::vector<TRVItem> Items;
};

// The paragraphs that take the place of paragraphs from.Para..to.Para when
// the range [from, to) is replaced by `lines` (no lines: the range is
// deleted). The first line joins the text before `from` and keeps that
// paragraph's style; the last line is followed by the text after `to` and
// takes its own ParaNo. Checkpoints inside the range stay at `from`. A
// paragraph left without items becomes an empty line in `emptyStyle`.
// Paragraphs are normalised (equal neighbours merged).
struct TRVSpliceResult {
  std::vector<TRVParagraph> Paras;
  TRVParaOffset End;  // just after the inserted content, Para relative to Paras
};
TRVSpliceResult BuildSplice(const TRVDocument& doc, TRVParaOffset from, TRVParaOffset to,
                            std::vector<TRVFragmentLine> lines, int emptyStyle);

// A self-contained copy of the range between two positions (in either
// order): the whole style sheet and the background colour come along, so
// the copy reads and writes on its own, and text is cut at the ends. A range
// that ends at the start of a paragraph ends with an empty line (it holds
// the paragraph break before it). An empty range gives a document without
// paragraphs. Positions outside the document are brought inside it.
TRVDocument CopyRange(const TRVDocument& doc, TRVPosition from, TRVPosition to);

}  // namespace nv
