// UTF-8 paths for std::filesystem. On Windows a narrow path would be taken
// in the ANSI code page, so every conversion goes through char8_t.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace nv {

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& p);
bool FileExists(std::string_view utf8);

// Reads a whole file; throws nv::Exception with the path on failure.
std::string ReadWholeFile(std::string_view utf8);

}  // namespace nv
