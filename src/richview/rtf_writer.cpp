#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "richview/rtf.h"
#include "richview/rtf_codepage.h"
#include "richview/rtf_picture.h"
#include "ui/text.h"

namespace nv {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr std::size_t kHexLine = 128;  // hex digits per line of picture data
// Text whose font is not known to the reader (field instructions,
// bookmark names) writes everything beyond ASCII as \u.
constexpr int kUnicodeOnly = -1;

// One code point from valid UTF-8 (ill-formed bytes give U+FFFD).
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i++]);
  if (b0 < 0x80) return b0;
  int len = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
  if (len < 0 || i + static_cast<std::size_t>(len) > s.size()) return 0xFFFD;
  char32_t c = b0 & (0x3F >> len);
  for (int k = 0; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return c;
}

bool IsAutoTextColor(TColor c) { return c == clWindowText || c == clNone; }

class RtfWriter {
 public:
  RtfWriter(const TRVDocument& doc, const TRVPictureToPng& toPng) : doc_(doc), toPng_(toPng) {}
  std::string Write();

 private:
  const TFontInfo& TextStyle(int no) const {
    static const TFontInfo kDefault;
    return doc_.Style.HasTextStyle(no) ? doc_.Style.TextStyles[static_cast<std::size_t>(no)] : kDefault;
  }
  const TParaInfo& ParaStyle(int no) const {
    static const TParaInfo kDefault;
    return doc_.Style.HasParaStyle(no) ? doc_.Style.ParaStyles[static_cast<std::size_t>(no)] : kDefault;
  }

  // Output primitives: a control word ends with a delimiter only when text
  // follows it, so runs of words stay compact.
  void Word(std::string_view name) {
    out_ += '\\';
    out_ += name;
    delimit_ = true;
  }
  void Word(std::string_view name, std::int64_t param) {
    Word(name);
    out_ += std::to_string(param);
  }
  void Raw(std::string_view s) {
    out_ += s;
    delimit_ = false;
  }
  void Literal(char c) {
    if (delimit_) out_ += ' ';
    out_ += c;
    delimit_ = false;
  }
  void NewLine() { Raw("\r\n"); }

  int FontIndex(const TFontInfo& f);
  int ColorIndex(TColor c);  // 0 for "automatic"
  void CollectTables();
  void Header();
  void Escaped(std::string_view utf8, int charset);
  void RunFormat(const TFontInfo& f);
  void ParaFormat(const TParaInfo& p, bool withBorder);
  void Paragraph(const TRVParagraph& para);
  void Item(const TRVItem& item);
  void TextItem(const TRVTextItemInfo& t);
  void Picture(const TRVPictureItemInfo& pic);
  void Line(const TRVBreakItemInfo& br, const TParaInfo& para);
  void Bookmarks(const TRVItem& item);
  void Hex(std::span<const std::uint8_t> bytes);

  const TRVDocument& doc_;
  const TRVPictureToPng& toPng_;
  std::string out_;
  bool delimit_ = false;
  std::vector<std::pair<std::string, int>> fonts_;  // face and character set
  std::vector<TColor> colors_;                      // entries after the automatic one
  int runStyle_ = -1;                               // text style the output is in
};

int RtfWriter::FontIndex(const TFontInfo& f) {
  const std::pair<std::string, int> key{f.FontName, f.Charset};
  auto it = std::find(fonts_.begin(), fonts_.end(), key);
  if (it != fonts_.end()) return static_cast<int>(it - fonts_.begin());
  fonts_.push_back(key);
  return static_cast<int>(fonts_.size()) - 1;
}

int RtfWriter::ColorIndex(TColor c) {
  if (c == clNone) return 0;
  const TColor rgb = ColorToRGB(c) & 0xFFFFFFu;
  auto it = std::find(colors_.begin(), colors_.end(), rgb);
  if (it != colors_.end()) return static_cast<int>(it - colors_.begin()) + 1;
  colors_.push_back(rgb);
  return static_cast<int>(colors_.size());
}

void RtfWriter::CollectTables() {
  auto text = [&](int no) {
    const TFontInfo& f = TextStyle(no);
    FontIndex(f);
    if (!IsAutoTextColor(f.Color)) ColorIndex(f.Color);
    if (f.BackColor != clNone) ColorIndex(f.BackColor);
  };
  for (const TRVParagraph& para : doc_.Paragraphs) {
    const TParaInfo& p = ParaStyle(para.ParaNo());
    if (p.Background.Color != clNone) ColorIndex(p.Background.Color);
    if (!IsAutoTextColor(p.Border.Color)) ColorIndex(p.Border.Color);
    for (const TRVItem& item : para.Items()) {
      if (const TRVTextItemInfo* t = item.AsText()) text(t->StyleNo);
      if (const TRVBreakItemInfo* br = item.AsBreak(); br && br->Color != clNone)
        ColorIndex(br->Color);
    }
  }
  if (fonts_.empty()) FontIndex(TFontInfo{});
}

