#include "richview/html.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/temp_dir.h"
#include "ui/paths.h"

namespace nv {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream(PathFromUtf8(path), std::ios::binary) << bytes;
}

bool Has(const std::string& page, std::string_view what) { return page.find(what) != std::string::npos; }

TRVPictureItemInfo Picture(TRVPictureKind kind, std::string bytes, std::string name = "") {
  TRVPictureItemInfo p;
  p.Kind = kind;
  p.Data = SharedBytes(bytes.data(), bytes.size());
  p.Width = 32;
  p.Height = 16;
  p.Name = std::move(name);
  return p;
}

enum class Kind { Css, Plain };

class HtmlTest : public ::testing::TestWithParam<Kind> {
 protected:
  std::string Save(const TRVDocument& d, const HtmlExportOptions& o = {}) {
    ok_ = GetParam() == Kind::Css ? SaveHTMLEx(d, page_, o) : SaveHTML(d, page_, o);
    EXPECT_TRUE(ok_);
    return ReadFile(page_);
  }
  TempDir dir_;
  std::string page_ = dir_.File("page.htm");
  bool ok_ = false;
};

const char kHostile[] = "<script>alert('x')</script> & \"q\"";
const char kHostileEscaped[] = "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;";

TEST(HtmlEscape, EscapesTheFiveCharacters) {
  EXPECT_EQ(HtmlEscape(kHostile), kHostileEscaped);
  EXPECT_EQ(HtmlEscape("\xE2\x82\xAC plain"), "\xE2\x82\xAC plain");
}

TEST_P(HtmlTest, HostileTextTitleNamesAndTargetsAreEscaped) {
  TRVDocument d;
  d.Style.TextStyles[0].FontName = "Evil</style><script>x()</script>\"";
  TRVParagraph& p = d.AddParagraph(0);
  p.AddItem(TRVItem::MakeText(kHostile, 0)).Checkpoints = {kHostile};
  p.AddItem(TRVItem::MakeText("link", 4, std::string("http://x/?a=1&b=\"><script>")));
  p.AddItem(Picture(TRVPictureKind::Png, "png", kHostile));
  HtmlExportOptions o;
  o.title = kHostile;
  o.options = kHtmlCheckpointAnchors;
  o.extraStyles = "p { color: red } </style><script>y()</script>";
  o.externalCSS = "a\"b.css";
  const std::string page = Save(d, o);
  EXPECT_FALSE(Has(page, "<script")) << page;
  EXPECT_TRUE(Has(page, std::string("<title>") + kHostileEscaped + "</title>"));
  EXPECT_TRUE(Has(page, std::string("<a name=\"") + kHostileEscaped + "\"></a>"));
  EXPECT_TRUE(Has(page, std::string("alt=\"") + kHostileEscaped + "\""));
  EXPECT_TRUE(Has(page, "href=\"http://x/?a=1&amp;b=&quot;&gt;&lt;script&gt;\""));
  EXPECT_TRUE(Has(page, "<meta charset=\"utf-8\">"));
  // One </style> only: the style element is not ended early.
  EXPECT_EQ(page.find("</style>"), page.rfind("</style>"));
}

TEST_P(HtmlTest, ScriptTargetsAreNotMadeLinks) {
  TRVDocument d;
  TRVParagraph& p = d.AddParagraph(0);
  p.AddItem(TRVItem::MakeText("a", 4, " JaVa\tScript:alert(1)"));
  p.AddItem(TRVItem::MakeText("b", 5, "data:text/html,x"));
  p.AddItem(TRVItem::MakeText("c", 4, "notes.htm#here"));
  p.AddItem(TRVItem::MakeText("d", 0, "http://not-a-link/"));  // style 0 has no Jump
  const std::string page = Save(d);
  EXPECT_FALSE(Has(page, "cript:"));
  EXPECT_FALSE(Has(page, "data:"));
  EXPECT_FALSE(Has(page, "not-a-link"));
  EXPECT_TRUE(Has(page, "href=\"notes.htm#here\""));
}

