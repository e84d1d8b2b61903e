// Layout of a document: lines, item placement, hit testing and caret
// rectangles, with font metrics injected so the same code runs natively
// (with fake metrics) and on Windows (with GDI).
//
// Coordinates are pixels of the document: x from the left edge of the
// view, y from the top of the document. Each paragraph is laid out on its
// own and cached under its revision stamp, so after an edit only
// paragraphs with a stamp not seen before are laid out again; the tops of
// the paragraphs below are recomputed only when someone asks for them.
// A new width lays out everything again.
//
// Line breaking: lines break after blanks, before and after pictures, and
// after tabs; a word longer than the line is broken between characters.
// Blanks at the end of a line hang past its edge. '\n' ends a line inside a
// paragraph; a horizontal line stands on a line of its own across the
// whole text width. Pictures are inline boxes of their pixel size, placed
// against the text of their line by their vertical alignment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "richview/document.h"
#include "richview/edit_range.h"

namespace nv {

struct TRVFontExtent {
  int Ascent = 0;   // above the baseline
  int Descent = 0;  // below it
  int Height() const { return Ascent + Descent; }
};

// Text measurement for one text style. Implementations apply everything
// the style says about the look of the text (face, size, bold, italic,
// character scale and spacing, capitals); layout only asks.
class IFontMetrics {
 public:
  virtual ~IFontMetrics() = default;
  virtual TRVFontExtent FontExtent(const TFontInfo& font) = 0;
  // For each code point of `text` (UTF-8 without tabs or line breaks), the
  // width of the text up to and including it, appended to `out`.
  virtual void TextExtents(const TFontInfo& font, std::string_view text, std::vector<int>& out) = 0;
};

// Every character as wide as the font's size in points; ascent 1.2 and
// descent 0.4 times the size. For tests and benchmarks.
class TMonoFontMetrics : public IFontMetrics {
 public:
  static int CharWidth(const TFontInfo& font) { return font.Size > 0 ? font.Size : 1; }
  TRVFontExtent FontExtent(const TFontInfo& font) override;
  void TextExtents(const TFontInfo& font, std::string_view text, std::vector<int>& out) override;
};

struct TRVRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  friend bool operator==(const TRVRect&, const TRVRect&) = default;
};

enum class TRVRunKind : std::uint8_t { Text, Tab, LineBreak, Picture, Break };

// A piece of one item on one line.
struct TRVLayoutRun {
  TRVRunKind Kind = TRVRunKind::Text;
  int Item = 0;       // item number in the paragraph
  int ItemStart = 0;  // paragraph offset of the item's first character
  int Start = 0;      // paragraph offsets of the characters it shows, [Start, End)
  int End = 0;
  int X = 0;          // left edge, document coordinates
  int Width = 0;
  int Ascent = 0;     // extent above / below the line's baseline
  int Descent = 0;
  int Shift = 0;      // text raised by this much (vertical shift of the style)
  int FirstBlank = 0; // number of the run's first blank among its line's blanks
  friend bool operator==(const TRVLayoutRun&, const TRVLayoutRun&) = default;
};

struct TRVLayoutLine {
  int Start = 0;      // paragraph offsets [Start, End)
  int End = 0;
  int Top = 0;        // from the top of the paragraph
  int Height = 0;
  int Baseline = 0;   // from the top of the line
  int FirstRun = 0;   // runs [FirstRun, FirstRun + RunCount) of the paragraph
  int RunCount = 0;
  bool Wrapped = false;  // ended because the text after it did not fit
  int Blanks = 0;        // justified lines: Extra pixels go to the first
  int Extra = 0;         // Blanks blanks of the line
  friend bool operator==(const TRVLayoutLine&, const TRVLayoutLine&) = default;
};

struct TRVParaLayout {
  std::uint64_t Revision = 0;
  int Height = 0;  // spacing and border included
  std::vector<TRVLayoutLine> Lines;
  std::vector<TRVLayoutRun> Runs;
  friend bool operator==(const TRVParaLayout&, const TRVParaLayout&) = default;
};

