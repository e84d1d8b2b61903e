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
  // The file pane's drive labels and shell pictures are read on another
  // thread while the window is built.
  PrefetchDrives();
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
