#include "rss/win32/reader.h"

#include <atomic>

#include "rss/feed_text.h"
#include "rss/win32/wininet_transport.h"
#include "ui/win32/application.h"
#include "ui/win32/icons.h"
#include "ui/win32/win_text.h"

namespace nv::rss {

namespace {

// Read by the tests' server thread as a request arrives.
std::atomic<TCursor> g_cursor{TCursor::crDefault};

// The wait cursor over every window of the program for as long as it
// lives, also while the fetch handles messages.
class ScreenCursorScope {
 public:
  ScreenCursorScope() {
    g_cursor = TCursor::crHourGlass;
    ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
  }
  ~ScreenCursorScope() {
    g_cursor = TCursor::crDefault;
    ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
  }
};

// Keeps the wait cursor up while the mouse moves over our windows during a
// fetch, where each control would otherwise set its own.
LRESULT CALLBACK CursorHook(int code, WPARAM wp, LPARAM lp) {
  if (code >= 0 && g_cursor == TCursor::crHourGlass) {
    const auto* m = reinterpret_cast<const MSG*>(lp);
    if (m->message == WM_MOUSEMOVE || m->message == WM_NCMOUSEMOVE)
      ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));
  }
  return ::CallNextHookEx(nullptr, code, wp, lp);
}

struct HookTraits {
  using handle_type = HHOOK;
  static handle_type Invalid() noexcept { return nullptr; }
  static bool IsValid(handle_type h) noexcept { return h != nullptr; }
  static void Close(handle_type h) noexcept { ::UnhookWindowsHookEx(h); }
};

class DepthScope {
 public:
  explicit DepthScope(int& d) : d_(d) { ++d_; }
  ~DepthScope() { --d_; }

 private:
  int& d_;
};

}  // namespace

const char* const TfrmReader::kDefaultAddress = "https://feeds.bbci.co.uk/news/rss.xml";

const char* const TfrmReader::kFeedAddresses[29] = {
    "https://feeds.bbci.co.uk/news/rss.xml",
    "https://feeds.bbci.co.uk/news/world/rss.xml",
    "https://feeds.bbci.co.uk/news/technology/rss.xml",
    "https://www.theguardian.com/world/rss",
    "https://www.theguardian.com/uk/technology/rss",
    "https://rss.nytimes.com/services/xml/rss/nyt/HomePage.xml",
    "https://rss.nytimes.com/services/xml/rss/nyt/Technology.xml",
    "https://feeds.npr.org/1001/rss.xml",
    "https://www.aljazeera.com/xml/rss/all.xml",
    "https://rss.dw.com/rdf/rss-en-all",
    "https://www.france24.com/en/rss",
    "https://feeds.arstechnica.com/arstechnica/index",
    "https://www.wired.com/feed/rss",
    "https://www.theverge.com/rss/index.xml",
    "https://techcrunch.com/feed/",
    "https://www.engadget.com/rss.xml",
    "https://hnrss.org/frontpage",
    "https://www.reddit.com/r/worldnews/.rss",
    "https://lwn.net/headlines/rss",
    "https://www.nasa.gov/news-release/feed/",
    "https://www.sciencedaily.com/rss/all.xml",
    "https://www.nature.com/nature.rss",
    "https://feeds.feedburner.com/TheHackersNews",
    "https://krebsonsecurity.com/feed/",
    "https://www.schneier.com/feed/atom/",
    "https://blog.mozilla.org/feed/",
    "https://github.blog/feed/",
    "https://stackoverflow.blog/feed/",
    "https://xkcd.com/atom.xml",
};

TCursor TfrmReader::ScreenCursor() { return g_cursor; }

TfrmReader::~TfrmReader() { RSS1.Cancel(); }

