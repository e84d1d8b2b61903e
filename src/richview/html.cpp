#include "richview/html.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "richview/rvf_files.h"
#include "ui/paths.h"
#include "ui/text.h"

namespace nv {

namespace fs = std::filesystem;

namespace {

const char* EscapeOf(char c) {
  switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&#39;";
    default: return nullptr;
  }
}

void AppendEscaped(std::string& out, char c) {
  if (const char* e = EscapeOf(c))
    out += e;
  else
    out += c;
}

}  // namespace

std::string HtmlEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) AppendEscaped(out, c);
  return out;
}

namespace {

std::string Hex(TColor rgb) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", ColorRed(rgb), ColorGreen(rgb), ColorBlue(rgb));
  return buf;
}

std::string TextColor(TColor c) { return Hex(TextColorToRGB(c)); }

// A CSS string literal. Inside <style> HTML escaping does not apply, so
// every character that could end the string or the style element is
// written as a CSS escape.
std::string CssString(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == '"' || c == '\\' || c == '<' || c == '>' || c == '&' || c == '\'') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%X ", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// A relative file name as a URL path: everything but unreserved characters
// and '/' percent-encoded.
std::string UrlPath(std::string_view name) {
  std::string out;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~' || c == '/') {
      out += c;
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", u);
      out += buf;
    }
  }
  return out;
}

// Targets that would run script when clicked in the exported page (a link
// read from someone else's RTF file, say) are not made links. Browsers
// ignore blanks and controls in a scheme, so those are dropped before
// comparing.
bool IsSafeLinkTarget(std::string_view target) {
  std::string scheme;
  for (char c : target) {
    if (c == ':') break;
    if (static_cast<unsigned char>(c) > 0x20) scheme += c;
  }
  if (scheme.size() == target.size()) return true;  // no scheme: relative
  const std::string s = AsciiLower(scheme);
  return s != "javascript" && s != "vbscript" && s != "data";
}

// ------------------------------------------------------------ picture files

class PictureFiles {
 public:
  PictureFiles(fs::path dir, std::string prefix,
               const std::function<std::optional<std::string>(const TRVPictureItemInfo&)>& toPng)
      : dir_(std::move(dir)), prefix_(std::move(prefix)), toPng_(toPng) {}

  // The relative file name the page refers to, or nothing when the file
  // could not be written.
  std::optional<std::string> Place(const TRVPictureItemInfo& pic) {
    std::string bytes(reinterpret_cast<const char*>(pic.Data.data()), pic.Data.size());
    std::string_view ext = PictureKindExtension(pic.Kind);
    if ((pic.Kind == TRVPictureKind::Wmf || pic.Kind == TRVPictureKind::Emf) && toPng_) {
      if (std::optional<std::string> png = toPng_(pic)) {
        bytes = std::move(*png);
        ext = ".png";
      }
    }
    // Bounded, so that a directory full of taken names ends in failure
    // rather than a long search.
    for (int tries = 0; tries < 100000; ++tries) {
      const std::string name = prefix_ + std::to_string(next_++) + std::string(ext);
      const fs::path file = dir_ / PathFromUtf8(name);
      std::error_code ec;
      const fs::file_status st = fs::status(file, ec);
      if (st.type() == fs::file_type::not_found) {
        if (!WriteFileReplacing(PathToUtf8(file), bytes)) return std::nullopt;
        return name;
      }
      if (SameContent(file, bytes)) return name;
    }
    return std::nullopt;
  }

 private:
  static bool SameContent(const fs::path& file, std::string_view bytes) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || fs::file_size(file, ec) != bytes.size() || ec) return false;
    const std::optional<std::string> have = ReadFileBytes(PathToUtf8(file));
    return have && *have == bytes;
  }

  fs::path dir_;
  std::string prefix_;
  const std::function<std::optional<std::string>(const TRVPictureItemInfo&)>& toPng_;
  int next_ = 1;
};

