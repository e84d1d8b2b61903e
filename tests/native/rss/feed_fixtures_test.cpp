// Feeds in the shapes sites publish them: every root form, every element a
// title, date or text comes in, every content type and mode, and the
// encodings feeds are written in, each read with its title, link, date and
// text checked. Files under tests/data/feeds add whole feeds as published.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "codec/base64.h"
#include "codec/code_page.h"
#include "rss/feed_error.h"
#include "rss/feed_parser.h"
#include "rss/feed_text.h"

namespace nv::rss {
namespace {

struct Fixture {
  std::string name;
  std::string document;
  std::string httpCharset;
  std::string title, link, date, text;
};

constexpr const char* kNamespaces =
    R"( xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/")"
    R"( xmlns:content="http://purl.org/rss/1.0/modules/content/" xmlns:xhtml="http://www.w3.org/1999/xhtml")";

// The item text every fixture carries, as markup and as the reader shows it.
constexpr const char* kHtml = "<p>First <b>bold</b> line</p><p>Second &amp; last</p>";
constexpr const char* kText = "First bold line\nSecond & last";

std::string Escaped(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else out += c;
  }
  return out;
}

std::string Base64(std::string_view s) {
  std::vector<std::uint8_t> buf(base64::EncodedSize(s.size(), 57));
  std::copy(s.begin(), s.end(), buf.end() - static_cast<std::ptrdiff_t>(s.size()));
  base64::EncodeInPlace(buf.data(), s.size(), 57);
  return std::string(buf.begin(), buf.end());
}

struct Variant {
  std::string name, markup;
};

// RSS in all its forms: ITEM stands for the item's elements, LINK for its
// address.
std::vector<Variant> RssShapes() {
  const std::string ns = kNamespaces;
  const std::string channel = "<title>Chan</title><link>http://site.example/</link><description>D</description>";
  return {
      {"rss2", "<rss version=\"2.0\"" + ns + "><channel>" + channel + "<item>ITEM</item></channel></rss>"},
      {"rss2-default-namespace", "<rss version=\"2.0\" xmlns=\"http://backend.userland.com/rss2\"" + ns + "><channel>" +
                                     channel + "<item>ITEM</item></channel></rss>"},
      {"rss091", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
                 "\"http://my.netscape.com/publish/formats/rss-0.91.dtd\"><rss version=\"0.91\"" + ns + "><channel>" +
                     channel + "<item>ITEM</item></channel></rss>"},
      {"rss092-default-namespace", "<rss version=\"0.92\" xmlns=\"http://example.org/rss092\"" + ns + "><channel>" +
                                       channel + "<item>ITEM</item></channel></rss>"},
      {"rss2-item-beside-channel", "<rss version=\"2.0\"" + ns + "><channel>" + channel + "</channel><item>ITEM</item></rss>"},
      {"rss1", "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" xmlns=\"http://purl.org/rss/1.0/\"" + ns +
                   "><channel rdf:about=\"http://site.example/\">" + channel + "</channel><item rdf:about=\"LINK\">ITEM</item></rdf:RDF>"},
      {"rss1-item-in-channel", "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" xmlns=\"http://purl.org/rss/1.0/\"" +
                                   ns + "><channel rdf:about=\"http://site.example/\">" + channel +
                                   "<item rdf:about=\"LINK\">ITEM</item></channel></rdf:RDF>"},
      {"rss090", "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" xmlns=\"http://my.netscape.com/rdf/simple/0.9/\"" +
                     ns + "><channel>" + channel + "</channel><item>ITEM</item></rdf:RDF>"},
  };
}

