// Names and texts the file utilities take from outside: directory paths and
// the names listed in them, typed targets, the locale's short date picture
// and packed DOS date-times read from files. Every input gives a result that
// keeps the invariants the commands rely on, and nothing reads past its text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "files/dos_time.h"
#include "files/file_paths.h"

namespace {

std::vector<std::string> Lines(std::string_view s) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.find('\n', start);
    if (end == std::string_view::npos) end = s.size();
    std::string line(s.substr(start, end - start));
    // Listed names never hold a separator.
    if (!line.empty() && line.find('\\') == std::string::npos && line.find('/') == std::string::npos)
      out.push_back(line);
    start = end + 1;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const std::uint32_t packed = static_cast<std::uint32_t>(data[1]) | (static_cast<std::uint32_t>(data[2]) << 8) |
                               (static_cast<std::uint32_t>(data[3]) << 16) |
                               (static_cast<std::uint32_t>(data[4]) << 24);
  const std::string_view text(reinterpret_cast<const char*>(data + 5), size - 5);

  // DOS date-times: what decodes packs back to the same value.
  if (auto t = nv::DecodeDosDateTime(packed)) {
    auto back = nv::EncodeDosDateTime(*t);
    if (!back || *back != packed) std::abort();
    const std::string shown = nv::FormatDatePicture(text, *t);
    if (shown.size() > text.size() * 16 + 16) std::abort();
  }

  const size_t cut = text.find('\n');
  const std::string_view head = text.substr(0, cut);
  const std::string_view rest = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
  switch (data[0] % 3) {
    case 0: {
      const auto entries = nv::BuildDirectoryEntries(head, Lines(rest));
      if (entries.empty()) break;
      const std::string root = nv::RootOf(head);
      for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].path.compare(0, root.size(), root) != 0) std::abort();
        if (i > 0 && entries[i].level < 1) std::abort();
      }
      break;
    }
    case 1: {
      const std::string r = nv::ResolveAgainst(nv::NormalizeDirectory(head), rest);
      if (rest.empty() != r.empty()) std::abort();
      (void)nv::FileTargetPath(head, rest);
      (void)nv::ParentWithBackslash(r);
      break;
    }
    default: {
      std::u16string wide(head.begin(), head.end());
      if (auto list = nv::OneEntryList(wide)) {
        if (list->size() != wide.size() + 2 || list->back() != u'\0') std::abort();
      }
      (void)nv::IsRootPath(head);
      break;
    }
  }
  return 0;
}
