#include "richview/rvf_files.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "ui/paths.h"

namespace nv {

namespace fs = std::filesystem;

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::error_code ec;
  const fs::path p = PathFromUtf8(path);
  if (!fs::is_regular_file(p, ec)) return std::nullopt;
  std::ifstream in(p, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t limit) {
  std::error_code ec;
  const fs::path p = PathFromUtf8(path);
  if (!fs::is_regular_file(p, ec)) return std::nullopt;
  const std::uintmax_t size = fs::file_size(p, ec);
  if (ec) return std::nullopt;
  std::ifstream in(p, std::ios::binary);
  if (!in) return std::nullopt;
  FileHead head;
  head.size = size;
  const std::size_t want = size < limit ? static_cast<std::size_t>(size) : limit;
  head.bytes.resize(want);
  in.read(head.bytes.data(), static_cast<std::streamsize>(want));
  if (static_cast<std::size_t>(in.gcount()) != want) return std::nullopt;
  return head;
}

namespace {

// A name beside the target that no other save of this process uses; the
// clock part keeps two processes apart well enough for a desktop program.
fs::path TemporaryBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
  std::string suffix = ".";
  suffix += std::to_string(tick);
  suffix += '-';
  suffix += std::to_string(counter++);
  suffix += ".tmp";
  fs::path tmp = target;
  tmp += PathFromUtf8(suffix);
  return tmp;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view bytes) {
  const fs::path target = PathFromUtf8(path);
  std::error_code ec;
  if (fs::is_directory(target, ec)) return false;
  const fs::path tmp = TemporaryBeside(target);
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (out) {
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.close();
    }
    if (!out) {
      fs::remove(tmp, ec);
      return false;
    }
  }
  fs::rename(tmp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(tmp, ignored);
    return false;
  }
  return true;
}

}  // namespace nv
