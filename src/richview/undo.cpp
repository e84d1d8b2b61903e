#include "richview/undo.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace nv {

namespace {

// Exchanges v[first, first + count) with stored; count becomes the number
// of elements now in v's range.
template <typename T>
void SwapRange(std::vector<T>& v, int first, int& count, std::vector<T>& stored) {
  const auto at = static_cast<std::ptrdiff_t>(first);
  const auto oldCount = static_cast<std::ptrdiff_t>(count);
  const auto newCount = static_cast<std::ptrdiff_t>(stored.size());
  const std::ptrdiff_t common = std::min(oldCount, newCount);
  // All the memory first: once elements start to move nothing may fail, or
  // the document would be left half swapped.
  auto room = [](std::vector<T>& w, size_t more) {
    if (w.size() + more > w.capacity()) w.reserve(w.size() + std::max(w.size(), more));
  };
  if (oldCount > newCount) room(stored, static_cast<size_t>(oldCount - common));
  else if (newCount > oldCount) room(v, static_cast<size_t>(newCount - oldCount));
  for (std::ptrdiff_t i = 0; i < common; ++i) std::swap(v[static_cast<size_t>(at + i)], stored[static_cast<size_t>(i)]);
  if (oldCount > newCount) {
    const auto from = v.begin() + at + common, to = v.begin() + at + oldCount;
    stored.insert(stored.end(), std::make_move_iterator(from), std::make_move_iterator(to));
    v.erase(from, to);
  } else if (newCount > oldCount) {
    v.insert(v.begin() + at + common, std::make_move_iterator(stored.begin() + common),
             std::make_move_iterator(stored.end()));
    stored.erase(stored.begin() + common, stored.end());
  }
  count = static_cast<int>(newCount);
}

TRVParaChange Apply(TRVDocument& doc, TRVSwapParas& a) {
  const int old = a.Count;
  SwapRange(doc.Paragraphs, a.First, a.Count, a.Stored);
  return {a.First, old, a.Count};
}

TRVParaChange Apply(TRVDocument& doc, TRVSwapItems& a) {
  SwapRange(doc.Paragraphs[static_cast<size_t>(a.Para)].MutableItems(), a.First, a.Count, a.Stored);
  return {a.Para, 1, 1};
}

TRVParaChange Apply(TRVDocument& doc, TRVSwapText& a) {
  std::string& text = doc.Paragraphs[static_cast<size_t>(a.Para)].MutableItem(a.Item).AsText()->Text;
  std::string taken = text.substr(a.Byte, a.Count);
  text.replace(a.Byte, a.Count, a.Stored);
  a.Count = a.Stored.size();
  a.Stored = std::move(taken);
  return {a.Para, 1, 1};
}

std::size_t ItemBytes(const TRVItem& item) {
  std::size_t n = sizeof(TRVItem);
  for (const std::string& c : item.Checkpoints) n += sizeof(std::string) + c.size();
  if (const TRVTextItemInfo* t = item.AsText()) return n + t->Text.size() + t->Target.size();
  // Picture bytes are shared with any copy still in the document, but once
  // the picture is deleted the record is what keeps them alive.
  if (const TRVPictureItemInfo* p = item.AsPicture()) return n + p->Name.size() + p->Data.size();
  return n;
}

std::size_t ItemsBytes(const std::vector<TRVItem>& items) {
  std::size_t n = 0;
  for (const TRVItem& item : items) n += ItemBytes(item);
  return n;
}

}  // namespace

TRVParaChange ApplyUndoAction(TRVDocument& doc, TRVUndoAction& action) {
  return std::visit([&doc](auto& a) { return Apply(doc, a); }, action);
}

std::size_t UndoActionBytes(const TRVUndoAction& action) {
  std::size_t n = sizeof(TRVUndoAction);
  if (const auto* a = std::get_if<TRVSwapParas>(&action)) {
    for (const TRVParagraph& p : a->Stored) n += sizeof(TRVParagraph) + ItemsBytes(p.Items());
  } else if (const auto* b = std::get_if<TRVSwapItems>(&action)) {
    n += ItemsBytes(b->Stored);
  } else if (const auto* c = std::get_if<TRVSwapText>(&action)) {
    n += c->Stored.size() + c->Count;  // typed text stays counted while it is in the document
  }
  return n;
}

