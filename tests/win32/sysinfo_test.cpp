// The system-menu entries and their commands, the About window shown
// modally, and the system report gathered from the running (Wine) system.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "frame_test_host.h"
#include "support/scripted_prompter.h"
#include "sysinfo/addresses.h"
#include "sysinfo/win32/about.h"
#include "sysinfo/win32/report_collector.h"
#include "sysinfo/win32/system_menu.h"
#include "ui/mini_html.h"
#include "ui/win32/icons.h"
#include "ui/win32/application.h"
#include "ui/win32/unique_handle.h"

namespace nv {
namespace {

// Runs a step from inside the About window's modal loop: a timer of the
// host fires once the loop runs. A watchdog thread closes a window whose loop
// never runs the step, so a broken loop fails the test instead of hanging it.
class ModalProbe {
 public:
  ModalProbe(TControl& host, TAbout& about) : host_(host), about_(about) {
    host_.On(WM_TIMER, [this](WPARAM id, LPARAM) -> std::optional<LRESULT> {
      if (id != kStep) return std::nullopt;
      ::KillTimer(host_.Handle(), kStep);
      ran = true;
      if (step_) step_();
      return 0;
    });
  }
  ~ModalProbe() {
    ::KillTimer(host_.Handle(), kStep);
    host_.On(WM_TIMER, nullptr);
  }
  // Shows the About window modally (through show, or directly) and runs
  // step once it is up.
  void Run(std::function<void()> step, const std::function<void()>& show = {}) {
    step_ = std::move(step);
    ran = false;
    timedOut = false;
    ::SetTimer(host_.Handle(), kStep, 30, nullptr);
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    const HWND about = about_.Handle();
    std::thread watchdog([&] {
      std::unique_lock<std::mutex> lock(m);
      if (!cv.wait_for(lock, std::chrono::seconds(20), [&] { return done; })) {
        timedOut = true;
        ::PostMessageW(about, WM_CLOSE, 0, 0);
      }
    });
    if (show)
      show();
    else
      about_.ShowModal();
    {
      std::lock_guard<std::mutex> lock(m);
      done = true;
    }
    cv.notify_all();
    watchdog.join();
  }
  bool ran = false;
  std::atomic<bool> timedOut{false};

 private:
  static constexpr UINT_PTR kStep = 0x5101;
  TControl& host_;
  TAbout& about_;
  std::function<void()> step_;
};

class SysInfoTest : public ::testing::Test {
 protected:
  ScriptedPrompter prompter;
  std::vector<ShellRequest> launched;
  std::unique_ptr<TestFrameHost> host;

  void SetUp() override {
    Application().SetPrompter(&prompter);
    host = std::make_unique<TestFrameHost>();
    Application().MainWindow = host->Handle();
  }
  void TearDown() override {
    host.reset();
    Application().MainWindow = nullptr;
    Application().SetPrompter(nullptr);
  }
  // The window standing in for the main window.
  HWND MainWindow() const { return host->Handle(); }
  TControl& MainControl() const { return *host; }
  ShellLauncher Recorder() {
    return [this](const ShellRequest& r) { launched.push_back(r); };
  }
  static void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  static void ClickAt(HWND w, RECT r) {
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(w, WM_LBUTTONUP, 0, at);
  }
};

struct MenuItem {
  UINT id;
  bool separator;
  std::string text;
};

std::vector<MenuItem> SystemMenuItems(HWND w) {
  HMENU menu = ::GetSystemMenu(w, FALSE);
  std::vector<MenuItem> items;
  const int n = ::GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    char text[256] = {};
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = sizeof text - 1;
    ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi);
    items.push_back({mi.wID, (mi.fType & MFT_SEPARATOR) != 0, text});
  }
  return items;
}

