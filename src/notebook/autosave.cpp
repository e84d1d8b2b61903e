#include "notebook/autosave.h"

#include <cstdio>

namespace nv {

void AutosaveSchedule::Changed(std::uint64_t nowMs) {
  if (!pending_) firstChange_ = nowMs;
  pending_ = true;
  lastChange_ = nowMs;
}

bool AutosaveSchedule::Due(std::uint64_t nowMs) const {
  if (!pending_) return false;
  // A clock that went backwards counts as no time passed.
  const std::uint64_t quiet = nowMs >= lastChange_ ? nowMs - lastChange_ : 0;
  const std::uint64_t waited = nowMs >= firstChange_ ? nowMs - firstChange_ : 0;
  return quiet >= timing_.pauseMs || waited >= timing_.longestWaitMs;
}

std::string KeptAsideName(const std::string& recoveryPath, int year, int month, int day, int hour, int minute,
                          int second) {
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, ".unreadable-%04d%02d%02d-%02d%02d%02d", year, month, day, hour, minute, second);
  return recoveryPath + stamp;
}

}  // namespace nv
