// Main.ini: the three global hotkeys, beside the executable.
#pragma once

namespace nv {

inline constexpr const char* kMainIniName = "Main.ini";
inline constexpr const char* kHotKeysSection = "HotKeys";

struct HotKeyIniEntry {
  const char* key;
  const char* defaultValue;  // decimal shortcut value
};

// Hotkey 1 Ctrl+S (screen saver), 2 Ctrl+Alt+O (bring back), 3 Ctrl+Alt+H (hide).
inline constexpr HotKeyIniEntry kHotKeyIni[3] = {{"Key1", "16467"}, {"Key2", "49231"}, {"Key3", "49224"}};

inline constexpr const char* kSettingsDatabaseName = "Nookvale.mdb";

}  // namespace nv
