#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>

#include "ui/paths.h"

namespace nv {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    const auto name = "nvtest-" + std::to_string(rd()) + "-" + std::to_string(counter++);
    const auto p = base / name;
    std::error_code ec;
    if (std::filesystem::create_directory(p, ec)) {
      path_ = PathToUtf8(p);
      break;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(PathFromUtf8(path_), ec);
}

std::string TempDir::File(const std::string& name) const {
  return PathToUtf8(PathFromUtf8(path_) / PathFromUtf8(name));
}

}  // namespace nv
