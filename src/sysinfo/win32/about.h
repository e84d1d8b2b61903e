// The About window: product name, version and default hotkeys, a picture
// that leads to the companion product's site, and two tabs, "System" with
// the system report and "Credits" with the warranty disclaimer. It is made
// once, hidden, at start-up (the report shows the values of that moment)
// and shown modally on request; closing only hides it, so every later
// showing has the same content.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "sysinfo/system_report.h"
#include "sysinfo/win32/shell_launcher.h"
#include "ui/win32/containers.h"
#include "ui/win32/image.h"
#include "ui/win32/memo.h"

namespace nv {

// A captioned panel whose caption is markup and whose caption bar carries a
// close button.
class TAdvPanelGroup : public TCaptionPanel {
 public:
  void Create(TControl* parent, const std::string& name, const std::string& captionMarkup,
              const std::string& bodyMarkup);
  const std::string& CaptionMarkup() const { return captionMarkup_; }
  // The close button, in client coordinates.
  RECT CloseButtonRect() const;
  std::function<void()> OnClose;

 protected:
  void Paint(HDC dc) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::string captionMarkup_;
  bool closePressed_ = false;
};

class TAbout : public TControl {
 public:
  using FactsSource = std::function<ReportFacts()>;
  // launcher: how the picture opens the site; facts: where the report's
  // facts come from (the running system unless a test says otherwise).
  explicit TAbout(ShellLauncher launcher = SystemShellLaunch, FactsSource facts = {});
  ~TAbout() override;

  // Makes the window, hidden and centred, owned by owner; runs FormCreate.
  void Create(HWND owner);
  // Shows the window and runs its own message loop until it closes. Every
  // message of the thread is still handled meanwhile (hotkeys, timers, other
  // windows' messages); thread messages are also handed to OnThreadMessage.
  // While the owner is hidden (the whole program hidden by its hotkey) the
  // window hides too, and it comes back with the owner.
  void ShowModal();
  bool Modal() const { return modal_; }
  // Ends the modal showing and hides the window.
  void Close();
  std::function<void(const MSG&)> OnThreadMessage;

  static constexpr int kClientWidth = 360;
  static constexpr int kClientHeight = 416;
  static constexpr int kPagesHeight = 232;  // the System and Credits pages
  static constexpr int kPictureSize = 100;
  static constexpr const char* kCaptionMarkup =
      "<B><I><FONT color=\"#408080\" size=\"10\">Nookvale</FONT></I></B>";
  static constexpr const char* kBodyMarkup =
      "Version 1.b<BR><BR>Default Hotkey 01:   Ctrl + S<BR>Default Hotkey 02:   Ctrl + Alt + O <BR>"
      "Default Hotkey 03:   Ctrl + Alt + H<BR><BR>Hotkey 01:   Go to Screen Saver<BR>"
      "Hotkey 02:   To bring back Nookvale<BR>Hotkey 03:   To hide Nookvale";
  static const char* const kCredits;

  // --- handlers ---
  void FormCreate();
  void AdvPanelGroup1Close();
  void Image1Click();

  // --- components ---
  TAdvPanelGroup AdvPanelGroup1;
  TImage Image1;
  TPageControl PageControl1;
  TTabSheet tsSystem, tsCredit;
  TMemo Memo1, Memo2;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateComponents();
  HBITMAP MakePicture() const;

  ShellLauncher launcher_;
  FactsSource facts_;
  bool modal_ = false;
  bool closed_ = false;
};

}  // namespace nv
