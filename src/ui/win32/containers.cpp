#include "ui/win32/containers.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

#include "ui/errors.h"
#include "ui/win32/icons.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

Window::ClassParams PanelClass() {
  Window::ClassParams c;
  c.background = nullptr;  // painted by the panel itself
  return c;
}

// Paint through a memory bitmap so resizing does not flicker.
template <class F>
void BufferedPaint(HWND hwnd, F paint) {
  PaintScope painting(hwnd);
  const HDC dc = painting.dc();
  RECT rc;
  ::GetClientRect(hwnd, &rc);
  UniqueHdc mem(::CreateCompatibleDC(dc));
  UniqueGdiObject bmp(::CreateCompatibleBitmap(dc, std::max<LONG>(1, rc.right), std::max<LONG>(1, rc.bottom)));
  SelectScope selected(mem.get(), bmp.get());
  paint(mem.get());
  ::BitBlt(dc, 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
}

UniqueGdiObject SolidBrush(COLORREF c) { return UniqueGdiObject(::CreateSolidBrush(c)); }
HBRUSH AsBrush(const UniqueGdiObject& b) { return static_cast<HBRUSH>(b.get()); }

const COLORREF kPanelFace = RGB(242, 244, 248);
const COLORREF kCaptionTop = RGB(58, 80, 118);
const COLORREF kCaptionText = RGB(255, 255, 255);

}  // namespace

UniqueGdiObject MiniHtmlRunFont(HDC dc, const MiniHtmlRun& run) {
  LOGFONTW lf{};
  ::GetObjectW(TControl::DefaultFont(), sizeof lf, &lf);
  if (run.bold) lf.lfWeight = FW_BOLD;
  if (run.italic) lf.lfItalic = TRUE;
  if (run.underline) lf.lfUnderline = TRUE;
  if (run.size) lf.lfHeight = -::MulDiv(run.size, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
  if (!run.face.empty()) wcsncpy(lf.lfFaceName, Widen(run.face).c_str(), LF_FACESIZE - 1);
  return UniqueGdiObject(::CreateFontIndirectW(&lf));
}

// --- TPanel -------------------------------------------------------------------

void TPanel::Create(TControl* parent, const std::string& name, const std::string& caption) {
  Name = name;
  CreateOwnChild(parent, L"TPanel", caption, WS_VISIBLE, PanelClass());
}

void TPanel::Paint(HDC dc) {
  RECT r;
  ::GetClientRect(Handle(), &r);
  ::FillRect(dc, &r, AsBrush(SolidBrush(kPanelFace)));
  if (Border) ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
}

LRESULT TPanel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      BufferedPaint(Handle(), [this](HDC dc) { Paint(dc); });
      return 0;
    case WM_SIZE:
      ::InvalidateRect(Handle(), nullptr, FALSE);
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Check boxes and labels take the panel's face colour.
      static HBRUSH face = ::CreateSolidBrush(kPanelFace);
      ::SetBkColor(reinterpret_cast<HDC>(wp), kPanelFace);
      return reinterpret_cast<LRESULT>(face);
    }
    default:
      break;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

// --- TCaptionPanel ----------------------------------------------------------------

void TCaptionPanel::Create(TControl* parent, const std::string& name, const std::string& caption,
                           const std::string& bodyMarkup) {
  body_ = bodyMarkup;
  TPanel::Create(parent, name, caption);
}

