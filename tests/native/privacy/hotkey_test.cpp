#include "privacy/hotkey.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(ShortCut, SplitsIntoKeyAndModifiers) {
  EXPECT_EQ(ShortCutToHotKey(0x4053), (HotKeyRegistration{0x53, kModControl}));          // Ctrl+S
  EXPECT_EQ(ShortCutToHotKey(0xC04F), (HotKeyRegistration{0x4F, kModControl | kModAlt}));  // Ctrl+Alt+O
  EXPECT_EQ(ShortCutToHotKey(0xC048), (HotKeyRegistration{0x48, 3}));                      // Ctrl+Alt+H
  EXPECT_EQ(ShortCutToHotKey(0x2041), (HotKeyRegistration{0x41, kModShift}));
  // Bits 0-12 are the key, whatever an INI file put there.
  EXPECT_EQ(ShortCutToHotKey(0x1FFF).vk, 0x1FFF);
  EXPECT_EQ(ShortCutToHotKey(0x1FFF).modifiers, 0u);
}

TEST(ShortCut, HotKeyControlValues) {
  // J typed alone into hotkey 3's editor comes out with the editor's default
  // Ctrl+Alt: the control reports 'J' with HOTKEYF_CONTROL | HOTKEYF_ALT.
  const std::uint16_t control = static_cast<std::uint16_t>(((kHotKeyFControl | kHotKeyFAlt) << 8) | 'J');
  EXPECT_EQ(HotKeyControlToShortCut(control), 49226);
  EXPECT_EQ(HotKeyControlToShortCut(static_cast<std::uint16_t>((kHotKeyFShift | kHotKeyFExt) << 8 | 0x70)), 0x2070);
  for (unsigned flags = 0; flags < 8; ++flags)
    for (unsigned vk = 0; vk < 256; ++vk) {
      const auto c = static_cast<std::uint16_t>(flags << 8 | vk);
      EXPECT_EQ(ShortCutToHotKeyControl(HotKeyControlToShortCut(c)), c);
    }
  EXPECT_EQ(ShortCutToHotKeyControl(16467), (kHotKeyFControl << 8) | 0x53);
}

}  // namespace
}  // namespace nv
