#include "richview/layout.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <unordered_map>
#include <utility>

#include "richview/utf8.h"

namespace nv {

namespace {

// Layout arithmetic runs in 64 bits and is stored saturated, so absurd
// sizes (a million blanks in the largest font) give absurd but defined
// coordinates.
constexpr std::int64_t kCoordLimit = std::int64_t{1} << 30;
int Sat(std::int64_t v) { return static_cast<int>(std::clamp(v, -kCoordLimit, kCoordLimit)); }

bool IsLeadByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

enum class CellKind : std::uint8_t { Char, Blank, Tab, LineBreak, Picture, Break };

// One character of the paragraph as line breaking sees it.
struct Cell {
  std::int64_t Width = 0;
  CellKind Kind = CellKind::Char;
  int Item = 0;
};

// Justification pixels of blank number k of a line.
std::int64_t Share(int k, int extra, int blanks) {
  if (k >= blanks || blanks <= 0) return 0;
  const std::int64_t e = extra;
  return (k + 1) * e / blanks - k * e / blanks;
}

TRVRunKind RunKindOf(CellKind k) {
  switch (k) {
    case CellKind::Tab: return TRVRunKind::Tab;
    case CellKind::LineBreak: return TRVRunKind::LineBreak;
    case CellKind::Picture: return TRVRunKind::Picture;
    case CellKind::Break: return TRVRunKind::Break;
    default: return TRVRunKind::Text;
  }
}

int BorderInset(const TParaBorder& b, std::uint8_t side) {
  return b.Style != TParaBorderStyle::None && (b.Sides & side) ? b.Width + b.Padding : 0;
}

}  // namespace

// ---------------------------------------------------------------- metrics

TRVFontExtent TMonoFontMetrics::FontExtent(const TFontInfo& font) {
  const int size = CharWidth(font);
  return {size * 12 / 10, size * 4 / 10};
}

void TMonoFontMetrics::TextExtents(const TFontInfo& font, std::string_view text, std::vector<int>& out) {
  const int w = CharWidth(font);
  int x = 0;
  for (char c : text)
    if (IsLeadByte(c)) out.push_back(x += w);
}

// ---------------------------------------------------------------- settings

void TRVLayout::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  Invalidate();
}

void TRVLayout::SetMargins(int left, int top, int right, int bottom) {
  marginLeft_ = left;
  marginTop_ = top;
  marginRight_ = right;
  marginBottom_ = bottom;
  Invalidate();
}

void TRVLayout::SetDpi(int dpi) {
  dpi = std::max(dpi, 1);
  if (dpi == dpi_) return;
  dpi_ = dpi;
  Invalidate();
}

void TRVLayout::SetFitPictures(bool fit) {
  if (fit == fitPictures_) return;
  fitPictures_ = fit;
  Invalidate();
}

int TRVLayout::Px(int length96) const {
  if (dpi_ == 96) return length96;
  // Rounded half away from zero, as MulDiv does.
  const std::int64_t v = std::int64_t{length96} * dpi_;
  return Sat(v >= 0 ? (v + 48) / 96 : -((-v + 48) / 96));
}

TParaInfo TRVLayout::Scaled(const TParaInfo& style) const {
  TParaInfo s = style;
  s.LeftIndent = Px(s.LeftIndent);
  s.FirstIndent = Px(s.FirstIndent);
  s.RightIndent = Px(s.RightIndent);
  s.SpaceBefore = Px(s.SpaceBefore);
  s.SpaceAfter = Px(s.SpaceAfter);
  s.Border.Width = Px(s.Border.Width);
  s.Border.Padding = Px(s.Border.Padding);
  for (TRVTabInfo& tab : s.Tabs) tab.Position = Px(tab.Position);
  return s;
}

void TRVLayout::Invalidate() {
  paras_.clear();
  tops_.clear();
  topsValid_ = 0;
}

