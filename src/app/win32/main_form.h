// The main window: the outer tab control with the Main Page (the capture
// frame, the toolbar band, the Utilities and My Notebook tabs). Handlers
// carry the names of the window layout.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/win32/capture_frame.h"
#include "files/win32/files_frame.h"
#include "notebook/win32/notebook_frame.h"
#include "rss/win32/reader.h"
#include "privacy/win32/privacy_frame.h"
#include "settings/ado.h"
#include "sysinfo/win32/system_menu.h"
#include "ui/win32/containers.h"
#include "ui/win32/control.h"
#include "ui/win32/emergency.h"
#include "ui/win32/frame.h"
#include "ui/win32/std_controls.h"
#include "ui/win32/unique_handle.h"

namespace nv {

struct MainFormOptions {
  // Directory of Main.ini and Nookvale.mdb; empty = beside the executable.
  std::string settingsDir;
};

// The main window is a shell: it builds the subsystems' frames, lays them
// out, runs the lifecycle and routes WM_HOTKEY and WM_SYSCOMMAND. Each
// frame owns its components and handlers.
class TfrmMain : public TControl, public TFrameHost {
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
  // Sent by a second start to every top-level window: the running instance
  // shows itself again, so a user whose hotkeys another program took can
  // always get it back.
  static UINT BringBackMessage();

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
  unsigned HtmlExportOptions() const { return Notebook.HtmlOptions; }
  const std::string& SettingsDir() const { return settingsDir_; }

  // --- the frame host ---
  Prompter& FramePrompter() override;
  TPageControl& OuterPages() override { return PageControl; }
  TToolBar& Toolbar() override { return AdvToolBar1; }
  const std::string& SettingsFolder() const override { return settingsDir_; }
  HWND HostHandle() const override { return Handle(); }
  void HideAll() override;
  void ShowAll() override;

  // --- components, in the order of the window layout ---
  TPageControl PageControl;
  TTabSheet MainPage;
  TCaptureFrame Capture;  // "Panel2", the three capture methods
  TPanel AdvDockPanel1;
  TToolBar AdvToolBar1;
  TPageControl PageControl1;
  TTabSheet tsUtil, tsNotebook;
  TNotebookFrame Notebook;  // the editor, and the toolbar's twelve notebook items
  TGlowButton RSSbtn;
  // Opens the reader in a closable tab; the button waits until it closes.
  void RSSbtnClick();
  rss::TReaderTab ReaderTab;
  TPrivacyFrame Privacy;  // hotkey editors and the toolbar's switches
  TDateTimePicker DateTimePicker1;
  TFilesFrame Files;  // drive box, directory and file lists
  TADOConnection ADOConnection1;
  TADOTable ADOTable2{&ADOConnection1};
  // The program's entries of the system menu, and the About window.
  std::unique_ptr<TSystemMenuCommands> SystemMenu;
  // The hidden About window with its report, made once at start-up.
  void CreateAboutWindow();


 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateComponents();
  void CreateToolbar();
  void CreateUtilities();
  void LayoutUtilities();
  // Where the file pane goes on the utilities tab.
  RECT FilesBounds() const;
  static RECT WorkArea();
  void FitToWorkArea();
  void SwitchDisplayBack();
  void EndSession();
  std::optional<LRESULT> WMSysCommand(WPARAM wp);
  std::string SettingsPath(const char* name) const;

  std::string settingsDir_;
  // What the hide hotkey took off the screen, top first, and where the
  // keyboard focus was, for the bring-back hotkey.
  std::vector<std::uintptr_t> hiddenWindows_;
  HWND focusBeforeHide_ = nullptr;
  HWND activeBeforeHide_ = nullptr;
  UniqueKernelHandle semaphore_;
  int savedScreenWidth_ = 0;
  int savedScreenHeight_ = 0;
  bool shown_ = false;
  bool closed_ = false;
  bool destroyed_ = false;
  ScopedEmergencyAction displayRestore_;
};

}  // namespace nv