TEST_P(HtmlTest, LinesBreaksAlignmentAndBackground) {
  TRVDocument d;
  d.Color = clYellow;
  TRVParagraph& p = d.AddParagraph(1);  // "Centered"
  p.AddItem(TRVItem::MakeText("one\ntwo", 0));
  p.AddItem(TRVBreakItemInfo{2, TRVBreakStyle::Line, clRed});
  p.AddItem(TRVItem::MakeText("three", 0));
  d.AddParagraph(0).AddItem(TRVItem::MakeText("", 0));
  const std::string page = Save(d);
  EXPECT_TRUE(Has(page, "one<br>two"));
  EXPECT_TRUE(Has(page, "<hr"));
  EXPECT_FALSE(Has(page, "<hr>three"));
  // The line is not inside a paragraph element.
  const std::size_t hr = page.find("<hr");
  EXPECT_LT(page.rfind("</p>", hr), hr);
  EXPECT_GT(page.find("<p", hr), hr);
  if (GetParam() == Kind::Css) {
    EXPECT_TRUE(Has(page, "text-align: center"));
    EXPECT_TRUE(Has(page, "body { background-color: #ffff00; }"));
    EXPECT_TRUE(Has(page, "border-top: 2px solid #ff0000"));
  } else {
    EXPECT_TRUE(Has(page, "<p align=\"center\">"));
    EXPECT_TRUE(Has(page, "<body bgcolor=\"#ffff00\">"));
    EXPECT_TRUE(Has(page, "<hr size=\"2\" color=\"#ff0000\" noshade>"));
    EXPECT_FALSE(Has(page, "<style"));
    EXPECT_FALSE(Has(page, "class="));
  }
}

TEST(HtmlCss, OneClassPerUsedStyle) {
  TempDir dir;
  TRVDocument d;
  d.AddParagraph(1).AddItem(TRVItem::MakeText("Heading", 1));
  TRVParagraph& p = d.AddParagraph(1);
  p.AddItem(TRVItem::MakeText("Key ", 3));
  p.AddItem(TRVItem::MakeText("link", 4, "http://x/"));
  ASSERT_TRUE(SaveHTMLEx(d, dir.File("p.html"), {}));
  const std::string page = ReadFile(dir.File("p.html"));
  for (const char* used : {".ts1 {", ".ts3 {", ".ts4 {", ".ps1 {"}) EXPECT_TRUE(Has(page, used)) << used;
  for (const char* unused : {".ts0 ", ".ts2 ", ".ts5 ", ".ps0 "}) EXPECT_FALSE(Has(page, unused)) << unused;
  EXPECT_TRUE(Has(page, "<p class=\"ps1\"><span class=\"ts1\">Heading</span></p>"));
  EXPECT_TRUE(Has(page, "<a class=\"ts4\" href=\"http://x/\">link</a>"));
  EXPECT_TRUE(Has(page, ".ts1 { font-family: \"Arial\"; font-size: 10pt; color: #0000ff; font-weight: bold;"));
  EXPECT_TRUE(Has(page, ".ts3 { font-family: \"Arial\"; font-size: 10pt; color: #800000; font-weight: normal; font-style: italic;"));
  EXPECT_TRUE(Has(page, "text-decoration: underline;"));
}

TEST(HtmlPlain, FormattingWithPlainElements) {
  TempDir dir;
  TRVDocument d;
  TRVParagraph& p = d.AddParagraph(0);
  p.AddItem(TRVItem::MakeText("  two  blanks\t", 3));
  p.AddItem(TRVItem::MakeText("bold", 1));
  ASSERT_TRUE(SaveHTML(d, dir.File("p.html"), {}));
  const std::string page = ReadFile(dir.File("p.html"));
  EXPECT_TRUE(Has(page, "<font face=\"Arial\" size=\"2\" color=\"#800000\"><i>&nbsp;&nbsp;two &nbsp;blanks&nbsp;&nbsp;&nbsp;&nbsp;</i></font>"));
  EXPECT_TRUE(Has(page, "<font face=\"Arial\" size=\"2\" color=\"#0000ff\"><b>bold</b></font>"));
}