const TRVFontExtent& TRVLayout::Extent(const TRVDocument& doc, int styleNo) {
  const size_t n = static_cast<size_t>(doc.Style.TextStyleCount());
  if (extents_.size() != n + 1) {
    extents_.assign(n + 1, {});
    haveExtent_.assign(n + 1, false);
  }
  // Numbers outside the sheet share the last slot: they all stand for the
  // same fallback style.
  const size_t i = doc.Style.HasTextStyle(styleNo) ? static_cast<size_t>(styleNo) : n;
  if (!haveExtent_[i]) {
    extents_[i] = metrics_.FontExtent(doc.Style.TextStyleOrDefault(styleNo));
    haveExtent_[i] = true;
  }
  return extents_[i];
}

// -------------------------------------------------------- one paragraph

// Lays out one paragraph: its characters become cells, greedy line breaking
// groups the cells into lines, and each line becomes runs placed by the
// paragraph's alignment, with a height from its text and pictures.
class TRVLayout::Builder {
 public:
  Builder(TRVLayout& layout, const TRVDocument& doc, const TRVParagraph& para);
  // Keeps the lines of `keep` before `fromLine` and lays out the rest.
  TRVParaLayout Run(TRVParaLayout keep, int fromLine);

 private:
  int KeepLines(int fromLine);
  void AddCells(int firstItem);
  void AddTextCells(int item, const TRVTextItemInfo& t);
  Cell& At(int offset) { return cells_[static_cast<size_t>(offset - base_)]; }
  std::int64_t LineLeft() const { return out_.Lines.empty() ? style_.FirstIndent : 0; }
  std::int64_t TabWidth(int at, std::int64_t x);
  void BreakLines(int from);
  void Emit(int s, int e, bool wrapped);
  std::int64_t Align(TRVLayoutLine& line, int e);
  void AddRuns(TRVLayoutLine& line, int e, std::int64_t x);
  void SetHeights(TRVLayoutLine& line);
  // A picture's size on this layout: its own at the DPI, shrunk to the text
  // width when the layout fits pictures.
  std::pair<int, int> PictureSize(const TRVPictureItemInfo& pic) const;

  TRVLayout& layout_;
  const TRVDocument& doc_;
  const TRVParagraph& para_;
  const std::vector<TRVItem>& items_;
  TParaInfo scaledStyle_;   // the sheet's style at the layout's DPI, when not 96
  const TParaInfo& style_;
  int contentLeft_ = 0;  // x of the text area (left indent included)
  int avail_ = 1;        // width of the text area
  std::vector<int> starts_;  // paragraph offset of each item's start; the end last
  std::vector<Cell> cells_;  // from offset base_ on
  std::vector<int> extents_;
  int base_ = 0;
  int firstItem_ = 0;
  TRVParaLayout out_;
  std::int64_t y_ = 0;  // top of the next line
};

TRVLayout::Builder::Builder(TRVLayout& layout, const TRVDocument& doc, const TRVParagraph& para)
    : layout_(layout),
      doc_(doc),
      para_(para),
      items_(para.Items()),
      scaledStyle_(layout.dpi_ == 96 ? TParaInfo{} : layout.Scaled(doc.Style.ParaStyleOrDefault(para.ParaNo()))),
      style_(layout.dpi_ == 96 ? doc.Style.ParaStyleOrDefault(para.ParaNo()) : scaledStyle_) {
  const TParaBorder& border = style_.Border;
  const int left = BorderInset(border, kBorderLeft), right = BorderInset(border, kBorderRight);
  contentLeft_ = layout.marginLeft_ + style_.LeftIndent + left;
  avail_ = std::max(1, layout.width_ - layout.marginLeft_ - layout.marginRight_ - style_.LeftIndent -
                           style_.RightIndent - left - right);
  starts_.assign(items_.size() + 1, 0);
  for (size_t i = 0; i < items_.size(); ++i) starts_[i + 1] = starts_[i] + items_[i].EndOffset();
}

