#include "richview/rtf_reader.h"

#include <algorithm>

#include "richview/rtf.h"
#include "richview/rtf_codepage.h"
#include "richview/rtf_picture.h"
#include "richview/utf8.h"
#include "ui/text.h"

namespace nv {

namespace {

constexpr int kTwipsPerPixel = 15;
// Styles one reading may add. Real documents use a few hundred
// combinations; the cap keeps a hostile file from growing the sheet (and
// each lookup, which is linear in it) without end. Combinations beyond it
// take the sheet's first style (text) or the default paragraph style.
constexpr int kMaxNewTextStyles = 4096;
constexpr int kMaxNewParaStyles = 1024;

int TwipsToPixels(int twips, int lo, int hi) {
  const std::int64_t t = twips;
  const std::int64_t px = t >= 0 ? (t + kTwipsPerPixel / 2) / kTwipsPerPixel
                                 : -((-t + kTwipsPerPixel / 2) / kTwipsPerPixel);
  return static_cast<int>(std::clamp<std::int64_t>(px, lo, hi));
}

bool StartsWithRtfHeader(std::string_view s) {
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' ||
                        s.front() == '\n'))
    s.remove_prefix(1);
  return s.substr(0, 5) == "{\\rtf";
}

// The words of a field instruction, quotes removed and backslash escapes
// inside quotes undone, switches kept as words of their own.
std::vector<std::string> FieldWords(std::string_view inst) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < inst.size()) {
    while (i < inst.size() && (inst[i] == ' ' || inst[i] == '\t' || inst[i] == '\n')) ++i;
    if (i >= inst.size()) break;
    std::string w;
    if (inst[i] == '"') {
      ++i;
      while (i < inst.size() && inst[i] != '"') {
        if (inst[i] == '\\' && i + 1 < inst.size() && (inst[i + 1] == '\\' || inst[i + 1] == '"'))
          ++i;
        w += inst[i++];
      }
      ++i;  // the closing quote, if any
    } else {
      while (i < inst.size() && inst[i] != ' ' && inst[i] != '\t' && inst[i] != '\n' &&
             inst[i] != '"')
        w += inst[i++];
    }
    words.push_back(std::move(w));
  }
  return words;
}

// HYPERLINK "url" [\l "place"] ...: the target is the address, with the
// place inside it after '#'.
void ParseField(RtfField& f) {
  f.parsed = true;
  const std::vector<std::string> words = FieldWords(f.inst);
  if (words.empty() || AsciiUpper(words[0]) != "HYPERLINK") return;
  f.isLink = true;
  std::string address, place;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "\\l" && i + 1 < words.size()) {
      place = words[++i];
    } else if (w.size() == 2 && w[0] == '\\') {
      // Other switches (\o tooltip, \t frame, \m): their argument is not the address.
      if ((w == "\\o" || w == "\\t") && i + 1 < words.size()) ++i;
    } else if (address.empty()) {
      address = w;
    }
  }
  f.target = CleanItemText(place.empty() ? address : address + "#" + place);
  std::erase(f.target, '\n');
}

}  // namespace

std::size_t RtfReader::StyleKeyHash::operator()(const StyleKey& k) const {
  std::size_t h = static_cast<std::size_t>(k.chr.font) * 1000003u;
  for (int v : {k.chr.halfPoints, int{k.chr.style}, int{k.chr.caps}, int{k.chr.hidden},
                k.chr.foreColor, k.chr.backColor, k.chr.raise, int{k.chr.script}, int{k.jump}})
    h = h * 31u + static_cast<std::size_t>(v);
  return h;
}

RtfReader::RtfReader(std::string_view input, TRVDocument& doc)
    : tokens_(input),
      doc_(doc),
      textStylesAtStart_(doc.Style.TextStyleCount()),
      paraStylesAtStart_(doc.Style.ParaStyleCount()) {}

