// The three global hotkeys (screen saver, bring back, hide) and the
// taskbar, desktop-icon and mute switches of the toolbar.
#include "privacy/win32/privacy_frame.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "privacy/hotkey.h"
#include "privacy/win32/master_mute.h"
#include "settings/main_ini.h"
#include "settings/win32/ini_file.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/icons.h"

namespace nv {

namespace {

constexpr const char* kHotKeyAtoms[3] = {"MyHotKey_1", "MyHotKey_2", "MyHotKey_3"};

constexpr const char* kHotKeyPanelText =
    "<FONT size=\"10\">Place cursor in edit box, then press a combination of keys, and click Key's.</FONT><BR>"
    "<BR>"
    "1. Hotkey 1 = Screen saver <BR>"
    "2. Hotkey 2 = Bring back Nookvale <BR>"
    "3. Hotkey 3 = Hide Nookvale";

// Sizes at 96 DPI, scaled to the display where they are used.
int Gap() { return ui::Scaled(8); }
int RowHeight() { return ui::Scaled(30); }
int KeyButtonWidth() { return ui::Scaled(70); }

HWND Taskbar() { return ::FindWindowA("shell_traywnd", nullptr); }

}  // namespace

THotKey& TPrivacyFrame::Editor(int i) {
  THotKey* e[] = {&HotKey1, &HotKey2, &HotKey3};
  return *e[i];
}

TEdit& TPrivacyFrame::Text(int i) {
  TEdit* e[] = {&edHotKey1, &edHotKey2, &edHotKey3};
  return *e[i];
}

void TPrivacyFrame::CreateComponents() {
  GroupBox1.Create(this, "GroupBox1", "Change Hot Keys", kHotKeyPanelText);
  TGlowButton* buttons[] = {&Change1, &Change2, &Change3};
  for (int i = 0; i < 3; ++i) {
    Editor(i).Create(&GroupBox1, "HotKey" + std::to_string(i + 1));
    buttons[i]->Create(&GroupBox1, "Change" + std::to_string(i + 1), "Key " + std::to_string(i + 1));
    Text(i).SetVisible(false);
    Text(i).Create(this, "edHotKey" + std::to_string(i + 1));
  }
  TToolBar& bar = Host().Toolbar();
  CheckBox3.Create(&bar, "CheckBox3", "Windows Task bar");
  CheckBox1.Create(&bar, "CheckBox1", "Mute system sound");
  CheckBox2.Create(&bar, "CheckBox2", "Desk top icons");
  for (TCheckBox* box : {&CheckBox3, &CheckBox1, &CheckBox2}) bar.AddItem(*box, box->PreferredWidth());

  // A key alone, or with Shift alone, is not a hotkey: the editor gives it
  // its default modifiers instead.
  HotKey1.SetRules(HKCOMB_NONE | HKCOMB_S, HOTKEYF_CONTROL);
  HotKey2.SetRules(HKCOMB_NONE | HKCOMB_S, HOTKEYF_CONTROL | HOTKEYF_ALT);
  HotKey3.SetRules(HKCOMB_NONE | HKCOMB_S, HOTKEYF_CONTROL | HOTKEYF_ALT);
  Change1.OnClick = [this] { Change1Click(); };
  Change2.OnClick = [this] { Change2Click(); };
  Change3.OnClick = [this] { Change3Click(); };
  CheckBox1.OnClick = [this] { CheckBox1Click(); };
  CheckBox2.OnClick = [this] { CheckBox2Click(); };
  CheckBox3.OnClick = [this] { CheckBox3Click(); };
}

int TPrivacyFrame::PreferredHeight() {
  const int textBottom = TCaptionPanel::CaptionHeight() + GroupBox1.BodyTextHeight();
  return std::max(ui::Scaled(120), textBottom + 3 * RowHeight() + Gap());
}

void TPrivacyFrame::LayoutComponents() {
  RECT r;
  ::GetClientRect(Handle(), &r);
  GroupBox1.SetBounds(0, 0, r.right, r.bottom);
  const int textBottom = TCaptionPanel::CaptionHeight() + GroupBox1.BodyTextHeight();
  TGlowButton* buttons[] = {&Change1, &Change2, &Change3};
  for (int i = 0; i < 3; ++i) {
    const int y = textBottom + i * RowHeight();
    Editor(i).SetBounds(Gap(), y, r.right - 3 * Gap() - KeyButtonWidth(), ui::Scaled(24));
    buttons[i]->SetBounds(r.right - Gap() - KeyButtonWidth(), y - 1, KeyButtonWidth(), ui::Scaled(26));
  }
}

// --- start-up ----------------------------------------------------------------

void TPrivacyFrame::LoadHotKeys() {
  // The hotkeys as Main.ini holds them (defaults when missing).
  {
    TIniFile ini(Host().SettingsFolder() + kMainIniName);
    for (int i = 0; i < 3; ++i)
      Text(i).SetText(ini.ReadString(kHotKeysSection, kHotKeyIni[i].key, kHotKeyIni[i].defaultValue));
  }
  // Each text as a 16-bit shortcut value into its editor.
  for (int i = 0; i < 3; ++i) {
    const auto value = static_cast<std::uint16_t>(StrToInt(Text(i).Text()) & 0xFFFF);
    storedHotKey_[i] = value;
    Editor(i).SetValue(ShortCutToHotKeyControl(value));
  }
  // Register them; the editors equal the stored values, so nothing is
  // written back.
  Change1Click();
  Change2Click();
  Change3Click();
}

void TPrivacyFrame::LocateDesktopIconView() {
  // First child of the first child of ProgMan.
  HWND progman = ::FindWindowA("ProgMan", nullptr);
  desktopIconView_ = ::GetWindow(::GetWindow(progman, GW_CHILD), GW_CHILD);
}

void TPrivacyFrame::WindowShown() {
  shown_ = true;
  for (int n : std::exchange(hotKeysInUse_, {})) ReportHotKeyInUse(n);
}

// --- hotkeys -----------------------------------------------------------------

void TPrivacyFrame::Change1Click() { ApplyHotKey(1); }
void TPrivacyFrame::Change2Click() { ApplyHotKey(2); }
void TPrivacyFrame::Change3Click() { ApplyHotKey(3); }

void TPrivacyFrame::ReportHotKeyInUse(int n) {
  Host().FramePrompter().ShowMessage("The key combination for hotkey " + std::to_string(n) +
                                     " is in use by another program.");
}

void TPrivacyFrame::ApplyHotKey(int n) {
  const int i = n - 1;
  const std::uint16_t value = HotKeyControlToShortCut(Editor(i).Value());
  const HotKeyRegistration reg = ShortCutToHotKey(value);
  const HWND target = Host().HostHandle();
  // The combination registered before under this id is withdrawn first, so
  // only the new keys act.
  UniqueGlobalAtom id(::GlobalAddAtomA(kHotKeyAtoms[i]));
  if (hotKeyIds_[i]) ::UnregisterHotKey(target, hotKeyIds_[i].get());
  hotKeyIds_[i] = std::move(id);  // drops the earlier reference to the same atom
  if (!::RegisterHotKey(target, hotKeyIds_[i].get(), reg.modifiers, reg.vk)) {
    if (shown_) ReportHotKeyInUse(n);
    else hotKeysInUse_.push_back(n);
  }
  const std::uint16_t now = HotKeyControlToShortCut(Editor(i).Value());
  if (now == storedHotKey_[i]) return;
  storedHotKey_[i] = now;
  Text(i).SetText(UnsignedText(now));
  TIniFile ini(Host().SettingsFolder() + kMainIniName);
  ini.WriteString(kHotKeysSection, kHotKeyIni[i].key, Text(i).Text());
}

void TPrivacyFrame::ReleaseHotKeys() {
  for (UniqueGlobalAtom& id : hotKeyIds_) {
    if (!id) continue;  // released already: a second release must not touch others' atoms
    ::UnregisterHotKey(Host().HostHandle(), id.get());
    id.reset();
  }
}

void TPrivacyFrame::FormHotKey(WPARAM id) {
  if (id == 0) return;
  if (id == HotKeyId(1)) ::PostMessageA(::GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  if (id == HotKeyId(2)) {
    Host().ShowAll();
    CheckBox1.SetChecked(false);
  }
  if (id == HotKeyId(3)) {
    // Every window of ours goes first, the captured ones with the main
    // window, and nothing here waits on another program. Should the mute
    // then fail, its report waits until we are back.
    Host().HideAll();
    SetMasterMuteValue(0, CheckBox1.Checked());
  }
}

// --- switches ----------------------------------------------------------------

void TPrivacyFrame::CheckBox3Click() {
  ::ShowWindow(Taskbar(), CheckBox3.Checked() ? SW_HIDE : SW_SHOWNORMAL);
  // A hidden taskbar comes back if Nookvale ends abnormally.
  if (CheckBox3.Checked()) {
    if (!taskbarRestore_.Armed())
      taskbarRestore_ = ScopedEmergencyAction([] { ::ShowWindow(Taskbar(), SW_SHOWNORMAL); });
  } else {
    taskbarRestore_.Disarm();
  }
}

void TPrivacyFrame::CheckBox2Click() {
  ::ShowWindow(desktopIconView_, CheckBox2.Checked() ? SW_HIDE : SW_SHOW);
  if (CheckBox2.Checked()) {
    if (!iconsRestore_.Armed()) {
      HWND view = desktopIconView_;
      iconsRestore_ = ScopedEmergencyAction([view] { ::ShowWindow(view, SW_SHOW); });
    }
  } else {
    iconsRestore_.Disarm();
  }
}

void TPrivacyFrame::CheckBox1Click() { SetMasterMuteValue(0, CheckBox1.Checked()); }

void TPrivacyFrame::KeepSwitchesAsTheyAre() {
  taskbarRestore_.Disarm();
  iconsRestore_.Disarm();
}

void TPrivacyFrame::RestoreSwitches() {
  if (taskbarRestore_.Armed()) ::ShowWindow(Taskbar(), SW_SHOWNORMAL);
  if (iconsRestore_.Armed()) ::ShowWindow(desktopIconView_, SW_SHOW);
  KeepSwitchesAsTheyAre();
}

}  // namespace nv
