// Capturing real windows of our stand-in program: the three methods, the
// scan that drops dead captures, terminating, and giving windows back.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "capture/win32/process_icon.h"
#include "capture/win32/processes.h"
#include "capture/win32/window_search.h"
#include "helper_process.h"
#include "main_form_fixture.h"
#include "ui/paths.h"
#include "ui/text.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

std::string Line(HWND w) { return std::to_string(reinterpret_cast<std::uintptr_t>(w)); }
HWND ParentOf(HWND w) { return ::GetAncestor(w, GA_PARENT); }

void ExpectOnDesktop(HWND w) {
  ASSERT_TRUE(::IsWindow(w));
  EXPECT_EQ(ParentOf(w), ::GetDesktopWindow());
  EXPECT_TRUE(::IsWindowVisible(w));
  RECT r, work, inter;
  ::GetWindowRect(w, &r);
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(::IntersectRect(&inter, &r, &work)) << "the window is on screen";
}

class CaptureTest : public MainFormTest {
 protected:
  TfrmMain& StartMain() {
    TfrmMain& f = Start();
    f.Capture.Timer1.SetEnabled(false);  // the tests run the scan themselves
    f.Capture.LaunchWaitMs = 3000;
    return f;
  }
  // Waits for the stand-in's window with the title and captures it; null
  // when the window never showed.
  HWND CaptureHelper(TfrmMain& f, const HelperProcess& h, const std::string& title) {
    HWND w = h.WaitForWindow(title);
    if (w) CaptureApp(f, title);
    return w;
  }
  void ChooseProcess(TfrmMain& f, const std::string& path) {
    f.Capture.RefreshBtn.Click();
    int found = -1;
    for (int i = 0; i < f.Capture.ListBox1.Count(); ++i)
      if (AsciiEqualNoCase(f.Capture.ListBox1.Item(i), path)) found = i;
    ASSERT_GE(found, 0) << path << " is not listed";
    f.Capture.ListBox1.SetItemIndex(found);
  }
};

TEST_F(CaptureTest, ApplicationListShowsOnlyQualifyingWindows) {
  TfrmMain& f = StartMain();
  const std::string normal = UniqueTitle("normal"), minimized = UniqueTitle("minimized"), hidden = UniqueTitle("hidden"),
                    owned = UniqueTitle("owned"), dialog = UniqueTitle("dialog"), tool = UniqueTitle("tool");
  HelperProcess a("--title \"" + normal + "\""), b("--minimized --title \"" + minimized + "\""),
      c("--hidden --title \"" + hidden + "\""), d("--owned --title \"" + owned + "\""),
      e("--dialog --title \"" + dialog + "\""), g("--tool --title \"" + tool + "\"");
  ASSERT_TRUE(a.WaitForWindow(normal) && b.WaitForWindow(minimized) && c.WaitForWindow(hidden) &&
              d.WaitForWindow(owned) && e.WaitForWindow(dialog) && g.WaitForWindow(tool));
  f.Capture.AppRefreshBtn.Click();
  EXPECT_GE(IndexOfLine(f.Capture.ListBox2, normal), 0);
  EXPECT_GE(IndexOfLine(f.Capture.ListBox2, minimized), 0) << "a minimised window is listed";
  EXPECT_GE(IndexOfLine(f.Capture.ListBox2, dialog), 0) << "an unowned dialog is listed";
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, hidden), 0);
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, owned), 0) << "an owned window is not";
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, tool), 0) << "a tool window is not, even visible and unowned";
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, TfrmMain::kCaption), 0) << "the program's own window is never listed";
  // A line's text finds the window again; an empty text finds nothing.
  EXPECT_EQ(FindWindowByTitle(AsciiUpper(normal)), a.WaitForWindow(normal));
  EXPECT_EQ(FindWindowByTitle(""), nullptr);
}

