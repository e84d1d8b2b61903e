// The document model of the rich-text engine.
//
// A TRVDocument is its style sheet, its background colour and a list of
// paragraphs. Each paragraph has a paragraph style number and a list of
// items: text (UTF-8 text in one text style; a hyperlink is text whose style
// has Jump, with a target), pictures, and horizontal lines (break items).
// Named checkpoints sit on items: each item may carry checkpoint names,
// which mark the place just before it.
//
// The model knows nothing of editing, caret, undo or layout; those work on
// it from outside. It keeps three promises for them:
//  - every change to a paragraph's items or style number gives it a fresh
//    revision stamp (TRVParagraph::Revision), so layout can reuse what it
//    laid out for any paragraph whose stamp it has seen;
//  - operator== compares documents exactly (styles, colour, paragraphs,
//    items, checkpoints; never revision stamps), for round-trip tests;
//  - ValidateDocument states every invariant below in one place, so
//    readers and fuzz targets can check what they build.
//
// Invariants of a valid document (ValidateDocument):
//  - the style sheet is valid (ValidateStyleSheet);
//  - every paragraph's ParaNo and every text item's StyleNo name styles of
//    the sheet;
//  - every paragraph has at least one item. An empty line is a paragraph
//    whose only item is an empty text item: its style gives the line its
//    height and the text typed into it. An empty text item anywhere else is
//    not allowed;
//  - text is valid UTF-8 without NUL or carriage return; '\t' is a tab and
//    '\n' a line break inside the paragraph. All other strings (targets,
//    names) are valid UTF-8 too;
//  - pictures have bytes, a size of 1..kMaxPictureSize pixels each way, and
//    kind and alignment in range; lines have a width of 0..kMaxParaMetric
//    and a style in range.
// A document may have no paragraphs at all (after Clear); an editor puts an
// empty line in the current styles into it before the first edit.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "richview/colors.h"
#include "richview/pictures.h"
#include "richview/styles.h"

namespace nv {

// Largest picture width or height, in pixels. Readers scale larger pictures
// down into it, keeping the aspect ratio.
inline constexpr int kMaxPictureSize = 65535;

// ---------------------------------------------------------------------- items

struct TRVTextItemInfo {
  std::string Text;    // UTF-8; see the invariants above
  int StyleNo = 0;     // text style number
  std::string Target;  // hyperlink target; used only when the style has Jump
  friend bool operator==(const TRVTextItemInfo&, const TRVTextItemInfo&) = default;
};

// Where a picture sits against the text of its line.
enum class TRVVAlign : std::uint8_t {
  Baseline = 0,  // bottom on the text's baseline (the default)
  Middle = 1,    // centre on the middle of the text
  Top = 2,       // top at the top of the line
  Bottom = 3,    // bottom at the bottom of the line
};

struct TRVPictureItemInfo {
  std::string Name;  // may be empty
  TRVPictureKind Kind = TRVPictureKind::Bmp;
  SharedBytes Data;  // the picture file's bytes, see TRVPictureKind
  int Width = 0;     // shown size, pixels
  int Height = 0;
  TRVVAlign VAlign = TRVVAlign::Baseline;
  friend bool operator==(const TRVPictureItemInfo&, const TRVPictureItemInfo&) = default;
};

// A picture as PNG bytes; nothing when it cannot be rendered. Writers of
// formats that have no form for some kinds (HTML pages for metafiles, RTF
// for GIF and ICO) take one from the program, which owns the decoders and
// the drawing, so the writers themselves stay free of both.
using TRVPictureToPng = std::function<std::optional<std::string>(const TRVPictureItemInfo&)>;

enum class TRVBreakStyle : std::uint8_t { Line = 0, Dotted = 1, Dashed = 2 };

// A horizontal line across the text width, on a line of its own.
struct TRVBreakItemInfo {
  int Width = 1;                           // thickness, pixels
  TRVBreakStyle Style = TRVBreakStyle::Line;
  TColor Color = clNone;                   // clNone = the window text colour
  friend bool operator==(const TRVBreakItemInfo&, const TRVBreakItemInfo&) = default;
};

enum class TRVItemKind : std::uint8_t { Text = 0, Picture = 1, Break = 2 };

class TRVItem {
 public:
  using Variant = std::variant<TRVTextItemInfo, TRVPictureItemInfo, TRVBreakItemInfo>;

  TRVItem() = default;  // empty text in style 0
  TRVItem(TRVTextItemInfo info) : Info(std::move(info)) {}
  TRVItem(TRVPictureItemInfo info) : Info(std::move(info)) {}
  TRVItem(TRVBreakItemInfo info) : Info(std::move(info)) {}

  static TRVItem MakeText(std::string text, int styleNo, std::string target = {});

  TRVItemKind Kind() const { return static_cast<TRVItemKind>(Info.index()); }
  bool IsText() const { return Kind() == TRVItemKind::Text; }

  // The item's data when it is of that kind, else nullptr.
  const TRVTextItemInfo* AsText() const { return std::get_if<TRVTextItemInfo>(&Info); }
  TRVTextItemInfo* AsText() { return std::get_if<TRVTextItemInfo>(&Info); }
  const TRVPictureItemInfo* AsPicture() const { return std::get_if<TRVPictureItemInfo>(&Info); }
  TRVPictureItemInfo* AsPicture() { return std::get_if<TRVPictureItemInfo>(&Info); }
  const TRVBreakItemInfo* AsBreak() const { return std::get_if<TRVBreakItemInfo>(&Info); }
  TRVBreakItemInfo* AsBreak() { return std::get_if<TRVBreakItemInfo>(&Info); }

