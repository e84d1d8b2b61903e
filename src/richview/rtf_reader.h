// The RTF reader's state machine, shared by the reader (rtf_reader.cpp) and
// its table of control words (rtf_controls.cpp). Not for other callers:
// they use LoadRTF from rtf.h.
//
// The reader walks the tokens once, keeping one state per open group on a
// stack of its own (never on the C++ call stack), so deep nesting costs
// memory bounded by kMaxRtfDepth. Each group state says where its text goes
// (its destination) and holds the character and paragraph formatting in
// force; control words are looked up in a table and run small handlers that
// change the top state.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "richview/document.h"
#include "richview/rtf_tokenizer.h"

namespace nv {

// Where the text of a group goes.
enum class RtfDest : std::uint8_t {
  Text,        // the document
  Skip,        // nowhere; control words inside are not even looked at
  Container,   // nowhere, but control words run (\object, \upr, \shp wait for
               // their \result, \ud, \shprslt)
  FontTable,
  ColorTable,
  Picture,
  FieldInst,   // a field's instruction text
  Bookmark,    // a bookmark's name
  Background,  // the document background's shape
  ShapeName,   // \sn inside the background
  ShapeValue,  // \sv inside the background
};

// Character formatting of a group. Colours and fonts are table indexes, so
// the style a run maps to is resolved once per combination (see
// RtfReader::TextStyleNo).
struct RtfCharProps {
  int font = -1;        // font number; -1 the document's default font
  int halfPoints = 24;  // \fs
  std::uint8_t style = 0;  // fsBold | fsItalic | fsUnderline | fsStrikeOut
  bool caps = false;
  bool hidden = false;  // \v: hidden text is not read
  int foreColor = -1;   // colour table index; -1 automatic
  int backColor = -1;   // colour table index; -1 none
  int raise = 0;        // \up (+) and \dn (-), half points
  std::int8_t script = 0;  // +1 \super, -1 \sub
  friend bool operator==(const RtfCharProps&, const RtfCharProps&) = default;
};

// Border kinds as RTF names them; the model knows fewer, so the kind is
// kept until the paragraph is built (a dotted bottom border on an empty
// paragraph is a dotted horizontal line).
enum class RtfBorderKind : std::uint8_t { None, Single, Double, Dotted, Dashed };

struct RtfParaProps {
  TParaAlignment align = TParaAlignment::Left;
  int leftIndent = 0, rightIndent = 0, firstIndent = 0;  // twips
  int spaceBefore = 0, spaceAfter = 0;                   // twips
  int lineSpacing = 0;  // \sl, twips; 0 single
  bool lineMultiple = false;  // \slmult1: \sl is a multiple of 240
  int shading = -1;     // \cbpat colour index; -1 none
  std::uint8_t borderSides = 0;  // kBorder* bits that have a border
  std::uint8_t borderTarget = 0; // sides the next \brdr* words describe
  RtfBorderKind borderKind = RtfBorderKind::None;
  int borderWidth = -1;  // twips; -1 not given
  int borderColor = -1;  // colour table index; -1 automatic
  int borderSpace = 0;   // twips
  std::vector<TRVTabInfo> tabs;  // positions in pixels, in the order read
  TTabAlign tabAlign = TTabAlign::Left;  // for the next \tx
  std::string tabLeader;                 // for the next \tx
  bool rightToLeft = false;
};

struct RtfGroupState {
  RtfCharProps chr;
  RtfParaProps para;
  int uc = 1;  // bytes of fallback after each \u
  RtfDest dest = RtfDest::Text;
  RtfDest bodyDest = RtfDest::Text;  // where \result, \ud, \shprslt return to
  bool ownsDest = false;   // the destination started in this group
  bool ownsField = false;  // the \field started in this group
  int field = -1;      // innermost open field (index into fields_)
  int instField = -1;  // the field whose instruction this group's text extends
  int link = -1;       // field whose hyperlink this group's text belongs to
  bool inBackground = false;
};

struct RtfFont {
  std::string name;
  int charset = -1;   // -1 not given
  int codePage = -1;  // \cpg; -1 not given
};

struct RtfField {
  std::string inst;
  RtfDest outerDest = RtfDest::Text;
  bool parsed = false;
  bool isLink = false;
  std::string target;
};

struct RtfPicture {
  std::optional<TRVPictureKind> kind;  // nothing for picture types not read
  int picw = 0, pich = 0;          // \picw \pich
  int goalw = 0, goalh = 0;        // \picwgoal \pichgoal, twips
  int scalex = 100, scaley = 100;  // \picscalex \picscaley, percent
  bool metafile = false;           // \picw/\pich are 0.01 mm, not pixels
  std::vector<std::uint8_t> data;
  int nibble = -1;                 // a first hex digit waiting for its second
  bool wanted = false;             // inside the document's text, not hidden
};

class RtfReader {
 public:
  RtfReader(std::string_view input, TRVDocument& doc);
  bool Run();