TEST_F(SysInfoTest, SystemMenuEntriesFollowWhatRemainsOfTheStandardOnes) {
  TSystemMenuCommands commands(MainWindow(), Recorder());
  commands.AppendEntries(MainWindow());
  const std::vector<MenuItem> items = SystemMenuItems(MainWindow());
  ASSERT_GE(items.size(), 11u);
  for (const MenuItem& m : items) {
    for (UINT gone : {SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE})
      EXPECT_NE(m.id & 0xFFF0, gone) << m.text;
  }
  const std::vector<MenuItem> expected = {
      {0, true, ""},     {1025, false, "Windows Magnifier"}, {1028, false, "Farglass"},
      {1029, false, "Feedback"}, {0, true, ""},  {1026, false, "About"},
      {0, true, ""},     {1030, false, "Windows version"},   {1031, false, "Windows Uptime?"},
      {1032, false, "Windows Update"}};
  const size_t first = items.size() - expected.size();
  for (size_t i = 0; i < expected.size(); ++i) {
    const MenuItem& m = items[first + i];
    EXPECT_EQ(m.separator, expected[i].separator) << i;
    if (!expected[i].separator) {
      EXPECT_EQ(m.id, expected[i].id) << i;
      EXPECT_EQ(m.text, expected[i].text) << i;
    }
  }
  // Close stays, before our block.
  bool closeBefore = false;
  for (size_t i = 0; i < first; ++i) closeBefore |= items[i].id == SC_CLOSE;
  EXPECT_TRUE(closeBefore);
}

TEST_F(SysInfoTest, LaunchCommandsGoThroughTheShellWithTheirOwnersAndShowModes) {
  TSystemMenuCommands commands(MainWindow(), Recorder());
  ASSERT_TRUE(commands.Handle(1025));
  ASSERT_TRUE(commands.Handle(1029));
  ASSERT_TRUE(commands.Handle(1030));
  ASSERT_TRUE(commands.Handle(1032));
  ASSERT_EQ(launched.size(), 4u);
  EXPECT_EQ(launched[0].kind, ShellRequest::WinExec);
  EXPECT_EQ(launched[0].file, "magnify");
  EXPECT_EQ(launched[0].show, SW_SHOWNORMAL);

  EXPECT_EQ(launched[1].kind, ShellRequest::ShellExecute);
  EXPECT_EQ(launched[1].owner, MainWindow());
  EXPECT_EQ(launched[1].verb, "open");
  EXPECT_EQ(launched[1].file, std::string("mailto:") + addresses::kFeedbackMail + "?subject=Nookvale's Feedback!");
  EXPECT_EQ(launched[1].show, SW_SHOW);

  EXPECT_EQ(launched[2].owner, Application().Handle()) << "winver belongs to the application window";
  EXPECT_NE(launched[2].owner, MainWindow());
  EXPECT_EQ(launched[2].verb, "open");
  EXPECT_EQ(launched[2].file, "winver.exe");
  EXPECT_EQ(launched[2].show, SW_SHOW);

  EXPECT_EQ(launched[3].owner, MainWindow());
  EXPECT_EQ(launched[3].file.rfind("https://", 0), 0u);
  EXPECT_NE(launched[3].file.find("/windowsupdate/v6/default.aspx?ln=en-us"), std::string::npos);
  EXPECT_EQ(launched[3].show, SW_SHOW);
  for (const ShellRequest& r : launched) {
    EXPECT_TRUE(r.parameters.empty());
    EXPECT_TRUE(r.directory.empty());
  }
  EXPECT_TRUE(prompter.Calls().empty());
}

TEST_F(SysInfoTest, CompanionProductOpensOnlyOnYes) {
  TSystemMenuCommands commands(MainWindow(), Recorder());
  prompter.AnswerBox(mb::kIdNo).AnswerBox(mb::kIdYes);
  ASSERT_TRUE(commands.Handle(1028));
  EXPECT_TRUE(launched.empty()) << "No opens nothing";
  ASSERT_TRUE(commands.Handle(1028));
  ASSERT_EQ(prompter.Calls().size(), 2u);
  const PromptCall& q = prompter.Calls()[0];
  EXPECT_EQ(q.owner, BoxOwner::MainWindow);
  EXPECT_EQ(q.text, "Farglass is a tool that allows you to secretly navigate over the web. Do you want to try?");
  EXPECT_EQ(q.caption, "Confirm");
  EXPECT_EQ(q.flags, 0x24u);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].owner, MainWindow());
  EXPECT_EQ(launched[0].verb, "open");
  EXPECT_EQ(launched[0].file, addresses::kCompanionDownload);
  EXPECT_EQ(launched[0].show, SW_SHOWNORMAL);
}

