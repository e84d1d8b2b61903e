#include "ui/win32/control.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/win32/icons.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

// The one tooltip of the program's controls, made when the mouse first
// rests on a control with a hint: it is a window of its own, and making it
// at start would cost the start a window.
HWND Tooltip() {
  static HWND tip = nullptr;
  if (!tip || !::IsWindow(tip)) {
    tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
  }
  return tip;
}

// A control's tool in the tooltip: the control's whole window.
TTTOOLINFOW ToolOf(HWND control, wchar_t* text) {
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND;
  ti.hwnd = ::GetParent(control);
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = text;
  return ti;
}

HFONT MakeFont(int weight) {
  LOGFONTW lf{};
  lf.lfHeight = -ui::Scaled(13);
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  wcscpy(lf.lfFaceName, L"Arial");
  return ::CreateFontIndirectW(&lf);
}

}  // namespace

HFONT TControl::DefaultFont() {
  static HFONT f = MakeFont(FW_NORMAL);
  return f;
}

HFONT TControl::BoldFont() {
  static HFONT f = MakeFont(FW_BOLD);
  return f;
}

TControl::~TControl() {
  for (TControl* c : children_) c->parent_ = nullptr;
  Detach();
}

void TControl::Attach(TControl* parent) {
  parent_ = parent;
  if (parent_) parent_->children_.push_back(this);
}

void TControl::Detach() {
  if (parent_) {
    auto& v = parent_->children_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    parent_ = nullptr;
  }
}

void TControl::ForEach(const std::function<void(TControl&)>& f) {
  f(*this);
  for (TControl* c : std::vector<TControl*>(children_)) c->ForEach(f);
}

TControl* TControl::FindControl(const std::string& name) {
  TControl* found = nullptr;
  ForEach([&](TControl& c) {
    if (!found && c.Name == name) found = &c;
  });
  return found;
}

DWORD TControl::CreationStyle(DWORD style) const {
  if (createDisabled_) style |= WS_DISABLED;
  if (createHidden_) style &= ~static_cast<DWORD>(WS_VISIBLE);
  return style;
}

void TControl::CreateChildControl(TControl* parent, const wchar_t* cls, const std::string& text, DWORD style,
                                  DWORD exStyle) {
  CreateParams p;
  p.className = cls;
  p.caption = text;
  p.style = CreationStyle(style | WS_CHILD | WS_CLIPSIBLINGS);
  p.exStyle = exStyle;
  p.x = p.y = 0;
  p.width = p.height = 10;
  p.parent = parent ? parent->Handle() : nullptr;
  CreateControl(p);
  Attach(parent);
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
}

