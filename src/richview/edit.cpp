#include "richview/edit.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "richview/layout.h"
#include "richview/utf8.h"

namespace nv {

namespace {

// The code point starting at byte i of valid UTF-8.
char32_t CodePointAt(std::string_view s, size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return b0;
  const int len = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : 2;
  char32_t cp = b0 & (0x7F >> len);
  for (int k = 1; k < len && i + static_cast<size_t>(k) < s.size(); ++k)
    cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
  return cp;
}

// Where a word ends for undo grouping: blanks, line ends and punctuation.
bool EndsWord(char32_t c) {
  if (c < 0x80) return c == ' ' || c == '\t' || c == '\n' || (c > ' ' && c < 0x7F && !std::isalnum(static_cast<int>(c)));
  return c == 0xA0 || (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F) || c == 0xFF0C || c == 0xFF0E;
}

char32_t LastCodePoint(std::string_view s) {
  size_t i = s.size();
  while (i > 0 && (static_cast<unsigned char>(s[i - 1]) & 0xC0) == 0x80) --i;
  return i > 0 ? CodePointAt(s, i - 1) : 0;
}

// Text split at "\r\n", "\n" and "\r", each line made fit for an item.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  for (std::string& line : lines) line = CleanItemText(line);
  return lines;
}

bool SameRun(const TRVItem& a, const TRVItem& b) {
  const TRVTextItemInfo* ta = a.AsText();
  const TRVTextItemInfo* tb = b.AsText();
  return ta && tb && ta->StyleNo == tb->StyleNo && ta->Target == tb->Target && a.Checkpoints == b.Checkpoints;
}

bool ValidPicture(const TRVPictureItemInfo& p) {
  return !p.Data.empty() && p.Width >= 1 && p.Width <= kMaxPictureSize && p.Height >= 1 &&
         p.Height <= kMaxPictureSize && p.Kind <= kLastPictureKind && p.VAlign <= TRVVAlign::Bottom &&
         IsValidUtf8(p.Name);
}

// Adds a later action to an earlier one of the same step when both typed
// or deleted neighbouring bytes of one item, so a typed word is one action.
bool MergeText(TRVUndoAction& earlier, const TRVUndoAction& later) {
  auto* a = std::get_if<TRVSwapText>(&earlier);
  const auto* b = std::get_if<TRVSwapText>(&later);
  if (!a || !b || a->Para != b->Para || a->Item != b->Item) return false;
  // Both are applied: Count bytes were put in at Byte, Stored taken out.
  if (a->Stored.empty() && b->Stored.empty() && b->Byte == a->Byte + a->Count) {
    a->Count += b->Count;  // typing on
    return true;
  }
  if (a->Count == 0 && b->Count == 0 && b->Byte + b->Stored.size() == a->Byte) {
    a->Byte = b->Byte;  // Backspace on
    a->Stored.insert(0, b->Stored);
    return true;
  }
  if (a->Count == 0 && b->Count == 0 && b->Byte == a->Byte) {
    a->Stored += b->Stored;  // Delete on
    return true;
  }
  return false;
}

}  // namespace

TRVEditCore::TRVEditCore(TRVDocument& doc) : doc_(doc) {}

// ------------------------------------------------------------------ layout

void TRVEditCore::SetLayout(TRVLayout* layout) {
  layout_ = layout;
  if (layout_) Format();
}

void TRVEditCore::Format() {
  caret_ = ClampPosition(caret_);
  anchor_ = ClampPosition(anchor_);
  // A file read in may have brought a smaller sheet than the one the
  // current styles were taken from: text typed next must use a style the
  // sheet has.
  if (!doc_.Style.HasParaStyle(curParaStyle_)) curParaStyle_ = 0;
  if (!doc_.Style.HasTextStyle(curTextStyle_)) {
    curTextStyle_ = 0;
    if (OnCurTextStyleChanged) OnCurTextStyleChanged();
  }
  change_ = {};
  tail_ = {INT_MAX, 0, 0};
  if (layout_) layout_->Format(doc_);
}

void TRVEditCore::FormatTail() {
  if (!layout_) return;
  if (tail_.Para != INT_MAX && change_.Head >= tail_.Para) {
    layout_->FormatTail(doc_, tail_);
    change_ = {};
  }
  tail_ = {INT_MAX, 0, 0};
  UpdateLayout();
}

TRVDocChange TRVEditCore::TakeChange() { return std::exchange(change_, {}); }

void TRVEditCore::MarkChanged(int first, int newCount) {
  // The unchanged tail is counted from the end, where old and new agree.
  change_.Head = std::min(change_.Head, first);
  change_.Tail = std::min(change_.Tail, doc_.ParagraphCount() - first - newCount);
}

