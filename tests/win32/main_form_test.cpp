// The main window for real: start-up steps and their failure exits, the
// layout, window-state commands, the close question.
#include <windows.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "helper_process.h"
#include "main_form_fixture.h"
#include "ui/paths.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

bool MenuHas(HWND w, UINT cmd) {
  return ::GetMenuState(::GetSystemMenu(w, FALSE), cmd, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

TEST_F(MainFormTest, StartsWithDefaultsAndWritesNothing) {
  TfrmMain& f = Start();
  EXPECT_TRUE(prompter.Calls().empty());
  EXPECT_FALSE(Application().Terminated());
  EXPECT_TRUE(::IsWindowVisible(f.Handle()));
  EXPECT_EQ(f.Caption(), "Nookvale v1.b  - RIGHT CLICK HERE FOR INFO");
  EXPECT_EQ(f.Privacy.edHotKey1.Text(), "16467");
  EXPECT_EQ(f.Privacy.edHotKey2.Text(), "49231");
  EXPECT_EQ(f.Privacy.edHotKey3.Text(), "49224");
  EXPECT_EQ(f.Privacy.StoredHotKey(2), 49231);
  EXPECT_EQ(f.Privacy.HotKey1.Value(), (HOTKEYF_CONTROL << 8) | 'S');
  EXPECT_EQ(f.Privacy.HotKey2.Value(), ((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | 'O');
  EXPECT_FALSE(FileExists(dir.File("Main.ini")));
  EXPECT_TRUE(f.ADOConnection1.Connected());
  EXPECT_TRUE(f.ADOTable2.Active());
  EXPECT_EQ(f.HtmlExportOptions(), 320);
  // The standard entries that move, size or change the window state are gone.
  for (UINT cmd : {SC_MOVE, SC_SIZE, SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE}) EXPECT_FALSE(MenuHas(f.Handle(), cmd)) << cmd;
  EXPECT_TRUE(MenuHas(f.Handle(), SC_CLOSE));
  SYSTEMTIME today, shown = f.DateTimePicker1.Date();
  ::GetLocalTime(&today);
  EXPECT_EQ(shown.wYear, today.wYear);
  EXPECT_EQ(shown.wMonth, today.wMonth);
  EXPECT_EQ(shown.wDay, today.wDay);
}

TEST_F(MainFormTest, ReadsHotkeysFromMainIni) {
  WriteIni("[HotKeys]\r\nKey3=49226\r\n");
  TfrmMain& f = Start();
  EXPECT_EQ(f.Privacy.edHotKey3.Text(), "49226");
  EXPECT_EQ(f.Privacy.StoredHotKey(3), 49226);
  EXPECT_EQ(f.Privacy.HotKey3.Value(), ((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | 'J');
  EXPECT_EQ(f.Privacy.edHotKey1.Text(), "16467");
}

TEST_F(MainFormTest, MissingDatabaseShowsItsTextOnceAndOpensNoWindow) {
  TfrmMain& f = Start(false);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].kind, PromptCall::Message);
  EXPECT_EQ(prompter.Calls()[0].text, "Could not find file '" + dir.File("Nookvale.mdb") + "'.");
  EXPECT_TRUE(Application().Terminated());
  EXPECT_FALSE(::IsWindowVisible(f.Handle()));
}

TEST_F(MainFormTest, WrongPasswordEndsStartUpWithTheProviderText) {
  CreateSettingsDatabase(dir.File(kSettingsDatabaseName), "another password", false);
  TfrmMain& f = Start(false);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0], "Not a valid password.");
  EXPECT_FALSE(::IsWindowVisible(f.Handle()));
}

TEST_F(MainFormTest, BadIniValueShowsErrorBoxAndSkipsTheLaterSteps) {
  WriteIni("[HotKeys]\r\nKey2=abc\r\n");
  TfrmMain& f = Start();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  const auto& c = prompter.Calls()[0];
  EXPECT_EQ(c.kind, PromptCall::Box);
  EXPECT_EQ(c.text, "'abc' is not a valid integer value.");
  EXPECT_EQ(c.caption, "Nookvale");
  EXPECT_EQ(c.flags, static_cast<unsigned>(MB_OK | MB_ICONSTOP));
  // The window opens all the same ...
  EXPECT_TRUE(::IsWindowVisible(f.Handle()));
  EXPECT_FALSE(Application().Terminated());
  // ... hotkey 1 got its value, hotkey 3 never did, and the steps after the
  // failing one did not run.
  EXPECT_EQ(f.Privacy.StoredHotKey(1), 16467);
  EXPECT_EQ(f.Privacy.StoredHotKey(3), 0);
  EXPECT_TRUE(MenuHas(f.Handle(), SC_MOVE));
  EXPECT_EQ(f.HtmlExportOptions(), 0);
}

TEST_F(MainFormTest, MissingTableIsAnErrorBoxAndTheWindowStillOpens) {
  MakeDatabase();
  {
    TADOConnection c;
    c.ConnectionString = SettingsConnectionString(dir.File(kSettingsDatabaseName));
    c.Open();
    ASSERT_EQ(sqlite3_exec(c.Handle(), "DROP TABLE HotKeys", nullptr, nullptr, nullptr), 0);
  }
  TfrmMain& f = Start();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text,
            "The Microsoft Jet database engine cannot find the input table or query 'HotKeys'.");
  EXPECT_TRUE(::IsWindowVisible(f.Handle()));
  EXPECT_EQ(f.Privacy.edHotKey1.Text(), "");
}

TEST_F(MainFormTest, SecondInstanceInTheSameSessionOnlyShowsTheMessage) {
  TfrmMain& first = Start();
  TfrmMain second(MainFormOptions{dir.Path()});
  second.Create();
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0], "This program is already running.");
  EXPECT_FALSE(::IsWindowVisible(second.Handle()));
  EXPECT_FALSE(second.ADOConnection1.Connected());
  EXPECT_TRUE(::IsWindowVisible(first.Handle()));
}

