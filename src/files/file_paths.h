// Path text of the file utilities: the entries of the directory tree list,
// the full path of a listed name, the targets the file and directory
// commands build from typed text, and the shell's double-NUL name lists.
// Paths use backslashes; a drive root keeps its backslash ("C:\"), every
// other directory has none at its end.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

// The root of an absolute path: "C:\" for a drive path, "\\server\share\"
// for a network path; empty for anything else.
std::string RootOf(std::string_view path);
bool IsRootPath(std::string_view path);

// Forward slashes become backslashes, trailing backslashes go (except the
// root's own).
std::string NormalizeDirectory(std::string_view dir);

// dir, one backslash, name (no second backslash after a root).
std::string JoinPath(std::string_view dir, std::string_view name);

// Everything of path up to and including its last backslash.
std::string ParentWithBackslash(std::string_view path);

// A typed or listed name as the directory list's directory sees it: an
// absolute path stays, "\x" is taken on dir's drive, anything else is
// relative to dir. Empty text stays empty.
std::string ResolveAgainst(std::string_view dir, std::string_view name);

// The target of Move File and Copy File: the typed directory, one
// backslash, the file's own name.
std::string FileTargetPath(std::string_view typedDir, std::string_view name);

// One entry of the directory tree list.
struct DirEntry {
  enum Kind { Root, Ancestor, Open, Sub };
  std::string text;  // what the list shows
  std::string path;  // full path of the entry
  int level = 0;     // indentation
  Kind kind = Sub;
};

// Entry 0 the root, then each directory down to the open one, then the
// open directory's subdirectories (sorted without regard to ASCII case).
std::vector<DirEntry> BuildDirectoryEntries(std::string_view directory, std::vector<std::string> subdirs);

// Sorts names as the lists show them: ASCII letters without regard to case,
// ties by their bytes.
void SortNames(std::vector<std::string>& names);

// The indices of the ticked entries, from the last one up to the first.
std::vector<int> TickedFromLast(const std::vector<bool>& checked);

// A one-entry shell name list: the name followed by two NULs. None for an
// empty name or one holding a NUL, which the shell would read as a
// different list.
std::optional<std::u16string> OneEntryList(std::u16string_view name);

}  // namespace nv
