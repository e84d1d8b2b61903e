// The RSS reader in its tab, against feeds served by a small HTTP server of
// our own on 127.0.0.1: fetching each kind of feed, the errors the client
// reports, the Enter rule, opening items, the plain page view, and fetches
// interrupted by a second request, closing the tab or the program ending.
#include "local_http_server.h"

#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "frame_test_host.h"
#include "rss/win32/browser_emulation.h"
#include "rss/win32/reader.h"
#include "rss/win32/wininet_transport.h"
#include "support/scripted_prompter.h"
#include "ui/win32/application.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

using rss::TCursor;
using rss::TEmbeddedWB;
using rss::TListView;
using rss::TfrmReader;

std::string Rss2(const std::string& title, const std::string& desc, const std::string& items) {
  return "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>" + title + "</title><description>" + desc +
         "</description>" + items + "</channel></rss>";
}

std::string Utf16Le(const std::string& utf8) {
  const std::wstring w = Widen(utf8);
  std::string out = "\xFF\xFE";
  for (wchar_t c : w) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>((c >> 8) & 0xFF);
  }
  return out;
}

class RssReaderTest : public ::testing::Test {
 protected:
  ScriptedPrompter prompter;
  LocalHttpServer server;
  std::unique_ptr<TestFrameHost> host;
  TGlowButton RSSbtn;
  rss::TReaderTab tab;
  std::vector<std::wstring> shellOpened;
  std::function<void(const std::wstring&)> savedShell;

  void SetUp() override {
    Application().SetPrompter(&prompter);
    Application().ResetTerminated();
    savedShell = TEmbeddedWB::ShellOpen();
    TEmbeddedWB::ShellOpen() = [this](const std::wstring& u) { shellOpened.push_back(u); };
    TEmbeddedWB::ProbeMs() = 2000;
    host = std::make_unique<TestFrameHost>();
    RSSbtn.Create(&host->Bar, "RSSbtn", "RSS");
    host->Bar.AddItem(RSSbtn, 48);
    Serve();
    tab.Open(*host, RSSbtn);
  }
  void TearDown() override {
    tab.Close();
    host.reset();
    TEmbeddedWB::ShellOpen() = savedShell;
    EXPECT_EQ(prompter.PendingAnswers(), 0u) << "every scripted answer is used";
    Application().SetPrompter(nullptr);
    Application().ResetTerminated();
  }

  // The reader under test (the one frame these tests reach).
  TfrmReader& Reader() { return *tab.Reader(); }