  // The offset after the item's last character: the number of characters
  // for text, 1 for pictures and lines (which are one character wide).
  int EndOffset() const;

  Variant Info;
  // Names of the checkpoints just before this item, in document order.
  // Names may be empty and need not be unique.
  std::vector<std::string> Checkpoints;

  friend bool operator==(const TRVItem&, const TRVItem&) = default;
};

// ----------------------------------------------------------------- paragraphs

// Items of one paragraph. Items are reached read-only through Items() and
// Item(); every mutable access (MutableItems, MutableItem, AddItem,
// SetParaNo, Touch) gives the paragraph a new revision stamp first, so hold
// a mutable reference only while changing the paragraph.
class TRVParagraph {
 public:
  explicit TRVParagraph(int paraNo = 0);

  int ParaNo() const { return paraNo_; }
  void SetParaNo(int paraNo);

  const std::vector<TRVItem>& Items() const { return items_; }
  int ItemCount() const { return static_cast<int>(items_.size()); }
  // Checked: an index outside the paragraph raises EListError.
  const TRVItem& Item(int index) const;

  std::vector<TRVItem>& MutableItems();
  TRVItem& MutableItem(int index);
  TRVItem& AddItem(TRVItem item);

  // The revision stamp: unique across the process for each state a
  // paragraph has been put in. Copies keep the stamp (same content); any
  // change takes a new one. So equal stamps mean equal content, whatever
  // paragraph or document they are found in, and layout may cache by stamp.
  std::uint64_t Revision() const { return revision_; }
  void Touch();

  // True when the paragraph is an empty line (one empty text item).
  bool IsEmptyLine() const;

  // Stamps take no part: two paragraphs are equal when their content is.
  friend bool operator==(const TRVParagraph& a, const TRVParagraph& b) {
    return a.paraNo_ == b.paraNo_ && a.items_ == b.items_;
  }

 private:
  int paraNo_;
  std::vector<TRVItem> items_;
  std::uint64_t revision_;
};

// Merges neighbouring text items of the same StyleNo and Target (unless the
// second carries checkpoints, which would move) and removes empty text items
// from paragraphs that have other items; the checkpoints of a removed item
// go to the item after it, or to the one before when it was the last.
// Returns true (and gives a new stamp) when it changed anything.
bool NormalizeParagraph(TRVParagraph& para);

// ------------------------------------------------------------------ positions

// A place in the document: paragraph index, item index in the paragraph and
// offset in the item. Offsets count characters (Unicode code points) for
// text, from 0 before the first to EndOffset() after the last; pictures and
// lines have 0 (before) and 1 (after). The place between two items has two
// spellings, (p, i, end of item i) and (p, i + 1, 0); both are valid and
// SamePlace treats them as one. Ordering is by paragraph, item, offset.
struct TRVPosition {
  int Para = 0;
  int Item = 0;
  int Offset = 0;
  friend auto operator<=>(const TRVPosition&, const TRVPosition&) = default;
};

// A checkpoint found in the document: it sits just before item Item of
// paragraph Para.
struct TRVCheckpoint {
  int Para = 0;
  int Item = 0;
  std::string Name;
  friend bool operator==(const TRVCheckpoint&, const TRVCheckpoint&) = default;
};

// ------------------------------------------------------------------ documents

class TRVDocument {
 public:
  TRVStyle Style;                   // the style sheet; starts as the notebook's sheet
  TColor Color = clWindow;          // background colour
  std::vector<TRVParagraph> Paragraphs;

  int ParagraphCount() const { return static_cast<int>(Paragraphs.size()); }
  bool IsEmpty() const { return Paragraphs.empty(); }

  // Removes every paragraph; the style sheet and colour stay.
  void Clear() { Paragraphs.clear(); }

  TRVParagraph& AddParagraph(int paraNo);

  // Checked: indexes outside the document raise EListError.
  const TRVParagraph& Paragraph(int index) const;
  const TRVItem& Item(int para, int item) const;

  // True when the item is text in a hyperlink (Jump) style of the sheet.
  bool IsHyperlink(const TRVItem& item) const;

  bool IsValidPosition(const TRVPosition& pos) const;
  // Before the first item / after the last; {0, 0, 0} in an empty document,
  // where no position is valid.
  TRVPosition StartPosition() const;
  TRVPosition EndPosition() const;
  // Equal positions, or the two spellings of one place between items.
  bool SamePlace(const TRVPosition& a, const TRVPosition& b) const;

  // Every checkpoint in document order.
  std::vector<TRVCheckpoint> Checkpoints() const;
  // The first checkpoint of that name (exact match), if any.
  std::optional<TRVCheckpoint> FindCheckpoint(std::string_view name) const;

  friend bool operator==(const TRVDocument&, const TRVDocument&) = default;
};

// Empty when every invariant of the model holds (see the top of this file),
// else a short description of the first one broken, naming where.
std::string ValidateDocument(const TRVDocument& doc);

}  // namespace nv