bool RtfReader::Run() {
  stack_.reserve(64);
  bool ok = true;
  bool started = false;
  for (;;) {
    const RtfToken t = tokens_.Next();
    if (t.kind == RtfTokenKind::End) break;
    if (t.kind == RtfTokenKind::Error) {
      ok = false;
      break;
    }
    if (!started) {
      // Only a byte-order mark or blanks come before "{\rtf" (checked before).
      if (t.kind != RtfTokenKind::GroupOpen) continue;
      started = true;
      stack_.emplace_back();
      continue;
    }
    if (t.kind == RtfTokenKind::GroupOpen) {
      if (static_cast<int>(stack_.size()) >= kMaxRtfDepth) {
        ok = false;
        break;
      }
      OpenGroup();
      continue;
    }
    if (t.kind == RtfTokenKind::GroupClose) {
      if (stack_.size() == 1) break;  // the document's own group: what follows is not RTF
      CloseGroup();
      continue;
    }
    // Fallback bytes after \u are skipped one token (or text byte) at a time.
    // A \u word is never fallback, which is there for readers that do not
    // know \u: writers that leave \uc at 1 and write a surrogate pair as
    // two \u words with nothing between them mean both halves.
    if (ucSkip_ > 0 && t.kind == RtfTokenKind::Word && t.hasParam && t.name == "u") ucSkip_ = 0;
    if (ucSkip_ > 0) {
      if (t.kind != RtfTokenKind::Text) {
        --ucSkip_;
        continue;
      }
      const std::size_t skip = std::min<std::size_t>(static_cast<std::size_t>(ucSkip_), t.data.size());
      ucSkip_ -= static_cast<int>(skip);
      if (skip == t.data.size()) continue;
      if (Top().dest != RtfDest::Skip) EmitBytes(t.data.substr(skip));
      continue;
    }
    const bool ignorable = ignorable_;
    ignorable_ = false;
    if (Top().dest == RtfDest::Skip) continue;
    switch (t.kind) {
      case RtfTokenKind::Word:
        Dispatch(t, ignorable);
        break;
      case RtfTokenKind::Symbol:
        HandleSymbol(t.symbol);
        break;
      case RtfTokenKind::Hex:
        if (Top().dest != RtfDest::Picture) EmitBytes(std::string_view(reinterpret_cast<const char*>(&t.byte), 1));
        break;
      case RtfTokenKind::Text:
        EmitBytes(t.data);
        break;
      case RtfTokenKind::Binary:
        if (Top().dest == RtfDest::Picture) {
          pict_.data.insert(pict_.data.end(), t.data.begin(), t.data.end());
          pict_.nibble = -1;
        }
        break;
      default:
        break;
    }
  }
  FinishDocument();
  return ok;
}

bool RtfReader::Dispatch(const RtfToken& t, bool ignorable) {
  token = t;
  if (RunControlWord(*this, ignorable)) return true;
  // An unknown destination marked \* is skipped with all it holds.
  if (ignorable) SetDest(RtfDest::Skip);
  return false;
}

void RtfReader::HandleSymbol(char c) {
  switch (c) {
    case '*': ignorable_ = true; return;
    case '~': EmitChar(0x00A0); return;  // non-breaking space
    case '_': EmitChar(0x2011); return;  // non-breaking hyphen
    // Escaped, these are bytes of the text: in a double-byte code page a
    // backslash or brace may be the trail of the character before.
    case '\\': case '{': case '}': EmitBytes(std::string_view(&c, 1)); return;
    case '\t': EmitChar('\t'); return;
    default: return;  // \- optional hyphen, \: index entries, \| formulas
  }
}

void RtfReader::OpenGroup() {
  FlushSurrogate();
  FlushPendingBytes();
  ucSkip_ = 0;  // fallback text never reaches into another group
  RtfGroupState next = Top();
  next.ownsDest = false;
  next.ownsField = false;
  stack_.push_back(std::move(next));
}

void RtfReader::CloseGroup() {
  FlushSurrogate();
  // A character never continues past its group: a lead byte left there
  // must not take the first byte of the text after the group.
  FlushPendingBytes();
  ucSkip_ = 0;  // fallback text never reaches past its group
  ignorable_ = false;
  const RtfGroupState closing = std::move(stack_.back());
  stack_.pop_back();
  if (closing.ownsDest) FinishDest(closing);
  if (closing.ownsField && !fields_.empty()) fields_.pop_back();
  // Entries of the font table may be groups without a closing semicolon.
  if (closing.dest == RtfDest::FontTable && fontOpen_) CommitFont();
}

