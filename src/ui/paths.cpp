#include "ui/paths.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "ui/errors.h"

namespace nv {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

bool FileExists(std::string_view utf8) {
  std::error_code ec;
  return std::filesystem::is_regular_file(PathFromUtf8(utf8), ec);
}

std::string ReadWholeFile(std::string_view utf8) {
  std::ifstream in(PathFromUtf8(utf8), std::ios::binary);
  if (!in) throw Exception(Format("Cannot open file \"%s\".", std::string(utf8).c_str()));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace nv