  void Serve() {
    const std::string items =
        "<item><title>First &amp; <b>best</b></title><link>http://127.0.0.1:1/first</link>"
        "<pubDate>Tue, 08 Dec 2026 09:00:00 GMT</pubDate><description>The first item</description></item>"
        "<item><title>No date</title><link>/relative</link></item>"
        "<item><title>Script</title><link>javascript:alert(1)</link></item>";
    server.Add("/rss20", LocalHttpServer::Body(Rss2("Local news", "From the test server", items)));
    server.Add("/rss10", LocalHttpServer::Body(R"(<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"
        xmlns="http://purl.org/rss/1.0/" xmlns:dc="http://purl.org/dc/elements/1.1/"><channel><title>RDF</title>
        <description>one</description></channel><item><title>R1</title><link>http://a.test/r1</link>
        <dc:date>2026-12-01</dc:date></item></rdf:RDF>)"));
    server.Add("/atom", LocalHttpServer::Body(R"(<feed xmlns="http://www.w3.org/2005/Atom"><title>Atom feed</title>
        <entry><title>A1</title><updated>2026-12-02T10:00:00Z</updated><link href="http://a.test/a1"/></entry></feed>)",
                                              "Content-Type: application/atom+xml\r\n"));
    server.Add("/empty", LocalHttpServer::Body("<rss version=\"2.0\"><channel><title>Quiet</title></channel></rss>"));
    server.Add("/cp1252", LocalHttpServer::Body("<?xml version=\"1.0\" encoding=\"windows-1252\"?>" +
                                                    Rss2("Caf\xE9", "", "<item><title>\x93quoted\x94 \x80</title></item>"),
                                                "Content-Type: text/xml\r\n"));
    server.Add("/utf16", LocalHttpServer::Body(Utf16Le("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" +
                                          Rss2("\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8", "",
                                               "<item><title>\xE2\x82\xAC 1</title></item>")),
                                               "Content-Type: text/xml\r\n"));
    server.Add("/entities", LocalHttpServer::Body(Rss2("Caf&eacute;&nbsp;Bar", "", "<item><title>&copy; &mdash; ok</title></item>")));
    // /hop1 .. /hop5 lead on to /rss20 (five redirects); /far1 .. /far6
    // lead to /rss20 through one more than a fetch follows.
    const char* statuses[] = {"301 Moved Permanently", "302 Found", "303 See Other", "307 Temporary Redirect",
                              "308 Permanent Redirect", "301 Moved Permanently"};
    for (int i = 1; i <= 5; ++i)
      server.AddRedirect("/hop" + std::to_string(i), i == 5 ? server.Url("/rss20") : "/hop" + std::to_string(i + 1), statuses[i - 1]);
    for (int i = 1; i <= 6; ++i) server.AddRedirect("/far" + std::to_string(i), i == 6 ? "/rss20" : "/far" + std::to_string(i + 1), statuses[i - 1]);
    server.AddRedirect("/moved", "/rss20");
    server.AddRedirect("/toftp", "ftp://127.0.0.1/feed.xml", "302 Found");
    server.Add("/gzip", LocalHttpServer::Body(std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\x03\x4D\x8E\xD1\x0D\xC2\x30\x0C\x44\x57\xA9\x3A\x40\x0D\x7C\x22\xE3\xAE\x80\xC4\x04\x51\x62\x51\xAB\x69\x08\xB1\x41\xA8\xD3\x13\x5A\x51\xF8\xBC\x77\x7E\xD6\x61\xFF\x9A\x62\xF3\xE4\xA2\x72\x4B\xA7\x76\xDF\xED\xDA\x9E\xB0\xA8\xFE\xD8\xA1\x32\x42\x3F\xB8\x94\x38\x12\x9A\x58\x64\xBA\xDC\x1F\xCC\x33\x07\x84\x35\x63\x60\xF5\x45\xB2\x55\x85\xAE\xB3\x64\x84\x7F\x82\x62\x3C\x7D\xDD\xB3\xF3\x23\x87\xE6\x83\x36\x3D\x4A\x1A\x69\x30\xCB\x47\x00\xD7\x19\xAB\x41\x5E\xCE\x10\x96\x0A\x61\xFD\x00\xDB\x0E\xA8\x23\xE9\x0D\xB4\x42\xEB\x41\xBF\x00\x00\x00", 144),
                                              "Content-Type: application/rss+xml\r\nContent-Encoding: gzip\r\n"));
    server.Add("/nolinks", LocalHttpServer::Body(Rss2("Notes", "", R"(<item><title>Only here</title>
        <pubDate>Wed, 09 Dec 2026 07:00:00 GMT</pubDate><description>&lt;p&gt;All the news is in the feed.&lt;/p&gt;</description>
        <guid isPermaLink="false">tag:notes,1</guid></item><item><title>Scripted</title><link>javascript:alert(2)</link>
        <description>Not a page</description></item>)")));
    server.Add("/broken", LocalHttpServer::Body("<rss version=\"2.0\"><channel><title>oops & co</channel>"));
    server.Add("/garbage", LocalHttpServer::Body("not a feed & never was <", "Content-Type: text/plain\r\n"));
    server.Add("/page", LocalHttpServer::Body("<html><body>web page</body></html>", "Content-Type: text/html\r\n"));
    LocalHttpServer::Route slow;
    slow.hang = true;
    server.Add("/slow", slow);
  }

  // Handles messages until cond holds or ms pass.
  static bool PumpUntil(const std::function<bool()>& cond, DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (!cond()) {
      if (::GetTickCount64() >= end) return false;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      Application().ProcessMessages();
    }
    return true;
  }

  void Fetch(const std::string& path) {
    Reader().txtURL.SetText(server.Url(path));
    Reader().bRefreshClick();
  }
  // The text of the error a fetch raised.
  std::string FetchError(const std::string& path) {
    try {
      Fetch(path);
    } catch (const std::exception& e) {
      EXPECT_EQ(TfrmReader::ScreenCursor(), TCursor::crDefault) << "the cursor is restored after an error";
      return e.what();
    }
    return "no error";
  }
  void PressEnter() { ::SendMessageW(Reader().txtURL.Handle(), WM_CHAR, '\r', 0); }
};

TEST_F(RssReaderTest, OpensInAClosableTabAndReopensFromTheDefaults) {
  TTabSheet* sheet = tab.Sheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->Caption(), "RSS Reader");
  EXPECT_TRUE(sheet->ShowClose);
  EXPECT_EQ(sheet->ImageIndex, 1);
  EXPECT_EQ(host->Pages.ActivePage(), sheet);
  EXPECT_FALSE(RSSbtn.Enabled()) << "one reader at a time";
  EXPECT_EQ(Reader().txtURL.Text(), TfrmReader::kDefaultAddress);
  EXPECT_EQ(Reader().cbRSS.Count(), 29);
  EXPECT_EQ(Reader().cbRSS.ItemIndex(), -1);
  EXPECT_EQ(Reader().tsRSS.Caption(), "RSS Reader");
  EXPECT_EQ(Reader().lvwItems.Count(), 0);
  EXPECT_EQ(Reader().lvwItems.TextColor(), RGB(0, 128, 0));
  EXPECT_EQ(Reader().cbRSS.Width(), Reader().txtURL.Width());

  Reader().txtURL.SetText(server.Url("/rss20"));
  PressEnter();
  EXPECT_EQ(Reader().cbRSS.Count(), 30);
  tab.Close();
  EXPECT_TRUE(RSSbtn.Enabled());
  EXPECT_EQ(host->Pages.PageCount(), 1) << "the reader's tab is gone";
  tab.Open(*host, RSSbtn);
  EXPECT_FALSE(RSSbtn.Enabled());
  EXPECT_EQ(Reader().txtURL.Text(), TfrmReader::kDefaultAddress);
  EXPECT_EQ(Reader().cbRSS.Count(), 29) << "added addresses last until the reader is closed";
  EXPECT_EQ(Reader().lvwItems.Count(), 0);
}

TEST_F(RssReaderTest, FetchListsItemsWithDatesAndNamesTheTab) {
  std::atomic<bool> waitCursorAtRequest{false};
  server.OnRequest = [&](const std::string&) { waitCursorAtRequest = TfrmReader::ScreenCursor() == TCursor::crHourGlass; };
  Fetch("/rss20");
  EXPECT_TRUE(waitCursorAtRequest) << "the wait cursor is up during the download";
  EXPECT_EQ(TfrmReader::ScreenCursor(), TCursor::crDefault);
  TListView& l = Reader().lvwItems;
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Text(0, 0), "First & best");
  EXPECT_EQ(l.Text(0, 1), "Tue, 08 Dec 2026 09:00:00 GMT");
  EXPECT_EQ(l.Text(1, 0), "No date");
  EXPECT_EQ(l.Text(1, 1), "") << "an item without a date has an empty Date cell";
  EXPECT_EQ(Reader().tsRSS.Caption(), "Local news \xE2\x80\x94 From the test server");
  EXPECT_EQ(Reader().RSS1.ItemLink(2), server.Url("/relative"));
  // The layout rules.
  host->SetBounds(0, 0, 900, 650);
  EXPECT_EQ(l.ColumnWidth(0), l.ColumnWidth(1) * 3 + 30);
  EXPECT_EQ(l.Height(), Reader().AdvPanel1.Height() * 3);
  EXPECT_EQ(l.Width(), Reader().AdvPanel1.Width());
  EXPECT_EQ(Reader().cbRSS.Width(), Reader().txtURL.Width());
  // Each fetch replaces the rows.
  Fetch("/rss20");
  EXPECT_EQ(l.Count(), 3);
}