TEST_F(MainFormTest, ASecondStartBringsAHiddenFirstInstanceBack) {
  TfrmMain& first = Start();
  first.Perform(WM_SYSCOMMAND, SC_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(first.Handle()); }));
  TfrmMain second(MainFormOptions{dir.Path()});
  second.Create();
  EXPECT_EQ(prompter.Messages().size(), 1u);
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(first.Handle()) != FALSE; }))
      << "the hidden instance stays hidden";
  EXPECT_FALSE(::IsWindowVisible(second.Handle())) << "the second start shows no window of its own";
}

TEST_F(MainFormTest, LayoutHasEveryNamedControl) {
  TfrmMain& f = Start();
  const std::pair<const char*, const char*> captions[] = {
      {"MainPage", " Main Page "},
      {"AdvPanel7", "METHOD ONE - Find your application..."},
      {"AdvPanel8", "METHOD TWO - Applications Running..."},
      {"AdvPanel10", "METHOD THREE - Processes Running..."},
      {"GoGetBtn", "Go Get It"}, {"ExitBtn", "Exit Program"},
      {"AppNameBtn", "Go Get It"}, {"AppRefreshBtn", "Refresh"}, {"AppTerminateBtn", "Terminate"},
      {"ProcessBtn", "Go Get It"}, {"RefreshBtn", "Refresh"}, {"TerminateBtn", "Terminate Process"},
      {"CheckBox3", "Windows Task bar"}, {"CheckBox1", "Mute system sound"}, {"CheckBox2", "Desk top icons"},
      {"tsUtil", "  Utilities  "}, {"tsNotebook", "  My Notebook  "},
      {"GroupBox1", "Change Hot Keys"},
      {"Change1", "Key 1"}, {"Change2", "Key 2"}, {"Change3", "Key 3"},
  };
  for (const auto& [name, caption] : captions) {
    TControl* c = f.FindControl(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->Caption(), caption) << name;
  }
  for (const char* name : {"PageControl", "Panel2", "ProgramPath", "ListBox2", "ListBox1", "AdvDockPanel1",
                           "AdvToolBar1", "OpenBtn", "SaveBtn", "InsertImageBtn", "ItalicBtn", "BoldBtn",
                           "UnderlineBtn", "LineBtn", "FontBtn", "EncryptBtn", "DecryptBtn", "FontList",
                           "SizeList", "RSSbtn", "PageControl1", "HotKey1", "HotKey2", "HotKey3",
                           "DateTimePicker1", "Panel4", "DriveComboBoxEx1", "DirectoryListBox1",
                           "ListBoxLocFiles", "edHotKey1", "edHotKey2", "edHotKey3", "winListBox"})
    EXPECT_NE(f.FindControl(name), nullptr) << name;

  EXPECT_EQ(f.PageControl.PageCount(), 1);
  EXPECT_EQ(f.PageControl.ActivePage(), &f.MainPage);
  EXPECT_EQ(f.Capture.ImageList1.Count(), 2);
  EXPECT_EQ(f.MainPage.ImageIndex, 0);
  EXPECT_EQ(f.PageControl1.ActivePage(), &f.tsUtil);
  EXPECT_EQ(f.Capture.Height(), 305);
  EXPECT_EQ(f.AdvDockPanel1.Height(), 28);
  for (int i = 0; i < TNotebookFrame::kToolbarItems; ++i) EXPECT_FALSE(f.Notebook.ToolbarItem(i)->Enabled()) << i;
  EXPECT_TRUE(f.RSSbtn.Enabled());
  EXPECT_EQ(f.Notebook.InsertImageBtn.Hint(), "Insert Image");
  EXPECT_EQ(f.Notebook.LineBtn.Hint(), "Insert a line break");
  EXPECT_EQ(f.Notebook.EncryptBtn.Hint(), "Encrypt current text to a file");
  EXPECT_EQ(f.Notebook.DecryptBtn.Hint(), "Decrypt from an encrypted text file");
  for (TCheckBox* b : {&f.Privacy.CheckBox1, &f.Privacy.CheckBox2, &f.Privacy.CheckBox3}) EXPECT_FALSE(b->Checked());
  // The three check boxes stand left to right in this order.
  EXPECT_LT(f.Privacy.CheckBox3.Left(), f.Privacy.CheckBox1.Left());
  EXPECT_LT(f.Privacy.CheckBox1.Left(), f.Privacy.CheckBox2.Left());
  // Hidden state controls belong to their frames, which live as long as
  // the window, not to any tab.
  EXPECT_FALSE(f.Capture.winListBox.Visible());
  EXPECT_EQ(::GetParent(f.Capture.winListBox.Handle()), f.Capture.Handle());
  EXPECT_EQ(::GetParent(f.Privacy.edHotKey1.Handle()), f.Privacy.Handle());
  EXPECT_FALSE(f.Privacy.edHotKey1.Visible());
  EXPECT_TRUE(f.Capture.Timer1.Enabled());
  EXPECT_EQ(f.Capture.Timer1.Interval(), 1000u);
  // The drive box follows the width of its panel.
  EXPECT_EQ(f.Files.DriveComboBoxEx1.Width(), f.Files.Panel4.Width());
}

