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

// The path without the literal-name prefix: "\\?\C:\x" gives "C:\x",
// "\\?\UNC\srv\s" gives "\\srv\s", "\\.\C:\x" gives "C:\x".
std::string WithoutLiteralPrefix(std::string_view path);

// An absolute path made canonical the way the file system reads a literal
// name: slashes turned, runs of backslashes made one, "." and ".." parts
// resolved (never above the root), a drive letter alone made its root. Unlike
// the plain Win32 form it keeps a name's trailing dots and spaces, since such
// a name is a different item. Text that is not absolute comes back as is.
std::string NormalizeFullPath(std::string_view absolute);

// Whether the plain Win32 form of a full path would reach a different item
// than its literal form: a part of it ends in a dot or a space, which the
// plain form drops.
bool PlainFormAltersName(std::string_view fullPath);

// What the commands never delete, move or rename: these folders and any
// folder that holds one of them (full paths; empty ones are left out).
struct ProtectedFolders {
  std::string windows;  // the Windows folder
  std::string profile;  // the user's profile folder
  std::string program;  // the folder that holds Nookvale
};

enum class PathAction { Delete, Move, Rename };

// Why a command must leave path alone, or none when it may go ahead. path is
// a full path as the system resolves it, with or without the literal-name
// prefix. Refused: an empty path, one that names no single item (wildcards,
// "." or ".." parts, no root), a drive or share root, a protected folder or
// a folder that holds one.
std::optional<std::string> RefusalReason(std::string_view path, const ProtectedFolders& folders,
                                         PathAction action);

// The question before a permanent deletion: its first line, then the full
// path of every item it deletes, one a line, the first `shown` of them and
// then how many more.
std::string DeletionQuestion(std::string_view question, const std::vector<std::string>& paths,
                             size_t shown = 20);

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
