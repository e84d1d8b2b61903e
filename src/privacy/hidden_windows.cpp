#include "privacy/hidden_windows.h"

#include <algorithm>

namespace nv {

std::vector<std::uintptr_t> WindowsToHide(const std::vector<std::uintptr_t>& alreadyHidden,
                                          const std::vector<OwnWindow>& topToBottom) {
  std::vector<std::uintptr_t> hide;
  for (const OwnWindow& w : topToBottom)
    if (w.visible && std::find(alreadyHidden.begin(), alreadyHidden.end(), w.id) == alreadyHidden.end())
      hide.push_back(w.id);
  // Windows on screen now lie above those hidden before.
  hide.insert(hide.end(), alreadyHidden.begin(), alreadyHidden.end());
  return hide;
}

std::vector<std::uintptr_t> ShowOrder(const std::vector<std::uintptr_t>& hiddenTopToBottom) {
  return std::vector<std::uintptr_t>(hiddenTopToBottom.rbegin(), hiddenTopToBottom.rend());
}

}  // namespace nv