void TRVEditCore::UpdateLayout() {
  if (!layout_ || !change_.Any()) return;
  layout_->Update(doc_, change_);
  change_ = {};
  tail_ = {INT_MAX, 0, 0};
}

// ------------------------------------------------------- caret, selection

TRVPosition TRVEditCore::ClampPosition(TRVPosition pos) const {
  if (doc_.IsEmpty()) return {};
  pos.Para = std::clamp(pos.Para, 0, doc_.ParagraphCount() - 1);
  const TRVParagraph& para = doc_.Paragraphs[static_cast<size_t>(pos.Para)];
  pos.Item = std::clamp(pos.Item, 0, para.ItemCount() - 1);
  pos.Offset = std::clamp(pos.Offset, 0, para.Items()[static_cast<size_t>(pos.Item)].EndOffset());
  return pos;
}

TRVPosition TRVEditCore::Normalize(TRVPosition pos) const {
  if (pos.Offset == 0 && pos.Item > 0) {
    --pos.Item;
    pos.Offset = doc_.Item(pos.Para, pos.Item).EndOffset();
  }
  return pos;
}

void TRVEditCore::FollowCaret() {
  if (doc_.IsEmpty()) return;
  const TRVItem& item = doc_.Item(caret_.Para, caret_.Item);
  if (const TRVTextItemInfo* t = item.AsText()) SetCurTextStyleNo(t->StyleNo);
  curParaStyle_ = doc_.Paragraph(caret_.Para).ParaNo();
}

void TRVEditCore::PlaceCaret(TRVParaOffset place) {
  caret_ = anchor_ = ToPosition(doc_, place);
  FollowCaret();
}

void TRVEditCore::SetCaret(TRVPosition pos, bool extend) {
  groupOpen_ = false;
  caret_ = Normalize(ClampPosition(pos));
  if (!extend) anchor_ = caret_;
  anchor_ = ClampPosition(anchor_);
  FollowCaret();
}

void TRVEditCore::SetSelection(TRVPosition anchor, TRVPosition caret) {
  SetCaret(anchor);
  SetCaret(caret, true);
}

void TRVEditCore::SelectAll() {
  if (doc_.IsEmpty()) return;
  SetSelection(doc_.StartPosition(), doc_.EndPosition());
}

void TRVEditCore::Deselect() { SetCaret(caret_); }

bool TRVEditCore::HasSelection() const { return !doc_.IsEmpty() && Place(anchor_) != Place(caret_); }

bool TRVEditCore::SelectionExists() const {
  return doc_.IsValidPosition(anchor_) && doc_.IsValidPosition(caret_) && HasSelection();
}

TRVPosition TRVEditCore::SelectionStart() const {
  if (doc_.IsEmpty()) return {};
  return Place(anchor_) < Place(caret_) ? anchor_ : caret_;
}

TRVPosition TRVEditCore::SelectionEnd() const {
  if (doc_.IsEmpty()) return {};
  return Place(anchor_) < Place(caret_) ? caret_ : anchor_;
}

void TRVEditCore::MoveCaretLeft(bool extend) {
  if (doc_.IsEmpty()) return;
  if (!extend && SelectionExists()) return SetCaret(SelectionStart());
  TRVParaOffset at = Place(caret_);
  if (at.Offset > 0) {
    --at.Offset;
  } else if (at.Para > 0) {
    --at.Para;
    at.Offset = ParagraphLength(doc_.Paragraph(at.Para));
  }
  SetCaret(ToPosition(doc_, at), extend);
}

void TRVEditCore::MoveCaretRight(bool extend) {
  if (doc_.IsEmpty()) return;
  if (!extend && SelectionExists()) return SetCaret(SelectionEnd());
  TRVParaOffset at = Place(caret_);
  if (at.Offset < ParagraphLength(doc_.Paragraph(at.Para))) {
    ++at.Offset;
  } else if (at.Para + 1 < doc_.ParagraphCount()) {
    at = {at.Para + 1, 0};
  }
  SetCaret(ToPosition(doc_, at), extend);
}

int TRVEditCore::CaretItemNo() const { return doc_.IsValidPosition(caret_) ? caret_.Item : -1; }

int TRVEditCore::CaretOffset() const { return doc_.IsValidPosition(caret_) ? caret_.Offset : 0; }

int TRVEditCore::GetOffsAfterItem(int itemNo) const {
  if (!doc_.IsValidPosition(caret_)) return 0;
  const TRVParagraph& para = doc_.Paragraph(caret_.Para);
  if (itemNo < 0 || itemNo >= para.ItemCount()) return 0;
  return para.Item(itemNo).EndOffset();
}

int TRVEditCore::CaretItemStyleNo() const {
  if (!doc_.IsValidPosition(caret_)) return -1;
  const TRVTextItemInfo* t = doc_.Item(caret_.Para, caret_.Item).AsText();
  return t ? t->StyleNo : -1;
}

