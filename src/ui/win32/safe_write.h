// Writing a file so that a failed write never costs the file it replaces.
//
// The new content goes to a temporary file in the target's folder (so the
// final step is a rename on one volume), is flushed to the disk, and only
// then takes the target's place with MoveFileExW (replace existing, write
// through). On any failure the target is left exactly as it was and the
// temporary file is removed. A read-only target is refused: the user marked
// it as not to be overwritten.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace nv {

// Paths are UTF-8.
bool WriteFileSafely(const std::string& path, std::string_view bytes);

// For writers that produce a file themselves: `write` is given the
// temporary file's path and answers whether it wrote it completely.
bool ReplaceFileWith(const std::string& path, const std::function<bool(const std::string& tempPath)>& write);

}  // namespace nv
