// The Win32 ground floor: INI files, the Window base, the prompter's own
// input box, the standard error box.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>

#include "frame_test_host.h"
#include "settings/main_ini.h"
#include "settings/win32/ini_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "ui/errors.h"
#include "ui/paths.h"
#include "ui/win32/application.h"
#include "ui/win32/containers.h"
#include "ui/win32/std_controls.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_prompter.h"
#include "ui/win32/win_text.h"
#include "ui/win32/window.h"

namespace nv {
namespace {

TEST(IniFile, MissingFileGivesDefaultsAndWritesNothing) {
  TempDir dir;
  TIniFile ini(dir.File("Main.ini"));
  for (const auto& k : kHotKeyIni) EXPECT_EQ(ini.ReadString(kHotKeysSection, k.key, k.defaultValue), k.defaultValue);
  EXPECT_FALSE(FileExists(dir.File("Main.ini")));
}

TEST(IniFile, FirstWriteCreatesOneSectionWithOneKey) {
  TempDir dir;
  TIniFile ini(dir.File("Main.ini"));
  ini.WriteString(kHotKeysSection, "Key2", "49226");
  EXPECT_EQ(ReadWholeFile(dir.File("Main.ini")), "[HotKeys]\r\nKey2=49226\r\n");
  EXPECT_EQ(ini.ReadString(kHotKeysSection, "Key2", "0"), "49226");
  EXPECT_EQ(ini.ReadString(kHotKeysSection, "Key1", "16467"), "16467");
}

TEST(IniFile, ValuesAreReadAsWrittenByHand) {
  TempDir dir;
  {
    std::ofstream f(PathFromUtf8(dir.File("Main.ini")), std::ios::binary);
    f << "[hotkeys]\r\nkey1 = abc\r\nKey3=49226\r\n";
  }
  TIniFile ini(dir.File("Main.ini"));
  EXPECT_EQ(ini.ReadString(kHotKeysSection, "Key1", "16467"), "abc");
  EXPECT_EQ(ini.ReadString(kHotKeysSection, "Key3", "49224"), "49226");
}

TEST(IniFile, FailedWriteRaisesUnableToWrite) {
  TempDir dir;
  auto expectUnable = [](const std::string& path) {
    TIniFile ini(path);
    try {
      ini.WriteString(kHotKeysSection, "Key1", "1");
      ADD_FAILURE() << "write to " << path << " succeeded";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
  };
  // The file held open without sharing by another program.
  const std::string locked = dir.File("Main.ini");
  {
    UniqueKernelHandle h(::CreateFileW(Widen(locked).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(h);
    expectUnable(locked);
  }
  // A directory where the file should be.
  TempDir other;
  ASSERT_TRUE(::CreateDirectoryW(Widen(other.File("Main.ini")).c_str(), nullptr));
  expectUnable(other.File("Main.ini"));
  // A directory that does not exist.
  expectUnable(dir.File("no such dir\\Main.ini"));
}

TEST(IniFile, ExeRelativePaths) {
  const std::string dir = ExeDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '\\');
  EXPECT_EQ(MainIniPath(), dir + "Main.ini");
  EXPECT_EQ(SettingsDatabasePath(), dir + "Nookvale.mdb");
}

// --- Window base -------------------------------------------------------------

class Probe : public Window {
 public:
  void Make() {
    CreateParams p;
    p.className = L"NvProbe";
    p.caption = "Probe \xE2\x82\xAC";
    p.style = WS_OVERLAPPEDWINDOW;
    CreateOwn(p, ClassParams{});
  }
  int destroyed = 0;

 protected:
  void HandleDestroyed() override { ++destroyed; }
};

TEST(WindowBase, BindsDispatchesAndUnbinds) {
  Probe w;
  int created = 0;
  w.On(WM_CREATE, [&](WPARAM, LPARAM) -> std::optional<LRESULT> { ++created; return 0; });
  w.On(WM_APP + 1, [](WPARAM wp, LPARAM lp) -> std::optional<LRESULT> { return static_cast<LRESULT>(wp + lp); });
  w.Make();
  ASSERT_TRUE(w.HandleAllocated());
  EXPECT_EQ(created, 1);
  EXPECT_EQ(Window::FromHandle(w.Handle()), &w);
  EXPECT_EQ(w.Perform(WM_APP + 1, 2, 3), 5);
  wchar_t title[64];
  ::GetWindowTextW(w.Handle(), title, 64);
  EXPECT_EQ(Narrow(title), "Probe \xE2\x82\xAC");
  HWND h = w.Handle();
  w.DestroyHandle();
  EXPECT_FALSE(::IsWindow(h));
  EXPECT_FALSE(w.HandleAllocated());
  EXPECT_EQ(w.destroyed, 1);
}

TEST(WindowBase, ExceptionInHandlerShowsErrorBoxAndGoesOn) {
  ScriptedPrompter prompter;
  Application().SetPrompter(&prompter);
  Probe w;
  w.On(WM_APP + 2, [](WPARAM, LPARAM) -> std::optional<LRESULT> {
    throw Exception("SetMasterMuteValue failure, multimedia system error #5");
  });
  w.Make();
  EXPECT_EQ(w.Perform(WM_APP + 2), 0);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  const auto& c = prompter.Calls()[0];
  EXPECT_EQ(c.kind, PromptCall::Box);
  EXPECT_EQ(c.text, "SetMasterMuteValue failure, multimedia system error #5.");
  EXPECT_EQ(c.caption, "Nookvale");
  EXPECT_EQ(c.flags, static_cast<unsigned>(MB_OK | MB_ICONSTOP));
  EXPECT_TRUE(::IsWindow(w.Handle()));
  Application().SetPrompter(nullptr);
}

// Handles this thread's messages until the condition holds, for at most
// five seconds; whether it holds.
bool PumpUntil(const std::function<bool()>& done) {
  const DWORD start = ::GetTickCount();
  while (!done() && ::GetTickCount() - start < 5000) {
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return done();
}

// A timer's handler that throws is reported like any handler's, and the
// timer goes on ticking; a disabled timer is quiet.
TEST(Timers, TickUntilDisabledAndReportWhatTheirHandlerThrows) {
  ScriptedPrompter prompter;
  Application().SetPrompter(&prompter);
  TTimer timer;
  timer.Create(1);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 1) throw Exception("Tick failed");
    if (ticks == 3) timer.SetEnabled(false);
  };
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return !timer.Enabled(); }));
  EXPECT_EQ(ticks, 3);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Tick failed.");
  // A second timer runs beside a disabled one, which stays quiet.
  TTimer other;
  other.Create(1);
  int otherTicks = 0;
  other.OnTimer = [&] { ++otherTicks; };
  other.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return otherTicks >= 3; }));
  EXPECT_EQ(ticks, 3);
  Application().SetPrompter(nullptr);
}

