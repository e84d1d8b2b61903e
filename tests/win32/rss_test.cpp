// The RSS reader in its tab, against feeds served by a small HTTP server of
// our own on 127.0.0.1: fetching each kind of feed, the errors the client
// reports, the Enter rule, opening items, the plain page view, and fetches
// interrupted by a second request, closing the tab or the program ending.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "frame_test_host.h"
#include "rss/win32/reader.h"
#include "support/scripted_prompter.h"
#include "ui/win32/application.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

using rss::TCursor;
using rss::TEmbeddedWB;
using rss::TListView;
using rss::TfrmReader;

// Answers GET requests for the paths it was given; a "hanging" path gets
// no answer until the server stops.
class LocalHttpServer {
 public:
  struct Route {
    std::string status = "200 OK";
    std::string headers = "Content-Type: application/rss+xml\r\n";
    std::string body;
    bool hang = false;
  };
  static Route Body(std::string body, std::string headers = "Content-Type: application/rss+xml\r\n") {
    Route r;
    r.body = std::move(body);
    r.headers = std::move(headers);
    return r;
  }

  LocalHttpServer() {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    listen_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;  // any free port, read back below
    ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listen_, 8);
    int len = sizeof a;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LocalHttpServer() {
    stop_ = true;
    thread_.join();
    for (SOCKET s : held_) ::closesocket(s);
    ::closesocket(listen_);
    ::WSACleanup();
  }
  void Add(const std::string& path, Route r) {
    std::lock_guard<std::mutex> g(lock_);
    routes_[path] = std::move(r);
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  int Requests() const { return requests_; }
  // The request lines and headers of every request so far, in order.
  std::vector<std::string> Heads() {
    std::lock_guard<std::mutex> g(lock_);
    return heads_;
  }
  int Port() const { return port_; }
  // Runs on the server thread as each request arrives.
  std::function<void(const std::string& path)> OnRequest;

 private:
  void Serve() {
    while (!stop_) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(listen_, &set);
      timeval tv{0, 50000};
      if (::select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
      SOCKET c = ::accept(listen_, nullptr, nullptr);
      if (c == INVALID_SOCKET) continue;
      std::string req;
      char buf[4096];
      while (req.find("\r\n\r\n") == std::string::npos) {
        const int n = ::recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        req.append(buf, static_cast<size_t>(n));
      }
      const size_t sp = req.find(' '), sp2 = req.find(' ', sp + 1);
      const std::string path = sp == std::string::npos ? "" : req.substr(sp + 1, sp2 - sp - 1);
      ++requests_;
      if (OnRequest) OnRequest(path);
      Route r;
      {
        std::lock_guard<std::mutex> g(lock_);
        heads_.push_back(req.substr(0, req.find("\r\n\r\n")));
        auto it = routes_.find(path);
        if (it == routes_.end()) {
          r = Body("<html>none</html>", "Content-Type: text/html\r\n");
          r.status = "404 Not Found";
        } else {
          r = it->second;
        }
      }
      if (r.hang) {
        held_.push_back(c);
        continue;
      }
      const std::string resp = "HTTP/1.1 " + r.status + "\r\nContent-Length: " + std::to_string(r.body.size()) +
                               "\r\nConnection: close\r\n" + r.headers + "\r\n" + r.body;
      ::send(c, resp.data(), static_cast<int>(resp.size()), 0);
      ::shutdown(c, SD_SEND);
      ::closesocket(c);
    }
  }

  SOCKET listen_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::mutex lock_;
  std::map<std::string, Route> routes_;
  std::vector<std::string> heads_;
  std::vector<SOCKET> held_;
};

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
    const auto redirect = [&](const std::string& from, const std::string& to, const char* status) {
      LocalHttpServer::Route r = LocalHttpServer::Body("", "Location: " + to + "\r\n");
      r.status = status;
      server.Add(from, r);
    };
    const char* statuses[] = {"301 Moved Permanently", "302 Found", "303 See Other", "307 Temporary Redirect",
                              "308 Permanent Redirect", "301 Moved Permanently"};
    for (int i = 1; i <= 5; ++i)
      redirect("/hop" + std::to_string(i), i == 5 ? server.Url("/rss20") : "/hop" + std::to_string(i + 1), statuses[i - 1]);
    for (int i = 1; i <= 6; ++i) redirect("/far" + std::to_string(i), i == 6 ? "/rss20" : "/far" + std::to_string(i + 1), statuses[i - 1]);
    redirect("/moved", "/rss20", "301 Moved Permanently");
    redirect("/toftp", "ftp://127.0.0.1/feed.xml", "302 Found");
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

}  // namespace
}  // namespace nv