TEST_F(RssReaderTest, ReadsEveryKindOfFeedTheServerGives) {
  struct Case {
    const char* path;
    const char* caption;
    const char* firstTitle;
    const char* firstDate;
  };
  for (const Case& c : {Case{"/rss10", "RDF \xE2\x80\x94 one", "R1", "2026-12-01"},
                        Case{"/atom", "Atom feed", "A1", "2026-12-02T10:00:00Z"},
                        Case{"/cp1252", "Caf\xC3\xA9", "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC", ""},
                        Case{"/utf16", "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8", "\xE2\x82\xAC 1", ""},
                        Case{"/entities", "Caf\xC3\xA9\xC2\xA0" "Bar", "\xC2\xA9 \xE2\x80\x94 ok", ""}}) {
    SCOPED_TRACE(c.path);
    Fetch(c.path);
    EXPECT_EQ(Reader().tsRSS.Caption(), c.caption);
    ASSERT_EQ(Reader().lvwItems.Count(), 1);
    EXPECT_EQ(Reader().lvwItems.Text(0, 0), c.firstTitle);
    EXPECT_EQ(Reader().lvwItems.Text(0, 1), c.firstDate);
  }
  Fetch("/empty");
  EXPECT_EQ(Reader().lvwItems.Count(), 0) << "a feed with no items leaves the list empty";
  EXPECT_EQ(Reader().tsRSS.Caption(), "Quiet") << "no description: the title alone";
}