TEST_F(MainFormTest, FillsTheWorkAreaAsAToolWindowWithCloseBoxOnly) {
  TfrmMain& f = Start();
  RECT work, r;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::GetWindowRect(f.Handle(), &r);
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.bottom, work.bottom);
  const LONG_PTR style = ::GetWindowLongPtrW(f.Handle(), GWL_STYLE);
  const LONG_PTR ex = ::GetWindowLongPtrW(f.Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

TEST_F(MainFormTest, HasNoTaskbarButton) {
  TfrmMain& f = Start();
  HWND owner = ::GetWindow(f.Handle(), GW_OWNER);
  EXPECT_EQ(owner, Application().Handle());
  EXPECT_FALSE(::IsWindowVisible(owner));
  EXPECT_FALSE(::GetWindowLongPtrW(f.Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
}

TEST_F(MainFormTest, MinimiseHidesRestoreAndMaximiseShow) {
  TfrmMain& f = Start();
  EXPECT_EQ(f.Perform(WM_SYSCOMMAND, SC_MINIMIZE), 0);
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(f.Handle()); }));
  EXPECT_FALSE(::IsIconic(f.Handle()));
  f.Perform(WM_SYSCOMMAND, SC_RESTORE);
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(f.Handle()) != FALSE; }));
  f.Perform(WM_SYSCOMMAND, SC_MINIMIZE);
  f.Perform(WM_SYSCOMMAND, SC_MAXIMIZE);
  EXPECT_TRUE(PumpUntil([&] { return ::IsZoomed(f.Handle()) && ::IsWindowVisible(f.Handle()); }));
  // The system's commands come with state in their low bits (a double click
  // on the caption): they act as the plain ones.
  f.Perform(WM_SYSCOMMAND, SC_MINIMIZE | 2);
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(f.Handle()); }));
  EXPECT_FALSE(::IsIconic(f.Handle())) << "minimising with low bits set hides too";
  f.Perform(WM_SYSCOMMAND, SC_RESTORE | 2);
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(f.Handle()) != FALSE; }));
}