// --------------------------------------------------------------- appending

void AttachAppend(TRVDocument& doc, TRVAppendRecord& rec) {
  rec.Opened = rec.NewParagraph || doc.IsEmpty();
  if (rec.Opened) {
    doc.AddParagraph(rec.ParaNo).AddItem(std::move(rec.Item));
    return;
  }
  TRVParagraph& last = doc.Paragraphs.back();
  if (last.IsEmptyLine()) {
    // Empty text may not stand beside a picture; its checkpoints mark the
    // same place, so the picture carries them while it is there.
    std::vector<TRVItem>& items = last.MutableItems();
    rec.Displaced = std::move(items);
    items.clear();
    rec.Item.Checkpoints = std::move(rec.Displaced.front().Checkpoints);
    rec.Displaced.front().Checkpoints.clear();
  }
  last.AddItem(std::move(rec.Item));
}

void DetachAppend(TRVDocument& doc, TRVAppendRecord& rec) {
  if (rec.Opened) {
    rec.Item = std::move(doc.Paragraphs.back().MutableItems().back());
    doc.Paragraphs.pop_back();
    return;
  }
  std::vector<TRVItem>& items = doc.Paragraphs.back().MutableItems();
  rec.Item = std::move(items.back());
  items.pop_back();
  if (!rec.Displaced.empty()) {
    rec.Displaced.front().Checkpoints = std::move(rec.Item.Checkpoints);
    rec.Item.Checkpoints.clear();
    items = std::move(rec.Displaced);
    rec.Displaced.clear();
  }
}

// ----------------------------------------------------------------- history

void TRVUndoHistory::SetLimits(int steps, std::size_t bytes) {
  stepLimit_ = std::max(steps, 0);
  byteLimit_ = bytes;
  Trim();
}

void TRVUndoHistory::Clear() {
  done_.clear();
  undone_.clear();
  appends_.clear();
  base_ = 0;
  bytes_ = 0;
}

std::size_t TRVUndoHistory::StepBytes(const TRVUndoStep& step) {
  std::size_t n = sizeof(TRVUndoStep);
  for (const TRVUndoAction& a : step.Actions) n += UndoActionBytes(a);
  return n;
}

void TRVUndoHistory::DropRedo() {
  for (const TRVUndoStep& s : undone_) bytes_ -= s.Bytes;
  undone_.clear();
  // Pictures appended after steps now gone are part of the document the
  // next step is made in.
  for (TRVAppendRecord& r : appends_) r.After = std::min(r.After, NextIndex());
}

void TRVUndoHistory::Push(TRVUndoStep&& step) {
  DropRedo();
  step.Bytes = StepBytes(step);
  done_.push_back(std::move(step));  // all or nothing: the step stays the caller's on failure
  bytes_ += done_.back().Bytes;
  Trim();
}

void TRVUndoHistory::TopChanged() {
  TRVUndoStep& top = done_.back();
  bytes_ -= top.Bytes;
  top.Bytes = StepBytes(top);
  bytes_ += top.Bytes;
  Trim();
}

TRVUndoStep& TRVUndoHistory::MoveToRedo() {
  undone_.push_back(std::move(done_.back()));
  done_.pop_back();
  return undone_.back();
}

TRVUndoStep& TRVUndoHistory::MoveToUndo() {
  done_.push_back(std::move(undone_.back()));
  undone_.pop_back();
  return done_.back();
}

TRVAppendRecord& TRVUndoHistory::AddAppend(TRVAppendRecord rec) {
  DropRedo();
  rec.After = NextIndex();
  appends_.push_back(std::move(rec));
  return appends_.back();
}

void TRVUndoHistory::Trim() {
  auto over = [this] {
    return (stepLimit_ > 0 && static_cast<int>(done_.size()) > stepLimit_) ||
           (byteLimit_ > 0 && bytes_ > byteLimit_);
  };
  while (done_.size() > 1 && over()) {
    bytes_ -= done_.front().Bytes;
    done_.pop_front();
    ++base_;
  }
  // An append matters only to steps done before it; once they are gone it
  // never needs taking off again.
  std::erase_if(appends_, [this](const TRVAppendRecord& r) { return r.After <= base_; });
}

}  // namespace nv
