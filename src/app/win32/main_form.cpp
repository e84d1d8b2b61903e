#include "app/win32/main_form.h"

#include "ui/win32/application.h"

namespace nv {

TfrmMain::TfrmMain() = default;
TfrmMain::~TfrmMain() = default;

void TfrmMain::Create() {
  CreateParams p;
  p.className = L"TfrmMain";
  p.caption = kCaption;
  p.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  p.parent = Application().Handle();
  On(WM_CLOSE, [](WPARAM, LPARAM) -> std::optional<LRESULT> {
    Application().Terminate();
    return std::nullopt;
  });
  CreateOwn(p, ClassParams{});
  Application().MainWindow = Handle();
}

}  // namespace nv