std::vector<Fixture> RssFixtures() {
  const std::vector<Variant> dates = {
      {"pubDate", "<pubDate>DATE</pubDate>"},          {"dc:date", "<dc:date>DATE</dc:date>"},
      {"dcterms:issued", "<dcterms:issued>DATE</dcterms:issued>"},
      {"dcterms:modified", "<dcterms:modified>DATE</dcterms:modified>"},
      {"dcterms:created", "<dcterms:created>DATE</dcterms:created>"},
  };
  const std::vector<Variant> texts = {
      {"description", "<description>" + Escaped(kHtml) + "</description>"},
      {"dc:description", "<dc:description><![CDATA[" + std::string(kHtml) + "]]></dc:description>"},
      {"content:encoded", "<content:encoded><![CDATA[" + std::string(kHtml) + "]]></content:encoded>"},
      {"empty-description+content:encoded",
       "<description></description><content:encoded>" + Escaped(kHtml) + "</content:encoded>"},
      {"xhtml:body", "<xhtml:body>" + std::string(kHtml) + "</xhtml:body>"},
  };
  const std::vector<Variant> titles = {
      {"title", "<title>TITLE</title>"},
      {"dc:title", "<dc:title>TITLE</dc:title>"},
      {"markup-title", "<title>&lt;b&gt;TITLE&lt;/b&gt;</title>"},
      {"cdata-title", "<title><![CDATA[<i>TITLE</i>]]></title>"},
  };
  std::vector<Fixture> out;
  int n = 0;
  for (const Variant& shape : RssShapes()) {
    for (const Variant& date : dates) {
      for (const Variant& text : texts) {
        ++n;
        const Variant& title = titles[static_cast<size_t>(n) % titles.size()];
        Fixture f;
        f.name = shape.name + "/" + title.name + "/" + date.name + "/" + text.name;
        f.title = "Item " + std::to_string(n);
        f.link = "http://site.example/items/" + std::to_string(n);
        f.date = "2026-12-0" + std::to_string(1 + n % 9) + "T10:00:00Z";
        f.text = kText;
        std::string item = title.markup + "<link>" + f.link + "</link>" + date.markup + text.markup;
        item.replace(item.find("TITLE"), 5, f.title);
        item.replace(item.find("DATE"), 4, f.date);
        std::string doc = shape.markup;
        doc.replace(doc.find("ITEM"), 4, item);
        if (const size_t at = doc.find("LINK"); at != std::string::npos) doc.replace(at, 4, f.link);
        f.document = doc;
        out.push_back(std::move(f));
      }
    }
  }
  return out;
}

std::vector<Fixture> AtomFixtures() {
  const std::vector<Variant> shapes = {
      {"atom1", "<feed xmlns=\"http://www.w3.org/2005/Atom\"" + std::string(kNamespaces) + ">"},
      {"atom03", "<feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\"" + std::string(kNamespaces) + ">"},
      {"atom-draft", "<feed xmlns=\"http://purl.org/atom/ns#draft-ietf-atompub-format-08\"" + std::string(kNamespaces) + ">"},
  };
  const std::vector<Variant> dates = {
      {"published", "<published>DATE</published>"}, {"updated", "<updated>DATE</updated>"},
      {"issued", "<issued>DATE</issued>"},          {"modified", "<modified>DATE</modified>"},
      {"created", "<created>DATE</created>"},       {"dc:date", "<dc:date>DATE</dc:date>"},
      {"dcterms:issued", "<dcterms:issued>DATE</dcterms:issued>"},
  };
  const std::string plain = "First bold line\nSecond &amp; last";
  const std::string xhtml = "<div xmlns=\"http://www.w3.org/1999/xhtml\">" + std::string(kHtml) + "</div>";
  const std::vector<Variant> texts = {
      {"content-text", "<content type=\"text\">" + plain + "</content>"},
      {"content-html", "<content type=\"html\">" + Escaped(kHtml) + "</content>"},
      {"content-xhtml", "<content type=\"xhtml\">" + xhtml + "</content>"},
      {"summary-text", "<summary>" + plain + "</summary>"},
      {"summary-html", "<summary type=\"html\"><![CDATA[" + std::string(kHtml) + "]]></summary>"},
      {"summary-xhtml", "<summary type=\"xhtml\">" + xhtml + "</summary>"},
      {"content-escaped", "<content type=\"text/html\" mode=\"escaped\">" + Escaped(kHtml) + "</content>"},
      {"content-base64-html", "<content type=\"text/html\" mode=\"base64\">" + Base64(kHtml) + "</content>"},
      {"content-base64-text", "<content type=\"text/plain\" mode=\"base64\">" + Base64(kText) + "</content>"},
      {"content-xml", "<content type=\"application/xhtml+xml\" mode=\"xml\">" + xhtml + "</content>"},
      {"content-xml-untyped", "<content mode=\"xml\">" + xhtml + "</content>"},
  };
  std::vector<Fixture> out;
  int n = 1000;
  for (const Variant& shape : shapes) {
    for (const Variant& date : dates) {
      for (const Variant& text : texts) {
        ++n;
        if (n % 2 == 0 && text.name != "content-xml") continue;  // half the grid reaches every pair often enough
        Fixture f;
        f.name = shape.name + "/" + date.name + "/" + text.name;
        f.title = "Entry " + std::to_string(n);
        f.link = "http://site.example/entries/" + std::to_string(n);
        f.date = "2026-11-1" + std::to_string(n % 10) + "T08:30:00+01:00";
        f.text = kText;
        const std::string title = n % 3 == 0 ? "<title type=\"html\">&lt;em&gt;" + f.title + "&lt;/em&gt;</title>"
                                             : "<title>" + f.title + "</title>";
        std::string entry = "<entry>" + title + "<link rel=\"alternate\" type=\"text/html\" href=\"" + f.link + "\"/>" +
                            date.markup + text.markup + "</entry>";
        entry.replace(entry.find("DATE"), 4, f.date);
        f.document = shape.markup + "<title>Chan</title><link href=\"http://site.example/\"/>" + entry + "</feed>";
        out.push_back(std::move(f));
      }
    }
  }
  return out;
}

