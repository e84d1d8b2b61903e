#include "richview/edit_range.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "richview/utf8.h"

namespace nv {

int ItemsLength(const std::vector<TRVItem>& items) {
  int n = 0;
  for (const TRVItem& item : items) n += item.EndOffset();
  return n;
}

int ParagraphLength(const TRVParagraph& para) { return ItemsLength(para.Items()); }

std::u32string ParaChars(const TRVParagraph& para) {
  std::u32string out;
  for (const TRVItem& item : para.Items()) {
    const TRVTextItemInfo* t = item.AsText();
    if (!t) {
      out.push_back(U'\xFFFC');
      continue;
    }
    // Item text is valid UTF-8: one lead byte and its continuation bytes.
    const std::string& s = t->Text;
    for (size_t i = 0; i < s.size();) {
      const auto b0 = static_cast<unsigned char>(s[i]);
      const size_t len = b0 < 0x80 ? 1 : b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : 2;
      char32_t c = len == 1 ? b0 : b0 & (0x7F >> len);
      for (size_t k = 1; k < len && i + k < s.size(); ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
      out.push_back(c);
      i += len;
    }
  }
  return out;
}

int WordCharClass(char32_t c) {
  if (c == U' ' || c == U'\t' || c == U'\n' || c == 0xA0) return 0;
  if (c == 0xFFFC) return 2;
  if (c == U'_' || c > 0x7F || std::isalnum(static_cast<int>(c)) != 0) return 1;
  return 2;
}

TRVParaOffset WordBoundary(const TRVDocument& doc, TRVParaOffset at, bool forward) {
  const std::u32string chars = ParaChars(doc.Paragraph(at.Para));
  const int n = static_cast<int>(chars.size());
  int o = std::clamp(at.Offset, 0, n);
  auto cls = [&](int i) { return WordCharClass(chars[static_cast<size_t>(i)]); };
  if (forward) {
    if (o >= n) return at.Para + 1 < doc.ParagraphCount() ? TRVParaOffset{at.Para + 1, 0} : at;
    const int c = cls(o);
    if (c != 0)
      while (o < n && cls(o) == c) ++o;
    while (o < n && cls(o) == 0) ++o;
  } else {
    if (o <= 0) {
      if (at.Para == 0) return at;
      return {at.Para - 1, ParagraphLength(doc.Paragraph(at.Para - 1))};
    }
    while (o > 0 && cls(o - 1) == 0) --o;
    if (o > 0) {
      const int c = cls(o - 1);
      while (o > 0 && cls(o - 1) == c) --o;
    }
  }
  return {at.Para, o};
}

TRVParaOffset ToParaOffset(const TRVDocument& doc, const TRVPosition& pos) {
  const std::vector<TRVItem>& items = doc.Paragraph(pos.Para).Items();
  int offset = pos.Offset;
  for (int i = 0; i < pos.Item; ++i) offset += items[static_cast<size_t>(i)].EndOffset();
  return {pos.Para, offset};
}

TRVPosition ToPosition(const TRVDocument& doc, const TRVParaOffset& place) {
  const std::vector<TRVItem>& items = doc.Paragraph(place.Para).Items();
  int left = std::max(place.Offset, 0);
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const int len = items[static_cast<size_t>(i)].EndOffset();
    const bool last = i + 1 == static_cast<int>(items.size());
    // The place belongs to this item when it lies inside it or at its end
    // (left spelling); offset 0 of the paragraph stays on the first item.
    if (left <= len || last) return {place.Para, i, std::min(left, len)};
    left -= len;
  }
  return {place.Para, 0, 0};
}

namespace {

TRVItem TextPart(const TRVItem& item, size_t fromByte, size_t toByte, bool keepCheckpoints) {
  const TRVTextItemInfo& t = *item.AsText();
  TRVItem part = TRVItem::MakeText(t.Text.substr(fromByte, toByte - fromByte), t.StyleNo, t.Target);
  if (keepCheckpoints) part.Checkpoints = item.Checkpoints;
  return part;
}

}  // namespace

void SplitItems(std::vector<TRVItem> items, int offset, std::vector<TRVItem>& before,
                std::vector<TRVItem>& after) {
  int at = 0;  // offset of the current item's start
  for (TRVItem& item : items) {
    const int len = item.EndOffset();
    if (at + len <= offset && !(len == 0 && at == offset)) {
      before.push_back(std::move(item));
    } else if (at >= offset) {
      after.push_back(std::move(item));
    } else {
      // Only text is longer than one character, so only text straddles.
      const std::string& text = item.AsText()->Text;
      const size_t cut = Utf8ByteOffset(text, offset - at);
      before.push_back(TextPart(item, 0, cut, true));
      after.push_back(TextPart(item, cut, text.size(), false));
    }
    at += len;
  }
}

namespace {

void TakeCheckpoints(std::vector<TRVItem>& removed, std::vector<std::string>& into) {
  for (TRVItem& item : removed)
    for (std::string& name : item.Checkpoints) into.push_back(std::move(name));
}

void Append(std::vector<TRVItem>& to, std::vector<TRVItem>&& from) {
  for (TRVItem& item : from) to.push_back(std::move(item));
}

TRVParagraph MakeParagraph(int paraNo, std::vector<TRVItem> items, int emptyStyle) {
  TRVParagraph para(paraNo);
  if (items.empty()) items.push_back(TRVItem::MakeText({}, emptyStyle));
  para.MutableItems() = std::move(items);
  NormalizeParagraph(para);
  return para;
}

}  // namespace

TRVSpliceResult BuildSplice(const TRVDocument& doc, TRVParaOffset from, TRVParaOffset to,
                            std::vector<TRVFragmentLine> lines, int emptyStyle) {
  if (to < from) std::swap(from, to);
  const TRVParagraph& first = doc.Paragraph(from.Para);
  const TRVParagraph& last = doc.Paragraph(to.Para);

  // head | removed ... | tail
  std::vector<TRVItem> head, rest, removed, tail;
  SplitItems(first.Items(), from.Offset, head, rest);
  if (from.Para == to.Para) {
    SplitItems(std::move(rest), to.Offset - from.Offset, removed, tail);
  } else {
    removed = std::move(rest);
    for (int p = from.Para + 1; p < to.Para; ++p) {
      const std::vector<TRVItem>& items = doc.Paragraphs[static_cast<size_t>(p)].Items();
      removed.insert(removed.end(), items.begin(), items.end());
    }
    std::vector<TRVItem> lastHead;
    SplitItems(last.Items(), to.Offset, lastHead, tail);
    Append(removed, std::move(lastHead));
  }

  // Checkpoints of the removed content stay where it was. An empty text item
  // carries them there; normalising hands them to the item after it, and it
  // is the empty line of a paragraph that ends up with nothing else.
  TRVItem keeper = TRVItem::MakeText({}, emptyStyle);
  TakeCheckpoints(removed, keeper.Checkpoints);

  if (lines.empty()) lines.push_back({first.ParaNo(), {}});
  TRVSpliceResult result;
  const size_t n = lines.size();
  const int headLength = ItemsLength(head);
  std::vector<TRVItem> firstItems = std::move(head);
  firstItems.push_back(std::move(keeper));
  const int endOffset = (n == 1 ? headLength : 0) + ItemsLength(lines.back().Items);
  Append(firstItems, std::move(lines[0].Items));
  if (n == 1) Append(firstItems, std::move(tail));
  result.Paras.push_back(MakeParagraph(first.ParaNo(), std::move(firstItems), emptyStyle));
  for (size_t i = 1; i < n; ++i) {
    std::vector<TRVItem> items = std::move(lines[i].Items);
    if (i + 1 == n) Append(items, std::move(tail));
    result.Paras.push_back(MakeParagraph(lines[i].ParaNo, std::move(items), emptyStyle));
  }
  result.End = {static_cast<int>(n) - 1, endOffset};
  return result;
}

namespace {

TRVPosition Clamp(const TRVDocument& doc, TRVPosition pos) {
  pos.Para = std::clamp(pos.Para, 0, doc.ParagraphCount() - 1);
  const TRVParagraph& para = doc.Paragraphs[static_cast<size_t>(pos.Para)];
  pos.Item = std::clamp(pos.Item, 0, para.ItemCount() - 1);
  pos.Offset = std::clamp(pos.Offset, 0, para.Items()[static_cast<size_t>(pos.Item)].EndOffset());
  return pos;
}

int FirstTextStyle(const TRVParagraph& para) {
  for (const TRVItem& item : para.Items())
    if (const TRVTextItemInfo* t = item.AsText()) return t->StyleNo;
  return 0;
}

}  // namespace

TRVDocument CopyRange(const TRVDocument& doc, TRVPosition from, TRVPosition to) {
  TRVDocument copy;
  copy.Style = doc.Style;
  copy.Color = doc.Color;
  if (doc.IsEmpty()) return copy;
  TRVParaOffset a = ToParaOffset(doc, Clamp(doc, from));
  TRVParaOffset b = ToParaOffset(doc, Clamp(doc, to));
  if (b < a) std::swap(a, b);
  if (a == b) return copy;
  for (int p = a.Para; p <= b.Para; ++p) {
    const TRVParagraph& src = doc.Paragraphs[static_cast<size_t>(p)];
    std::vector<TRVItem> items = src.Items(), before, after;
    if (p == b.Para) {
      SplitItems(std::move(items), b.Offset, before, after);
      items = std::move(before);
      before.clear();
      after.clear();
    }
    if (p == a.Para) {
      SplitItems(std::move(items), a.Offset, before, after);
      items = std::move(after);
    }
    copy.Paragraphs.push_back(MakeParagraph(src.ParaNo(), std::move(items), FirstTextStyle(src)));
  }
  return copy;
}

}  // namespace nv