TEST_F(CaptureTest, ApplicationListLeavesOutWhatTheUserCannotSee) {
  TfrmMain& f = StartMain();
  const std::string plain = UniqueTitle("plain"), cloaked = UniqueTitle("cloaked"), shell = UniqueTitle("shell"),
                    ours = UniqueTitle("ours");
  HelperProcess a("--title \"" + plain + "\""), b("--title \"" + cloaked + "\""),
      c("--class Progman --title \"" + shell + "\"");
  HWND plainWindow = a.WaitForWindow(plain), cloakedWindow = b.WaitForWindow(cloaked);
  ASSERT_TRUE(plainWindow && cloakedWindow && c.WaitForWindow(shell));
  UniqueHWnd own(::CreateWindowExW(0, L"STATIC", Widen(ours).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200,
                                   120, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(own);
  // Wine cloaks nothing: the system's answer for a plain window, then a
  // stand-in window manager that cloaks one helper.
  EXPECT_FALSE(WindowIsCloaked(plainWindow));
  f.Capture.IsCloaked = [cloakedWindow](HWND w) { return w == cloakedWindow; };
  f.Capture.AppRefreshBtn.Click();
  EXPECT_GE(IndexOfLine(f.Capture.ListBox2, plain), 0);
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, cloaked), 0) << "a cloaked window is not listed";
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, shell), 0) << "nor the shell's desktop window";
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, ours), 0) << "nor any window of our own process";
}

TEST_F(CaptureTest, RunningApplicationCapturedIntoANewTab) {
  TfrmMain& f = StartMain();
  const std::string title = UniqueTitle("capture me");
  HelperProcess h("--title \"" + title + "\"");
  HWND w = CaptureHelper(f, h, title);
  ASSERT_TRUE(w);
  ASSERT_EQ(f.PageControl.PageCount(), 2);
  TTabSheet* tab = f.PageControl.Pages(1);
  EXPECT_EQ(f.PageControl.ActivePage(), tab);
  EXPECT_EQ(tab->Caption(), title + " ");
  EXPECT_EQ(ParentOf(w), tab->Handle());
  EXPECT_TRUE(::IsZoomed(w));
  EXPECT_TRUE(::IsWindowVisible(w));
  // Our stand-in has no icon of its own: the tab shows the Main Page's
  // image 0, never the reader's image 1.
  EXPECT_EQ(f.Capture.ImageList1.Count(), 2);
  EXPECT_EQ(tab->ImageIndex, 0);
  ASSERT_EQ(f.Capture.winListBox.Count(), 1);
  EXPECT_EQ(f.Capture.winListBox.Item(0), Line(w));
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, title), 0) << "a captured window leaves the list";
  EXPECT_EQ(FindWindowByTitle(title), nullptr) << "and is never found again by its title";
}

