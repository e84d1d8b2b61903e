#include "ui/win32/window.h"

#include <commctrl.h>

#include <mutex>
#include <set>
#include <unordered_map>
#include <stdexcept>

#include "ui/win32/win_text.h"

namespace nv {

namespace {

std::function<void(std::exception_ptr)>& Reporter() {
  static std::function<void(std::exception_ptr)> r;
  return r;
}

bool IsParentNotification(UINT msg) {
  switch (msg) {
    case WM_COMMAND: case WM_NOTIFY: case WM_DRAWITEM: case WM_MEASUREITEM:
    case WM_CTLCOLORBTN: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: case WM_HSCROLL: case WM_VSCROLL:
      return true;
    default:
      return false;
  }
}

// The notifications whose lParam points at a structure in the sender's
// memory.
bool CarriesPointer(UINT msg) { return msg == WM_NOTIFY || msg == WM_DRAWITEM || msg == WM_MEASUREITEM; }

// The posted message the loop is dispatching on this thread, if any.
thread_local const MSG* g_dispatchingPosted = nullptr;

// Whether the message's pointer can be read: only when the message was sent
// by this thread. A captured window is a child of one of our host tabs and
// may send or post its parent anything; a pointer from another process
// means nothing here, and reading it could crash us.
bool FromThisThread(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (::InSendMessageEx(nullptr) != ISMEX_NOSEND) return false;
  const MSG* posted = g_dispatchingPosted;
  return !(posted && posted->hwnd == hwnd && posted->message == msg && posted->wParam == wp && posted->lParam == lp);
}

// The child a parent notification comes from.
HWND NotificationSource(HWND parent, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: return reinterpret_cast<HWND>(lp);
    case WM_NOTIFY: return reinterpret_cast<const NMHDR*>(lp)->hwndFrom;
    case WM_DRAWITEM: {
      const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      return d->CtlType == ODT_MENU ? nullptr : d->hwndItem;
    }
    case WM_MEASUREITEM: {
      const auto* m = reinterpret_cast<const MEASUREITEMSTRUCT*>(lp);
      return m->CtlType == ODT_MENU ? nullptr : ::GetDlgItem(parent, static_cast<int>(wp));
    }
    default: return reinterpret_cast<HWND>(lp);  // WM_CTLCOLOR*, scroll bars
  }
}

}  // namespace

Window::~Window() {
  if (hwnd_) {
    HWND h = hwnd_;
    Unbind();
    ::DestroyWindow(h);
  }
}

void Window::On(UINT msg, Handler handler) { handlers_[msg] = std::move(handler); }

LRESULT Window::Perform(UINT msg, WPARAM wp, LPARAM lp) const { return ::SendMessageW(hwnd_, msg, wp, lp); }

namespace {

// Our window objects by handle, and the own procedures of the system
// controls we took over. Kept in the process rather than as window
// properties (which the system's subclassing helpers also use): every
// message looks them up, and where window properties live in another
// process (as under Wine) each look-up would be a round trip to it.
class Bindings {
 public:
  Window* Object(HWND hwnd) {
    std::lock_guard<std::mutex> hold(lock_);
    const auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : it->second;
  }
  void SetObject(HWND hwnd, Window* w) {
    std::lock_guard<std::mutex> hold(lock_);
    windows_[hwnd] = w;
  }
  // Forgets the window's object, if it is still this one.
  void ForgetObject(HWND hwnd, const Window* w) {
    std::lock_guard<std::mutex> hold(lock_);
    if (auto it = windows_.find(hwnd); it != windows_.end() && it->second == w) windows_.erase(it);
  }
  WNDPROC Original(HWND hwnd) {
    std::lock_guard<std::mutex> hold(lock_);
    const auto it = originals_.find(hwnd);
    return it == originals_.end() ? nullptr : it->second;
  }
  void SetOriginal(HWND hwnd, WNDPROC proc) {
    std::lock_guard<std::mutex> hold(lock_);
    originals_[hwnd] = proc;
  }
  void ForgetOriginal(HWND hwnd) {
    std::lock_guard<std::mutex> hold(lock_);
    originals_.erase(hwnd);
  }

 private:
  std::mutex lock_;
  std::unordered_map<HWND, Window*> windows_;
  // A control's entry outlives its object when another subclass went on
  // top of ours: our procedure stays in that chain and hands its messages
  // on until the window is gone.
  std::unordered_map<HWND, WNDPROC> originals_;
};

Bindings& AllBindings() {
  static Bindings b;
  return b;
}

}  // namespace

Window* Window::FromHandle(HWND hwnd) { return hwnd ? AllBindings().Object(hwnd) : nullptr; }