TRVParaLayout TRVLayout::Builder::Run(TRVParaLayout keep, int fromLine) {
  out_ = std::move(keep);
  const int from = KeepLines(fromLine);
  out_.Revision = para_.Revision();
  // Cells from the item holding the first character laid out.
  const int count = static_cast<int>(items_.size());
  int first = 0;
  while (first + 1 < count && starts_[static_cast<size_t>(first) + 1] <= from) ++first;
  ++layout_.parasLaidOut_;
  layout_.itemsLaidOut_ += count - first;
  AddCells(first);
  BreakLines(from);
  out_.Height = Sat(y_ + style_.SpaceAfter + BorderInset(style_.Border, kBorderBottom));
  return std::move(out_);
}

int TRVLayout::Builder::KeepLines(int fromLine) {
  if (fromLine <= 0 || fromLine >= static_cast<int>(out_.Lines.size()) ||
      out_.Lines[static_cast<size_t>(fromLine)].Start > starts_.back()) {
    out_.Lines.clear();
    out_.Runs.clear();
    y_ = style_.SpaceBefore + BorderInset(style_.Border, kBorderTop);
    return 0;
  }
  const TRVLayoutLine& from = out_.Lines[static_cast<size_t>(fromLine)];
  const int start = from.Start;
  y_ = from.Top;
  out_.Runs.resize(static_cast<size_t>(from.FirstRun));
  out_.Lines.resize(static_cast<size_t>(fromLine));
  return start;
}

void TRVLayout::Builder::AddCells(int firstItem) {
  firstItem_ = firstItem;
  base_ = starts_[static_cast<size_t>(firstItem)];
  cells_.reserve(static_cast<size_t>(starts_.back() - base_));
  for (int i = firstItem; i < static_cast<int>(items_.size()); ++i) {
    const TRVItem& item = items_[static_cast<size_t>(i)];
    if (const TRVTextItemInfo* t = item.AsText()) AddTextCells(i, *t);
    else if (const TRVPictureItemInfo* pic = item.AsPicture())
      cells_.push_back({PictureSize(*pic).first, CellKind::Picture, i});
    else cells_.push_back({0, CellKind::Break, i});
  }
}

std::pair<int, int> TRVLayout::Builder::PictureSize(const TRVPictureItemInfo& pic) const {
  const int w = layout_.Px(pic.Width), h = layout_.Px(pic.Height);
  if (!layout_.fitPictures_ || w <= avail_) return {w, h};
  return {avail_, static_cast<int>(std::max<std::int64_t>(1, std::int64_t{h} * avail_ / w))};
}

void TRVLayout::Builder::AddTextCells(int item, const TRVTextItemInfo& t) {
  const TFontInfo& font = doc_.Style.TextStyleOrDefault(t.StyleNo);
  const std::string_view text = t.Text;
  // Text between tabs and line breaks is measured in one go.
  auto segment = [&](size_t from, size_t to) {
    if (from >= to) return;
    const std::string_view seg = text.substr(from, to - from);
    extents_.clear();
    layout_.metrics_.TextExtents(font, seg, extents_);
    size_t k = 0;
    std::int64_t prev = 0;
    for (char c : seg) {
      if (!IsLeadByte(c)) continue;
      const std::int64_t at = k < extents_.size() ? extents_[k] : prev;
      cells_.push_back({std::max<std::int64_t>(at - prev, 0), c == ' ' ? CellKind::Blank : CellKind::Char, item});
      prev = std::max(prev, at);
      ++k;
    }
  };
  size_t segStart = 0;
  for (size_t b = 0; b < text.size(); ++b) {
    if (text[b] != '\t' && text[b] != '\n') continue;
    segment(segStart, b);
    cells_.push_back({0, text[b] == '\t' ? CellKind::Tab : CellKind::LineBreak, item});
    segStart = b + 1;
  }
  segment(segStart, text.size());
}