// ---------------------------------------------------------------- flavours

// What differs between the two kinds of page.
class Flavour {
 public:
  explicit Flavour(const TRVDocument& doc) : doc_(doc) {}
  virtual ~Flavour() = default;
  virtual void Head(std::string& out) const = 0;  // after the title
  virtual std::string BodyTag() const = 0;
  virtual std::string ParagraphTag(int paraNo) const = 0;
  // The text item; href is empty when it is no link.
  virtual void Text(std::string& out, const TRVTextItemInfo& t, const std::string& href) const = 0;
  virtual std::string Line(const TRVBreakItemInfo& b) const = 0;
  virtual std::string PictureAlign(TRVVAlign a) const = 0;

 protected:
  const TFontInfo* Font(int no) const {
    return doc_.Style.HasTextStyle(no) ? &doc_.Style.TextStyles[static_cast<std::size_t>(no)] : nullptr;
  }
  const TParaInfo* Para(int no) const {
    return doc_.Style.HasParaStyle(no) ? &doc_.Style.ParaStyles[static_cast<std::size_t>(no)] : nullptr;
  }
  // Text content; keepBlanks turns blanks the browser would collapse into
  // no-break spaces (for pages without white-space rules).
  static void Content(std::string& out, std::string_view text, bool keepBlanks) {
    if (text.empty()) {
      out += "<br>";  // an empty line keeps its height
      return;
    }
    char prev = ' ';
    for (char c : text) {
      if (c == '\n')
        out += "<br>";
      else if (keepBlanks && c == ' ' && prev == ' ')
        out += "&nbsp;";
      else if (keepBlanks && c == '\t')
        out += "&nbsp;&nbsp;&nbsp;&nbsp;";
      else
        AppendEscaped(out, c);
      prev = c == '\t' ? ' ' : c;
    }
  }

  const TRVDocument& doc_;
};

constexpr const char* kAlignNames[] = {"left", "right", "center", "justify"};
constexpr const char* kVAlignNames[] = {"baseline", "middle", "top", "bottom"};
constexpr const char* kLineStyles[] = {"solid", "dotted", "dashed"};

template <std::size_t N, class E>
const char* NameOf(const char* const (&names)[N], E e) {
  const auto i = static_cast<std::size_t>(e);
  return i < N ? names[i] : names[0];
}

class CssFlavour : public Flavour {
 public:
  CssFlavour(const TRVDocument& doc, const HtmlExportOptions& o) : Flavour(doc), o_(o) {
    usedText_.assign(doc.Style.TextStyles.size(), false);
    usedPara_.assign(doc.Style.ParaStyles.size(), false);
    for (const TRVParagraph& p : doc.Paragraphs) {
      if (Para(p.ParaNo())) usedPara_[static_cast<std::size_t>(p.ParaNo())] = true;
      for (const TRVItem& item : p.Items())
        if (const TRVTextItemInfo* t = item.AsText(); t && Font(t->StyleNo))
          usedText_[static_cast<std::size_t>(t->StyleNo)] = true;
    }
  }

  void Head(std::string& out) const override {
    if (!o_.externalCSS.empty())
      out += "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + HtmlEscape(o_.externalCSS) + "\">\n";
    out += "<style type=\"text/css\">\n";
    if (doc_.Color != clNone) out += "body { background-color: " + Hex(ColorToRGB(doc_.Color)) + "; }\n";
    out += "p { margin: 0; white-space: pre-wrap; }\n";
    for (std::size_t i = 0; i < usedText_.size(); ++i)
      if (usedText_[i]) TextRule(out, static_cast<int>(i));
    for (std::size_t i = 0; i < usedPara_.size(); ++i)
      if (usedPara_[i]) ParaRule(out, static_cast<int>(i));
    if (!o_.extraStyles.empty()) out += EndTagSafe(o_.extraStyles) + "\n";
    out += "</style>\n";
  }

