// A stand-in for the main window, for testing one frame on its own: a
// top-level window with a toolbar band and an outer tab control whose first
// page holds the frame. Hide and show requests are counted.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/win32/application.h"
#include "ui/win32/containers.h"
#include "ui/win32/frame.h"

namespace nv {

class TestFrameHost : public TControl, public TFrameHost {
 public:
  // folder: the settings folder handed to frames (a trailing backslash is
  // added when missing).
  explicit TestFrameHost(std::string folder = {});
  ~TestFrameHost() override;

  // Makes a frame of type F on the first page, filling it, and shows it.
  template <class F>
  F& Make(const std::string& name) {
    auto f = std::make_unique<F>();
    F& ref = *f;
    f->CreateFrame(*this, &Page, name);
    f->SetAlign(TAlign::alClient);
    AlignControls();
    frame_ = std::move(f);
    return ref;
  }

  TToolBar Bar;
  TPageControl Pages;
  TTabSheet Page;
  int HideCalls = 0, ShowCalls = 0;

  Prompter& FramePrompter() override { return Application().prompter(); }
  TPageControl& OuterPages() override { return Pages; }
  TToolBar& Toolbar() override { return Bar; }
  const std::string& SettingsFolder() const override { return folder_; }
  HWND HostHandle() const override { return Handle(); }
  void HideAll() override;
  void ShowAll() override;

 private:
  std::string folder_;
  std::unique_ptr<TFrame> frame_;
};

}  // namespace nv