TEST_F(RssReaderTest, FailuresRaiseTheirTextsAndLeaveTheListEmpty) {
  Fetch("/rss20");
  ASSERT_EQ(Reader().lvwItems.Count(), 3);
  EXPECT_EQ(FetchError("/missing"), "The server answered HTTP status 404 (Not Found).");
  EXPECT_EQ(Reader().lvwItems.Count(), 0);
  EXPECT_EQ(FetchError("/far1"), "The feed has moved to " + server.Url("/rss20") + ".")
      << "a sixth redirect is not followed";
  EXPECT_EQ(FetchError("/toftp"), "The feed has moved to ftp://127.0.0.1/feed.xml.");
  EXPECT_NE(FetchError("/garbage").find("not well-formed XML"), std::string::npos);
  EXPECT_EQ(FetchError("/page"), "The address gives a web page, not an RSS or Atom feed.");
  // A port nobody listens on: the system's text for the refused connection.
  Reader().txtURL.SetText("http://127.0.0.1:1/feed");
  try {
    Reader().bRefreshClick();
    ADD_FAILURE() << "no error for a closed port";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("(error 12029)"), std::string::npos) << e.what();
  }
  Reader().RSS1.Timeout = 1;
  const std::string slow = FetchError("/slow");
  EXPECT_NE(slow.find("(error 12002)"), std::string::npos) << slow;
  EXPECT_EQ(Reader().lvwItems.Count(), 0);
}

TEST_F(RssReaderTest, EnterAddsNewAddressesCaseSensitivelyAndNeverAfterAFailure) {
  TfrmReader& r = Reader();
  const std::string url = server.Url("/rss20");
  r.txtURL.SetText(url);
  PressEnter();
  EXPECT_EQ(r.lvwItems.Count(), 3) << "Enter fetches";
  ASSERT_EQ(r.cbRSS.Count(), 30);
  EXPECT_EQ(r.cbRSS.Item(29), url);
  PressEnter();
  EXPECT_EQ(r.cbRSS.Count(), 30) << "the same address is not added twice";
  r.txtURL.SetText("HTTP" + url.substr(4));
  PressEnter();
  EXPECT_EQ(r.lvwItems.Count(), 3);
  EXPECT_EQ(r.cbRSS.Count(), 31) << "the same address in other letter case is added";
  // A failed fetch: the error box, the cursor back, the combo box unchanged.
  r.txtURL.SetText(server.Url("/missing"));
  PressEnter();
  ASSERT_FALSE(prompter.Calls().empty());
  EXPECT_EQ(prompter.Calls().back().text, "The server answered HTTP status 404 (Not Found).");
  EXPECT_EQ(prompter.Calls().back().flags, mb::kOk | mb::kIconStop);
  EXPECT_EQ(TfrmReader::ScreenCursor(), TCursor::crDefault);
  EXPECT_EQ(r.cbRSS.Count(), 31);
  EXPECT_EQ(r.lvwItems.Count(), 0);
  // Other keys are left to the edit box.
  r.txtURL.SetText("");
  ::SendMessageW(r.txtURL.Handle(), WM_CHAR, 'x', 0);
  EXPECT_EQ(r.txtURL.Text(), "x");
  // Choosing an address copies it and fetches.
  r.cbRSS.SetItemIndex(29);
  r.cbRSSChange();
  EXPECT_EQ(r.txtURL.Text(), url);
  EXPECT_EQ(r.lvwItems.Count(), 3);
}

TEST_F(RssReaderTest, ItemsOpenInThePageViewOrItsPlainFormUnderWine) {
  TfrmReader& r = Reader();
  Fetch("/rss20");
  ASSERT_TRUE(PumpUntil([&] { return r.txtData.CurrentMode() != TEmbeddedWB::Mode::Probing; }, 30000));
  // Without the browser's HTML engine no page ever loads: the plain view
  // takes its place.
  EXPECT_EQ(r.txtData.CurrentMode(), TEmbeddedWB::Mode::Fallback);
  r.lvwItemsClick();
  EXPECT_EQ(r.txtData.LocationURL(), L"") << "a click with no row selected does nothing";
  r.lvwItems.SetSelected(0, true);
  r.lvwItemsClick();
  EXPECT_EQ(r.txtData.LocationURL(), L"http://127.0.0.1:1/first");
  const std::string text = r.txtData.FallbackText();
  EXPECT_NE(text.find("First & best"), std::string::npos) << text;
  EXPECT_NE(text.find("Tue, 08 Dec 2026 09:00:00 GMT"), std::string::npos) << text;
  EXPECT_NE(text.find("The first item"), std::string::npos) << text;
  EXPECT_TRUE(r.txtData.OpenBtn.Visible());
  EXPECT_EQ(r.txtData.OpenBtn.Caption(), "Open in browser");
  r.txtData.OpenBtn.Click();
  ASSERT_EQ(shellOpened.size(), 1u);
  EXPECT_EQ(shellOpened[0], L"http://127.0.0.1:1/first");
  // A script link is no page: the item is shown from the feed, nothing
  // navigated, nothing handed on.
  r.lvwItems.SetSelected(0, false);
  r.lvwItems.SetSelected(2, true);
  r.lvwItemsClick();
  EXPECT_TRUE(prompter.Messages().empty());
  EXPECT_EQ(r.txtData.FallbackText(), "Script");
  EXPECT_EQ(r.txtData.LocationURL(), L"http://127.0.0.1:1/first");
  for (const wchar_t* bad : {L"file:///c:/windows/win.ini", L"res://shdoclvw.dll/x", L"about:blank", L"javascript:x"}) {
    r.txtData.Navigate(bad);
  }
  EXPECT_EQ(prompter.Messages().size(), 4u) << "addresses navigated to directly are still checked";
  EXPECT_EQ(shellOpened.size(), 1u);
  // An empty channel leaves the page as it was.
  Fetch("/empty");
  EXPECT_EQ(r.txtData.LocationURL(), L"http://127.0.0.1:1/first");
}

