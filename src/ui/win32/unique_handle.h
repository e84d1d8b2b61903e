// One move-only owner for every kind of Win32 handle. Each kind names its
// "no handle" values and its release call in a small traits struct, so a
// handle opened by a routine is released on every path out of it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <atomic>
#include <utility>

namespace nv {

template <class Traits>
class UniqueHandle {
 public:
  using handle_type = typename Traits::handle_type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(handle_type h) noexcept : h_(h) { Count(h_, +1); }
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) { Count(h_, +1); }
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      // Two owners may hold the same value (two references to one global
      // atom): the one given up is released even then.
      const handle_type h = o.release();
      Close();
      h_ = h;
      Count(h_, +1);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  handle_type get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return Traits::IsValid(h_); }
  handle_type release() noexcept {
    if (filled_) {
      filled_ = false;
      --live_;
    } else {
      Count(h_, -1);
    }
    return std::exchange(h_, Traits::Invalid());
  }
  void reset(handle_type h = Traits::Invalid()) noexcept {
    if (h == h_) return;  // taking over what it holds already must not close it
    Close();
    h_ = h;
    Count(h_, +1);
  }
  // For APIs that fill in a handle through a pointer.
  handle_type* put() noexcept {
    reset();
    ++live_;  // counted as held from here; a null fill is uncounted in Close
    filled_ = true;
    return &h_;
  }

  // How many handles of this kind the program holds through owners now.
  // The system's own object counters are not available everywhere; this
  // one lets a long run show that nothing of ours is left behind.
  static long Live() noexcept { return live_; }

 private:
  static void Count(handle_type h, long d) noexcept {
    if (Traits::IsValid(h)) live_ += d;
  }
  void Close() noexcept {
    if (filled_) {
      filled_ = false;
      --live_;
      if (Traits::IsValid(h_)) Traits::Close(h_);
      return;
    }
    if (Traits::IsValid(h_)) {
      Traits::Close(h_);
      --live_;
    }
  }

  handle_type h_ = Traits::Invalid();
  bool filled_ = false;
  static inline std::atomic<long> live_{0};
};

// Kernel objects: both null and INVALID_HANDLE_VALUE mean "none" (snapshots
// and files report failure with the latter).
struct KernelHandleTraits {
  using handle_type = HANDLE;
  static HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};

struct RegKeyTraits {
  using handle_type = HKEY;
  static HKEY Invalid() noexcept { return nullptr; }
  static bool IsValid(HKEY h) noexcept { return h != nullptr; }
  static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};

struct IconTraits {
  using handle_type = HICON;
  static HICON Invalid() noexcept { return nullptr; }
  static bool IsValid(HICON h) noexcept { return h != nullptr; }
  static void Close(HICON h) noexcept { ::DestroyIcon(h); }
};

struct MenuTraits {
  using handle_type = HMENU;
  static HMENU Invalid() noexcept { return nullptr; }
  static bool IsValid(HMENU h) noexcept { return h != nullptr; }
  static void Close(HMENU h) noexcept { ::DestroyMenu(h); }
};

struct GdiObjectTraits {
  using handle_type = HGDIOBJ;
  static HGDIOBJ Invalid() noexcept { return nullptr; }
  static bool IsValid(HGDIOBJ h) noexcept { return h != nullptr; }
  static void Close(HGDIOBJ h) noexcept { ::DeleteObject(h); }
};

struct ModuleTraits {
  using handle_type = HMODULE;
  static HMODULE Invalid() noexcept { return nullptr; }
  static bool IsValid(HMODULE h) noexcept { return h != nullptr; }
  static void Close(HMODULE h) noexcept { ::FreeLibrary(h); }
};

struct ImageListTraits {
  using handle_type = HIMAGELIST;
  static HIMAGELIST Invalid() noexcept { return nullptr; }
  static bool IsValid(HIMAGELIST h) noexcept { return h != nullptr; }
  static void Close(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
};

struct WindowTraits {
  using handle_type = HWND;
  static HWND Invalid() noexcept { return nullptr; }
  static bool IsValid(HWND h) noexcept { return h != nullptr; }
  static void Close(HWND h) noexcept { ::DestroyWindow(h); }
};

struct GlobalAtomTraits {
  using handle_type = ATOM;
  static ATOM Invalid() noexcept { return 0; }
  static bool IsValid(ATOM a) noexcept { return a != 0; }
  static void Close(ATOM a) noexcept { ::GlobalDeleteAtom(a); }
};

struct DcTraits {  // a DC made with CreateCompatibleDC/CreateDC
  using handle_type = HDC;
  static HDC Invalid() noexcept { return nullptr; }
  static bool IsValid(HDC h) noexcept { return h != nullptr; }
  static void Close(HDC h) noexcept { ::DeleteDC(h); }
};

// A COM interface pointer: one reference, released once.
template <class Interface>
struct ComInterfaceTraits {
  using handle_type = Interface*;
  static Interface* Invalid() noexcept { return nullptr; }
  static bool IsValid(Interface* p) noexcept { return p != nullptr; }
  static void Close(Interface* p) noexcept { p->Release(); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueHKey = UniqueHandle<RegKeyTraits>;
using UniqueHIcon = UniqueHandle<IconTraits>;
using UniqueHMenu = UniqueHandle<MenuTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueHModule = UniqueHandle<ModuleTraits>;
using UniqueImageList = UniqueHandle<ImageListTraits>;
using UniqueHWnd = UniqueHandle<WindowTraits>;
using UniqueGlobalAtom = UniqueHandle<GlobalAtomTraits>;
using UniqueHdc = UniqueHandle<DcTraits>;
template <class Interface>
using UniqueCom = UniqueHandle<ComInterfaceTraits<Interface>>;

// A 32-bit bitmap of the given size with rows from the top, whose pixels
// the caller reaches through bits (null when it could not be made).
inline UniqueGdiObject TopDownDib32(HDC dc, int width, int height, void** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  *bits = nullptr;
  return UniqueGdiObject(::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0));
}

// --- scopes: what is borrowed for a while and given back on every path ---

// BeginPaint ... EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND w) noexcept : w_(w), dc_(::BeginPaint(w, &ps_)) {}
  ~PaintScope() { ::EndPaint(w_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const noexcept { return dc_; }
  const PAINTSTRUCT& info() const noexcept { return ps_; }

 private:
  HWND w_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// GetDC ... ReleaseDC (a null window is the screen).
class WindowDcScope {
 public:
  explicit WindowDcScope(HWND w) noexcept : w_(w), dc_(::GetDC(w)) {}
  ~WindowDcScope() {
    if (dc_) ::ReleaseDC(w_, dc_);
  }
  WindowDcScope(const WindowDcScope&) = delete;
  WindowDcScope& operator=(const WindowDcScope&) = delete;
  HDC dc() const noexcept { return dc_; }

 private:
  HWND w_;
  HDC dc_;
};

// COM on this thread for a while. A thread where COM is already set up
// (the reader's browser control initialises OLE) keeps it as it was: a
// successful call is balanced by CoUninitialize, one answering
// RPC_E_CHANGED_MODE leaves the other apartment in place and in use.
class ComScope {
 public:
  ComScope() noexcept : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

// SelectObject, with the object it replaced selected back at the end.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
  ~SelectScope() {
    if (old_) ::SelectObject(dc_, old_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace nv