TEST_F(SysInfoTest, OtherCommandsAreLeftToTheDefaultHandling) {
  TSystemMenuCommands commands(MainWindow(), Recorder());
  // 1025 arrives as it is; masking it the way SC_ values are would give 1024.
  for (WPARAM id : {WPARAM{1024}, WPARAM{1027}, WPARAM{1033}, WPARAM{SC_CLOSE}, WPARAM{SC_MINIMIZE},
                    WPARAM{SC_KEYMENU}, WPARAM{1025 + 0x10000}})
    EXPECT_FALSE(commands.Handle(id)) << id;
  EXPECT_TRUE(launched.empty());
  EXPECT_TRUE(prompter.Calls().empty());
}

TEST_F(SysInfoTest, UptimeIsShownAsAMessage) {
  TSystemMenuCommands commands(MainWindow(), Recorder());
  commands.TickCount = [] { return 90061000u; };
  ASSERT_TRUE(commands.Handle(1031));
  // The system's own count: the numbers lie between the counts before and after.
  commands.TickCount = [] { return static_cast<std::uint32_t>(::GetTickCount()); };
  const DWORD before = ::GetTickCount();
  ASSERT_TRUE(commands.Handle(1031));
  const DWORD after = ::GetTickCount();
  const std::vector<std::string> m = prompter.Messages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0], "Windows was up for:   1 Days 1 Hours 1 Minutes 1 Seconds");
  std::istringstream in(m[1].substr(std::string("Windows was up for:   ").size()));
  unsigned d = 0, h = 0, min = 0, s = 0;
  std::string w1, w2, w3, w4;
  in >> d >> w1 >> h >> w2 >> min >> w3 >> s >> w4;
  ASSERT_EQ(w1 + w2 + w3 + w4, "DaysHoursMinutesSeconds") << m[1];
  const unsigned long shown = ((d * 24ul + h) * 60ul + min) * 60ul + s;
  EXPECT_GE(shown, before / 1000ul);
  EXPECT_LE(shown, after / 1000ul);
}