TEST_F(CaptureTest, CapturedWindowFollowsItsTabsSize) {
  TfrmMain& f = StartMain();
  const std::string title = UniqueTitle("follow");
  HelperProcess h("--title \"" + title + "\"");
  ::ShowWindow(f.Handle(), SW_RESTORE);
  HWND w = CaptureHelper(f, h, title);
  ASSERT_TRUE(w);
  TTabSheet* tab = f.PageControl.ActivePage();
  ASSERT_EQ(ParentOf(w), tab->Handle());
  auto tabSize = [&] {
    RECT c{};
    ::GetClientRect(tab->Handle(), &c);
    return SIZE{c.right - c.left, c.bottom - c.top};
  };
  auto fillsTab = [&] {
    RECT r{};
    ::GetWindowRect(w, &r);
    const SIZE t = tabSize();
    return r.right - r.left == t.cx && r.bottom - r.top == t.cy;
  };
  EXPECT_TRUE(PumpUntil(fillsTab)) << "filled on capture";
  RECT main{};
  ::GetWindowRect(f.Handle(), &main);
  const int width = main.right - main.left, height = main.bottom - main.top;
  for (const SIZE size : {SIZE{width - 150, height - 100}, SIZE{width, height}}) {
    const SIZE before = tabSize();
    ::SetWindowPos(f.Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_NE(tabSize().cx, before.cx) << "the tab follows the main window";
    EXPECT_TRUE(PumpUntil(fillsTab)) << "the captured window follows its tab to " << size.cx << "x" << size.cy;
    EXPECT_TRUE(::IsZoomed(w)) << "and stays maximised";
  }
}

TEST_F(CaptureTest, IconOfAProgramWhoseModulesCannotBeRead) {
  // A process whose modules cannot be read by us (on Windows, a 64-bit
  // program seen from the 32-bit Nookvale; here, one not started yet) is
  // still named by the system, and its program file gives the icon.
  std::wstring notepad(MAX_PATH, L'\0');
  notepad.resize(::GetSystemDirectoryW(notepad.data(), MAX_PATH));
  notepad += L"\\notepad.exe";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(::CreateProcessW(notepad.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &si, &pi));
  UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  TImageList images;
  images.Create(16, 16);
  EXPECT_EQ(AddProcessIcon(pi.dwProcessId, images), 0);
  EXPECT_EQ(images.Count(), 1);
  ::TerminateProcess(process.get(), 0);
}

TEST_F(CaptureTest, QueryEndSessionGivesWindowsBackAtOnce) {
  TfrmMain& f = StartMain();
  const std::string title = UniqueTitle("logoff");
  HelperProcess h("--title \"" + title + "\"");
  HWND w = CaptureHelper(f, h, title);
  ASSERT_TRUE(w);
  ASSERT_EQ(ParentOf(w), f.PageControl.ActivePage()->Handle());
  // The session may end without another word to us: each program has to be
  // on the desktop now to ask its own questions about saving.
  EXPECT_EQ(::SendMessageW(f.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE) << "the session is never held up";
  ExpectOnDesktop(w);
  EXPECT_TRUE(h.Running());
  // Should the session go on after all, no empty host tab stays behind.
  EXPECT_EQ(f.PageControl.PageCount(), 1);
  EXPECT_EQ(f.PageControl.ActivePage(), &f.MainPage);
  EXPECT_EQ(f.Capture.winListBox.Count(), 0);
}

TEST_F(CaptureTest, SecondCaptureStandsRightAfterTheMainPage) {
  TfrmMain& f = StartMain();
  const std::string t1 = UniqueTitle("first"), t2 = UniqueTitle("second");
  HelperProcess h1("--title \"" + t1 + "\""), h2("--title \"" + t2 + "\"");
  ASSERT_TRUE(h1.WaitForWindow(t1) && h2.WaitForWindow(t2));
  CaptureApp(f, t1);
  f.PageControl.SetActivePageIndex(0);
  CaptureApp(f, t2);
  ASSERT_EQ(f.PageControl.PageCount(), 3);
  EXPECT_EQ(f.PageControl.Pages(1)->Caption(), t2 + " ");
  EXPECT_EQ(f.PageControl.Pages(2)->Caption(), t1 + " ");
  EXPECT_EQ(f.Capture.winListBox.Count(), 2);
}

TEST_F(CaptureTest, GoGetItWithNoLineChosenMakesNoTab) {
  TfrmMain& f = StartMain();
  f.Capture.AppRefreshBtn.Click();
  f.Capture.ListBox2.SetItemIndex(-1);
  // Clicked as the user does, the error reaches the standard error box.
  f.Capture.AppNameBtn.Perform(BM_CLICK);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "List index out of bounds (-1)");
  EXPECT_EQ(prompter.Calls()[0].caption, "Nookvale");
  EXPECT_EQ(f.PageControl.PageCount(), 1);
  EXPECT_EQ(f.Capture.winListBox.Count(), 0);
  f.Capture.ListBox1.SetItemIndex(-1);
  EXPECT_THROW(f.Capture.ProcessBtnClick(), EListError);
  EXPECT_EQ(f.PageControl.PageCount(), 1);
}

TEST_F(CaptureTest, EmptyTitleNeverCapturesAndTheNextTickCleansUp) {
  TfrmMain& f = StartMain();
  HelperProcess h("--title \"\"");
  ASSERT_TRUE(h.WaitForWindow(""));
  CaptureApp(f, "");
  ASSERT_EQ(f.PageControl.PageCount(), 2);
  EXPECT_EQ(f.PageControl.Pages(1)->Caption(), " ");
  ASSERT_EQ(f.Capture.winListBox.Count(), 1);
  EXPECT_EQ(f.Capture.winListBox.Item(0), "0");
  f.Capture.Timer1Timer();
  EXPECT_EQ(f.Capture.winListBox.Count(), 0);
  EXPECT_EQ(f.PageControl.PageCount(), 1);
  EXPECT_EQ(f.PageControl.ActivePage(), &f.MainPage);
}

TEST_F(CaptureTest, ProgramExitingBehindAnotherTabFreesOnlyItsOwnTab) {
  TfrmMain& f = StartMain();
  const std::string t1 = UniqueTitle("leaves"), t2 = UniqueTitle("stays");
  HelperProcess h1("--title \"" + t1 + "\""), h2("--title \"" + t2 + "\"");
  ASSERT_TRUE(h1.WaitForWindow(t1) && h2.WaitForWindow(t2));
  CaptureApp(f, t1);
  TTabSheet* leaving = f.PageControl.ActivePage();
  f.PageControl.SetActivePageIndex(0);
  CaptureApp(f, t2);
  TTabSheet* staying = f.PageControl.ActivePage();
  ASSERT_NE(leaving, staying);
  h1.Kill();
  f.Capture.Timer1Timer();
  ASSERT_EQ(f.PageControl.PageCount(), 2);
  EXPECT_EQ(f.PageControl.Pages(1), staying);
  EXPECT_EQ(f.PageControl.ActivePage(), staying) << "the tab on screen stays on screen";
  ASSERT_EQ(f.Capture.winListBox.Count(), 1);
  // Two that die together go in the same tick.
  HelperProcess h3("--title \"" + t1 + "\"");
  ASSERT_TRUE(h3.WaitForWindow(t1));
  CaptureApp(f, t1);
  h2.Kill();
  h3.Kill();
  f.Capture.Timer1Timer();
  EXPECT_EQ(f.PageControl.PageCount(), 1);
  EXPECT_EQ(f.Capture.winListBox.Count(), 0);
  EXPECT_EQ(f.PageControl.ActivePage(), &f.MainPage);
}

TEST_F(CaptureTest, TimerTicksByThemselves) {
  TfrmMain& f = StartMain();
  f.Capture.Timer1.SetEnabled(true);
  HelperProcess h("--no-window");
  ChooseProcess(f, HelperPath());
  f.Capture.ProcessBtn.Click();
  EXPECT_EQ(f.PageControl.PageCount(), 2);
  EXPECT_EQ(f.PageControl.Pages(1)->Caption(), "NVHELPER ") << "the caption comes from the program's name";
  EXPECT_EQ(f.Capture.winListBox.Item(0), "0");
  EXPECT_TRUE(PumpUntil([&] { return f.PageControl.PageCount() == 1; })) << "the timer's own tick drops the tab";
  EXPECT_EQ(f.Capture.winListBox.Count(), 0);
}

TEST_F(CaptureTest, ProcessCapturedThroughItsModalDialog) {
  TfrmMain& f = StartMain();
  const std::string title = UniqueTitle("modal");
  HelperProcess h("--modal --title \"" + title + "\"");
  HWND dialog = h.WaitForWindow(title + " - Dialog");
  ASSERT_TRUE(dialog);
  ChooseProcess(f, HelperPath());
  f.Capture.ProcessBtn.Click();
  TTabSheet* tab = f.PageControl.ActivePage();
  ASSERT_NE(tab, &f.MainPage);
  EXPECT_EQ(ParentOf(dialog), tab->Handle()) << "the first visible and enabled window is the dialog";
  EXPECT_EQ(f.Capture.winListBox.Item(0), Line(dialog));
}

TEST_F(CaptureTest, TerminateAsksThenClosesPolitelyOrEndsTheProcess) {
  TfrmMain& f = StartMain();
  const std::string polite = UniqueTitle("polite"), stubborn = UniqueTitle("stubborn");
  HelperProcess p("--title \"" + polite + "\""), s("--refuse-close --title \"" + stubborn + "\"");
  ASSERT_TRUE(p.WaitForWindow(polite) && s.WaitForWindow(stubborn));

  ChooseApp(f, polite);
  prompter.AnswerBox(IDNO);
  f.Capture.AppTerminateBtn.Click();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Are you sure to terminate:  " + AsciiUpper(polite));
  EXPECT_EQ(prompter.Calls()[0].caption, "Confirm");
  EXPECT_EQ(prompter.Calls()[0].flags, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(prompter.Calls()[0].owner, BoxOwner::MainWindow);
  EXPECT_TRUE(p.Running());

  prompter.AnswerBox(IDYES);
  f.Capture.AppTerminateBtn.Click();
  EXPECT_TRUE(p.WaitExit(10000));
  EXPECT_EQ(p.ExitCode(), 3u) << "it closed its window and ended by itself";
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, polite), 0);

  ChooseApp(f, stubborn);
  prompter.AnswerBox(IDYES);
  f.Capture.AppTerminateBtn.Click();
  EXPECT_TRUE(s.WaitExit(10000)) << "a window that refuses to close has its process ended";
  EXPECT_EQ(s.ExitCode(), 0u);
}

