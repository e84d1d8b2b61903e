// The control words the RTF reader knows, each with a small handler. Words
// not listed here are ignored (RTF's rule for readers), and destinations
// not listed here are skipped when marked \*.
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "notebook/richview/rtf_codepage.h"
#include "notebook/richview/rtf_reader.h"

namespace nv {

namespace {

using Handler = void (*)(RtfReader& r, int arg);

struct Control {
  std::string_view name;
  Handler run;
  int arg;
  bool destination;  // may follow \*
};

// Parameter helpers: RTF's toggles take no parameter or 1 for on, 0 for off.
int Param(const RtfReader& r, int absent) { return r.token.hasParam ? r.token.param : absent; }
bool On(const RtfReader& r) { return Param(r, 1) != 0; }
bool InText(RtfReader& r) { return r.Top().dest == RtfDest::Text; }

// ---- destinations

void Skip(RtfReader& r, int) { r.SetDest(RtfDest::Skip); }
void FontTable(RtfReader& r, int) { r.SetDest(RtfDest::FontTable); }
void ColorTable(RtfReader& r, int) { r.SetDest(RtfDest::ColorTable); }
void TextDest(RtfReader& r, int) {  // \pntext, \listtext: numbering shown as text
  if (r.Top().dest == RtfDest::Text) return;
  r.Top().dest = r.Top().bodyDest;
}
void Container(RtfReader& r, int) {  // \object, \upr: only their \result / \ud is read
  RtfGroupState& top = r.Top();
  top.bodyDest = top.dest;
  top.dest = RtfDest::Container;
}
void Result(RtfReader& r, int) {  // \result, \ud
  RtfGroupState& top = r.Top();
  if (top.dest == RtfDest::Container) top.dest = top.bodyDest;
}
void Picture(RtfReader& r, int) {
  const bool wanted = InText(r) && !r.Top().chr.hidden;
  r.StartPicture(wanted);
}
void Field(RtfReader& r, int) { r.StartField(); }
void FieldInst(RtfReader& r, int) {
  RtfGroupState& top = r.Top();
  top.instField = top.field;
  r.SetDest(RtfDest::FieldInst);
}
void FieldResult(RtfReader& r, int) { r.StartFieldResult(); }
void Bookmark(RtfReader& r, int) {
  if (InText(r)) r.SetDest(RtfDest::Bookmark);
  else r.SetDest(RtfDest::Skip);
}
void Background(RtfReader& r, int) {
  r.SetDest(RtfDest::Background);
  r.Top().inBackground = true;
}
void Shape(RtfReader& r, int) {  // \shp: in the text only its \shprslt is read
  if (!r.Top().inBackground) Container(r, 0);
}
void ShapeInst(RtfReader& r, int) {
  if (!r.Top().inBackground) r.SetDest(RtfDest::Skip);
}
void ShapeResult(RtfReader& r, int) {
  if (r.Top().inBackground) r.SetDest(RtfDest::Skip);
  else Result(r, 0);
}
void ShapeProperty(RtfReader& r, int) {
  if (r.Top().inBackground) r.ClearShapeProperty();
}
void ShapePart(RtfReader& r, int which) {  // \sn, \sv
  if (r.Top().inBackground) r.SetDest(which == 0 ? RtfDest::ShapeName : RtfDest::ShapeValue);
  else r.SetDest(RtfDest::Skip);
}
void FillColor(RtfReader& r, int) {
  if (r.Top().inBackground && r.token.hasParam && r.token.param >= 0)
    r.SetBackgroundFill(static_cast<std::uint32_t>(r.token.param));
}

// ---- document

void CodePage(RtfReader& r, int cp) { r.SetDocumentCodePage(cp != 0 ? cp : Param(r, 1252)); }
void DefaultFont(RtfReader& r, int) { r.SetDefaultFont(Param(r, 0)); }

// ---- font and colour tables

void Font(RtfReader& r, int) {
  if (r.Top().dest == RtfDest::FontTable) r.StartFontEntry(Param(r, 0));
  else r.Top().chr.font = Param(r, -1);
}
void FontCharset(RtfReader& r, int) {
  if (r.Top().dest == RtfDest::FontTable) r.SetFontCharset(Param(r, -1));
}
void ColorPart(RtfReader& r, int shift) {
  if (r.Top().dest == RtfDest::ColorTable) r.SetColorComponent(shift, Param(r, 0));
}

// ---- character formatting

void Plain(RtfReader& r, int) { r.Top().chr = RtfCharProps{}; }
void FontStyle(RtfReader& r, int bit) {
  RtfCharProps& c = r.Top().chr;
  c.style = static_cast<std::uint8_t>(On(r) ? (c.style | bit) : (c.style & ~bit));
}
void UnderlineOff(RtfReader& r, int) { r.Top().chr.style &= static_cast<std::uint8_t>(~fsUnderline); }
void Caps(RtfReader& r, int) { r.Top().chr.caps = On(r); }
void Hidden(RtfReader& r, int) { r.Top().chr.hidden = On(r); }
void FontSize(RtfReader& r, int) {
  const int hp = Param(r, 24);
  r.Top().chr.halfPoints = hp > 0 ? hp : 24;
}
void ForeColor(RtfReader& r, int) { r.Top().chr.foreColor = Param(r, 0); }
void BackColor(RtfReader& r, int) { r.Top().chr.backColor = Param(r, 0); }
void Highlight(RtfReader& r, int) {
  const int n = Param(r, 0);
  r.Top().chr.backColor = n > 0 ? n : -1;  // \highlight0 is no highlight
}
void Script(RtfReader& r, int dir) {
  r.Top().chr.script = static_cast<std::int8_t>(dir);
  if (dir == 0) r.Top().chr.raise = 0;
}
void Raise(RtfReader& r, int dir) {
  const std::int64_t hp = std::clamp(Param(r, 6), 0, 32767);
  r.Top().chr.raise = static_cast<int>(dir * hp);
}

// ---- paragraph formatting

void ParaDefault(RtfReader& r, int) { r.Top().para = RtfParaProps{}; }
void Align(RtfReader& r, int a) { r.Top().para.align = static_cast<TParaAlignment>(a); }
void ParaMetric(RtfReader& r, int which) {
  RtfParaProps& p = r.Top().para;
  const int v = Param(r, 0);
  int* fields[] = {&p.leftIndent, &p.rightIndent, &p.firstIndent, &p.spaceBefore, &p.spaceAfter,
                   &p.lineSpacing};
  *fields[which] = v;
}
void LineMultiple(RtfReader& r, int) { r.Top().para.lineMultiple = On(r); }
void Shading(RtfReader& r, int) { r.Top().para.shading = Param(r, 0); }
void BorderSide(RtfReader& r, int sides) { r.Top().para.borderTarget = static_cast<std::uint8_t>(sides); }
void BorderKind(RtfReader& r, int kind) {
  RtfParaProps& p = r.Top().para;
  if (p.borderTarget == 0) return;  // a border of a cell, row, page or characters
  const auto k = static_cast<RtfBorderKind>(kind);
  if (k == RtfBorderKind::None) {
    p.borderSides = static_cast<std::uint8_t>(p.borderSides & ~p.borderTarget);
    if (p.borderSides == 0) p.borderKind = RtfBorderKind::None;
    return;
  }
  p.borderSides = static_cast<std::uint8_t>(p.borderSides | p.borderTarget);
  p.borderKind = k;
}
void BorderValue(RtfReader& r, int which) {
  RtfParaProps& p = r.Top().para;
  if (p.borderTarget == 0) return;
  const int v = Param(r, 0);
  if (which == 0) p.borderWidth = std::max(v, 0);
  else if (which == 1) p.borderColor = v;
  else p.borderSpace = std::max(v, 0);
}
void TabAlign(RtfReader& r, int a) { r.Top().para.tabAlign = static_cast<TTabAlign>(a); }
void TabLeader(RtfReader& r, int c) {
  std::string& leader = r.Top().para.tabLeader;
  leader.clear();
  if (c == 0xB7) leader = "\xC2\xB7";
  else leader = std::string(1, static_cast<char>(c));
}
void TabStop(RtfReader& r, int) {
  RtfParaProps& p = r.Top().para;
  const std::int64_t twips = Param(r, 0);
  const int px = static_cast<int>(std::clamp<std::int64_t>((twips + 7) / 15, 0, kMaxParaMetric));
  // A file may list thousands of stops; more than a line could hold is noise.
  if (p.tabs.size() < 64) p.tabs.push_back(TRVTabInfo{px, p.tabAlign, p.tabLeader});
  p.tabAlign = TTabAlign::Left;
  p.tabLeader.clear();
}
void BarTab(RtfReader& r, int) {
  r.Top().para.tabAlign = TTabAlign::Left;
  r.Top().para.tabLeader.clear();
}
void ReadingOrder(RtfReader& r, int rtl) { r.Top().para.rightToLeft = rtl != 0; }

// ---- text

void Par(RtfReader& r, int) {
  if (InText(r)) r.EndParagraph();
}
void Char(RtfReader& r, int c) { r.EmitChar(static_cast<char32_t>(c)); }
void Unicode(RtfReader& r, int) {
  if (!r.token.hasParam) return;
  r.EmitUnicode(r.token.param);
  r.StartSkipping();
}
void UnicodeSkip(RtfReader& r, int) { r.Top().uc = std::clamp(Param(r, 1), 0, 65535); }

constexpr int kLeft = static_cast<int>(TParaAlignment::Left);
constexpr int kRight = static_cast<int>(TParaAlignment::Right);
constexpr int kCenter = static_cast<int>(TParaAlignment::Center);
constexpr int kJustify = static_cast<int>(TParaAlignment::Justify);
constexpr int kNoBorder = static_cast<int>(RtfBorderKind::None);
constexpr int kSingle = static_cast<int>(RtfBorderKind::Single);
constexpr int kDouble = static_cast<int>(RtfBorderKind::Double);
constexpr int kDotted = static_cast<int>(RtfBorderKind::Dotted);
constexpr int kDashed = static_cast<int>(RtfBorderKind::Dashed);

// In any order: FindControl sorts a copy once.
constexpr Control kControls[] = {
    {"aftncn", Skip, 0, true},
    {"aftnsep", Skip, 0, true},
    {"aftnsepc", Skip, 0, true},
    {"annotation", Skip, 0, true},
    {"ansi", CodePage, 1252, false},
    {"ansicpg", CodePage, 0, false},
    {"atnauthor", Skip, 0, true},
    {"atndate", Skip, 0, true},
    {"atnid", Skip, 0, true},
    {"atnref", Skip, 0, true},
    {"author", Skip, 0, true},
    {"b", FontStyle, fsBold, false},
    {"background", Background, 0, true},
    {"bkmkend", Skip, 0, true},
    {"bkmkstart", Bookmark, 0, true},
    {"blue", ColorPart, 2, false},
    {"box", BorderSide, kAllBorderSides, false},
    {"brdrb", BorderSide, kBorderBottom, false},
    {"brdrcf", BorderValue, 1, false},
    {"brdrdash", BorderKind, kDashed, false},
    {"brdrdashsm", BorderKind, kDashed, false},
    {"brdrdb", BorderKind, kDouble, false},
    {"brdrdot", BorderKind, kDotted, false},
    {"brdrhair", BorderKind, kSingle, false},
    {"brdrl", BorderSide, kBorderLeft, false},
    {"brdrnil", BorderKind, kNoBorder, false},
    {"brdrnone", BorderKind, kNoBorder, false},
    {"brdrr", BorderSide, kBorderRight, false},
    {"brdrs", BorderKind, kSingle, false},
    {"brdrsh", BorderKind, kSingle, false},
    {"brdrt", BorderSide, kBorderTop, false},
    {"brdrth", BorderKind, kSingle, false},
    {"brdrw", BorderValue, 0, false},
    {"brsp", BorderValue, 2, false},
    {"bullet", Char, 0x2022, false},
    {"buptim", Skip, 0, true},
    {"cb", BackColor, 0, false},
    {"cbpat", Shading, 0, false},
    {"caps", Caps, 0, false},
    {"cell", Par, 0, false},
    {"cf", ForeColor, 0, false},
    {"chbrdr", BorderSide, 0, false},
    {"chcbpat", BackColor, 0, false},
    {"clbrdrb", BorderSide, 0, false},
    {"clbrdrl", BorderSide, 0, false},
    {"clbrdrr", BorderSide, 0, false},
    {"clbrdrt", BorderSide, 0, false},
    {"colorschememapping", Skip, 0, true},
    {"colortbl", ColorTable, 0, false},
    {"comment", Skip, 0, true},
    {"company", Skip, 0, true},
    {"creatim", Skip, 0, true},
    {"datastore", Skip, 0, true},
    {"deff", DefaultFont, 0, false},
    {"dibitmap", nullptr, 0, false},  // picture types: see PictureType below
    {"dn", Raise, -1, false},
    {"docvar", Skip, 0, true},
    {"doccomm", Skip, 0, true},
    {"emdash", Char, 0x2014, false},
    {"emfblip", nullptr, 0, false},
    {"emspace", Char, 0x2003, false},
    {"endash", Char, 0x2013, false},
    {"enspace", Char, 0x2002, false},
    {"f", Font, 0, false},
    {"fcharset", FontCharset, 0, false},
    {"fi", ParaMetric, 2, false},
    {"field", Field, 0, true},
    {"filetbl", Skip, 0, true},
    {"fillColor", FillColor, 0, false},
    {"fldinst", FieldInst, 0, true},
    {"fldrslt", FieldResult, 0, true},
    {"fonttbl", FontTable, 0, false},
    {"footer", Skip, 0, true},
    {"footerf", Skip, 0, true},
    {"footerl", Skip, 0, true},
    {"footerr", Skip, 0, true},
    {"footnote", Skip, 0, true},
    {"fs", FontSize, 0, false},
    {"ftncn", Skip, 0, true},
    {"ftnsep", Skip, 0, true},
    {"ftnsepc", Skip, 0, true},
    {"generator", Skip, 0, true},
    {"green", ColorPart, 1, false},
    {"header", Skip, 0, true},
    {"headerf", Skip, 0, true},
    {"headerl", Skip, 0, true},
    {"headerr", Skip, 0, true},
    {"highlight", Highlight, 0, false},
    {"i", FontStyle, fsItalic, false},
    {"info", Skip, 0, true},
    {"jpegblip", nullptr, 0, false},
    {"keywords", Skip, 0, true},
    {"latentstyles", Skip, 0, true},
    {"ldblquote", Char, 0x201C, false},
    {"li", ParaMetric, 0, false},
    {"line", Char, '\n', false},
    {"listoverridetable", Skip, 0, true},
    {"listtable", Skip, 0, true},
    {"listtext", TextDest, 0, false},
    {"lquote", Char, 0x2018, false},
    {"ltrmark", Char, 0x200E, false},
    {"ltrpar", ReadingOrder, 0, false},
    {"mac", CodePage, 10000, false},
    {"nestcell", Par, 0, false},
    {"nonshppict", Skip, 0, true},
    {"nosupersub", Script, 0, false},
    {"object", Container, 0, true},
    {"objdata", Skip, 0, true},
    {"operator", Skip, 0, true},
    {"pard", ParaDefault, 0, false},
    {"par", Par, 0, false},
    {"pc", CodePage, 437, false},
    {"pca", CodePage, 850, false},
    {"pgbrdrb", BorderSide, 0, false},
    {"pgbrdrl", BorderSide, 0, false},
    {"pgbrdrr", BorderSide, 0, false},
    {"pgbrdrt", BorderSide, 0, false},
    {"pgdsctbl", Skip, 0, true},
    {"pict", Picture, 0, true},
    {"plain", Plain, 0, false},
    {"pn", Skip, 0, true},
    {"pngblip", nullptr, 0, false},
    {"pntext", TextDest, 0, false},
    {"printim", Skip, 0, true},
    {"private", Skip, 0, true},
    {"qc", Align, kCenter, false},
    {"qd", Align, kJustify, false},
    {"qj", Align, kJustify, false},
    {"ql", Align, kLeft, false},
    {"qmspace", Char, 0x2005, false},
    {"qr", Align, kRight, false},
    {"rdblquote", Char, 0x201D, false},
    {"red", ColorPart, 0, false},
    {"result", Result, 0, true},
    {"revtbl", Skip, 0, true},
    {"revtim", Skip, 0, true},
    {"ri", ParaMetric, 1, false},
    {"rquote", Char, 0x2019, false},
    {"rsidtbl", Skip, 0, true},
    {"rtlmark", Char, 0x200F, false},
    {"rtlpar", ReadingOrder, 1, false},
    {"rxe", Skip, 0, true},
    {"sa", ParaMetric, 4, false},
    {"sb", ParaMetric, 3, false},
    {"sect", Par, 0, false},
    {"shp", Shape, 0, true},
    {"shpinst", ShapeInst, 0, true},
    {"shppict", TextDest, 0, true},
    {"shprslt", ShapeResult, 0, true},
    {"sl", ParaMetric, 5, false},
    {"slmult", LineMultiple, 0, false},
    {"sn", ShapePart, 0, true},
    {"sp", ShapeProperty, 0, true},
    {"strike", FontStyle, fsStrikeOut, false},
    {"striked", FontStyle, fsStrikeOut, false},
    {"stylesheet", Skip, 0, true},
    {"sub", Script, -1, false},
    {"subject", Skip, 0, true},
    {"super", Script, 1, false},
    {"sv", ShapePart, 1, true},
    {"tab", Char, '\t', false},
    {"tb", BarTab, 0, false},
    {"tc", Skip, 0, true},
    {"template", Skip, 0, true},
    {"themedata", Skip, 0, true},
    {"title", Skip, 0, true},
    {"tldot", TabLeader, '.', false},
    {"tleq", TabLeader, '=', false},
    {"tlhyph", TabLeader, '-', false},
    {"tlmdot", TabLeader, 0xB7, false},
    {"tlth", TabLeader, '_', false},
    {"tlul", TabLeader, '_', false},
    {"tqc", TabAlign, static_cast<int>(TTabAlign::Center), false},
    {"tqdec", TabAlign, static_cast<int>(TTabAlign::Right), false},
    {"tqr", TabAlign, static_cast<int>(TTabAlign::Right), false},
    {"trbrdrb", BorderSide, 0, false},
    {"trbrdrh", BorderSide, 0, false},
    {"trbrdrl", BorderSide, 0, false},
    {"trbrdrr", BorderSide, 0, false},
    {"trbrdrt", BorderSide, 0, false},
    {"trbrdrv", BorderSide, 0, false},
    {"tx", TabStop, 0, false},
    {"txe", Skip, 0, true},
    {"u", Unicode, 0, false},
    {"uc", UnicodeSkip, 0, false},
    {"ud", Result, 0, true},
    {"ul", FontStyle, fsUnderline, false},
    {"ulc", nullptr, 0, false},  // underline colour: not an underline
    {"uld", FontStyle, fsUnderline, false},
    {"uldash", FontStyle, fsUnderline, false},
    {"uldashd", FontStyle, fsUnderline, false},
    {"uldashdd", FontStyle, fsUnderline, false},
    {"uldb", FontStyle, fsUnderline, false},
    {"ulhwave", FontStyle, fsUnderline, false},
    {"ulldash", FontStyle, fsUnderline, false},
    {"ulnone", UnderlineOff, 0, false},
    {"ulth", FontStyle, fsUnderline, false},
    {"ulthd", FontStyle, fsUnderline, false},
    {"ulthdash", FontStyle, fsUnderline, false},
    {"ulthdashd", FontStyle, fsUnderline, false},
    {"ulthdashdd", FontStyle, fsUnderline, false},
    {"ulthldash", FontStyle, fsUnderline, false},
    {"ululdbwave", FontStyle, fsUnderline, false},
    {"ulw", FontStyle, fsUnderline, false},
    {"ulwave", FontStyle, fsUnderline, false},
    {"up", Raise, 1, false},
    {"upr", Container, 0, false},
    {"userprops", Skip, 0, true},
    {"v", Hidden, 0, false},
    {"wbitmap", nullptr, 0, false},
    {"wmetafile", nullptr, 0, false},
    {"xe", Skip, 0, true},
    {"xmlnstbl", Skip, 0, true},
    {"zwj", Char, 0x200D, false},
    {"zwnj", Char, 0x200C, false},
};

// Picture words only mean something inside \pict.
bool PictureWord(RtfReader& r) {
  RtfPicture& p = r.Picture();
  const std::string_view n = r.token.name;
  const int v = Param(r, 0);
  if (n == "pngblip") p.kind = TRVPictureKind::Png;
  else if (n == "jpegblip") p.kind = TRVPictureKind::Jpg;
  else if (n == "emfblip") p.kind = TRVPictureKind::Emf;
  else if (n == "wmetafile") { p.kind = TRVPictureKind::Wmf; p.metafile = true; }
  else if (n == "dibitmap") p.kind = TRVPictureKind::Bmp;
  else if (n == "wbitmap" || n == "macpict" || n == "pmmetafile") p.kind.reset();
  else if (n == "picw") p.picw = v;
  else if (n == "pich") p.pich = v;
  else if (n == "picwgoal") p.goalw = v;
  else if (n == "pichgoal") p.goalh = v;
  else if (n == "picscalex") p.scalex = v;
  else if (n == "picscaley") p.scaley = v;
  else return false;
  return true;
}

const Control* FindControl(std::string_view name) {
  static const std::vector<Control> table = [] {
    std::vector<Control> t(std::begin(kControls), std::end(kControls));
    std::sort(t.begin(), t.end(), [](const Control& a, const Control& b) { return a.name < b.name; });
    return t;
  }();
  auto it = std::lower_bound(table.begin(), table.end(), name,
                             [](const Control& c, std::string_view n) { return c.name < n; });
  return it != table.end() && it->name == name ? &*it : nullptr;
}

}  // namespace

bool RunControlWord(RtfReader& r, bool ignorable) {
  if (r.Top().dest == RtfDest::Picture && !ignorable && PictureWord(r)) return true;
  const Control* c = FindControl(r.token.name);
  if (!c || (ignorable && !c->destination)) return false;
  if (c->run) c->run(r, c->arg);
  return true;
}

}  // namespace nv
