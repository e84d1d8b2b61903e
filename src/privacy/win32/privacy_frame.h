// The privacy controls: the hotkey editors of the Utilities tab with their
// "Key" buttons, the three global hotkeys they register (screen saver,
// bring back, hide), and the taskbar, mute and desktop-icon switches of the
// toolbar.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/win32/containers.h"
#include "ui/win32/emergency.h"
#include "ui/win32/frame.h"
#include "ui/win32/std_controls.h"
#include "ui/win32/unique_handle.h"

namespace nv {

class TPrivacyFrame : public TFrame {
 public:
  // --- components, in the order of the window layout ---
  TCaptionPanel GroupBox1;
  THotKey HotKey1, HotKey2, HotKey3;
  TGlowButton Change1, Change2, Change3;
  TCheckBox CheckBox3, CheckBox1, CheckBox2;  // on the host's toolbar
  TEdit edHotKey1, edHotKey2, edHotKey3;      // hidden: the texts Main.ini holds

  // --- handlers ---
  void Change1Click();
  void Change2Click();
  void Change3Click();
  void FormHotKey(WPARAM id);  // WM_HOTKEY
  void CheckBox1Click();
  void CheckBox2Click();
  void CheckBox3Click();

  // Start-up: the hotkeys as Main.ini holds them, into the editors, then
  // registered. Raises what the INI file raises.
  void LoadHotKeys();
  // Start-up: finds the desktop's icon view.
  void LocateDesktopIconView();
  // The window is on screen: hotkeys found in use before are reported now.
  void WindowShown();
  void ReleaseHotKeys();
  // A normal exit leaves the taskbar and the desktop icons as the user set
  // them; only an abnormal end puts them back.
  void KeepSwitchesAsTheyAre();
  // Shows the taskbar and the desktop icons again if this frame hid them.
  void RestoreSwitches();

  // The id hotkey 1..3 is registered under (its global atom), 0 before.
  ATOM HotKeyId(int n) const { return hotKeyIds_[n - 1].get(); }
  // Shortcut value last taken over for hotkey 1..3.
  std::uint16_t StoredHotKey(int n) const { return storedHotKey_[n - 1]; }
  HWND DesktopIconView() const { return desktopIconView_; }
  // Height the frame needs at its width.
  int PreferredHeight();

 protected:
  void CreateComponents() override;
  void LayoutComponents() override;

 private:
  void ApplyHotKey(int n);
  void ReportHotKeyInUse(int n);
  THotKey& Editor(int i);
  TEdit& Text(int i);

  HWND desktopIconView_ = nullptr;
  std::uint16_t storedHotKey_[3] = {0, 0, 0};
  UniqueGlobalAtom hotKeyIds_[3];
  bool shown_ = false;
  std::vector<int> hotKeysInUse_;  // failures found before the window showed
  ScopedEmergencyAction taskbarRestore_, iconsRestore_;
};

}  // namespace nv
