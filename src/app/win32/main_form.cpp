#include "app/win32/main_form.h"

#include <commctrl.h>

#include <algorithm>
#include <set>
#include <utility>

#include "capture/win32/window_search.h"
#include "privacy/hotkey.h"
#include "settings/main_ini.h"
#include "settings/win32/ini_file.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/application.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

constexpr const char* kMethodOneText =
    "Enter program path - Use the bottom two boxes on the right to locate your program.<BR>"
    "<U>Example:</U> <FONT color=\"#8000FF\"><B>C:\\Program Files\\Mozilla Firefox\\firefox.exe</B></FONT>";

constexpr const char* kHotKeyPanelText =
    "<FONT size=\"10\">Place cursor in edit box, then press a combination of keys, and click Key's.</FONT><BR>"
    "<BR>"
    "1. Hotkey 1 = Screen saver <BR>"
    "2. Hotkey 2 = Bring back Nookvale <BR>"
    "3. Hotkey 3 = Hide Nookvale";

constexpr int kTopBandHeight = 305;
constexpr int kToolbarHeight = 28;
constexpr int kButtonHeight = 28;
constexpr int kGap = 8;

int CALLBACK CollectFontName(const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM p) {
  // Vertical variants ("@Name") are not offered as faces of their own.
  if (f->lfFaceName[0] != L'@') reinterpret_cast<std::set<std::wstring>*>(p)->insert(f->lfFaceName);
  return 1;
}

// Every font family the system has, each once, in alphabetical order.
void FillFontNames(TComboBox& list) {
  std::set<std::wstring> names;
  HDC dc = ::GetDC(nullptr);
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  ::EnumFontFamiliesExW(dc, &lf, CollectFontName, reinterpret_cast<LPARAM>(&names), 0);
  ::ReleaseDC(nullptr, dc);
  for (const std::wstring& n : names) list.Add(Narrow(n));
}

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
  ClassParams c;
  c.icon = ::LoadIconW(::GetModuleHandleW(nullptr), L"MAINICON");
  CreateOwn(p, c);
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  Application().MainWindow = Handle();
  CreateComponents();
  FitToWorkArea();

  FormCreate();
  if (Application().Terminated()) return;
  ::ShowWindow(Handle(), SW_SHOW);
  ::UpdateWindow(Handle());
  if (!shown_) {
    shown_ = true;
    FormShow();
    // Hotkeys that could not be registered at start are reported now that
    // the window is there to report them.
    for (int n : std::exchange(hotKeysInUse_, {})) ReportHotKeyInUse(n);
  }
}