TEST_F(CaptureTest, HungProgramIsEndedAfterFiveSeconds) {
  TfrmMain& f = StartMain();
  const std::string title = UniqueTitle("hung");
  HelperProcess h("--hang-after 100 --title \"" + title + "\"");
  HWND w = h.WaitForWindow(title);
  ASSERT_TRUE(w);
  ChooseApp(f, title);
  ASSERT_TRUE(WaitUntilHung(w));
  prompter.AnswerBox(IDYES);
  f.Capture.AppTerminateBtn.Click();
  // A hung program cannot end itself: exit code 0 is our TerminateProcess,
  // done once the polite close had timed out (a polite close ends with 3).
  EXPECT_TRUE(h.WaitExit(10000));
  EXPECT_EQ(h.ExitCode(), 0u);
}

TEST_F(CaptureTest, HungProgramDoesNotFreezeTheList) {
  TfrmMain& f = StartMain();
  const std::string title = UniqueTitle("frozen");
  HelperProcess h("--hang-after 100 --title \"" + title + "\"");
  ASSERT_TRUE(WaitUntilHung(h.WaitForWindow(title)));
  // Were the list to wait on the hung program, this would never return.
  f.Capture.AppRefreshBtn.Click();
  EXPECT_GE(IndexOfLine(f.Capture.ListBox2, title), 0) << "named by the title the system keeps";
  // Capturing it is refused rather than waiting on it.
  f.Capture.ListBox2.SetItemIndex(IndexOfLine(f.Capture.ListBox2, title));
  f.Capture.AppNameBtn.Click();
  EXPECT_EQ(f.PageControl.PageCount(), 1);
  EXPECT_EQ(f.Capture.winListBox.Count(), 0);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Nookvale cannot capture " + title + ": the program is not responding.");
}