void TControl::CreateOwnChild(TControl* parent, const wchar_t* cls, const std::string& text, DWORD style,
                              const ClassParams& params, DWORD exStyle) {
  CreateParams p;
  p.className = cls;
  p.caption = text;
  p.style = CreationStyle(style | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  // Our containers let Tab reach the controls inside them; a control that
  // is a tab stop of its own is a leaf.
  p.exStyle = (style & WS_TABSTOP) ? exStyle : exStyle | WS_EX_CONTROLPARENT;
  p.x = p.y = 0;
  p.width = p.height = 10;
  p.parent = parent ? parent->Handle() : nullptr;
  CreateOwn(p, params);
  Attach(parent);
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
}

void TControl::SetAlign(TAlign a) {
  align_ = a;
  if (parent_) parent_->AlignControls();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  // Layouts place the same control again and again while a window is
  // built; a move to where it already is would cost a round trip to the
  // window system and change nothing.
  const RECT now = BoundsRect();
  if (now.left == left && now.top == top && now.right - now.left == width && now.bottom - now.top == height) return;
  ::SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  // A new size of an aligned control moves its aligned siblings, or they
  // would overlap it or leave a gap.
  if (align_ != TAlign::alNone && parent_ && !parent_->aligning_) parent_->AlignControls();
}

RECT TControl::BoundsRect() const {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  HWND parent = ::GetParent(Handle());
  if (parent && (::GetWindowLongW(Handle(), GWL_STYLE) & WS_CHILD))
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int TControl::Width() const {
  const RECT r = BoundsRect();
  return r.right - r.left;
}

int TControl::Height() const {
  const RECT r = BoundsRect();
  return r.bottom - r.top;
}

void TControl::SetWidth(int w) {
  const RECT r = BoundsRect();
  SetBounds(r.left, r.top, w, r.bottom - r.top);
}

void TControl::SetHeight(int h) {
  const RECT r = BoundsRect();
  SetBounds(r.left, r.top, r.right - r.left, h);
}

bool TControl::Visible() const {
  if (!HandleAllocated()) return !createHidden_;
  return (::GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::SetVisible(bool v) {
  if (!HandleAllocated()) {
    createHidden_ = !v;
    return;
  }
  if (v == Visible()) return;
  ::ShowWindow(Handle(), v ? SW_SHOW : SW_HIDE);
  if (parent_) parent_->AlignControls();
}

bool TControl::Enabled() const {
  if (!HandleAllocated()) return !createDisabled_;
  return ::IsWindowEnabled(Handle()) != FALSE;
}

void TControl::SetEnabled(bool e) {
  if (!HandleAllocated()) {
    createDisabled_ = !e;
    return;
  }
  ::EnableWindow(Handle(), e ? TRUE : FALSE);
}

std::string TControl::Caption() const {
  const int n = ::GetWindowTextLengthW(Handle());
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(Handle(), w.data(), n + 1);
  w.resize(static_cast<size_t>(std::max(0, got)));
  return Narrow(w);
}

void TControl::SetCaption(const std::string& text) {
  ::SetWindowTextW(Handle(), Widen(text).c_str());
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TControl::SetFocus() { ::SetFocus(Handle()); }
bool TControl::Focused() const { return ::GetFocus() == Handle(); }

void TControl::SetHint(const std::string& hint) {
  hint_ = hint;
  // The tool is added when the mouse first comes (Observe); one already
  // added takes the new text now.
  if (tipWith_ && ::IsWindow(tipWith_)) RegisterTip(tipWith_);
}

void TControl::RegisterTip(HWND tip) {
  // The tooltip is given the control's mouse messages by Observe rather
  // than subclassing the control itself: its subclass looks itself up in
  // the window's properties on every message, a round trip to the window
  // system each under some systems.
  std::wstring text = Widen(hint_);
  TTTOOLINFOW ti = ToolOf(Handle(), text.data());
  ::SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  tipWith_ = nullptr;
  if (!hint_.empty() && ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) tipWith_ = tip;
}

RECT TControl::ClientArea() const {
  RECT r{};
  ::GetClientRect(Handle(), &r);
  return r;
}

void TControl::AlignControls() {
  if (!HandleAllocated() || aligning_) return;
  struct Aligning {
    bool& flag;
    explicit Aligning(bool& f) : flag(f) { flag = true; }
    ~Aligning() { flag = false; }
  } aligning(aligning_);
  RECT area = ClientArea();
  const TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient};
  for (TAlign a : order) {
    for (TControl* c : children_) {
      if (c->align_ != a || !c->Visible()) continue;
      const int w = c->Width(), h = c->Height();
      switch (a) {
        case TAlign::alTop:
          c->SetBounds(area.left, area.top, area.right - area.left, h);
          area.top += h;
          break;
        case TAlign::alBottom:
          c->SetBounds(area.left, area.bottom - h, area.right - area.left, h);
          area.bottom -= h;
          break;
        case TAlign::alLeft:
          c->SetBounds(area.left, area.top, w, area.bottom - area.top);
          area.left += w;
          break;
        case TAlign::alRight:
          c->SetBounds(area.right - w, area.top, w, area.bottom - area.top);
          area.right -= w;
          break;
        case TAlign::alClient:
          c->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
          break;
        case TAlign::alNone:
          break;
      }
    }
  }
}

void TControl::Observe(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCDESTROY) {
    // A later window may get this handle: the tooltip must not know it.
    if (tipWith_ && ::IsWindow(tipWith_)) {
      TTTOOLINFOW ti = ToolOf(Handle(), nullptr);
      ::SendMessageW(tipWith_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    tipWith_ = nullptr;
    return;
  }
  if (hint_.empty()) return;
  switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      break;
    default:
      return;
  }
  HWND tip = Tooltip();
  if (!tip) return;
  if (tipWith_ != tip) RegisterTip(tip);
  MSG m{};
  m.hwnd = Handle();
  m.message = msg;
  m.wParam = wp;
  m.lParam = lp;
  m.time = static_cast<DWORD>(::GetMessageTime());
  const DWORD pos = ::GetMessagePos();
  m.pt = POINT{GET_X_LPARAM(static_cast<LPARAM>(pos)), GET_Y_LPARAM(static_cast<LPARAM>(pos))};
  ::SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
}

LRESULT TControl::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SIZE && wp != SIZE_MINIMIZED) {
    AlignControls();
    if (OnResize) OnResize();
  }
  return Window::HandleMessage(msg, wp, lp);
}

}  // namespace nv
