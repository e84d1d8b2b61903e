#include "app/win32/program.h"

#include <windows.h>

#include <memory>

#include "app/win32/main_form.h"
#include "files/win32/drive_prefetch.h"
#include "ui/win32/application.h"
#include "ui/win32/startup_trace.h"

namespace nv {

int RunProgram() {
  StartupTrace& trace = StartupTrace::Instance();
  TApplication& app = Application();
  {
    StartupTrace::Phase phase("application");
    app.Initialize();
  }
  // The file pane's shell pictures are read on another thread once the
  // window is shown, and follow it there.
  DeferShellPictures();
  app.Title = "Nookvale";
  std::unique_ptr<TfrmMain> frmMain;
  try {
    frmMain = std::make_unique<TfrmMain>();
    frmMain->Create();
    // Then the hidden About window, which builds its report now.
    if (!app.Terminated()) {
      StartupTrace::Phase phase("report");
      frmMain->CreateAboutWindow();
    }
    trace.WriteOnce();
  } catch (const std::exception& e) {
    app.ShowException(e);
    return 1;
  }
  if (!app.Terminated()) app.Run();
  frmMain.reset();
  return 0;
}

}  // namespace nv