TEST_F(RssReaderTest, FollowsRedirectsWithinHttpAndAsksForCompression) {
  TfrmReader& r = Reader();
  Fetch("/hop1");
  EXPECT_EQ(r.lvwItems.Count(), 3) << "five redirects are followed";
  EXPECT_EQ(r.tsRSS.Caption(), "Local news \xE2\x80\x94 From the test server");
  EXPECT_EQ(server.Requests(), 6);
  ASSERT_TRUE(PumpUntil([&] { return r.txtData.CurrentMode() != TEmbeddedWB::Mode::Probing; }, 30000));
  r.lvwItems.SetSelected(1, true);
  r.lvwItemsClick();
  EXPECT_EQ(r.txtData.LocationURL(), Widen(server.Url("/relative"))) << "links resolve against the last address";
  Fetch("/moved");
  EXPECT_EQ(r.lvwItems.Count(), 3);
  // A compressed answer arrives decoded.
  Fetch("/gzip");
  ASSERT_EQ(r.lvwItems.Count(), 1);
  EXPECT_EQ(r.lvwItems.Text(0, 0), "Packed item");
  EXPECT_EQ(r.tsRSS.Caption(), "Squeezed \xE2\x80\x94 gzip");
  const std::string head = server.Heads().back();
  EXPECT_NE(head.find("Accept-Encoding: gzip"), std::string::npos) << head;
  // An ill-formed feed is read all the same.
  Fetch("/broken");
  EXPECT_EQ(r.tsRSS.Caption(), "oops & co");
}

