// The editor core: caret, selection, editing operations and undo over one
// document.
//
// Every editing operation works at the caret or on the selection, records
// itself for undo and sets the modified flag; in a read-only editor it does
// nothing and answers false. Typed text is grouped into words for undo: a
// run of typed characters up to and including a space or punctuation mark
// is one step, and moving the caret ends the run (Backspace and Delete
// runs group the same way).
//
// The caret belongs to the text on its left: between two items it is
// spelled as the end of the first (the start of a paragraph is item 0,
// offset 0), so "the caret item" is the item whose text the caret follows.
// Moving the caret makes the current text style that item's style and the
// current paragraph style the paragraph's; typed text takes the current
// styles.
//
// A layout, when one is attached, is brought up to date after every
// operation, laying out only the paragraphs the operation changed.
#pragma once

#include <climits>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "richview/document.h"
#include "richview/edit_range.h"
#include "richview/search.h"
#include "richview/undo.h"

namespace nv {

class TRVLayout;

// The editor's style-conversion event: the number a text style converts to.
using TRVStyleConversion = std::function<int(int styleNo)>;

class TRVEditCore {
 public:
  // The document must outlive the editor. Changes made to it from outside
  // (reading a file into it) must be followed by Format().
  explicit TRVEditCore(TRVDocument& doc);

  TRVDocument& Document() { return doc_; }
  const TRVDocument& Document() const { return doc_; }

  // ---------------------------------------------------------------- layout
  void SetLayout(TRVLayout* layout);
  TRVLayout* Layout() const { return layout_; }
  // Lays out the whole document anew (after it was read or changed from
  // outside) and brings the caret back inside it, and the current text and
  // paragraph style numbers back inside the sheet (style 0 when outside).
  void Format();
  // Lays out only what AppendPicture added since the last formatting.
  void FormatTail();
  // What changed since the last call (for a view keeping its own layout).
  TRVDocChange TakeChange();

  // ------------------------------------------------------ caret, selection
  TRVPosition Caret() const { return caret_; }
  TRVPosition Anchor() const { return anchor_; }
  // Moves the caret (extend: keeps the anchor, selecting what lies
  // between). Positions outside the document are brought inside it.
  void SetCaret(TRVPosition pos, bool extend = false);
  void SetSelection(TRVPosition anchor, TRVPosition caret);
  void SelectAll();
  void Deselect();
  bool SelectionExists() const;
  // The selection's ends in document order.
  TRVPosition SelectionStart() const;
  TRVPosition SelectionEnd() const;
  // One character left or right, across paragraph ends.
  void MoveCaretLeft(bool extend = false);
  void MoveCaretRight(bool extend = false);

  // What the end-of-hyperlink rule asks. The caret item is -1 in an empty
  // document; its style is -1 when it is not text.
  int CaretItemNo() const;
  int CaretOffset() const;
  int GetOffsAfterItem(int itemNo) const;  // in the caret's paragraph
  int CaretItemStyleNo() const;
  bool IsJumpStyle(int styleNo) const;

  // -------------------------------------------------------- current styles
  int CurTextStyleNo() const { return curTextStyle_; }
  int CurParaStyleNo() const { return curParaStyle_; }
  // Numbers outside the sheet are ignored. A different text style number
  // raises OnCurTextStyleChanged.
  void SetCurTextStyleNo(int styleNo);
  void SetCurParaStyleNo(int styleNo);
  std::function<void()> OnCurTextStyleChanged;

