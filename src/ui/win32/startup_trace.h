// Where start-up spends its time. With NOOKVALE_STARTUP_TRACE naming a
// file, each phase's milliseconds are written to it as "phase ms" lines once
// start-up is over; without it nothing is kept or written.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace nv {

class StartupTrace {
 public:
  static StartupTrace& Instance();

  // Times the phase from construction to destruction.
  class Phase {
   public:
    explicit Phase(const char* name);
    ~Phase();
    Phase(const Phase&) = delete;
    Phase& operator=(const Phase&) = delete;

   private:
    const char* name_;
    long long start_;
  };

  bool Enabled() const { return !path_.empty(); }
  void Add(const char* name, double ms);
  // Adds the time since the process was created, under this name.
  void MarkSinceStart(const char* name);
  // Writes the phases, once.
  void WriteOnce();

 private:
  StartupTrace();
  std::string path_;
  std::vector<std::pair<std::string, double>> phases_;
  bool written_ = false;
};

}  // namespace nv