void RtfReader::SetDest(RtfDest dest) {
  RtfGroupState& top = Top();
  top.dest = dest;
  top.ownsDest = true;
}

void RtfReader::FinishDest(const RtfGroupState& closing) {
  switch (closing.dest) {
    case RtfDest::Picture:
      FinishPicture();
      break;
    case RtfDest::Bookmark:
      checkpoints_.push_back(CleanItemText(bookmark_));
      bookmark_.clear();
      break;
    case RtfDest::ShapeValue:
      if (shapeName_ == "fillColor") {
        std::uint32_t v = 0;
        bool any = false;
        for (char c : shapeValue_) {
          if (c < '0' || c > '9') break;
          v = std::min<std::uint32_t>(v * 10 + static_cast<std::uint32_t>(c - '0'), 0xFFFFFFu);
          any = true;
        }
        if (any) backgroundFill_ = v;
      }
      break;
    case RtfDest::Background:
      if (backgroundFill_) doc_.Color = *backgroundFill_ & 0xFFFFFFu;
      break;
    case RtfDest::FontTable:
    case RtfDest::ColorTable:
      styleCache_.clear();  // tables changed: cached styles may now differ
      break;
    default:
      break;
  }
}

// ----------------------------------------------------------------- characters

int RtfReader::CodePage() {
  const RtfCharProps& chr = Top().chr;
  int charset = -1;
  int codePage = -1;
  if (Top().dest == RtfDest::FontTable) {
    charset = fontCharset_;
    codePage = fontCodePage_;
  } else {
    auto it = fonts_.find(chr.font >= 0 ? chr.font : defaultFont_);
    if (it == fonts_.end()) it = fonts_.find(defaultFont_);
    if (it != fonts_.end()) {
      charset = it->second.charset;
      codePage = it->second.codePage;
    }
  }
  if (codePage > 0) return codePage;
  if (std::optional<int> cp = CharsetCodePage(charset)) return *cp;
  return docCodePage_;
}

void RtfReader::EmitBytes(std::string_view bytes) {
  FlushSurrogate();
  if (Top().dest == RtfDest::Picture) {
    RtfPicture& p = pict_;
    for (char c : bytes) {
      int h;
      if (c >= '0' && c <= '9') h = c - '0';
      else if (c >= 'a' && c <= 'f') h = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') h = c - 'A' + 10;
      else continue;
      if (p.nibble < 0) {
        p.nibble = h;
      } else {
        p.data.push_back(static_cast<std::uint8_t>(p.nibble * 16 + h));
        p.nibble = -1;
      }
    }
    return;
  }
  const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii && pending_.empty()) {
    EmitUtf8(bytes);
    return;
  }
  const int cp = CodePage();
  std::string out;
  for (char ch : bytes) {
    const auto b = static_cast<std::uint8_t>(ch);
    if (!pending_.empty()) {
      if (IsTrailByte(pendingCodePage_, b)) {
        pending_ += ch;
        if (static_cast<int>(pending_.size()) == pendingLength_) {
          out += DecodePending();
          pending_.clear();
        }
        continue;
      }
      pending_.clear();
      AppendUtf8(out, 0xFFFD);  // an unfinished character; b is read on its own
    }
    const int length = CharacterByteCount(cp, b);
    if (length > 1) {
      pending_.assign(1, ch);
      pendingLength_ = length;
      pendingCodePage_ = cp;
      continue;
    }
    AppendUtf8(out, SingleByteToUnicode(cp, b));
  }
  EmitUtf8(out);
}

const std::string& RtfReader::DecodePending() {
  std::uint64_t key = static_cast<std::uint32_t>(pendingCodePage_);
  for (char c : pending_) key = (key << 8) | static_cast<std::uint8_t>(c);  // at most 4 bytes
  auto [it, added] = decoded_.try_emplace(key);
  if (added) it->second = MultiByteToUtf8(pendingCodePage_, pending_);
  return it->second;
}

