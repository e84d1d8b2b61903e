// When the notebook's unsaved text goes to its recovery file.
//
// A crash or a forced end of the program must cost at most a few seconds
// of typing, yet writing on every keystroke would make typing wait for the
// disk. So the text is written once typing pauses, and while typing goes
// on without a pause, at least every half minute.
#pragma once

#include <cstdint>
#include <string>

namespace nv {

struct AutosaveTiming {
  std::uint64_t pauseMs = 3000;         // quiet time after the last change
  std::uint64_t longestWaitMs = 30000;  // the oldest unwritten change waits no longer
};

class AutosaveSchedule {
 public:
  explicit AutosaveSchedule(AutosaveTiming timing = {}) : timing_(timing) {}

  // The document changed at this time (a monotonic clock in milliseconds).
  void Changed(std::uint64_t nowMs);
  // Changes wait to be written.
  bool Pending() const { return pending_; }
  // The pending changes should be written now.
  bool Due(std::uint64_t nowMs) const;
  // What was pending is written, or no longer needs to be (saved, discarded).
  void Done() { pending_ = false; }

  const AutosaveTiming& Timing() const { return timing_; }
  void SetTiming(AutosaveTiming t) { timing_ = t; }

 private:
  AutosaveTiming timing_;
  bool pending_ = false;
  std::uint64_t firstChange_ = 0;
  std::uint64_t lastChange_ = 0;
};

// The name an unreadable recovery file is moved to, so that it is kept for
// the user (or for a later version that can read it) and a new one can be
// written: "<path>.unreadable-YYYYMMDD-HHMMSS".
std::string KeptAsideName(const std::string& recoveryPath, int year, int month, int day, int hour, int minute,
                          int second);

}  // namespace nv