  // ---- used by the control word handlers
  RtfGroupState& Top() { return stack_.back(); }
  RtfToken token;  // the control word being handled

  void SetDest(RtfDest dest);  // the top group's destination, owned by it
  void EmitChar(char32_t c);   // a character for the top destination
  void EmitUnicode(std::int32_t value);  // \uN
  void StartSkipping() { ucSkip_ = Top().uc; }
  void EndParagraph();
  // True the first time the paragraph being read asks to show its number.
  bool TakeParagraphNumber() { return !std::exchange(numberShown_, true); }
  void StartField();
  void StartFieldResult();
  void StartPicture(bool wanted);
  RtfPicture& Picture() { return pict_; }
  void StartFontEntry(int number);
  void SetFontCharset(int charset) { fontCharset_ = charset; }
  void SetFontCodePage(int codePage) { fontCodePage_ = codePage; }
  void SetColorComponent(int shift, int value);
  void SetBackgroundFill(std::uint32_t value) { backgroundFill_ = value; }
  void ClearShapeProperty() { shapeName_.clear(); shapeValue_.clear(); }
  void SetDocumentCodePage(int codePage) { docCodePage_ = codePage; }
  void SetDefaultFont(int number) { defaultFont_ = number; }

 private:
  bool Dispatch(const RtfToken& t, bool ignorable);
  void HandleSymbol(char c);
  void OpenGroup();
  void CloseGroup();
  void FinishDest(const RtfGroupState& closing);
  void EmitBytes(std::string_view bytes);
  void EmitUtf8(std::string_view utf8);
  void FlushSurrogate();
  void FlushPendingBytes();
  const std::string& DecodePending();
  int CodePage();

  void AppendText(std::string_view utf8);
  void FlushRun();
  const std::string& LinkTarget() const;
  int TextStyleNo();
  TFontInfo TextCandidate(const RtfCharProps& chr, bool jump) const;
  TParaInfo ParaCandidate(const RtfParaProps& para, bool withBorder) const;
  int ParaStyleNo(const TParaInfo& candidate);
  std::optional<TColor> TableColor(int index) const;
  void AddItem(TRVItem item);
  void FinishPicture();
  void CommitFont();
  void FinishDocument();

  RtfTokenizer tokens_;
  TRVDocument& doc_;
  std::vector<RtfGroupState> stack_;
  std::vector<RtfField> fields_;
  bool ignorable_ = false;  // \* seen: the next control word may be skipped
  int ucSkip_ = 0;          // fallback bytes still to skip after \u
  int highSurrogate_ = -1;
  // The bytes of a multi-byte character read so far (a double-byte lead,
  // the start of a UTF-8 sequence), the count it needs and its code page.
  std::string pending_;
  int pendingLength_ = 0;
  int pendingCodePage_ = 0;
  // Multi-byte characters decoded so far, by code page and bytes: each
  // costs the code-page service a conversion of its own, and a document
  // uses a few thousand distinct ones at most.
  std::unordered_map<std::uint64_t, std::string> decoded_;

  // Tables.
  std::map<int, RtfFont> fonts_;
  int defaultFont_ = 0;
  int docCodePage_ = 1252;
  std::vector<std::optional<TColor>> colors_;
  int colorParts_[3] = {-1, -1, -1};  // red, green, blue of the entry being read
  bool fontOpen_ = false;
  int fontNumber_ = 0;
  int fontCharset_ = -1;
  int fontCodePage_ = -1;
  std::string fontName_;

  // Destinations other than the text.
  RtfPicture pict_;
  std::string bookmark_;
  std::string shapeName_, shapeValue_;
  std::optional<std::uint32_t> backgroundFill_;

  // The paragraph being read.
  std::vector<TRVItem> items_;
  std::string run_;
  int runStyle_ = 0;
  std::string runTarget_;
  std::vector<std::string> runCheckpoints_;
  std::vector<std::string> checkpoints_;  // waiting for the next item
  bool numberShown_ = false;  // the paragraph's \listtext or \pntext was read

  // Style lookups by formatting, so each combination costs one lookup.
  struct StyleKey {
    RtfCharProps chr;
    bool jump;
    friend bool operator==(const StyleKey&, const StyleKey&) = default;
  };
  struct StyleKeyHash {
    std::size_t operator()(const StyleKey& k) const;
  };
  std::unordered_map<StyleKey, int, StyleKeyHash> styleCache_;
  int textStylesAtStart_ = 0;  // the sheet before reading, to bound what is added
  int paraStylesAtStart_ = 0;
  std::optional<TParaInfo> lastPara_;
  int lastParaNo_ = 0;
};

// Runs the handler of a control word; false when the word is not known.
// With `ignorable` (after \*) picture words are not looked at.
bool RunControlWord(RtfReader& reader, bool ignorable);

}  // namespace nv
