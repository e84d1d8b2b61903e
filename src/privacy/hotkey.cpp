#include "privacy/hotkey.h"

namespace nv {

HotKeyRegistration ShortCutToHotKey(std::uint16_t shortcut) {
  HotKeyRegistration r{static_cast<std::uint16_t>(shortcut & 0x1FFF), 0};
  if (shortcut & 0x2000) r.modifiers |= kModShift;
  if (shortcut & 0x8000) r.modifiers |= kModAlt;
  if (shortcut & 0x4000) r.modifiers |= kModControl;
  return r;
}

std::uint16_t HotKeyControlToShortCut(std::uint16_t controlValue) {
  const unsigned flags = controlValue >> 8;
  unsigned s = controlValue & 0xFF;
  if (flags & kHotKeyFShift) s |= 0x2000;
  if (flags & kHotKeyFControl) s |= 0x4000;
  if (flags & kHotKeyFAlt) s |= 0x8000;
  return static_cast<std::uint16_t>(s);
}

std::uint16_t ShortCutToHotKeyControl(std::uint16_t shortcut) {
  unsigned flags = 0;
  if (shortcut & 0x2000) flags |= kHotKeyFShift;
  if (shortcut & 0x4000) flags |= kHotKeyFControl;
  if (shortcut & 0x8000) flags |= kHotKeyFAlt;
  return static_cast<std::uint16_t>((flags << 8) | (shortcut & 0xFF));
}

}  // namespace nv