void TCaptionPanel::SetBodyMarkup(const std::string& markup) {
  body_ = markup;
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

RECT TCaptionPanel::ClientArea() const {
  RECT r = TControl::ClientArea();
  r.top = std::min(r.bottom, r.top + CaptionHeight());
  return r;
}

int TCaptionPanel::CaptionHeight() { return ui::Scaled(22); }

int TCaptionPanel::BodyTextHeight() {
  WindowDcScope dc(Handle());
  return DrawBody(dc.dc(), ClientArea(), true);
}

int TCaptionPanel::DrawBody(HDC dc, RECT area, bool measureOnly) {
  if (body_.empty()) return 0;
  const int margin = 8;
  area.left += margin;
  area.right -= margin;
  area.top += 6;
  int x = area.left, y = area.top, lineHeight = 0;
  ::SetBkMode(dc, TRANSPARENT);
  for (const auto& run : ParseMiniHtml(body_)) {
    const UniqueGdiObject font = MiniHtmlRunFont(dc, run);
    SelectScope selected(dc, font.get());
    ::SetTextColor(dc, run.color ? static_cast<COLORREF>(*run.color) : RGB(30, 35, 45));
    TEXTMETRICW tm;
    ::GetTextMetricsW(dc, &tm);
    lineHeight = std::max<int>(lineHeight, tm.tmHeight);
    // Word by word, wrapping at the right edge; "\n" starts a new line.
    const std::wstring text = Widen(run.text);
    size_t i = 0;
    while (i < text.size()) {
      if (text[i] == L'\n') {
        x = area.left;
        y += lineHeight;
        ++i;
        continue;
      }
      size_t j = i;
      while (j < text.size() && text[j] != L' ' && text[j] != L'\n') ++j;
      if (j < text.size() && text[j] == L' ') ++j;
      SIZE sz;
      ::GetTextExtentPoint32W(dc, text.data() + i, static_cast<int>(j - i), &sz);
      if (x + sz.cx > area.right && x > area.left) {
        x = area.left;
        y += lineHeight;
      }
      if (!measureOnly) ::TextOutW(dc, x, y, text.data() + i, static_cast<int>(j - i));
      x += sz.cx;
      i = j;
    }
  }
  return y + lineHeight - area.top + 10;
}

void TCaptionPanel::Paint(HDC dc) {
  TPanel::Paint(dc);
  RECT r;
  ::GetClientRect(Handle(), &r);
  RECT bar = r;
  bar.bottom = bar.top + CaptionHeight();
  TRIVERTEX v[2] = {{bar.left, bar.top, 0x3A00, 0x5000, 0x7600, 0},
                    {bar.right, bar.bottom, 0x2400, 0x3400, 0x5200, 0}};
  GRADIENT_RECT g{0, 1};
  if (!::GdiGradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V)) {
    ::FillRect(dc, &bar, AsBrush(SolidBrush(kCaptionTop)));
  }
  {
    SelectScope bold(dc, BoldFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kCaptionText);
    RECT t = bar;
    t.left += 8;
    const std::wstring cap = Widen(Caption());
    ::DrawTextW(dc, cap.c_str(), static_cast<int>(cap.size()), &t,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  }
  DrawBody(dc, ClientArea(), false);
  ::FrameRect(dc, &r, AsBrush(SolidBrush(RGB(150, 162, 182))));
}

// --- TTabSheet ----------------------------------------------------------------------

void TTabSheet::Create(TPageControl* owner, const std::string& name, const std::string& caption) {
  Name = name;
  owner_ = owner;
  ClassParams c;
  c.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  CreateOwnChild(owner, L"TAdvTabSheet", caption, 0, c);
  owner->Insert(this);
}

int TTabSheet::PageIndex() const {
  const auto& p = owner_->pages_;
  const auto it = std::find(p.begin(), p.end(), this);
  return it == p.end() ? -1 : static_cast<int>(it - p.begin());
}

void TTabSheet::SetPageIndex(int index) {
  const int last = owner_->PageCount() - 1;
  if (index < 0 || index > last)
    throw Exception(Format("%d is an invalid PageIndex value.  PageIndex must be between 0 and %d", index, last));
  owner_->Move(this, index);
}

LRESULT TTabSheet::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETTEXT) {
    const LRESULT r = TControl::HandleMessage(msg, wp, lp);
    if (owner_ && owner_->HandleAllocated()) owner_->Relayout();
    return r;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

// --- TPageControl -----------------------------------------------------------------

void TPageControl::Create(TControl* parent, const std::string& name) {
  Name = name;
  // Tab moves into the page on screen; the tabs themselves change by mouse
  // or Ctrl+Tab.
  CreateOwnChild(parent, L"TAdvPageControl", "", WS_VISIBLE, PanelClass());
}

TTabSheet* TPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) ThrowListIndexError(index);
  return pages_[static_cast<size_t>(index)];
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void TPageControl::SetActivePage(TTabSheet* sheet) {
  if (sheet == active_) return;
  TTabSheet* old = active_;
  active_ = sheet;
  if (active_) {
    PlaceSheet(active_);
    ::ShowWindow(active_->Handle(), SW_SHOW);
  }
  if (old) ::ShowWindow(old->Handle(), SW_HIDE);
  ::InvalidateRect(Handle(), nullptr, FALSE);
  if (old && old->OnExit) old->OnExit(*old);
  if (OnChange) OnChange();
}

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr);
}