void RtfWriter::Header() {
  Raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1");
  Raw("{\\fonttbl");
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    Raw("{");
    Word("f", static_cast<std::int64_t>(i));
    Word("fcharset", fonts_[i].second);
    std::string face = fonts_[i].first;
    std::erase(face, ';');  // the table's separator cannot be part of a name
    Escaped(face, fonts_[i].second);  // names are read in their own character set
    Raw(";}");
  }
  Raw("}");
  NewLine();
  Raw("{\\colortbl;");
  for (TColor c : colors_) {
    Word("red", ColorRed(c));
    Word("green", ColorGreen(c));
    Word("blue", ColorBlue(c));
    Raw(";");
  }
  Raw("}");
  NewLine();
  Raw("{\\*\\generator Nookvale;}");
  if (doc_.Color != clWindow && doc_.Color != clNone) {
    // The page colour as word processors keep it: a background shape.
    const TColor rgb = ColorToRGB(doc_.Color) & 0xFFFFFFu;
    Word("viewbksp", 1);
    Raw("{\\*\\background{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright0\\shpbottom0\\shpfhdr0"
        "\\shpbxmargin\\shpbymargin\\shpwr0\\shpwrk0\\shpfblwtxt1\\shpz0\\shplid1025"
        "{\\sp{\\sn shapeType}{\\sv 1}}{\\sp{\\sn fillColor}{\\sv ");
    Raw(std::to_string(rgb));
    Raw("}}{\\sp{\\sn fFilled}{\\sv 1}}{\\sp{\\sn lineWidth}{\\sv 0}}{\\sp{\\sn fLine}{\\sv 0}}"
        "{\\sp{\\sn fBackground}{\\sv 1}}}}}");
  }
  NewLine();
}

void RtfWriter::Escaped(std::string_view utf8, int charset) {
  const bool ansi = charset == kAnsiCharset || charset == kDefaultCharset;
  const bool symbol = charset == 2;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t c = NextCodePoint(utf8, i);
    if (c == '\\' || c == '{' || c == '}') {
      Raw(std::string{'\\', static_cast<char>(c)});
    } else if (c == '\t') {
      Word("tab");
    } else if (c == '\n') {
      Word("line");
    } else if (c >= 0x20 && c < 0x80) {
      Literal(static_cast<char>(c));
    } else if (std::optional<std::uint8_t> b = UnicodeToCp1252(c); c >= 0x80 && ((ansi && b) || (symbol && c <= 0xFF))) {
      static const char kHex[] = "0123456789abcdef";
      const std::uint8_t byte = symbol ? static_cast<std::uint8_t>(c) : *b;
      Raw(std::string{'\\', '\'', kHex[byte >> 4], kHex[byte & 15]});
    } else if (c > 0xFFFF) {
      const char32_t v = c - 0x10000;
      Word("u", static_cast<std::int64_t>(0xD800 + (v >> 10)) - 65536);
      Raw("?");
      Word("u", static_cast<std::int64_t>(0xDC00 + (v & 0x3FF)) - 65536);
      Raw("?");
    } else {
      Word("u", c > 0x7FFF ? static_cast<std::int64_t>(c) - 65536 : static_cast<std::int64_t>(c));
      Raw("?");
    }
  }
}

void RtfWriter::RunFormat(const TFontInfo& f) {
  Word("plain");
  Word("f", FontIndex(f));
  Word("fs", std::int64_t{f.Size} * 2);
  if (f.HasStyle(fsBold)) Word("b");
  if (f.HasStyle(fsItalic)) Word("i");
  if (f.HasStyle(fsUnderline)) Word("ul");
  if (f.HasStyle(fsStrikeOut)) Word("strike");
  if (f.Effects & efAllCaps) Word("caps");
  if (!IsAutoTextColor(f.Color)) Word("cf", ColorIndex(f.Color));
  if (f.BackColor != clNone) {
    const int c = ColorIndex(f.BackColor);
    Word("chcbpat", c);  // word processors
    Word("highlight", c);  // rich edit controls
  }
  if (f.VShift != 0) {
    std::int64_t hp = (std::int64_t{std::abs(f.VShift)} * f.Size * 2 + 50) / 100;
    Word(f.VShift > 0 ? "up" : "dn", std::max<std::int64_t>(hp, 1));
  }
}