TEST_F(CaptureTest, TerminateProcessEndsEveryCopy) {
  TfrmMain& f = StartMain();
  HelperProcess a("--title \"" + UniqueTitle("copy") + "\""), b("--title \"" + UniqueTitle("copy") + "\"");
  f.Capture.RefreshBtn.Click();
  int copies = 0;
  for (int i = 0; i < f.Capture.ListBox1.Count(); ++i) copies += AsciiEqualNoCase(f.Capture.ListBox1.Item(i), HelperPath());
  EXPECT_EQ(copies, 2) << "two running copies give two equal lines";
  ChooseProcess(f, HelperPath());
  prompter.AnswerBox(IDYES);
  f.Capture.TerminateBtn.Click();
  EXPECT_EQ(prompter.Calls()[0].text, "Are you sure to terminate:  NVHELPER.EXE");
  EXPECT_TRUE(a.WaitExit(3000));
  EXPECT_TRUE(b.WaitExit(3000));
  EXPECT_EQ(a.ExitCode(), 0u);
}

TEST_F(CaptureTest, HidingTheMainWindowHidesTheCapturedOnes) {
  TfrmMain& f = StartMain();
  const std::string title = UniqueTitle("hide with me");
  HelperProcess h("--title \"" + title + "\"");
  HWND w = h.WaitForWindow(title);
  CaptureApp(f, title);
  ASSERT_TRUE(::IsWindowVisible(w));
  ::ShowWindow(f.Handle(), SW_HIDE);
  EXPECT_FALSE(::IsWindowVisible(w));
  ::ShowWindow(f.Handle(), SW_SHOW);
  EXPECT_TRUE(::IsWindowVisible(w));
}