std::int64_t TRVLayout::Builder::TabWidth(int at, std::int64_t x) {
  // Tab positions count from the paragraph's edge, before its left indent.
  const std::int64_t tx = x + style_.LeftIndent;
  const std::int64_t every = layout_.Px(kDefaultTabWidth);
  std::int64_t stop = (tx >= 0 ? tx / every + 1 : 0) * every;
  TTabAlign align = TTabAlign::Left;
  for (const TRVTabInfo& tab : style_.Tabs)
    if (tab.Position > tx) {
      stop = tab.Position;
      align = tab.Align;
      break;
    }
  if (align != TTabAlign::Left) {
    std::int64_t follow = 0;  // the text up to the next tab or line end
    for (int k = at + 1; k < base_ + static_cast<int>(cells_.size()); ++k) {
      const CellKind kind = At(k).Kind;
      if (kind == CellKind::Tab || kind == CellKind::LineBreak || kind == CellKind::Break) break;
      follow += At(k).Width;
    }
    stop -= align == TTabAlign::Right ? follow : follow / 2;
  }
  return std::max<std::int64_t>(stop - tx, 0);
}

void TRVLayout::Builder::BreakLines(int from) {
  const int end = base_ + static_cast<int>(cells_.size());
  int lineStart = from;
  int breakAt = -1;  // the last place where the line may end
  bool endsWithLineBreak = false;
  std::int64_t x = LineLeft();
  auto newLine = [&](int e, bool wrapped) {
    Emit(lineStart, e, wrapped);
    lineStart = e;
    breakAt = -1;
    x = LineLeft();
  };
  for (int k = from; k < end;) {
    Cell& c = At(k);
    endsWithLineBreak = c.Kind == CellKind::LineBreak;
    if (c.Kind == CellKind::Break) {
      if (k > lineStart) newLine(k, false);
      newLine(++k, false);
      continue;
    }
    if (c.Kind == CellKind::LineBreak) {
      newLine(++k, false);
      continue;
    }
    if (c.Kind == CellKind::Tab) c.Width = TabWidth(k, x);
    if (c.Kind == CellKind::Picture && k > lineStart) breakAt = k;
    // Blanks never overflow: they hang past the edge.
    if (c.Kind != CellKind::Blank && k > lineStart && x + c.Width > avail_) {
      k = breakAt > lineStart ? breakAt : k;
      newLine(k, true);
      continue;
    }
    x += c.Width;
    if (c.Kind == CellKind::Blank || c.Kind == CellKind::Tab || c.Kind == CellKind::Picture) breakAt = k + 1;
    ++k;
  }
  // The last line, which after a final line break is empty.
  if (lineStart < end || out_.Lines.empty() || endsWithLineBreak) Emit(lineStart, end, false);
}

void TRVLayout::Builder::Emit(int s, int e, bool wrapped) {
  TRVLayoutLine line;
  line.Start = s;
  line.End = e;
  line.Wrapped = wrapped;
  line.FirstRun = static_cast<int>(out_.Runs.size());
  AddRuns(line, e, Align(line, e));
  SetHeights(line);
  line.Top = Sat(y_);
  y_ += line.Height;
  out_.Lines.push_back(line);
}

std::int64_t TRVLayout::Builder::Align(TRVLayoutLine& line, int e) {
  int solidEnd = line.Start;  // after the last cell that is not a blank or line break
  for (int k = line.Start; k < e; ++k)
    if (At(k).Kind != CellKind::Blank && At(k).Kind != CellKind::LineBreak) solidEnd = k + 1;
  std::int64_t width = 0;
  for (int k = line.Start; k < solidEnd; ++k) width += At(k).Width;
  const std::int64_t left = LineLeft();
  const std::int64_t room = std::max<std::int64_t>(avail_ - left - width, 0);
  std::int64_t x = contentLeft_ + left;
  switch (style_.Alignment) {
    case TParaAlignment::Right: return x + room;
    case TParaAlignment::Center: return x + room / 2;
    case TParaAlignment::Justify:
      // Lines ended by wrapping are stretched at their inner blanks.
      if (line.Wrapped) {
        for (int k = line.Start; k < solidEnd; ++k) line.Blanks += At(k).Kind == CellKind::Blank;
        if (line.Blanks > 0) line.Extra = Sat(room);
      }
      return x;
    default: return x;
  }
}