// Titles in the encodings feeds are written in: the document's bytes come
// from the code-page service, the charset from the declaration or the header.
std::vector<Fixture> EncodingFixtures() {
  const std::vector<std::pair<std::string, std::string>> sets = {
      {"ISO-8859-2", "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 ja\xC5\xBA\xC5\x84"},
      {"ISO-8859-15", "\xE2\x82\xAC 5, \xC5\x93uvre"},
      {"KOI8-R", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80"},
      {"windows-1251", "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8"},
      {"windows-1250", "P\xC5\x99\xC3\xADli\xC5\xA1 \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD"},
      {"Shift_JIS", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9"},
      {"EUC-JP", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE8\xA8\x98\xE4\xBA\x8B"},
      {"GB2312", "\xE4\xB8\xAD\xE6\x96\x87\xE6\x96\xB0\xE9\x97\xBB"},
      {"GBK", "\xE4\xB8\xAD\xE6\x96\x87\xE6\x96\xB0\xE8\x81\x9E"},
      {"GB18030", "\xE4\xB8\xAD\xE6\x96\x87 \xE2\x82\xAC"},
      {"Big5", "\xE4\xB8\xAD\xE6\x96\x87\xE6\x96\xB0\xE8\x81\x9E"},
      {"EUC-KR", "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4 \xEB\x89\xB4\xEC\x8A\xA4"},
      {"ISO-8859-7", "\xCE\x95\xCE\xB9\xCE\xB4\xCE\xAE\xCF\x83\xCE\xB5\xCE\xB9\xCF\x82"},
      {"ISO-8859-1", "Caf\xC3\xA9 cr\xC3\xA8me"},
  };
  std::vector<Fixture> out;
  int n = 2000;
  for (const auto& [charset, utf8] : sets) {
    for (bool inHeader : {false, true}) {
      ++n;
      const std::optional<int> cp = CodePageOfCharset(charset);
      const std::optional<std::string> title = cp ? Utf8ToCodePageExactly(*cp, utf8) : std::nullopt;
      if (!title) {
        ADD_FAILURE() << charset << " cannot write its sample";
        continue;
      }
      Fixture f;
      f.name = charset + (inHeader ? "/header" : "/declaration");
      f.title = utf8;
      f.link = "http://site.example/e/" + std::to_string(n);
      f.date = "Tue, 08 Dec 2026 12:00:00 +0900";
      f.text = utf8;
      const std::string decl = inHeader ? "" : "<?xml version=\"1.0\" encoding=\"" + charset + "\"?>\n";
      f.httpCharset = inHeader ? charset : "";
      f.document = decl + "<rss version=\"2.0\"><channel><title>Chan</title><link>http://site.example/</link><item><title>" +
                   *title + "</title><link>" + f.link + "</link><pubDate>" + f.date + "</pubDate><description>" + *title +
                   "</description></item></channel></rss>";
      out.push_back(std::move(f));
    }
  }
  return out;
}

std::vector<Fixture> AllFixtures() {
  std::vector<Fixture> all = RssFixtures();
  for (auto* more : {&AtomFixtures, &EncodingFixtures})
    for (Fixture& f : more()) all.push_back(std::move(f));
  return all;
}

void ExpectRead(const Fixture& f, const Feed& feed) {
  SCOPED_TRACE(f.name);
  EXPECT_EQ(feed.title, "Chan");
  EXPECT_EQ(feed.link, "http://site.example/");
  ASSERT_EQ(feed.items.size(), 1u);
  EXPECT_EQ(feed.items[0].title, f.title);
  EXPECT_EQ(feed.items[0].link, f.link);
  EXPECT_EQ(feed.items[0].pubDate, f.date);
  EXPECT_EQ(feed.items[0].description, f.text);
}

TEST(FeedFixtures, EveryShapeSitesPublishIsRead) {
  const std::vector<Fixture> all = AllFixtures();
  EXPECT_GE(all.size(), 150u);
  for (const Fixture& f : all) {
    try {
      ExpectRead(f, ParseFeed(f.document, f.httpCharset, "http://site.example/feed"));
    } catch (const std::exception& e) {
      ADD_FAILURE() << f.name << ": " << e.what();
    }
  }
  // NOOKVALE_FEED_CORPUS names a folder to receive the fixtures as seeds of
  // the feed reader's fuzz target.
  if (const char* dir = std::getenv("NOOKVALE_FEED_CORPUS")) {
    int i = 0;
    for (const Fixture& f : all) std::ofstream(std::filesystem::path(dir) / ("fixture-" + std::to_string(++i) + ".xml"), std::ios::binary) << f.document;
  }
}

// The same feeds, spoiled as they come from careless writers: each is read
// by the tolerant second pass with every field intact.
TEST(FeedFixtures, IllFormedFeedsAreReadByTheTolerantPass) {
  int spoiled = 0;
  for (const Fixture& f : RssFixtures()) {
    if (f.name.find("rss091") != std::string::npos) continue;  // the DOCTYPE comes first
    ++spoiled;
    // An unclosed last tag: the document stops before the root's end tag.
    const std::string cut = f.document.substr(0, f.document.rfind("</"));
    // A bare & and a stray < in the channel's description.
    std::string bare = f.document;
    bare.replace(bare.find("<description>D</description>"), 28, "<description>D & < E</description>");
    // A stray control byte in the title, and an unquoted attribute.
    std::string stray = f.document;
    stray.replace(stray.find("<title>Chan"), 11, "<title x=1>Ch\x01" "an");
    for (const std::string* doc : {&cut, const_cast<const std::string*>(&bare), const_cast<const std::string*>(&stray)}) {
      try {
        ExpectRead(f, ParseFeed(*doc, "", "http://site.example/feed"));
      } catch (const std::exception& e) {
        ADD_FAILURE() << f.name << ": " << e.what() << "\n" << *doc;
      }
    }
  }
  EXPECT_GT(spoiled, 100);
  const Feed bare = ParseFeed("<rss version=\"2.0\"><channel><title>Fish & chips</title><item><title>A & B</title>"
                              "<link>http://x.example/?a=1&b=2</link></item></channel>");
  EXPECT_EQ(bare.title, "Fish & chips");
  ASSERT_EQ(bare.items.size(), 1u);
  EXPECT_EQ(bare.items[0].title, "A & B");
  EXPECT_EQ(bare.items[0].link, "http://x.example/?a=1&b=2");
  // Tags left open before an item: the item starts afresh.
  const Feed open = ParseFeed("<rss version=\"2.0\"><channel><title>T<item><title>A</title><link>http://x/1</link>"
                              "<item><title>B</title><pubDate>today");
  EXPECT_EQ(open.title, "T");
  ASSERT_EQ(open.items.size(), 2u);
  EXPECT_EQ(open.items[0].link, "http://x/1");
  EXPECT_EQ(open.items[1].title, "B");
  EXPECT_EQ(open.items[1].pubDate, "today");
  // A document that is no feed, ill-formed or not, keeps its error.
  for (const char* doc : {"just text", "<html><body><p>a & b</body>", "<note>x &", ""}) {
    try {
      ParseFeed(doc);
      ADD_FAILURE() << doc << " was read as a feed";
    } catch (const EFeedError& e) {
      EXPECT_NE(std::string(e.what()).find("not well-formed XML"), std::string::npos) << doc << ": " << e.what();
    }
  }
}

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Whole feeds as sites publish them, with what the reader must show.
TEST(FeedFixtures, PublishedFeedFiles) {
  const char* data = std::getenv("NOOKVALE_TESTDATA");
  ASSERT_NE(data, nullptr);
  const std::filesystem::path dir = std::filesystem::path(data) / "feeds";
  struct Expected {
    const char* file;
    const char* charset;
    const char* channelTitle;
    const char* channelLink;
    size_t items;
    const char* firstTitle;
    const char* firstLink;
    const char* firstDate;
    const char* firstText;
  };
  const Expected files[] = {
      {"wordpress.xml", "", "Garden notes", "https://garden.example/", 2, "Tomatoes & peppers",
       "https://garden.example/2026/12/tomatoes/", "Mon, 07 Dec 2026 09:15:00 +0000",
       "The tomatoes came in late this year.\nPeppers did better."},
      {"userland.xml", "", "Scripting News", "http://scripting.example/", 2, "Default namespace",
       "http://scripting.example/2026/12/08#a1", "Tue, 08 Dec 2026 14:00:00 GMT", "Elements carry the Userland namespace."},
      {"slash-rdf.xml", "", "Slash site", "https://slash.example/", 2, "Items outside the channel",
       "https://slash.example/story/1", "2026-12-08T10:00:00+00:00", "RSS 1.0 puts the items beside the channel."},
      {"atom-blogger.xml", "", "Blogger blog", "https://blog.example/", 2, "Atom 1.0 with xhtml",
       "https://blog.example/2026/12/xhtml.html", "2026-12-05T18:20:00.001-08:00", "Markup inline.\nSecond paragraph."},
      {"atom03-base64.xml", "", "Old atom", "http://old.example/", 1, "Base64 content",
       "http://old.example/1", "2004-05-06T07:08:09Z", "Encoded <as> Base64."},
      {"broken-ampersand.xml", "", "Tom & Jerry's", "http://toons.example/", 2, "Cats & mice",
       "http://toons.example/?id=1&page=2", "Wed, 09 Dec 2026 08:00:00 GMT", "Chase & run."},
      {"shift-jis.xml", "", "\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9", "http://jp.example/", 1,
       "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "http://jp.example/1", "2026-12-09", "\xE6\x9C\xAC\xE6\x96\x87"},
      {"koi8-header.xml", "koi8-r", "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8", "http://ru.example/", 1,
       "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "http://ru.example/1", "Wed, 09 Dec 2026 10:00:00 +0300",
       "\xD0\xA2\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82"},
  };
  for (const Expected& e : files) {
    SCOPED_TRACE(e.file);
    const std::string bytes = ReadFile(dir / e.file);
    ASSERT_FALSE(bytes.empty());
    try {
      const Feed f = ParseFeed(bytes, e.charset, "http://feeds.example/feed");
      EXPECT_EQ(f.title, e.channelTitle);
      EXPECT_EQ(f.link, e.channelLink);
      ASSERT_EQ(f.items.size(), e.items);
      EXPECT_EQ(f.items[0].title, e.firstTitle);
      EXPECT_EQ(f.items[0].link, e.firstLink);
      EXPECT_EQ(f.items[0].pubDate, e.firstDate);
      EXPECT_EQ(f.items[0].description, e.firstText);
    } catch (const std::exception& ex) {
      ADD_FAILURE() << ex.what();
    }
  }
}

TEST(FeedText, TagsWithAngleBracketsInAttributeValues) {
  EXPECT_EQ(HtmlToText("<img alt=\"cat<br />dog\"> title"), "title");
  EXPECT_EQ(HtmlToText("a <img alt='x > y' src=\"p.png\">b"), "a b");
  EXPECT_EQ(HtmlToText("<a title=\"1>0\" href=x>link</a> text"), "link text");
  EXPECT_EQ(HtmlToText("<b>bold</b>. <p>x</p><span>y</span>z"), "bold. x yz") << "inline elements add no space";
  EXPECT_EQ(HtmlToText("it's <b>bold</b> \"quoted\" > here"), "it's bold \"quoted\" > here");
  EXPECT_EQ(ParseFeed(R"(<rss version="2.0"><channel><title>t</title><item><title>&lt;img alt="cat&lt;br /&gt;dog"&gt; Kittens</title></item></channel></rss>)")
                .items[0].title,
            "Kittens");
}

}  // namespace
}  // namespace nv::rss