  // ---------------------------------------------------------------- flags
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  // ------------------------------------------------------------ operations
  // Empties the document and forgets the undo record (no undo).
  void Clear();
  // Inserts text at the caret, replacing the selection, as one undo step.
  // "\r\n", "\n" and "\r" end paragraphs; new paragraphs take the current
  // paragraph style. Text that is not UTF-8 is repaired, NUL dropped.
  bool InsertText(std::string_view text);
  // The same for typed text, grouped into words for undo. Control
  // characters other than Tab and the line ends are not typed.
  bool TypeText(std::string_view text);
  bool DeleteSelection();
  // Deletes the selection, else the character before / after the caret
  // (at a paragraph's edge: joins it with its neighbour).
  bool Backspace();
  bool DeleteChar();
  // Deletes the selection, else from the caret to the word boundary before
  // / after it (WordBoundary: where Ctrl+Left / Ctrl+Right go), as one undo
  // step of its own.
  bool DeleteWord(bool forward);
  // Pictures need bytes and a size of 1..kMaxPictureSize each way.
  bool InsertPicture(TRVPictureItemInfo picture);
  bool InsertBreak(int width, TRVBreakStyle style, TColor color);
  // Inserts a fragment (copied from this or another document) at the
  // caret, replacing the selection. Its styles are found in, or appended
  // to, this document's sheet. A fragment that is not a valid document is
  // refused.
  bool Paste(const TRVDocument& fragment);
  TRVDocument CopySelection() const;
  // Drops the selection, dragged with the mouse, at a place in the same
  // document, as one undo step: a move takes it out of its place and puts
  // it there, a copy puts a copy there; the dropped content is selected
  // afterwards. A place inside the selection (for a move, its edges too,
  // which would leave everything where it is) does nothing and answers
  // false, as does an editor without a selection.
  bool DropSelectionAt(TRVPosition target, bool copy);
  // Whether DropSelectionAt would do anything there.
  bool CanDropSelectionAt(TRVPosition target, bool copy) const;
  // Adds a picture at the end of the document, outside the undo record:
  // paraNo -1 continues the last paragraph, else a new paragraph in that
  // style begins. Ends a typing run and clears redo. Works in read-only
  // editors too, like reading a file does. Follow with FormatTail().
  bool AppendPicture(TRVPictureItemInfo picture, int paraNo);
  // Converts the current text style and, with a selection, the style of
  // every selected text item (cut at the selection's edges, equal
  // neighbours merged afterwards) as one undo step. In a read-only editor
  // only the current style changes, and only when nothing is selected.
  bool ApplyStyleConversion(const TRVStyleConversion& convert);
  // Replaces every match of the finder in the whole document with
  // `replacement` (one line; line ends are dropped) as one undo step. Each
  // replacement takes the style of the first character it replaces. Answers
  // the number of matches replaced; the caret goes after the last one.
  int ReplaceAll(const TRVTextFinder& finder, std::string_view replacement);
  // Gives the paragraphs of the selection (the caret's paragraph without
  // one) the alignment, each through a paragraph style of the sheet that
  // looks as wanted (found or appended), as one undo step. The current
  // paragraph style follows.
  bool SetParaAlignment(TParaAlignment alignment);

  // ------------------------------------------------------------------ undo
  bool Undo();
  bool Redo();
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // At most `steps` steps and about `bytes` bytes (0: no limit).
  void SetUndoLimits(int steps, std::size_t bytes) { history_.SetLimits(steps, bytes); }
  const TRVUndoHistory& History() const { return history_; }
  // Ends the current typing run, so the next typed text starts a new step.
  void EndUndoGroup() { groupOpen_ = false; }

 private:
  TRVEditState State() const;
  void SetState(const TRVEditState& state);
  TRVPosition ClampPosition(TRVPosition pos) const;
  TRVPosition Normalize(TRVPosition pos) const;
  void FollowCaret();
  void PlaceCaret(TRVParaOffset place);
  TRVParaOffset Place(const TRVPosition& pos) const { return ToParaOffset(doc_, pos); }
  bool HasSelection() const;  // without the validity check of the public one

  // Runs an editing operation as (part of) an undo step.
  template <typename Body>
  bool Edit(TRVUndoGroup group, Body body);
  void Record(TRVUndoAction action);
  void ReplaceParagraphs(int first, int count, std::vector<TRVParagraph> repl);
  void Splice(TRVParaOffset from, TRVParaOffset to, std::vector<TRVFragmentLine> lines, int emptyStyle);
  void EnsureLine();
  bool TryTypeInPlace(std::string_view text);
  std::string TargetAround() const;
  void InsertTextLines(std::vector<std::string> lines);
  bool InsertLines(std::vector<TRVFragmentLine> lines);
  bool DeleteAround(bool forward);
  int StyleAt(TRVParaOffset from, TRVParaOffset to) const;
  void Apply(TRVUndoStep& step, bool undo);

  void MarkChanged(int first, int newCount);
  void UpdateLayout();

  TRVDocument& doc_;
  TRVLayout* layout_ = nullptr;
  TRVPosition anchor_;
  TRVPosition caret_;
  int curTextStyle_ = 0;
  int curParaStyle_ = 0;
  bool modified_ = false;
  bool readOnly_ = false;

  TRVUndoHistory history_;
  TRVUndoStep* recording_ = nullptr;
  int recorded_ = 0;  // actions recorded by the running operation
  bool groupOpen_ = false;
  bool closeGroup_ = false;

  TRVDocChange change_;
  TRVPosition tail_{INT_MAX, 0, 0};  // first item appended since the last formatting
};

}  // namespace nv