// Resizing an aligned control moves the siblings aligned after it, as a
// resized parent does.
TEST(Alignment, ANewHeightOfATopControlMovesTheClientControl) {
  TestFrameHost host;
  TPanel top, rest, bottom;
  top.Create(&host.Page, "top");
  top.SetHeight(40);
  top.SetAlign(TAlign::alTop);
  bottom.Create(&host.Page, "bottom");
  bottom.SetHeight(30);
  bottom.SetAlign(TAlign::alBottom);
  rest.Create(&host.Page, "rest");
  rest.SetAlign(TAlign::alClient);
  RECT page{};
  ::GetClientRect(host.Page.Handle(), &page);
  const int pageHeight = page.bottom;
  ASSERT_GT(pageHeight, 100);
  EXPECT_EQ(rest.Top(), 40);
  top.SetHeight(55);
  EXPECT_EQ(top.Height(), 55);
  EXPECT_EQ(rest.Top(), 55);
  EXPECT_EQ(rest.Top() + rest.Height(), pageHeight - 30);
  EXPECT_EQ(bottom.Top(), pageHeight - 30);
  // A control placed by hand stays where it is put.
  TPanel loose;
  loose.Create(&host.Page, "loose");
  loose.SetBounds(3, 4, 20, 20);
  EXPECT_EQ(loose.Left(), 3);
  EXPECT_EQ(rest.Top(), 55);
}

