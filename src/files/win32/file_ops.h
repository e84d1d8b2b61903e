// The file system calls of the file utilities, at the Win32 edge: names are
// UTF-8 inside and go to the wide (W) functions, so a name outside the
// system code page reaches exactly the file it names. Paths too long for the
// plain form get the extended-length prefix.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/dos_time.h"

namespace nv {

// The wide form of a full path for the file functions, "\\?\"-prefixed when
// it is too long for the plain form.
std::wstring FileApiPath(const std::string& utf8);

// The subdirectories and the files of a directory (bare names, unsorted;
// "." and ".." left out).
std::vector<std::string> ListSubdirectories(const std::string& dir);
std::vector<std::string> ListFiles(const std::string& dir);
bool DirectoryExists(const std::string& dir);

// The shell's move, copy and delete of a whole tree (SHFileOperationW, no
// owner window, no progress title, no name mappings): true exactly when the
// shell answers 0. Move and copy show the shell's own progress and
// questions; delete asks nothing and bypasses the recycle bin.
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