void RtfReader::FlushPendingBytes() {
  if (pending_.empty()) return;
  pending_.clear();
  EmitUtf8("\xEF\xBF\xBD");  // U+FFFD: a character cut short
}

void RtfReader::EmitChar(char32_t c) {
  FlushSurrogate();
  FlushPendingBytes();
  std::string s;
  AppendUtf8(s, c);
  EmitUtf8(s);
}

void RtfReader::EmitUnicode(std::int32_t value) {
  FlushPendingBytes();
  std::int64_t v = value;
  if (v < 0) v += 65536;  // \u takes signed 16-bit numbers
  if (v >= 0xD800 && v <= 0xDBFF) {
    FlushSurrogate();
    highSurrogate_ = static_cast<int>(v);
    return;
  }
  if (v >= 0xDC00 && v <= 0xDFFF) {
    if (highSurrogate_ < 0) {
      EmitChar(0xFFFD);
      return;
    }
    const char32_t c = 0x10000 + ((static_cast<char32_t>(highSurrogate_) - 0xD800) << 10) +
                       (static_cast<char32_t>(v) - 0xDC00);
    highSurrogate_ = -1;
    EmitChar(c);
    return;
  }
  EmitChar(v < 0 || v > 0x10FFFF ? 0xFFFD : static_cast<char32_t>(v));
}

void RtfReader::FlushSurrogate() {
  if (highSurrogate_ < 0) return;
  highSurrogate_ = -1;
  EmitChar(0xFFFD);  // a high surrogate with no low one after it
}

void RtfReader::EmitUtf8(std::string_view utf8) {
  RtfGroupState& top = Top();
  switch (top.dest) {
    case RtfDest::Text:
      if (!top.chr.hidden) AppendText(utf8);
      break;
    case RtfDest::FieldInst:
      if (top.instField >= 0 && top.instField < static_cast<int>(fields_.size()))
        fields_[static_cast<std::size_t>(top.instField)].inst.append(utf8);
      break;
    case RtfDest::FontTable:
      for (char c : utf8) {
        if (c == ';') CommitFont();
        else if (fontOpen_) fontName_ += c;
      }
      break;
    case RtfDest::ColorTable:
      for (char c : utf8) {
        if (c != ';') continue;
        std::optional<TColor> color;
        if (colorParts_[0] >= 0 || colorParts_[1] >= 0 || colorParts_[2] >= 0)
          color = MakeColor(static_cast<std::uint8_t>(std::max(colorParts_[0], 0)),
                            static_cast<std::uint8_t>(std::max(colorParts_[1], 0)),
                            static_cast<std::uint8_t>(std::max(colorParts_[2], 0)));
        colors_.push_back(color);
        colorParts_[0] = colorParts_[1] = colorParts_[2] = -1;
      }
      break;
    case RtfDest::Bookmark: bookmark_.append(utf8); break;
    case RtfDest::ShapeName: shapeName_.append(utf8); break;
    case RtfDest::ShapeValue: shapeValue_.append(utf8); break;
    default: break;
  }
}

// --------------------------------------------------------------------- tables

void RtfReader::StartFontEntry(int number) {
  if (fontOpen_) CommitFont();
  fontOpen_ = true;
  fontNumber_ = number;
  fontCharset_ = -1;
  fontCodePage_ = -1;
  fontName_.clear();
}

void RtfReader::CommitFont() {
  if (!fontOpen_) return;
  fontOpen_ = false;
  std::string name = CleanItemText(fontName_);
  std::erase(name, '\n');
  std::erase(name, '\t');
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(name.begin());
  fonts_[fontNumber_] = RtfFont{std::move(name), fontCharset_, fontCodePage_};
  fontName_.clear();
  styleCache_.clear();
}

void RtfReader::SetColorComponent(int shift, int value) {
  colorParts_[shift] = std::clamp(value, 0, 255);
}

std::optional<TColor> RtfReader::TableColor(int index) const {
  if (index < 0 || index >= static_cast<int>(colors_.size())) return std::nullopt;
  return colors_[static_cast<std::size_t>(index)];
}