void TRVLayout::Builder::AddRuns(TRVLayoutLine& line, int e, std::int64_t x) {
  // Text of one item makes one run; tabs, line breaks, pictures and lines
  // stand alone.
  int blank = 0;
  std::int64_t width = 0;
  auto close = [&] {
    if (out_.Runs.size() > static_cast<size_t>(line.FirstRun)) {
      out_.Runs.back().Width = Sat(width);
      x += width;
    }
    width = 0;
  };
  for (int k = line.Start; k < e; ++k) {
    const Cell& c = At(k);
    const TRVRunKind kind = RunKindOf(c.Kind);
    const bool joins = kind == TRVRunKind::Text && out_.Runs.size() > static_cast<size_t>(line.FirstRun) &&
                       out_.Runs.back().Kind == TRVRunKind::Text && out_.Runs.back().Item == c.Item;
    if (!joins) {
      close();
      TRVLayoutRun r;
      r.Kind = kind;
      r.Item = c.Item;
      r.ItemStart = starts_[static_cast<size_t>(c.Item)];
      r.Start = k;
      r.X = Sat(kind == TRVRunKind::Break ? contentLeft_ : x);
      r.FirstBlank = blank;
      out_.Runs.push_back(r);
    }
    out_.Runs.back().End = k + 1;
    if (kind == TRVRunKind::Break) {
      width = avail_;
    } else {
      width += c.Width;
      if (c.Kind == CellKind::Blank) width += Share(blank++, line.Extra, line.Blanks);
    }
  }
  close();
  if (e == line.Start) {
    // An empty line, or the one after a final line break, still has the
    // height of its text and a place for the caret.
    TRVLayoutRun r;
    r.Item = line.Start > base_ ? At(line.Start - 1).Item : firstItem_;
    r.ItemStart = starts_[static_cast<size_t>(r.Item)];
    r.Start = r.End = line.Start;
    r.X = Sat(x);
    out_.Runs.push_back(r);
  }
  line.RunCount = static_cast<int>(out_.Runs.size()) - line.FirstRun;
}

void TRVLayout::Builder::SetHeights(TRVLayoutLine& line) {
  auto runs = std::span(out_.Runs).subspan(static_cast<size_t>(line.FirstRun), static_cast<size_t>(line.RunCount));
  // Text (and lines) first; pictures are then placed against the text.
  int textAscent = 0, textDescent = 0;
  for (TRVLayoutRun& run : runs) {
    const TRVItem& item = items_[static_cast<size_t>(run.Item)];
    if (const TRVTextItemInfo* t = item.AsText()) {
      const TRVFontExtent fe = layout_.Extent(doc_, t->StyleNo);
      const int vshift = doc_.Style.TextStyleOrDefault(t->StyleNo).VShift;
      run.Shift = Sat(std::int64_t{vshift} * fe.Height() / 100);
      run.Ascent = fe.Ascent + run.Shift;
      run.Descent = fe.Descent - run.Shift;
    } else if (const TRVBreakItemInfo* br = item.AsBreak()) {
      run.Ascent = layout_.Px(kBreakMargin) + std::max(layout_.Px(br->Width), 1);
      run.Descent = layout_.Px(kBreakMargin);
    } else {
      continue;
    }
    textAscent = std::max(textAscent, run.Ascent);
    textDescent = std::max(textDescent, run.Descent);
  }
  int ascent = textAscent, descent = textDescent;
  for (TRVLayoutRun& run : runs) {
    const TRVPictureItemInfo* pic = items_[static_cast<size_t>(run.Item)].AsPicture();
    if (!pic) continue;
    const int h = PictureSize(*pic).second;
    switch (pic->VAlign) {
      case TRVVAlign::Top: run.Ascent = textAscent; break;
      case TRVVAlign::Bottom: run.Ascent = h - textDescent; break;
      case TRVVAlign::Middle: run.Ascent = (textAscent - textDescent) / 2 + (h + 1) / 2; break;
      default: run.Ascent = h; break;
    }
    run.Descent = h - run.Ascent;
    ascent = std::max(ascent, run.Ascent);
    descent = std::max(descent, run.Descent);
  }
  line.Baseline = ascent;
  const std::int64_t natural = std::int64_t{ascent} + descent;
  line.Height = Sat(std::max<std::int64_t>(natural * style_.LineSpacing / 100, 1));
}

