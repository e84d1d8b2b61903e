// What the benchmarks share for timing and checking their runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace nv::bench {

using Clock = std::chrono::steady_clock;

// The best of `runs` runs of f, in seconds.
template <class F>
double Best(int runs, F f) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

// A benchmark that measured the wrong thing stops with a message.
inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::exit(1);
  }
}

}  // namespace nv::bench
