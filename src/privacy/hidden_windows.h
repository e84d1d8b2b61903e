// Which of the program's own windows the hide hotkey takes away, and in what
// order the bring-back hotkey shows them again.
//
// Hiding must take every window of ours that is on screen (message boxes,
// input boxes, the common dialogs, About), not only the main window; and
// bringing back must give exactly those back, stacked as they were.
#pragma once

#include <cstdint>
#include <vector>

namespace nv {

struct OwnWindow {
  std::uintptr_t id = 0;
  bool visible = false;
};

// The windows to hide, from the top of the stacking order down: the visible
// ones, after those an earlier hide still holds (a second hide must not
// forget what the first took away).
std::vector<std::uintptr_t> WindowsToHide(const std::vector<std::uintptr_t>& alreadyHidden,
                                          const std::vector<OwnWindow>& topToBottom);

// The order to show hidden windows in: the bottom one first, so that each
// window shown lands above the one before and the stacking comes back.
std::vector<std::uintptr_t> ShowOrder(const std::vector<std::uintptr_t>& hiddenTopToBottom);

}  // namespace nv