void RtfWriter::ParaFormat(const TParaInfo& p, bool withBorder) {
  Word("pard");
  if (p.Alignment == TParaAlignment::Center) Word("qc");
  else if (p.Alignment == TParaAlignment::Right) Word("qr");
  else if (p.Alignment == TParaAlignment::Justify) Word("qj");
  auto twips = [](int px) { return std::int64_t{px} * kTwipsPerPixel; };
  if (p.LeftIndent) Word("li", twips(p.LeftIndent));
  if (p.RightIndent) Word("ri", twips(p.RightIndent));
  if (p.FirstIndent) Word("fi", twips(p.FirstIndent));
  if (p.SpaceBefore) Word("sb", twips(p.SpaceBefore));
  if (p.SpaceAfter) Word("sa", twips(p.SpaceAfter));
  if (p.LineSpacing != 100) {
    Word("sl", (std::int64_t{p.LineSpacing} * 240 + 50) / 100);
    Word("slmult", 1);
  }
  if (p.Background.Color != clNone) Word("cbpat", ColorIndex(p.Background.Color));
  if (withBorder && p.Border.Style != TParaBorderStyle::None) {
    static constexpr std::pair<std::uint8_t, std::string_view> kSides[] = {
        {kBorderTop, "brdrt"}, {kBorderLeft, "brdrl"}, {kBorderBottom, "brdrb"}, {kBorderRight, "brdrr"}};
    for (const auto& [bit, name] : kSides) {
      if (!(p.Border.Sides & bit)) continue;
      Word(name);
      Word(p.Border.Style == TParaBorderStyle::Double ? "brdrdb" : "brdrs");
      Word("brdrw", twips(p.Border.Width));
      if (!IsAutoTextColor(p.Border.Color)) Word("brdrcf", ColorIndex(p.Border.Color));
      if (p.Border.Padding) Word("brsp", twips(p.Border.Padding));
    }
  }
  for (const TRVTabInfo& t : p.Tabs) {
    if (t.Align == TTabAlign::Right) Word("tqr");
    else if (t.Align == TTabAlign::Center) Word("tqc");
    if (t.Leader == ".") Word("tldot");
    else if (t.Leader == "-") Word("tlhyph");
    else if (t.Leader == "_") Word("tlul");
    else if (t.Leader == "=") Word("tleq");
    else if (t.Leader == "\xC2\xB7") Word("tlmdot");
    Word("tx", twips(t.Position));
  }
  if (p.BiDiMode == TRVBiDiMode::RightToLeft) Word("rtlpar");
}

void RtfWriter::Bookmarks(const TRVItem& item) {
  for (const std::string& name : item.Checkpoints) {
    for (const char* tag : {"bkmkstart", "bkmkend"}) {
      Raw("{\\*");
      Word(tag);
      Escaped(name, kUnicodeOnly);
      Raw("}");
    }
  }
}

void RtfWriter::TextItem(const TRVTextItemInfo& t) {
  const TFontInfo& f = TextStyle(t.StyleNo);
  if (f.Jump && !t.Text.empty()) {
    // A hyperlink: the address, and a place inside it after '#' (\l).
    std::string_view target = t.Target, place;
    if (std::size_t hash = target.find('#'); hash != std::string_view::npos && hash + 1 < target.size()) {
      place = target.substr(hash + 1);
      target = target.substr(0, hash);
    }
    auto quoted = [](std::string_view s) {
      std::string q = "\"";
      for (char c : s) {
        if (c == '\\' || c == '"') q += '\\';
        q += c;
      }
      return q + "\"";
    };
    Raw("{\\field{\\*\\fldinst{HYPERLINK ");
    if (!target.empty() || place.empty()) Escaped(quoted(target), kUnicodeOnly);
    if (!place.empty()) {
      Escaped(" \\l ", kUnicodeOnly);
      Escaped(quoted(place), kUnicodeOnly);
    }
    Raw("}}{\\fldrslt{");
    RunFormat(f);
    Escaped(t.Text, f.Charset);
    Raw("}}}");
    return;
  }
  // An empty line's text writes only its formatting: the paragraph mark
  // takes it.
  if (t.StyleNo != runStyle_) {
    RunFormat(f);
    runStyle_ = t.StyleNo;
  }
  Escaped(t.Text, f.Charset);
}

