// The undo record of the editor.
//
// An undo step is a list of actions, each one a swap: it holds content that
// is not in the document and exchanges it with what is there. Applying an
// action makes the change; applying it again takes the change back and
// leaves the action holding the changed content, ready to redo. So the
// record keeps only what an edit changed, in the smallest of three shapes:
// the bytes typed or deleted in one text item, the items replaced in one
// paragraph, or whole paragraphs when the paragraph structure changed.
//
// Memory stays bounded: the history keeps at most a number of steps and a
// number of bytes (the oldest steps go first; the latest step always stays).
//
// Pictures appended at the end of the document are outside the record
// (the notebook appends GIF pictures that way). Steps done before such an
// append were recorded without the picture, so the editor takes appended
// pictures off the end while it applies them and puts them back afterwards;
// the history keeps those appends in order, each with the number of steps
// that were done before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <variant>
#include <vector>

#include "richview/document.h"

namespace nv {

// Paragraphs [First, First + Count) are exchanged with Stored.
struct TRVSwapParas {
  int First = 0;
  int Count = 0;
  std::vector<TRVParagraph> Stored;
};

// Items [First, First + Count) of paragraph Para are exchanged with Stored.
struct TRVSwapItems {
  int Para = 0;
  int First = 0;
  int Count = 0;
  std::vector<TRVItem> Stored;
};

// Bytes [Byte, Byte + Count) of the text of item Item of paragraph Para are
// exchanged with Stored.
struct TRVSwapText {
  int Para = 0;
  int Item = 0;
  std::size_t Byte = 0;
  std::size_t Count = 0;
  std::string Stored;
};

using TRVUndoAction = std::variant<TRVSwapParas, TRVSwapItems, TRVSwapText>;

// The paragraphs an applied action changed: [First, First + OldCount) were
// replaced by [First, First + NewCount).
struct TRVParaChange {
  int First = 0;
  int OldCount = 0;
  int NewCount = 0;
};

// Exchanges the action's content with the document's. The action must fit
// the document (the record applies steps only in the state they were made
// in); a paragraph touched gets a new revision stamp, except that swapped
// paragraphs come back with the stamps they had.
TRVParaChange ApplyUndoAction(TRVDocument& doc, TRVUndoAction& action);

// Memory an action holds, roughly, in bytes.
std::size_t UndoActionBytes(const TRVUndoAction& action);

// Caret, selection and current styles of the editor around a step.
struct TRVEditState {
  TRVPosition Anchor;
  TRVPosition Caret;
  int TextStyleNo = 0;
  int ParaStyleNo = 0;
  friend bool operator==(const TRVEditState&, const TRVEditState&) = default;
};

// Runs of the same small edit grow one step, up to a word.
enum class TRVUndoGroup : std::uint8_t { None = 0, Typing = 1, Backspace = 2, Delete = 3 };

struct TRVUndoStep {
  std::vector<TRVUndoAction> Actions;
  TRVEditState Before;
  TRVEditState After;
  TRVUndoGroup Group = TRVUndoGroup::None;
  std::size_t Bytes = 0;  // what Actions hold, kept by TRVUndoHistory
};

// A picture appended at the end of the document, outside the record.
struct TRVAppendRecord {
  std::int64_t After = 0;  // steps done since the history began, when appended
  bool NewParagraph = false;  // asked for a paragraph of its own
  int ParaNo = 0;             // style of a paragraph it opens
  TRVItem Item;               // the picture while it is taken off
  // How it was put on last: whether it opened a paragraph (as asked, or
  // because the document was empty), and the empty line it replaced.
  bool Opened = false;
  std::vector<TRVItem> Displaced;
};

// Puts an appended picture at the end of the document (continuing the last
// paragraph unless it asks for its own; an empty last line gives way to
// it), or takes it off again. Take off only what was put on last. Putting
// it on the same document always gives the same result, so redoing the
// steps before an append leads back to the document as it was appended to.
void AttachAppend(TRVDocument& doc, TRVAppendRecord& rec);
void DetachAppend(TRVDocument& doc, TRVAppendRecord& rec);

class TRVUndoHistory {
 public:
  static constexpr int kDefaultStepLimit = 100;
  static constexpr std::size_t kDefaultByteLimit = 8u << 20;

  // Limits of 0 mean none. The latest step always stays.
  void SetLimits(int steps, std::size_t bytes);
  int StepLimit() const { return stepLimit_; }
  std::size_t ByteLimit() const { return byteLimit_; }

  void Clear();
  bool CanUndo() const { return !done_.empty(); }
  bool CanRedo() const { return !undone_.empty(); }
  int UndoCount() const { return static_cast<int>(done_.size()); }
  int RedoCount() const { return static_cast<int>(undone_.size()); }
  // Memory held by the steps, roughly.
  std::size_t Bytes() const { return bytes_; }

  // The last step done, or nullptr.
  TRVUndoStep* Top() { return done_.empty() ? nullptr : &done_.back(); }
  // The global number of the last step done / the next step to redo.
  std::int64_t TopIndex() const { return base_ + static_cast<std::int64_t>(done_.size()) - 1; }
  std::int64_t NextIndex() const { return base_ + static_cast<std::int64_t>(done_.size()); }

  // A new step: redo is gone, old steps are dropped down to the limits.
  // Keeps the step; when that fails the step is left as it was.
  void Push(TRVUndoStep&& step);
  // The top step grew (a typing run went on): recount it, keep the limits.
  void TopChanged();
  // Moves the top step to redo and back.
  TRVUndoStep& MoveToRedo();
  TRVUndoStep& MoveToUndo();
  TRVUndoStep* NextRedo() { return undone_.empty() ? nullptr : &undone_.back(); }

  // Appended pictures: recorded in order, redo is gone.
  TRVAppendRecord& AddAppend(TRVAppendRecord rec);
  std::vector<TRVAppendRecord>& Appends() { return appends_; }

 private:
  static std::size_t StepBytes(const TRVUndoStep& step);
  void DropRedo();
  void Trim();

  std::deque<TRVUndoStep> done_;
  std::vector<TRVUndoStep> undone_;  // back() is redone first
  std::int64_t base_ = 0;            // global number of done_.front()
  std::vector<TRVAppendRecord> appends_;
  std::size_t bytes_ = 0;
  int stepLimit_ = kDefaultStepLimit;
  std::size_t byteLimit_ = kDefaultByteLimit;
};

}  // namespace nv
