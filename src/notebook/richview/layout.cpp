#include "notebook/richview/layout.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <utility>

#include "notebook/richview/utf8.h"

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

void TRVLayout::Invalidate() {
  paras_.clear();
  tops_.clear();
  topsValid_ = 0;
}

const TRVFontExtent& TRVLayout::Extent(const TRVDocument& doc, int styleNo) {
  const size_t n = static_cast<size_t>(doc.Style.TextStyleCount());
  if (extents_.size() != n) {
    extents_.assign(n, {});
    haveExtent_.assign(n, false);
  }
  const size_t i = static_cast<size_t>(styleNo);
  if (!haveExtent_[i]) {
    extents_[i] = metrics_.FontExtent(doc.Style.TextStyles[i]);
    haveExtent_[i] = true;
  }
  return extents_[i];
}

// -------------------------------------------------------- one paragraph

struct TRVLayout::Frame {
  const TParaInfo* Style = nullptr;
  int ContentLeft = 0;  // x of the text area (left indent included)
  int Avail = 1;        // width of the text area
  int TopInset = 0;     // spacing and border above the first line
  int BottomInset = 0;
};

TRVLayout::Frame TRVLayout::FrameOf(const TRVDocument& doc, const TRVParagraph& para) const {
  Frame f;
  f.Style = &doc.Style.ParaStyles[static_cast<size_t>(para.ParaNo())];
  const TParaInfo& s = *f.Style;
  const int left = BorderInset(s.Border, kBorderLeft), right = BorderInset(s.Border, kBorderRight);
  f.ContentLeft = marginLeft_ + s.LeftIndent + left;
  f.Avail = std::max(1, width_ - marginLeft_ - marginRight_ - s.LeftIndent - s.RightIndent - left - right);
  f.TopInset = s.SpaceBefore + BorderInset(s.Border, kBorderTop);
  f.BottomInset = s.SpaceAfter + BorderInset(s.Border, kBorderBottom);
  return f;
}