// --------------------------------------------------------------------- styles

TFontInfo RtfReader::TextCandidate(const RtfCharProps& chr, bool jump) const {
  TFontInfo f;
  auto font = fonts_.find(chr.font >= 0 ? chr.font : defaultFont_);
  if (font == fonts_.end()) font = fonts_.find(defaultFont_);  // unknown number: default font
  if (font != fonts_.end()) {
    if (!font->second.name.empty()) f.FontName = font->second.name;
    if (font->second.charset >= 0 && font->second.charset <= 255) f.Charset = font->second.charset;
  }
  f.Size = static_cast<int>(std::clamp<std::int64_t>((std::int64_t{chr.halfPoints} + 1) / 2, kMinFontSize, kMaxFontSize));
  f.Style = chr.style;
  if (chr.caps) f.Effects = efAllCaps;
  int shift = 0;
  if (chr.raise != 0)
    shift = static_cast<int>(std::int64_t{chr.raise} * 100 / std::max(chr.halfPoints, 1));
  else if (chr.script != 0)
    shift = chr.script > 0 ? 33 : -33;  // superscript and subscript without a measure
  f.VShift = std::clamp(shift, -kMaxVShift, kMaxVShift);
  if (std::optional<TColor> c = TableColor(chr.foreColor)) f.Color = *c;
  if (std::optional<TColor> c = TableColor(chr.backColor)) f.BackColor = *c;
  f.Jump = jump;
  return f;
}

int RtfReader::TextStyleNo() {
  const RtfGroupState& top = Top();
  const StyleKey key{top.chr, top.link >= 0};
  auto it = styleCache_.find(key);
  if (it != styleCache_.end()) return it->second;
  const TFontInfo candidate = TextCandidate(top.chr, key.jump);
  int no = doc_.Style.FindTextStyle(candidate, -1);
  if (no < 0)
    no = doc_.Style.TextStyleCount() - textStylesAtStart_ < kMaxNewTextStyles
             ? doc_.Style.FindOrAddTextStyle(candidate, -1)
             : 0;
  styleCache_.emplace(key, no);
  return no;
}

TParaInfo RtfReader::ParaCandidate(const RtfParaProps& p, bool withBorder) const {
  TParaInfo info;
  info.Alignment = p.align;
  info.LeftIndent = TwipsToPixels(p.leftIndent, -kMaxParaMetric, kMaxParaMetric);
  info.RightIndent = TwipsToPixels(p.rightIndent, -kMaxParaMetric, kMaxParaMetric);
  info.FirstIndent = TwipsToPixels(p.firstIndent, -kMaxParaMetric, kMaxParaMetric);
  info.SpaceBefore = TwipsToPixels(p.spaceBefore, 0, kMaxParaMetric);
  info.SpaceAfter = TwipsToPixels(p.spaceAfter, 0, kMaxParaMetric);
  if (p.lineMultiple && p.lineSpacing > 0) {
    const std::int64_t percent = (std::int64_t{p.lineSpacing} * 100 + 120) / 240;
    info.LineSpacing = static_cast<int>(std::clamp<std::int64_t>(percent, kMinLineSpacing, kMaxLineSpacing));
  }
  if (std::optional<TColor> c = TableColor(p.shading)) info.Background.Color = *c;
  if (withBorder && p.borderKind != RtfBorderKind::None && p.borderSides != 0) {
    info.Border.Style = p.borderKind == RtfBorderKind::Double ? TParaBorderStyle::Double
                                                              : TParaBorderStyle::Single;
    info.Border.Sides = p.borderSides;
    if (p.borderWidth >= 0) info.Border.Width = TwipsToPixels(p.borderWidth, 0, kMaxParaMetric);
    if (std::optional<TColor> c = TableColor(p.borderColor)) info.Border.Color = *c;
    info.Border.Padding = TwipsToPixels(p.borderSpace, 0, kMaxParaMetric);
  }
  std::vector<TRVTabInfo> tabs = p.tabs;
  std::stable_sort(tabs.begin(), tabs.end(),
                   [](const TRVTabInfo& a, const TRVTabInfo& b) { return a.Position < b.Position; });
  for (const TRVTabInfo& t : tabs)
    if (info.Tabs.empty() || info.Tabs.back().Position != t.Position) info.Tabs.push_back(t);
  if (p.rightToLeft) info.BiDiMode = TRVBiDiMode::RightToLeft;
  return info;
}