void Window::SetExceptionReporter(std::function<void(std::exception_ptr)> reporter) {
  Reporter() = std::move(reporter);
}

void Window::ReportException(std::exception_ptr e) {
  if (Reporter()) {
    try {
      Reporter()(e);
    } catch (...) {
      // The reporter itself must not take the program down.
    }
  }
}

void Window::DestroyHandle() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

void Window::Bind(HWND hwnd) {
  hwnd_ = hwnd;
  AllBindings().SetObject(hwnd, this);
}

void Window::Unbind() {
  if (!hwnd_) return;
  AllBindings().ForgetObject(hwnd_, this);
  if (original_ && reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC)) == &SubclassProc) {
    ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    AllBindings().ForgetOriginal(hwnd_);
  }
  original_ = nullptr;
  hwnd_ = nullptr;
}

void Window::CreateOwn(const CreateParams& p, const ClassParams& cls) {
  static std::set<std::wstring> registered;
  const HINSTANCE inst = ::GetModuleHandleW(nullptr);
  if (!registered.count(p.className)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = cls.style;
    wc.lpfnWndProc = OwnProc;
    wc.hInstance = inst;
    wc.hIcon = cls.icon;
    wc.hIconSm = cls.smallIcon;
    wc.hCursor = ::LoadCursorW(nullptr, cls.cursor);
    wc.hbrBackground = cls.background;
    wc.lpszClassName = p.className;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw std::runtime_error("Cannot register window class: " + SystemErrorText(::GetLastError()));
    registered.insert(p.className);
  }
  HWND h = ::CreateWindowExW(p.exStyle, p.className, Widen(p.caption).c_str(), p.style, p.x, p.y,
                             p.width, p.height, p.parent, reinterpret_cast<HMENU>(p.id), inst, this);
  if (!h) throw std::runtime_error("Cannot create window: " + SystemErrorText(::GetLastError()));
}

void Window::CreateControl(const CreateParams& p) {
  HWND h = ::CreateWindowExW(p.exStyle, p.className, Widen(p.caption).c_str(), p.style, p.x, p.y,
                             p.width, p.height, p.parent, reinterpret_cast<HMENU>(p.id),
                             ::GetModuleHandleW(nullptr), nullptr);
  if (!h) throw std::runtime_error("Cannot create control: " + SystemErrorText(::GetLastError()));
  Bind(h);
  original_ = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(h, GWLP_WNDPROC));
  AllBindings().SetOriginal(h, original_);
  ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));
}

LRESULT CALLBACK Window::OwnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = FromHandle(hwnd);
  if (!self && msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    if (self) self->Bind(hwnd);
  }
  if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
  return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Bindings& b = AllBindings();
  Window* self = b.Object(hwnd);
  LRESULT r = 0;
  if (self && self->hwnd_ == hwnd) r = self->Dispatch(msg, wp, lp);
  else if (WNDPROC original = b.Original(hwnd)) r = ::CallWindowProcW(original, hwnd, msg, wp, lp);
  else r = ::DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) b.ForgetOriginal(hwnd);
  return r;
}

LRESULT Window::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  // What only watches the message never keeps it from its handlers.
  try {
    Observe(msg, wp, lp);
  } catch (...) {
    ReportException(std::current_exception());
  }
  try {
    result = HandleMessage(msg, wp, lp);
  } catch (...) {
    ReportException(std::current_exception());
    result = 0;
  }
  if (msg == WM_NCDESTROY) {
    Unbind();
    try {
      HandleDestroyed();
    } catch (...) {
      ReportException(std::current_exception());
    }
  }
  return result;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (auto it = handlers_.find(msg); it != handlers_.end()) {
    if (auto r = it->second(wp, lp)) return *r;
  } else if (IsParentNotification(msg) && (!CarriesPointer(msg) || FromThisThread(hwnd_, msg, wp, lp))) {
    if (Window* child = FromHandle(NotificationSource(hwnd_, msg, wp, lp)); child && child != this) {
      if (auto r = child->Reflected(msg, wp, lp)) return *r;
    }
  }
  return DefaultHandling(msg, wp, lp);
}

std::optional<LRESULT> Window::Reflected(UINT, WPARAM, LPARAM) { return std::nullopt; }

LRESULT Window::DispatchPosted(const MSG& msg) {
  const MSG* outer = g_dispatchingPosted;
  g_dispatchingPosted = &msg;
  const LRESULT r = ::DispatchMessageW(&msg);
  g_dispatchingPosted = outer;
  return r;
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wp, LPARAM lp) {
  if (original_) return ::CallWindowProcW(original_, hwnd_, msg, wp, lp);
  return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace nv