TEST_F(RssReaderTest, ItemsWithoutAPageShowWhatTheFeedSaysAndEnterOpensItems) {
  TfrmReader& r = Reader();
  Fetch("/nolinks");
  ASSERT_EQ(r.lvwItems.Count(), 2);
  ASSERT_TRUE(PumpUntil([&] { return r.txtData.CurrentMode() != TEmbeddedWB::Mode::Probing; }, 30000));
  r.lvwItems.SetSelected(0, true);
  r.lvwItemsClick();
  EXPECT_TRUE(prompter.Messages().empty()) << "no error for an item without a link";
  EXPECT_EQ(r.txtData.FallbackText(), "Only here\r\nWed, 09 Dec 2026 07:00:00 GMT\r\n\r\nAll the news is in the feed.");
  EXPECT_TRUE(r.txtData.Text.Visible());
  EXPECT_EQ(r.txtData.Text.Perform(EM_GETLINECOUNT), 4) << "title, date, a blank line and the text, each on its own line";
  EXPECT_FALSE(r.txtData.OpenBtn.Visible()) << "nothing to open in a browser";
  EXPECT_EQ(r.txtData.LocationURL(), L"");
  // Enter in the list opens the selected item, as a click does.
  Fetch("/rss20");
  r.lvwItems.SetSelected(0, true);
  ::SendMessageW(r.lvwItems.Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(r.txtData.LocationURL(), L"http://127.0.0.1:1/first");
  EXPECT_NE(r.txtData.FallbackText().find("First & best"), std::string::npos);
  EXPECT_TRUE(r.txtData.OpenBtn.Visible()) << "an item with a page can be opened again";
  r.lvwItems.SetSelected(0, false);
  r.lvwItems.SetSelected(1, true);
  ::SendMessageW(r.lvwItems.Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(r.txtData.LocationURL(), Widen(server.Url("/relative")));
  EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(RssReaderTest, FetchKeepsMessagesFlowingAndIgnoresASecondRequest) {
  TfrmReader& r = Reader();
  r.RSS1.Timeout = 2;
  TTimer during;
  during.Create(10);
  int ticks = 0;
  during.OnTimer = [&] {
    ++ticks;
    if (server.Requests() == 1 && ticks < 1000) PressEnter();  // asked again while waiting
  };
  during.SetEnabled(true);
  const std::string err = FetchError("/slow");
  during.SetEnabled(false);
  EXPECT_NE(err.find("(error 12002)"), std::string::npos) << err;
  EXPECT_GT(ticks, 1) << "timers ran during the wait";
  EXPECT_EQ(server.Requests(), 1) << "the second fetch was ignored";
  EXPECT_EQ(r.cbRSS.Count(), 29);
}

TEST_F(RssReaderTest, ClosingTheTabOrEndingTheProgramCancelsAFetch) {
  TTimer during;
  during.Create(10);
  during.OnTimer = [&] {
    if (server.Requests() >= 1) {
      during.SetEnabled(false);
      tab.Close();
    }
  };
  during.SetEnabled(true);
  const ULONGLONG start = ::GetTickCount64();
  Fetch("/slow");  // no error: a cancelled fetch is not a failure
  EXPECT_LT(::GetTickCount64() - start, 30000u) << "well before the 60-second time-out";
  EXPECT_TRUE(RSSbtn.Enabled());
  EXPECT_TRUE(PumpUntil([&] { return tab.Reader() == nullptr; }, 10000)) << "the closed reader is freed";
  EXPECT_EQ(host->Pages.PageCount(), 1);

  tab.Open(*host, RSSbtn);
  during.OnTimer = [&] {
    if (server.Requests() >= 2) {
      during.SetEnabled(false);
      ::PostQuitMessage(0);
    }
  };
  during.SetEnabled(true);
  Fetch("/slow");
  MSG m;
  EXPECT_TRUE(::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is left for the message loop";
  EXPECT_EQ(Reader().lvwItems.Count(), 0);
}

TEST_F(RssReaderTest, RefusesARedirectFromHttpsDownToHttp) {
  // The test server speaks plain HTTP: https addresses are sent to it as
  // http ones, while the fetch goes on treating them as https.
  const std::string secure = "https://127.0.0.1:" + std::to_string(server.Port());
  auto saved = rss::WinInetTransport::SendTo();
  rss::WinInetTransport::SendTo() = [secure, this](const std::string& url) {
    return url.compare(0, secure.size(), secure) == 0 ? server.Url(url.substr(secure.size())) : url;
  };
  struct Restore {
    std::function<std::string(const std::string&)> f;
    ~Restore() { rss::WinInetTransport::SendTo() = std::move(f); }
  } restore{std::move(saved)};
  server.AddRedirect("/secure-hop", "/rss20");
  server.AddRedirect("/secure-down", server.Url("/rss20"));

  Fetch("/secure-hop");  // plain http, to count from
  const int before = server.Requests();
  Reader().txtURL.SetText(secure + "/secure-hop");
  Reader().bRefreshClick();
  EXPECT_EQ(Reader().lvwItems.Count(), 3) << "a redirect within https is followed";
  EXPECT_EQ(server.Requests(), before + 2);

  Reader().txtURL.SetText(secure + "/secure-down");
  PressEnter();
  ASSERT_FALSE(prompter.Calls().empty());
  EXPECT_EQ(prompter.Calls().back().text, "The feed has moved to " + server.Url("/rss20") + ".");
  EXPECT_EQ(server.Requests(), before + 3) << "the http address is never asked for";
  EXPECT_EQ(Reader().lvwItems.Count(), 0);
  EXPECT_EQ(Reader().cbRSS.Count(), 29) << "a refused address is not added";
  EXPECT_EQ(TfrmReader::ScreenCursor(), TCursor::crDefault);
}

// The reader with the system's browser control showing pages, as on
// Windows. Wine's control has no HTML engine, but it makes its navigations
// and fires their events, and asks the server for the page.
class RssBrowserTest : public RssReaderTest {
 protected:
  void SetUp() override {
    rss::TEmbeddedWB::AssumeBrowserWorks();
    RssReaderTest::SetUp();
  }
  void TearDown() override {
    RssReaderTest::TearDown();
    // The next reader finds out for itself again.
    rss::TEmbeddedWB::ForgetProbe();
  }
  // The control's own idea of where it is.
  static std::wstring ControlLocation(IWebBrowser2* web) {
    BSTR b = nullptr;
    web->get_LocationURL(&b);
    std::wstring r = b ? std::wstring(b, ::SysStringLen(b)) : std::wstring();
    ::SysFreeString(b);
    return r;
  }
  // Makes the control itself go to url, as a link, a frame or a script in
  // a page does: none of the reader's own code runs before the control's
  // events.
  static void ControlNavigate(IWebBrowser2* web, const std::wstring& url) {
    BSTR b = ::SysAllocString(url.c_str());
    web->Navigate(b, nullptr, nullptr, nullptr, nullptr);
    ::SysFreeString(b);
  }
};

// A second listener on the control's navigation events: it sees each
// BeforeNavigate2 after the reader's (listeners hear in the order they
// came) and notes the address and the reader's answer.
class NavigationWitness final : public IDispatch {
 public:
  std::vector<std::pair<std::wstring, bool>> seen;  // address, cancelled

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2) {
      *out = static_cast<IDispatch*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the test's stack
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id != DISPID_BEFORENAVIGATE2 || p->cArgs != 7) return S_OK;
    const VARIANT* url = &p->rgvarg[5];
    if (url->vt == (VT_BYREF | VT_VARIANT)) url = url->pvarVal;
    seen.emplace_back(url->vt == VT_BSTR && url->bstrVal ? url->bstrVal : L"",
                      *p->rgvarg[0].pboolVal == VARIANT_TRUE);
    return S_OK;
  }
};

// Calls a handler of the reader's event sink as the control would, with
// the arguments last first.
HRESULT FireEvent(IDispatch* sink, DISPID id, std::vector<VARIANT> argsLastFirst) {
  DISPPARAMS p{argsLastFirst.data(), nullptr, static_cast<UINT>(argsLastFirst.size()), 0};
  return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &p, nullptr, nullptr, nullptr);
}

VARIANT BstrArg(BSTR b) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = b;
  return v;
}