  std::string BodyTag() const override { return "<body>"; }

  std::string ParagraphTag(int paraNo) const override {
    return Para(paraNo) ? "<p class=\"ps" + std::to_string(paraNo) + "\">" : "<p>";
  }

  void Text(std::string& out, const TRVTextItemInfo& t, const std::string& href) const override {
    const std::string cls = Font(t.StyleNo) ? " class=\"ts" + std::to_string(t.StyleNo) + "\"" : "";
    out += href.empty() ? "<span" + cls + ">" : "<a" + cls + " href=\"" + HtmlEscape(href) + "\">";
    Content(out, t.Text, false);
    out += href.empty() ? "</span>" : "</a>";
  }

  std::string Line(const TRVBreakItemInfo& b) const override {
    return "<hr style=\"border: none; border-top: " + std::to_string(b.Width) + "px " +
           NameOf(kLineStyles, b.Style) + " " + TextColor(b.Color) + ";\">";
  }

  std::string PictureAlign(TRVVAlign a) const override {
    return a == TRVVAlign::Baseline ? "" : std::string(" style=\"vertical-align: ") + NameOf(kVAlignNames, a) + "\"";
  }

 private:
  // The caller's CSS must not be able to end the style element: '<' has
  // no meaning in CSS outside strings, where its escape reads the same.
  static std::string EndTagSafe(std::string_view css) {
    std::string out;
    for (char c : css) {
      if (c == '<')
        out += "\\3C ";
      else
        out += c;
    }
    return out;
  }

  void TextRule(std::string& out, int no) const {
    const TFontInfo& f = *Font(no);
    const std::string cls = ".ts" + std::to_string(no);
    out += cls + " { font-family: " + CssString(f.FontName) + "; font-size: " + std::to_string(f.Size) +
           "pt; color: " + TextColor(f.Color) + ";";
    if (f.BackColor != clNone) out += " background-color: " + Hex(ColorToRGB(f.BackColor)) + ";";
    out += f.HasStyle(fsBold) ? " font-weight: bold;" : " font-weight: normal;";
    out += f.HasStyle(fsItalic) ? " font-style: italic;" : " font-style: normal;";
    std::string deco;
    if (f.HasStyle(fsUnderline)) deco += " underline";
    if (f.HasStyle(fsStrikeOut)) deco += " line-through";
    if (f.Effects & efOverline) deco += " overline";
    out += " text-decoration:" + (deco.empty() ? std::string(" none") : deco) + ";";
    if (f.Effects & efAllCaps) out += " text-transform: uppercase;";
    if (f.VShift != 0) out += " vertical-align: " + std::to_string(f.VShift) + "%;";
    if (f.CharSpacing != 0) out += " letter-spacing: " + std::to_string(f.CharSpacing) + "px;";
    out += " }\n";
    if (f.Jump && (f.HoverColor != clNone || f.HoverBackColor != clNone)) {
      out += cls + ":hover {";
      if (f.HoverColor != clNone) out += " color: " + Hex(ColorToRGB(f.HoverColor)) + ";";
      if (f.HoverBackColor != clNone) out += " background-color: " + Hex(ColorToRGB(f.HoverBackColor)) + ";";
      out += " }\n";
    }
  }

