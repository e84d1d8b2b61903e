#include "app/win32/main_form.h"

#include <commctrl.h>

#include <algorithm>
#include <set>
#include <utility>

#include "privacy/hidden_windows.h"
#include "settings/main_ini.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/application.h"
#include "ui/win32/icons.h"
#include "ui/win32/startup_trace.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

// The layout's fixed sizes at 96 DPI; ui::Scaled turns them into pixels of
// this display.
constexpr int kTopBandHeight = 305;
constexpr int kToolbarHeight = 28;
constexpr int kGap = 8;
constexpr int kUtilitiesWidth = 340;
constexpr int kPictureButtonWidth = 28;

}  // namespace

TfrmMain::TfrmMain(MainFormOptions options) : settingsDir_(std::move(options.settingsDir)) {
  if (settingsDir_.empty()) settingsDir_ = ExeDirectory();
  if (!settingsDir_.empty() && settingsDir_.back() != '\\' && settingsDir_.back() != '/') settingsDir_ += '\\';
}

TfrmMain::~TfrmMain() {
  if (HandleAllocated() && !destroyed_) {
    try {
      FormDestroy();
    } catch (...) {
      Window::ReportException(std::current_exception());
    }
  }
  if (Application().MainWindow == Handle()) Application().MainWindow = nullptr;
}

std::string TfrmMain::SettingsPath(const char* name) const { return settingsDir_ + name; }

void TfrmMain::Create() {
  Name = "frmMain";
  CreateParams p;
  p.className = L"TfrmMain";
  p.caption = kCaption;
  // Sizeable tool-window frame with a close box only; owned by the
  // application window, so the main window itself never has a taskbar button.
  p.style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
  p.exStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
  p.parent = Application().Handle();
  // Created at the size it is shown in, so the components are laid out
  // once, not first in a default size and again when fitted.
  const RECT work = WorkArea();
  p.x = work.left;
  p.y = work.top;
  p.width = work.right - work.left;
  p.height = work.bottom - work.top;
  ClassParams c;
  c.icon = ::LoadIconW(::GetModuleHandleW(nullptr), L"MAINICON");
  StartupTrace& trace = StartupTrace::Instance();
  // Checking the settings database's password is slow by design: it runs
  // on another thread while the window's parts are made, and FormCreate's
  // Open takes the result.
  ADOConnection1.ConnectionString = SettingsConnectionString(SettingsPath(kSettingsDatabaseName));
  ADOConnection1.PrepareOpen();
  {
    StartupTrace::Phase phase("components");
    CreateOwn(p, c);
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    Application().MainWindow = Handle();
    CreateComponents();
  }
  FormCreate();
  if (Application().Terminated()) return;
  {
    StartupTrace::Phase phase("show");
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
  }
  trace.MarkSinceStart("visible");
  if (!shown_) {
    shown_ = true;
    Files.WindowShown();
    FormShow();
    // Hotkeys that could not be registered at start are reported now that
    // the window is there to report them.
    Privacy.WindowShown();
    // What an earlier run could not save is offered back over the window.
    Notebook.OfferRecovery();
  }
}

