// The page view of the reader: the system web browser control hosted in
// place, silent (no error boxes of its own), in the installed browser's
// current document mode, going to web addresses only, whoever starts the
// navigation. Where the control cannot show pages (it cannot be made, or its
// test page never finishes loading) the same place shows a plain view of the
// item instead. Both views have a button that hands the page shown to the
// default browser.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "rss/browser_rules.h"
#include "ui/prompter.h"
#include "ui/win32/containers.h"
#include "ui/win32/memo.h"
#include "ui/win32/std_controls.h"

struct IWebBrowser2;
struct IOleObject;
struct IConnectionPoint;
struct IDispatch;

namespace nv::rss {

class BrowserSite;
class BrowserEvents;

class TEmbeddedWB : public TControl {
 public:
  enum class Mode { Probing, Browser, Fallback };

  ~TEmbeddedWB() override;
  void Create(TControl* parent, const std::string& name, Prompter& prompter);

  // Shows the page at url. Only http and https addresses are shown or
  // handed on; any other scheme is refused with a message.
  void Navigate(const std::wstring& url);
  // What the plain view shows for the next address navigated to.
  void SetItemText(const std::string& title, const std::string& date, const std::string& description);
  // Shows the item text given last in the plain view, over the page, for an
  // item without a web page; the next Navigate shows pages again.
  void ShowItem();

  Mode CurrentMode() const { return mode_; }
  std::wstring LocationURL() const { return location_; }
  std::string FallbackText() const { return Text.Caption(); }

  // The plain view.
  TMemo Text;
  TGlowButton OpenBtn;

  // Hands an address to the default browser (tests record it instead).
  static std::function<void(const std::wstring&)>& ShellOpen();
  // How long the test page may take before the plain view is used.
  static unsigned& ProbeMs();
  // Forgets what earlier probes found out, so the next control tries again.
  static void ForgetProbe();
  // Takes the control as able to show pages without a probe (tests: the
  // page view where no browser engine is installed).
  static void AssumeBrowserWorks();

  // The control's navigation events (DWebBrowserEvents2), as the control
  // fires them through the connection made at start. Null in the plain view.
  IDispatch* BrowserEventSink() const;
  // The control itself; null in the plain view.
  IWebBrowser2* WebBrowser() const { return web_; }

  // The handlers of those events. frame: the browser or frame navigating.
  // Answers whether the navigation is cancelled.
  bool BeforeNavigate2(IDispatch* frame, const std::wstring& url);
  // A page asks for a new window: never made; a web address is shown here.
  void NewWindow3(const std::wstring& url);
  // The page shown is now url (a link followed, a redirect).
  void NavigateComplete2(IDispatch* frame, const std::wstring& url);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  bool Allowed(const std::wstring& url);
  void StartBrowser();
  void DropBrowser();
  void Resolve(Mode m);
  void PlaceBrowser();
  void ShowFallback(const std::wstring& url);
  void ShowOpenButton(bool show);
  void ConnectEvents();
  bool IsTopFrame(IDispatch* frame) const;

  Prompter* prompter_ = nullptr;
  Mode mode_ = Mode::Probing;
  BrowserSite* site_ = nullptr;
  IOleObject* ole_ = nullptr;
  IWebBrowser2* web_ = nullptr;
  BrowserEvents* events_ = nullptr;
  IConnectionPoint* eventSource_ = nullptr;
  DWORD eventCookie_ = 0;
  NavigationFilter filter_;
  bool oleInit_ = false;
  ULONGLONG probeStart_ = 0;
  std::wstring pending_, location_, fallbackLink_;
  std::string title_, date_, description_;
};

}  // namespace nv::rss