TEST_F(MainFormTest, CloseAsksAndOnlyYesCloses) {
  TfrmMain& f = Start();
  for (int answer : {IDNO, IDCANCEL}) {
    prompter.ClearCalls();
    prompter.AnswerBox(answer);
    f.Perform(WM_CLOSE);
    ASSERT_EQ(prompter.Calls().size(), 1u);
    EXPECT_EQ(prompter.Calls()[0].text, "Are you sure to Exit?");
    EXPECT_EQ(prompter.Calls()[0].caption, "Yes or No?");
    EXPECT_EQ(prompter.Calls()[0].flags, static_cast<unsigned>(MB_YESNOCANCEL));
    EXPECT_TRUE(::IsWindowVisible(f.Handle()));
    EXPECT_FALSE(f.Closed());
    EXPECT_FALSE(Application().Terminated());
    EXPECT_TRUE(f.ADOTable2.Active());
  }
  prompter.AnswerBox(IDYES);
  f.Capture.ExitBtn.Click();
  EXPECT_TRUE(f.Closed());
  EXPECT_TRUE(Application().Terminated());
  EXPECT_FALSE(::IsWindowVisible(f.Handle()));
  EXPECT_FALSE(f.ADOTable2.Active());
  // A screen that was never switched is left alone.
  EXPECT_EQ(f.SavedScreenWidth(), 0);
}