void TfrmMain::FitToWorkArea() {
  RECT work{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
    work = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SetWindowPos(Handle(), nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- components ----------------------------------------------------------------

void TfrmMain::CreateComponents() {
  ImageList1.Create(16, 16);
  // Image 0 is shown by the Main Page tab, image 1 by the RSS reader tab.
  const HINSTANCE inst = ::GetModuleHandleW(nullptr);
  for (const wchar_t* name : {L"MAINICON", L"RSSICON"}) {
    UniqueHIcon icon(static_cast<HICON>(::LoadImageW(inst, name, IMAGE_ICON, 16, 16, 0)));
    ImageList1.AddIcon(icon.get());
  }

  PageControl.Create(this, "PageControl");
  PageControl.Images = ImageList1.Handle();
  PageControl.SetAlign(TAlign::alClient);
  MainPage.Create(&PageControl, "MainPage", " Main Page ");
  MainPage.ImageIndex = 0;
  PageControl.SetActivePage(&MainPage);

  CreateMainPage();
  CreateToolbar();

  PageControl1.Create(&MainPage, "PageControl1");
  PageControl1.SetAlign(TAlign::alClient);
  tsUtil.Create(&PageControl1, "tsUtil", "  Utilities  ");
  tsNotebook.Create(&PageControl1, "tsNotebook", "  My Notebook  ");
  PageControl1.SetActivePage(&tsUtil);
  CreateUtilities();

  // Hidden state controls: direct children of the window, so they outlive
  // any tab.
  for (auto [edit, name] : {std::pair{&edHotKey1, "edHotKey1"}, std::pair{&edHotKey2, "edHotKey2"},
                             std::pair{&edHotKey3, "edHotKey3"}}) {
    edit->Create(this, name);
    edit->SetVisible(false);
  }
  winListBox.Create(this, "winListBox");
  winListBox.SetVisible(false);

  Timer1.Create(1000);
  Timer1.SetEnabled(true);

  OnResize = [this] { FormResize(); };
  AlignControls();
  WireCapture();
  WirePrivacy();
}

void TfrmMain::CreateMainPage() {
  Panel2.Create(&MainPage, "Panel2");
  Panel2.SetHeight(kTopBandHeight);
  Panel2.SetAlign(TAlign::alTop);
  AdvPanel7.Create(&Panel2, "AdvPanel7", "METHOD ONE - Find your application...", kMethodOneText);
  AdvPanel8.Create(&Panel2, "AdvPanel8", "METHOD TWO - Applications Running...");
  AdvPanel10.Create(&Panel2, "AdvPanel10", "METHOD THREE - Processes Running...");

  ProgramPath.Create(&AdvPanel7, "ProgramPath");
  GoGetBtn.Create(&AdvPanel7, "GoGetBtn", "Go Get It");
  ExitBtn.Create(&AdvPanel7, "ExitBtn", "Exit Program");
  ExitBtn.OnClick = [this] { ExitBtnClick(); };

  ListBox2.Create(&AdvPanel8, "ListBox2");
  AppNameBtn.Create(&AdvPanel8, "AppNameBtn", "Go Get It");
  AppRefreshBtn.Create(&AdvPanel8, "AppRefreshBtn", "Refresh");
  AppTerminateBtn.Create(&AdvPanel8, "AppTerminateBtn", "Terminate");

  ListBox1.Create(&AdvPanel10, "ListBox1");
  ProcessBtn.Create(&AdvPanel10, "ProcessBtn", "Go Get It");
  RefreshBtn.Create(&AdvPanel10, "RefreshBtn", "Refresh");
  TerminateBtn.Create(&AdvPanel10, "TerminateBtn", "Terminate Process");

  Panel2.OnResize = [this] { LayoutMethodPanels(); };
}

void TfrmMain::LayoutMethodPanels() {
  RECT r;
  ::GetClientRect(Panel2.Handle(), &r);
  const int w = (r.right - r.left) / 3;
  AdvPanel7.SetBounds(0, 0, w, r.bottom);
  AdvPanel8.SetBounds(w, 0, w, r.bottom);
  AdvPanel10.SetBounds(2 * w, 0, r.right - 2 * w, r.bottom);

  auto buttonRow = [](TCaptionPanel& panel, std::initializer_list<TGlowButton*> buttons) {
    RECT a;
    ::GetClientRect(panel.Handle(), &a);
    const int n = static_cast<int>(buttons.size());
    const int bw = std::max<int>(60, (a.right - 2 * kGap - (n - 1) * 6) / n);
    int x = kGap;
    for (TGlowButton* b : buttons) {
      b->SetBounds(x, a.bottom - kGap - kButtonHeight, bw, kButtonHeight);
      x += bw + 6;
    }
    return static_cast<int>(a.bottom) - 2 * kGap - kButtonHeight;  // bottom of the area above the buttons
  };

  // Method one: the text, the path box, then its two buttons under it.
  RECT a;
  ::GetClientRect(AdvPanel7.Handle(), &a);
  const int textBottom = TCaptionPanel::kCaptionHeight + AdvPanel7.BodyTextHeight();
  ProgramPath.SetBounds(kGap, textBottom + kGap, a.right - 2 * kGap, 24);
  const int bw = (a.right - 2 * kGap - 6) / 2;
  GoGetBtn.SetBounds(kGap, textBottom + 2 * kGap + 24, bw, kButtonHeight);
  ExitBtn.SetBounds(kGap + bw + 6, textBottom + 2 * kGap + 24, bw, kButtonHeight);

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
    m.list->SetBounds(kGap, TCaptionPanel::kCaptionHeight + kGap, pa.right - 2 * kGap,
                      listBottom - TCaptionPanel::kCaptionHeight - kGap);
  }
}

void TfrmMain::CreateToolbar() {
  AdvDockPanel1.Create(&MainPage, "AdvDockPanel1");
  AdvDockPanel1.SetHeight(kToolbarHeight);
  AdvDockPanel1.SetAlign(TAlign::alTop);
  AdvToolBar1.Create(&AdvDockPanel1, "AdvToolBar1");
  AdvToolBar1.SetAlign(TAlign::alClient);

  SizeList.Create(&AdvToolBar1, "SizeList", true);
  for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}) SizeList.Add(std::to_string(s));
  FontList.Create(&AdvToolBar1, "FontList", false);
  FillFontNames(FontList);
  AdvToolBar1.AddItem(SizeList, 50);
  AdvToolBar1.AddItem(FontList, 150);

  struct Item {
    TGlowButton* button;
    const char* name;
    const char* caption;
    const char* hint;
    int width;
    unsigned captionStyle;
  };
  const Item items[] = {
      {&OpenBtn, "OpenBtn", "Open", "", 48, 0},
      {&SaveBtn, "SaveBtn", "Save", "", 48, 0},
      {&InsertImageBtn, "InsertImageBtn", "Image", "Insert Image", 52, 0},
      {&ItalicBtn, "ItalicBtn", "I", "", 24, 2},
      {&BoldBtn, "BoldBtn", "B", "", 24, 1},
      {&UnderlineBtn, "UnderlineBtn", "U", "", 24, 4},
      {&LineBtn, "LineBtn", "Line", "Insert a line break", 44, 0},
      {&FontBtn, "FontBtn", "Font", "", 44, 0},
      {&EncryptBtn, "EncryptBtn", "Encrypt", "Encrypt current text to a file", 60, 0},
      {&DecryptBtn, "DecryptBtn", "Decrypt", "Decrypt from an encrypted text file", 60, 0},
  };
  for (const Item& it : items) {
    it.button->Create(&AdvToolBar1, it.name, it.caption);
    it.button->CaptionStyle = it.captionStyle;
    if (*it.hint) it.button->SetHint(it.hint);
    AdvToolBar1.AddItem(*it.button, it.width);
  }
  // Bold, italic and underline are check buttons: a click toggles them down.
  ItalicBtn.AllowAllUp = BoldBtn.AllowAllUp = UnderlineBtn.AllowAllUp = true;
  ItalicBtn.Tag = 2;
  BoldBtn.Tag = 1;
  UnderlineBtn.Tag = 3;
  for (int i = 0; i < kNotebookToolbarItems; ++i) NotebookToolbarItem(i)->SetEnabled(false);

  AdvToolBar1.AddSeparator();
  RSSbtn.Create(&AdvToolBar1, "RSSbtn", "RSS");
  AdvToolBar1.AddItem(RSSbtn, 48);
  AdvToolBar1.AddSeparator();
  CheckBox3.Create(&AdvToolBar1, "CheckBox3", "Windows Task bar");
  CheckBox1.Create(&AdvToolBar1, "CheckBox1", "Mute system sound");
  CheckBox2.Create(&AdvToolBar1, "CheckBox2", "Desk top icons");
  for (TCheckBox* box : {&CheckBox3, &CheckBox1, &CheckBox2}) AdvToolBar1.AddItem(*box, box->PreferredWidth());
}