TRVParaLayout TRVLayout::LayOut(const TRVDocument& doc, const TRVParagraph& para, TRVParaLayout keep,
                                int fromLine) {
  TRVParaLayout out = std::move(keep);
  const Frame f = FrameOf(doc, para);
  const TParaInfo& ps = *f.Style;
  const std::vector<TRVItem>& items = para.Items();
  const int itemCount = static_cast<int>(items.size());

  std::vector<int> starts(static_cast<size_t>(itemCount) + 1, 0);
  for (int i = 0; i < itemCount; ++i)
    starts[static_cast<size_t>(i) + 1] = starts[static_cast<size_t>(i)] + items[static_cast<size_t>(i)].EndOffset();
  const int total = starts.back();

  // Keep the lines before `fromLine`; lay out again from its start.
  int startOffset = 0;
  if (fromLine > 0 && fromLine < static_cast<int>(out.Lines.size()) &&
      out.Lines[static_cast<size_t>(fromLine)].Start <= total) {
    const TRVLayoutLine& from = out.Lines[static_cast<size_t>(fromLine)];
    startOffset = from.Start;
    out.Runs.resize(static_cast<size_t>(from.FirstRun));
    out.Lines.resize(static_cast<size_t>(fromLine));
  } else {
    fromLine = 0;
    out.Lines.clear();
    out.Runs.clear();
  }
  out.Revision = para.Revision();

  int firstItem = 0;
  while (firstItem + 1 < itemCount && starts[static_cast<size_t>(firstItem) + 1] <= startOffset &&
         items[static_cast<size_t>(firstItem) + 1].EndOffset() > 0)
    ++firstItem;
  const int base = starts[static_cast<size_t>(firstItem)];
  ++parasLaidOut_;
  itemsLaidOut_ += itemCount - firstItem;

  // ---- cells
  std::vector<Cell> cells;
  cells.reserve(static_cast<size_t>(total - base));
  std::vector<int> ext;
  for (int i = firstItem; i < itemCount; ++i) {
    const TRVItem& item = items[static_cast<size_t>(i)];
    if (const TRVTextItemInfo* t = item.AsText()) {
      const TFontInfo& font = doc.Style.TextStyles[static_cast<size_t>(t->StyleNo)];
      const std::string_view text = t->Text;
      auto segment = [&](size_t from, size_t to) {
        if (from >= to) return;
        const std::string_view seg = text.substr(from, to - from);
        ext.clear();
        metrics_.TextExtents(font, seg, ext);
        size_t k = 0;
        std::int64_t prev = 0;
        for (char c : seg) {
          if (!IsLeadByte(c)) continue;
          const std::int64_t at = k < ext.size() ? ext[k] : prev;
          cells.push_back({std::max<std::int64_t>(at - prev, 0), c == ' ' ? CellKind::Blank : CellKind::Char, i});
          prev = std::max(prev, at);
          ++k;
        }
      };
      size_t segStart = 0;
      for (size_t b = 0; b < text.size(); ++b) {
        if (text[b] != '\t' && text[b] != '\n') continue;
        segment(segStart, b);
        cells.push_back({0, text[b] == '\t' ? CellKind::Tab : CellKind::LineBreak, i});
        segStart = b + 1;
      }
      segment(segStart, text.size());
    } else if (const TRVPictureItemInfo* pic = item.AsPicture()) {
      cells.push_back({pic->Width, CellKind::Picture, i});
    } else {
      cells.push_back({0, CellKind::Break, i});
    }
  }
  const int n = static_cast<int>(cells.size());
  auto cell = [&](int offset) -> Cell& { return cells[static_cast<size_t>(offset - base)]; };

  // ---- lines
  std::int64_t y = fromLine > 0 ? std::int64_t{out.Lines.back().Top} + out.Lines.back().Height : f.TopInset;

  auto tabWidth = [&](int at, std::int64_t x) {
    const std::int64_t tx = x + ps.LeftIndent;
    std::int64_t stop = (tx >= 0 ? tx / kDefaultTabWidth + 1 : 0) * kDefaultTabWidth;
    TTabAlign align = TTabAlign::Left;
    for (const TRVTabInfo& tab : ps.Tabs)
      if (tab.Position > tx) {
        stop = tab.Position;
        align = tab.Align;
        break;
      }
    std::int64_t follow = 0;
    for (int k = at + 1; k < base + n; ++k) {
      const Cell& c = cell(k);
      if (c.Kind == CellKind::Tab || c.Kind == CellKind::LineBreak || c.Kind == CellKind::Break) break;
      follow += c.Width;
    }
    if (align == TTabAlign::Right) stop -= follow;
    if (align == TTabAlign::Center) stop -= follow / 2;
    return std::max<std::int64_t>(stop - tx, 0);
  };

  auto emit = [&](int s, int e, bool wrapped, int emptyItem) {
    TRVLayoutLine line;
    line.Start = s;
    line.End = e;
    line.Wrapped = wrapped;
    line.FirstRun = static_cast<int>(out.Runs.size());
    const bool first = out.Lines.empty();
    const std::int64_t lineLeft = first ? ps.FirstIndent : 0;

    int solidEnd = s;  // after the last cell that is not a blank or line break
    std::int64_t w = 0;
    for (int k = s; k < e; ++k) {
      const CellKind kind = cell(k).Kind;
      if (kind != CellKind::Blank && kind != CellKind::LineBreak) solidEnd = k + 1;
    }
    for (int k = s; k < solidEnd; ++k) w += cell(k).Width;
    const std::int64_t room = std::max<std::int64_t>(f.Avail - lineLeft - w, 0);
    std::int64_t x = f.ContentLeft + lineLeft;
    switch (ps.Alignment) {
      case TParaAlignment::Right: x += room; break;
      case TParaAlignment::Center: x += room / 2; break;
      case TParaAlignment::Justify:
        if (wrapped) {
          for (int k = s; k < solidEnd; ++k) line.Blanks += cell(k).Kind == CellKind::Blank;
          if (line.Blanks > 0) line.Extra = Sat(room);
        }
        break;
      default: break;
    }

    // Runs: text of one item runs together; everything else stands alone.
    int blank = 0;
    auto runKind = [](CellKind k) {
      switch (k) {
        case CellKind::Tab: return TRVRunKind::Tab;
        case CellKind::LineBreak: return TRVRunKind::LineBreak;
        case CellKind::Picture: return TRVRunKind::Picture;
        case CellKind::Break: return TRVRunKind::Break;
        default: return TRVRunKind::Text;
      }
    };
    std::int64_t runWidth = 0;
    auto close = [&] {
      if (out.Runs.size() > static_cast<size_t>(line.FirstRun)) {
        out.Runs.back().Width = Sat(runWidth);
        x += runWidth;
      }
      runWidth = 0;
    };
    for (int k = s; k < e; ++k) {
      const Cell& c = cell(k);
      const TRVRunKind kind = runKind(c.Kind);
      const bool joins = kind == TRVRunKind::Text && out.Runs.size() > static_cast<size_t>(line.FirstRun) &&
                         out.Runs.back().Kind == TRVRunKind::Text && out.Runs.back().Item == c.Item;
      if (!joins) {
        close();
        TRVLayoutRun r;
        r.Kind = kind;
        r.Item = c.Item;
        r.ItemStart = starts[static_cast<size_t>(c.Item)];
        r.Start = k;
        r.X = Sat(kind == TRVRunKind::Break ? f.ContentLeft : x);
        r.FirstBlank = blank;
        out.Runs.push_back(r);
      }
      out.Runs.back().End = k + 1;
      if (kind == TRVRunKind::Break) {
        runWidth = f.Avail;
      } else {
        runWidth += c.Width;
        if (c.Kind == CellKind::Blank) runWidth += Share(blank++, line.Extra, line.Blanks);
      }
    }
    close();
    if (e == s) {
      // An empty line (or the line after a final '\n') still has the
      // height of its text, and a place for the caret.
      TRVLayoutRun r;
      r.Item = emptyItem;
      r.ItemStart = starts[static_cast<size_t>(emptyItem)];
      r.Start = r.End = s;
      r.X = Sat(x);
      out.Runs.push_back(r);
    }
    line.RunCount = static_cast<int>(out.Runs.size()) - line.FirstRun;

    // Heights: text first, then pictures placed against it.
    int textAscent = 0, textDescent = 0;
    for (int r = line.FirstRun; r < line.FirstRun + line.RunCount; ++r) {
      TRVLayoutRun& run = out.Runs[static_cast<size_t>(r)];
      const TRVItem& item = items[static_cast<size_t>(run.Item)];
      if (const TRVTextItemInfo* t = item.AsText()) {
        const TRVFontExtent fe = Extent(doc, t->StyleNo);
        const TFontInfo& font = doc.Style.TextStyles[static_cast<size_t>(t->StyleNo)];
        run.Shift = Sat(std::int64_t{font.VShift} * fe.Height() / 100);
        run.Ascent = fe.Ascent + run.Shift;
        run.Descent = fe.Descent - run.Shift;
        textAscent = std::max(textAscent, run.Ascent);
        textDescent = std::max(textDescent, run.Descent);
      } else if (const TRVBreakItemInfo* br = item.AsBreak()) {
        run.Ascent = kBreakMargin + std::max(br->Width, 1);
        run.Descent = kBreakMargin;
        textAscent = std::max(textAscent, run.Ascent);
        textDescent = std::max(textDescent, run.Descent);
      }
    }
    int ascent = textAscent, descent = textDescent;
    for (int r = line.FirstRun; r < line.FirstRun + line.RunCount; ++r) {
      TRVLayoutRun& run = out.Runs[static_cast<size_t>(r)];
      const TRVPictureItemInfo* pic = items[static_cast<size_t>(run.Item)].AsPicture();
      if (!pic) continue;
      const int h = pic->Height;
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
    const std::int64_t natural = std::int64_t{ascent} + descent;
    line.Baseline = ascent;
    line.Height = Sat(std::max<std::int64_t>(natural * ps.LineSpacing / 100, 1));
    line.Top = Sat(y);
    y += line.Height;
    out.Lines.push_back(line);
  };

  // Greedy line breaking. `breakAt` is the last place a line may end.
  const int end = base + n;
  int lineStart = startOffset;
  bool endsWithLineBreak = false;
  auto lineLeftOf = [&] { return out.Lines.empty() ? std::int64_t{ps.FirstIndent} : 0; };
  std::int64_t x = lineLeftOf();
  int breakAt = -1;
  auto newLine = [&](int s, int e, bool wrapped) {
    emit(s, e, wrapped, s > base ? cell(s - 1).Item : firstItem);
    lineStart = e;
    x = lineLeftOf();
    breakAt = -1;
  };
  for (int k = startOffset; k < end;) {
    Cell& c = cell(k);
    endsWithLineBreak = false;
    if (c.Kind == CellKind::Break) {
      if (k > lineStart) newLine(lineStart, k, false);
      newLine(k, k + 1, false);
      ++k;
      continue;
    }
    if (c.Kind == CellKind::LineBreak) {
      newLine(lineStart, k + 1, false);
      endsWithLineBreak = true;
      ++k;
      continue;
    }
    if (c.Kind == CellKind::Tab) c.Width = tabWidth(k, x);
    if (c.Kind == CellKind::Picture && k > lineStart) breakAt = k;
    if (c.Kind != CellKind::Blank && k > lineStart && x + c.Width > f.Avail) {
      const int at = breakAt > lineStart ? breakAt : k;
      newLine(lineStart, at, true);
      k = at;
      continue;
    }
    x += c.Width;
    if (c.Kind == CellKind::Blank || c.Kind == CellKind::Tab || c.Kind == CellKind::Picture) breakAt = k + 1;
    ++k;
  }
  if (lineStart < end || out.Lines.empty() || endsWithLineBreak)
    emit(lineStart, end, false, lineStart > base ? cell(lineStart - 1).Item : firstItem);

  out.Height = Sat(y + f.BottomInset);
  return out;
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
  metrics_.TextExtents(doc.Style.TextStyles[static_cast<size_t>(t.StyleNo)], text, ext);
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