TEST_F(SysInfoTest, AboutWindowLayout) {
  TAbout about(Recorder(), [] { return ReportFacts{}; });
  about.Create(MainWindow());
  EXPECT_FALSE(::IsWindowVisible(about.Handle())) << "made hidden";
  EXPECT_EQ(::GetWindow(about.Handle(), GW_OWNER), MainWindow());
  const LONG_PTR style = ::GetWindowLongPtrW(about.Handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0) << "no border, no border icons";
  RECT client, win;
  ::GetClientRect(about.Handle(), &client);
  ::GetWindowRect(about.Handle(), &win);
  EXPECT_EQ(client.right, 360);
  EXPECT_EQ(client.bottom, 416);
  EXPECT_EQ(win.left, (::GetSystemMetrics(SM_CXSCREEN) - 360) / 2);
  EXPECT_EQ(win.top, (::GetSystemMetrics(SM_CYSCREEN) - 416) / 2);
  EXPECT_EQ(about.Caption(), "About");

  // The caption: the product name in bold italics, #408080, size 10.
  const std::vector<MiniHtmlRun> caption = ParseMiniHtml(about.AdvPanelGroup1.CaptionMarkup());
  ASSERT_EQ(caption.size(), 1u);
  EXPECT_EQ(caption[0].text, "Nookvale");
  EXPECT_TRUE(caption[0].bold);
  EXPECT_TRUE(caption[0].italic);
  EXPECT_EQ(caption[0].color, std::optional<std::uint32_t>(RGB(0x40, 0x80, 0x80)));
  EXPECT_EQ(caption[0].size, 10);
  EXPECT_EQ(MiniHtmlPlainText(about.AdvPanelGroup1.BodyMarkup()),
            "Version 1.b\n\nDefault Hotkey 01:   Ctrl + S\nDefault Hotkey 02:   Ctrl + Alt + O \n"
            "Default Hotkey 03:   Ctrl + Alt + H\n\nHotkey 01:   Go to Screen Saver\n"
            "Hotkey 02:   To bring back Nookvale\nHotkey 03:   To hide Nookvale");
  // The window's sizes are those of 96 DPI grown with the display's.
  const auto S = [](int px) { return ui::Scaled(px); };
  EXPECT_EQ(about.AdvPanelGroup1.Width(), S(360));
  EXPECT_EQ(about.AdvPanelGroup1.Height(), S(416));

  // The picture at the top right, below the caption bar.
  EXPECT_EQ(about.Image1.Width(), S(100));
  EXPECT_EQ(about.Image1.Height(), S(100));
  EXPECT_GT(about.Image1.Left(), S(360 - 100 - 20));
  EXPECT_LE(about.Image1.Left() + S(100), S(360));
  EXPECT_LT(about.Image1.Top(), S(60));
  EXPECT_EQ(about.Image1.Hint(), "Click");
  ASSERT_NE(about.Image1.Picture(), nullptr);
  {
    // The picture from the resources on the window's ground: its middle is
    // drawn, its corner is the ground.
    UniqueHdc mem(::CreateCompatibleDC(nullptr));
    SelectScope selected(mem.get(), about.Image1.Picture());
    EXPECT_EQ(::GetPixel(mem.get(), 0, 0), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(::GetPixel(mem.get(), S(50), S(50)), ::GetSysColor(COLOR_BTNFACE));
  }
  // The picture stays clear of the tabs.
  EXPECT_LE(about.Image1.Top() + S(100), about.PageControl1.Top());

  // The tabs along the bottom.
  EXPECT_EQ(about.PageControl1.Height(), S(232));
  EXPECT_EQ(about.PageControl1.Top() + S(232), S(416));
  ASSERT_EQ(about.PageControl1.PageCount(), 2);
  EXPECT_EQ(about.PageControl1.Pages(0)->Caption(), "System");
  EXPECT_EQ(about.PageControl1.Pages(1)->Caption(), "Credits");
  EXPECT_EQ(about.PageControl1.ActivePage(), &about.tsSystem);
  const LONG_PTR memoStyle = ::GetWindowLongPtrW(about.Memo1.Handle(), GWL_STYLE);
  EXPECT_TRUE((memoStyle & WS_VSCROLL) && (memoStyle & WS_HSCROLL));
  const std::string credits = about.Memo2.Caption();
  EXPECT_NE(credits.find("WITHOUT WARRANTY"), std::string::npos);
  EXPECT_NE(credits.find("HAZARDOUS ENVIRONMENTS"), std::string::npos);
  for (char c : credits) EXPECT_FALSE(c >= 'a' && c <= 'z') << "capitals only";
}

TEST_F(SysInfoTest, AboutIsModalAndHotkeysStillArrive) {
  TSystemMenuCommands commands(MainWindow(), Recorder());
  TAbout& about = commands.About();
  // A hotkey of the stand-in main window, pressed while the About window is up.
  constexpr int kHotKeyId = 0x2A17;
  ASSERT_TRUE(::RegisterHotKey(MainWindow(), kHotKeyId, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F9));
  bool hotkeyWhileModal = false, ownerDisabled = false, aboutShown = false;
  MainControl().On(WM_HOTKEY, [&](WPARAM id, LPARAM) -> std::optional<LRESULT> {
    if (id == kHotKeyId) {
      hotkeyWhileModal = about.Modal();
      about.AdvPanelGroup1Close();
    }
    return 0;
  });
  ModalProbe probe(MainControl(), about);
  bool handled = false;
  probe.Run(
      [&] {
        aboutShown = ::IsWindowVisible(about.Handle()) != FALSE;
        ownerDisabled = !::IsWindowEnabled(MainWindow());
        for (BYTE vk : {BYTE(VK_CONTROL), BYTE(VK_MENU), BYTE(VK_SHIFT), BYTE(VK_F9)}) ::keybd_event(vk, 0, 0, 0);
        for (BYTE vk : {BYTE(VK_F9), BYTE(VK_SHIFT), BYTE(VK_MENU), BYTE(VK_CONTROL)})
          ::keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
      },
      // Through the command, as the system menu runs it.
      [&] { handled = commands.Handle(1026); });
  ::UnregisterHotKey(MainWindow(), kHotKeyId);
  MainControl().On(WM_HOTKEY, nullptr);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(probe.ran);
  EXPECT_FALSE(probe.timedOut) << "the hotkey never arrived";
  EXPECT_TRUE(hotkeyWhileModal);
  EXPECT_TRUE(aboutShown);
  EXPECT_TRUE(ownerDisabled) << "the main window waits while About is up";
  EXPECT_TRUE(::IsWindowEnabled(MainWindow())) << "and takes over again";
  EXPECT_FALSE(::IsWindowVisible(about.Handle()));
  EXPECT_FALSE(about.Modal());
}

TEST_F(SysInfoTest, AboutHidesAndComesBackWithTheProgram) {
  TAbout about(Recorder(), [] { return ReportFacts{}; });
  about.Create(MainWindow());
  bool hiddenWithProgram = true, backWithProgram = false;
  MainControl().On(WM_APP + 1, [&](WPARAM, LPARAM) -> std::optional<LRESULT> {
    hiddenWithProgram = !::IsWindowVisible(about.Handle());
    host->ShowAll();
    ::PostMessageW(MainWindow(), WM_APP + 2, 0, 0);
    return 0;
  });
  MainControl().On(WM_APP + 2, [&](WPARAM, LPARAM) -> std::optional<LRESULT> {
    backWithProgram = ::IsWindowVisible(about.Handle()) != FALSE;
    about.Close();
    return 0;
  });
  ModalProbe probe(MainControl(), about);
  probe.Run([&] {
    host->HideAll();
    ::PostMessageW(MainWindow(), WM_APP + 1, 0, 0);
  });
  MainControl().On(WM_APP + 1, nullptr);
  MainControl().On(WM_APP + 2, nullptr);
  EXPECT_FALSE(probe.timedOut);
  EXPECT_EQ(host->HideCalls, 1);
  EXPECT_TRUE(hiddenWithProgram);
  EXPECT_TRUE(backWithProgram);
  EXPECT_FALSE(::IsWindowVisible(about.Handle())) << "closed at the end";
}

TEST_F(SysInfoTest, ThreadMessagesReachTheModalLoop) {
  TAbout about(Recorder(), [] { return ReportFacts{}; });
  about.Create(MainWindow());
  std::vector<WPARAM> got;
  about.OnThreadMessage = [&](const MSG& m) {
    if (m.message == WM_APP + 7) {
      got.push_back(m.wParam);
      about.Close();
    }
  };
  ModalProbe probe(MainControl(), about);
  probe.Run([] { ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP + 7, 42, 0); });
  EXPECT_FALSE(probe.timedOut);
  EXPECT_EQ(got, std::vector<WPARAM>{42});
}

