// What other programs, and our own mistakes, must never do to Nookvale:
// end it, crash it through its host tabs, leave what it changed behind when
// it ends abnormally, or trap a keyboard user.
#include <windows.h>

#include <gtest/gtest.h>

#include <exception>
#include <stdexcept>

#include "capture/capture_rules.h"
#include "capture/win32/processes.h"
#include "capture/win32/window_search.h"
#include "helper_process.h"
#include "main_form_fixture.h"
#include "ui/text.h"
#include "ui/win32/emergency.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

constexpr UINT kNotifyParentMessage = WM_APP + 1;  // nvhelper's

std::string OwnProgramPath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Narrow(path);
}

class HardeningTest : public MainFormTest {
 protected:
  TfrmMain& StartMain() {
    TfrmMain& f = Start();
    f.Capture.Timer1.SetEnabled(false);
    return f;
  }
};

TEST_F(HardeningTest, TerminateNeverEndsNookvaleItself) {
  TfrmMain& f = StartMain();
  f.Capture.RefreshBtn.Click();
  const std::string self = OwnProgramPath();
  int line = -1;
  for (int i = 0; i < f.Capture.ListBox1.Count(); ++i)
    if (AsciiEqualNoCase(f.Capture.ListBox1.Item(i), self)) line = i;
  ASSERT_GE(line, 0) << self << " is listed";
  f.Capture.ListBox1.SetItemIndex(line);
  f.Capture.TerminateBtn.Click();
  EXPECT_TRUE(prompter.Calls().empty()) << "a terminate that names only us does nothing, not even ask";
  EXPECT_FALSE(KillProcessesByName(FileNamePart(self)));
  EXPECT_TRUE(NamesOnlyThisProcess(FileNamePart(self)));
  // Closing our own window through the terminate path would ask to exit,
  // then end our process: it does neither.
  CloseWindowProcess(f.Handle());
  EXPECT_TRUE(::IsWindow(f.Handle()));
  EXPECT_TRUE(prompter.Calls().empty());
}

TEST_F(HardeningTest, NotificationsFromACapturedProgramAreNotRead) {
  TfrmMain& f = StartMain();
  const std::string title = UniqueTitle("notifier");
  HelperProcess h("--title \"" + title + "\"");
  HWND w = h.WaitForWindow(title);
  ASSERT_TRUE(w);
  CaptureApp(f, title);
  TTabSheet* tab = f.PageControl.ActivePage();
  ASSERT_EQ(::GetAncestor(w, GA_PARENT), tab->Handle());
  // The helper sends, then posts, WM_NOTIFY to its new parent with pointers
  // that mean nothing here. Reading either would crash this process.
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutW(w, kNotifyParentMessage, 0, 0, SMTO_NORMAL, 10000, &answer));
  EXPECT_EQ(answer, 1u);
  bool posted_seen = false;
  tab->On(WM_NOTIFY, [&](WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (wp == 7) posted_seen = true;
    return std::nullopt;  // and on to the default handling, which reflects
  });
  ASSERT_TRUE(::SendMessageTimeoutW(w, kNotifyParentMessage, 0, 0, SMTO_NORMAL, 10000, &answer));
  EXPECT_TRUE(PumpUntil([&] { return posted_seen; })) << "the posted one arrives and is passed over";
  EXPECT_TRUE(::IsWindow(tab->Handle()));
  EXPECT_EQ(::GetAncestor(w, GA_PARENT), tab->Handle());
}

TEST_F(HardeningTest, AnAbsurdTitleLengthIsNotBelieved) {
  TfrmMain& f = StartMain();
  const std::string title = UniqueTitle("liar");
  HelperProcess h("--huge-length --title \"" + title + "\"");
  ASSERT_TRUE(h.WaitForWindow(title));
  f.Capture.AppRefreshBtn.Click();
  EXPECT_GE(IndexOfLine(f.Capture.ListBox2, title), 0);
  EXPECT_TRUE(prompter.Calls().empty());
}

