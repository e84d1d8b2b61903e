// The main window: the outer tab control with the Main Page (the three ways
// to capture a program), the toolbar band, the Utilities and My Notebook
// tabs, and the hidden state controls. Handlers carry the names of the
// window layout; each subsystem's handlers live in that subsystem's file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/win32/captured_windows.h"
#include "settings/ado.h"
#include "ui/win32/containers.h"
#include "ui/win32/control.h"
#include "ui/win32/std_controls.h"
#include "ui/win32/unique_handle.h"

namespace nv {

struct MainFormOptions {
  // Directory of Main.ini and Nookvale.mdb; empty = beside the executable.
  std::string settingsDir;
};

class TfrmMain : public TControl {
 public:
  explicit TfrmMain(MainFormOptions options = {});
  ~TfrmMain() override;

  // Creates the window: runs FormCreate and, unless start-up ended the
  // program, shows the window, which runs FormShow.
  void Create();
  // Asks to close, as the close box does (FormCloseQuery, then FormClose).
  void Close();
  bool Closed() const { return closed_; }

  static constexpr const char* kCaption = "Nookvale v1.b  - RIGHT CLICK HERE FOR INFO";

  // --- lifecycle ---
  void FormCreate();
  void FormShow();
  void FormResize();
  void FormCloseQuery(bool& canClose);
  void FormClose();
  void FormDestroy();
  void ExitBtnClick();
  void DateTimePicker1DropDown();
  // Switches the display mode; answers ChangeDisplaySettingsA's result.
  static LONG SetScreenResolution(int width, int height);

  // --- state kept for the window's lifetime ---
  int SavedScreenWidth() const { return savedScreenWidth_; }
  int SavedScreenHeight() const { return savedScreenHeight_; }
  HWND DesktopIconView() const { return desktopIconView_; }
  std::uint16_t HtmlExportOptions() const { return htmlExportOptions_; }
  const std::string& SettingsDir() const { return settingsDir_; }
  // Shortcut value last taken over for hotkey 1..3.
  std::uint16_t StoredHotKey(int n) const { return storedHotKey_[n - 1]; }

  // --- components, in the order of the window layout ---
  TPageControl PageControl;
  TImageList ImageList1;
  TTabSheet MainPage;
  TPanel Panel2;
  TCaptionPanel AdvPanel7, AdvPanel8, AdvPanel10;
  TFileNameEdit ProgramPath;
  TGlowButton GoGetBtn, ExitBtn;
  TListBox ListBox2;
  TGlowButton AppNameBtn, AppRefreshBtn, AppTerminateBtn;
  TListBox ListBox1;
  TGlowButton ProcessBtn, RefreshBtn, TerminateBtn;
  TPanel AdvDockPanel1;
  TToolBar AdvToolBar1;
  TComboBox SizeList, FontList;
  TGlowButton OpenBtn, SaveBtn, InsertImageBtn, ItalicBtn, BoldBtn, UnderlineBtn, LineBtn, FontBtn,
      EncryptBtn, DecryptBtn, RSSbtn;
  TCheckBox CheckBox3, CheckBox1, CheckBox2;
  TPageControl PageControl1;
  TTabSheet tsUtil, tsNotebook;
  TCaptionPanel GroupBox1;
  THotKey HotKey1, HotKey2, HotKey3;
  TGlowButton Change1, Change2, Change3;
  TDateTimePicker DateTimePicker1;
  TPanel Panel4;
  TComboBox DriveComboBoxEx1;
  TCheckListView DirectoryListBox1;
  TCheckListView ListBoxLocFiles;
  TEdit edHotKey1, edHotKey2, edHotKey3;
  TListBox winListBox;
  TTimer Timer1;
  TADOConnection ADOConnection1;
  TADOTable ADOTable2{&ADOConnection1};

  // --- capture: host tabs and the three pickers ---
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
  // The RSS reader's tab, which the timer never frees.
  TTabSheet* RssTab = nullptr;
  CapturedWindows& Captures() { return captures_; }
  // The launch waits this long for a new window.
  unsigned LaunchWaitMs = 15000;

  // --- privacy: global hotkeys and the desktop and sound switches ---
  void Change1Click();
  void Change2Click();
  void Change3Click();
  void FormHotKey(WPARAM id);  // WM_HOTKEY
  void CheckBox1Click();
  void CheckBox2Click();
  void CheckBox3Click();
  // The id hotkey 1..3 is registered under (its global atom), 0 before.
  ATOM HotKeyId(int n) const { return hotKeyIds_[n - 1]; }

  // The twelve notebook items of the toolbar, left to right.
  TControl* NotebookToolbarItem(int i);
  static constexpr int kNotebookToolbarItems = 12;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateComponents();
  void CreateMainPage();
  void CreateToolbar();
  void CreateUtilities();
  void LayoutMethodPanels();
  void LayoutUtilities();
  void FitToWorkArea();
  std::optional<LRESULT> WMSysCommand(WPARAM wp);
  std::string SettingsPath(const char* name) const;
  void WireCapture();
  void WirePrivacy();
  void ApplyHotKey(int n);
  void ReleaseHotKeys();
  void ReportHotKeyInUse(int n);
  TTabSheet& NewHostTab();
  bool CaptureInto(TTabSheet& tab, HWND window, const std::string& title);
  void SetHostTabImage(TTabSheet& tab, DWORD processId);
  void RecordCapture(TTabSheet& tab, HWND window, const CaptureRecord& before);
  bool WaitForNewWindow(int linesBefore);

  std::string settingsDir_;
  UniqueKernelHandle semaphore_;
  int savedScreenWidth_ = 0;
  int savedScreenHeight_ = 0;
  HWND desktopIconView_ = nullptr;
  std::uint16_t htmlExportOptions_ = 0;
  std::uint16_t storedHotKey_[3] = {0, 0, 0};
  bool shown_ = false;
  bool closed_ = false;
  bool destroyed_ = false;
  bool launching_ = false;
  TTabSheet* newTab_ = nullptr;  // the tab a capture is filling
  int hostTabCount_ = 0;
  CapturedWindows captures_;
  ATOM hotKeyIds_[3] = {0, 0, 0};
  std::vector<int> hotKeysInUse_;  // failures found before the window showed
};

}  // namespace nv