bool TRVEditCore::IsJumpStyle(int styleNo) const {
  return doc_.Style.HasTextStyle(styleNo) && doc_.Style.TextStyles[static_cast<size_t>(styleNo)].Jump;
}

// --------------------------------------------------------- current styles

void TRVEditCore::SetCurTextStyleNo(int styleNo) {
  if (!doc_.Style.HasTextStyle(styleNo) || styleNo == curTextStyle_) return;
  curTextStyle_ = styleNo;
  if (OnCurTextStyleChanged) OnCurTextStyleChanged();
}

void TRVEditCore::SetCurParaStyleNo(int styleNo) {
  if (doc_.Style.HasParaStyle(styleNo)) curParaStyle_ = styleNo;
}

TRVEditState TRVEditCore::State() const { return {anchor_, caret_, curTextStyle_, curParaStyle_}; }

void TRVEditCore::SetState(const TRVEditState& state) {
  anchor_ = ClampPosition(state.Anchor);
  caret_ = ClampPosition(state.Caret);
  SetCurTextStyleNo(state.TextStyleNo);
  SetCurParaStyleNo(state.ParaStyleNo);
}

// -------------------------------------------------------------- recording

template <typename Body>
bool TRVEditCore::Edit(TRVUndoGroup group, Body body) {
  if (readOnly_) return false;
  caret_ = ClampPosition(caret_);
  anchor_ = ClampPosition(anchor_);
  TRVUndoStep* top = history_.Top();
  const bool goOn = group != TRVUndoGroup::None && groupOpen_ && top && top->Group == group &&
                    top->After == State() && !HasSelection();
  // The body records into a step of its own, joined to the open group only
  // once it has finished: a body that throws is then rolled back exactly,
  // leaving the document, the caret and the undo record as they were.
  TRVUndoStep fresh;
  fresh.Group = group;
  fresh.Before = State();
  recording_ = &fresh;
  recorded_ = 0;
  closeGroup_ = false;
  bool stateChanged = false;  // set by a body whose change lies outside the document
  // Puts everything back as it was before the body ran.
  auto rollBack = [&] {
    recording_ = nullptr;
    for (auto it = fresh.Actions.rbegin(); it != fresh.Actions.rend(); ++it) {
      const TRVParaChange c = ApplyUndoAction(doc_, *it);
      MarkChanged(c.First, c.NewCount);
    }
    SetState(fresh.Before);
    UpdateLayout();
  };
  try {
    body(stateChanged);
    recording_ = nullptr;
    if (recorded_ == 0 && !stateChanged) return false;
    if (goOn) {
      // Room first, and only the first action can merge: nothing can fail
      // once the step starts to change.
      top->Actions.reserve(top->Actions.size() + fresh.Actions.size());
      auto it = fresh.Actions.begin();
      if (it != fresh.Actions.end() && !top->Actions.empty() && MergeText(top->Actions.back(), *it)) ++it;
      for (; it != fresh.Actions.end(); ++it) top->Actions.push_back(std::move(*it));
      top->After = State();
      history_.TopChanged();
    } else {
      fresh.After = State();
      history_.Push(std::move(fresh));
    }
  } catch (...) {
    rollBack();
    throw;
  }
  groupOpen_ = group != TRVUndoGroup::None && !closeGroup_;
  modified_ = true;
  UpdateLayout();
  return true;
}

void TRVEditCore::Record(TRVUndoAction action) {
  std::vector<TRVUndoAction>& actions = recording_->Actions;
  // Room first: an action applied to the document is always in the record,
  // so a failure later in the edit can take it back.
  // Growing by doubling: one operation may record an action for each of
  // thousands of paragraphs (Replace All).
  if (actions.size() == actions.capacity()) actions.reserve(std::max<size_t>(4, 2 * actions.capacity()));
  const TRVParaChange c = ApplyUndoAction(doc_, action);
  if (actions.empty() || !MergeText(actions.back(), action)) actions.push_back(std::move(action));
  ++recorded_;
  MarkChanged(c.First, c.NewCount);
}

