#pragma once

namespace nv {

// The whole program: application object, main window, About window,
// message loop. Returns the process exit code.
int RunProgram();

}  // namespace nv
