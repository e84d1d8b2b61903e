#include "richview/document.h"

#include <atomic>

#include "richview/utf8.h"
#include "ui/errors.h"

namespace nv {

namespace {

// One counter for the whole process, so that a stamp names one paragraph
// state wherever the paragraph has been copied to.
std::uint64_t NewRevision() {
  static std::atomic<std::uint64_t> counter{0};
  return ++counter;
}

}  // namespace

// ---------------------------------------------------------------------- items

TRVItem TRVItem::MakeText(std::string text, int styleNo, std::string target) {
  return TRVItem(TRVTextItemInfo{std::move(text), styleNo, std::move(target)});
}

int TRVItem::EndOffset() const {
  if (const TRVTextItemInfo* t = AsText()) return Utf8CharCount(t->Text);
  return 1;
}

// ----------------------------------------------------------------- paragraphs

TRVParagraph::TRVParagraph(int paraNo) : paraNo_(paraNo), revision_(NewRevision()) {}

void TRVParagraph::SetParaNo(int paraNo) {
  Touch();
  paraNo_ = paraNo;
}

const TRVItem& TRVParagraph::Item(int index) const {
  if (index < 0 || index >= ItemCount()) ThrowListIndexError(index);
  return items_[static_cast<size_t>(index)];
}

std::vector<TRVItem>& TRVParagraph::MutableItems() {
  Touch();
  return items_;
}

TRVItem& TRVParagraph::MutableItem(int index) {
  if (index < 0 || index >= ItemCount()) ThrowListIndexError(index);
  Touch();
  return items_[static_cast<size_t>(index)];
}

TRVItem& TRVParagraph::AddItem(TRVItem item) {
  Touch();
  return items_.emplace_back(std::move(item));
}

void TRVParagraph::Touch() { revision_ = NewRevision(); }

bool TRVParagraph::IsEmptyLine() const {
  return items_.size() == 1 && items_[0].IsText() && items_[0].AsText()->Text.empty();
}

namespace {

bool IsEmptyText(const TRVItem& item) {
  const TRVTextItemInfo* t = item.AsText();
  return t && t->Text.empty();
}

bool CanMerge(const TRVItem& a, const TRVItem& b) {
  const TRVTextItemInfo* ta = a.AsText();
  const TRVTextItemInfo* tb = b.AsText();
  return ta && tb && b.Checkpoints.empty() && ta->StyleNo == tb->StyleNo && ta->Target == tb->Target;
}

bool NeedsNormalizing(const std::vector<TRVItem>& items) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (items.size() > 1 && IsEmptyText(items[i])) return true;
    if (i + 1 < items.size() && CanMerge(items[i], items[i + 1])) return true;
  }
  return false;
}

}  // namespace

bool NormalizeParagraph(TRVParagraph& para) {
  if (!NeedsNormalizing(para.Items())) return false;
  std::vector<TRVItem>& items = para.MutableItems();

  // Empty text first, so that the text around it can merge afterwards. An
  // empty item alone stays: it is the paragraph's empty line.
  std::vector<std::string> pending;  // checkpoints of removed items
  std::vector<TRVItem> kept;
  kept.reserve(items.size());
  for (TRVItem& item : items) {
    if (items.size() > 1 && IsEmptyText(item)) {
      pending.insert(pending.end(), item.Checkpoints.begin(), item.Checkpoints.end());
      continue;
    }
    if (!pending.empty()) {
      item.Checkpoints.insert(item.Checkpoints.begin(), pending.begin(), pending.end());
      pending.clear();
    }
    kept.push_back(std::move(item));
  }
  if (kept.empty()) {
    // Only empty text: keep the first as the empty line, with every
    // checkpoint the others had.
    TRVItem line = std::move(items.front());
    line.Checkpoints = std::move(pending);
    kept.push_back(std::move(line));
    pending.clear();
  }
  if (!pending.empty())
    kept.back().Checkpoints.insert(kept.back().Checkpoints.end(), pending.begin(), pending.end());

  items.clear();
  for (TRVItem& item : kept) {
    if (!items.empty() && CanMerge(items.back(), item))
      items.back().AsText()->Text += item.AsText()->Text;
    else
      items.push_back(std::move(item));
  }
  return true;
}

// ------------------------------------------------------------------ documents

TRVParagraph& TRVDocument::AddParagraph(int paraNo) { return Paragraphs.emplace_back(paraNo); }

const TRVParagraph& TRVDocument::Paragraph(int index) const {
  if (index < 0 || index >= ParagraphCount()) ThrowListIndexError(index);
  return Paragraphs[static_cast<size_t>(index)];
}

const TRVItem& TRVDocument::Item(int para, int item) const { return Paragraph(para).Item(item); }

bool TRVDocument::IsHyperlink(const TRVItem& item) const {
  const TRVTextItemInfo* t = item.AsText();
  return t && Style.HasTextStyle(t->StyleNo) && Style.TextStyles[static_cast<size_t>(t->StyleNo)].Jump;
}