void TRVEditCore::ReplaceParagraphs(int first, int count, std::vector<TRVParagraph> repl) {
  if (count != static_cast<int>(repl.size())) {
    Record(TRVSwapParas{first, count, std::move(repl)});
    return;
  }
  // Same number of paragraphs: record only the items that differ in each,
  // and leave paragraphs that did not change (and their stamps) alone.
  for (int k = 0; k < count; ++k) {
    const int p = first + k;
    TRVParagraph& now = doc_.Paragraphs[static_cast<size_t>(p)];
    TRVParagraph& want = repl[static_cast<size_t>(k)];
    if (now.ParaNo() != want.ParaNo()) {
      Record(TRVSwapParas{p, 1, {std::move(want)}});
      continue;
    }
    const std::vector<TRVItem>& a = now.Items();
    const std::vector<TRVItem>& b = want.Items();
    size_t pre = 0;
    while (pre < a.size() && pre < b.size() && a[pre] == b[pre]) ++pre;
    size_t suf = 0;
    while (suf < a.size() - pre && suf < b.size() - pre && a[a.size() - 1 - suf] == b[b.size() - 1 - suf]) ++suf;
    const size_t oldMid = a.size() - pre - suf, newMid = b.size() - pre - suf;
    if (oldMid == 0 && newMid == 0) continue;
    if (oldMid == 1 && newMid == 1 && SameRun(a[pre], b[pre])) {
      const std::string& s = a[pre].AsText()->Text;
      const std::string& t = b[pre].AsText()->Text;
      size_t head = 0;
      while (head < s.size() && head < t.size() && s[head] == t[head]) ++head;
      size_t tail = 0;
      while (tail < s.size() - head && tail < t.size() - head && s[s.size() - 1 - tail] == t[t.size() - 1 - tail]) ++tail;
      Record(TRVSwapText{p, static_cast<int>(pre), head, s.size() - head - tail, t.substr(head, t.size() - head - tail)});
      continue;
    }
    std::vector<TRVItem> mid(std::make_move_iterator(want.MutableItems().begin() + static_cast<std::ptrdiff_t>(pre)),
                             std::make_move_iterator(want.MutableItems().begin() + static_cast<std::ptrdiff_t>(pre + newMid)));
    Record(TRVSwapItems{p, static_cast<int>(pre), static_cast<int>(oldMid), std::move(mid)});
  }
}

void TRVEditCore::Splice(TRVParaOffset from, TRVParaOffset to, std::vector<TRVFragmentLine> lines, int emptyStyle) {
  if (to < from) std::swap(from, to);
  TRVSpliceResult r = BuildSplice(doc_, from, to, std::move(lines), emptyStyle);
  ReplaceParagraphs(from.Para, to.Para - from.Para + 1, std::move(r.Paras));
  PlaceCaret({from.Para + r.End.Para, r.End.Offset});
}

void TRVEditCore::EnsureLine() {
  if (!doc_.IsEmpty()) return;
  TRVParagraph line(curParaStyle_);
  line.AddItem(TRVItem::MakeText({}, curTextStyle_));
  Record(TRVSwapParas{0, 0, {std::move(line)}});
  caret_ = anchor_ = {};
}

int TRVEditCore::StyleAt(TRVParaOffset from, TRVParaOffset to) const {
  if (to < from) std::swap(from, to);
  // The style of the first character removed.
  int at = 0;
  for (const TRVItem& item : doc_.Paragraph(from.Para).Items()) {
    const int len = item.EndOffset();
    if (from.Offset < at + len || (len == 0 && from.Offset == at)) {
      if (const TRVTextItemInfo* t = item.AsText()) return t->StyleNo;
      break;
    }
    at += len;
  }
  return curTextStyle_;
}

// -------------------------------------------------------------- operations

void TRVEditCore::Clear() {
  doc_.Clear();
  history_.Clear();
  caret_ = anchor_ = {};
  groupOpen_ = false;
  MarkChanged(0, 0);
  tail_ = {INT_MAX, 0, 0};
  UpdateLayout();
}

bool TRVEditCore::TryTypeInPlace(std::string_view text) {
  if (HasSelection()) return false;
  const TRVParagraph& para = doc_.Paragraph(caret_.Para);
  int item = caret_.Item, offset = caret_.Offset;
  auto fits = [&](int i) {
    const TRVTextItemInfo* t = para.Item(i).AsText();
    return t && t->StyleNo == curTextStyle_;
  };
  if (!fits(item)) {
    // At the end of an item, the text after it may be in the wanted style.
    if (offset != para.Item(item).EndOffset() || item + 1 >= para.ItemCount() || !fits(item + 1)) return false;
    ++item;
    offset = 0;
  }
  const std::string& target = para.Item(item).AsText()->Text;
  Record(TRVSwapText{caret_.Para, item, Utf8ByteOffset(target, offset), 0, std::string(text)});
  caret_ = anchor_ = {caret_.Para, item, offset + Utf8CharCount(text)};
  return true;
}

bool TRVEditCore::InsertLines(std::vector<TRVFragmentLine> lines) {
  const TRVParaOffset a = Place(anchor_), c = Place(caret_);
  Splice(std::min(a, c), std::max(a, c), std::move(lines), curTextStyle_);
  return true;
}