// The sizes below are those of a 96-DPI display; ui::Scaled grows them with
// the display's DPI.
void TfrmReader::CreateComponents() {
  RSS1.SetTransport(std::make_shared<WinInetTransport>());

  AdvPageControl1.Create(this, "AdvPageControl1");
  AdvPageControl1.SetAlign(TAlign::alClient);
  tsRSS.Create(&AdvPageControl1, "tsRSS", "RSS Reader");
  AdvPageControl1.SetActivePage(&tsRSS);

  AdvPanel1.Create(&tsRSS, "AdvPanel1");
  AdvPanel1.SetAlign(TAlign::alTop);
  AdvPanel1.SetHeight(ui::Scaled(81));

  bRefresh.Create(&AdvPanel1, "bRefresh", "Get Feed");
  bRefresh.SetBounds(ui::Scaled(8), ui::Scaled(8), ui::Scaled(72), ui::Scaled(65));
  bRefresh.SetHint("Get Feed");
  bRefresh.SetPicture(ui::LoadToolbarIcon(ui::IconId::bRefresh, 32));
  bRefresh.CaptionUnderPicture = true;
  bRefresh.OnClick = [this] { bRefreshClick(); };

  txtURL.Create(&AdvPanel1, "txtURL", kDefaultAddress);
  txtURL.SetBounds(ui::Scaled(92), ui::Scaled(12), ui::Scaled(560), ui::Scaled(22));
  txtURL.OnKeyPress = [this](char& key) { txtURLKeyPress(key); };

  cbRSS.Create(&AdvPanel1, "cbRSS", false);
  cbRSS.SetBounds(ui::Scaled(92), ui::Scaled(44), ui::Scaled(560), ui::Scaled(24));
  for (const char* a : kFeedAddresses) cbRSS.Add(a);
  cbRSS.Perform(CB_SETMINVISIBLE, 30);
  cbRSS.Perform(CB_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(L"RSS Feed Addresses"));
  cbRSS.OnChange = [this] { cbRSSChange(); };

  lvwItems.Create(&tsRSS, "lvwItems");
  lvwItems.SetAlign(TAlign::alTop);
  lvwItems.SetHeight(ui::Scaled(243));
  lvwItems.AddColumn("Title", ui::Scaled(650));
  lvwItems.AddColumn("Date", ui::Scaled(218));
  lvwItems.SetTextColor(RGB(0, 128, 0));
  lvwItems.OnClick = [this] { lvwItemsClick(); };
  lvwItems.OnReturn = [this] { lvwItemsClick(); };

  Panel1.Create(&tsRSS, "Panel1");
  Panel1.SetAlign(TAlign::alClient);
  txtData.Create(&Panel1, "txtData", Host().FramePrompter());
  txtData.SetAlign(TAlign::alClient);

  FormShow();
}

void TfrmReader::FormShow() { cbRSS.SetWidth(txtURL.Width()); }

void TfrmReader::FormResize() {
  if (!lvwItems.HandleAllocated()) return;
  lvwItems.SetColumnWidth(0, lvwItems.ColumnWidth(1) * 3 + 30);
  lvwItems.SetWidth(AdvPanel1.Width());
  lvwItems.SetHeight(AdvPanel1.Height() * 3);
  cbRSS.SetWidth(txtURL.Width());
}

bool TfrmReader::FetchIntoList() {
  // Asked for again while a fetch waits (a click handled meanwhile): the
  // running fetch goes on and fills the list.
  if (RSS1.Busy() || closed_) return false;
  DepthScope depth(depth_);
  lvwItems.Clear();
  bool fetched;
  {
    ScreenCursorScope cursor;
    UniqueHandle<HookTraits> hook(::SetWindowsHookExW(WH_GETMESSAGE, CursorHook, nullptr, ::GetCurrentThreadId()));
    fetched = RSS1.FetchFeed(txtURL.Text());
  }
  if (!fetched || closed_) return false;
  // The title, with the description after it when the channel has one.
  const std::string& title = RSS1.ChannelTitle();
  const std::string& desc = RSS1.ChannelDescription();
  tsRSS.SetCaption(desc.empty() ? title : title.empty() ? desc : title + " \xE2\x80\x94 " + desc);
  AdvPageControl1.Changed();
  for (int i = 1; i <= RSS1.ItemCount(); ++i) {
    const int row = lvwItems.AddItem(RSS1.ItemTitle(i));
    if (!RSS1.ItemPubDate(i).empty()) lvwItems.SetSubItem(row, 1, RSS1.ItemPubDate(i));
  }
  return true;
}

