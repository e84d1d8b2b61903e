#include "files/file_paths.h"

#include <algorithm>

#include "ui/text.h"

namespace nv {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string Slashes(std::string_view s) {
  std::string r(s);
  std::replace(r.begin(), r.end(), '/', '\\');
  return r;
}

}  // namespace

std::string RootOf(std::string_view path) {
  const std::string p = Slashes(path);
  if (p.size() >= 3 && IsLetter(p[0]) && p[1] == ':' && p[2] == '\\') return p.substr(0, 3);
  if (p.size() >= 2 && IsLetter(p[0]) && p[1] == ':' && p.size() == 2) return p + "\\";
  if (p.size() > 2 && p[0] == '\\' && p[1] == '\\') {
    const size_t server = p.find('\\', 2);
    if (server == std::string::npos || server == 2) return {};
    const size_t share = p.find('\\', server + 1);
    if (share == server + 1) return {};
    if (share == std::string::npos) return p + "\\";
    return p.substr(0, share + 1);
  }
  return {};
}

bool IsRootPath(std::string_view path) {
  const std::string root = RootOf(path);
  if (root.empty()) return false;
  std::string p = Slashes(path);
  while (p.size() > root.size() && p.back() == '\\') p.pop_back();
  return AsciiEqualNoCase(p, root) || AsciiEqualNoCase(p + "\\", root);
}

std::string NormalizeDirectory(std::string_view dir) {
  std::string p = Slashes(dir);
  const std::string root = RootOf(p);
  const size_t keep = root.empty() ? 1 : root.size();
  while (p.size() > keep && p.back() == '\\') p.pop_back();
  if (!root.empty() && p.size() < root.size()) p = root;
  return p;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string r(dir);
  if (r.empty() || r.back() != '\\') r += '\\';
  r += name;
  return r;
}

std::string ParentWithBackslash(std::string_view path) {
  const size_t slash = path.find_last_of('\\');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

std::string ResolveAgainst(std::string_view dir, std::string_view name) {
  if (name.empty()) return {};
  const std::string n = Slashes(name);
  if (!RootOf(n).empty()) return n;
  if (n.size() >= 4 && n.compare(0, 4, "\\\\?\\") == 0) return n;
  // "C:name" means the drive's current directory; only that drive's own
  // directory is known here, so a different drive keeps the text.
  if (n.size() >= 2 && IsLetter(n[0]) && n[1] == ':') {
    const std::string root = RootOf(dir);
    if (!root.empty() && AsciiEqualNoCase(root.substr(0, 2), n.substr(0, 2))) return JoinPath(dir, n.substr(2));
    return n;
  }
  if (n[0] == '\\') {
    std::string root = RootOf(dir);
    if (root.empty()) return n;
    root.pop_back();
    return root + n;
  }
  return JoinPath(dir, n);
}

std::string FileTargetPath(std::string_view typedDir, std::string_view name) {
  std::string r(typedDir);
  // A typed "D:\dest\" must not give "D:\dest\\name".
  if (r.empty() || r.back() != '\\') r += '\\';
  return r + std::string(name);
}

void SortNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string la = AsciiLower(a), lb = AsciiLower(b);
    return la != lb ? la < lb : a < b;
  });
}

std::vector<DirEntry> BuildDirectoryEntries(std::string_view directory, std::vector<std::string> subdirs) {
  std::vector<DirEntry> entries;
  const std::string dir = NormalizeDirectory(directory);
  const std::string root = RootOf(dir);
  if (root.empty()) return entries;
  entries.push_back({root, root, 0, IsRootPath(dir) ? DirEntry::Open : DirEntry::Root});
  if (entries[0].kind == DirEntry::Open) entries[0].kind = DirEntry::Root;
  // Each directory on the way down, the open one last.
  std::string path = root;
  size_t pos = root.size();
  int level = 1;
  while (pos < dir.size()) {
    size_t next = dir.find('\\', pos);
    if (next == std::string::npos) next = dir.size();
    const std::string part = dir.substr(pos, next - pos);
    if (!part.empty()) {
      path = JoinPath(path, part);
      entries.push_back({part, path, level++, next >= dir.size() ? DirEntry::Open : DirEntry::Ancestor});
    }
    pos = next + 1;
  }
  SortNames(subdirs);
  for (const std::string& s : subdirs) entries.push_back({s, JoinPath(dir, s), level, DirEntry::Sub});
  return entries;
}

std::vector<int> TickedFromLast(const std::vector<bool>& checked) {
  std::vector<int> r;
  for (int i = static_cast<int>(checked.size()) - 1; i >= 0; --i)
    if (checked[static_cast<size_t>(i)]) r.push_back(i);
  return r;
}

std::optional<std::u16string> OneEntryList(std::u16string_view name) {
  if (name.empty() || name.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  std::u16string r(name);
  r.push_back(u'\0');
  r.push_back(u'\0');
  return r;
}

}  // namespace nv
