// What the program changed outside itself and must put back however it
// ends: the captured windows, a switched display mode, a hidden taskbar or
// hidden desktop icons. Each is registered while it is in effect; a crash
// (the unhandled-exception filter), std::terminate (an exception with no
// handler, which skips the filter) and the end of the Windows session run
// every registered action, newest first. A normal exit withdraws the ones
// it does not want run.
#pragma once

#include <functional>

namespace nv {

class EmergencyRestore {
 public:
  using Id = unsigned;
  // Registers an action; answers the id to withdraw it with.
  static Id Add(std::function<void()> action);
  static void Remove(Id id);
  // Runs and forgets every registered action. Never throws; an action that
  // throws does not keep the others from running.
  static void RunAll() noexcept;
  // Installs the crash filter and the terminate handler (once).
  static void Install();
  static int Count();
};

// Keeps one action registered for its lifetime (or until Disarm).
class ScopedEmergencyAction {
 public:
  ScopedEmergencyAction() = default;
  explicit ScopedEmergencyAction(std::function<void()> action) : id_(EmergencyRestore::Add(std::move(action))) {}
  ~ScopedEmergencyAction() { Disarm(); }
  ScopedEmergencyAction(ScopedEmergencyAction&& o) noexcept : id_(o.id_) { o.id_ = 0; }
  ScopedEmergencyAction& operator=(ScopedEmergencyAction&& o) noexcept {
    if (this != &o) {
      Disarm();
      id_ = o.id_;
      o.id_ = 0;
    }
    return *this;
  }
  bool Armed() const { return id_ != 0; }
  void Disarm() {
    if (id_) EmergencyRestore::Remove(id_);
    id_ = 0;
  }

 private:
  EmergencyRestore::Id id_ = 0;
};

}  // namespace nv