TEST_F(SysInfoTest, ClosedAboutShowsWholeAgainWithTheSameReport) {
  TSystemMenuCommands commands(MainWindow(), Recorder());
  TAbout& about = commands.About();
  const std::vector<std::string> report = about.Memo1.Lines();
  ASSERT_GT(report.size(), 20u);
  ModalProbe probe(MainControl(), about);
  std::vector<std::string> secondReport;
  int pages = 0;
  bool imageShown = false, panelShown = false;
  for (int round = 0; round < 2; ++round) {
    probe.Run([&] {
      secondReport = about.Memo1.Lines();
      pages = about.PageControl1.PageCount();
      imageShown = ::IsWindowVisible(about.Image1.Handle()) != FALSE;
      panelShown = ::IsWindowVisible(about.AdvPanelGroup1.Handle()) != FALSE;
      // The caption bar's close button, clicked.
      ClickAt(about.AdvPanelGroup1.Handle(), about.AdvPanelGroup1.CloseButtonRect());
    });
    EXPECT_TRUE(probe.ran);
    EXPECT_FALSE(probe.timedOut) << "round " << round << ": the close button did not close";
    EXPECT_FALSE(::IsWindowVisible(about.Handle()));
    EXPECT_EQ(secondReport, report) << "round " << round;
    EXPECT_EQ(pages, 2);
    EXPECT_TRUE(imageShown);
    EXPECT_TRUE(panelShown);
  }
  EXPECT_TRUE(prompter.Calls().empty()) << "the report raised nothing on Wine";
}

TEST_F(SysInfoTest, PictureClosesAboutAndOpensTheSite) {
  TAbout about(Recorder(), [] { return ReportFacts{}; });
  about.Create(MainWindow());
  ModalProbe probe(MainControl(), about);
  probe.Run([&] {
    RECT r;
    ::GetClientRect(about.Image1.Handle(), &r);
    ClickAt(about.Image1.Handle(), r);
  });
  EXPECT_FALSE(probe.timedOut);
  EXPECT_FALSE(::IsWindowVisible(about.Handle()));
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].kind, ShellRequest::ShellExecute);
  EXPECT_EQ(launched[0].owner, about.Handle());
  EXPECT_EQ(launched[0].verb, "open");
  EXPECT_EQ(launched[0].file, addresses::kCompanionSite);
  EXPECT_EQ(launched[0].show, 1);
}

