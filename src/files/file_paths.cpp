#include "files/file_paths.h"

#include <algorithm>
#include <utility>

#include "ui/text.h"

namespace nv {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string Slashes(std::string_view s) {
  std::string r(s);
  std::replace(r.begin(), r.end(), '/', '\\');
  return r;
}

// The parts of a path after its root, split at backslashes, empty ones left
// out.
std::vector<std::string> PartsAfter(const std::string& path, size_t from) {
  std::vector<std::string> parts;
  size_t pos = from;
  while (pos < path.size()) {
    size_t next = path.find('\\', pos);
    if (next == std::string::npos) next = path.size();
    if (next > pos) parts.push_back(path.substr(pos, next - pos));
    pos = next + 1;
  }
  return parts;
}

// Whether `inner` is `outer` or lies inside it (ASCII letters compared
// without regard to case).
bool SameOrInside(const std::string& inner, const std::string& outer) {
  if (AsciiEqualNoCase(inner, outer)) return true;
  const std::string withSlash = outer.back() == '\\' ? outer : outer + "\\";
  return inner.size() > withSlash.size() && AsciiEqualNoCase(inner.substr(0, withSlash.size()), withSlash);
}

const char* Verb(PathAction action) {
  switch (action) {
    case PathAction::Delete: return "deleted";
    case PathAction::Move: return "moved";
    case PathAction::Rename: return "renamed";
  }
  return "changed";
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

std::string WithoutLiteralPrefix(std::string_view path) {
  const std::string p = Slashes(path);
  if (p.size() >= 8 && AsciiEqualNoCase(p.substr(0, 8), "\\\\?\\UNC\\")) return "\\\\" + p.substr(8);
  if (p.size() >= 4 && (p.compare(0, 4, "\\\\?\\") == 0 || p.compare(0, 4, "\\\\.\\") == 0)) return p.substr(4);
  return p;
}

std::string NormalizeFullPath(std::string_view absolute) {
  std::string p = Slashes(absolute);
  const std::string root = RootOf(p);
  // "C:x" is relative to the drive's own current directory: not absolute.
  if (root.empty() || (p.size() > 2 && p[1] == ':' && p[2] != '\\')) return p;
  std::vector<std::string> kept;
  for (std::string& part : PartsAfter(p, root.size())) {
    if (part == ".") continue;
    if (part == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(std::move(part));
  }
  std::string r = root;
  for (size_t i = 0; i < kept.size(); ++i) r += (i ? "\\" : "") + kept[i];
  return r;
}

bool PlainFormAltersName(std::string_view fullPath) {
  const std::string p = WithoutLiteralPrefix(fullPath);
  for (const std::string& part : PartsAfter(p, RootOf(p).size()))
    if (part != "." && part != ".." && (part.back() == '.' || part.back() == ' ')) return true;
  return false;
}

std::optional<std::string> RefusalReason(std::string_view path, const ProtectedFolders& folders,
                                         PathAction action) {
  const std::string verb = Verb(action);
  std::string p = WithoutLiteralPrefix(path);
  if (p.find_first_not_of(' ') == std::string::npos) return "No path was given, so nothing was " + verb + ".";
  const std::string root = RootOf(p);
  bool single = !root.empty() && p.find_first_of("*?") == std::string::npos;
  if (single) {
    for (const std::string& part : PartsAfter(p, root.size()))
      if (part == "." || part == "..") single = false;
  }
  if (!single) return "The path " + std::string(path) + " does not name one single item, so nothing was " + verb + ".";
  if (IsRootPath(p)) {
    const bool drive = root.size() == 3 && root[1] == ':';
    return (drive ? "The drive root " : "The network share root ") + root + " cannot be " + verb + ".";
  }
  p = NormalizeDirectory(p);
  const std::pair<const std::string*, const char*> named[] = {
      {&folders.windows, "the Windows folder"},
      {&folders.profile, "the user profile folder"},
      {&folders.program, "the folder that holds Nookvale,"},
  };
  for (const auto& [folder, what] : named) {
    if (folder->empty()) continue;
    const std::string f = NormalizeDirectory(WithoutLiteralPrefix(*folder));
    std::string name = what;
    if (AsciiEqualNoCase(p, f)) {
      name[0] = 'T';
      // "The folder that holds Nookvale, C:\x, cannot ..." reads as one
      // sentence; the others need no comma.
      return name + " " + f + (name.back() == ',' ? ", " : " ") + "cannot be " + verb + ".";
    }
    if (SameOrInside(f, p)) return p + " cannot be " + verb + ": it holds " + name + " " + f + ".";
  }
  return std::nullopt;
}

std::string DeletionQuestion(std::string_view question, const std::vector<std::string>& paths, size_t shown) {
  std::string r(question);
  if (paths.empty()) return r;
  r += "\n";
  for (size_t i = 0; i < paths.size() && i < shown; ++i) r += "\n" + paths[i];
  if (paths.size() > shown) r += "\nand " + std::to_string(paths.size() - shown) + " more";
  return r;
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
