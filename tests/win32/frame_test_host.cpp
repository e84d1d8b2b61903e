#include "frame_test_host.h"

#include "ui/win32/win_text.h"

namespace nv {

TestFrameHost::TestFrameHost(std::string folder) : folder_(std::move(folder)) {
  if (folder_.empty()) folder_ = ExeDirectory();
  if (!folder_.empty() && folder_.back() != '\\' && folder_.back() != '/') folder_ += '\\';
  Name = "TestFrameHost";
  CreateParams p;
  p.className = L"TTestFrameHost";
  p.caption = "Frame test";
  p.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  p.exStyle = WS_EX_CONTROLPARENT;
  p.x = 0;
  p.y = 0;
  p.width = 1000;
  p.height = 720;
  CreateOwn(p, ClassParams{});
  Bar.Create(this, "Bar");
  Bar.SetHeight(28);
  Bar.SetAlign(TAlign::alTop);
  Pages.Create(this, "Pages");
  Pages.SetAlign(TAlign::alClient);
  Page.Create(&Pages, "Page", "Page");
  Pages.SetActivePage(&Page);
  AlignControls();
  ::ShowWindow(Handle(), SW_SHOW);
}

TestFrameHost::~TestFrameHost() {
  frame_.reset();
  if (HandleAllocated()) DestroyHandle();
}

void TestFrameHost::HideAll() {
  ++HideCalls;
  ::ShowWindow(Handle(), SW_HIDE);
}

void TestFrameHost::ShowAll() {
  ++ShowCalls;
  ::ShowWindow(Handle(), SW_SHOW);
}

}  // namespace nv