  void ParaRule(std::string& out, int no) const {
    const TParaInfo& p = *Para(no);
    auto px = [](int v) { return std::to_string(v) + "px"; };
    out += ".ps" + std::to_string(no) + " { text-align: " + NameOf(kAlignNames, p.Alignment) + "; margin: " +
           px(p.SpaceBefore) + " " + px(p.RightIndent) + " " + px(p.SpaceAfter) + " " + px(p.LeftIndent) +
           "; text-indent: " + px(p.FirstIndent) + ";";
    if (p.LineSpacing != 100) out += " line-height: " + std::to_string(p.LineSpacing) + "%;";
    if (p.Background.Color != clNone) out += " background-color: " + Hex(ColorToRGB(p.Background.Color)) + ";";
    if (p.Border.Style != TParaBorderStyle::None) {
      const std::string border = px(p.Border.Width) +
                                 (p.Border.Style == TParaBorderStyle::Double ? " double " : " solid ") +
                                 TextColor(p.Border.Color) + ";";
      const std::pair<std::uint8_t, const char*> sides[] = {
          {kBorderLeft, "left"}, {kBorderTop, "top"}, {kBorderRight, "right"}, {kBorderBottom, "bottom"}};
      for (const auto& [bit, side] : sides)
        if (p.Border.Sides & bit) out += std::string(" border-") + side + ": " + border;
      out += " padding: " + px(p.Border.Padding) + ";";
    }
    if (p.BiDiMode == TRVBiDiMode::RightToLeft) out += " direction: rtl;";
    if (p.BiDiMode == TRVBiDiMode::LeftToRight) out += " direction: ltr;";
    out += " }\n";
  }

  const HtmlExportOptions& o_;
  std::vector<bool> usedText_, usedPara_;
};

class PlainFlavour : public Flavour {
 public:
  using Flavour::Flavour;

  void Head(std::string&) const override {}

  std::string BodyTag() const override {
    return doc_.Color == clNone ? "<body>" : "<body bgcolor=\"" + Hex(ColorToRGB(doc_.Color)) + "\">";
  }

  std::string ParagraphTag(int paraNo) const override {
    const TParaInfo* p = Para(paraNo);
    std::string tag = "<p";
    if (p && p->Alignment != TParaAlignment::Left)
      tag += std::string(" align=\"") + NameOf(kAlignNames, p->Alignment) + "\"";
    if (p && p->BiDiMode == TRVBiDiMode::RightToLeft) tag += " dir=\"rtl\"";
    return tag + ">";
  }

  void Text(std::string& out, const TRVTextItemInfo& t, const std::string& href) const override {
    if (!href.empty()) out += "<a href=\"" + HtmlEscape(href) + "\">";
    std::vector<std::string> tags;
    if (const TFontInfo* f = Font(t.StyleNo)) {
      out += "<font face=\"" + HtmlEscape(f->FontName) + "\" size=\"" + std::to_string(HtmlFontSize(f->Size)) +
             "\" color=\"" + TextColor(f->Color) + "\">";
      tags.push_back("font");
      const std::pair<TFontStyles, const char*> styles[] = {
          {fsBold, "b"}, {fsItalic, "i"}, {fsUnderline, "u"}, {fsStrikeOut, "s"}};
      for (const auto& [bit, tag] : styles)
        if (f->HasStyle(bit)) tags.push_back(tag);
      if (f->VShift > 0) tags.push_back("sup");
      if (f->VShift < 0) tags.push_back("sub");
      for (std::size_t i = 1; i < tags.size(); ++i) out += "<" + tags[i] + ">";
    }
    Content(out, t.Text, true);
    for (std::size_t i = tags.size(); i-- > 0;) out += "</" + tags[i] + ">";
    if (!href.empty()) out += "</a>";
  }

  std::string Line(const TRVBreakItemInfo& b) const override {
    std::string tag = "<hr size=\"" + std::to_string(b.Width) + "\"";
    if (b.Color != clNone) tag += " color=\"" + TextColor(b.Color) + "\"";
    if (b.Style == TRVBreakStyle::Line) tag += " noshade";
    return tag + ">";
  }

  std::string PictureAlign(TRVVAlign a) const override {
    return a == TRVVAlign::Baseline ? "" : std::string(" align=\"") + NameOf(kVAlignNames, a) + "\"";
  }

 private:
  // The seven sizes of <font size>, by the point sizes browsers give them.
  static int HtmlFontSize(int points) {
    constexpr int kUpTo[] = {8, 10, 12, 14, 18, 24};
    int size = 1;
    for (int limit : kUpTo) {
      if (points <= limit) return size;
      ++size;
    }
    return size;
  }
};