bool TRVDocument::IsValidPosition(const TRVPosition& pos) const {
  if (pos.Para < 0 || pos.Para >= ParagraphCount()) return false;
  const TRVParagraph& p = Paragraphs[static_cast<size_t>(pos.Para)];
  if (pos.Item < 0 || pos.Item >= p.ItemCount()) return false;
  return pos.Offset >= 0 && pos.Offset <= p.Items()[static_cast<size_t>(pos.Item)].EndOffset();
}

TRVPosition TRVDocument::StartPosition() const { return {}; }

TRVPosition TRVDocument::EndPosition() const {
  if (Paragraphs.empty() || Paragraphs.back().Items().empty()) return {};
  const TRVParagraph& last = Paragraphs.back();
  return {ParagraphCount() - 1, last.ItemCount() - 1, last.Items().back().EndOffset()};
}

bool TRVDocument::SamePlace(const TRVPosition& a, const TRVPosition& b) const {
  if (a == b) return true;
  if (a.Para != b.Para) return false;
  const TRVPosition& first = a.Item < b.Item ? a : b;
  const TRVPosition& second = a.Item < b.Item ? b : a;
  return IsValidPosition(first) && IsValidPosition(second) && second.Item == first.Item + 1 &&
         second.Offset == 0 && first.Offset == Item(first.Para, first.Item).EndOffset();
}

std::vector<TRVCheckpoint> TRVDocument::Checkpoints() const {
  std::vector<TRVCheckpoint> all;
  for (int p = 0; p < ParagraphCount(); ++p) {
    const std::vector<TRVItem>& items = Paragraphs[static_cast<size_t>(p)].Items();
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
      for (const std::string& name : items[static_cast<size_t>(i)].Checkpoints)
        all.push_back({p, i, name});
  }
  return all;
}

std::optional<TRVCheckpoint> TRVDocument::FindCheckpoint(std::string_view name) const {
  for (int p = 0; p < ParagraphCount(); ++p) {
    const std::vector<TRVItem>& items = Paragraphs[static_cast<size_t>(p)].Items();
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
      for (const std::string& n : items[static_cast<size_t>(i)].Checkpoints)
        if (n == name) return TRVCheckpoint{p, i, n};
  }
  return std::nullopt;
}

// ----------------------------------------------------------------- validation

namespace {

std::string CheckItem(const TRVStyle& style, const TRVItem& item, bool alone) {
  for (const std::string& name : item.Checkpoints)
    if (!IsValidUtf8(name)) return "checkpoint name is not UTF-8";
  if (const TRVTextItemInfo* t = item.AsText()) {
    if (!style.HasTextStyle(t->StyleNo)) return "text style missing";
    if (!IsValidUtf8(t->Text)) return "text is not UTF-8";
    if (t->Text.find_first_of(std::string_view("\0\r", 2)) != std::string::npos)
      return "text holds NUL or carriage return";
    if (t->Text.empty() && !alone) return "empty text beside other items";
    if (!IsValidUtf8(t->Target)) return "target is not UTF-8";
  } else if (const TRVPictureItemInfo* pic = item.AsPicture()) {
    if (pic->Kind > kLastPictureKind) return "picture kind out of range";
    if (pic->VAlign > TRVVAlign::Bottom) return "picture alignment out of range";
    if (pic->Data.empty()) return "picture without data";
    if (pic->Width < 1 || pic->Width > kMaxPictureSize || pic->Height < 1 ||
        pic->Height > kMaxPictureSize)
      return "picture size out of range";
    if (!IsValidUtf8(pic->Name)) return "picture name is not UTF-8";
  } else if (const TRVBreakItemInfo* br = item.AsBreak()) {
    if (br->Width < 0 || br->Width > kMaxParaMetric) return "line width out of range";
    if (br->Style > TRVBreakStyle::Dashed) return "line style out of range";
  }
  return {};
}

}  // namespace

std::string ValidateDocument(const TRVDocument& doc) {
  std::string why = ValidateStyleSheet(doc.Style);
  if (!why.empty()) return "style sheet: " + why;
  for (int p = 0; p < doc.ParagraphCount(); ++p) {
    const TRVParagraph& para = doc.Paragraphs[static_cast<size_t>(p)];
    const std::string where = "paragraph " + std::to_string(p);
    if (!doc.Style.HasParaStyle(para.ParaNo())) return where + ": paragraph style missing";
    if (para.Items().empty()) return where + ": no items";
    for (int i = 0; i < para.ItemCount(); ++i) {
      why = CheckItem(doc.Style, para.Items()[static_cast<size_t>(i)], para.ItemCount() == 1);
      if (!why.empty()) return where + ", item " + std::to_string(i) + ": " + why;
    }
  }
  return {};
}

}  // namespace nv