// A visible tooltip of this thread, if there is one.
HWND ShownTooltip() {
  HWND found = nullptr;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        wchar_t cls[64] = {};
        ::GetClassNameW(w, cls, 64);
        if (std::wstring(cls) != TOOLTIPS_CLASSW || !::IsWindowVisible(w)) return TRUE;
        *reinterpret_cast<HWND*>(p) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The mouse resting on a control with a hint shows the hint; a control
// without one has no part in the tooltip.
TEST(Hints, TheMouseOnAControlShowsItsHint) {
  TestFrameHost host;
  TGlowButton plain, hinted;
  plain.Create(&host.Page, "plain", "Plain");
  plain.SetBounds(10, 10, 80, 24);
  hinted.Create(&host.Page, "hinted", "Hinted");
  hinted.SetBounds(100, 10, 80, 24);
  hinted.SetHint("Shown on hover");
  ::UpdateWindow(host.Handle());
  // The mouse comes to rest on a control: the system puts the cursor there
  // and sends the control its move.
  auto hover = [&](TControl& c) {
    RECT r;
    ::GetWindowRect(c.Handle(), &r);
    const POINT screen{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::SetCursorPos(screen.x, screen.y);
    POINT client = screen;
    ::ScreenToClient(c.Handle(), &client);
    ::SendMessageW(c.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
  };
  hover(hinted);
  PumpUntil([] { return ShownTooltip() != nullptr; });
  HWND tip = ShownTooltip();
  ASSERT_NE(tip, nullptr);
  wchar_t text[64] = {};
  ::GetWindowTextW(tip, text, 64);
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.lpszText = text;
  ASSERT_TRUE(::SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
  EXPECT_EQ(reinterpret_cast<HWND>(ti.uId), hinted.Handle());
  EXPECT_EQ(Narrow(text), "Shown on hover");
  // The tooltip's tool for a control's window, by its text; none without.
  auto toolText = [&](HWND control) -> std::optional<std::string> {
    wchar_t buf[64] = {};
    TTTOOLINFOW t{};
    t.cbSize = sizeof t;
    t.hwnd = host.Page.Handle();
    t.uId = reinterpret_cast<UINT_PTR>(control);
    t.lpszText = buf;
    if (!::SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&t))) return std::nullopt;
    return Narrow(buf);
  };
  EXPECT_EQ(toolText(plain.Handle()), std::nullopt) << "no hint, no tool";
  ::ShowWindow(tip, SW_HIDE);

  // What the tooltip knows of a control follows its hint and its window.
  hinted.SetHint("Changed");
  EXPECT_EQ(toolText(hinted.Handle()), "Changed");
  hinted.SetHint("");
  EXPECT_EQ(toolText(hinted.Handle()), std::nullopt);
  {
    TGlowButton brief;
    brief.Create(&host.Page, "brief", "Brief");
    brief.SetHint("Soon gone");
    ::SendMessageW(brief.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(toolText(brief.Handle()), "Soon gone");
    const HWND gone = brief.Handle();
    ::DestroyWindow(gone);
    EXPECT_EQ(toolText(gone), std::nullopt) << "a destroyed control";
  }
}

TEST(UniqueHandle, ClosesOnEveryPath) {
  HANDLE raw;
  {
    UniqueKernelHandle h(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(h);
    raw = h.get();
    UniqueKernelHandle moved(std::move(h));
    EXPECT_FALSE(h);
    EXPECT_EQ(moved.get(), raw);
  }
  DWORD flags;
  EXPECT_FALSE(::GetHandleInformation(raw, &flags));
  UniqueKernelHandle invalid(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(invalid);
}

// --- the real input box --------------------------------------------------------

struct DialogScript {
  const wchar_t* type = nullptr;  // text to type (replaces the edit's text), null = Cancel
  std::wstring seenPrompt, seenInitial, seenCaption;
  LONG_PTR editStyle = 0;
  bool done = false;
};
DialogScript* g_script = nullptr;

void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND h, LPARAM lp) -> BOOL {
    wchar_t cls[32];
    ::GetClassNameW(h, cls, 32);
    if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(h)) {
      *reinterpret_cast<HWND*>(lp) = h;
      return FALSE;
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&dlg));
  if (!dlg || g_script->done) return;
  ::KillTimer(nullptr, id);
  g_script->done = true;
  wchar_t buf[512];
  ::GetDlgItemTextW(dlg, 100, buf, 512);
  g_script->seenPrompt = buf;
  ::GetDlgItemTextW(dlg, 101, buf, 512);
  g_script->seenInitial = buf;
  ::GetWindowTextW(dlg, buf, 512);
  g_script->seenCaption = buf;
  g_script->editStyle = ::GetWindowLongPtrW(::GetDlgItem(dlg, 101), GWL_STYLE);
  if (g_script->type) {
    // Type through the edit control so its 255-character limit applies.
    HWND edit = ::GetDlgItem(dlg, 101);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const wchar_t* p = g_script->type; *p; ++p) ::SendMessageW(edit, WM_CHAR, *p, 1);
    ::SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  } else {
    ::SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  }
}

TEST(Win32Prompter, InputBoxShowsTextsAndLimitsInput) {
  Win32Prompter p;
  std::wstring longText(300, L'x');
  DialogScript s;
  s.type = longText.c_str();
  g_script = &s;
  ::SetTimer(nullptr, 0, 50, AnswerDialog);
  auto r = p.InputBox("Removing directory...", "Are you sure to remove this directory?", "C:\\Temp\\a");
  EXPECT_EQ(s.seenCaption, L"Removing directory...");
  EXPECT_EQ(s.seenPrompt, L"Are you sure to remove this directory?");
  EXPECT_EQ(s.seenInitial, L"C:\\Temp\\a");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->size(), 255u);

  DialogScript cancel;
  cancel.type = nullptr;
  g_script = &cancel;
  ::SetTimer(nullptr, 0, 50, AnswerDialog);
  EXPECT_FALSE(p.InputBox("Making directory...", "Enter name of new directory:", "").has_value());
  g_script = nullptr;
}

