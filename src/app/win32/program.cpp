#include "app/win32/program.h"

#include <windows.h>

#include <memory>

#include "app/win32/main_form.h"
#include "ui/win32/application.h"

namespace nv {

int RunProgram() {
  TApplication& app = Application();
  app.Initialize();
  app.Title = "Nookvale";
  std::unique_ptr<TfrmMain> frmMain;
  try {
    frmMain = std::make_unique<TfrmMain>();
    frmMain->Create();
    // Then the hidden About window, which builds its report now.
    if (!app.Terminated()) frmMain->CreateAboutWindow();
  } catch (const std::exception& e) {
    app.ShowException(e);
    return 1;
  }
  if (!app.Terminated()) app.Run();
  frmMain.reset();
  return 0;
}

}  // namespace nv