RECT TfrmMain::WorkArea() {
  RECT work{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
    work = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  return work;
}

void TfrmMain::FitToWorkArea() {
  const RECT work = WorkArea();
  ::SetWindowPos(Handle(), nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- components ----------------------------------------------------------------

void TfrmMain::CreateComponents() {
  PageControl.Create(this, "PageControl");
  PageControl.SetAlign(TAlign::alClient);
  MainPage.Create(&PageControl, "MainPage", " Main Page ");
  MainPage.ImageIndex = 0;
  PageControl.SetActivePage(&MainPage);

  {
    StartupTrace::Phase phase("capture");
    Capture.CreateFrame(*this, &MainPage, "Panel2", [](TFrame& band) {
      band.SetHeight(ui::Scaled(kTopBandHeight));
      band.SetAlign(TAlign::alTop);
    });
  }
  Capture.ExitBtn.OnClick = [this] { ExitBtnClick(); };
  CreateToolbar();

  PageControl1.Create(&MainPage, "PageControl1");
  PageControl1.SetAlign(TAlign::alClient);
  tsUtil.Create(&PageControl1, "tsUtil", "  Utilities  ");
  tsNotebook.Create(&PageControl1, "tsNotebook", "  My Notebook  ");
  PageControl1.SetActivePage(&tsUtil);

  // The toolbar, left to right: the notebook's twelve items, the reader's
  // button, then the privacy switches.
  {
    StartupTrace::Phase phase("notebook");
    Notebook.CreateFrame(*this, &tsNotebook, "NotebookFrame");
  }
  Notebook.SetAlign(TAlign::alClient);
  Notebook.HtmlOptions = 0;  // set by start-up, unless it fails before then
  PageControl1.OnChange = [this] { Notebook.InnerPageChanged(PageControl1.ActivePage() == &tsNotebook); };
  AdvToolBar1.AddSeparator();
  RSSbtn.Create(&AdvToolBar1, "RSSbtn", "RSS");
  RSSbtn.SetHint("RSS");
  RSSbtn.SetPicture(ui::LoadToolbarIcon(ui::IconId::RSSbtn, 16));
  AdvToolBar1.AddItem(RSSbtn, ui::Scaled(kPictureButtonWidth));
  RSSbtn.OnClick = [this] { RSSbtnClick(); };
  PageControl.OnCloseSheet = [this](TTabSheet& sheet) {
    if (!ReaderTab.IsReaderSheet(sheet)) return;
    Capture.KeptTabs.clear();
    ReaderTab.Close();
  };
  AdvToolBar1.AddSeparator();
  CreateUtilities();

  OnResize = [this] { FormResize(); };
  AlignControls();
  // The window is built at its final size, so no later resize lays the
  // utilities tab out: it is laid out here.
  LayoutUtilities();
}

void TfrmMain::CreateToolbar() {
  AdvDockPanel1.Create(&MainPage, "AdvDockPanel1");
  AdvDockPanel1.SetHeight(ui::Scaled(kToolbarHeight));
  AdvDockPanel1.SetAlign(TAlign::alTop);
  AdvToolBar1.Create(&AdvDockPanel1, "AdvToolBar1");
  AdvToolBar1.SetAlign(TAlign::alClient);
}

void TfrmMain::CreateUtilities() {
  {
    StartupTrace::Phase phase("privacy");
    Privacy.CreateFrame(*this, &tsUtil, "PrivacyFrame");
  }
  DateTimePicker1.Create(&tsUtil, "DateTimePicker1");
  DateTimePicker1.OnDropDown = [this] { DateTimePicker1DropDown(); };
  {
    StartupTrace::Phase phase("files");
    Files.CreateFrame(*this, &tsUtil, "FilesFrame", [this](TFrame& frame) {
      const RECT r = FilesBounds();
      frame.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    });
  }
  // A click on a file fills the path box; a double click also starts it.
  Files.OnProgramChosen = [this](const std::string& path) { Capture.ProgramPath.SetText(path); };
  Files.OnProgramLaunch = [this](const std::string& path) {
    Capture.ProgramPath.SetText(path);
    Capture.GoGetBtn.Click();
  };
  tsUtil.OnResize = [this] { LayoutUtilities(); };
}

void TfrmMain::LayoutUtilities() {
  const int gap = ui::Scaled(kGap);
  const int leftWidth = ui::Scaled(kUtilitiesWidth);
  // The frame's height follows its text at this width.
  Privacy.SetBounds(gap, gap, leftWidth, ui::Scaled(230));
  Privacy.SetHeight(Privacy.PreferredHeight());
  DateTimePicker1.SetBounds(gap, Privacy.Top() + Privacy.Height() + gap, ui::Scaled(160), ui::Scaled(24));

  const RECT files = FilesBounds();
  Files.SetBounds(files.left, files.top, files.right - files.left, files.bottom - files.top);
  FormResize();
}

RECT TfrmMain::FilesBounds() const {
  // The directory tree (under the drive box) and the file list fill the
  // rest of the tab side by side.
  RECT r;
  ::GetClientRect(tsUtil.Handle(), &r);
  const int gap = ui::Scaled(kGap);
  const int x = ui::Scaled(kUtilitiesWidth) + 2 * gap;
  return RECT{x, gap, x + std::max<int>(ui::Scaled(100), r.right - x - gap),
              gap + std::max<int>(ui::Scaled(50), r.bottom - 2 * gap)};
}

// --- lifecycle -------------------------------------------------------------------

void TfrmMain::FormCreate() {
  // 1. One instance per desktop session.
  semaphore_.reset(::CreateSemaphoreA(nullptr, 0, 1, "Nookvale"));
  if (semaphore_ && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    semaphore_.reset();
    ::PostMessageW(HWND_BROADCAST, BringBackMessage(), 0, 0);
    Application().prompter().ShowMessage("This program is already running.");
    Application().Terminate();
    return;
  }
  // 2. The settings database; without it the program cannot start.
  try {
    StartupTrace::Phase phase("database");
    // Create named the database when it started the password check.
    ADOConnection1.LoginPrompt = false;
    ADOConnection1.Open();
  } catch (const std::exception& e) {
    Application().prompter().ShowMessage(e.what());
    Application().Terminate();
    return;
  }
  // Any later error ends start-up at its step; the window still opens.
  try {
    // 3.
    {
      StartupTrace::Phase phase("database");
      ADOTable2.TableName = "HotKeys";
      ADOTable2.SetActive(true);
    }
    // 4.-6. The hotkeys as Main.ini holds them, registered.
    {
      StartupTrace::Phase phase("hotkeys");
      Privacy.LoadHotKeys();
    }
    // 7. The program's entries of the system menu.
    {
      StartupTrace::Phase phase("menus");
      SystemMenu = std::make_unique<TSystemMenuCommands>(Handle());
      SystemMenu->AppendEntries(Handle());
    }
    StartupTrace::Phase phase("settings");
    // 8. Small screens are switched to 1024 x 768 for the session.
    if (::GetSystemMetrics(SM_CYSCREEN) < 768) {
      savedScreenWidth_ = ::GetSystemMetrics(SM_CXSCREEN);
      savedScreenHeight_ = ::GetSystemMetrics(SM_CYSCREEN);
      // Put back however the program ends, not only on a confirmed exit.
      const int w = savedScreenWidth_, h = savedScreenHeight_;
      displayRestore_ = ScopedEmergencyAction([w, h] { SetScreenResolution(w, h); });
      SetScreenResolution(1024, 768);
    }
    // 9.
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    DateTimePicker1.SetDate(today);
    // 10. Moving, sizing and the window-state entries leave the menu.
    HMENU sys = ::GetSystemMenu(Handle(), FALSE);
    for (UINT cmd : {SC_MOVE, SC_SIZE, SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE}) ::DeleteMenu(sys, cmd, MF_BYCOMMAND);
    // 11.
    Notebook.HtmlOptions = 320;
    // 12.
    Privacy.LocateDesktopIconView();
  } catch (const std::exception& e) {
    Application().ShowException(e);
  }
}

void TfrmMain::FormShow() {
  // The application window carries the taskbar button; hiding it leaves the
  // program without one.
  HWND owner = ::GetWindow(Handle(), GW_OWNER);
  ::ShowWindow(owner, SW_HIDE);
  ::ShowWindowAsync(owner, SW_HIDE);
  // The notebook opens on a line with the date and time.
  Notebook.FormShow();
  StartupTrace::Phase phase("pickers");
  Capture.FillPickers();
}

void TfrmMain::FormResize() {}

LONG TfrmMain::SetScreenResolution(int width, int height) {
  DEVMODEA dm;
  ::ZeroMemory(&dm, sizeof dm);
  dm.dmSize = sizeof(DEVMODEA);
  dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  dm.dmPelsWidth = static_cast<DWORD>(width);
  dm.dmPelsHeight = static_cast<DWORD>(height);
  return ::ChangeDisplaySettingsA(&dm, CDS_UPDATEREGISTRY);
}

void TfrmMain::FormCloseQuery(bool& canClose) {
  if (!canClose) return;
  // Unsaved notes are offered for saving instead of the plain question: the
  // answer to that is the user's confirmation, and one question is enough.
  if (Notebook.RichViewEdit1.Modified()) {
    canClose = Notebook.CanClose();
    if (canClose) SwitchDisplayBack();
    return;
  }
  const int answer =
      Application().prompter().ShowBox(BoxOwner::Application, "Are you sure to Exit?", "Yes or No?", mb::kYesNoCancel);
  if (answer == mb::kIdCancel || answer == mb::kIdNo) {
    canClose = false;
    return;
  }
  if (answer == mb::kIdYes) SwitchDisplayBack();
}

void TfrmMain::SwitchDisplayBack() {
  if (!displayRestore_.Armed()) return;
  displayRestore_.Disarm();
  try {
    SetScreenResolution(savedScreenWidth_, savedScreenHeight_);
  } catch (...) {
    // A failed switch back must not keep the program from closing.
  }
}

void TfrmMain::FormClose() {
  Privacy.ReleaseHotKeys();
  // The user's own choices: a normal exit leaves taskbar and icons as set.
  Privacy.KeepSwitchesAsTheyAre();
  ADOTable2.SetActive(false);
}

void TfrmMain::FormDestroy() {
  destroyed_ = true;
  Capture.Captures().ReleaseAll();
  ADOTable2.SetActive(false);
  Privacy.ReleaseHotKeys();
}

void TfrmMain::EndSession() {
  // Windows is ending: give the captured programs back so they can save
  // their work in their own windows, and put back what we changed.
  Capture.Captures().ReleaseAll();
  SwitchDisplayBack();
  Privacy.RestoreSwitches();
}

Prompter& TfrmMain::FramePrompter() { return Application().prompter(); }

void TfrmMain::RSSbtnClick() {
  ReaderTab.Open(*this, RSSbtn);
  // The capture scan never frees the reader's tab.
  Capture.KeptTabs = {ReaderTab.Sheet()};
}

void TfrmMain::CreateAboutWindow() {
  if (SystemMenu) SystemMenu->About();
}

namespace {

// Our process's top-level windows, from the top of the stacking order down.
// Tooltips come and go by themselves and are left to do so.
BOOL CALLBACK CollectOwnWindow(HWND w, LPARAM p) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(w, &pid);
  if (pid != ::GetCurrentProcessId()) return TRUE;
  wchar_t cls[32] = {};
  ::GetClassNameW(w, cls, 32);
  if (std::wstring(cls) == TOOLTIPS_CLASSW) return TRUE;
  reinterpret_cast<std::vector<OwnWindow>*>(p)->push_back(
      {reinterpret_cast<std::uintptr_t>(w), ::IsWindowVisible(w) != FALSE});
  return TRUE;
}

std::vector<OwnWindow> OwnTopLevelWindows() {
  std::vector<OwnWindow> own;
  ::EnumWindows(CollectOwnWindow, reinterpret_cast<LPARAM>(&own));
  return own;
}

// Where the keys go now, when that is a window of ours or one inside ours
// (a captured program's control has the focus in its own thread, so our
// thread's GetFocus does not see it).
HWND KeyboardFocusInOurWindows() {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  HWND focus = ::GetGUIThreadInfo(0, &gui) ? gui.hwndFocus : nullptr;
  if (!focus) return ::GetFocus();
  DWORD pid = 0;
  ::GetWindowThreadProcessId(::GetAncestor(focus, GA_ROOT), &pid);
  return pid == ::GetCurrentProcessId() ? focus : ::GetFocus();
}

// Puts the focus back, into another program's thread too; a program that
// does not answer keeps its focus as it is rather than hold us up.
void GiveFocusBack(HWND focus) {
  if (!focus || !::IsWindow(focus)) return;
  const DWORD theirs = ::GetWindowThreadProcessId(focus, nullptr), ours = ::GetCurrentThreadId();
  if (theirs == ours) {
    ::SetFocus(focus);
    return;
  }
  // Setting the focus waits on the other thread: ask first, briefly.
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutW(focus, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 50, &answer)) return;
  if (!::AttachThreadInput(ours, theirs, TRUE)) return;
  ::SetFocus(focus);
  ::AttachThreadInput(ours, theirs, FALSE);
}

// Shows a window of ours without painting it at once: painting at once
// would wait on every captured program inside it (their frames are drawn by
// their own threads), and a hung one would hold us up for good. The paint
// is queued instead, for each program to do in its own time. Each window
// shown goes on top of those shown before it.
void ShowWithoutWaiting(HWND w) {
  ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOREDRAW);
  ::RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace

void TfrmMain::HideAll() {
  // Every window of ours on screen goes: message boxes, input boxes, the
  // common dialogs and About as well as this window, which takes the
  // captured programs with it. Nothing here waits on another program.
  Application().HoldErrors();
  if (hiddenWindows_.empty()) {
    focusBeforeHide_ = KeyboardFocusInOurWindows();
    activeBeforeHide_ = ::GetActiveWindow();
  }
  hiddenWindows_ = WindowsToHide(hiddenWindows_, OwnTopLevelWindows());
  for (std::uintptr_t id : hiddenWindows_) ::ShowWindow(reinterpret_cast<HWND>(id), SW_HIDE);
  ::ShowWindow(Handle(), SW_HIDE);
  ::ShowWindowAsync(Handle(), SW_HIDE);
}

void TfrmMain::ShowAll() {
  // Exactly what was hidden comes back, bottom first, so the stacking is
  // as it was; windows closed meanwhile are skipped.
  for (std::uintptr_t id : ShowOrder(hiddenWindows_)) {
    HWND w = reinterpret_cast<HWND>(id);
    if (::IsWindow(w)) ShowWithoutWaiting(w);
  }
  hiddenWindows_.clear();
  if (!::IsWindowVisible(Handle())) ShowWithoutWaiting(Handle());
  if (activeBeforeHide_ && ::IsWindow(activeBeforeHide_)) ::SetForegroundWindow(activeBeforeHide_);
  GiveFocusBack(focusBeforeHide_);
  focusBeforeHide_ = activeBeforeHide_ = nullptr;
  // What failed while hidden (a mute, say) is told now that we are back.
  Application().ShowHeldErrors();
}

void TfrmMain::ExitBtnClick() { Close(); }

void TfrmMain::Close() {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (!canClose) return;
  // Captured programs go back to the desktop before anything closes.
  Capture.Captures().ReleaseAll();
  // The notebook was saved or knowingly given up: nothing to recover, and
  // no password of an encrypted one stays in memory.
  Notebook.DiscardRecovery();
  Notebook.ForgetDocumentSecret();
  FormClose();
  closed_ = true;
  ::ShowWindow(Handle(), SW_HIDE);
  Application().Terminate();
}

void TfrmMain::DateTimePicker1DropDown() {
  HWND cal = DateTimePicker1.MonthCalendar();
  if (!cal) return;
  ::SetWindowLongPtrW(cal, GWL_STYLE, ::GetWindowLongPtrW(cal, GWL_STYLE) | MCS_WEEKNUMBERS);
  RECT r{};
  ::SendMessageW(cal, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&r));
  const LONG todayWidth = static_cast<LONG>(::SendMessageW(cal, MCM_GETMAXTODAYWIDTH, 0, 0));
  if (todayWidth > r.right) r.right = todayWidth;
  ::SetWindowPos(cal, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

std::optional<LRESULT> TfrmMain::WMSysCommand(WPARAM wp) {
  // The system's commands carry state in their low four bits (a double
  // click on the caption sends SC_MAXIMIZE | 2).
  switch (wp & 0xFFF0) {
    case SC_MINIMIZE:
      // Minimising hides the window completely; only hotkey 2 brings it back.
      ::ShowWindow(Handle(), SW_HIDE);
      ::ShowWindowAsync(Handle(), SW_HIDE);
      return 0;
    case SC_MAXIMIZE:
      ::ShowWindow(Handle(), SW_SHOWMAXIMIZED);
      ::ShowWindowAsync(Handle(), SW_SHOWMAXIMIZED);
      return 0;
    case SC_RESTORE:
      ::ShowWindow(Handle(), SW_RESTORE);
      ::ShowWindowAsync(Handle(), SW_RESTORE);
      return 0;
    default:
      return std::nullopt;
  }
}

UINT TfrmMain::BringBackMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"Nookvale.BringBack");
  return message;
}

LRESULT TfrmMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  // Only the instance that holds the semaphore answers: the second start's
  // own window gets the broadcast too.
  if (msg != 0 && msg == BringBackMessage()) {
    if (semaphore_ && !closed_) {
      ShowAll();
      ::SetForegroundWindow(Handle());
    }
    return 0;
  }
  switch (msg) {
    case WM_SYSCOMMAND:
      // Our own entries' ids are compared as they come; the system's
      // commands after masking (WMSysCommand).
      if (SystemMenu && SystemMenu->Handle(wp)) return 0;
      if (auto r = WMSysCommand(wp)) return *r;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_HOTKEY:
      Privacy.FormHotKey(wp);
      return 0;
    case WM_QUERYENDSESSION:
      // Windows may end the session without asking again: unsaved notes go
      // to the recovery file now, and the captured programs go back to the
      // desktop now, so each still gets its own chance to ask about saving.
      // The session is never held up.
      Notebook.WriteRecoveryNow();
      Capture.ReleaseCaptures();
      return TRUE;
    case WM_ENDSESSION:
      if (wp) {
        Notebook.WriteRecoveryNow();
        EndSession();
      }
      break;
    case WM_DISPLAYCHANGE:
      FitToWorkArea();
      break;
    case WM_SETTINGCHANGE:
      if (wp == SPI_SETWORKAREA) FitToWorkArea();
      break;
    default:
      break;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

}  // namespace nv
