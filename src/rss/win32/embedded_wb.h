// The page view of the reader: the system web browser control hosted in
// place, silent (no error boxes of its own). Where the control cannot show
// pages (it cannot be made, or its test page never finishes loading) the
// same place shows a plain view of the item instead, with a button that
// hands the link to the default browser.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/prompter.h"
#include "ui/win32/containers.h"
#include "ui/win32/std_controls.h"

struct IWebBrowser2;
struct IOleObject;

namespace nv::rss {

class BrowserSite;

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
  std::string FallbackText() const { return Text.Text(); }

  // The plain view.
  TEdit Text;
  TGlowButton OpenBtn;

  // Hands an address to the default browser (tests record it instead).
  static std::function<void(const std::wstring&)>& ShellOpen();
  // How long the test page may take before the plain view is used.
  static unsigned& ProbeMs();
  // Forgets what earlier probes found out, so the next control tries again.
  static void ForgetProbe();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  bool Allowed(const std::wstring& url);
  void StartBrowser();
  void DropBrowser();
  void Resolve(Mode m);
  void PlaceBrowser();
  void ShowFallback(const std::wstring& url);

  Prompter* prompter_ = nullptr;
  Mode mode_ = Mode::Probing;
  BrowserSite* site_ = nullptr;
  IOleObject* ole_ = nullptr;
  IWebBrowser2* web_ = nullptr;
  bool oleInit_ = false;
  ULONGLONG probeStart_ = 0;
  std::wstring pending_, location_, fallbackLink_;
  std::string title_, date_, description_;
};

}  // namespace nv::rss