TTabSheet& TPageControl::NewSheet(const std::string& name, const std::string& caption) {
  owned_.push_back(std::make_unique<TTabSheet>());
  TTabSheet& s = *owned_.back();
  s.Create(this, name, caption);
  return s;
}

bool TPageControl::Owns(const TTabSheet& sheet) const {
  return std::any_of(owned_.begin(), owned_.end(), [&](const auto& p) { return p.get() == &sheet; });
}

void TPageControl::FreeSheet(TTabSheet& sheet) {
  const int index = sheet.PageIndex();
  if (index < 0) return;
  if (&sheet == active_) {
    // As the framework does: the next page to the right (or the last one)
    // comes on screen without running the leaving sheet's exit event.
    active_ = nullptr;
    pages_.erase(pages_.begin() + index);
    if (!pages_.empty()) {
      TTabSheet* next = pages_[static_cast<size_t>(std::min<int>(index, PageCount() - 1))];
      active_ = next;
      PlaceSheet(next);
      ::ShowWindow(next->Handle(), SW_SHOW);
    }
  } else {
    pages_.erase(pages_.begin() + index);
  }
  sheet.OnExit = nullptr;
  auto it = std::find_if(owned_.begin(), owned_.end(), [&](const auto& p) { return p.get() == &sheet; });
  if (it != owned_.end()) owned_.erase(it);  // destroys the window and its children
  Relayout();
  if (OnChange) OnChange();
}

void TPageControl::Insert(TTabSheet* sheet) {
  pages_.push_back(sheet);
  Relayout();
}

void TPageControl::Move(TTabSheet* sheet, int index) {
  auto it = std::find(pages_.begin(), pages_.end(), sheet);
  if (it == pages_.end()) return;
  pages_.erase(it);
  pages_.insert(pages_.begin() + index, sheet);
  Relayout();
}

int TPageControl::TabHeight() { return ui::Scaled(kTabHeight96); }

int TPageControl::ImageWidth() const {
  int w = 0, h = 0;
  return Images && ImageList_GetIconSize(Images, &w, &h) ? w : 0;
}

RECT TPageControl::ClientArea() const {
  RECT r = TControl::ClientArea();
  r.top = std::min(r.bottom, r.top + TabHeight());
  return r;
}