TEST_F(CaptureTest, ConfirmedExitGivesEveryWindowBack) {
  TfrmMain& f = StartMain();
  const std::string t1 = UniqueTitle("back1"), t2 = UniqueTitle("back2");
  HelperProcess h1("--title \"" + t1 + "\""), h2("--title \"" + t2 + "\"");
  HWND w1 = h1.WaitForWindow(t1), w2 = h2.WaitForWindow(t2);
  CaptureApp(f, t1);
  TTabSheet* tab1 = f.PageControl.ActivePage();
  CaptureApp(f, t2);
  ASSERT_EQ(ParentOf(w1), tab1->Handle());
  prompter.AnswerBox(IDNO);
  f.Close();
  EXPECT_NE(ParentOf(w1), ::GetDesktopWindow()) << "No keeps the captures";
  prompter.AnswerBox(IDYES);
  f.Close();
  ExpectOnDesktop(w1);
  ExpectOnDesktop(w2);
  frm.reset();
  EXPECT_TRUE(h1.Running());
  EXPECT_TRUE(h2.Running());
  ExpectOnDesktop(w1);
}

TEST_F(CaptureTest, DestroyingTheWindowAndEndingTheSessionGiveWindowsBack) {
  TfrmMain& f = StartMain();
  const std::string t1 = UniqueTitle("session"), t2 = UniqueTitle("destroy");
  HelperProcess h1("--title \"" + t1 + "\""), h2("--title \"" + t2 + "\"");
  HWND w1 = h1.WaitForWindow(t1), w2 = h2.WaitForWindow(t2);
  CaptureApp(f, t1);
  f.Perform(WM_ENDSESSION, TRUE, 0);
  ExpectOnDesktop(w1);
  CaptureApp(f, t2);
  ASSERT_NE(ParentOf(w2), ::GetDesktopWindow());
  frm.reset();  // destroyed without the close question
  ExpectOnDesktop(w2);
  EXPECT_TRUE(h2.Running());
}

TEST_F(CaptureTest, LaunchByPathCapturesTheNewWindow) {
  TfrmMain& f = StartMain();
  // A path ending in ".exe" is started with WinExec; the stand-in then
  // shows its default title.
  const std::string path = HelperPath();
  f.Capture.ProgramPath.SetText(path);
  // Enter in the path box is a click on "Go Get It" and types nothing.
  f.Capture.ProgramPath.Edit.Perform(WM_CHAR, 13, 0);
  EXPECT_EQ(f.Capture.ProgramPath.Text(), path);
  EXPECT_TRUE(prompter.Calls().empty());
  ASSERT_EQ(f.PageControl.PageCount(), 2);
  TTabSheet* tab = f.PageControl.Pages(1);
  EXPECT_EQ(f.PageControl.ActivePage(), tab);
  EXPECT_EQ(tab->Caption(), "Nookvale Helper ");
  ASSERT_EQ(f.Capture.winListBox.Count(), 1);
  HWND captured = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoull(f.Capture.winListBox.Item(0))));
  EXPECT_EQ(ParentOf(captured), tab->Handle());
  EXPECT_TRUE(::IsZoomed(captured));
  // Both pickers were refreshed after the capture.
  EXPECT_LT(IndexOfLine(f.Capture.ListBox2, "Nookvale Helper"), 0);
  EXPECT_GT(f.Capture.ListBox1.Count(), 0);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(captured, &pid);
  UniqueKernelHandle p(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  ::TerminateProcess(p.get(), 0);
}