TControl* TfrmMain::NotebookToolbarItem(int i) {
  TControl* items[kNotebookToolbarItems] = {&SizeList,  &FontList,     &OpenBtn, &SaveBtn,
                                            &InsertImageBtn, &ItalicBtn, &BoldBtn, &UnderlineBtn,
                                            &LineBtn,   &FontBtn,      &EncryptBtn, &DecryptBtn};
  return i >= 0 && i < kNotebookToolbarItems ? items[i] : nullptr;
}

void TfrmMain::CreateUtilities() {
  GroupBox1.Create(&tsUtil, "GroupBox1", "Change Hot Keys", kHotKeyPanelText);
  THotKey* editors[] = {&HotKey1, &HotKey2, &HotKey3};
  TGlowButton* buttons[] = {&Change1, &Change2, &Change3};
  for (int i = 0; i < 3; ++i) {
    editors[i]->Create(&GroupBox1, "HotKey" + std::to_string(i + 1));
    buttons[i]->Create(&GroupBox1, "Change" + std::to_string(i + 1), "Key " + std::to_string(i + 1));
  }
  DateTimePicker1.Create(&tsUtil, "DateTimePicker1");
  DateTimePicker1.OnDropDown = [this] { DateTimePicker1DropDown(); };
  Panel4.Create(&tsUtil, "Panel4");
  DriveComboBoxEx1.Create(&Panel4, "DriveComboBoxEx1", false);
  DirectoryListBox1.Create(&tsUtil, "DirectoryListBox1");
  ListBoxLocFiles.Create(&tsUtil, "ListBoxLocFiles");
  tsUtil.OnResize = [this] { LayoutUtilities(); };
}

void TfrmMain::LayoutUtilities() {
  RECT r;
  ::GetClientRect(tsUtil.Handle(), &r);
  const int leftWidth = 340;
  GroupBox1.SetBounds(kGap, kGap, leftWidth, 230);
  const int textBottom = TCaptionPanel::kCaptionHeight + GroupBox1.BodyTextHeight();
  THotKey* editors[] = {&HotKey1, &HotKey2, &HotKey3};
  TGlowButton* buttons[] = {&Change1, &Change2, &Change3};
  for (int i = 0; i < 3; ++i) {
    const int y = textBottom + i * 30;
    editors[i]->SetBounds(kGap, y, leftWidth - 3 * kGap - 70, 24);
    buttons[i]->SetBounds(leftWidth - kGap - 70, y - 1, 70, 26);
  }
  GroupBox1.SetHeight(std::max(120, textBottom + 3 * 30 + kGap));
  DateTimePicker1.SetBounds(kGap, GroupBox1.Top() + GroupBox1.Height() + kGap, 160, 24);

  // The directory tree (under the drive box) and the file list fill the
  // rest of the tab side by side.
  const int x = leftWidth + 2 * kGap;
  const int w = std::max<int>(100, r.right - x - kGap);
  const int half = (w - kGap) / 2;
  Panel4.SetBounds(x, kGap, half, 28);
  DirectoryListBox1.SetBounds(x, kGap + 28 + 4, half, std::max<int>(50, r.bottom - 2 * kGap - 32));
  ListBoxLocFiles.SetBounds(x + half + kGap, kGap, w - half - kGap, std::max<int>(50, r.bottom - 2 * kGap));
  FormResize();
}