TEST_F(MainFormTest, DatePickerDropDownShowsWeekNumbers) {
  TfrmMain& f = Start();
  // A click on the drop-down button opens the calendar.
  const LPARAM at = MAKELPARAM(f.DateTimePicker1.Width() - 8, f.DateTimePicker1.Height() / 2);
  f.DateTimePicker1.Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
  f.DateTimePicker1.Perform(WM_LBUTTONUP, 0, at);
  PumpUntil([&] { return f.DateTimePicker1.MonthCalendar() != nullptr; }, 3000);
  HWND cal = f.DateTimePicker1.MonthCalendar();
  if (!cal) GTEST_SKIP() << "the date picker did not drop down here";
  ASSERT_TRUE(::IsWindowVisible(cal));
  EXPECT_TRUE(::GetWindowLongPtrW(cal, GWL_STYLE) & MCS_WEEKNUMBERS);
  RECT need{}, got{};
  ::SendMessageW(cal, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need));
  ::GetWindowRect(cal, &got);
  EXPECT_GE(got.right - got.left, need.right - need.left);
  f.DateTimePicker1.Perform(WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(MainFormTest, PageIndexRules) {
  TfrmMain& f = Start();
  TTabSheet& a = f.PageControl.NewSheet("a", "A ");
  TTabSheet& b = f.PageControl.NewSheet("b", "B ");
  EXPECT_EQ(b.PageIndex(), 2);
  b.SetPageIndex(1);
  EXPECT_EQ(b.PageIndex(), 1);
  EXPECT_EQ(a.PageIndex(), 2);
  try {
    a.SetPageIndex(3);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "3 is an invalid PageIndex value.  PageIndex must be between 0 and 2");
  }
  f.PageControl.SetActivePageIndex(7);
  EXPECT_EQ(f.PageControl.ActivePage(), nullptr);
  EXPECT_EQ(f.PageControl.ActivePageIndex(), -1);
  f.PageControl.SetActivePageIndex(2);
  EXPECT_EQ(f.PageControl.ActivePage(), &a);
  f.PageControl.FreeSheet(a);
  EXPECT_EQ(f.PageControl.PageCount(), 2);
  EXPECT_NE(f.PageControl.ActivePage(), nullptr);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

bool DisplayOffersMode(int w, int h) {
  DEVMODEA dm{};
  dm.dmSize = sizeof dm;
  for (DWORD i = 0; ::EnumDisplaySettingsA(nullptr, i, &dm); ++i)
    if (static_cast<int>(dm.dmPelsWidth) == w && static_cast<int>(dm.dmPelsHeight) == h) return true;
  return false;
}

// Run inside a Wine virtual desktop (see tests/blackbox/in-desktop.sh):
// there the display modes can really be switched.
TEST_F(MainFormTest, VirtualDesktopSmallScreenIsSwitchedAndRestoredOnYes) {
  const int w0 = ::GetSystemMetrics(SM_CXSCREEN), h0 = ::GetSystemMetrics(SM_CYSCREEN);
  if (h0 >= 768) GTEST_SKIP() << "needs a screen lower than 768 pixels";
  TfrmMain& f = Start();
  EXPECT_EQ(f.SavedScreenWidth(), w0);
  EXPECT_EQ(f.SavedScreenHeight(), h0);
  EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), 768);
  prompter.AnswerBox(IDNO).AnswerBox(IDCANCEL);
  f.Close();
  f.Close();
  EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), 768) << "No and Cancel keep the switched mode";
  prompter.AnswerBox(IDYES);
  f.Close();
  // Wine's virtual desktop cannot switch back to a size that is not one of
  // its display modes (1024 x 700 is not); a real display always offers the
  // mode it started in.
  if (!DisplayOffersMode(w0, h0)) GTEST_SKIP() << w0 << "x" << h0 << " is not a display mode here";
  EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), w0);
  EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), h0);
}

TEST_F(MainFormTest, VirtualDesktopScreenOf768IsLeftAlone) {
  if (::GetSystemMetrics(SM_CYSCREEN) != 768) GTEST_SKIP() << "needs a screen exactly 768 pixels high";
  const int w0 = ::GetSystemMetrics(SM_CXSCREEN);
  TfrmMain& f = Start();
  EXPECT_EQ(f.SavedScreenWidth(), 0);
  prompter.AnswerBox(IDYES);
  f.Close();
  EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), w0);
  EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), 768);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

