// Program entry: initialise the application, create the main window (which
// runs its start-up and shows itself), then run the message loop.
#include <windows.h>

#include "app/win32/program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return nv::RunProgram(); }
