#include "richview/rvf.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "richview/rvf_files.h"
#include "richview/utf8.h"
#include "ui/text.h"

namespace nv {

namespace {

// "NVRVF", then CR LF and Ctrl+Z, so that a transfer that mangles line ends
// or stops at end-of-file marks breaks the signature rather than the data.
constexpr std::string_view kMagic("NVRVF\r\n\x1A", 8);

// Record kinds, distinct across the levels so that a dump reads plainly.
enum : std::uint32_t {
  kEnd = 0,
  kStyleSheet = 1,
  kBackground = 2,
  kParagraph = 3,
  kTextStyle = 16,
  kParaStyle = 17,
  kTextItem = 32,
  kPictureItem = 33,
  kBreakItem = 34,
  kCheckpoint = 35,
  kImageListBullet = 36,
};

// Picture kinds as the file numbers them, independent of the enum's values.
constexpr std::array<std::pair<std::uint8_t, TRVPictureKind>, 7> kPictureCodes = {{
    {1, TRVPictureKind::Bmp},
    {2, TRVPictureKind::Wmf},
    {3, TRVPictureKind::Emf},
    {4, TRVPictureKind::Ico},
    {5, TRVPictureKind::Jpg},
    {6, TRVPictureKind::Gif},
    {7, TRVPictureKind::Png},
}};

std::uint8_t PictureCode(TRVPictureKind kind) {
  for (const auto& [code, k] : kPictureCodes)
    if (k == kind) return code;
  return 0;
}

std::optional<TRVPictureKind> PictureKindOfCode(std::uint8_t code) {
  for (const auto& [c, kind] : kPictureCodes)
    if (c == code) return kind;
  return std::nullopt;
}

std::string_view AsChars(const SharedBytes& b) {
  return {reinterpret_cast<const char*>(b.data()), b.size()};
}

// ------------------------------------------------------------- field lists
//
// Each structure's fields are listed once; the same list writes and reads
// them, so the two cannot drift apart. IO is FieldWriter or FieldReader, S
// the structure, const when writing.

template <class IO, class F>
void FontFields(IO& io, F& f) {
  io.Text(f.StyleName);
  io.Text(f.FontName);
  io.Int(f.Size);
  io.U32(f.Color);
  io.U32(f.BackColor);
  io.U32(f.HoverColor);
  io.U32(f.HoverBackColor);
  io.U8(f.Style);
  io.U8(f.Effects);
  io.Int(f.Charset);
  io.Flag(f.Jump);
  io.Int(f.JumpCursor);
  io.Int(f.VShift);
  io.Int(f.CharScale);
  io.Int(f.CharSpacing);
  io.U32(f.Protection);
  io.U32(f.Options);
  io.Enum(f.BiDiMode);
  io.Int(f.BaseStyleNo);
  io.Flag(f.Unicode);
  io.Int(f.NextStyleNo);
  io.Flag(f.Standard);
}

template <class IO, class P>
void ParaFields(IO& io, P& p) {
  io.Text(p.StyleName);
  io.Enum(p.Alignment);
  io.Int(p.LeftIndent);
  io.Int(p.FirstIndent);
  io.Int(p.RightIndent);
  io.Int(p.SpaceBefore);
  io.Int(p.SpaceAfter);
  io.Int(p.LineSpacing);
  io.U32(p.Background.Color);
  io.Enum(p.Border.Style);
  io.Int(p.Border.Width);
  io.U32(p.Border.Color);
  io.U8(p.Border.Sides);
  io.Int(p.Border.Padding);
  io.Tabs(p.Tabs);
  io.Enum(p.BiDiMode);
  io.Flag(p.Standard);
}

template <class IO, class T>
void TabFields(IO& io, T& t) {
  io.Int(t.Position);
  io.Enum(t.Align);
  io.Text(t.Leader);
}

template <class IO, class T>
void TextFields(IO& io, T& t) {
  io.Int(t.StyleNo);
  io.Text(t.Text);
  io.Text(t.Target);
}

// The picture's kind code comes first and its bytes last, around these.
template <class IO, class P>
void PictureFields(IO& io, P& p) {
  io.Int(p.Width);
  io.Int(p.Height);
  io.Enum(p.VAlign);
  io.Text(p.Name);
}

template <class IO, class B>
void BreakFields(IO& io, B& b) {
  io.Int(b.Width);
  io.Enum(b.Style);
  io.U32(b.Color);
}

// ------------------------------------------------------------------ writing

class Writer {
 public:
  void U8(std::uint8_t v) { out_ += static_cast<char>(v); }
  void U16(std::uint16_t v) { Le(v, 2); }
  void U32(std::uint32_t v) { Le(v, 4); }
  void U64(std::uint64_t v) { Le(v, 8); }
  void Raw(std::string_view b) { out_ += b; }
  void Bytes(std::string_view b) {
    U64(b.size());
    out_ += b;
  }