TEST_F(HardeningTest, TabMovesTheFocusThroughTheControlsOnScreen) {
  TfrmMain& f = StartMain();
  // The window takes the focus once it is active.
  ASSERT_TRUE(PumpUntil([&] {
    ::SetForegroundWindow(f.Handle());
    ::SetActiveWindow(f.Handle());
    f.Capture.ProgramPath.Edit.SetFocus();
    return f.Capture.ProgramPath.Edit.Focused();
  }));
  auto press_tab = [&] {
    HWND focus = ::GetFocus();
    ::PostMessageW(focus, WM_KEYDOWN, VK_TAB, 1);
    ::PostMessageW(focus, WM_KEYUP, VK_TAB, 0xC0000001);
    Application().ProcessMessages();
  };
  press_tab();
  EXPECT_TRUE(f.Capture.ProgramPath.Button.Focused()) << "the path box's browse button";
  press_tab();
  EXPECT_TRUE(f.Capture.GoGetBtn.Focused()) << "the button after the path box";
  press_tab();
  EXPECT_TRUE(f.Capture.ExitBtn.Focused());
  // Going on reaches the other panels' lists and, in time, comes round.
  bool reached_list = false, reached_hotkey = false;
  std::string path;
  for (int i = 0; i < 80 && !f.Capture.ProgramPath.Edit.Focused(); ++i) {
    press_tab();
    Window* now = Window::FromHandle(::GetFocus());
    path += (now ? static_cast<TControl*>(now)->Name : std::string("?")) + " ";
    reached_list |= f.Capture.ListBox2.Focused() || f.Capture.ListBox1.Focused();
    reached_hotkey |= f.Privacy.HotKey1.Focused();
  }
  EXPECT_TRUE(reached_list);
  EXPECT_TRUE(reached_hotkey) << "the Utilities tab's controls are reached too: " << path;
  EXPECT_TRUE(f.Capture.ProgramPath.Edit.Focused()) << "the cycle comes back to the start";
  Application().ResetTerminated();
}

TEST(UniqueHandleTest, TakingOverItsOwnHandleKeepsItOpen) {
  UniqueKernelHandle e(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
  ASSERT_TRUE(e);
  e.reset(e.get());
  DWORD flags = 0;
  EXPECT_TRUE(::GetHandleInformation(e.get(), &flags)) << "still open";
  EXPECT_EQ(::WaitForSingleObject(e.get(), 0), WAIT_OBJECT_0);
  // Two references to one atom: giving one up keeps the other.
  UniqueGlobalAtom a(::GlobalAddAtomA("NookvaleAtomTest")), b(::GlobalAddAtomA("NookvaleAtomTest"));
  ASSERT_EQ(a.get(), b.get());
  a = std::move(b);
  char name[64] = {};
  EXPECT_GT(::GlobalGetAtomNameA(a.get(), name, sizeof name), 0u);
  a.reset();
  EXPECT_EQ(::GlobalFindAtomA("NookvaleAtomTest"), 0) << "both references released";
}

TEST(EmergencyRestoreTest, RunsNewestFirstPastFailuresAndOnlyOnce) {
  std::string order;
  ScopedEmergencyAction withdrawn([&] { order += "w"; });
  ScopedEmergencyAction first([&] { order += "1"; });
  ScopedEmergencyAction failing([&] {
    order += "x";
    throw std::runtime_error("cannot");
  });
  ScopedEmergencyAction last([&] { order += "2"; });
  withdrawn.Disarm();
  EmergencyRestore::RunAll();
  EXPECT_EQ(order, "2x1");
  EmergencyRestore::RunAll();
  EXPECT_EQ(order, "2x1") << "nothing runs twice";
}

// Runs in a child process started by the test below: captures the window
// named in NOOKVALE_TERMINATE_TITLE, then lets an exception escape where
// nothing can catch it, so std::terminate ends the program.
TEST_F(HardeningTest, TerminateChild) {
  char title[256] = {};
  if (!::GetEnvironmentVariableA("NOOKVALE_TERMINATE_TITLE", title, sizeof title))
    GTEST_SKIP() << "run by TerminateReleasesCapturedWindows";
  TfrmMain& f = StartMain();
  CaptureApp(f, AnsiToUtf8(title));
  ASSERT_EQ(f.Capture.winListBox.Count(), 1);
  // What an exception with no handler anywhere comes to: std::terminate,
  // which the crash filter never sees.
  std::terminate();
}

TEST_F(HardeningTest, TerminateReleasesCapturedWindows) {
  const std::string title = UniqueTitle("outlives terminate");
  HelperProcess helper("--title \"" + title + "\"");
  HWND w = helper.WaitForWindow(title);
  ASSERT_TRUE(w);
  const DWORD code = RunChildTest("HardeningTest.TerminateChild", "NOOKVALE_TERMINATE_TITLE", title);
  EXPECT_NE(code, 0u) << "the child ended abnormally";
  EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE)) << "and did end";
  EXPECT_TRUE(helper.Running());
  EXPECT_EQ(::GetAncestor(w, GA_PARENT), ::GetDesktopWindow()) << "the window went back to the desktop";
  EXPECT_TRUE(::IsWindowVisible(w));
}

}  // namespace
}  // namespace nv