// A key of our own under HKCU, removed again at the end.
class TestKey {
 public:
  explicit TestKey(const char* path) : path_(path) {
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  }
  ~TestKey() {
    ::RegCloseKey(key_);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }
  void Set(const char* name, DWORD type, const void* data, DWORD size) {
    ::RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size);
  }
  void SetString(const char* name, const char* s) { Set(name, REG_SZ, s, static_cast<DWORD>(strlen(s) + 1)); }

 private:
  std::string path_;
  HKEY key_ = nullptr;
};

TEST_F(SysInfoTest, ErrorsStopTheReportAndShowOnceAtCreation) {
  TestKey key("Software\\NookvaleTest\\Report");
  const BYTE binary[] = {1, 2, 3};
  key.Set("ProductID", REG_BINARY, binary, sizeof binary);
  ReportSources sources;
  sources.Root = HKEY_CURRENT_USER;
  sources.ProductIdKey = "Software\\NookvaleTest\\Report";
  TAbout about(Recorder(), [&] { return CollectReportFacts(sources); });
  about.Create(MainWindow());
  ASSERT_TRUE(about.HandleAllocated()) << "the window is made all the same";
  const std::vector<std::string> lines = about.Memo1.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].rfind("Computer name:   ", 0), 0u);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Unsupported registry type.");
  EXPECT_EQ(prompter.Calls()[0].caption, "Nookvale");
  EXPECT_EQ(prompter.Calls()[0].flags, mb::kOk | mb::kIconStop);

  // Shown again: the same lines, and no second error.
  ModalProbe probe(MainControl(), about);
  probe.Run([&] { about.Close(); });
  EXPECT_FALSE(probe.timedOut);
  EXPECT_EQ(about.Memo1.Lines(), lines);
  EXPECT_EQ(prompter.Calls().size(), 1u);

  // A failing WOW64 query stops the report before its line.
  prompter.ClearCalls();
  TAbout wow(Recorder(), [] {
    ReportFacts f;
    f.OS.Wow64 = Wow64Query::Failed;
    return f;
  });
  wow.Create(MainWindow());
  ASSERT_EQ(wow.Memo1.Lines().size(), 16u);
  EXPECT_EQ(wow.Memo1.Lines().back(), "Is Media Center:   False");
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Bad process handle.");
}

TEST_F(SysInfoTest, CollectorReadsOtherKeysInRegistryOrder) {
  TestKey key("Software\\NookvaleTest\\Ports");
  key.SetString("\\Device\\Serial0", "COM1");
  key.SetString("\\Device\\Serial1", "COM7");
  const DWORD number = 123456;
  key.Set("ProductID", REG_DWORD, &number, sizeof number);
  ReportSources sources;
  sources.Root = HKEY_CURRENT_USER;
  sources.ProductIdKey = "Software\\NookvaleTest\\Ports";
  sources.SerialCommKey = "Software\\NookvaleTest\\Ports";
  const SystemReport r = FormatReport(CollectReportFacts(sources));
  ASSERT_FALSE(r.Error);
  EXPECT_EQ(r.Lines[3], "Windows Product ID:   123456");
  ASSERT_GE(r.Lines.size(), 3u);
  EXPECT_EQ(r.Lines[r.Lines.size() - 3], "COM1");
  EXPECT_EQ(r.Lines[r.Lines.size() - 2], "COM7");

  sources.ProductIdKey = "Software\\NookvaleTest\\Missing";
  sources.SerialCommKey = "Software\\NookvaleTest\\Missing";
  const SystemReport none = FormatReport(CollectReportFacts(sources));
  EXPECT_EQ(none.Lines[3], "Windows Product ID:   ");
  EXPECT_NE(none.Lines[none.Lines.size() - 2].find("Drive"), std::string::npos)
      << "no ports: the drives lead to the serial number";
}