// --- lifecycle -------------------------------------------------------------------

void TfrmMain::FormCreate() {
  // 1. One instance per desktop session.
  semaphore_.reset(::CreateSemaphoreA(nullptr, 0, 1, "Nookvale"));
  if (semaphore_ && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    semaphore_.reset();
    Application().prompter().ShowMessage("This program is already running.");
    Application().Terminate();
    return;
  }
  // 2. The settings database; without it the program cannot start.
  try {
    ADOConnection1.ConnectionString = SettingsConnectionString(SettingsPath(kSettingsDatabaseName));
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
    ADOTable2.TableName = "HotKeys";
    ADOTable2.SetActive(true);
    // 4. The hotkeys as Main.ini holds them (defaults when missing).
    {
      TIniFile ini(SettingsPath(kMainIniName));
      TEdit* edits[] = {&edHotKey1, &edHotKey2, &edHotKey3};
      for (int i = 0; i < 3; ++i)
        edits[i]->SetText(ini.ReadString(kHotKeysSection, kHotKeyIni[i].key, kHotKeyIni[i].defaultValue));
    }
    // 5. Each text as a 16-bit shortcut value into its editor.
    {
      TEdit* edits[] = {&edHotKey1, &edHotKey2, &edHotKey3};
      THotKey* editors[] = {&HotKey1, &HotKey2, &HotKey3};
      for (int i = 0; i < 3; ++i) {
        const auto value = static_cast<std::uint16_t>(StrToInt(edits[i]->Text()) & 0xFFFF);
        storedHotKey_[i] = value;
        editors[i]->SetValue(ShortCutToHotKeyControl(value));
      }
    }
    // 6. Register the three hotkeys; the editors equal the stored values,
    // so nothing is written back.
    Change1Click();
    Change2Click();
    Change3Click();
    // 8. Small screens are switched to 1024 x 768 for the session.
    if (::GetSystemMetrics(SM_CYSCREEN) < 768) {
      savedScreenWidth_ = ::GetSystemMetrics(SM_CXSCREEN);
      savedScreenHeight_ = ::GetSystemMetrics(SM_CYSCREEN);
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
    htmlExportOptions_ = 320;
    // 12. The desktop's icon view: first child of the first child of ProgMan.
    HWND progman = ::FindWindowA("ProgMan", nullptr);
    desktopIconView_ = ::GetWindow(::GetWindow(progman, GW_CHILD), GW_CHILD);
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
  RefreshBtn.Click();
  for (const std::string& title : ListApplicationWindows()) ListBox2.Add(title);
}

void TfrmMain::FormResize() { DriveComboBoxEx1.SetWidth(Panel4.Width()); }

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
  const int answer =
      Application().prompter().ShowBox(BoxOwner::Application, "Are you sure to Exit?", "Yes or No?", mb::kYesNoCancel);
  if (answer == mb::kIdCancel || answer == mb::kIdNo) {
    canClose = false;
    return;
  }
  if (answer == mb::kIdYes && savedScreenWidth_ != 0) {
    try {
      SetScreenResolution(savedScreenWidth_, savedScreenHeight_);
    } catch (...) {
      // A failed switch back must not keep the program from closing.
    }
  }
}

void TfrmMain::FormClose() {
  ReleaseHotKeys();
  ADOTable2.SetActive(false);
}

void TfrmMain::FormDestroy() {
  destroyed_ = true;
  captures_.ReleaseAll();
  ADOTable2.SetActive(false);
  ReleaseHotKeys();
}

void TfrmMain::ExitBtnClick() { Close(); }

void TfrmMain::Close() {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (!canClose) return;
  // Captured programs go back to the desktop before anything closes.
  captures_.ReleaseAll();
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
  switch (wp) {
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

LRESULT TfrmMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SYSCOMMAND:
      if (auto r = WMSysCommand(wp)) return *r;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_HOTKEY:
      FormHotKey(wp);
      return 0;
    case WM_ENDSESSION:
      // Windows is ending: give the captured programs back so they can
      // save their work in their own windows.
      if (wp) captures_.ReleaseAll();
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
