// The main window.
#pragma once

#include <windows.h>

#include "ui/win32/window.h"

namespace nv {

class TfrmMain : public Window {
 public:
  TfrmMain();
  ~TfrmMain() override;
  // Creates the window: runs FormCreate and, as the window shows itself,
  // FormShow.
  void Create();

  static constexpr const char* kCaption = "Nookvale v1.b  - RIGHT CLICK HERE FOR INFO";
};

}  // namespace nv
