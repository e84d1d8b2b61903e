// Capturing other programs' windows into host tabs: launch by path, the
// running applications list, the process list, and the once-a-second scan
// that drops the tabs of windows that have gone.
#include <windows.h>
#include <shellapi.h>

#include "app/win32/main_form.h"
#include "capture/capture_rules.h"
#include "capture/win32/process_icon.h"
#include "capture/win32/processes.h"
#include "capture/win32/window_search.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/application.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

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

// Both terminate commands ask the same question about what they will end.
bool ConfirmTerminate(const std::string& what) {
  return Application().prompter().ShowBox(BoxOwner::MainWindow, "Are you sure to terminate:  " + AsciiUpper(what),
                                          "Confirm", mb::kYesNo | mb::kIconQuestion) == mb::kIdYes;
}

DWORD WindowProcessId(HWND w) {
  DWORD pid = 0;
  if (w) ::GetWindowThreadProcessId(w, &pid);
  return pid;
}

}  // namespace

void TfrmMain::WireCapture() {
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

// --- the capture sequence's shared steps ------------------------------------------

TTabSheet& TfrmMain::NewHostTab() {
  TTabSheet& tab = PageControl.NewSheet("HostTab" + std::to_string(++hostTabCount_), "");
  tab.SetPageIndex(PageControl.ActivePageIndex() + 1);
  tab.OnExit = [this](TTabSheet& sender) { tsClose(sender); };
  newTab_ = &tab;
  PageControl.SetActivePageIndex(tab.PageIndex());
  return tab;
}

bool TfrmMain::CaptureInto(TTabSheet& tab, HWND window, const std::string& title) {
  auto refuse = [&](const std::string& why) {
    PageControl.FreeSheet(tab);
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
  return true;
}

void TfrmMain::SetHostTabImage(TTabSheet& tab, DWORD processId) {
  AddProcessIcon(processId, ImageList1);
  tab.ImageIndex = ImageList1.Count() - 1;
  PageControl.Changed();
}

void TfrmMain::RecordCapture(TTabSheet& tab, HWND window, const CaptureRecord& before) {
  CaptureRecord r = before;
  r.window = window;
  r.tab = &tab;
  captures_.Add(r);
  winListBox.Add(CapturedWindowLine(reinterpret_cast<std::uintptr_t>(window)));
}

// --- method one: launch by path ---------------------------------------------------

void TfrmMain::ProgramPathKeyPress(char& key) {
  if (key == 13) {
    key = 0;
    GoGetBtn.Click();
  }
}

bool TfrmMain::WaitForNewWindow(int linesBefore) {
  WaitCursor wait;
  const DWORD start = ::GetTickCount();
  for (;;) {
    AppRefreshBtn.Click();
    if (ListBox2.Count() > linesBefore) return true;
    if (::GetTickCount() - start >= LaunchWaitMs) return false;
    // Keep the window alive while the program starts.
    Application().ProcessMessages();
    if (Application().Terminated() || closed_) return false;
    ::Sleep(50);
  }
}

void TfrmMain::GoGetBtnClick() {
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
  else ::ShellExecuteA(Handle(), "open", ansi.c_str(), nullptr, nullptr, SW_SHOWNORMAL);

  if (!WaitForNewWindow(before)) {
    if (Application().Terminated() || closed_) return;
    // The empty tab is dropped by the next scan.
    RecordCapture(tab, nullptr, CaptureRecord{});
    Application().prompter().ShowMessage("No window appeared for " + path + ".");
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

void TfrmMain::AppRefreshBtnClick() {
  ListBox2.Clear();
  for (const std::string& title : ListApplicationWindows()) ListBox2.Add(title);
}

void TfrmMain::AppNameBtnClick() {
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

void TfrmMain::ListBox2DblClick() { AppNameBtn.Click(); }

void TfrmMain::AppTerminateBtnClick() {
  const std::string line = ListBox2.Item(ListBox2.ItemIndex());
  HWND window = FindWindowByTitle(line);
  if (!ConfirmTerminate(line)) return;
  CloseWindowProcess(window);
  AppRefreshBtn.Click();
}

// --- method three: processes -----------------------------------------------------

void TfrmMain::RefreshBtnClick() {
  ListBox1.Clear();
  std::vector<std::string> lines;
  ListProcesses(lines);
  for (const std::string& l : lines) ListBox1.Add(l);
}

void TfrmMain::ProcessBtnClick() {
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

void TfrmMain::ListBox1DblClick() { ProcessBtn.Click(); }

void TfrmMain::TerminateBtnClick() {
  const std::string name = FileNamePart(ListBox1.Item(ListBox1.ItemIndex()));
  if (!ConfirmTerminate(name)) return;
  KillProcessesByName(name);
  RefreshBtn.Click();
}

// --- host tab events -----------------------------------------------------------

void TfrmMain::tsClose(TTabSheet&) {
  AppRefreshBtn.Click();
  RefreshBtn.Click();
}

void TfrmMain::Timer1Timer() {
  auto& records = captures_.Records();
  std::vector<CaptureEntry> entries;
  for (const CaptureRecord& r : records)
    entries.push_back({reinterpret_cast<std::uintptr_t>(r.window), reinterpret_cast<std::uintptr_t>(r.tab)});
  std::vector<std::uintptr_t> fixed = {reinterpret_cast<std::uintptr_t>(&MainPage)};
  if (RssTab) fixed.push_back(reinterpret_cast<std::uintptr_t>(RssTab));
  const ScanResult scan = ScanCaptures(
      entries, [](std::uintptr_t h) { return ::IsWindow(reinterpret_cast<HWND>(h)) != FALSE; },
      reinterpret_cast<std::uintptr_t>(PageControl.ActivePage()), fixed);
  if (scan.deadEntries.empty()) return;
  for (auto it = scan.deadEntries.rbegin(); it != scan.deadEntries.rend(); ++it) {
    if (*it < static_cast<size_t>(winListBox.Count())) winListBox.Delete(static_cast<int>(*it));
    captures_.Erase(*it);
  }
  for (std::uintptr_t id : scan.tabsToFree) {
    auto* tab = reinterpret_cast<TTabSheet*>(id);
    if (PageControl.Owns(*tab)) {
      if (newTab_ == tab) newTab_ = nullptr;
      PageControl.FreeSheet(*tab);
    }
  }
  if (scan.showMainPage) PageControl.SetActivePageIndex(0);
}

}  // namespace nv