void TPageControl::PlaceSheet(TTabSheet* sheet) {
  const RECT a = ClientArea();
  ::SetWindowPos(sheet->Handle(), nullptr, a.left + 1, a.top + 1, std::max<LONG>(0, a.right - a.left - 2),
                 std::max<LONG>(0, a.bottom - a.top - 2), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TPageControl::Relayout() {
  if (!HandleAllocated()) return;
  if (active_) PlaceSheet(active_);
  tabRects_.clear();
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TPageControl::MeasureTabs(HDC dc) {
  tabRects_.clear();
  RECT client;
  ::GetClientRect(Handle(), &client);
  SelectScope font(dc, DefaultFont());
  int x = 2;
  std::vector<int> widths;
  for (TTabSheet* s : pages_) {
    const std::wstring cap = Widen(s->Caption());
    SIZE sz{};
    ::GetTextExtentPoint32W(dc, cap.c_str(), static_cast<int>(cap.size()), &sz);
    int w = sz.cx + ui::Scaled(16);
    if (Images && s->ImageIndex >= 0) w += ImageWidth() + ui::Scaled(4);
    if (s->ShowClose) w += ui::Scaled(18);
    widths.push_back(w);
  }
  int total = 0;
  for (int w : widths) total += w;
  const int avail = std::max<int>(1, client.right - 4);
  for (size_t i = 0; i < pages_.size(); ++i) {
    int w = widths[i];
    if (total > avail) w = std::max(ui::Scaled(40), static_cast<int>(static_cast<long long>(w) * avail / total));
    tabRects_.push_back(RECT{x, 2, x + w, TabHeight()});
    x += w;
  }
}

RECT TPageControl::TabRect(int index) {
  if (tabRects_.size() != pages_.size()) {
    WindowDcScope dc(Handle());
    MeasureTabs(dc.dc());
  }
  if (index < 0 || index >= static_cast<int>(tabRects_.size())) return RECT{};
  return tabRects_[static_cast<size_t>(index)];
}

RECT TPageControl::CloseButtonRect(int index) {
  const RECT t = TabRect(index);
  const int size = ui::Scaled(14), right = t.right - ui::Scaled(4);
  const int top = t.top + (t.bottom - t.top - size) / 2;
  return RECT{right - size, top, right, top + size};
}

int TPageControl::HitTab(POINT p, bool* onClose) {
  for (int i = 0; i < PageCount(); ++i) {
    const RECT t = TabRect(i);
    if (::PtInRect(&t, p)) {
      const RECT c = CloseButtonRect(i);
      if (onClose) *onClose = pages_[static_cast<size_t>(i)]->ShowClose && ::PtInRect(&c, p);
      return i;
    }
  }
  return -1;
}

void TPageControl::Paint(HDC dc) {
  RECT client;
  ::GetClientRect(Handle(), &client);
  ::FillRect(dc, &client, AsBrush(SolidBrush(RGB(226, 231, 238))));
  MeasureTabs(dc);
  RECT body = ClientArea();
  const UniqueGdiObject frame = SolidBrush(RGB(150, 162, 182));
  ::FrameRect(dc, &body, AsBrush(frame));
  SelectScope font(dc, DefaultFont());
  ::SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < PageCount(); ++i) {
    TTabSheet* s = pages_[static_cast<size_t>(i)];
    RECT t = tabRects_[static_cast<size_t>(i)];
    const bool active = s == active_;
    if (!active) t.top += ui::Scaled(2);
    ::FillRect(dc, &t, AsBrush(SolidBrush(active ? RGB(255, 255, 255) : RGB(208, 215, 226))));
    ::FrameRect(dc, &t, AsBrush(frame));
    int x = t.left + ui::Scaled(8);
    if (Images && s->ImageIndex >= 0 && s->ImageIndex < ImageList_GetImageCount(Images)) {
      int iw = 0, ih = 0;
      ImageList_GetIconSize(Images, &iw, &ih);
      ImageList_Draw(Images, s->ImageIndex, dc, x, t.top + (t.bottom - t.top - ih) / 2, ILD_TRANSPARENT);
      x += iw + ui::Scaled(4);
    }
    RECT tr{x, t.top, t.right - ui::Scaled(s->ShowClose ? 20 : 4), t.bottom};
    ::SetTextColor(dc, active ? RGB(20, 30, 45) : RGB(60, 70, 85));
    const std::wstring cap = Widen(s->Caption());
    ::DrawTextW(dc, cap.c_str(), static_cast<int>(cap.size()), &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    if (s->ShowClose) {
      RECT c = CloseButtonRect(i);
      if (hotClose_ == i) {
        ::FillRect(dc, &c, AsBrush(SolidBrush(RGB(232, 17, 35))));
      }
      UniqueGdiObject pen(
          ::CreatePen(PS_SOLID, ui::Scaled(2), hotClose_ == i ? RGB(255, 255, 255) : RGB(80, 80, 80)));
      SelectScope drawing(dc, pen.get());
      const int in = ui::Scaled(4);
      ::MoveToEx(dc, c.left + in, c.top + in, nullptr);
      ::LineTo(dc, c.right - in, c.bottom - in);
      ::MoveToEx(dc, c.right - in, c.top + in, nullptr);
      ::LineTo(dc, c.left + in, c.bottom - in);
    }
  }
}

LRESULT TPageControl::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      BufferedPaint(Handle(), [this](HDC dc) { Paint(dc); });
      return 0;
    case WM_SIZE:
      Relayout();
      break;
    case WM_LBUTTONDOWN: {
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      bool onClose = false;
      const int i = HitTab(p, &onClose);
      if (i >= 0) {
        TTabSheet* s = pages_[static_cast<size_t>(i)];
        if (onClose) {
          if (OnCloseSheet) OnCloseSheet(*s);
        } else {
          SetActivePage(s);
        }
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      bool onClose = false;
      const int i = HitTab(p, &onClose);
      const int hot = onClose ? i : -1;
      if (hot != hotClose_) {
        hotClose_ = hot;
        ::InvalidateRect(Handle(), nullptr, FALSE);
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&t);
      }
      break;
    }
    case WM_MOUSELEAVE:
      if (hotClose_ != -1) {
        hotClose_ = -1;
        ::InvalidateRect(Handle(), nullptr, FALSE);
      }
      break;
    default:
      break;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

// --- TToolBar ---------------------------------------------------------------------

void TToolBar::Create(TControl* parent, const std::string& name) {
  Name = name;
  CreateOwnChild(parent, L"TAdvToolBar", "", WS_VISIBLE, PanelClass());
}

void TToolBar::AddItem(TControl& item, int width) {
  // Appending moves none of the items before it, so only the new one is
  // placed: laying the whole band out again for each item made building a
  // long toolbar quadratic in window moves.
  int x = FirstX();
  for (const Slot& s : slots_) x += Advance(s);
  slots_.push_back({&item, width});
  if (!HandleAllocated()) return;
  RECT r;
  ::GetClientRect(Handle(), &r);
  PlaceSlot(slots_.back(), x, r);
}

void TToolBar::AddSeparator() { slots_.push_back({nullptr, ui::Scaled(8)}); }

int TToolBar::FirstX() { return ui::Scaled(4); }

int TToolBar::Advance(const Slot& s) { return s.item ? s.width + ui::Scaled(3) : s.width; }

int TToolBar::PlaceSlot(const Slot& s, int x, const RECT& r) {
  if (!s.item) return x + Advance(s);
  // Combo boxes keep the height the system gives them; the rest fill
  // most of the band.
  wchar_t cls[16] = {};
  ::GetClassNameW(s.item->Handle(), cls, 16);
  const bool combo = _wcsicmp(cls, L"COMBOBOX") == 0;
  const int h = combo ? s.item->Height() : std::min<int>(ui::Scaled(22), r.bottom - 2);
  const bool fits = x + s.width <= r.right - 2;
  s.item->SetBounds(x, (r.bottom - h) / 2, s.width, h);
  // Items are made visible; only those whose state changes are shown or
  // hidden, each call being a round trip to the window system.
  if (s.item->Visible() != fits) ::ShowWindow(s.item->Handle(), fits ? SW_SHOWNA : SW_HIDE);
  return x + Advance(s);
}

void TToolBar::LayoutItems() {
  if (!HandleAllocated()) return;
  RECT r;
  ::GetClientRect(Handle(), &r);
  int x = FirstX();
  for (const Slot& s : slots_) x = PlaceSlot(s, x, r);
}

LRESULT TToolBar::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      BufferedPaint(Handle(), [this](HDC dc) {
        RECT r;
        ::GetClientRect(Handle(), &r);
        TRIVERTEX v[2] = {{r.left, r.top, 0xFA00, 0xFB00, 0xFD00, 0}, {r.right, r.bottom, 0xDD00, 0xE300, 0xEC00, 0}};
        GRADIENT_RECT g{0, 1};
        ::GdiGradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
      });
      return 0;
    case WM_SIZE:
      LayoutItems();
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      static HBRUSH face = ::CreateSolidBrush(RGB(236, 240, 245));
      ::SetBkColor(reinterpret_cast<HDC>(wp), RGB(236, 240, 245));
      return reinterpret_cast<LRESULT>(face);
    }
    default:
      break;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

// --- TTimer -------------------------------------------------------------------------

namespace {

// The running timers by their system id; the GUI thread's only.
std::map<UINT_PTR, TTimer*>& RunningTimers() {
  static std::map<UINT_PTR, TTimer*> timers;
  return timers;
}

}  // namespace

TTimer::~TTimer() { SetEnabled(false); }

void TTimer::Create(unsigned intervalMs) {
  interval_ = intervalMs;
  created_ = true;
}

void TTimer::SetEnabled(bool e) {
  if (e == enabled_ || !created_) return;
  if (e) {
    id_ = ::SetTimer(nullptr, 0, interval_, &TTimer::Tick);
    if (!id_) return;
    RunningTimers()[id_] = this;
  } else {
    ::KillTimer(nullptr, id_);
    RunningTimers().erase(id_);
    id_ = 0;
  }
  enabled_ = e;
}

void CALLBACK TTimer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  // The handler may disable or destroy its timer: it is looked up afresh
  // for each tick.
  const auto it = RunningTimers().find(id);
  if (it == RunningTimers().end()) return;
  TTimer* timer = it->second;
  if (!timer->OnTimer) return;
  try {
    timer->OnTimer();
  } catch (...) {
    Window::ReportException(std::current_exception());
  }
}

// --- TImageList -----------------------------------------------------------------------

void TImageList::Create(int width, int height) {
  list_.reset(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4));
}

int TImageList::Count() const { return list_ ? ImageList_GetImageCount(list_.get()) : 0; }

int TImageList::AddIcon(HICON icon) { return list_ && icon ? ImageList_AddIcon(list_.get(), icon) : -1; }

}  // namespace nv