TEST_P(HtmlTest, PicturesGoToNumberedFilesBesideThePage) {
  TRVDocument d;
  TRVParagraph& p = d.AddParagraph(0);
  p.AddItem(Picture(TRVPictureKind::Png, "PNG-1"));
  p.AddItem(Picture(TRVPictureKind::Jpg, "JPG-2"));
  p.AddItem(Picture(TRVPictureKind::Wmf, "WMF-3"));
  p.AddItem(Picture(TRVPictureKind::Emf, "EMF-4"));
  WriteFile(dir_.File("img1.png"), "someone else's picture");
  WriteFile(dir_.File("img3.jpg"), "JPG-2");  // the same bytes: reused

  HtmlExportOptions o;
  int rendered = 0;
  o.metafileToPng = [&](const TRVPictureItemInfo& pic) -> std::optional<std::string> {
    ++rendered;
    if (pic.Kind == TRVPictureKind::Emf) return std::nullopt;  // cannot: written as it is
    return "PNG-OF-" + std::string(reinterpret_cast<const char*>(pic.Data.data()), pic.Data.size());
  };
  std::string page = Save(d, o);
  EXPECT_EQ(rendered, 2);
  EXPECT_EQ(ReadFile(dir_.File("img1.png")), "someone else's picture");
  EXPECT_EQ(ReadFile(dir_.File("img2.png")), "PNG-1");
  EXPECT_EQ(ReadFile(dir_.File("img3.jpg")), "JPG-2");
  EXPECT_EQ(ReadFile(dir_.File("img4.png")), "PNG-OF-WMF-3");
  EXPECT_EQ(ReadFile(dir_.File("img5.emf")), "EMF-4");
  for (const char* src : {"src=\"img2.png\"", "src=\"img3.jpg\"", "src=\"img4.png\"", "src=\"img5.emf\""})
    EXPECT_TRUE(Has(page, src)) << src;
  EXPECT_FALSE(Has(page, "width="));

  // Saving again reuses the files written the first time; without a
  // renderer metafiles are written as they are.
  o.metafileToPng = nullptr;
  o.options = kHtmlImageSizes;
  o.imagePrefix = "pic ";
  page = Save(d, o);
  EXPECT_TRUE(Has(page, "src=\"pic%201.png\""));
  EXPECT_EQ(ReadFile(dir_.File("pic 3.wmf")), "WMF-3");
  EXPECT_TRUE(Has(page, "width=\"32\" height=\"16\""));
  const auto files = std::distance(std::filesystem::directory_iterator(PathFromUtf8(dir_.Path())), {});
  page = Save(d, o);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(PathFromUtf8(dir_.Path())), {}), files);
}

TEST_P(HtmlTest, CheckpointsAsAnchorsOnlyWhenAsked) {
  TRVDocument d;
  TRVParagraph& p = d.AddParagraph(0);
  p.AddItem(TRVItem::MakeText("a", 0)).Checkpoints = {"top", ""};
  p.AddItem(TRVBreakItemInfo{}).Checkpoints = {"rule"};
  EXPECT_FALSE(Has(Save(d), "name="));
  HtmlExportOptions o;
  o.options = kHtmlCheckpointAnchors;
  std::string page = Save(d, o);
  EXPECT_TRUE(Has(page, "<a name=\"top\"></a>"));
  EXPECT_TRUE(Has(page, "<a name=\"rule\"></a>\n<hr") || Has(page, "<a name=\"rule\"></a><hr"));
  EXPECT_FALSE(Has(page, "name=\"\""));
  o.cpPrefix = "cp_";
  EXPECT_TRUE(Has(Save(d, o), "<a name=\"cp_top\"></a>"));
}

TEST_P(HtmlTest, FailsWhenThePageOrAPictureCannotBeWritten) {
  TRVDocument d;
  d.AddParagraph(0).AddItem(Picture(TRVPictureKind::Png, "x"));
  const std::string nowhere = dir_.File("no/such/page.htm");
  EXPECT_FALSE(GetParam() == Kind::Css ? SaveHTMLEx(d, nowhere, {}) : SaveHTML(d, nowhere, {}));
  HtmlExportOptions o;
  o.imagePrefix = "missing-dir/img";
  EXPECT_FALSE(GetParam() == Kind::Css ? SaveHTMLEx(d, page_, o) : SaveHTML(d, page_, o));
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(page_)));
}

INSTANTIATE_TEST_SUITE_P(Both, HtmlTest, ::testing::Values(Kind::Css, Kind::Plain),
                         [](const auto& info) { return info.param == Kind::Css ? "WithCss" : "Simplified"; });

}  // namespace
}  // namespace nv