std::string TRVEditCore::TargetAround() const {
  // Text typed into a hyperlink (in its style) belongs to the same link.
  const TRVParaOffset a = Place(anchor_), c = Place(caret_);
  const TRVPosition before = ToPosition(doc_, std::min(a, c));
  TRVPosition after = ToPosition(doc_, std::max(a, c));
  if (after.Offset == doc_.Item(after.Para, after.Item).EndOffset()) ++after.Item;
  for (const TRVPosition& at : {before, after}) {
    if (at.Item >= doc_.Paragraph(at.Para).ItemCount()) continue;
    const TRVTextItemInfo* t = doc_.Item(at.Para, at.Item).AsText();
    if (t && t->StyleNo == curTextStyle_ && !t->Text.empty()) return t->Target;
  }
  return {};
}

void TRVEditCore::InsertTextLines(std::vector<std::string> lines) {
  EnsureLine();
  if (lines.size() == 1 && TryTypeInPlace(lines[0])) return;
  const std::string target = TargetAround();
  std::vector<TRVFragmentLine> frag;
  for (std::string& line : lines) {
    TRVFragmentLine& l = frag.emplace_back(TRVFragmentLine{curParaStyle_, {}});
    if (!line.empty()) l.Items.push_back(TRVItem::MakeText(std::move(line), curTextStyle_, target));
  }
  InsertLines(std::move(frag));
}

bool TRVEditCore::InsertText(std::string_view text) {
  std::vector<std::string> lines = SplitLines(text);
  if (lines.size() == 1 && lines[0].empty()) return false;
  return Edit(TRVUndoGroup::None, [&](bool&) { InsertTextLines(std::move(lines)); });
}

bool TRVEditCore::TypeText(std::string_view text) {
  std::vector<std::string> lines = SplitLines(WithoutControlCharacters(text));
  if (lines.size() == 1 && lines[0].empty()) return false;
  const bool endsWord = lines.size() > 1 || EndsWord(LastCodePoint(lines.back()));
  return Edit(TRVUndoGroup::Typing, [&](bool&) {
    InsertTextLines(std::move(lines));
    closeGroup_ = endsWord;
  });
}

bool TRVEditCore::DeleteSelection() {
  return Edit(TRVUndoGroup::None, [&](bool&) {
    if (!HasSelection()) return;
    const TRVParaOffset a = Place(anchor_), c = Place(caret_);
    Splice(a, c, {}, StyleAt(a, c));
  });
}

bool TRVEditCore::DeleteAround(bool forward) {
  if (!readOnly_ && SelectionExists()) return DeleteSelection();
  return Edit(forward ? TRVUndoGroup::Delete : TRVUndoGroup::Backspace, [&](bool&) {
    if (doc_.IsEmpty()) return;
    const TRVParaOffset at = Place(caret_);
    const int len = ParagraphLength(doc_.Paragraph(at.Para));
    TRVParaOffset from = at, to = at;
    if (forward) {
      if (at.Offset < len) ++to.Offset;
      else if (at.Para + 1 < doc_.ParagraphCount()) to = {at.Para + 1, 0};
    } else {
      if (at.Offset > 0) --from.Offset;
      else if (at.Para > 0) from = {at.Para - 1, ParagraphLength(doc_.Paragraph(at.Para - 1))};
    }
    if (from == to) return;
    // A run of deletions is one step up to a blank or punctuation mark,
    // a picture or a paragraph end.
    closeGroup_ = true;
    if (from.Para == to.Para) {
      const TRVPosition p = ToPosition(doc_, {from.Para, from.Offset + 1});
      const TRVTextItemInfo* t = doc_.Item(p.Para, p.Item).AsText();
      if (t && p.Offset > 0)
        closeGroup_ = EndsWord(CodePointAt(t->Text, Utf8ByteOffset(t->Text, p.Offset - 1)));
    }
    Splice(from, to, {}, StyleAt(from, to));
  });
}

bool TRVEditCore::Backspace() { return DeleteAround(false); }

bool TRVEditCore::DeleteWord(bool forward) {
  if (!readOnly_ && SelectionExists()) return DeleteSelection();
  return Edit(TRVUndoGroup::None, [&](bool&) {
    if (doc_.IsEmpty()) return;
    const TRVParaOffset at = Place(caret_);
    const TRVParaOffset to = WordBoundary(doc_, at, forward);
    if (to == at) return;
    const TRVParaOffset from = std::min(at, to), end = std::max(at, to);
    Splice(from, end, {}, StyleAt(from, end));
  });
}

bool TRVEditCore::DeleteChar() { return DeleteAround(true); }

bool TRVEditCore::InsertPicture(TRVPictureItemInfo picture) {
  if (!ValidPicture(picture)) return false;
  return Edit(TRVUndoGroup::None, [&](bool&) {
    EnsureLine();
    InsertLines({{curParaStyle_, {TRVItem(std::move(picture))}}});
  });
}

