// The real program, started as a user starts it: Nookvale.exe runs in a
// folder of its own and is driven from outside, by messages and keystrokes.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "helper_process.h"
#include "richview/rvf.h"
#include "notebook/win32/notebook_frame.h"
#include "notebook/win32/notebook_recovery.h"
#include "richview/rvf_files.h"
#include "support/temp_dir.h"
#include "ui/paths.h"
#include "ui/win32/win_text.h"

#ifndef NOOKVALE_EXE_FROM_TESTS
#define NOOKVALE_EXE_FROM_TESTS ""
#endif

namespace nv {
namespace {

constexpr const char* kMainCaption = "Nookvale v1.b  - RIGHT CLICK HERE FOR INFO";

std::string ExeBesideTests(const char* relative) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::filesystem::path p(self);
  return PathToUtf8((p.parent_path() / PathFromUtf8(relative)).lexically_normal());
}

HWND FindChildOfClass(HWND parent, const wchar_t* cls) {
  struct Search {
    const wchar_t* cls;
    HWND found;
  } s{cls, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t name[64] = {};
        ::GetClassNameW(w, name, 64);
        if (std::wstring(name) != s->cls) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::string WindowText(HWND w) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring t(length + 1, L'\0');
  DWORD_PTR got = 0;
  ::SendMessageTimeoutW(w, WM_GETTEXT, t.size(), reinterpret_cast<LPARAM>(t.data()), SMTO_ABORTIFHUNG, 5000, &got);
  t.resize(got);
  return Narrow(t);
}

// A visible dialog box of the process (a message box is one).
HWND FindProcessDialog(DWORD pid) {
  struct Search {
    DWORD pid;
    HWND found;
  } s{pid, nullptr};
  ::EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        wchar_t name[16] = {};
        ::GetClassNameW(w, name, 16);
        if (owner != s->pid || std::wstring(name) != L"#32770" || !::IsWindowVisible(w)) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// The built program and its database copied into a folder of their own;
// the program's path there, or "" when it is not built.
std::string InstallInto(const TempDir& dir) {
  const std::string built = ExeBesideTests(NOOKVALE_EXE_FROM_TESTS);
  if (!FileExists(built)) {
    ADD_FAILURE() << "not built: " << built;
    return {};
  }
  const std::string exe = dir.File("Nookvale.exe");
  const std::filesystem::path from = PathFromUtf8(built).parent_path();
  std::filesystem::copy_file(PathFromUtf8(built), PathFromUtf8(exe));
  std::filesystem::copy_file(from / "Nookvale.mdb", PathFromUtf8(dir.File("Nookvale.mdb")));
  return exe;
}

template <class F>
bool WaitFor(F condition, DWORD limitMs) {
  const ULONGLONG end = ::GetTickCount64() + limitMs;
  while (!condition()) {
    if (::GetTickCount64() >= end) return false;
    ::Sleep(50);
  }
  return true;
}

// Ended by force after typing, it gives the notes back at its next start:
// the test types into its notebook by messages, waits for the autosave, ends
// it with TerminateProcess and answers the restore question of the next
// start.
TEST(RecoveryBlackBox, NotesTypedBeforeAForcedEndAreRestoredAtTheNextStart) {
  if (!::GetEnvironmentVariableA("NOOKVALE_BLACKBOX", nullptr, 0)) GTEST_SKIP() << "run by its own ctest entry";
  TempDir dir;
  const std::string exe = InstallInto(dir);
  ASSERT_FALSE(exe.empty());
  const std::string recovery = dir.File(TNotebookFrame::kRecoveryFileName);

  {
    HelperProcess first("", exe);
    HWND main = first.WaitForWindow(kMainCaption, 60000);
    ASSERT_NE(main, nullptr) << "no main window";
    HWND editor = FindChildOfClass(main, L"TRichViewEdit");
    ASSERT_NE(editor, nullptr);
    for (wchar_t c : std::wstring(L"notes before the crash")) ::PostMessageW(editor, WM_CHAR, c, 1);
    ASSERT_TRUE(WaitFor([&] { return WindowText(editor).find("notes before the crash") != std::string::npos; }, 20000));
    // The autosave comes once typing pauses; the file appears whole (it is
    // written beside and then moved into place).
    ASSERT_TRUE(WaitFor([&] { return FileExists(recovery); }, 60000)) << "no recovery file";
    first.Kill();
    ASSERT_TRUE(first.WaitExit(20000));
  }
  EXPECT_EQ(ReadWholeFile(recovery).find("notes before"), std::string::npos) << "sealed, not plain text";

  HelperProcess second("", exe);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = FindProcessDialog(second.Pid())) != nullptr; }, 60000))
      << "no restore question";
  EXPECT_EQ(WindowText(question), "Nookvale");
  HWND main = FindProcessTopLevel(second.Pid(), kMainCaption);
  ASSERT_NE(main, nullptr);
  ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
  HWND editor = FindChildOfClass(main, L"TRichViewEdit");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(WaitFor([&] { return WindowText(editor).find("notes before the crash") != std::string::npos; }, 20000))
      << WindowText(editor);
  second.Kill();
  second.WaitExit(20000);
}

// A user whose hide hotkey another program took back can always get the
// hidden program back: starting it again brings the running one into view,
// besides the second start's own message.
TEST(SecondStartBlackBox, StartingAgainBringsTheHiddenProgramBack) {
  if (!::GetEnvironmentVariableA("NOOKVALE_BLACKBOX", nullptr, 0)) GTEST_SKIP() << "run by its own ctest entry";
  TempDir dir;
  const std::string exe = InstallInto(dir);
  ASSERT_FALSE(exe.empty());
  HelperProcess first("", exe);
  HWND main = first.WaitForWindow(kMainCaption, 60000);
  ASSERT_NE(main, nullptr) << "no main window";
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }, 20000));
  {
    HelperProcess keys("--keys ctrl+alt+h");
    keys.WaitExit(20000);
  }
  ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }, 20000)) << "the hide hotkey did not hide it";

  HelperProcess second("", exe);
  HWND message = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (message = FindProcessDialog(second.Pid())) != nullptr; }, 60000))
      << "no message from the second start";
  HWND text = ::FindWindowExW(message, nullptr, L"Static", nullptr);
  while (text && WindowText(text).empty()) text = ::FindWindowExW(message, text, L"Static", nullptr);
  EXPECT_EQ(text ? WindowText(text) : "", "This program is already running.");
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }, 20000)) << "the first start stayed hidden";
  ::PostMessageW(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(second.WaitExit(20000)) << "the second start did not end";
  first.Kill();
  first.WaitExit(20000);
}

}  // namespace
}  // namespace nv