TRVParaLayout TRVLayout::LayOut(const TRVDocument& doc, const TRVParagraph& para, TRVParaLayout keep,
                                int fromLine) {
  return Builder(*this, doc, para).Run(std::move(keep), fromLine);
}

// ------------------------------------------------------------ formatting

void TRVLayout::HeightsChangedFrom(int para) { topsValid_ = std::min(topsValid_, para + 1); }

void TRVLayout::Format(const TRVDocument& doc) {
  extents_.clear();
  const int n = doc.ParagraphCount();
  // Old layouts by stamp: paragraphs keep their stamps wherever they move.
  std::unordered_map<std::uint64_t, size_t> old;
  std::vector<TRVParaLayout> prev = std::move(paras_);
  for (size_t i = 0; i < prev.size(); ++i) old.emplace(prev[i].Revision, i);
  paras_.clear();
  paras_.reserve(static_cast<size_t>(n));
  for (const TRVParagraph& para : doc.Paragraphs) {
    auto it = old.find(para.Revision());
    if (it != old.end() && !prev[it->second].Lines.empty()) paras_.push_back(std::move(prev[it->second]));
    else paras_.push_back(LayOut(doc, para));
  }
  tops_.assign(static_cast<size_t>(n) + 1, 0);
  topsValid_ = 0;
}

void TRVLayout::Update(const TRVDocument& doc, const TRVDocChange& change) {
  if (!change.Any()) return;
  const int oldN = ParagraphCount(), newN = doc.ParagraphCount();
  if (oldN == 0 && newN > 0) return Format(doc);
  extents_.clear();
  const int head = std::min({change.Head, oldN, newN});
  const int tail = std::min({change.Tail, oldN - head, newN - head});
  const int oldEnd = oldN - tail, newEnd = newN - tail;
  bool heights = oldEnd - head != newEnd - head;

  if (oldEnd - head == newEnd - head) {
    for (int p = head; p < newEnd; ++p) {
      const TRVParagraph& para = doc.Paragraphs[static_cast<size_t>(p)];
      TRVParaLayout& entry = paras_[static_cast<size_t>(p)];
      if (entry.Revision == para.Revision() && !entry.Lines.empty()) continue;
      const int height = entry.Height;
      entry = LayOut(doc, para);
      heights |= entry.Height != height;
    }
  } else {
    std::unordered_map<std::uint64_t, size_t> old;
    for (int p = head; p < oldEnd; ++p) old.emplace(paras_[static_cast<size_t>(p)].Revision, static_cast<size_t>(p));
    std::vector<TRVParaLayout> repl;
    repl.reserve(static_cast<size_t>(newEnd - head));
    for (int p = head; p < newEnd; ++p) {
      const TRVParagraph& para = doc.Paragraphs[static_cast<size_t>(p)];
      auto it = old.find(para.Revision());
      if (it != old.end() && !paras_[it->second].Lines.empty()) repl.push_back(std::move(paras_[it->second]));
      else repl.push_back(LayOut(doc, para));
    }
    paras_.erase(paras_.begin() + head, paras_.begin() + oldEnd);
    paras_.insert(paras_.begin() + head, std::make_move_iterator(repl.begin()), std::make_move_iterator(repl.end()));
  }
  tops_.resize(static_cast<size_t>(newN) + 1);
  if (heights) HeightsChangedFrom(head);
}

