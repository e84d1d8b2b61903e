// Capturing other programs' windows into host tabs: launch by path, the
// running applications list, the process list, and the once-a-second scan
// that drops the tabs of windows that have gone.
#include "capture/win32/capture_frame.h"

#include <shellapi.h>

#include <algorithm>

#include "capture/capture_rules.h"
#include "capture/win32/process_icon.h"
#include "capture/win32/processes.h"
#include "capture/win32/window_search.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/application.h"
#include "ui/win32/icons.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

constexpr const char* kMethodOneText =
    "Enter program path - Use the bottom two boxes on the right to locate your program.<BR>"
    "<U>Example:</U> <FONT color=\"#8000FF\"><B>C:\\Program Files\\Mozilla Firefox\\firefox.exe</B></FONT>";

// Sizes at 96 DPI, scaled to the display where they are used.
int ButtonHeight() { return ui::Scaled(28); }
int Gap() { return ui::Scaled(8); }

// How long a window may take to answer before we treat its program as hung.
constexpr UINT kRespondTimeoutMs = 1000;

class WaitCursor {
 public:
  WaitCursor() : old_(::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)))) {}  // IDC_WAIT
  ~WaitCursor() { ::SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

// A captured window keeps its own styles, so it is no child window, and the
// system maximises such a window to the screen, not to its parent. A
// maximised one is sized to its tab's client area instead, without waiting
// for its program: a hung one must not stall us.
void FitToTab(HWND window, HWND tab) {
  if (!window || !::IsZoomed(window)) return;
  RECT c{};
  ::GetClientRect(tab, &c);
  ::SetWindowPos(window, nullptr, 0, 0, c.right - c.left, c.bottom - c.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

DWORD WindowProcessId(HWND w) {
  DWORD pid = 0;
  if (w) ::GetWindowThreadProcessId(w, &pid);
  return pid;
}

}  // namespace

// Both terminate commands ask the same question about what they will end.
bool TCaptureFrame::ConfirmTerminate(const std::string& what) {
  return Host().FramePrompter().ShowBox(BoxOwner::MainWindow, "Are you sure to terminate:  " + AsciiUpper(what),
                                        "Confirm", mb::kYesNo | mb::kIconQuestion) == mb::kIdYes;
}

void TCaptureFrame::CreateComponents() {
  ImageList1.Create(ui::Scaled(16), ui::Scaled(16));
  // Image 0 is shown by the Main Page tab, image 1 by the RSS reader tab.
  const HINSTANCE inst = ::GetModuleHandleW(nullptr);
  for (const wchar_t* name : {L"MAINICON", L"RSSICON"}) {
    UniqueHIcon icon(static_cast<HICON>(::LoadImageW(inst, name, IMAGE_ICON, 16, 16, 0)));
    ImageList1.AddIcon(icon.get());
  }
  Host().OuterPages().Images = ImageList1.Handle();

  AdvPanel7.Create(this, "AdvPanel7", "METHOD ONE - Find your application...", kMethodOneText);
  AdvPanel8.Create(this, "AdvPanel8", "METHOD TWO - Applications Running...");
  AdvPanel10.Create(this, "AdvPanel10", "METHOD THREE - Processes Running...");

  ProgramPath.Create(&AdvPanel7, "ProgramPath");
  GoGetBtn.Create(&AdvPanel7, "GoGetBtn", "Go Get It");
  ExitBtn.Create(&AdvPanel7, "ExitBtn", "Exit Program");

  ListBox2.Create(&AdvPanel8, "ListBox2");
  AppNameBtn.Create(&AdvPanel8, "AppNameBtn", "Go Get It");
  AppRefreshBtn.Create(&AdvPanel8, "AppRefreshBtn", "Refresh");
  AppTerminateBtn.Create(&AdvPanel8, "AppTerminateBtn", "Terminate");

  ListBox1.Create(&AdvPanel10, "ListBox1");
  ProcessBtn.Create(&AdvPanel10, "ProcessBtn", "Go Get It");
  RefreshBtn.Create(&AdvPanel10, "RefreshBtn", "Refresh");
  TerminateBtn.Create(&AdvPanel10, "TerminateBtn", "Terminate Process");

  // Hidden: the handles of the captured windows, one line each.
  winListBox.SetVisible(false);
  winListBox.Create(this, "winListBox");
  Timer1.Create(1000);
  Timer1.SetEnabled(true);

  ProgramPath.OnKeyPress = [this](char& key) { ProgramPathKeyPress(key); };
  GoGetBtn.OnClick = [this] { GoGetBtnClick(); };
  AppRefreshBtn.OnClick = [this] { AppRefreshBtnClick(); };
  AppNameBtn.OnClick = [this] { AppNameBtnClick(); };
  AppTerminateBtn.OnClick = [this] { AppTerminateBtnClick(); };
  ListBox2.OnDblClick = [this] { ListBox2DblClick(); };
  RefreshBtn.OnClick = [this] { RefreshBtnClick(); };
  ProcessBtn.OnClick = [this] { ProcessBtnClick(); };
  ListBox1.OnDblClick = [this] { ListBox1DblClick(); };
  TerminateBtn.OnClick = [this] { TerminateBtnClick(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  captures_.InstallCrashHandler();
}

void TCaptureFrame::LayoutComponents() {
  RECT r;
  ::GetClientRect(Handle(), &r);
  const int w = (r.right - r.left) / 3;
  AdvPanel7.SetBounds(0, 0, w, r.bottom);
  AdvPanel8.SetBounds(w, 0, w, r.bottom);
  AdvPanel10.SetBounds(2 * w, 0, r.right - 2 * w, r.bottom);

  auto buttonRow = [](TCaptionPanel& panel, std::initializer_list<TGlowButton*> buttons) {
    RECT a;
    ::GetClientRect(panel.Handle(), &a);
    const int n = static_cast<int>(buttons.size());
    const int bw = std::max<int>(ui::Scaled(60), (a.right - 2 * Gap() - (n - 1) * 6) / n);
    int x = Gap();
    for (TGlowButton* b : buttons) {
      b->SetBounds(x, a.bottom - Gap() - ButtonHeight(), bw, ButtonHeight());
      x += bw + 6;
    }
    return static_cast<int>(a.bottom) - 2 * Gap() - ButtonHeight();  // bottom of the area above the buttons
  };

  // Method one: the text, the path box, then its two buttons under it.
  RECT a;
  ::GetClientRect(AdvPanel7.Handle(), &a);
  const int textBottom = TCaptionPanel::CaptionHeight() + AdvPanel7.BodyTextHeight();
  ProgramPath.SetBounds(Gap(), textBottom + Gap(), a.right - 2 * Gap(), ui::Scaled(24));
  const int bw = (a.right - 2 * Gap() - 6) / 2;
  GoGetBtn.SetBounds(Gap(), textBottom + 2 * Gap() + ui::Scaled(24), bw, ButtonHeight());
  ExitBtn.SetBounds(Gap() + bw + 6, textBottom + 2 * Gap() + ui::Scaled(24), bw, ButtonHeight());

  struct MethodPanel {
    TCaptionPanel* panel;
    TListBox* list;
    TGlowButton* buttons[3];
  };
  const MethodPanel lists[] = {{&AdvPanel8, &ListBox2, {&AppNameBtn, &AppRefreshBtn, &AppTerminateBtn}},
                               {&AdvPanel10, &ListBox1, {&ProcessBtn, &RefreshBtn, &TerminateBtn}}};
  for (const MethodPanel& m : lists) {
    RECT pa;
    ::GetClientRect(m.panel->Handle(), &pa);
    const int listBottom = buttonRow(*m.panel, {m.buttons[0], m.buttons[1], m.buttons[2]});
    m.list->SetBounds(Gap(), TCaptionPanel::CaptionHeight() + Gap(), pa.right - 2 * Gap(),
                      listBottom - TCaptionPanel::CaptionHeight() - Gap());
  }
}

// --- the capture sequence's shared steps ------------------------------------------

TTabSheet& TCaptureFrame::NewHostTab() {
  TTabSheet& tab = Host().OuterPages().NewSheet("HostTab" + std::to_string(++hostTabCount_), "");
  tab.SetPageIndex(Host().OuterPages().ActivePageIndex() + 1);
  tab.OnExit = [this](TTabSheet& sender) { tsClose(sender); };
  // The tab is sized with the main window, and when it comes on screen.
  tab.OnResize = [this, &tab] { FitCapturedWindows(tab); };
  newTab_ = &tab;
  Host().OuterPages().SetActivePageIndex(tab.PageIndex());
  return tab;
}

bool TCaptureFrame::CaptureInto(TTabSheet& tab, HWND window, const std::string& title) {
  auto refuse = [&](const std::string& why) {
    Host().OuterPages().FreeSheet(tab);
    if (newTab_ == &tab) newTab_ = nullptr;
    Application().ShowException("Nookvale cannot capture " + title + ": " + why);
    return false;
  };
  // Re-parenting waits for the window's own thread; a program that does not
  // answer would take Nookvale down with it.
  if (!WindowResponds(window, kRespondTimeoutMs)) return refuse("the program is not responding.");
  ::SetLastError(0);
  if (!::SetParent(window, tab.Handle())) {
    const DWORD err = ::GetLastError();
    if (err != 0) return refuse(err == ERROR_ACCESS_DENIED ? "access denied." : SystemErrorText(err));
  }
  if (WindowResponds(window, 200)) ::ShowWindow(window, SW_SHOWMAXIMIZED);
  else ::ShowWindowAsync(window, SW_SHOWMAXIMIZED);
  FitToTab(window, tab.Handle());
  return true;
}

void TCaptureFrame::FitCapturedWindows(TTabSheet& tab) {
  for (const CaptureRecord& r : captures_.Records())
    if (r.tab == &tab && r.window && ::IsWindow(r.window)) FitToTab(r.window, tab.Handle());
}

void TCaptureFrame::SetHostTabImage(TTabSheet& tab, DWORD processId) {
  // A program without an icon shows the Main Page's picture, never the
  // reader's.
  const int image = AddProcessIcon(processId, ImageList1);
  tab.ImageIndex = image >= 0 ? image : 0;
  Host().OuterPages().Changed();
}

void TCaptureFrame::RecordCapture(TTabSheet& tab, HWND window, const CaptureRecord& before) {
  CaptureRecord r = before;
  r.window = window;
  r.tab = &tab;
  captures_.Add(r);
  winListBox.Add(CapturedWindowLine(reinterpret_cast<std::uintptr_t>(window)));
}

// --- method one: launch by path ---------------------------------------------------

void TCaptureFrame::ProgramPathKeyPress(char& key) {
  if (key == 13) {
    key = 0;
    GoGetBtn.Click();
  }
}

bool TCaptureFrame::WaitForNewWindow(int linesBefore) {
  WaitCursor wait;
  const DWORD start = ::GetTickCount();
  for (;;) {
    AppRefreshBtn.Click();
    if (ListBox2.Count() > linesBefore) return true;
    if (::GetTickCount() - start >= LaunchWaitMs) return false;
    // Keep the window alive while the program starts.
    Application().ProcessMessages();
    if (Application().Terminated()) return false;
    ::Sleep(50);
  }
}

void TCaptureFrame::GoGetBtnClick() {
  if (launching_) return;  // a launch is already waiting for its window
  launching_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{launching_};

  AppRefreshBtn.Click();
  TTabSheet& tab = NewHostTab();
  const int before = ListBox2.Count();
  const std::string path = ProgramPath.Text();
  const std::string ansi = Utf8ToAnsi(path);
  if (LaunchWithWinExec(path)) ::WinExec(ansi.c_str(), SW_SHOWNORMAL);
  else ::ShellExecuteA(Host().HostHandle(), "open", ansi.c_str(), nullptr, nullptr, SW_SHOWNORMAL);

  if (!WaitForNewWindow(before)) {
    if (Application().Terminated()) return;
    // The empty tab is dropped by the next scan.
    RecordCapture(tab, nullptr, CaptureRecord{});
    Host().FramePrompter().ShowMessage("No window appeared for " + path + ".");
    return;
  }
  const std::string line = ListBox2.Item(0);
  tab.SetCaption(line + " ");
  HWND window = FindWindowByTitle(line);
  const CaptureRecord before_capture = CapturedWindows::Describe(window, &tab);
  if (window && !CaptureInto(tab, window, line)) return;
  SetHostTabImage(tab, WindowProcessId(window));
  AppRefreshBtn.Click();
  RefreshBtn.Click();
  RecordCapture(tab, window, before_capture);
}

// --- method two: running applications ------------------------------------------

void TCaptureFrame::AppRefreshBtnClick() {
  ListBox2.Clear();
  for (const std::string& title : ListApplicationWindows(IsCloaked)) ListBox2.Add(title);
}

void TCaptureFrame::AppNameBtnClick() {
  // The chosen line is read before anything changes: with none chosen the
  // command ends with the list's error and leaves no empty tab behind.
  const std::string line = ListBox2.Item(ListBox2.ItemIndex());
  TTabSheet& tab = NewHostTab();
  tab.SetCaption(line + " ");
  HWND window = FindWindowByTitle(line);
  const CaptureRecord before = CapturedWindows::Describe(window, &tab);
  if (window && !CaptureInto(tab, window, line)) return;
  SetHostTabImage(tab, WindowProcessId(window));
  AppRefreshBtn.Click();
  RecordCapture(tab, window, before);
}

void TCaptureFrame::ListBox2DblClick() { AppNameBtn.Click(); }

void TCaptureFrame::AppTerminateBtnClick() {
  const std::string line = ListBox2.Item(ListBox2.ItemIndex());
  HWND window = FindWindowByTitle(line);
  // Our own window: ending our process would take every captured program
  // with it.
  if (window && WindowProcessId(window) == ::GetCurrentProcessId()) return;
  if (!ConfirmTerminate(line)) return;
  CloseWindowProcess(window);
  AppRefreshBtn.Click();
}

// --- method three: processes -----------------------------------------------------

void TCaptureFrame::RefreshBtnClick() {
  ListBox1.Clear();
  std::vector<std::string> lines;
  ListProcesses(lines);
  for (const std::string& l : lines) ListBox1.Add(l);
}

void TCaptureFrame::ProcessBtnClick() {
  const std::string line = ListBox1.Item(ListBox1.ItemIndex());
  TTabSheet& tab = NewHostTab();
  const DWORD pid = FindProcessIdByName(line);
  tab.SetCaption(CaptionFromProgramPath(line));
  HWND window = FindProcessWindow(FindProcessIdByName(line));
  const CaptureRecord before = CapturedWindows::Describe(window, &tab);
  if (window && !CaptureInto(tab, window, FileNamePart(line))) return;
  SetHostTabImage(tab, pid);
  RecordCapture(tab, window, before);
}

void TCaptureFrame::ListBox1DblClick() { ProcessBtn.Click(); }

void TCaptureFrame::TerminateBtnClick() {
  const std::string name = FileNamePart(ListBox1.Item(ListBox1.ItemIndex()));
  if (NamesOnlyThisProcess(name)) return;
  if (!ConfirmTerminate(name)) return;
  KillProcessesByName(name);
  RefreshBtn.Click();
}

void TCaptureFrame::FillPickers() {
  RefreshBtn.Click();
  for (const std::string& title : ListApplicationWindows(IsCloaked)) ListBox2.Add(title);
}

void TCaptureFrame::ReleaseCaptures() {
  std::vector<TTabSheet*> hosts;
  for (const CaptureRecord& r : captures_.Records())
    if (r.tab) hosts.push_back(r.tab);
  captures_.ReleaseAll();
  winListBox.Clear();
  // Should the session go on after all, no empty host tab stays behind.
  const std::vector<std::uintptr_t> fixed = FixedTabs();
  bool onScreen = false;
  for (TTabSheet* tab : hosts) {
    if (std::find(fixed.begin(), fixed.end(), reinterpret_cast<std::uintptr_t>(tab)) != fixed.end()) continue;
    onScreen = FreeHostTab(*tab) || onScreen;
  }
  if (onScreen) Host().OuterPages().SetActivePageIndex(0);
}

std::vector<std::uintptr_t> TCaptureFrame::FixedTabs() const {
  std::vector<std::uintptr_t> fixed = {reinterpret_cast<std::uintptr_t>(Host().OuterPages().Pages(0))};
  for (TTabSheet* kept : KeptTabs) fixed.push_back(reinterpret_cast<std::uintptr_t>(kept));
  return fixed;
}

bool TCaptureFrame::FreeHostTab(TTabSheet& tab) {
  TPageControl& pages = Host().OuterPages();
  if (!pages.Owns(tab)) return false;
  const bool onScreen = pages.ActivePage() == &tab;
  if (newTab_ == &tab) newTab_ = nullptr;
  pages.FreeSheet(tab);
  return onScreen;
}

// --- host tab events -----------------------------------------------------------

void TCaptureFrame::tsClose(TTabSheet&) {
  AppRefreshBtn.Click();
  RefreshBtn.Click();
}

void TCaptureFrame::Timer1Timer() {
  auto& records = captures_.Records();
  std::vector<CaptureEntry> entries;
  for (const CaptureRecord& r : records)
    entries.push_back({reinterpret_cast<std::uintptr_t>(r.window), reinterpret_cast<std::uintptr_t>(r.tab)});
  const ScanResult scan = ScanCaptures(
      entries, [](std::uintptr_t h) { return ::IsWindow(reinterpret_cast<HWND>(h)) != FALSE; },
      reinterpret_cast<std::uintptr_t>(Host().OuterPages().ActivePage()), FixedTabs());
  if (scan.deadEntries.empty()) return;
  for (auto it = scan.deadEntries.rbegin(); it != scan.deadEntries.rend(); ++it) {
    if (*it < static_cast<size_t>(winListBox.Count())) winListBox.Delete(static_cast<int>(*it));
    captures_.Erase(*it);
  }
  for (std::uintptr_t id : scan.tabsToFree) FreeHostTab(*reinterpret_cast<TTabSheet*>(id));
  if (scan.showMainPage) Host().OuterPages().SetActivePageIndex(0);
}

}  // namespace nv