TEST_F(RssBrowserTest, TheControlRunsInTheCurrentDocumentModeSetForThisUserOnly) {
  const std::wstring name = rss::BrowserEmulationValueName();
  EXPECT_EQ(name, L"nv_win_tests.exe");
  const auto read = [&](HKEY root, DWORD& type) -> DWORD {
    HKEY k = nullptr;
    DWORD v = 0, size = sizeof v;
    type = REG_NONE;
    if (::RegOpenKeyExW(root, rss::kBrowserEmulationKey, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return 0;
    if (::RegQueryValueExW(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) != ERROR_SUCCESS)
      type = REG_NONE;
    ::RegCloseKey(k);
    return v;
  };
  const auto set = [&](const DWORD* value) {
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, rss::kBrowserEmulationKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &k, nullptr),
              ERROR_SUCCESS);
    if (value) ::RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(value), sizeof *value);
    else ::RegDeleteValueW(k, name.c_str());
    ::RegCloseKey(k);
  };
  // Wine's control is the version 11 one, whose current mode is 11001.
  const DWORD older = 7000;
  for (const DWORD* before : {static_cast<const DWORD*>(nullptr), &older}) {
    tab.Close();
    set(before);
    tab.Open(*host, RSSbtn);
    ASSERT_NE(Reader().txtData.WebBrowser(), nullptr);
    DWORD type;
    EXPECT_EQ(read(HKEY_CURRENT_USER, type), 11001u) << (before ? "a different mode is replaced" : "written when missing");
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    read(HKEY_LOCAL_MACHINE, type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_NONE)) << "for the current user only";
  }
}

TEST_F(RssBrowserTest, EveryNavigationOfTheControlIsKeptToWebAddresses) {
  TfrmReader& r = Reader();
  ASSERT_EQ(r.txtData.CurrentMode(), TEmbeddedWB::Mode::Browser);
  IWebBrowser2* web = r.txtData.WebBrowser();
  ASSERT_NE(web, nullptr);
  NavigationWitness witness;
  IConnectionPointContainer* container = nullptr;
  ASSERT_TRUE(SUCCEEDED(web->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))));
  IConnectionPoint* point = nullptr;
  ASSERT_TRUE(SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)));
  container->Release();
  DWORD cookie = 0;
  ASSERT_TRUE(SUCCEEDED(point->Advise(&witness, &cookie)));

  const std::wstring page = Widen(server.Url("/page")), next = Widen(server.Url("/rss20"));
  r.txtData.Navigate(page);
  ASSERT_TRUE(PumpUntil([&] { return server.Requests() == 1 && ControlLocation(web) == page; }, 15000));
  // What a page's links, frames and scripts would start, one after another,
  // and then a web page again: each goes through the filter, not only the
  // first one.
  const std::vector<std::wstring> refused = {L"file:///c:/windows/win.ini", L"javascript:alert(1)", L"about:blank",
                                             L"res://ieframe.dll/navcancl.htm", L"mailto:a@b.test"};
  for (const std::wstring& u : refused) ControlNavigate(web, u);
  ControlNavigate(web, next);
  ASSERT_TRUE(PumpUntil([&] { return !witness.seen.empty() && witness.seen.back().first == next; }, 15000));
  ASSERT_TRUE(PumpUntil([&] { return server.Requests() == 2 && ControlLocation(web) == next; }, 15000));
  point->Unadvise(cookie);
  point->Release();
  ASSERT_EQ(witness.seen.size(), refused.size() + 2);
  EXPECT_FALSE(witness.seen.front().second) << "the reader's own page";
  for (size_t i = 0; i < refused.size(); ++i) EXPECT_TRUE(witness.seen[i + 1].second) << Narrow(refused[i]);
  EXPECT_FALSE(witness.seen.back().second) << "a later web page is shown";
  EXPECT_TRUE(prompter.Messages().empty()) << "refused silently: the page asked, not the user";

  // A page asking for a new window: none is made; a web page is shown here.
  IDispatch* sink = r.txtData.BrowserEventSink();
  ASSERT_NE(sink, nullptr);
  for (const std::wstring& u : {Widen(server.Url("/popup")), std::wstring(L"javascript:alert(3)")}) {
    BSTR url = ::SysAllocString(u.c_str()), context = ::SysAllocString(page.c_str());
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* made = nullptr;
    std::vector<VARIANT> args(5);
    for (VARIANT& v : args) ::VariantInit(&v);
    args[0] = BstrArg(url);
    args[1] = BstrArg(context);
    args[2].vt = VT_I4;
    args[3].vt = VT_BYREF | VT_BOOL;
    args[3].pboolVal = &cancel;
    args[4].vt = VT_BYREF | VT_DISPATCH;
    args[4].ppdispVal = &made;
    EXPECT_EQ(FireEvent(sink, DISPID_NEWWINDOW3, args), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE) << Narrow(u);
    ::SysFreeString(url);
    ::SysFreeString(context);
  }
  EXPECT_EQ(r.txtData.LocationURL(), Widen(server.Url("/popup")));
  EXPECT_TRUE(PumpUntil([&] { return server.Requests() == 3; }, 15000)) << "the popup's page is asked for here";
}