void TRVLayout::FormatTail(const TRVDocument& doc, TRVPosition firstNew) {
  const int newN = doc.ParagraphCount();
  const int p = firstNew.Para;
  if (p < 0 || p >= newN || p > ParagraphCount()) return Format(doc);
  extents_.clear();
  paras_.resize(static_cast<size_t>(p) + std::min<size_t>(paras_.size() - static_cast<size_t>(p), 1));
  if (p < ParagraphCount()) {
    // The paragraph the new items continue: its lines before the one that
    // held the old end stay as they are.
    TRVParaLayout& entry = paras_[static_cast<size_t>(p)];
    const TRVParagraph& para = doc.Paragraphs[static_cast<size_t>(p)];
    int firstOffset = 0;
    for (int i = 0; i < std::min(firstNew.Item, para.ItemCount()); ++i) firstOffset += para.Item(i).EndOffset();
    int line = 0;
    while (line + 1 < static_cast<int>(entry.Lines.size()) &&
           entry.Lines[static_cast<size_t>(line) + 1].Start < firstOffset)
      ++line;
    entry = LayOut(doc, para, std::move(entry), line);
  }
  for (int q = ParagraphCount(); q < newN; ++q) paras_.push_back(LayOut(doc, doc.Paragraphs[static_cast<size_t>(q)]));
  tops_.resize(static_cast<size_t>(newN) + 1);
  HeightsChangedFrom(p);
}

// ---------------------------------------------------------------- queries

void TRVLayout::EnsureTops(int count) const {
  const int n = ParagraphCount();
  if (tops_.size() != static_cast<size_t>(n) + 1) {
    tops_.resize(static_cast<size_t>(n) + 1);
    topsValid_ = std::min(topsValid_, n + 1);
  }
  if (topsValid_ == 0) {
    tops_[0] = marginTop_;
    topsValid_ = 1;
  }
  count = std::min(count, n);
  for (int p = topsValid_ - 1; p < count; ++p)
    tops_[static_cast<size_t>(p) + 1] = Sat(std::int64_t{tops_[static_cast<size_t>(p)]} + paras_[static_cast<size_t>(p)].Height);
  topsValid_ = std::max(topsValid_, count + 1);
}

int TRVLayout::ParaTop(int p) const {
  EnsureTops(p);
  return tops_[static_cast<size_t>(std::clamp(p, 0, ParagraphCount()))];
}

int TRVLayout::DocumentHeight() const { return Sat(std::int64_t{ParaTop(ParagraphCount())} + marginBottom_); }

namespace {

const TRVLayoutLine& LineOfRun(const TRVParaLayout& L, int run) {
  auto it = std::upper_bound(L.Lines.begin(), L.Lines.end(), run,
                             [](int r, const TRVLayoutLine& line) { return r < line.FirstRun; });
  return *(it - 1);
}

}  // namespace

std::vector<int> TRVLayout::RunBoundaries(const TRVDocument& doc, int para, const TRVLayoutRun& run) const {
  if (run.Kind == TRVRunKind::LineBreak) return {run.X, run.X};
  if (run.Kind != TRVRunKind::Text) return {run.X, run.X + run.Width};
  const TRVParaLayout& L = paras_[static_cast<size_t>(para)];
  const TRVLayoutLine& line = LineOfRun(L, static_cast<int>(&run - L.Runs.data()));
  const TRVTextItemInfo& t = *doc.Item(para, run.Item).AsText();
  const size_t from = Utf8ByteOffset(t.Text, run.Start - run.ItemStart);
  const size_t to = Utf8ByteOffset(t.Text, run.End - run.ItemStart);
  const std::string_view text = std::string_view(t.Text).substr(from, to - from);
  std::vector<int> ext;
  metrics_.TextExtents(doc.Style.TextStyleOrDefault(t.StyleNo), text, ext);
  std::vector<int> xs{run.X};
  std::int64_t extra = 0;
  int blank = run.FirstBlank;
  size_t k = 0;
  for (char c : text) {
    if (!IsLeadByte(c)) continue;
    if (c == ' ') extra += Share(blank++, line.Extra, line.Blanks);
    const int w = k < ext.size() ? ext[k] : (ext.empty() ? 0 : ext.back());
    xs.push_back(Sat(std::int64_t{run.X} + w + extra));
    ++k;
  }
  return xs;
}

