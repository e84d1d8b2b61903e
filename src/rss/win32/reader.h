// The RSS reader: fetches a feed by its address, lists its items with their
// dates and shows an item's page. It lives in a closable tab of the outer
// tab control, opened by the toolbar's RSS button (TReaderTab).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "rss/tipwrss.h"
#include "rss/win32/embedded_wb.h"
#include "rss/win32/list_view.h"
#include "ui/win32/containers.h"
#include "ui/win32/frame.h"
#include "ui/win32/std_controls.h"

namespace nv::rss {

enum class TCursor { crDefault, crHourGlass };

class TfrmReader : public TFrame {
 public:
  ~TfrmReader() override;

  TPageControl AdvPageControl1;
  TTabSheet tsRSS;
  TPanel AdvPanel1;
  TGlowButton bRefresh;
  TEdit txtURL;
  TComboBox cbRSS;
  TListView lvwItems;
  TPanel Panel1;
  TEmbeddedWB txtData;
  TipwRSS RSS1;

  void bRefreshClick();
  void cbRSSChange();
  void txtURLKeyPress(char& key);
  void lvwItemsClick();
  void FormResize();
  void FormShow();

  // The tab was closed: a running fetch is cancelled and the reader hidden.
  // OnClosed runs once no handler of the reader is running any more.
  void Close();
  std::function<void()> OnClosed;
  bool Closed() const { return closed_; }

  // The application-wide cursor the reader sets around a fetch.
  static TCursor ScreenCursor();

  static const char* const kDefaultAddress;
  static const char* const kFeedAddresses[29];

 protected:
  void CreateComponents() override;
  void LayoutComponents() override { FormResize(); }

 private:
  // Runs Fetching a feed; true when the feed was fetched.
  bool FetchIntoList();
  void FinishCloseIfDone();
  class CloseWhenDone;
  int depth_ = 0;  // handlers of ours running (a fetch pumps messages)
  bool closed_ = false, closedReported_ = false;
};

// The reader's tab in the main window's outer tab control: what the RSS
// button opens and the tab's close button closes. One reader at a time.
class TReaderTab {
 public:
  ~TReaderTab();
  // RSSbtnClick: a new closable tab "RSS Reader" (image 1) holding a new
  // reader, made the active page; rssBtn is disabled while it is open.
  TfrmReader& Open(TFrameHost& host, TControl& rssBtn);
  // tsReaderClose: rssBtn enabled again, the reader closed, its tab gone.
  void Close();
  bool IsReaderSheet(const TTabSheet& s) const { return sheet_ == &s; }
  TfrmReader* Reader() const { return frame_.get(); }
  TTabSheet* Sheet() const { return sheet_; }

 private:
  void FreeClosed();
  TFrameHost* host_ = nullptr;
  TControl* button_ = nullptr;
  TTabSheet* sheet_ = nullptr;
  std::unique_ptr<TfrmReader> frame_;
  TTimer freeLater_;
};

}  // namespace nv::rss
