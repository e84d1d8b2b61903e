// The 16-bit shortcut value the hotkey editors, Main.ini and the stored
// hotkeys use: bits 0-12 virtual key, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
#pragma once

#include <cstdint>

namespace nv {

// RegisterHotKey's modifier flags (MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4).
inline constexpr std::uint32_t kModAlt = 1, kModControl = 2, kModShift = 4;
// The hotkey control's modifier flags (HOTKEYF_SHIFT 1, _CONTROL 2, _ALT 4, _EXT 8).
inline constexpr std::uint8_t kHotKeyFShift = 1, kHotKeyFControl = 2, kHotKeyFAlt = 4, kHotKeyFExt = 8;

struct HotKeyRegistration {
  std::uint16_t vk;
  std::uint32_t modifiers;
  bool operator==(const HotKeyRegistration&) const = default;
};

// Splits a shortcut value into the key and modifiers RegisterHotKey takes.
HotKeyRegistration ShortCutToHotKey(std::uint16_t shortcut);

// The hotkey control's value (key in the low byte, HOTKEYF flags in the
// high byte) as a shortcut value; the extended-key flag is dropped.
std::uint16_t HotKeyControlToShortCut(std::uint16_t controlValue);
// And back, for setting an editor from a stored value.
std::uint16_t ShortCutToHotKeyControl(std::uint16_t shortcut);

}  // namespace nv