class TRVLayout {
 public:
  static constexpr int kDefaultTabWidth = 48;  // half an inch
  static constexpr int kBreakMargin = 4;       // above and below a horizontal line

  // The metrics must outlive the layout.
  explicit TRVLayout(IFontMetrics& metrics) : metrics_(metrics) {}

  // The view's width, margins included. Changing it (or the margins) lays
  // everything out again at the next formatting.
  void SetWidth(int width);
  int Width() const { return width_; }
  void SetMargins(int left, int top, int right, int bottom);
  // The display's dots per inch. The style sheet's lengths (indents,
  // spacing, borders, tab stops, line widths) and picture sizes are pixels
  // at 96 DPI and are laid out scaled to it; fonts are measured at it by the
  // metrics. Changing it lays everything out again.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  // A length at 96 DPI in pixels of this layout.
  int Px(int length96) const;
  // Printing: a picture wider than its paragraph's text width is laid out
  // shrunk to that width, keeping its aspect ratio (the document keeps its
  // size). Off for the screen, where a wide picture is scrolled to instead.
  void SetFitPictures(bool fit);
  bool FitPictures() const { return fitPictures_; }
  // Forgets every paragraph laid out (after the style sheet was replaced).
  void Invalidate();

  // Every paragraph, reusing what was laid out for stamps already seen.
  void Format(const TRVDocument& doc);
  // Only the paragraphs the change names (see TRVDocChange).
  void Update(const TRVDocument& doc, const TRVDocChange& change);
  // After items were appended at the end of the document, starting at
  // `firstNew`: lays out only from the last line before them on.
  void FormatTail(const TRVDocument& doc, TRVPosition firstNew);

  int ParagraphCount() const { return static_cast<int>(paras_.size()); }
  const TRVParaLayout& Para(int p) const { return paras_[static_cast<size_t>(p)]; }
  int ParaTop(int p) const;
  int DocumentHeight() const;

  // The caret position nearest to a point, and the caret's rectangle at a
  // position (1 pixel wide, as high as its line). Both need a formatted
  // layout of this document.
  TRVPosition HitTest(const TRVDocument& doc, int x, int y) const;
  TRVRect CaretRect(const TRVDocument& doc, TRVPosition pos) const;
  // The x of each character boundary of a run of Para(para).Runs: one more
  // than its characters for text (from X to X + Width), 2 for the rest.
  std::vector<int> RunBoundaries(const TRVDocument& doc, int para, const TRVLayoutRun& run) const;

  // What was laid out since the counters were reset, for tests and
  // benchmarks: paragraphs and items.
  std::int64_t ParagraphsLaidOut() const { return parasLaidOut_; }
  std::int64_t ItemsLaidOut() const { return itemsLaidOut_; }
  void ResetCounters() { parasLaidOut_ = itemsLaidOut_ = 0; }

 private:
  TParaInfo Scaled(const TParaInfo& style) const;
  class Builder;
  friend class Builder;
  TRVParaLayout LayOut(const TRVDocument& doc, const TRVParagraph& para, TRVParaLayout keep = {},
                       int fromLine = 0);
  const TRVFontExtent& Extent(const TRVDocument& doc, int styleNo);
  void EnsureTops(int count) const;
  void HeightsChangedFrom(int para);

  IFontMetrics& metrics_;
  int width_ = 600;
  int marginLeft_ = 5, marginTop_ = 5, marginRight_ = 5, marginBottom_ = 5;
  int dpi_ = 96;
  bool fitPictures_ = false;

  std::vector<TRVParaLayout> paras_;
  mutable std::vector<int> tops_;  // tops_[p] for p < topsValid_; tops_[n] is the bottom
  mutable int topsValid_ = 0;

  std::vector<TRVFontExtent> extents_;  // per text style, for one formatting
  std::vector<bool> haveExtent_;
  std::int64_t parasLaidOut_ = 0;
  std::int64_t itemsLaidOut_ = 0;
};

}  // namespace nv