bool TRVEditCore::InsertBreak(int width, TRVBreakStyle style, TColor color) {
  TRVBreakItemInfo line;
  line.Width = std::clamp(width, 0, kMaxParaMetric);
  line.Style = style <= TRVBreakStyle::Dashed ? style : TRVBreakStyle::Line;
  line.Color = color;
  return Edit(TRVUndoGroup::None, [&](bool&) {
    EnsureLine();
    InsertLines({{curParaStyle_, {TRVItem(line)}}});
  });
}

bool TRVEditCore::Paste(const TRVDocument& fragment) {
  if (readOnly_ || fragment.IsEmpty() || !ValidateDocument(fragment).empty()) return false;
  // The fragment's styles, found in or added to this sheet. Adding styles
  // is not undone: style numbers keep their meaning for the whole session.
  std::vector<int> textMap(static_cast<size_t>(fragment.Style.TextStyleCount()), -1);
  std::vector<int> paraMap(static_cast<size_t>(fragment.Style.ParaStyleCount()), -1);
  auto text = [&](int no) {
    int& m = textMap[static_cast<size_t>(no)];
    if (m < 0) m = doc_.Style.FindOrAddTextStyle(fragment.Style.TextStyle(no), -1);
    return m;
  };
  auto para = [&](int no) {
    int& m = paraMap[static_cast<size_t>(no)];
    if (m < 0) m = doc_.Style.FindOrAddParaStyle(fragment.Style.ParaStyle(no), -1);
    return m;
  };
  const int oldTextCount = doc_.Style.TextStyleCount();
  std::vector<TRVFragmentLine> lines;
  for (const TRVParagraph& p : fragment.Paragraphs) {
    TRVFragmentLine& line = lines.emplace_back(TRVFragmentLine{para(p.ParaNo()), p.Items()});
    for (TRVItem& item : line.Items)
      if (TRVTextItemInfo* t = item.AsText()) t->StyleNo = text(t->StyleNo);
  }
  // Styles taken over name other styles by the fragment's numbers: they
  // get this sheet's numbers for them, or none when those styles did not
  // come along, so the sheet never points outside itself.
  auto translated = [&](int no) {
    return no >= 0 && no < static_cast<int>(textMap.size()) && textMap[static_cast<size_t>(no)] >= 0
               ? textMap[static_cast<size_t>(no)]
               : -1;
  };
  for (size_t no = 0; no < textMap.size(); ++no) {
    if (textMap[no] < oldTextCount) continue;
    TFontInfo& added = doc_.Style.TextStyles[static_cast<size_t>(textMap[no])];
    added.BaseStyleNo = translated(fragment.Style.TextStyles[no].BaseStyleNo);
    added.NextStyleNo = translated(fragment.Style.TextStyles[no].NextStyleNo);
  }
  return Edit(TRVUndoGroup::None, [&](bool&) {
    EnsureLine();
    // The last pasted paragraph ends with the paragraph break of the text
    // after the caret, so it keeps that paragraph's style.
    if (lines.size() > 1) lines.back().ParaNo = doc_.Paragraph(SelectionEnd().Para).ParaNo();
    InsertLines(std::move(lines));
  });
}

TRVDocument TRVEditCore::CopySelection() const {
  if (!SelectionExists()) {
    TRVDocument empty;
    empty.Style = doc_.Style;
    empty.Color = doc_.Color;
    return empty;
  }
  return CopyRange(doc_, anchor_, caret_);
}

bool TRVEditCore::CanDropSelectionAt(TRVPosition target, bool copy) const {
  if (readOnly_ || !SelectionExists() || !doc_.IsValidPosition(target)) return false;
  const TRVParaOffset from = Place(SelectionStart()), to = Place(SelectionEnd()), at = Place(target);
  return copy ? !(from < at && at < to) : !(from <= at && at <= to);
}

bool TRVEditCore::DropSelectionAt(TRVPosition target, bool copy) {
  if (!CanDropSelectionAt(target, copy)) return false;
  const TRVParaOffset from = Place(SelectionStart()), to = Place(SelectionEnd());
  TRVParaOffset at = Place(target);
  // The document's own content: its style numbers mean the same here, so
  // they go back in unmapped (mapping could turn a style into an earlier
  // equal one, which Paste may do but a move must not).
  const TRVDocument fragment = CopyRange(doc_, SelectionStart(), SelectionEnd());
  std::vector<TRVFragmentLine> lines;
  for (const TRVParagraph& p : fragment.Paragraphs) lines.push_back({p.ParaNo(), p.Items()});
  return Edit(TRVUndoGroup::None, [&](bool&) {
    if (!copy) {
      // Taken out first; a place after it moves back by what was taken.
      Splice(from, to, {}, StyleAt(from, to));
      if (at.Para == to.Para) at = {from.Para, from.Offset + at.Offset - to.Offset};
      else if (at.Para > to.Para) at.Para -= to.Para - from.Para;
    }
    // As with Paste: the text after the drop point keeps its paragraph's
    // style after the last dropped paragraph.
    if (lines.size() > 1) lines.back().ParaNo = doc_.Paragraph(at.Para).ParaNo();
    Splice(at, at, std::move(lines), curTextStyle_);
    const TRVPosition end = caret_;
    anchor_ = ToPosition(doc_, at);
    caret_ = end;
  });
}