TEST(Win32Prompter, PasswordBoxHidesTheTypedTextAndGivesItBack) {
  Win32Prompter p;
  DialogScript s;
  s.type = L"s3cret \x00E9";
  g_script = &s;
  ::SetTimer(nullptr, 0, 50, AnswerDialog);
  auto r = p.PasswordBox("Encrypted notebook", "Enter the password of the encrypted notebook:");
  EXPECT_EQ(s.seenCaption, L"Encrypted notebook");
  EXPECT_EQ(s.seenPrompt, L"Enter the password of the encrypted notebook:");
  EXPECT_TRUE(s.editStyle & ES_PASSWORD);
  EXPECT_EQ(r, std::optional<std::string>("s3cret \xC3\xA9"));

  // The plain input box shows what is typed.
  DialogScript plain;
  plain.type = nullptr;
  g_script = &plain;
  ::SetTimer(nullptr, 0, 50, AnswerDialog);
  EXPECT_FALSE(p.InputBox("Renaming...", "Enter new name:", "").has_value());
  EXPECT_FALSE(plain.editStyle & ES_PASSWORD);
  g_script = nullptr;
}

TEST(Win32Prompter, FilterBecomesDoubleNulList) {
  const std::wstring f = CommonDialogFilter("Text file|*.txt");
  EXPECT_EQ(f, std::wstring(L"Text file\0*.txt\0\0", 17));
  EXPECT_EQ(CommonDialogFilter("A|*.a|"), std::wstring(L"A\0*.a\0\0", 7));
}

}  // namespace
}  // namespace nv