TEST_F(MainFormTest, TabsSwitchOnClickAndOfferTheirCloseButton) {
  TfrmMain& f = Start();
  TTabSheet& reader = f.PageControl.NewSheet("reader", "  RSS Reader  ");
  reader.ShowClose = true;
  reader.ImageIndex = 1;
  f.PageControl.Changed();
  TTabSheet* closed = nullptr;
  f.PageControl.OnCloseSheet = [&](TTabSheet& s) { closed = &s; };
  int exits = 0;
  reader.OnExit = [&](TTabSheet&) { ++exits; };
  auto click = [&](POINT p) {
    f.PageControl.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    f.PageControl.Perform(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  };
  const RECT tab = f.PageControl.TabRect(1);
  click(POINT{tab.left + 5, (tab.top + tab.bottom) / 2});
  EXPECT_EQ(f.PageControl.ActivePage(), &reader);
  EXPECT_TRUE(::IsWindowVisible(reader.Handle()));
  EXPECT_FALSE(::IsWindowVisible(f.MainPage.Handle()));
  const RECT close = f.PageControl.CloseButtonRect(1);
  click(POINT{(close.left + close.right) / 2, (close.top + close.bottom) / 2});
  EXPECT_EQ(closed, &reader) << "the close button asks the owner to close the tab";
  EXPECT_EQ(f.PageControl.ActivePage(), &reader) << "and does not switch tabs";
  const RECT main = f.PageControl.TabRect(0);
  click(POINT{main.left + 5, (main.top + main.bottom) / 2});
  EXPECT_EQ(f.PageControl.ActivePage(), &f.MainPage);
  EXPECT_EQ(exits, 1) << "leaving the tab runs its exit event";
  const RECT mainClose = f.PageControl.CloseButtonRect(0);
  closed = nullptr;
  click(POINT{(mainClose.left + mainClose.right) / 2, (mainClose.top + mainClose.bottom) / 2});
  EXPECT_EQ(closed, nullptr) << "the Main Page has no close button";
}

TEST_F(MainFormTest, ToolbarLaysItsItemsOutOnResize) {
  TfrmMain& f = Start();
  EXPECT_TRUE(::IsWindowVisible(f.Privacy.CheckBox2.Handle()));
  ::SetWindowPos(f.Handle(), nullptr, 0, 0, 500, 600, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_FALSE(::IsWindowVisible(f.Privacy.CheckBox2.Handle())) << "an item that does not fit is hidden";
  EXPECT_TRUE(::IsWindowVisible(f.Notebook.OpenBtn.Handle()));
  EXPECT_EQ(f.Files.DriveComboBoxEx1.Width(), f.Files.Panel4.Width());
  ::SetWindowPos(f.Handle(), nullptr, 0, 0, 1200, 800, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_TRUE(::IsWindowVisible(f.Privacy.CheckBox2.Handle()));
  EXPECT_EQ(f.Files.DriveComboBoxEx1.Width(), f.Files.Panel4.Width());
}

// Items are placed one by one as they are added; each must stand where a
// layout of the whole band puts it, as the window opens.
TEST_F(MainFormTest, ToolbarItemsStandWhereAFullLayoutPutsThem) {
  TfrmMain& f = Start();
  TControl* items[] = {&f.Notebook.SizeList, &f.Notebook.FontList, &f.Notebook.OpenBtn, &f.Notebook.DecryptBtn,
                       &f.RSSbtn,            &f.Privacy.CheckBox3, &f.Privacy.CheckBox2};
  std::vector<RECT> added;
  for (TControl* c : items) {
    RECT r;
    ::GetWindowRect(c->Handle(), &r);
    added.push_back(r);
  }
  f.AdvToolBar1.LayoutItems();
  for (size_t i = 0; i < std::size(items); ++i) {
    RECT r;
    ::GetWindowRect(items[i]->Handle(), &r);
    EXPECT_TRUE(::EqualRect(&r, &added[i])) << items[i]->Name << " at " << added[i].left << " should be at " << r.left;
  }
}

// The frames on screen at start are placed before their components are
// made, and lay them out once: each component must stand where a layout of
// its frame at its final size puts it.
TEST_F(MainFormTest, FrameComponentsStandWhereAFullLayoutPutsThem) {
  TfrmMain& f = Start();
  TControl* items[] = {&f.Capture.AdvPanel7,    &f.Capture.AdvPanel10,       &f.Capture.ListBox2,
                       &f.Capture.TerminateBtn, &f.Files.DriveComboBoxEx1, &f.Files.DirectoryListBox1,
                       &f.Files.ListBoxLocFiles};
  std::vector<RECT> first;
  for (TControl* c : items) {
    RECT r;
    ::GetWindowRect(c->Handle(), &r);
    EXPECT_GT(r.right - r.left, 40) << c->Name;
    first.push_back(r);
  }
  for (TControl* frame : std::initializer_list<TControl*>{&f.Capture, &f.Files}) {
    RECT c;
    ::GetClientRect(frame->Handle(), &c);
    frame->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
  }
  for (size_t i = 0; i < std::size(items); ++i) {
    RECT r;
    ::GetWindowRect(items[i]->Handle(), &r);
    EXPECT_TRUE(::EqualRect(&r, &first[i])) << items[i]->Name << " at " << first[i].left << "," << first[i].top
                                            << " should be at " << r.left << "," << r.top;
  }
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

// The main window's own system menu: the program's entries after what is
// left of the standard ones, and their commands reaching the program.
TEST_F(MainFormTest, SystemMenuCarriesTheProgramsEntriesAndRunsThem) {
  TfrmMain& f = Start();
  HMENU menu = ::GetSystemMenu(f.Handle(), FALSE);
  ASSERT_TRUE(menu);
  for (UINT gone : {SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE})
    EXPECT_EQ(::GetMenuState(menu, gone, MF_BYCOMMAND), static_cast<UINT>(-1)) << gone;
  std::vector<std::string> ours;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    const UINT id = ::GetMenuItemID(menu, i);
    if (id < 1025 || id > 1032) continue;
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    ours.push_back(std::to_string(id) + " " + Narrow(text));
  }
  EXPECT_EQ(ours, (std::vector<std::string>{"1025 Windows Magnifier", "1028 Farglass", "1029 Feedback", "1026 About",
                                            "1030 Windows version", "1031 Windows Uptime?", "1032 Windows Update"}));
  f.Perform(WM_SYSCOMMAND, 1031, 0);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_NE(prompter.Messages()[0].find("Windows was up for:   "), std::string::npos) << prompter.Messages()[0];
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

// The reader in the real main window: RSSbtn opens its tab and waits, the
// capture scan frees the tab of a program that has gone and leaves the
// reader's alone, closing it gives the button back.
TEST_F(MainFormTest, ReaderTabOpensFromTheToolbarAndSurvivesTheCaptureScan) {
  TfrmMain& f = Start();
  f.Capture.Timer1.SetEnabled(false);
  f.RSSbtn.Click();
  ASSERT_EQ(f.PageControl.PageCount(), 2);
  TTabSheet* reader = f.ReaderTab.Sheet();
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(f.PageControl.ActivePage(), reader);
  EXPECT_FALSE(f.RSSbtn.Enabled()) << "one reader at a time";
  // A captured program that exits gives the scan a host tab to free.
  const std::string title = UniqueTitle("exits beside the reader");
  HelperProcess h("--title \"" + title + "\"");
  HWND w = h.WaitForWindow(title);
  ASSERT_TRUE(w);
  CaptureApp(f, title);
  ASSERT_EQ(f.PageControl.PageCount(), 3);
  TTabSheet* host = f.PageControl.ActivePage();
  ASSERT_NE(host, reader);
  h.Kill();
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(w); }));
  f.PageControl.SetActivePage(reader);
  f.Capture.Timer1Timer();
  EXPECT_EQ(f.Capture.winListBox.Count(), 0) << "the scan drops the capture";
  ASSERT_EQ(f.PageControl.PageCount(), 2) << "and frees its tab";
  EXPECT_EQ(f.PageControl.Pages(1), reader) << "the scan frees host tabs only";
  EXPECT_EQ(f.PageControl.ActivePage(), reader) << "and the reader stays on screen";
  EXPECT_TRUE(::IsWindowVisible(reader->Handle()));
  f.PageControl.OnCloseSheet(*f.ReaderTab.Sheet());
  EXPECT_TRUE(PumpUntil([&] { return f.PageControl.PageCount() == 1; }));
  EXPECT_TRUE(f.RSSbtn.Enabled());
  f.RSSbtn.Click();
  EXPECT_EQ(f.PageControl.PageCount(), 2) << "and it opens again";
}

}  // namespace
}  // namespace nv
