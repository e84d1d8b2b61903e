#include "ui/win32/startup_trace.h"

#include <windows.h>

#include <cstdio>

#include "ui/win32/win_text.h"

namespace nv {

namespace {

long long Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double MsSince(long long start) {
  LARGE_INTEGER f;
  ::QueryPerformanceFrequency(&f);
  return static_cast<double>(Now() - start) * 1000.0 / static_cast<double>(f.QuadPart);
}

// Milliseconds since the system created this process.
double MsSinceProcessCreated() {
  FILETIME created, exited, kernel, user, now;
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER a, b;
  a.LowPart = created.dwLowDateTime;
  a.HighPart = created.dwHighDateTime;
  b.LowPart = now.dwLowDateTime;
  b.HighPart = now.dwHighDateTime;
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

}  // namespace

StartupTrace& StartupTrace::Instance() {
  static StartupTrace trace;
  return trace;
}

StartupTrace::StartupTrace() {
  wchar_t path[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"NOOKVALE_STARTUP_TRACE", path, MAX_PATH) > 0) {
    path_ = Narrow(path);
    Add("process", MsSinceProcessCreated());
  }
}

StartupTrace::Phase::Phase(const char* name) : name_(name), start_(Instance().Enabled() ? Now() : 0) {}

StartupTrace::Phase::~Phase() {
  if (Instance().Enabled()) Instance().Add(name_, MsSince(start_));
}

void StartupTrace::Add(const char* name, double ms) {
  if (!Enabled() || written_) return;
  for (auto& [phase, total] : phases_) {
    if (phase == name) {
      total += ms;
      return;
    }
  }
  phases_.emplace_back(name, ms);
}

void StartupTrace::MarkSinceStart(const char* name) { Add(name, MsSinceProcessCreated()); }

void StartupTrace::WriteOnce() {
  if (!Enabled() || written_) return;
  written_ = true;
  FILE* f = _wfopen(Widen(path_).c_str(), L"w");
  if (!f) return;
  for (const auto& [phase, ms] : phases_) std::fprintf(f, "%s %.1f\n", phase.c_str(), ms);
  std::fclose(f);
}

}  // namespace nv