std::string Env(const char* name) {
  char buf[512] = {};
  const DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
  return n < sizeof buf ? std::string(buf, n) : std::string();
}

TEST_F(SysInfoTest, ReportMatchesWinesKnownFacts) {
  const SystemReport r = FormatReport(CollectReportFacts());
  ASSERT_FALSE(r.Error) << *r.Error;
  const std::vector<std::string>& l = r.Lines;
  ASSERT_GE(l.size(), 24u);
  // Memory: Wine counts it from the host's /proc/meminfo, which is beyond
  // 4 GB on this kind of machine; the numbers must not be capped.
  std::ifstream meminfo("Z:\\proc\\meminfo");
  std::string label;
  unsigned long long kb = 0;
  meminfo >> label >> kb;
  ASSERT_EQ(label, "MemTotal:");
  const std::string total = l[0].substr(std::string("Physical memory:   ").size());
  ASSERT_EQ(l[0].rfind("Physical memory:   ", 0), 0u);
  ASSERT_EQ(total.substr(total.size() - 6), " Bytes");
  const unsigned long long bytes = std::stoull(total.substr(0, total.size() - 6));
  // Wine counts whole pages of it.
  EXPECT_LE(bytes, kb * 1024ull);
  EXPECT_GT(bytes + 65536ull, kb * 1024ull);
  if (kb * 1024ull > 0xFFFFFFFFull) {
    EXPECT_GT(bytes, 0xFFFFFFFFull);
  }
  const std::string avail = l[1].substr(std::string("Available memory:   ").size());
  EXPECT_LE(std::stoull(avail), bytes);
  EXPECT_GT(std::stoull(avail), 0ull);

  EXPECT_EQ(l[2], "Computer name:   " + Env("COMPUTERNAME"));
  EXPECT_EQ(l[3], "Windows Product ID:   12345-oem-0000001-54321");
  EXPECT_EQ(l[4], "Product:   Win7");
  // Wine's GetProductInfo answers PRODUCT_ULTIMATE_N.
  EXPECT_EQ(l[5], "Edition:   Ultimate N");
  EXPECT_EQ(l[6], "Build Number:   7601");
  EXPECT_EQ(l[7], "Service Pack:   Service Pack 1");
  EXPECT_EQ(l[8], "Service Pack Major:   1");
  EXPECT_EQ(l[9], "Service Pack Minor:   0");
  EXPECT_EQ(l[10], "Product Type:   NT Workstation");
  EXPECT_EQ(l[11], "Is Win9x:   False");
  EXPECT_EQ(l[12], "Is WinNT:   True");
  EXPECT_EQ(l[13], "Is Server:   False");
  EXPECT_EQ(l[14], "Is Tablet:   False");
  EXPECT_EQ(l[15], "Is Media Center:   False");
  EXPECT_EQ(l[16], "Is WOW64:   False") << "a 64-bit program is not under WOW64";
  EXPECT_EQ(l[17], "User name:   " + Env("USERNAME"));
  EXPECT_EQ(l[18], "OS version:   6.1");
  SYSTEM_INFO si;
  ::GetNativeSystemInfo(&si);
  EXPECT_EQ(l[19], "Processors:   " + std::to_string(si.dwNumberOfProcessors));
  EXPECT_EQ(l[20], sizeof(void*) == 8 ? "Processor type:   8664" : "Processor type:   586");
  // Drive lines in letter order, C: and Z: among them.
  std::vector<std::string> drives;
  size_t i = 21;
  for (; i < l.size() && l[i].size() > 3 && l[i][1] == ':' && l[i][2] == '\\'; ++i) drives.push_back(l[i]);
  EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end()));
  EXPECT_NE(std::find(drives.begin(), drives.end(), "C:\\ Fixed Drive"), drives.end());
  EXPECT_NE(std::find(drives.begin(), drives.end(), "Z:\\ Fixed Drive"), drives.end());
  DWORD serial = 0;
  ASSERT_TRUE(::GetVolumeInformationA("C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
  char expected[32];
  snprintf(expected, sizeof expected, "Hard drive s/n: %04X--%04X", static_cast<unsigned>(serial >> 16),
           static_cast<unsigned>(serial & 0xFFFF));
  EXPECT_EQ(l.back(), expected);
}

}  // namespace
}  // namespace nv