int RtfReader::ParaStyleNo(const TParaInfo& candidate) {
  if (lastPara_ && SameParaFormat(*lastPara_, candidate)) return lastParaNo_;
  lastParaNo_ = doc_.Style.FindParaStyle(candidate, -1);
  if (lastParaNo_ < 0)
    lastParaNo_ = doc_.Style.ParaStyleCount() - paraStylesAtStart_ < kMaxNewParaStyles
                      ? doc_.Style.FindOrAddParaStyle(candidate, -1)
                      : 0;
  lastPara_ = candidate;
  return lastParaNo_;
}

// ------------------------------------------------------------ paragraph items

void RtfReader::AppendText(std::string_view utf8) {
  if (utf8.empty()) return;
  const int style = TextStyleNo();
  const std::string& target = LinkTarget();
  const bool sameRun =
      !run_.empty() && style == runStyle_ && target == runTarget_ && checkpoints_.empty();
  if (!sameRun) {
    FlushRun();
    runStyle_ = style;
    runTarget_ = target;
    runCheckpoints_ = std::move(checkpoints_);
    checkpoints_.clear();
  }
  run_.append(utf8);
}

const std::string& RtfReader::LinkTarget() const {
  static const std::string kNone;
  const int link = stack_.back().link;
  return link >= 0 && link < static_cast<int>(fields_.size())
             ? fields_[static_cast<std::size_t>(link)].target
             : kNone;
}

void RtfReader::FlushRun() {
  if (run_.empty()) return;
  TRVItem item = TRVItem::MakeText(CleanItemText(run_), runStyle_, std::move(runTarget_));
  item.Checkpoints = std::move(runCheckpoints_);
  run_.clear();
  runTarget_.clear();
  runCheckpoints_.clear();
  if (item.AsText()->Text.empty()) {
    // Nothing but carriage returns or NULs: keep the checkpoints waiting.
    checkpoints_.insert(checkpoints_.begin(), item.Checkpoints.begin(), item.Checkpoints.end());
    return;
  }
  items_.push_back(std::move(item));
}

void RtfReader::AddItem(TRVItem item) {
  FlushRun();
  item.Checkpoints = std::move(checkpoints_);
  checkpoints_.clear();
  items_.push_back(std::move(item));
}

void RtfReader::EndParagraph() {
  FlushPendingBytes();
  FlushRun();
  const RtfParaProps& para = Top().para;
  // An empty paragraph with nothing but a bottom border is how RTF draws a
  // horizontal line.
  const bool line = items_.empty() && para.borderKind != RtfBorderKind::None &&
                    para.borderSides == kBorderBottom;
  if (items_.empty()) {
    if (line) {
      TRVBreakItemInfo br;
      br.Width = para.borderWidth >= 0 ? TwipsToPixels(para.borderWidth, 0, kMaxParaMetric) : 1;
      br.Style = para.borderKind == RtfBorderKind::Dotted   ? TRVBreakStyle::Dotted
                 : para.borderKind == RtfBorderKind::Dashed ? TRVBreakStyle::Dashed
                                                            : TRVBreakStyle::Line;
      if (std::optional<TColor> c = TableColor(para.borderColor)) br.Color = *c;
      AddItem(TRVItem(br));
    } else {
      AddItem(TRVItem::MakeText({}, TextStyleNo(), LinkTarget()));
    }
  }
  const int paraNo = ParaStyleNo(ParaCandidate(para, !line));
  TRVParagraph& p = doc_.AddParagraph(paraNo);
  p.MutableItems() = std::move(items_);
  items_.clear();
  numberShown_ = false;
}

// -------------------------------------------------------------------- fields

