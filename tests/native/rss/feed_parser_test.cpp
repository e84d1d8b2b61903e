// Reading the feeds real sites publish: the formats, their encodings,
// entities, markup in titles, links and bases, and hostile documents.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "rss/feed_error.h"
#include "rss/feed_parser.h"
#include "rss/feed_text.h"
#include "rss/tipwrss.h"

namespace nv::rss {
namespace {

TEST(FeedFormats, Rss20ChannelAndItemsInOrder) {
  const Feed f = ParseFeed(R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:media="http://search.yahoo.com/mrss/">
 <channel><title>News</title><description>All the news</description><link>http://example.org/</link>
  <item><media:title>not this</media:title><title>First</title><link>http://example.org/1</link>
        <pubDate>Mon, 07 Dec 2026 10:00:00 GMT</pubDate><description>One &lt;b&gt;bold&lt;/b&gt;</description></item>
  <item><title>Second</title><guid>http://example.org/2</guid><dc:date>2026-12-08</dc:date></item>
  <item><title>Third</title><guid isPermaLink="false">tag:x</guid></item>
 </channel></rss>)");
  EXPECT_EQ(f.format, "RSS 2.0");
  EXPECT_EQ(f.title, "News");
  EXPECT_EQ(f.description, "All the news");
  ASSERT_EQ(f.items.size(), 3u);
  EXPECT_EQ(f.items[0].title, "First");
  EXPECT_EQ(f.items[0].link, "http://example.org/1");
  EXPECT_EQ(f.items[0].pubDate, "Mon, 07 Dec 2026 10:00:00 GMT");
  EXPECT_EQ(f.items[0].description, "One bold");
  EXPECT_EQ(f.items[1].link, "http://example.org/2") << "a permalink guid stands in for the link";
  EXPECT_EQ(f.items[1].pubDate, "2026-12-08");
  EXPECT_EQ(f.items[2].link, "") << "a guid that is no permalink is no address";
  EXPECT_EQ(f.items[2].pubDate, "");
}

TEST(FeedFormats, OlderRssVersions) {
  for (const char* v : {"0.91", "0.92"}) {
    const Feed f = ParseFeed(std::string("<rss version=\"") + v +
                             "\"><channel><title>T</title><item><title>A</title><link>http://a/</link></item>"
                             "</channel></rss>");
    EXPECT_EQ(f.format, std::string("RSS ") + v);
    ASSERT_EQ(f.items.size(), 1u);
    EXPECT_EQ(f.items[0].link, "http://a/");
  }
  const Feed f090 = ParseFeed(R"(<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"
      xmlns="http://my.netscape.com/rdf/simple/0.9/"><channel><title>Old</title><description>d</description></channel>
      <item><title>I1</title><link>http://x/1</link></item><item><title>I2</title><link>http://x/2</link></item></rdf:RDF>)");
  EXPECT_EQ(f090.format, "RSS 0.90");
  EXPECT_EQ(f090.title, "Old");
  ASSERT_EQ(f090.items.size(), 2u);
  EXPECT_EQ(f090.items[1].title, "I2");
}

TEST(FeedFormats, Rss10RdfWithDublinCoreDates) {
  const Feed f = ParseFeed(R"(<?xml version="1.0" encoding="utf-8"?>
<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" xmlns="http://purl.org/rss/1.0/"
         xmlns:dc="http://purl.org/dc/elements/1.1/">
 <channel rdf:about="http://example.org/"><title>RDF site</title><description>about RDF</description></channel>
 <item rdf:about="http://example.org/a"><title>A</title><link>http://example.org/a</link><dc:date>2026-01-02T03:04:05Z</dc:date></item>
 <item rdf:about="http://example.org/b"><title>B</title></item>
</rdf:RDF>)");
  EXPECT_EQ(f.format, "RSS 1.0");
  EXPECT_EQ(f.description, "about RDF");
  ASSERT_EQ(f.items.size(), 2u);
  EXPECT_EQ(f.items[0].pubDate, "2026-01-02T03:04:05Z");
  EXPECT_EQ(f.items[1].link, "http://example.org/b") << "rdf:about is the address of an item without a link";
}

TEST(FeedFormats, Atom10DatesLinksAndBases) {
  const Feed f = ParseFeed(R"(<feed xmlns="http://www.w3.org/2005/Atom" xml:base="http://example.org/blog/">
 <title type="html">&lt;em&gt;My&lt;/em&gt; blog</title><subtitle>Notes</subtitle>
 <entry><title>Both dates</title><published>2026-12-01T00:00:00Z</published><updated>2026-12-02T00:00:00Z</updated>
   <link rel="self" href="/self"/><link rel="alternate" type="text/html" href="posts/1"/></entry>
 <entry xml:base="/other/"><title type="xhtml"><div xmlns="http://www.w3.org/1999/xhtml">An <b>xhtml</b>
   title</div></title><updated>2026-12-03</updated><link href="two.html"/><summary>S</summary></entry>
 <entry><title>No link</title><link rel="enclosure" href="a.mp3"/></entry>
</feed>)",
                           "", "http://feeds.example.net/atom.xml");
  EXPECT_EQ(f.format, "Atom 1.0");
  EXPECT_EQ(f.title, "My blog");
  EXPECT_EQ(f.description, "Notes");
  ASSERT_EQ(f.items.size(), 3u);
  EXPECT_EQ(f.items[0].pubDate, "2026-12-01T00:00:00Z") << "published wins over updated";
  EXPECT_EQ(f.items[0].link, "http://example.org/blog/posts/1");
  EXPECT_EQ(f.items[1].title, "An xhtml title");
  EXPECT_EQ(f.items[1].pubDate, "2026-12-03");
  EXPECT_EQ(f.items[1].link, "http://example.org/other/two.html");
  EXPECT_EQ(f.items[1].description, "S");
  EXPECT_EQ(f.items[2].link, "");
  // Without xml:base a relative link is resolved against the feed's address.
  const Feed g = ParseFeed(R"(<feed xmlns="http://www.w3.org/2005/Atom"><title>t</title>
      <entry><title>e</title><link href="../p?q=1"/></entry></feed>)",
                           "", "http://h.example/a/b/feed.xml");
  EXPECT_EQ(g.items[0].link, "http://h.example/a/p?q=1");
}

TEST(FeedFormats, Atom03) {
  const Feed f = ParseFeed(R"(<feed version="0.3" xmlns="http://purl.org/atom/ns#"><title>Old atom</title>
      <tagline>tag</tagline><entry><title mode="escaped">A &amp;amp; B</title><issued>2004-01-01</issued>
      <modified>2004-01-02</modified><link rel="alternate" type="text/html" href="http://a.example/1"/></entry></feed>)");
  EXPECT_EQ(f.format, "Atom 0.3");
  EXPECT_EQ(f.description, "tag");
  ASSERT_EQ(f.items.size(), 1u);
  EXPECT_EQ(f.items[0].title, "A & B");
  EXPECT_EQ(f.items[0].pubDate, "2004-01-01");
  EXPECT_EQ(f.items[0].link, "http://a.example/1");
}

TEST(FeedFormats, EmptyChannelAndNotAFeed) {
  const Feed f = ParseFeed("<rss version=\"2.0\"><channel><title>Nothing</title></channel></rss>");
  EXPECT_EQ(f.title, "Nothing");
  EXPECT_TRUE(f.items.empty());
  const auto message = [](const std::string& doc) {
    try {
      ParseFeed(doc);
    } catch (const EFeedError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message("<html><body>hi</body></html>"), "The address gives a web page, not an RSS or Atom feed.");
  EXPECT_EQ(message("<note>x</note>"), "The document is not an RSS or Atom feed.");
  EXPECT_EQ(message("<rss version=\"2.0\"></rss>"), "The RSS document has no channel.");
  EXPECT_EQ(message("<x:rss xmlns:x=\"urn:other\"><channel/></x:rss>"), "The document is not an RSS or Atom feed.");
  EXPECT_EQ(ParseFeed("<rss><channel><title>mended</channel></rss>").title, "mended") << "ill-formed, read anyway";
  EXPECT_NE(message("").find("not well-formed XML"), std::string::npos);
  EXPECT_NE(message("just text").find("not well-formed XML"), std::string::npos);
}

std::string Rss(const std::string& title) {
  return "<rss version=\"2.0\"><channel><title>" + title + "</title></channel></rss>";
}

TEST(FeedEncodings, MarksDeclarationsAndHeaders) {
  // "café" in each form.
  EXPECT_EQ(ParseFeed("<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + Rss("caf\xE9 \x80")).title,
            "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(ParseFeed("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + Rss("caf\xE9")).title, "caf\xC3\xA9");
  EXPECT_EQ(ParseFeed("<?xml version='1.0' encoding='windows-1251'?>" + Rss("\xCF\xF0\xE8")).title,
            "\xD0\x9F\xD1\x80\xD0\xB8");
  EXPECT_EQ(ParseFeed(Rss("caf\xE9"), "windows-1252").title, "caf\xC3\xA9") << "the HTTP header's charset";
  EXPECT_EQ(ParseFeed("<?xml version=\"1.0\" encoding=\"utf-8\"?>" + Rss("caf\xE9"), "windows-1252").title,
            "caf\xC3\xA9") << "bytes that are not UTF-8 are read as windows-1252";
  EXPECT_EQ(ParseFeed("\xEF\xBB\xBF" + Rss("caf\xC3\xA9")).title, "caf\xC3\xA9");
  const auto utf16 = [](const std::string& ascii, bool be, bool bom) {
    std::string out = bom ? (be ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (char c : ascii) {
      const char16_t u = c == '~' ? u'\u00E9' : static_cast<char16_t>(c);
      out += be ? static_cast<char>(u >> 8) : static_cast<char>(u & 0xFF);
      out += be ? static_cast<char>(u & 0xFF) : static_cast<char>(u >> 8);
    }
    return out;
  };
  const std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + Rss("caf~");
  EXPECT_EQ(ParseFeed(utf16(doc, false, true)).title, "caf\xC3\xA9");
  EXPECT_EQ(ParseFeed(utf16(doc, true, true)).title, "caf\xC3\xA9");
  EXPECT_EQ(ParseFeed(utf16(doc, false, false)).title, "caf\xC3\xA9");
  try {
    ParseFeed("<?xml version=\"1.0\" encoding=\"x-Martian\"?>" + Rss("x"));
    ADD_FAILURE() << "an unknown character set must be an error";
  } catch (const EFeedError& e) {
    EXPECT_STREQ(e.what(), "The feed's character set \"x-martian\" is not supported.");
  }
}

TEST(FeedText, EntitiesCdataAndMarkupInTitles) {
  EXPECT_EQ(ParseFeed(Rss("a&nbsp;b &eacute;t&eacute; &copy; &amp;lt; &#233;&#x20AC;")).title,
            "a\xC2\xA0" "b \xC3\xA9t\xC3\xA9 \xC2\xA9 < \xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(ParseFeed(Rss("<![CDATA[Fish &amp; <i>chips</i> &nbsp;]]>")).title, "Fish & chips \xC2\xA0");
  EXPECT_EQ(ParseFeed(Rss("Top <b>story</b>\n   today")).title, "Top story today");
  EXPECT_EQ(ParseFeed(Rss("&unknown; AT&amp;T")).title, "&unknown; AT&T");
  EXPECT_EQ(ParseFeed(Rss("1 &lt; 2")).title, "1 < 2") << "a lone < is no tag";
  // Control characters, which the parser passes through, show as spaces.
  EXPECT_EQ(ParseFeed(Rss("a\x01\x7F b\tc")).title, "a b c");
  EXPECT_EQ(HtmlToText("one\x01two<br>three&#1;four&#10;five", true), "one two\nthree four five");
  EXPECT_EQ(HtmlToText("<p>one</p><p>two<br>three</p><script>x()</script>", true), "one\ntwo\nthree");
  EXPECT_EQ(DecodeHtmlReferences("&#0;&#xD800;&#1114112;"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  // Entities inside comments and CDATA are not touched by the pre-pass.
  EXPECT_EQ(ExpandHtmlEntities("<!-- &eacute; --><![CDATA[&eacute;]]>&eacute;"),
            "<!-- &eacute; --><![CDATA[&eacute;]]>\xC3\xA9");
}

TEST(FeedSafety, DeclaredEntitiesAreNeverExpanded) {
  // An external entity would read a local file; a nested one would grow
  // to gigabytes. Neither may be loaded or expanded.
  const Feed xxe = ParseFeed(R"(<?xml version="1.0"?>
<!DOCTYPE rss [ <!ENTITY xxe SYSTEM "file:///etc/passwd"> <!ENTITY % p SYSTEM "http://127.0.0.1:1/x.dtd"> %p; ]>
<rss version="2.0"><channel><title>&xxe;</title></channel></rss>)");
  EXPECT_EQ(xxe.title, "&xxe;");
  std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
  for (char c = 'b'; c <= 'k'; ++c) {
    bomb += std::string("<!ENTITY ") + c + " \"";
    for (int i = 0; i < 10; ++i) bomb += std::string("&") + static_cast<char>(c - 1) + ";";
    bomb += "\">";
  }
  bomb += "]>" + Rss("&k;");
  const auto start = std::chrono::steady_clock::now();
  const Feed f = ParseFeed(bomb);
  EXPECT_EQ(f.title, "&k;");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  // A system DTD reference outside an internal subset is skipped as well.
  EXPECT_EQ(ParseFeed("<!DOCTYPE rss SYSTEM \"http://127.0.0.1:1/rss.dtd\">" + Rss("ok")).title, "ok");
  // Deep nesting does not exhaust the stack.
  std::string deep = "<rss version=\"2.0\"><channel><title>";
  for (int i = 0; i < 100000; ++i) deep += "<b>";
  deep += "x";
  for (int i = 0; i < 100000; ++i) deep += "</b>";
  EXPECT_EQ(ParseFeed(deep + "</title></channel></rss>").title, "x");
}

TEST(FeedText, ResolvesReferencesLikeBrowsers) {
  const std::string base = "http://a/b/c/d;p?q";
  for (const auto& [ref, want] : std::initializer_list<std::pair<const char*, const char*>>{
           {"g", "http://a/b/c/g"}, {"./g", "http://a/b/c/g"}, {"g/", "http://a/b/c/g/"},
           {"/g", "http://a/g"}, {"//g", "http://g"}, {"?y", "http://a/b/c/d;p?y"},
           {"g?y#s", "http://a/b/c/g?y#s"}, {"#s", "http://a/b/c/d;p?q#s"}, {"", "http://a/b/c/d;p?q"},
           {"..", "http://a/b/"}, {"../../g", "http://a/g"}, {"../../../g", "http://a/g"},
           {"https://x.example/p", "https://x.example/p"}}) {
    EXPECT_EQ(ResolveUrl(base, ref), want) << ref;
  }
  EXPECT_EQ(ResolveUrl("http://h.example", "p"), "http://h.example/p");
  EXPECT_EQ(UrlScheme("JavaScript:alert(1)"), "javascript");
  EXPECT_EQ(UrlScheme("/path:x"), "");
}

class NoNetwork : public FeedTransport {
 public:
  std::string body, contentType;
  FetchRequest seen;
  bool Get(const FetchRequest& r, FetchResponse& resp) override {
    seen = r;
    resp.body = body;
    resp.contentType = contentType;
    return true;
  }
  void Cancel() override {}
};

TEST(RssClient, FieldsIndexErrorsAndDefaults) {
  auto t = std::make_shared<NoNetwork>();
  t->body = "<rss version=\"2.0\"><channel><title>C</title><description>D</description>"
            "<item><title>T1</title><link>/rel</link></item><item><title>T2</title><pubDate>P</pubDate></item>"
            "</channel></rss>";
  TipwRSS rss;
  rss.SetTransport(t);
  ASSERT_TRUE(rss.FetchFeed("  feeds.example.test/rss"));
  EXPECT_EQ(t->seen.url, "http://feeds.example.test/rss");
  EXPECT_EQ(t->seen.timeoutSeconds, 60);
  EXPECT_TRUE(t->seen.followRedirects) << "most sites send http: readers on to https:";
  EXPECT_EQ(rss.ChannelTitle(), "C");
  EXPECT_EQ(rss.ChannelDescription(), "D");
  ASSERT_EQ(rss.ItemCount(), 2);
  EXPECT_EQ(rss.ItemTitle(2), "T2");
  EXPECT_EQ(rss.ItemPubDate(1), "");
  EXPECT_EQ(rss.ItemPubDate(2), "P");
  EXPECT_EQ(rss.ItemLink(1), "http://feeds.example.test/rel");
  for (int bad : {0, 3, -1}) {
    EXPECT_THROW(
        {
          try {
            rss.ItemTitle(bad);
          } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Invalid array index value for ItemTitle");
            throw;
          }
        },
        Exception);
  }
  const auto text = [&](auto f) {
    try {
      f();
    } catch (const std::exception& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(text([&] { rss.ItemPubDate(3); }), "Invalid array index value for ItemPubDate");
  EXPECT_EQ(text([&] { rss.ItemLink(0); }), "Invalid array index value for ItemLink");
  // A failed fetch leaves nothing of the earlier feed behind.
  t->body = "<html/>";
  EXPECT_NE(text([&] { rss.FetchFeed("http://x.test/"); }), "");
  EXPECT_EQ(rss.ItemCount(), 0);
  EXPECT_EQ(rss.ChannelTitle(), "");
  EXPECT_EQ(text([&] { rss.FetchFeed("file:///c:/feed.xml"); }),
            "Only http and https feed addresses can be fetched: file:///c:/feed.xml");
  // The header's charset reaches the parser.
  t->body = Rss("caf\xE9");
  t->contentType = "text/xml; charset=\"ISO-8859-1\"";
  ASSERT_TRUE(rss.FetchFeed("http://x.test/"));
  EXPECT_EQ(rss.ChannelTitle(), "caf\xC3\xA9");
}

TEST(RssClient, RedirectsWithinHttpAndHttpsNeverDownward) {
  EXPECT_EQ(RedirectTarget("http://a.test/feed", "https://a.test/feed", 0), "https://a.test/feed");
  EXPECT_EQ(RedirectTarget("http://a.test/dir/feed", "../rss.xml", 2), "http://a.test/rss.xml");
  EXPECT_EQ(RedirectTarget("https://a.test/feed", "//b.test/feed", 0), "https://b.test/feed");
  EXPECT_EQ(RedirectTarget("https://a.test/feed", "https://b.test/feed", 4), "https://b.test/feed");
  EXPECT_EQ(RedirectTarget("https://a.test/feed", "https://b.test/feed", kMaxRedirects), "") << "too many";
  EXPECT_EQ(RedirectTarget("https://a.test/feed", "http://a.test/feed", 0), "") << "a downgrade";
  EXPECT_EQ(RedirectTarget("HTTPS://a.test/feed", "HTTP://a.test/feed", 0), "") << "schemes in any case";
  EXPECT_EQ(RedirectTarget("http://a.test/feed", "ftp://a.test/feed", 0), "");
  EXPECT_EQ(RedirectTarget("http://a.test/feed", "file:///c:/feed.xml", 0), "");
  // Links are resolved against where the document came from after the
  // redirects, not where it was asked for.
  struct Moved : FeedTransport {
    bool Get(const FetchRequest&, FetchResponse& resp) override {
      resp.body = "<rss version=\"2.0\"><channel><title>C</title><item><link>item/1</link></item></channel></rss>";
      resp.url = "https://new.example/feeds/main.xml";
      return true;
    }
    void Cancel() override {}
  };
  TipwRSS rss;
  rss.SetTransport(std::make_shared<Moved>());
  ASSERT_TRUE(rss.FetchFeed("http://old.example/rss"));
  EXPECT_EQ(rss.ItemLink(1), "https://new.example/feeds/item/1");
}

class ReentrantTransport : public FeedTransport {
 public:
  TipwRSS* rss = nullptr;
  bool inner = true;
  bool Get(const FetchRequest&, FetchResponse& resp) override {
    // A message handled during the wait asks for another fetch.
    inner = rss->FetchFeed("http://other.test/");
    resp.body = Rss("outer");
    return true;
  }
  void Cancel() override {}
};

TEST(RssClient, SecondFetchDuringAFetchIsIgnored) {
  auto t = std::make_shared<ReentrantTransport>();
  TipwRSS rss;
  t->rss = &rss;
  rss.SetTransport(t);
  ASSERT_TRUE(rss.FetchFeed("http://x.test/"));
  EXPECT_FALSE(t->inner);
  EXPECT_EQ(rss.ChannelTitle(), "outer");
  EXPECT_FALSE(rss.Busy());
}

}  // namespace
}  // namespace nv::rss