// ------------------------------------------------------------- the page

class PageWriter {
 public:
  PageWriter(const TRVDocument& doc, const HtmlExportOptions& o, const Flavour& flavour, PictureFiles& pictures)
      : doc_(doc), o_(o), flavour_(flavour), pictures_(pictures) {}

  std::optional<std::string> Write() {
    out_ = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + HtmlEscape(o_.title) +
           "</title>\n";
    flavour_.Head(out_);
    out_ += "</head>\n" + flavour_.BodyTag() + "\n";
    for (const TRVParagraph& para : doc_.Paragraphs)
      if (!Paragraph(para)) return std::nullopt;
    out_ += "</body>\n</html>\n";
    return std::move(out_);
  }

 private:
  // A horizontal line cannot stand inside <p>, so a paragraph holding one
  // becomes the parts before and after it with the line between.
  bool Paragraph(const TRVParagraph& para) {
    bool open = false;
    for (const TRVItem& item : para.Items()) {
      if (const TRVBreakItemInfo* b = item.AsBreak()) {
        if (open) out_ += "</p>\n";
        open = false;
        Anchors(item);
        out_ += flavour_.Line(*b) + "\n";
        continue;
      }
      if (!open) out_ += flavour_.ParagraphTag(para.ParaNo());
      open = true;
      Anchors(item);
      if (const TRVTextItemInfo* t = item.AsText())
        flavour_.Text(out_, *t, LinkOf(*t));
      else if (const TRVPictureItemInfo* p = item.AsPicture())
        if (!Picture(*p)) return false;
    }
    if (open) out_ += "</p>\n";
    return true;
  }

  void Anchors(const TRVItem& item) {
    if (!(o_.options & kHtmlCheckpointAnchors)) return;
    for (const std::string& name : item.Checkpoints)
      if (!name.empty()) out_ += "<a name=\"" + HtmlEscape(o_.cpPrefix + name) + "\"></a>";
  }

  std::string LinkOf(const TRVTextItemInfo& t) const {
    const bool jump = doc_.Style.HasTextStyle(t.StyleNo) && doc_.Style.TextStyle(t.StyleNo).Jump;
    return jump && IsSafeLinkTarget(t.Target) ? t.Target : std::string();
  }

  bool Picture(const TRVPictureItemInfo& p) {
    const std::optional<std::string> file = pictures_.Place(p);
    if (!file) return false;
    out_ += "<img src=\"" + HtmlEscape(UrlPath(*file)) + "\" alt=\"" + HtmlEscape(p.Name) + "\"";
    if (o_.options & kHtmlImageSizes)
      out_ += " width=\"" + std::to_string(p.Width) + "\" height=\"" + std::to_string(p.Height) + "\"";
    out_ += flavour_.PictureAlign(p.VAlign) + ">";
    return true;
  }

  const TRVDocument& doc_;
  const HtmlExportOptions& o_;
  const Flavour& flavour_;
  PictureFiles& pictures_;
  std::string out_;
};

bool SavePage(const TRVDocument& doc, const std::string& path, const HtmlExportOptions& o,
              const Flavour& flavour) {
  PictureFiles pictures(PathFromUtf8(path).parent_path(), o.imagePrefix, o.metafileToPng);
  const std::optional<std::string> page = PageWriter(doc, o, flavour, pictures).Write();
  return page && WriteFileReplacing(path, *page);
}

}  // namespace

bool SaveHTMLEx(const TRVDocument& doc, const std::string& path, const HtmlExportOptions& o) {
  return SavePage(doc, path, o, CssFlavour(doc, o));
}

bool SaveHTML(const TRVDocument& doc, const std::string& path, const HtmlExportOptions& o) {
  return SavePage(doc, path, o, PlainFlavour(doc));
}

}  // namespace nv
