// The thin base of every window and control of the program.
//
// A Window binds itself to its HWND while the window is being created
// (WM_NCCREATE for our own classes, right after creation for the common
// controls, which we subclass) and hands each message to a small handler
// registered with On(). Messages without a handler get the default handling.
// Notifications a child sends to its parent (WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM, ...) are passed back to the child's own object first
// (Reflected), so a control handles its own events.
//
// An exception that leaves a handler never crosses the Win32 callback: the
// window procedure catches it and hands it to the exception reporter (the
// application shows it in its standard error box) and the program goes on.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

namespace nv {

class Window {
 public:
  struct CreateParams {
    const wchar_t* className = nullptr;
    std::string caption;  // UTF-8
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    HWND parent = nullptr;
    UINT_PTR id = 0;  // child id (or menu) of the window
  };

  // One of our own window classes: registered on first use with the given
  // class style, background and cursor.
  struct ClassParams {
    UINT style = CS_DBLCLKS;
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    LPCWSTR cursor = MAKEINTRESOURCEW(32512);  // IDC_ARROW
  };
  using Handler = std::function<std::optional<LRESULT>(WPARAM, LPARAM)>;

  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const noexcept { return hwnd_; }
  bool HandleAllocated() const noexcept { return hwnd_ != nullptr; }

  // Registers a handler for a message (replacing an earlier one). The
  // handler returns the message result, or nullopt for the default handling.
  void On(UINT msg, Handler handler);

  // The default handling of a message for this window.
  LRESULT DefaultHandling(UINT msg, WPARAM wp, LPARAM lp);

  // Sends a message to this window.
  LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;

  // The object bound to a window handle, or null for foreign windows.
  static Window* FromHandle(HWND hwnd);

  // Who shows exceptions that leave handlers (the application sets this).
  static void SetExceptionReporter(std::function<void(std::exception_ptr)> reporter);
  static void ReportException(std::exception_ptr e);

  // Dispatches a message taken from the queue. Notifications that carry a
  // pointer are reflected only when sent by this thread, never when posted.
  static LRESULT DispatchPosted(const MSG& msg);

  // Destroys the window now (the object stays, unbound).
  void DestroyHandle();

 protected:
  void CreateOwn(const CreateParams& p, const ClassParams& cls);
  // A system or common-control class (L"BUTTON", WC_LISTVIEWW, ...),
  // subclassed so this object sees its messages.
  void CreateControl(const CreateParams& p);

  // Every message of this window comes here first.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // Sees each message before HandleMessage, whatever the handlers then do
  // with it; it cannot change the result.
  virtual void Observe(UINT, WPARAM, LPARAM) {}
  // A notification this window sent to its parent, passed back to it.
  virtual std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp);
  // Called once when the window handle is gone (WM_NCDESTROY).
  virtual void HandleDestroyed() {}

 private:
  static LRESULT CALLBACK OwnProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  void Bind(HWND hwnd);
  void Unbind();

  HWND hwnd_ = nullptr;
  // The control's own procedure, for a control of a system class.
  WNDPROC original_ = nullptr;
  std::unordered_map<UINT, Handler> handlers_;
};

}  // namespace nv
