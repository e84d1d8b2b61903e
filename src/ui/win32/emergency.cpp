#include "ui/win32/emergency.h"

#include <windows.h>

#include <cstdlib>
#include <exception>
#include <utility>
#include <vector>

namespace nv {

namespace {

struct Entry {
  EmergencyRestore::Id id;
  std::function<void()> action;
};

// Everything runs on the GUI thread, except a crash or terminate on another
// thread; the lock keeps that case from seeing a half-changed list.
CRITICAL_SECTION& Lock() {
  static CRITICAL_SECTION cs = [] {
    CRITICAL_SECTION c;
    ::InitializeCriticalSection(&c);
    return c;
  }();
  return cs;
}

struct Locked {
  Locked() { ::EnterCriticalSection(&Lock()); }
  ~Locked() { ::LeaveCriticalSection(&Lock()); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

std::vector<Entry>& Entries() {
  static std::vector<Entry> e;
  return e;
}

EmergencyRestore::Id g_next = 1;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;
bool g_installed = false;

LONG WINAPI RestoreOnCrash(EXCEPTION_POINTERS* info) {
  EmergencyRestore::RunAll();
  return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void RestoreOnTerminate() {
  EmergencyRestore::RunAll();
  if (g_previousTerminate) g_previousTerminate();
  std::abort();
}

}  // namespace

EmergencyRestore::Id EmergencyRestore::Add(std::function<void()> action) {
  Locked l;
  const Id id = g_next++;
  Entries().push_back({id, std::move(action)});
  return id;
}

void EmergencyRestore::Remove(Id id) {
  Locked l;
  auto& e = Entries();
  for (auto it = e.begin(); it != e.end(); ++it) {
    if (it->id == id) {
      e.erase(it);
      return;
    }
  }
}

int EmergencyRestore::Count() {
  Locked l;
  return static_cast<int>(Entries().size());
}

void EmergencyRestore::RunAll() noexcept {
  std::vector<Entry> run;
  {
    Locked l;
    run.swap(Entries());
  }
  for (auto it = run.rbegin(); it != run.rend(); ++it) {
    try {
      it->action();
    } catch (...) {
      // Put back what can be put back; one failure must not stop the rest.
    }
  }
}

void EmergencyRestore::Install() {
  if (g_installed) return;
  g_installed = true;
  LPTOP_LEVEL_EXCEPTION_FILTER prev = ::SetUnhandledExceptionFilter(RestoreOnCrash);
  if (prev != RestoreOnCrash) g_previousFilter = prev;
  g_previousTerminate = std::set_terminate(RestoreOnTerminate);
}

}  // namespace nv
