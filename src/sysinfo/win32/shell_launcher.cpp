#include "sysinfo/win32/shell_launcher.h"

#include <shellapi.h>

#include "ui/win32/win_text.h"

namespace nv {

void SystemShellLaunch(const ShellRequest& r) {
  const std::string file = Utf8ToAnsi(r.file);
  if (r.kind == ShellRequest::WinExec) {
    ::WinExec(file.c_str(), static_cast<UINT>(r.show));
    return;
  }
  const std::string verb = Utf8ToAnsi(r.verb), params = Utf8ToAnsi(r.parameters), dir = Utf8ToAnsi(r.directory);
  ::ShellExecuteA(r.owner, verb.empty() ? nullptr : verb.c_str(), file.c_str(),
                  params.empty() ? nullptr : params.c_str(), dir.empty() ? nullptr : dir.c_str(), r.show);
}

}  // namespace nv
