// The three global hotkeys (screen saver, bring back, hide) and the
// taskbar, desktop-icon and mute switches of the toolbar.
#include <windows.h>
#include <commctrl.h>

#include "app/win32/main_form.h"
#include "privacy/hotkey.h"
#include "privacy/win32/mixer.h"
#include "settings/main_ini.h"
#include "settings/win32/ini_file.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/application.h"

namespace nv {

namespace {

constexpr const char* kHotKeyAtoms[3] = {"MyHotKey_1", "MyHotKey_2", "MyHotKey_3"};

}  // namespace

void TfrmMain::WirePrivacy() {
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

void TfrmMain::Change1Click() { ApplyHotKey(1); }
void TfrmMain::Change2Click() { ApplyHotKey(2); }
void TfrmMain::Change3Click() { ApplyHotKey(3); }

void TfrmMain::ReportHotKeyInUse(int n) {
  Application().prompter().ShowMessage("The key combination for hotkey " + std::to_string(n) +
                                       " is in use by another program.");
}

void TfrmMain::ApplyHotKey(int n) {
  THotKey* editors[] = {&HotKey1, &HotKey2, &HotKey3};
  TEdit* edits[] = {&edHotKey1, &edHotKey2, &edHotKey3};
  const int i = n - 1;
  const std::uint16_t value = HotKeyControlToShortCut(editors[i]->Value());
  const HotKeyRegistration reg = ShortCutToHotKey(value);
  // The combination registered before under this id is withdrawn first, so
  // only the new keys act.
  const ATOM id = ::GlobalAddAtomA(kHotKeyAtoms[i]);
  if (hotKeyIds_[i]) {
    ::UnregisterHotKey(Handle(), hotKeyIds_[i]);
    ::GlobalDeleteAtom(hotKeyIds_[i]);
  }
  hotKeyIds_[i] = id;
  if (!::RegisterHotKey(Handle(), id, reg.modifiers, reg.vk)) {
    if (shown_) ReportHotKeyInUse(n);
    else hotKeysInUse_.push_back(n);
  }
  const std::uint16_t now = HotKeyControlToShortCut(editors[i]->Value());
  if (now == storedHotKey_[i]) return;
  storedHotKey_[i] = now;
  edits[i]->SetText(UnsignedText(now));
  TIniFile ini(SettingsPath(kMainIniName));
  ini.WriteString(kHotKeysSection, kHotKeyIni[i].key, edits[i]->Text());
}

void TfrmMain::ReleaseHotKeys() {
  for (ATOM& id : hotKeyIds_) {
    if (!id) continue;  // released already: a second release must not touch others' atoms
    ::UnregisterHotKey(Handle(), id);
    ::GlobalDeleteAtom(id);
    id = 0;
  }
}

void TfrmMain::FormHotKey(WPARAM id) {
  if (id == hotKeyIds_[0] && id != 0) {
    ::PostMessageA(::GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  }
  if (id == hotKeyIds_[1] && id != 0) {
    ::ShowWindow(Handle(), SW_SHOW);
    ::ShowWindowAsync(Handle(), SW_SHOW);
    CheckBox1.SetChecked(false);
  }
  if (id == hotKeyIds_[2] && id != 0) {
    // Our own window only: hiding it hides every captured window with it,
    // and nothing here waits on another program.
    ::ShowWindow(Handle(), SW_HIDE);
    ::ShowWindowAsync(Handle(), SW_HIDE);
    SetMasterMuteValue(0, CheckBox1.Checked());
  }
}

void TfrmMain::CheckBox3Click() {
  HWND tray = ::FindWindowA("shell_traywnd", nullptr);
  ::ShowWindow(tray, CheckBox3.Checked() ? SW_HIDE : SW_SHOWNORMAL);
}

void TfrmMain::CheckBox2Click() { ::ShowWindow(desktopIconView_, CheckBox2.Checked() ? SW_HIDE : SW_SHOW); }

void TfrmMain::CheckBox1Click() { SetMasterMuteValue(0, CheckBox1.Checked()); }

}  // namespace nv