void RtfReader::StartField() {
  RtfField f;
  f.outerDest = Top().dest;
  fields_.push_back(std::move(f));
  Top().field = static_cast<int>(fields_.size()) - 1;
  Top().ownsField = true;
}

void RtfReader::StartFieldResult() {
  RtfGroupState& top = Top();
  if (top.field < 0 || top.field >= static_cast<int>(fields_.size())) return;
  RtfField& f = fields_[static_cast<std::size_t>(top.field)];
  if (!f.parsed) ParseField(f);
  top.dest = f.outerDest;
  if (f.isLink) top.link = top.field;
}

// ------------------------------------------------------------------ pictures

void RtfReader::StartPicture(bool wanted) {
  pict_ = RtfPicture{};
  pict_.wanted = wanted;
  SetDest(RtfDest::Picture);
}

void RtfReader::FinishPicture() {
  RtfPicture p = std::move(pict_);
  pict_ = RtfPicture{};
  if (!p.wanted || !p.kind || p.data.empty()) return;
  TRVPictureItemInfo info;
  info.Kind = *p.kind;
  if (info.Kind == TRVPictureKind::Bmp) {
    std::vector<std::uint8_t> bmp = DibToBmpFile(p.data);
    if (bmp.empty()) return;
    info.Data = SharedBytes(std::move(bmp));
  } else {
    info.Data = SharedBytes(std::move(p.data));
  }
  // Shown size: the goal size, else the picture's own, then the scaling.
  std::int64_t w = 0, h = 0;
  if (p.goalw > 0 && p.goalh > 0) {
    w = TwipsToPixels(p.goalw, 0, 0x7FFFFFFF);
    h = TwipsToPixels(p.goalh, 0, 0x7FFFFFFF);
  } else if (auto size = PictureHeaderSize(info.Kind, info.Data.span())) {
    w = size->first;
    h = size->second;
  } else if (p.picw > 0 && p.pich > 0) {
    w = p.picw;
    h = p.pich;
    if (p.metafile) {  // hundredths of a millimetre
      w = w * 96 / 2540;
      h = h * 96 / 2540;
    }
  }
  if (w <= 0 || h <= 0) w = h = 32;  // nothing says: a small box the user can resize
  if (p.scalex > 0) w = w * p.scalex / 100;
  if (p.scaley > 0) h = h * p.scaley / 100;
  w = std::max<std::int64_t>(w, 1);
  h = std::max<std::int64_t>(h, 1);
  if (w > kMaxPictureSize || h > kMaxPictureSize) {  // scale down, keeping the aspect
    const std::int64_t big = std::max(w, h);
    w = std::max<std::int64_t>(1, w * kMaxPictureSize / big);
    h = std::max<std::int64_t>(1, h * kMaxPictureSize / big);
  }
  info.Width = static_cast<int>(w);
  info.Height = static_cast<int>(h);
  AddItem(TRVItem(std::move(info)));
}

// ----------------------------------------------------------------- the end

void RtfReader::FinishDocument() {
  if (stack_.empty()) return;  // no group was ever opened
  // Groups left open at the end are closed, so what they held is kept.
  while (stack_.size() > 1) CloseGroup();
  FlushPendingBytes();
  if (stack_.back().ownsDest) FinishDest(stack_.back());
  FlushSurrogate();
  if (!run_.empty() || !items_.empty()) EndParagraph();
  if (!checkpoints_.empty()) {
    // Bookmarks after the last item: keep them on the last item there is.
    for (auto p = doc_.Paragraphs.rbegin(); p != doc_.Paragraphs.rend(); ++p) {
      if (p->Items().empty()) continue;
      std::vector<std::string>& names = p->MutableItems().back().Checkpoints;
      names.insert(names.end(), checkpoints_.begin(), checkpoints_.end());
      break;
    }
    checkpoints_.clear();
  }
}

// ---------------------------------------------------------------------- entry

bool LoadRTF(std::string_view bytes, TRVDocument& doc) {
  if (!StartsWithRtfHeader(bytes)) return false;
  RtfReader reader(bytes, doc);
  return reader.Run();
}

}  // namespace nv