// Reports a close that came during the handler once the handler ends.
class TfrmReader::CloseWhenDone {
 public:
  explicit CloseWhenDone(TfrmReader& r) : r_(r) {}
  ~CloseWhenDone() { r_.FinishCloseIfDone(); }

 private:
  TfrmReader& r_;
};

void TfrmReader::FinishCloseIfDone() {
  if (closed_ && depth_ == 0 && !closedReported_) {
    closedReported_ = true;
    if (OnClosed) OnClosed();
  }
}

void TfrmReader::bRefreshClick() {
  const CloseWhenDone finish(*this);
  FetchIntoList();
}

void TfrmReader::txtURLKeyPress(char& key) {
  if (key != '\r') return;
  key = 0;
  const CloseWhenDone finish(*this);
  // An address that failed (an error leaves here) or was not fetched is
  // not added.
  if (!FetchIntoList()) return;
  const std::string text = txtURL.Text();
  for (int i = 0; i < cbRSS.Count(); ++i)
    if (cbRSS.Item(i) == text) return;
  cbRSS.Add(text);
}

void TfrmReader::cbRSSChange() {
  if (RSS1.Busy()) return;
  const int i = cbRSS.ItemIndex();
  txtURL.SetText(i >= 0 ? cbRSS.Item(i) : cbRSS.Text());
  bRefreshClick();
}

void TfrmReader::lvwItemsClick() {
  const int row = lvwItems.Selected();
  if (row < 0) return;
  txtData.SetItemText(RSS1.ItemTitle(row + 1), RSS1.ItemPubDate(row + 1), RSS1.ItemDescription(row + 1));
  // An item with no web page of its own (no link, a tag: guid, a script)
  // is shown from what the feed says of it.
  const std::string& link = RSS1.ItemLink(row + 1);
  const std::string scheme = UrlScheme(link);
  if (scheme == "http" || scheme == "https") txtData.Navigate(Widen(link));
  else txtData.ShowItem();
}

void TfrmReader::Close() {
  if (closed_) return;
  closed_ = true;
  RSS1.Cancel();
  SetVisible(false);
  FinishCloseIfDone();
}

// --- TReaderTab --------------------------------------------------------------

TReaderTab::~TReaderTab() {
  if (frame_) frame_->RSS1.Cancel();
}

TfrmReader& TReaderTab::Open(TFrameHost& host, TControl& rssBtn) {
  FreeClosed();
  host_ = &host;
  button_ = &rssBtn;
  TPageControl& pages = host.OuterPages();
  sheet_ = &pages.NewSheet("tsReader", "RSS Reader");
  sheet_->ImageIndex = 1;
  sheet_->ShowClose = true;
  frame_ = std::make_unique<TfrmReader>();
  TfrmReader* f = frame_.get();
  // Runs once the reader's handlers have returned; the tab goes when the
  // next message is handled, not under a handler's feet.
  f->OnClosed = [this] {
    if (!freeLater_.Created()) {
      freeLater_.Create(1);
      freeLater_.OnTimer = [this] {
        FreeClosed();
        if (!frame_) freeLater_.SetEnabled(false);
      };
    }
    freeLater_.SetEnabled(true);
  };
  f->CreateFrame(host, sheet_, "frmReader");
  f->SetAlign(TAlign::alClient);
  sheet_->AlignControls();
  pages.Changed();
  pages.SetActivePage(sheet_);
  f->txtURL.SetFocus();
  rssBtn.SetEnabled(false);
  return *f;
}

void TReaderTab::Close() {
  if (button_) button_->SetEnabled(true);
  if (!frame_) return;
  frame_->Close();
  FreeClosed();
  if (!frame_) freeLater_.SetEnabled(false);
}

void TReaderTab::FreeClosed() {
  // A reader closed during a fetch is freed once the fetch has unwound: at
  // the next open or close, or with this object.
  if (!frame_ || !frame_->Closed() || frame_->RSS1.Busy()) return;
  if (sheet_ && host_) host_->OuterPages().FreeSheet(*sheet_);
  sheet_ = nullptr;
  frame_.reset();
}

}  // namespace nv::rss
