// The file system calls of the file utilities, at the Win32 edge: names are
// UTF-8 inside and go to the wide (W) functions in the literal "\\?\" form,
// so a name outside the system code page, a name ending in a dot or a space
// and a path longer than MAX_PATH all reach exactly the item they name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/dos_time.h"
#include "files/file_paths.h"

namespace nv {

// The full path of a typed or listed name in its literal reading: relative
// text resolved (against the current directory, or a drive's own), "." and
// ".." parts resolved, slashes turned, a drive letter alone made its root,
// and a name's trailing dots and spaces kept (the plain Win32 form drops
// them, reaching a different item). Text already in the literal "\\?\" form
// is taken as it stands.
std::string ExactFullPath(const std::string& utf8);
// The same text as the plain Win32 form reads it (GetFullPathNameW).
std::string SystemFullPath(const std::string& utf8);

// The wide literal form of a path for the file functions: "\\?\" and the
// exact full path.
std::wstring FileApiPath(const std::string& utf8);

// A path the shell's plain-path functions (ShellExecuteW) reach exactly the
// item at path by: the full path when its plain form is exact, else the
// item's short 8.3 name when the volume keeps one; empty when neither works.
std::string PlainPathFor(const std::string& path);

// The Windows folder, the user's profile folder and the folder that holds
// this program.
ProtectedFolders SystemProtectedFolders();
// Why a command must not delete, move or rename path, or none. Both the
// literal and the plain reading of the text are checked, so neither can
// reach a root or a protected folder.
std::optional<std::string> RefusalFor(const std::string& path, const ProtectedFolders& folders, PathAction action);

// The subdirectories and the files of a directory (bare names, unsorted;
// "." and ".." left out).
std::vector<std::string> ListSubdirectories(const std::string& dir);
std::vector<std::string> ListFiles(const std::string& dir);
bool DirectoryExists(const std::string& dir);

// The shell's move, copy and delete of a whole tree (SHFileOperationW, no
// owner window, no progress title, no name mappings): true exactly when the
// shell answers 0. Move and copy show the shell's own progress and
// questions; delete asks nothing and bypasses the recycle bin. The shell
// takes plain paths only, so a path the plain form cannot name exactly (a
// part ending in a dot or a space, or longer than MAX_PATH) is moved, copied
// or deleted by our own walk over the literal form instead: it asks nothing,
// never replaces a file, and deletes for good as the shell does.
bool ShellMoveDir(const std::string& source, const std::string& destination);
bool ShellCopyDir(const std::string& source, const std::string& destination);
bool ShellDeleteDir(const std::string& path);

// Wrappers of DeleteFileW, MoveFileW, CopyFileW (fail if the target exists)
// and CreateDirectoryW on full paths.
bool DeleteFileAt(const std::string& path);
bool MoveFileAt(const std::string& from, const std::string& to);
bool CopyFileAt(const std::string& from, const std::string& to);
bool MakeDirectoryAt(const std::string& path);

// The local last-write time as a DOS date-time; -1 when the file cannot be
// found, names a directory, or has a time the DOS form cannot hold.
std::int64_t FileAge(const std::string& path);
// The local last-access time, found with FindFirstFileW; none when the file
// cannot be found or its time has no DOS form.
std::optional<DosDateTime> GetFileLastAccess(const std::string& path);

// A date in the user's short date format (LOCALE_SSHORTDATE).
std::string ShortDateText(const DosDateTime& t);

}  // namespace nv

namespace nv {
// Whether anything (file or directory) has this path.
bool PathExists(const std::string& path);
// When the process's current directory is path or lies inside it, moves it
// to path's parent, so our own hold does not keep path from being removed
// or renamed. Answers the directory it was before (empty when unchanged).
std::string ReleaseCurrentDirectory(const std::string& path);
}  // namespace nv