  // A record: its kind, its length (patched in by End) and its payload.
  std::size_t Begin(std::uint32_t kind) {
    U32(kind);
    const std::size_t at = out_.size();
    U64(0);
    return at;
  }
  void End(std::size_t at) {
    std::uint64_t length = out_.size() - at - 8;
    for (std::size_t i = 0; i < 8; ++i, length >>= 8) out_[at + i] = static_cast<char>(length & 0xFF);
  }

  std::string Take() { return std::move(out_); }

 private:
  void Le(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i, v >>= 8) out_ += static_cast<char>(v & 0xFF);
  }
  std::string out_;
};

struct FieldWriter {
  Writer& w;
  void Int(int v) { w.U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(v))); }
  void U32(std::uint32_t v) { w.U32(v); }
  void U8(std::uint8_t v) { w.U8(v); }
  void Flag(bool v) { w.U8(v ? 1 : 0); }
  template <class E>
  void Enum(E e) {
    w.U8(static_cast<std::uint8_t>(e));
  }
  void Text(std::string_view s) { w.Bytes(s); }
  void Tabs(const std::vector<TRVTabInfo>& tabs) {
    w.U32(static_cast<std::uint32_t>(tabs.size()));
    for (const TRVTabInfo& t : tabs) TabFields(*this, t);
  }
};

void WriteStyleSheet(Writer& w, const TRVStyle& style) {
  FieldWriter io{w};
  const std::size_t sheet = w.Begin(kStyleSheet);
  io.Int(style.DefUnicodeStyle);
  for (const TFontInfo& f : style.TextStyles) {
    const std::size_t at = w.Begin(kTextStyle);
    FontFields(io, f);
    w.End(at);
  }
  for (const TParaInfo& p : style.ParaStyles) {
    const std::size_t at = w.Begin(kParaStyle);
    ParaFields(io, p);
    w.End(at);
  }
  w.End(sheet);
}

void WriteItem(Writer& w, const TRVItem& item) {
  FieldWriter io{w};
  for (const std::string& name : item.Checkpoints) {
    const std::size_t at = w.Begin(kCheckpoint);
    io.Text(name);
    w.End(at);
  }
  if (const TRVTextItemInfo* t = item.AsText()) {
    const std::size_t at = w.Begin(kTextItem);
    TextFields(io, *t);
    w.End(at);
  } else if (const TRVPictureItemInfo* p = item.AsPicture()) {
    const std::size_t at = w.Begin(kPictureItem);
    w.U8(PictureCode(p->Kind));
    PictureFields(io, *p);
    w.Bytes(AsChars(p->Data));
    w.End(at);
  } else if (const TRVBreakItemInfo* b = item.AsBreak()) {
    const std::size_t at = w.Begin(kBreakItem);
    BreakFields(io, *b);
    w.End(at);
  }
}

// ------------------------------------------------------------------ reading

// Thrown inside the reader when the bytes cannot be a whole, sound file;
// LoadRVF turns it into false.
struct BadFile {};

class Reader {
 public:
  explicit Reader(std::string_view bytes) : b_(bytes) {}

  bool AtEnd() const { return pos_ == b_.size(); }
  std::size_t Remaining() const { return b_.size() - pos_; }

