#include "ui/win32/application.h"

#include <algorithm>

#include <commctrl.h>

#include "ui/errors.h"
#include "ui/win32/win_prompter.h"

namespace nv {

TApplication& TApplication::Instance() {
  static TApplication app;
  return app;
}

TApplication::TApplication() : winPrompter_(std::make_unique<Win32Prompter>()) {
  prompter_ = winPrompter_.get();
  Window::SetExceptionReporter([this](std::exception_ptr e) { HandleException(e); });
}

void TApplication::Initialize() {
  if (HandleAllocated()) return;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_HOTKEY_CLASS |
                                           ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_USEREX_CLASSES |
                                           ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  // A zero-sized popup that never shows content: it stands for the program
  // on the taskbar and owns the main window.
  CreateParams p;
  p.className = L"TApplication";
  p.caption = Title;
  p.style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
  p.x = ::GetSystemMetrics(SM_CXSCREEN) / 2;
  p.y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
  p.width = 0;
  p.height = 0;
  ClassParams c;
  c.icon = ::LoadIconW(::GetModuleHandleW(nullptr), L"MAINICON");
  CreateOwn(p, c);
}

Prompter& TApplication::prompter() { return *prompter_; }

void TApplication::SetPrompter(Prompter* p) { prompter_ = p ? p : winPrompter_.get(); }

void TApplication::ShowException(const std::string& message) {
  if (holdErrors_) {
    // The same failure repeated while hidden (a mute on every press) is
    // reported once.
    if (std::find(heldErrors_.begin(), heldErrors_.end(), message) == heldErrors_.end())
      heldErrors_.push_back(message);
    return;
  }
  prompter().ShowBox(BoxOwner::Application, ErrorBoxText(message), Title, mb::kOk | mb::kIconStop);
}

void TApplication::HoldErrors() { holdErrors_ = true; }

void TApplication::ShowHeldErrors() {
  holdErrors_ = false;
  std::vector<std::string> held;
  held.swap(heldErrors_);
  for (const std::string& message : held) ShowException(message);
}

void TApplication::ShowException(const std::exception& e) { ShowException(std::string(e.what())); }

void TApplication::HandleException(std::exception_ptr e) {
  try {
    std::rethrow_exception(e);
  } catch (const std::exception& ex) {
    ShowException(ex);
  } catch (...) {
    ShowException(std::string("Unknown error"));
  }
}

namespace {

// Tab and Shift+Tab move the focus between the controls of the window, as
// in a dialog, unless the focused control takes Tab itself. Enter and the
// arrows stay with the controls (the path box acts on Enter).
bool MoveFocusByTab(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return false;
  HWND focus = msg.hwnd;
  if (!focus) return false;
  // Only a control that takes Tab itself keeps it (the notebook types a
  // tab); one that wants all keys for the sake of Enter, as the path box
  // does, still lets Tab move on.
  const LRESULT code = ::SendMessageW(focus, WM_GETDLGCODE, 0, 0);
  if (code & DLGC_WANTTAB) return false;
  HWND top = ::GetAncestor(focus, GA_ROOT);
  if (!top || !(::GetWindowLongW(top, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) return false;
  HWND next = ::GetNextDlgTabItem(top, focus, ::GetKeyState(VK_SHIFT) < 0);
  if (next && next != focus) ::SetFocus(next);
  return true;
}

void DispatchQueued(MSG& msg) {
  if (Application().DialogMessage(msg)) return;
  if (MoveFocusByTab(msg)) return;
  ::TranslateMessage(&msg);
  Window::DispatchPosted(msg);
}

}  // namespace

void TApplication::Run() {
  MSG msg;
  while (!terminated_) {
    const BOOL r = ::GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0 || r == -1) break;
    DispatchQueued(msg);
  }
  terminated_ = true;
}

void TApplication::Terminate() {
  terminated_ = true;
  ::PostQuitMessage(0);
}

void TApplication::ResetTerminated() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  terminated_ = false;
  holdErrors_ = false;
  heldErrors_.clear();
}

void TApplication::AddModelessDialog(HWND dialog) {
  if (dialog && std::find(modeless_.begin(), modeless_.end(), dialog) == modeless_.end()) modeless_.push_back(dialog);
}

void TApplication::RemoveModelessDialog(HWND dialog) { std::erase(modeless_, dialog); }

bool TApplication::DialogMessage(MSG& msg) const {
  for (HWND dialog : modeless_)
    if (::IsWindow(dialog) && ::IsDialogMessageW(dialog, &msg)) return true;
  return false;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    DispatchQueued(msg);
  }
}

}  // namespace nv