bool TRVEditCore::AppendPicture(TRVPictureItemInfo picture, int paraNo) {
  if (!ValidPicture(picture) || (paraNo != -1 && !doc_.Style.HasParaStyle(paraNo))) return false;
  groupOpen_ = false;
  const int count = doc_.ParagraphCount();
  TRVAppendRecord rec;
  rec.NewParagraph = paraNo >= 0;
  rec.ParaNo = paraNo >= 0 ? paraNo : curParaStyle_;
  rec.Item = TRVItem(std::move(picture));
  TRVAppendRecord& r = history_.AddAppend(std::move(rec));
  AttachAppend(doc_, r);
  const int last = doc_.ParagraphCount() - 1;
  const TRVPosition first{last, doc_.Paragraph(last).ItemCount() - 1, 0};
  if (first < tail_) tail_ = first;
  if (r.Opened) MarkChanged(count, 1);
  else MarkChanged(last, 1);
  caret_ = ClampPosition(caret_);
  anchor_ = ClampPosition(anchor_);
  modified_ = true;
  return true;
}

bool TRVEditCore::ApplyStyleConversion(const TRVStyleConversion& convert) {
  if (!convert) return false;
  auto converted = [&](int no) {
    const int answer = convert(no);
    return doc_.Style.HasTextStyle(answer) ? answer : no;
  };
  const bool selected = SelectionExists();
  if (readOnly_ && selected) return false;
  if (!selected) {
    SetCurTextStyleNo(converted(curTextStyle_));
    return true;
  }
  return Edit(TRVUndoGroup::None, [&](bool& stateChanged) {
    const TRVParaOffset anchor = Place(anchor_), caret = Place(caret_);
    const TRVParaOffset from = std::min(anchor, caret), to = std::max(anchor, caret);
    const int before = curTextStyle_;
    SetCurTextStyleNo(converted(curTextStyle_));
    stateChanged = curTextStyle_ != before;
    std::vector<TRVParagraph> repl;
    for (int p = from.Para; p <= to.Para; ++p) {
      const TRVParagraph& src = doc_.Paragraph(p);
      TRVParagraph& out = repl.emplace_back(src);
      if (src.IsEmptyLine()) {
        // An empty line is selected when its paragraph break is.
        if (p < to.Para) {
          TRVTextItemInfo& t = *out.MutableItem(0).AsText();
          t.StyleNo = converted(t.StyleNo);
        }
        continue;
      }
      const int lo = p == from.Para ? from.Offset : 0;
      const int hi = p == to.Para ? to.Offset : ParagraphLength(src);
      std::vector<TRVItem> left, mid, right, rest;
      SplitItems(src.Items(), hi, rest, right);
      SplitItems(std::move(rest), lo, left, mid);
      for (TRVItem& item : mid)
        if (TRVTextItemInfo* t = item.AsText()) t->StyleNo = converted(t->StyleNo);
      std::vector<TRVItem>& items = out.MutableItems();
      items = std::move(left);
      items.insert(items.end(), std::make_move_iterator(mid.begin()), std::make_move_iterator(mid.end()));
      items.insert(items.end(), std::make_move_iterator(right.begin()), std::make_move_iterator(right.end()));
      NormalizeParagraph(out);
    }
    ReplaceParagraphs(from.Para, to.Para - from.Para + 1, std::move(repl));
    anchor_ = ToPosition(doc_, anchor);
    caret_ = ToPosition(doc_, caret);
  });
}

