// The Main Page's top band: the three ways to capture a program (launch by
// path, the running applications, the processes), the host tabs the
// captured windows live in, the hidden list of captured windows and the
// once-a-second scan that drops the tabs of windows that have gone.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/win32/captured_windows.h"
#include "capture/win32/window_search.h"
#include "ui/win32/containers.h"
#include "ui/win32/frame.h"
#include "ui/win32/std_controls.h"

namespace nv {

class TCaptureFrame : public TFrame {
 public:
  // --- components, in the order of the window layout ---
  TImageList ImageList1;  // image 0 the Main Page's, 1 the reader's, then the programs'
  TCaptionPanel AdvPanel7, AdvPanel8, AdvPanel10;
  TFileNameEdit ProgramPath;
  TGlowButton GoGetBtn, ExitBtn;
  TListBox ListBox2;
  TGlowButton AppNameBtn, AppRefreshBtn, AppTerminateBtn;
  TListBox ListBox1;
  TGlowButton ProcessBtn, RefreshBtn, TerminateBtn;
  TListBox winListBox;
  TTimer Timer1;

  // --- handlers ---
  void ProgramPathKeyPress(char& key);
  void GoGetBtnClick();
  void AppRefreshBtnClick();
  void AppNameBtnClick();
  void AppTerminateBtnClick();
  void ListBox2DblClick();
  void RefreshBtnClick();
  void ProcessBtnClick();
  void ListBox1DblClick();
  void TerminateBtnClick();
  void tsClose(TTabSheet& sender);
  void Timer1Timer();

  // Fills both picker lists (the window's first showing).
  void FillPickers();
  // Gives every captured window back to the desktop and drops the host
  // tabs that held them (the end of the Windows session).
  void ReleaseCaptures();
  // Tabs the scan never frees besides the first page (the reader's tab).
  std::vector<TTabSheet*> KeptTabs;
  CapturedWindows& Captures() { return captures_; }
  // The launch waits this long for a new window.
  unsigned LaunchWaitMs = 15000;
  // Which windows the window manager keeps out of sight; tests stand in for
  // it where the system cloaks nothing.
  CloakReader IsCloaked = WindowIsCloaked;

 protected:
  void CreateComponents() override;
  void LayoutComponents() override;

 private:
  TTabSheet& NewHostTab();
  bool CaptureInto(TTabSheet& tab, HWND window, const std::string& title);
  void FitCapturedWindows(TTabSheet& tab);
  // The Main Page and the kept tabs, which no clean-up ever frees.
  std::vector<std::uintptr_t> FixedTabs() const;
  // Frees a host tab still in the tab control; answers whether it was the
  // tab on screen.
  bool FreeHostTab(TTabSheet& tab);
  void SetHostTabImage(TTabSheet& tab, DWORD processId);
  void RecordCapture(TTabSheet& tab, HWND window, const CaptureRecord& before);
  bool WaitForNewWindow(int linesBefore);
  bool ConfirmTerminate(const std::string& what);

  bool launching_ = false;
  TTabSheet* newTab_ = nullptr;  // the tab a capture is filling
  int hostTabCount_ = 0;
  CapturedWindows captures_;
};

}  // namespace nv
