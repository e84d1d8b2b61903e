// Whole-file reading and safe replacing for the engine's readers and writers.
//
// Paths are UTF-8. None of these throw: an unreadable or unwritable file is
// an answer (nothing / false), since the notebook reports a failed load or
// save with its own message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nv {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Up to `limit` bytes from the start of the file, and the file's size;
// nothing when it cannot be opened or read.
struct FileHead {
  std::string bytes;
  std::uint64_t size = 0;
};
std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t limit);

// Writes `bytes` to a temporary file beside `path` and then puts it in
// place of `path` in one step, so the previous file stays intact unless the
// new one was written completely. False (and no temporary file left) on any
// failure.
bool WriteFileReplacing(const std::string& path, std::string_view bytes);

}  // namespace nv