int TRVEditCore::ReplaceAll(const TRVTextFinder& finder, std::string_view replacement) {
  if (readOnly_) return 0;
  const std::vector<TRVTextMatch> matches = finder.FindAll(doc_);
  if (matches.empty()) return 0;
  std::string with = CleanItemText(replacement);
  std::erase(with, '\n');
  const int withLength = Utf8CharCount(with);
  const bool done = Edit(TRVUndoGroup::None, [&](bool&) {
    TRVParaOffset last{};
    for (size_t i = 0; i < matches.size();) {
      const int p = matches[i].From.Para;
      size_t j = i;
      while (j < matches.size() && matches[j].From.Para == p) ++j;
      const TRVParagraph& src = doc_.Paragraph(p);
      TRVParagraph out(src.ParaNo());
      std::vector<TRVItem> items = src.Items();
      // From the last match back, so the offsets of the earlier ones hold.
      for (size_t k = j; k-- > i;) {
        std::vector<TRVItem> left, mid, right, rest;
        SplitItems(std::move(items), matches[k].To.Offset, rest, right);
        SplitItems(std::move(rest), matches[k].From.Offset, left, mid);
        items = std::move(left);
        const TRVTextItemInfo* first = nullptr;
        for (const TRVItem& item : mid)
          if ((first = item.AsText())) break;
        // Pushed also when empty: it carries the checkpoints of the replaced
        // text, and normalising hands them on as removing any empty item does.
        TRVItem repl = TRVItem::MakeText(with, first ? first->StyleNo : curTextStyle_, first ? first->Target : "");
        for (TRVItem& item : mid)
          repl.Checkpoints.insert(repl.Checkpoints.end(), item.Checkpoints.begin(), item.Checkpoints.end());
        items.push_back(std::move(repl));
        items.insert(items.end(), std::make_move_iterator(right.begin()), std::make_move_iterator(right.end()));
      }
      out.MutableItems() = std::move(items);
      NormalizeParagraph(out);
      const TRVTextMatch& final = matches[j - 1];
      const int shift = static_cast<int>(j - i) * withLength;
      int removed = 0;
      for (size_t k = i; k < j; ++k) removed += matches[k].To.Offset - matches[k].From.Offset;
      last = {p, final.To.Offset - removed + shift};
      ReplaceParagraphs(p, 1, {std::move(out)});
      i = j;
    }
    PlaceCaret(last);
  });
  return done ? static_cast<int>(matches.size()) : 0;
}

bool TRVEditCore::SetParaAlignment(TParaAlignment alignment) {
  if (readOnly_ || doc_.IsEmpty()) return false;
  return Edit(TRVUndoGroup::None, [&](bool& stateChanged) {
    const int first = SelectionStart().Para, last = SelectionEnd().Para;
    std::vector<TRVParagraph> repl;
    for (int p = first; p <= last; ++p) {
      TRVParagraph& out = repl.emplace_back(doc_.Paragraph(p));
      TParaInfo wanted = doc_.Style.ParaStyleOrDefault(out.ParaNo());
      wanted.Alignment = alignment;
      out.SetParaNo(doc_.Style.FindOrAddParaStyle(wanted, out.ParaNo()));
    }
    const int before = curParaStyle_;
    curParaStyle_ = repl[static_cast<size_t>(caret_.Para - first)].ParaNo();
    stateChanged = curParaStyle_ != before;
    ReplaceParagraphs(first, last - first + 1, std::move(repl));
  });
}

// ------------------------------------------------------------------- undo

void TRVEditCore::Apply(TRVUndoStep& step, bool undo) {
  const std::int64_t index = undo ? history_.TopIndex() : history_.NextIndex();
  // Pictures appended after the step was made come off while it applies.
  std::vector<TRVAppendRecord>& appends = history_.Appends();
  size_t later = 0;
  while (later < appends.size() && appends[later].After <= index) ++later;
  for (size_t i = appends.size(); i-- > later;) {
    const int n = doc_.ParagraphCount();
    DetachAppend(doc_, appends[i]);
    MarkChanged(n - 1, appends[i].Opened ? 0 : 1);
  }
  auto apply = [this](TRVUndoAction& a) {
    const TRVParaChange c = ApplyUndoAction(doc_, a);
    MarkChanged(c.First, c.NewCount);
  };
  if (undo) std::for_each(step.Actions.rbegin(), step.Actions.rend(), apply);
  else std::for_each(step.Actions.begin(), step.Actions.end(), apply);
  for (size_t i = later; i < appends.size(); ++i) {
    const int n = doc_.ParagraphCount();
    AttachAppend(doc_, appends[i]);
    if (appends[i].Opened) MarkChanged(n, 1);
    else MarkChanged(n - 1, 1);
  }
}

bool TRVEditCore::Undo() {
  if (readOnly_ || !CanUndo()) return false;
  groupOpen_ = false;
  Apply(*history_.Top(), true);
  SetState(history_.MoveToRedo().Before);
  modified_ = true;
  UpdateLayout();
  return true;
}

bool TRVEditCore::Redo() {
  if (readOnly_ || !CanRedo()) return false;
  groupOpen_ = false;
  Apply(*history_.NextRedo(), false);
  SetState(history_.MoveToUndo().After);
  modified_ = true;
  UpdateLayout();
  return true;
}

}  // namespace nv