void RtfWriter::Hex(std::span<const std::uint8_t> bytes) {
  static const char kHex[] = "0123456789abcdef";
  NewLine();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out_ += kHex[bytes[i] >> 4];
    out_ += kHex[bytes[i] & 15];
    if ((i + 1) % (kHexLine / 2) == 0) out_ += "\r\n";
  }
  delimit_ = false;
}

void RtfWriter::Picture(const TRVPictureItemInfo& pic) {
  std::span<const std::uint8_t> data = pic.Data.span();
  TRVPictureKind kind = pic.Kind;
  std::string converted;  // the PNG a GIF or ICO became
  std::string_view type;
  bool metafile = false;
  switch (pic.Kind) {
    case TRVPictureKind::Png: type = "pngblip"; break;
    case TRVPictureKind::Jpg: type = "jpegblip"; break;
    case TRVPictureKind::Emf: type = "emfblip"; metafile = true; break;
    case TRVPictureKind::Wmf:
      type = "wmetafile8";
      metafile = true;
      // RTF holds the bare metafile: the placeable header's size goes into \picw.
      if (data.size() >= 22 && data[0] == 0xD7 && data[1] == 0xCD && data[2] == 0xC6 && data[3] == 0x9A)
        data = data.subspan(22);
      break;
    case TRVPictureKind::Bmp:
      if (auto dib = BmpFileToDib(data)) {
        data = *dib;
        type = "dibitmap0";
      }
      break;
    case TRVPictureKind::Gif:
    case TRVPictureKind::Ico:
      // RTF has no form for these: they travel as PNG, which every reader
      // of pictures in RTF knows.
      if (toPng_) {
        if (std::optional<std::string> png = toPng_(pic)) {
          converted = std::move(*png);
          data = std::span(reinterpret_cast<const std::uint8_t*>(converted.data()), converted.size());
          type = "pngblip";
          kind = TRVPictureKind::Png;
        }
      }
      break;
    default:
      break;
  }
  if (type.empty() || data.empty()) return;
  std::int64_t w = pic.Width, h = pic.Height;
  if (metafile) {  // hundredths of a millimetre
    w = w * 2540 / 96;
    h = h * 2540 / 96;
  } else if (auto size = PictureHeaderSize(kind, data)) {
    w = size->first;
    h = size->second;
  }
  Raw("{\\pict");
  Word(type);
  Word("picw", w);
  Word("pich", h);
  Word("picwgoal", std::int64_t{pic.Width} * kTwipsPerPixel);
  Word("pichgoal", std::int64_t{pic.Height} * kTwipsPerPixel);
  Hex(data);
  Raw("}");
}

void RtfWriter::Line(const TRVBreakItemInfo& br, const TParaInfo& para) {
  ParaFormat(para, false);
  Word("brdrb");
  Word(br.Style == TRVBreakStyle::Dotted ? "brdrdot" : br.Style == TRVBreakStyle::Dashed ? "brdrdash" : "brdrs");
  Word("brdrw", std::int64_t{br.Width} * kTwipsPerPixel);
  if (br.Color != clNone) Word("brdrcf", ColorIndex(br.Color));
}

void RtfWriter::Item(const TRVItem& item) {
  Bookmarks(item);
  if (const TRVTextItemInfo* t = item.AsText()) TextItem(*t);
  else if (const TRVPictureItemInfo* pic = item.AsPicture()) Picture(*pic);
}

void RtfWriter::Paragraph(const TRVParagraph& para) {
  const TParaInfo& style = ParaStyle(para.ParaNo());
  // A horizontal line is a paragraph of its own in RTF, so a paragraph
  // holding lines is written as the parts between them and the lines.
  bool open = false;
  bool any = false;
  for (const TRVItem& item : para.Items()) {
    if (const TRVBreakItemInfo* br = item.AsBreak()) {
      if (open) {
        Word("par");
        NewLine();
        open = false;
      }
      Line(*br, style);
      Bookmarks(item);
      Word("par");
      NewLine();
      any = true;
      continue;
    }
    if (!open) {
      ParaFormat(style, true);
      open = true;
    }
    Item(item);
  }
  if (open || !any) {
    if (!open) ParaFormat(style, true);
    Word("par");
    NewLine();
  }
}

std::string RtfWriter::Write() {
  CollectTables();
  Header();
  for (const TRVParagraph& para : doc_.Paragraphs) Paragraph(para);
  Raw("}");
  return std::move(out_);
}

}  // namespace

std::string SaveRTF(const TRVDocument& doc, const TRVPictureToPng& gifIcoToPng) {
  return RtfWriter(doc, gifIcoToPng).Write();
}

}  // namespace nv