TEST_F(RssBrowserTest, OpenInBrowserHandsOnThePageShown) {
  TfrmReader& r = Reader();
  IWebBrowser2* web = r.txtData.WebBrowser();
  ASSERT_NE(web, nullptr);
  Fetch("/rss20");
  r.lvwItems.SetSelected(0, true);
  r.lvwItemsClick();
  EXPECT_EQ(r.txtData.LocationURL(), L"http://127.0.0.1:1/first");
  EXPECT_FALSE(r.txtData.Text.Visible()) << "the page view";
  ASSERT_TRUE(r.txtData.OpenBtn.Visible());
  EXPECT_EQ(r.txtData.OpenBtn.Caption(), "Open in browser");
  // The page sits above the button, not over it.
  HWND page = nullptr;
  for (HWND c = ::GetWindow(r.txtData.Handle(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    if (c != r.txtData.Text.Handle() && c != r.txtData.OpenBtn.Handle()) page = c;
  ASSERT_NE(page, nullptr);
  RECT client, placed;
  ::GetClientRect(r.txtData.Handle(), &client);
  ::GetWindowRect(page, &placed);
  ::MapWindowPoints(nullptr, r.txtData.Handle(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right, client.right);
  EXPECT_EQ(placed.bottom, client.bottom - r.txtData.OpenBtn.Height());
  r.txtData.OpenBtn.Click();
  ASSERT_EQ(shellOpened.size(), 1u);
  EXPECT_EQ(shellOpened.back(), L"http://127.0.0.1:1/first");

  // The user followed a link in the page: the button hands on where they
  // are. A frame inside the page moving is not the page.
  IDispatch* sink = r.txtData.BrowserEventSink();
  ASSERT_NE(sink, nullptr);
  IDispatch* top_frame = nullptr;
  ASSERT_TRUE(SUCCEEDED(web->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&top_frame))));
  const auto complete = [&](IDispatch* frame, const wchar_t* where) {
    VARIANT url = BstrArg(::SysAllocString(where));
    std::vector<VARIANT> args(2);
    ::VariantInit(&args[0]);
    args[0].vt = VT_BYREF | VT_VARIANT;
    args[0].pvarVal = &url;
    ::VariantInit(&args[1]);
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = frame;
    EXPECT_EQ(FireEvent(sink, DISPID_NAVIGATECOMPLETE2, args), S_OK);
    ::VariantClear(&url);
  };
  complete(top_frame, L"http://127.0.0.1:1/followed");
  complete(sink, L"http://127.0.0.1:1/a-frame");
  top_frame->Release();
  r.txtData.OpenBtn.Click();
  ASSERT_EQ(shellOpened.size(), 2u);
  EXPECT_EQ(shellOpened.back(), L"http://127.0.0.1:1/followed");

  // An item without a page: its text over the page, nothing to hand on.
  Fetch("/nolinks");
  r.lvwItems.SetSelected(0, true);
  r.lvwItemsClick();
  EXPECT_TRUE(r.txtData.Text.Visible());
  EXPECT_FALSE(r.txtData.OpenBtn.Visible());
}

}  // namespace
}  // namespace nv