  // Sizes are checked against what is left before anything is allocated,
  // so no length in a file can make the reader ask for more memory than
  // the file itself holds.
  std::string_view Take(std::uint64_t n) {
    if (n > Remaining()) throw BadFile{};
    const std::string_view s = b_.substr(pos_, static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    return s;
  }
  std::uint8_t U8() { return static_cast<std::uint8_t>(Le(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Le(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Le(4)); }
  std::uint64_t U64() { return Le(8); }
  std::string_view Bytes() { return Take(U64()); }

  // The next record: sets its kind and answers a reader over its payload.
  // Whatever the payload holds beyond what the caller reads is skipped.
  Reader Record(std::uint32_t& kind) {
    kind = U32();
    return Reader(Bytes());
  }

 private:
  std::uint64_t Le(int n) {
    const std::string_view s = Take(static_cast<std::uint64_t>(n));
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
    return v;
  }

  std::string_view b_;
  std::size_t pos_ = 0;
};

struct FieldReader {
  Reader& r;
  void Int(int& v) { v = static_cast<std::int32_t>(r.U32()); }
  void U32(std::uint32_t& v) { v = r.U32(); }
  void U8(std::uint8_t& v) { v = r.U8(); }
  void Flag(bool& v) { v = r.U8() != 0; }
  template <class E>
  void Enum(E& e) {
    e = static_cast<E>(r.U8());
  }
  void Text(std::string& s) { s = std::string(r.Bytes()); }
  void Tabs(std::vector<TRVTabInfo>& tabs) {
    const std::uint32_t count = r.U32();
    constexpr std::size_t kSmallestTab = 4 + 1 + 8;
    if (count > r.Remaining() / kSmallestTab) throw BadFile{};
    tabs.resize(count);
    for (TRVTabInfo& t : tabs) TabFields(*this, t);
  }
};

// ------------------------------------------- bringing values into range

void RepairUtf8(std::string& s) {
  if (!IsValidUtf8(s)) s = Utf16ToUtf8(Utf8ToUtf16(s));
}

void SanitizeFont(TFontInfo& f) {
  RepairUtf8(f.StyleName);
  RepairUtf8(f.FontName);
  f.Size = std::clamp(f.Size, kMinFontSize, kMaxFontSize);
  f.Style &= kAllFontStyles;
  f.Effects &= kAllFontEffects;
  f.Charset = std::clamp(f.Charset, 0, 255);
  f.VShift = std::clamp(f.VShift, -kMaxVShift, kMaxVShift);
  f.CharScale = std::clamp(f.CharScale, kMinCharScale, kMaxCharScale);
  f.CharSpacing = std::clamp(f.CharSpacing, -kMaxCharSpacing, kMaxCharSpacing);
  if (f.BiDiMode > TRVBiDiMode::RightToLeft) f.BiDiMode = TRVBiDiMode::Unspecified;
}

void SanitizePara(TParaInfo& p) {
  RepairUtf8(p.StyleName);
  if (p.Alignment > TParaAlignment::Justify) p.Alignment = TParaAlignment::Left;
  for (int* v : {&p.LeftIndent, &p.FirstIndent, &p.RightIndent})
    *v = std::clamp(*v, -kMaxParaMetric, kMaxParaMetric);
  for (int* v : {&p.SpaceBefore, &p.SpaceAfter, &p.Border.Width, &p.Border.Padding})
    *v = std::clamp(*v, 0, kMaxParaMetric);
  p.LineSpacing = std::clamp(p.LineSpacing, kMinLineSpacing, kMaxLineSpacing);
  if (p.Border.Style > TParaBorderStyle::Double) p.Border.Style = TParaBorderStyle::None;
  p.Border.Sides &= kAllBorderSides;
  if (p.BiDiMode > TRVBiDiMode::RightToLeft) p.BiDiMode = TRVBiDiMode::Unspecified;
  for (TRVTabInfo& t : p.Tabs) {
    t.Position = std::clamp(t.Position, 0, kMaxParaMetric);
    if (t.Align > TTabAlign::Center) t.Align = TTabAlign::Left;
    RepairUtf8(t.Leader);
  }
  // Ascending, no two at one place: the first of equal positions stays.
  std::stable_sort(p.Tabs.begin(), p.Tabs.end(),
                   [](const TRVTabInfo& a, const TRVTabInfo& b) { return a.Position < b.Position; });
  p.Tabs.erase(std::unique(p.Tabs.begin(), p.Tabs.end(),
                           [](const TRVTabInfo& a, const TRVTabInfo& b) { return a.Position == b.Position; }),
               p.Tabs.end());
}

// Larger pictures are scaled down into the model's limit, keeping their
// aspect ratio; a size below one pixel becomes one.
void FitPictureSize(int& width, int& height) {
  std::int64_t w = std::max(width, 1), h = std::max(height, 1);
  if (w > kMaxPictureSize || h > kMaxPictureSize) {
    const std::int64_t big = std::max(w, h);
    w = std::max<std::int64_t>(1, w * kMaxPictureSize / big);
    h = std::max<std::int64_t>(1, h * kMaxPictureSize / big);
  }
  width = static_cast<int>(w);
  height = static_cast<int>(h);
}

// Empty text is only allowed as a paragraph's one item; elsewhere it goes,
// handing its checkpoints to the item after it (or before it, at the end).
void DropStrayEmptyText(std::vector<TRVItem>& items) {
  if (items.size() < 2) return;
  std::vector<TRVItem> kept;
  std::vector<std::string> pending;
  for (TRVItem& item : items) {
    const TRVTextItemInfo* t = item.AsText();
    if (t && t->Text.empty()) {
      pending.insert(pending.end(), item.Checkpoints.begin(), item.Checkpoints.end());
      continue;
    }
    item.Checkpoints.insert(item.Checkpoints.begin(), pending.begin(), pending.end());
    pending.clear();
    kept.push_back(std::move(item));
  }
  if (kept.empty()) {
    kept.push_back(std::move(items.front()));
    kept.front().Checkpoints = std::move(pending);
  } else {
    kept.back().Checkpoints.insert(kept.back().Checkpoints.end(), pending.begin(), pending.end());
  }
  items = std::move(kept);
}

class Loader {
 public:
  // Throws BadFile at the first sign of damage; what was read whole until
  // then stays in the members.
  void Load(std::string_view bytes) {
    Reader r(bytes);
    if (r.Take(kMagic.size()) != kMagic) throw BadFile{};
    const std::uint16_t major = r.U16();
    r.U16();  // minor version: only additions an older reader skips
    if (major != kRVFVersionMajor) throw BadFile{};
    for (;;) {
      std::uint32_t kind = 0;
      Reader record = r.Record(kind);
      if (kind == kEnd) return;
      ReadSection(kind, record);
    }
  }

  bool HasSheet() const { return haveSheet_; }
  unsigned Warnings() const { return warnings_; }

  // Moves what was read into doc. Checkpoints after the last item of the
  // document go onto that item.
  void Finish(TRVDocument& doc, bool complete) {
    if (complete && !pending_.empty() && !paras_.empty()) {
      TRVItem& last = paras_.back().MutableItems().back();
      last.Checkpoints.insert(last.Checkpoints.end(), pending_.begin(), pending_.end());
    }
    doc.Style = std::move(sheet_);
    doc.Color = color_;
    doc.Paragraphs = std::move(paras_);
  }

 private:
  void ReadSection(std::uint32_t kind, Reader& r) {
    switch (kind) {
      case kStyleSheet: ReadStyleSheet(r); break;
      case kBackground: color_ = r.U32(); break;
      case kParagraph: ReadParagraph(r); break;
      default: break;  // a newer writer's optional section
    }
  }

  void ReadStyleSheet(Reader& r) {
    if (haveSheet_) throw BadFile{};
    FieldReader io{r};
    TRVStyle sheet;
    sheet.TextStyles.clear();
    sheet.ParaStyles.clear();
    io.Int(sheet.DefUnicodeStyle);
    while (!r.AtEnd()) {
      std::uint32_t kind = 0;
      Reader record = r.Record(kind);
      FieldReader field{record};
      if (kind == kTextStyle) {
        FontFields(field, sheet.TextStyles.emplace_back());
        SanitizeFont(sheet.TextStyles.back());
      } else if (kind == kParaStyle) {
        ParaFields(field, sheet.ParaStyles.emplace_back());
        SanitizePara(sheet.ParaStyles.back());
      }
    }
    if (sheet.TextStyles.empty() || sheet.ParaStyles.empty()) throw BadFile{};
    CheckTextStyleNumber(sheet, sheet.DefUnicodeStyle);
    for (TFontInfo& f : sheet.TextStyles) {
      CheckTextStyleNumber(sheet, f.BaseStyleNo);
      CheckTextStyleNumber(sheet, f.NextStyleNo);
    }
    sheet_ = std::move(sheet);
    haveSheet_ = true;
  }

  // Style numbers inside the sheet may be -1 (none).
  void CheckTextStyleNumber(const TRVStyle& sheet, int& no) {
    if (no != -1 && !sheet.HasTextStyle(no)) {
      no = -1;
      warnings_ |= rvfwInvalidStyle;
    }
  }

  void ReadParagraph(Reader& r) {
    if (!haveSheet_) throw BadFile{};
    int paraNo = static_cast<std::int32_t>(r.U32());
    if (!sheet_.HasParaStyle(paraNo)) {
      paraNo = 0;
      warnings_ |= rvfwInvalidStyle;
    }
    std::vector<TRVItem> items;
    while (!r.AtEnd()) {
      std::uint32_t kind = 0;
      Reader record = r.Record(kind);
      std::optional<TRVItem> item = ReadItem(kind, record);
      if (!item) continue;
      item->Checkpoints = std::exchange(pending_, {});
      items.push_back(std::move(*item));
    }
    DropStrayEmptyText(items);
    if (items.empty()) {
      // Nothing this reader could show: keep the line, empty.
      items.push_back(TRVItem::MakeText("", 0));
      items.back().Checkpoints = std::exchange(pending_, {});
    }
    TRVParagraph& para = paras_.emplace_back(paraNo);
    para.MutableItems() = std::move(items);
  }

  // Nothing for records that are no item of the model.
  std::optional<TRVItem> ReadItem(std::uint32_t kind, Reader& r) {
    using ReadFn = std::optional<TRVItem> (Loader::*)(Reader&);
    static constexpr std::pair<std::uint32_t, ReadFn> kItemKinds[] = {
        {kTextItem, &Loader::ReadText},
        {kPictureItem, &Loader::ReadPicture},
        {kBreakItem, &Loader::ReadBreak},
        {kCheckpoint, &Loader::ReadCheckpoint},
        {kImageListBullet, &Loader::ReadImageListBullet},
    };
    for (const auto& [k, read] : kItemKinds)
      if (k == kind) return (this->*read)(r);
    warnings_ |= rvfwUnknownCtrlClass;
    return std::nullopt;
  }

  std::optional<TRVItem> ReadText(Reader& r) {
    FieldReader io{r};
    TRVTextItemInfo t;
    TextFields(io, t);
    if (!sheet_.HasTextStyle(t.StyleNo)) {
      t.StyleNo = 0;
      warnings_ |= rvfwInvalidStyle;
    }
    t.Text = CleanItemText(t.Text);
    RepairUtf8(t.Target);
    return TRVItem(std::move(t));
  }

  std::optional<TRVItem> ReadPicture(Reader& r) {
    FieldReader io{r};
    const std::optional<TRVPictureKind> kind = PictureKindOfCode(r.U8());
    TRVPictureItemInfo p;
    PictureFields(io, p);
    const std::string_view data = r.Bytes();
    if (!kind || data.empty()) {
      warnings_ |= rvfwUnknownPicFmt;
      return std::nullopt;
    }
    p.Kind = *kind;
    p.Data = SharedBytes(data.data(), data.size());
    FitPictureSize(p.Width, p.Height);
    if (p.VAlign > TRVVAlign::Bottom) p.VAlign = TRVVAlign::Baseline;
    RepairUtf8(p.Name);
    return TRVItem(std::move(p));
  }

  std::optional<TRVItem> ReadBreak(Reader& r) {
    FieldReader io{r};
    TRVBreakItemInfo b;
    BreakFields(io, b);
    b.Width = std::clamp(b.Width, 0, kMaxParaMetric);
    if (b.Style > TRVBreakStyle::Dashed) b.Style = TRVBreakStyle::Line;
    return TRVItem(b);
  }

  std::optional<TRVItem> ReadCheckpoint(Reader& r) {
    std::string name(r.Bytes());
    RepairUtf8(name);
    pending_.push_back(std::move(name));
    return std::nullopt;
  }

  // The engine keeps no image lists, so every such bullet names one that
  // does not exist.
  std::optional<TRVItem> ReadImageListBullet(Reader&) {
    warnings_ |= rvfwInvalidImageIndex;
    return std::nullopt;
  }

  TRVStyle sheet_;
  bool haveSheet_ = false;
  TColor color_ = clWindow;
  std::vector<TRVParagraph> paras_;
  std::vector<std::string> pending_;  // checkpoints waiting for their item
  unsigned warnings_ = 0;
};

}  // namespace

std::string SaveRVF(const TRVDocument& doc) {
  Writer w;
  w.Raw(kMagic);
  w.U16(kRVFVersionMajor);
  w.U16(kRVFVersionMinor);
  WriteStyleSheet(w, doc.Style);
  const std::size_t background = w.Begin(kBackground);
  w.U32(doc.Color);
  w.End(background);
  for (const TRVParagraph& para : doc.Paragraphs) {
    const std::size_t at = w.Begin(kParagraph);
    FieldWriter{w}.Int(para.ParaNo());
    for (const TRVItem& item : para.Items()) WriteItem(w, item);
    w.End(at);
  }
  w.End(w.Begin(kEnd));
  return w.Take();
}

bool LoadRVF(std::string_view bytes, TRVDocument& doc, unsigned& warnings) {
  Loader loader;
  bool complete = true;
  try {
    loader.Load(bytes);
  } catch (const BadFile&) {
    complete = false;
  }
  warnings = loader.Warnings();
  if (!loader.HasSheet()) return false;  // nothing usable: doc stays as it was
  loader.Finish(doc, complete);
  return complete;
}

bool SaveRVFToFile(const TRVDocument& doc, const std::string& path) {
  return WriteFileReplacing(path, SaveRVF(doc));
}

bool LoadRVFFromFile(const std::string& path, TRVDocument& doc, unsigned& warnings) {
  warnings = 0;
  const std::optional<std::string> bytes = ReadFileBytes(path);
  return bytes && LoadRVF(*bytes, doc, warnings);
}

}  // namespace nv