TRVPosition TRVLayout::HitTest(const TRVDocument& doc, int x, int y) const {
  const int n = std::min(ParagraphCount(), doc.ParagraphCount());
  if (n == 0) return {};
  EnsureTops(n);
  const auto topsEnd = tops_.begin() + n;
  const int p = static_cast<int>(std::max<std::ptrdiff_t>(std::upper_bound(tops_.begin(), topsEnd, y) - tops_.begin() - 1, 0));
  const TRVParaLayout& L = paras_[static_cast<size_t>(p)];
  const int yy = y - tops_[static_cast<size_t>(p)];
  auto lineIt = std::upper_bound(L.Lines.begin(), L.Lines.end(), yy,
                                 [](int v, const TRVLayoutLine& line) { return v < line.Top; });
  const TRVLayoutLine& line = lineIt == L.Lines.begin() ? L.Lines.front() : *(lineIt - 1);

  int offset = line.Start;
  bool found = false;
  for (int r = line.FirstRun; r < line.FirstRun + line.RunCount && !found; ++r) {
    const TRVLayoutRun& run = L.Runs[static_cast<size_t>(r)];
    if (x < run.X) {
      offset = run.Start;
      found = true;
    } else if (x < run.X + run.Width) {
      found = true;
      if (run.Kind == TRVRunKind::Text) {
        const std::vector<int> xs = RunBoundaries(doc, p, run);
        size_t best = 0;
        for (size_t j = 1; j < xs.size(); ++j)
          if (std::abs(xs[j] - x) < std::abs(xs[best] - x)) best = j;
        offset = run.Start + static_cast<int>(best);
      } else {
        offset = x < run.X + run.Width / 2 ? run.Start : run.End;
      }
    } else if (run.Kind == TRVRunKind::LineBreak) {
      offset = run.Start;
      found = true;
    }
  }
  if (!found) offset = line.Wrapped && line.End > line.Start ? line.End - 1 : line.End;
  return ToPosition(doc, {p, offset});
}

TRVRect TRVLayout::CaretRect(const TRVDocument& doc, TRVPosition pos) const {
  if (ParagraphCount() == 0 || !doc.IsValidPosition(pos)) return {marginLeft_, marginTop_, marginLeft_ + 1, marginTop_};
  const TRVParaOffset place = ToParaOffset(doc, pos);
  const TRVParaLayout& L = paras_[static_cast<size_t>(place.Para)];
  auto lineIt = std::find_if(L.Lines.begin(), L.Lines.end(),
                             [&](const TRVLayoutLine& line) { return place.Offset < line.End; });
  const TRVLayoutLine& line = lineIt == L.Lines.end() ? L.Lines.back() : *lineIt;
  int x = line.RunCount > 0 ? L.Runs[static_cast<size_t>(line.FirstRun)].X : marginLeft_;
  for (int r = line.FirstRun; r < line.FirstRun + line.RunCount; ++r) {
    const TRVLayoutRun& run = L.Runs[static_cast<size_t>(r)];
    if (place.Offset <= run.Start) {
      x = run.X;
      break;
    }
    if (place.Offset < run.End) {
      x = RunBoundaries(doc, place.Para, run)[static_cast<size_t>(place.Offset - run.Start)];
      break;
    }
    x = run.Kind == TRVRunKind::LineBreak ? run.X : run.X + run.Width;
  }
  const int top = Sat(std::int64_t{ParaTop(place.Para)} + line.Top);
  return {x, top, x + 1, Sat(std::int64_t{top} + line.Height)};
}

}  // namespace nv