TEST_F(CaptureTest, ArgumentsMakeTheTextAShellFileName) {
  TfrmMain& f = StartMain();
  f.Capture.LaunchWaitMs = 1500;
  // The extension is taken from the last dot of the whole text, so a program
  // followed by arguments goes to the shell as one file name, which fails.
  const std::string cmd = HelperPath() + " --title notes.txt";
  f.Capture.ProgramPath.SetText(cmd);
  f.Capture.GoGetBtn.Click();
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0], "No window appeared for " + cmd + ".");
}

TEST_F(CaptureTest, CapitalExeGoesToTheShellAndTheWaitEnds) {
  TfrmMain& f = StartMain();
  f.Capture.LaunchWaitMs = 1500;
  // Through the shell the whole text, arguments too, is one file name that
  // does not exist, so no window ever comes.
  std::string exe = HelperPath();
  exe.replace(exe.size() - 4, 4, ".EXE");
  const std::string cmd = exe + " --title \"" + UniqueTitle("never") + "\"";
  f.Capture.ProgramPath.SetText(cmd);
  const DWORD start = ::GetTickCount();
  f.Capture.GoGetBtn.Click();
  EXPECT_GE(::GetTickCount() - start, 1500u);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0], "No window appeared for " + cmd + ".");
  EXPECT_EQ(f.PageControl.PageCount(), 2);
  f.Capture.Timer1Timer();
  EXPECT_EQ(f.PageControl.PageCount(), 1) << "the empty tab goes with the next tick";
}

TEST_F(CaptureTest, ToolWindowOfALaunchedProgramIsNotCounted) {
  TfrmMain& f = StartMain();
  f.Capture.LaunchWaitMs = 1500;
  f.Capture.ProgramPath.SetText(HelperPath() + " --tool --title \"" + UniqueTitle("tool") + "\"");
  f.Capture.GoGetBtn.Click();
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(f.Capture.winListBox.Item(0), "0");
  KillProcessesByName("nvhelper.exe");
}

TEST_F(CaptureTest, DocumentOpensThroughTheShell) {
  TfrmMain& f = StartMain();
  const std::string doc = dir.File("notes.txt");
  { std::ofstream(PathFromUtf8(doc)) << "hello"; }
  f.Capture.LaunchWaitMs = 10000;
  f.Capture.ProgramPath.SetText(doc);
  f.Capture.GoGetBtn.Click();
  ASSERT_EQ(f.Capture.winListBox.Count(), 1);
  ASSERT_NE(f.Capture.winListBox.Item(0), "0") << "the shell's editor opened the file";
  TTabSheet* tab = f.PageControl.Pages(1);
  EXPECT_NE(tab->Caption().find("notes"), std::string::npos) << tab->Caption();
  EXPECT_EQ(f.Capture.ImageList1.Count(), 3) << "the editor's icon joins the tab images";
  EXPECT_EQ(tab->ImageIndex, 2);
  HWND captured = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoull(f.Capture.winListBox.Item(0))));
  DWORD pid = 0;
  ::GetWindowThreadProcessId(captured, &pid);
  UniqueKernelHandle p(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  ::TerminateProcess(p.get(), 0);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

// Runs in a child process started by the test below: captures the window
// named in NOOKVALE_CRASH_TITLE, then crashes.
TEST_F(CaptureTest, CrashChild) {
  char title[256] = {};
  if (!::GetEnvironmentVariableA("NOOKVALE_CRASH_TITLE", title, sizeof title)) GTEST_SKIP() << "run by CrashReleasesCapturedWindows";
  TfrmMain& f = StartMain();
  ChooseApp(f, AnsiToUtf8(title));
  f.Capture.AppNameBtn.Click();
  ASSERT_EQ(f.Capture.winListBox.Count(), 1);
  ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

TEST_F(CaptureTest, CrashReleasesCapturedWindows) {
  const std::string title = UniqueTitle("survivor");
  HelperProcess helper("--title \"" + title + "\"");
  HWND w = helper.WaitForWindow(title);
  ASSERT_TRUE(w);
  EXPECT_EQ(RunChildTest("CaptureTest.CrashChild", "NOOKVALE_CRASH_TITLE", title),
            static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION))
      << "the child crashed";
  EXPECT_TRUE(helper.Running());
  ExpectOnDesktop(w);
}

}  // namespace
}  // namespace nv
