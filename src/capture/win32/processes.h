// The running processes, read through ToolHelp32 or PSAPI. Both sets of
// functions are looked up at run time, so a system without one of them
// still starts the program; a missing function makes its call report failure.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace nv {

// One line per process: the full path of its program (UTF-8), in the order
// the system reports them.
void ListProcesses(std::vector<std::string>& list);

// The full path of the process's program file (UTF-8), as the system names
// it to a caller with the least query right: unlike reading its modules,
// this also works for a 64-bit process seen from the 32-bit program. Bound
// at run time, since systems before Vista lack it; empty when unknown.
std::string ProcessImagePath(DWORD processId);

// Id of the first process whose program path, or else whose snapshot file
// name, equals the text (ASCII letters without regard to case); 0 when none.
DWORD FindProcessIdByName(const std::string& text);

// The first visible and enabled top-level window of the process, from the
// top of the z-order; 0 when none or when the id is 0.
HWND FindProcessWindow(DWORD processId);

// Ends every process whose program file name (or whole snapshot name)
// equals the name; answers the result of the last TerminateProcess. This
// program itself is never ended.
BOOL KillProcessesByName(const std::string& name);
// Whether the name matches this program's own process and no other.
bool NamesOnlyThisProcess(const std::string& name);

// The process ids EnumProcesses fills at most (4,096 bytes of ids).
inline constexpr size_t kMaxEnumeratedProcesses = 1024;

}  // namespace nv
