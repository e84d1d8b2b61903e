// The control words the RTF reader knows, each with a small handler. Words
// not listed here are ignored (RTF's rule for readers), and destinations
// not listed here are skipped when marked \*. A word listed here keeps its
// meaning after \*: writers mark newer words that way (\*\cs7 in running
// text), and the text of their group is the document's.
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "richview/rtf_codepage.h"
#include "richview/rtf_reader.h"

namespace nv {

namespace {

using Handler = void (*)(RtfReader& r, int arg);

struct Control {
  std::string_view name;
  Handler run;
  int arg;
};

// Parameter helpers: RTF's toggles take no parameter or 1 for on, 0 for off.
int Param(const RtfReader& r, int absent) { return r.token.hasParam ? r.token.param : absent; }
bool On(const RtfReader& r) { return Param(r, 1) != 0; }
bool InText(RtfReader& r) { return r.Top().dest == RtfDest::Text; }

// ---- destinations

void Skip(RtfReader& r, int) { r.SetDest(RtfDest::Skip); }
void FontTable(RtfReader& r, int) { r.SetDest(RtfDest::FontTable); }
void ColorTable(RtfReader& r, int) { r.SetDest(RtfDest::ColorTable); }
void TextDest(RtfReader& r, int) {  // \shppict: read where the shape's result would be
  if (r.Top().dest == RtfDest::Text) return;
  r.Top().dest = r.Top().bodyDest;
}
void Numbering(RtfReader& r, int) {  // \pntext, \listtext: the number shown as text
  // Writers may give a paragraph both, for old and new readers alike.
  if (r.Top().dest == RtfDest::Text && !r.TakeParagraphNumber()) r.SetDest(RtfDest::Skip);
  else TextDest(r, 0);
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
void FontCodePage(RtfReader& r, int) {
  if (r.Top().dest == RtfDest::FontTable) r.SetFontCodePage(Param(r, -1));
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
void ParMark(RtfReader& r, int) {
  // A hidden paragraph mark joins its paragraph to the next one, as the
  // text is shown when hidden text is not.
  if (!r.Top().chr.hidden) Par(r, 0);
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
    {"aftncn", Skip, 0},
    {"aftnsep", Skip, 0},
    {"aftnsepc", Skip, 0},
    {"annotation", Skip, 0},
    {"ansi", CodePage, 1252},
    {"ansicpg", CodePage, 0},
    {"atnauthor", Skip, 0},
    {"atndate", Skip, 0},
    {"atnid", Skip, 0},
    {"atnref", Skip, 0},
    {"author", Skip, 0},
    {"b", FontStyle, fsBold},
    {"background", Background, 0},
    {"bkmkend", Skip, 0},
    {"bkmkstart", Bookmark, 0},
    {"blue", ColorPart, 2},
    {"box", BorderSide, kAllBorderSides},
    {"brdrb", BorderSide, kBorderBottom},
    {"brdrcf", BorderValue, 1},
    {"brdrdash", BorderKind, kDashed},
    {"brdrdashsm", BorderKind, kDashed},
    {"brdrdb", BorderKind, kDouble},
    {"brdrdot", BorderKind, kDotted},
    {"brdrhair", BorderKind, kSingle},
    {"brdrl", BorderSide, kBorderLeft},
    {"brdrnil", BorderKind, kNoBorder},
    {"brdrnone", BorderKind, kNoBorder},
    {"brdrr", BorderSide, kBorderRight},
    {"brdrs", BorderKind, kSingle},
    {"brdrsh", BorderKind, kSingle},
    {"brdrt", BorderSide, kBorderTop},
    {"brdrth", BorderKind, kSingle},
    {"brdrw", BorderValue, 0},
    {"brsp", BorderValue, 2},
    {"bullet", Char, 0x2022},
    {"buptim", Skip, 0},
    {"cb", BackColor, 0},
    {"cbpat", Shading, 0},
    {"caps", Caps, 0},
    {"cell", Par, 0},
    {"cf", ForeColor, 0},
    {"chbrdr", BorderSide, 0},
    {"chcbpat", BackColor, 0},
    {"clbrdrb", BorderSide, 0},
    {"clbrdrl", BorderSide, 0},
    {"clbrdrr", BorderSide, 0},
    {"clbrdrt", BorderSide, 0},
    {"colorschememapping", Skip, 0},
    {"colortbl", ColorTable, 0},
    {"comment", Skip, 0},
    {"cpg", FontCodePage, 0},
    {"company", Skip, 0},
    {"creatim", Skip, 0},
    {"cs", nullptr, 0},  // character style: its formatting is written out beside it
    {"datastore", Skip, 0},
    {"deff", DefaultFont, 0},
    {"dibitmap", nullptr, 0},  // picture types: see PictureType below
    {"dn", Raise, -1},
    {"docvar", Skip, 0},
    {"doccomm", Skip, 0},
    {"emdash", Char, 0x2014},
    {"emfblip", nullptr, 0},
    {"emspace", Char, 0x2003},
    {"endash", Char, 0x2013},
    {"enspace", Char, 0x2002},
    {"f", Font, 0},
    {"fcharset", FontCharset, 0},
    {"fi", ParaMetric, 2},
    {"field", Field, 0},
    {"filetbl", Skip, 0},
    {"fillColor", FillColor, 0},
    {"fldinst", FieldInst, 0},
    {"fldrslt", FieldResult, 0},
    {"fonttbl", FontTable, 0},
    {"footer", Skip, 0},
    {"footerf", Skip, 0},
    {"footerl", Skip, 0},
    {"footerr", Skip, 0},
    {"footnote", Skip, 0},
    {"fs", FontSize, 0},
    {"ftncn", Skip, 0},
    {"ftnsep", Skip, 0},
    {"ftnsepc", Skip, 0},
    {"generator", Skip, 0},
    {"green", ColorPart, 1},
    {"header", Skip, 0},
    {"headerf", Skip, 0},
    {"headerl", Skip, 0},
    {"headerr", Skip, 0},
    {"highlight", Highlight, 0},
    {"i", FontStyle, fsItalic},
    {"info", Skip, 0},
    {"jpegblip", nullptr, 0},
    {"keywords", Skip, 0},
    {"latentstyles", Skip, 0},
    {"ldblquote", Char, 0x201C},
    {"li", ParaMetric, 0},
    {"line", Char, '\n'},
    {"listoverridetable", Skip, 0},
    {"listtable", Skip, 0},
    {"listtext", Numbering, 0},
    {"lquote", Char, 0x2018},
    {"ltrmark", Char, 0x200E},
    {"ltrpar", ReadingOrder, 0},
    {"mac", CodePage, 10000},
    {"nestcell", Par, 0},
    {"nonesttables", Skip, 0},  // the copy of nested tables for readers without them
    {"nonshppict", Skip, 0},
    {"nosupersub", Script, 0},
    {"object", Container, 0},
    {"objdata", Skip, 0},
    {"operator", Skip, 0},
    {"pard", ParaDefault, 0},
    {"par", ParMark, 0},
    {"pc", CodePage, 437},
    {"pca", CodePage, 850},
    {"pgbrdrb", BorderSide, 0},
    {"pgbrdrl", BorderSide, 0},
    {"pgbrdrr", BorderSide, 0},
    {"pgbrdrt", BorderSide, 0},
    {"pgdsctbl", Skip, 0},
    {"pict", Picture, 0},
    {"plain", Plain, 0},
    {"pn", Skip, 0},
    {"pngblip", nullptr, 0},
    {"pntext", Numbering, 0},
    {"printim", Skip, 0},
    {"private", Skip, 0},
    {"qc", Align, kCenter},
    {"qd", Align, kJustify},
    {"qj", Align, kJustify},
    {"ql", Align, kLeft},
    {"qmspace", Char, 0x2005},
    {"qr", Align, kRight},
    {"rdblquote", Char, 0x201D},
    {"red", ColorPart, 0},
    {"result", Result, 0},
    {"revtbl", Skip, 0},
    {"revtim", Skip, 0},
    {"ri", ParaMetric, 1},
    {"rquote", Char, 0x2019},
    {"rsidtbl", Skip, 0},
    {"rtlmark", Char, 0x200F},
    {"rtlpar", ReadingOrder, 1},
    {"rxe", Skip, 0},
    {"sa", ParaMetric, 4},
    {"sb", ParaMetric, 3},
    {"sect", Par, 0},
    {"shp", Shape, 0},
    {"shpinst", ShapeInst, 0},
    {"shppict", TextDest, 0},
    {"shprslt", ShapeResult, 0},
    {"sl", ParaMetric, 5},
    {"slmult", LineMultiple, 0},
    {"sn", ShapePart, 0},
    {"sp", ShapeProperty, 0},
    {"strike", FontStyle, fsStrikeOut},
    {"striked", FontStyle, fsStrikeOut},
    {"stylesheet", Skip, 0},
    {"sub", Script, -1},
    {"subject", Skip, 0},
    {"super", Script, 1},
    {"sv", ShapePart, 1},
    {"tab", Char, '\t'},
    {"tb", BarTab, 0},
    {"tc", Skip, 0},
    {"template", Skip, 0},
    {"themedata", Skip, 0},
    {"title", Skip, 0},
    {"tldot", TabLeader, '.'},
    {"tleq", TabLeader, '='},
    {"tlhyph", TabLeader, '-'},
    {"tlmdot", TabLeader, 0xB7},
    {"tlth", TabLeader, '_'},
    {"tlul", TabLeader, '_'},
    {"tqc", TabAlign, static_cast<int>(TTabAlign::Center)},
    {"tqdec", TabAlign, static_cast<int>(TTabAlign::Right)},
    {"tqr", TabAlign, static_cast<int>(TTabAlign::Right)},
    {"trbrdrb", BorderSide, 0},
    {"trbrdrh", BorderSide, 0},
    {"trbrdrl", BorderSide, 0},
    {"trbrdrr", BorderSide, 0},
    {"trbrdrt", BorderSide, 0},
    {"trbrdrv", BorderSide, 0},
    {"tx", TabStop, 0},
    {"txe", Skip, 0},
    {"u", Unicode, 0},
    {"uc", UnicodeSkip, 0},
    {"ud", Result, 0},
    {"ul", FontStyle, fsUnderline},
    {"ulc", nullptr, 0},  // underline colour: not an underline
    {"uld", FontStyle, fsUnderline},
    {"uldash", FontStyle, fsUnderline},
    {"uldashd", FontStyle, fsUnderline},
    {"uldashdd", FontStyle, fsUnderline},
    {"uldb", FontStyle, fsUnderline},
    {"ulhwave", FontStyle, fsUnderline},
    {"ulldash", FontStyle, fsUnderline},
    {"ulnone", UnderlineOff, 0},
    {"ulth", FontStyle, fsUnderline},
    {"ulthd", FontStyle, fsUnderline},
    {"ulthdash", FontStyle, fsUnderline},
    {"ulthdashd", FontStyle, fsUnderline},
    {"ulthdashdd", FontStyle, fsUnderline},
    {"ulthldash", FontStyle, fsUnderline},
    {"ululdbwave", FontStyle, fsUnderline},
    {"ulw", FontStyle, fsUnderline},
    {"ulwave", FontStyle, fsUnderline},
    {"up", Raise, 1},
    {"upr", Container, 0},
    {"userprops", Skip, 0},
    {"v", Hidden, 0},
    {"wbitmap", nullptr, 0},
    {"wmetafile", nullptr, 0},
    {"xe", Skip, 0},
    {"xmlnstbl", Skip, 0},
    {"zwj", Char, 0x200D},
    {"zwnj", Char, 0x200C},
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
  if (!c) return false;
  if (c->run) c->run(r, c->arg);
  return true;
}

}  // namespace nv
