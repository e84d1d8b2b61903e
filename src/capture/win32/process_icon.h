#pragma once

#include <windows.h>

namespace nv {

class TImageList;

// Appends the small icon of the process's program file to the image list;
// answers its index, or -1 when the program has no icon or cannot be read.
// Process id 0 names this program itself. Never raises.
int AddProcessIcon(DWORD processId, TImageList& images);

}  // namespace nv
