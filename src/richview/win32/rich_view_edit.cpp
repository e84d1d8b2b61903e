#include "richview/win32/rich_view_edit.h"

#include <imm.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>
#include <utility>

#include "richview/clipboard.h"
#include "richview/paginate.h"
#include "richview/win32/drag_source.h"
#include "richview/win32/locale_font_names.h"
#include "richview/utf8.h"
#include "ui/text.h"
#include "ui/win32/com_object.h"
#include "ui/win32/icons.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

constexpr int kLineStep96 = 16;     // pixels per scroll-bar arrow click, at 96 DPI
constexpr int kMargin96 = 5;        // around the text, at 96 DPI
constexpr UINT_PTR kDragTimer = 1;  // auto-scroll while dragging outside

std::string Utf8Slice(std::string_view s, int from, int to) {
  const std::size_t a = Utf8ByteOffset(s, from);
  const std::size_t b = Utf8ByteOffset(s, to);
  return std::string(s.substr(a, b > a ? b - a : 0));
}

// The clipboard is shared with every other program: another may hold it
// open for a moment, so a few attempts are made before giving up.
bool OpenClipboardFor(HWND hwnd) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (::OpenClipboard(hwnd)) return true;
    ::Sleep(10);
  }
  return false;
}

struct ClipboardCloser {
  ~ClipboardCloser() { ::CloseClipboard(); }
};

void PutClipboard(UINT format, const void* data, size_t size) {
  HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  if (!h) return;
  if (void* p = ::GlobalLock(h)) {
    if (size) std::memcpy(p, data, size);
    ::GlobalUnlock(h);
    if (::SetClipboardData(format, h)) return;  // the clipboard owns it now
  }
  ::GlobalFree(h);
}

// UTF-16 text as the clipboard and OLE hand it over: up to its NUL.
std::u16string TextUpToNul(const std::string& bytes) {
  std::u16string u(bytes.size() / 2, u'\0');
  if (!u.empty()) std::memcpy(u.data(), bytes.data(), u.size() * 2);
  if (auto nul = u.find(u'\0'); nul != std::u16string::npos) u.resize(nul);
  return u;
}

std::string GetClipboardBytes(UINT format) {
  HANDLE h = ::GetClipboardData(format);
  if (!h) return {};
  const SIZE_T size = ::GlobalSize(h);
  const void* p = ::GlobalLock(h);
  if (!p) return {};
  std::string bytes(static_cast<const char*>(p), size);
  ::GlobalUnlock(h);
  return bytes;
}

}  // namespace

UINT TRichViewEdit::RVFClipboardFormat() {
  static const UINT format = ::RegisterClipboardFormatW(Widen(kRVFClipboardFormat).c_str());
  return format;
}

UINT TRichViewEdit::RTFClipboardFormat() {
  static const UINT format = ::RegisterClipboardFormatW(L"Rich Text Format");
  return format;
}

UINT TRichViewEdit::PNGClipboardFormat() {
  static const UINT format = ::RegisterClipboardFormatW(L"PNG");
  return format;
}

TRichViewEdit::TRichViewEdit() : core_(doc_), layout_(metrics_) {
  // Faces the user sees as one font are one style's face.
  UseLocaleFontNameRule();
  core_.OnCurTextStyleChanged = [this] {
    if (OnCurTextStyleChanged) OnCurTextStyleChanged();
  };
}

// The editor as a drop target. It lives as long as the control; OLE's
// references only keep the object, never the control, alive.
class TRichViewEdit::DropTargetImpl final : public TComObject<IDropTarget> {
 public:
  explicit DropTargetImpl(TRichViewEdit& edit) : edit_(edit) {}
  STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
    // Our own selection, dragged from this editor, is moved by the editor
    // itself rather than pasted from its data.
    own_ = alive_ && data && data == edit_.dragData_;
    accept_ = alive_ && !edit_.ReadOnly() && (own_ || Acceptable(data));
    return DragOver(keys, pt, effect);
  }
  STDMETHODIMP DragOver(DWORD keys, POINTL pt, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    if (!accept_) {
      *effect = DROPEFFECT_NONE;
    } else if (own_) {
      *effect = OwnEffect(keys, *effect, edit_.PositionAtScreenPoint(pt));
      edit_.ShowDropCaret(pt);
    } else {
      *effect = DROPEFFECT_COPY;
      edit_.CaretToScreenPoint(pt);
    }
    return S_OK;
  }
  STDMETHODIMP DragLeave() override {
    if (own_ && alive_) edit_.HideDropCaret();
    return S_OK;
  }
  STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    if (!alive_ || !data || edit_.ReadOnly()) return S_OK;
    try {
      if (own_ && data == edit_.dragData_) {
        edit_.HideDropCaret();
        // Whatever happens here, the drag's source must not delete the
        // selection afterwards as if it had gone to another program.
        edit_.droppedHere_ = true;
        const TRVPosition at = edit_.PositionAtScreenPoint(pt);
        const DWORD wanted = OwnEffect(keys, allowed, at);
        if (wanted != DROPEFFECT_NONE &&
            edit_.Run([&] { return edit_.core_.DropSelectionAt(at, wanted == DROPEFFECT_COPY); }))
          *effect = wanted;
      } else {
        edit_.CaretToScreenPoint(pt);
        if (edit_.DropData(data)) *effect = DROPEFFECT_COPY;
      }
    } catch (...) {
      // Nothing may cross back into OLE; the document is as the failed
      // step left it, which the edit core keeps consistent.
    }
    return S_OK;
  }
  void Detach() { alive_ = false; }

 protected:
  bool Answers(REFIID riid) const override { return riid == IID_IDropTarget; }

 private:
  // Ctrl copies, else a move, as far as the source allows either; none
  // where the drop would do nothing (inside the selection).
  DWORD OwnEffect(DWORD keys, DWORD allowed, TRVPosition at) const {
    DWORD wanted = (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    if (!(allowed & wanted)) wanted = allowed & DROPEFFECT_COPY;
    if (wanted == DROPEFFECT_NONE) return wanted;
    return edit_.core_.CanDropSelectionAt(at, wanted == DROPEFFECT_COPY) ? wanted : DROPEFFECT_NONE;
  }
  static bool Acceptable(IDataObject* data) {
    if (!data) return false;
    for (UINT f : {static_cast<UINT>(CF_HDROP), RVFClipboardFormat(), RTFClipboardFormat(),
                   static_cast<UINT>(CF_UNICODETEXT)}) {
      FORMATETC fe{static_cast<CLIPFORMAT>(f), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
      if (data->QueryGetData(&fe) == S_OK) return true;
    }
    return false;
  }
  TRichViewEdit& edit_;
  bool alive_ = true;
  bool accept_ = false;
  bool own_ = false;
};

namespace {

std::string DataBytes(IDataObject* data, UINT format) {
  FORMATETC fe{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (data->GetData(&fe, &medium) != S_OK) return {};
  std::string bytes;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    if (const void* p = ::GlobalLock(medium.hGlobal)) {
      bytes.assign(static_cast<const char*>(p), ::GlobalSize(medium.hGlobal));
      ::GlobalUnlock(medium.hGlobal);
    }
  }
  ::ReleaseStgMedium(&medium);
  return bytes;
}

std::vector<std::string> DroppedFiles(IDataObject* data) {
  std::vector<std::string> files;
  FORMATETC fe{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (data->GetData(&fe, &medium) != S_OK) return files;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    auto drop = static_cast<HDROP>(medium.hGlobal);
    const UINT n = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
      std::wstring name(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
      name.resize(::DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
      if (!name.empty()) files.push_back(Narrow(name));
    }
  }
  ::ReleaseStgMedium(&medium);
  return files;
}

}  // namespace

IDropTarget* TRichViewEdit::DropTarget() { return dropTarget_; }

void TRichViewEdit::CaretToScreenPoint(POINTL pt) {
  POINT p{pt.x, pt.y};
  ::ScreenToClient(Handle(), &p);
  MouseTo(p.x, p.y, false);
}

TRVPosition TRichViewEdit::PositionAtScreenPoint(POINTL pt) const {
  POINT p{pt.x, pt.y};
  ::ScreenToClient(Handle(), &p);
  return doc_.IsEmpty() ? TRVPosition{} : layout_.HitTest(doc_, p.x, p.y + scrollY_);
}

void TRichViewEdit::ShowDropCaret(POINTL pt) {
  if (doc_.IsEmpty()) return;
  dropCaret_ = true;
  dropCaretPos_ = PositionAtScreenPoint(pt);
  UpdateCaret();
}

void TRichViewEdit::HideDropCaret() {
  dropCaret_ = false;
  UpdateCaret();
}

bool TRichViewEdit::OverSelection(int x, int y) const {
  if (!core_.SelectionExists()) return false;
  const TRVPosition pos = layout_.HitTest(doc_, x, y + scrollY_);
  const TRVParaOffset at = ToParaOffset(doc_, pos);
  // The hit gives the nearest boundary between characters; the character
  // under the point is the one after it when the point is right of it.
  const int ch = x >= layout_.CaretRect(doc_, pos).Left ? at.Offset : at.Offset - 1;
  if (ch < 0 || ch >= ParagraphLength(doc_.Paragraph(at.Para))) return false;
  return ToParaOffset(doc_, core_.SelectionStart()) <= TRVParaOffset{at.Para, ch} &&
         TRVParaOffset{at.Para, ch + 1} <= ToParaOffset(doc_, core_.SelectionEnd());
}

IDataObject* TRichViewEdit::SelectionDataObject() const {
  if (!core_.SelectionExists()) return nullptr;
  return MakeDragDataObject(MakeClipboardData(core_.CopySelection(), GifIcoToPng));
}

void TRichViewEdit::StartDrag() {
  IDataObject* data = SelectionDataObject();
  if (!data) return;
  IDropSource* source = MakeDropSource();
  dragData_ = data;
  droppedHere_ = false;
  const DWORD allowed = ReadOnly() ? DROPEFFECT_COPY : DROPEFFECT_COPY | DROPEFFECT_MOVE;
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr = E_FAIL;
  try {
    hr = DragDropper ? DragDropper(data, source, allowed, &effect) : ::DoDragDrop(data, source, allowed, &effect);
  } catch (...) {
    hr = E_FAIL;  // runs inside a window procedure: nothing may leave it
  }
  dragData_ = nullptr;
  dropCaret_ = false;
  source->Release();
  data->Release();
  // Another program took it as a move: it is gone from here.
  if (hr == DRAGDROP_S_DROP && !droppedHere_ && (effect & DROPEFFECT_MOVE)) DeleteSelection();
  UpdateCaret();
}

bool TRichViewEdit::DropData(IDataObject* data) {
  const std::vector<std::string> files = DroppedFiles(data);
  if (!files.empty()) {
    if (!OnDropFile) return false;
    for (const std::string& f : files) OnDropFile(f);
    return true;
  }
  TRVClipboardData forms;
  forms.rvf = DataBytes(data, RVFClipboardFormat());
  forms.rtf = DataBytes(data, RTFClipboardFormat());
  if (auto nul = forms.rtf.find('\0'); nul != std::string::npos) forms.rtf.resize(nul);
  forms.unicodeText = TextUpToNul(DataBytes(data, CF_UNICODETEXT));
  TRVDocument fragment;
  if (!ReadClipboardData(forms, fragment)) return false;
  return Run([&] { return core_.Paste(fragment); });
}

TRichViewEdit::~TRichViewEdit() {
  if (HandleAllocated()) DestroyHandle();
  if (dropTarget_) {
    dropTarget_->Detach();
    dropTarget_->Release();
  }
  if (oleInit_) ::OleUninitialize();
}

void TRichViewEdit::Create(TControl* parent, const std::string& name) {
  Name = name;
  ClassParams c;
  c.background = nullptr;
  c.cursor = MAKEINTRESOURCEW(32513);  // IDC_IBEAM
  CreateOwnChild(parent, L"TRichViewEdit", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL, c, WS_EX_CLIENTEDGE);
  // Text, margins, indents and pictures grow with the display's DPI.
  dpi_ = ui::DpiFor(Handle());
  SetZoom(zoom_);
  // Drops from other programs need OLE on this (the GUI) thread.
  oleInit_ = SUCCEEDED(::OleInitialize(nullptr));
  dropTarget_ = new DropTargetImpl(*this);
}

void TRichViewEdit::AcceptDropsOnce() {
  // Nothing can be dropped on an editor that is not on screen yet, and
  // registering costs a round of COM marshalling: it is done at the first
  // paint, so a notebook whose tab is not shown costs nothing at start-up.
  if (!oleInit_ || dropRegistered_) return;
  dropRegistered_ = SUCCEEDED(::RegisterDragDrop(Handle(), dropTarget_));
}

void TRichViewEdit::SetZoom(int percent) {
  zoom_ = std::clamp(percent, kMinZoom, kMaxZoom);
  // Zooming is laying out for a display of a higher or lower DPI.
  const int dpi = std::max(1, dpi_ * zoom_ / 100);
  metrics_.SetDpi(dpi);
  layout_.SetDpi(dpi);
  const int margin = layout_.Px(kMargin96);
  layout_.SetMargins(margin, margin, margin, margin);
  layout_.SetWidth(std::max(1, ClientWidth()));
  Format();
  ScrollToCaret();
  UpdateCaret();
}

int TRichViewEdit::LineStep() const { return layout_.Px(kLineStep96); }

TRVRect TRichViewEdit::EmptyCaretRect() const {
  const int m = layout_.Px(kMargin96);
  return TRVRect{m, m, m + 1, m + layout_.Px(16)};
}

int TRichViewEdit::ClientHeight() const {
  RECT r{};
  if (HandleAllocated()) ::GetClientRect(Handle(), &r);
  return r.bottom;
}

int TRichViewEdit::ClientWidth() const {
  RECT r{};
  if (HandleAllocated()) ::GetClientRect(Handle(), &r);
  return r.right;
}

// ------------------------------------------------------------ formatting

void TRichViewEdit::Format() {
  core_.Format();
  // A file read may have replaced the style sheet: nothing laid out before
  // can be trusted to match it.
  layout_.Invalidate();
  metrics_.Clear();
  layout_.Format(doc_);
  UpdateScrollBar();
  ScrollTo(scrollY_);
  if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, FALSE);
  UpdateCaret();
}

void TRichViewEdit::FormatTail() {
  core_.FormatTail();
  AfterChange(true);
}

void TRichViewEdit::Clear() {
  core_.Clear();
  core_.TakeChange();
}

void TRichViewEdit::SetColor(TColor c) {
  // The colour is saved with the document: changing it is a change the
  // save-before-open question must not let go unsaved.
  if (c != doc_.Color) core_.SetModified(true);
  doc_.Color = c;
  if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

template <class Op>
bool TRichViewEdit::Run(Op op) {
  const TRVPosition a0 = core_.Anchor(), c0 = core_.Caret();
  const bool ok = op();
  InvalidateSelection(a0, c0, core_.Anchor(), core_.Caret());
  AfterChange(true);
  return ok;
}

void TRichViewEdit::PaintBuffered(HDC dc, const RECT& rc) {
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w <= 0 || h <= 0) return;
  if (!backDc_ || w > backWidth_ || h > backHeight_) {
    // Room for the whole client area at once, so a resize needs one new
    // buffer rather than one per size on the way.
    RECT client{};
    if (HandleAllocated()) ::GetClientRect(Handle(), &client);
    const int bw = std::max<int>(w, client.right), bh = std::max<int>(h, client.bottom);
    backDc_.reset();
    backBitmap_.reset();
    backWidth_ = backHeight_ = 0;
    UniqueHdc mem(::CreateCompatibleDC(dc));
    // A DIB section: painting into it stays inside the process.
    void* bits = nullptr;
    UniqueGdiObject bmp = TopDownDib32(dc, bw, bh, &bits);
    if (!mem || !bmp) return;
    ::SelectObject(mem.get(), bmp.get());
    backBitmap_ = std::move(bmp);
    backDc_ = std::move(mem);
    backWidth_ = bw;
    backHeight_ = bh;
  }
  HDC mem = backDc_.get();
  const int saved = ::SaveDC(mem);
  ::SetViewportOrgEx(mem, -rc.left, -rc.top, nullptr);
  Paint(mem, rc);
  ::RestoreDC(mem, saved);
  ::BitBlt(dc, rc.left, rc.top, w, h, mem, 0, 0, SRCCOPY);
}

void TRichViewEdit::EditThroughCore(const std::function<void(TRVEditCore&)>& command) {
  std::exception_ptr failure;
  Run([&] {
    try {
      command(core_);
    } catch (...) {
      failure = std::current_exception();
    }
    return true;
  });
  if (failure) std::rethrow_exception(failure);
}

void TRichViewEdit::AfterChange(bool) {
  const TRVDocChange ch = core_.TakeChange();
  if (ch.Any()) {
    const int oldHeight = layout_.DocumentHeight();
    const int oldCount = layout_.ParagraphCount();
    const int count = doc_.ParagraphCount();
    // One paragraph changed in place (typing, most often): its old lines are
    // kept to repaint only those that changed.
    const int single = count == oldCount && ch.Head + ch.Tail + 1 == count ? ch.Head : -1;
    TRVParaLayout before;
    if (single >= 0 && single < oldCount) before = layout_.Para(single);
    layout_.Update(doc_, ch);
    const int first = std::min(ch.Head, std::max(0, count - 1));
    const int last = std::max(first, count - 1 - std::min(ch.Tail, count));
    if (layout_.DocumentHeight() != oldHeight || count != oldCount) InvalidateParas(first, INT_MAX);
    else if (single >= 0 && single < count) InvalidateChangedLines(single, before);
    else InvalidateParas(first, last);
    UpdateScrollBar();
    if (OnChange) OnChange();
  }
  ScrollToCaret();
  UpdateCaret();
}

void TRichViewEdit::InvalidateChangedLines(int p, const TRVParaLayout& before) {
  const TRVParaLayout& now = layout_.Para(p);
  if (now.Height != before.Height) return InvalidateParas(p, INT_MAX);
  // Lines are the same when their places and runs are.
  auto runs = [](const TRVParaLayout& L, const TRVLayoutLine& line) {
    return std::span(L.Runs).subspan(static_cast<size_t>(line.FirstRun), static_cast<size_t>(line.RunCount));
  };
  size_t same = 0;
  while (same < now.Lines.size() && same < before.Lines.size()) {
    const TRVLayoutLine& a = now.Lines[same];
    const TRVLayoutLine& b = before.Lines[same];
    if (!(a == b)) break;
    const auto ra = runs(now, a), rb = runs(before, b);
    if (!std::equal(ra.begin(), ra.end(), rb.begin(), rb.end())) break;
    ++same;
  }
  if (same == now.Lines.size() && same == before.Lines.size()) {
    // The same lines: a change of colour or a picture's data, say.
    return InvalidateParas(p, p);
  }
  if (!HandleAllocated()) return;
  RECT r;
  ::GetClientRect(Handle(), &r);
  const int top = layout_.ParaTop(p) - scrollY_;
  if (same < now.Lines.size()) r.top = std::max<LONG>(r.top, top + now.Lines[same].Top);
  else r.top = std::max<LONG>(r.top, top);
  r.bottom = std::min<LONG>(r.bottom, top + now.Height);
  if (r.bottom > r.top) ::InvalidateRect(Handle(), &r, FALSE);
}

void TRichViewEdit::InvalidateParas(int first, int last) {
  if (!HandleAllocated()) return;
  RECT r;
  ::GetClientRect(Handle(), &r);
  const int count = layout_.ParagraphCount();
  if (count == 0 || first >= count) {
    if (count == 0) ::InvalidateRect(Handle(), nullptr, FALSE);
    else {
      r.top = std::max<LONG>(0, layout_.DocumentHeight() - scrollY_ - 1);
      ::InvalidateRect(Handle(), &r, FALSE);
    }
    return;
  }
  first = std::max(0, first);
  r.top = std::max<LONG>(0, layout_.ParaTop(first) - scrollY_);
  if (last < count - 1) r.bottom = std::min<LONG>(r.bottom, layout_.ParaTop(last + 1) - scrollY_);
  if (r.bottom > r.top) ::InvalidateRect(Handle(), &r, FALSE);
}

void TRichViewEdit::InvalidateSelection(TRVPosition a1, TRVPosition c1, TRVPosition a2, TRVPosition c2) {
  const bool had = !(a1 == c1), has = !(a2 == c2);
  if (!had && !has) return;
  int lo = INT_MAX, hi = -1;
  auto take = [&](const TRVPosition& a, const TRVPosition& c) {
    lo = std::min({lo, a.Para, c.Para});
    hi = std::max({hi, a.Para, c.Para});
  };
  if (had) take(a1, c1);
  if (has) take(a2, c2);
  InvalidateParas(lo, hi);
}

// ------------------------------------------------------------- scrolling

void TRichViewEdit::UpdateScrollBar() {
  if (!HandleAllocated()) return;
  const int height = layout_.DocumentHeight(), page = std::max(0, ClientHeight());
  if (height == barHeight_ && page == barPage_ && scrollY_ == barPos_) return;
  barHeight_ = height;
  barPage_ = page;
  barPos_ = scrollY_;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = std::max(0, height - 1);
  si.nPage = static_cast<UINT>(page);
  si.nPos = scrollY_;
  ::SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
}

void TRichViewEdit::ScrollTo(int y) {
  const int maxY = std::max(0, layout_.DocumentHeight() - ClientHeight());
  y = std::clamp(y, 0, maxY);
  if (y == scrollY_) return;
  const int dy = scrollY_ - y;
  scrollY_ = y;
  if (!HandleAllocated()) return;
  ::ScrollWindowEx(Handle(), 0, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
  ::SetScrollPos(Handle(), SB_VERT, scrollY_, TRUE);
  barPos_ = scrollY_;
  UpdateCaret();
}

void TRichViewEdit::ScrollToCaret() {
  if (doc_.IsEmpty() || !HandleAllocated()) return;
  const TRVRect r = layout_.CaretRect(doc_, core_.Caret());
  const int h = ClientHeight();
  // Near the document's ends the margin comes into view with the caret.
  const int nearEnd = 2 * LineStep();
  if (r.Top < scrollY_) ScrollTo(r.Top < nearEnd ? 0 : r.Top);
  else if (r.Bottom > scrollY_ + h) ScrollTo(r.Bottom > layout_.DocumentHeight() - nearEnd ? INT_MAX : r.Bottom - h);
}

void TRichViewEdit::UpdateCaret() {
  if (!HandleAllocated() || ::GetFocus() != Handle()) return;
  TRVRect r = EmptyCaretRect();
  if (!doc_.IsEmpty()) r = layout_.CaretRect(doc_, dropCaret_ ? dropCaretPos_ : core_.Caret());
  const int height = std::max(1, r.Bottom - r.Top);
  // A new caret only when its height changes: making one costs far more
  // than moving it.
  if (!caretMade_ || height != caretHeight_) {
    if (caretMade_) ::DestroyCaret();
    caretMade_ = ::CreateCaret(Handle(), nullptr, 1, height) != FALSE;
    caretHeight_ = height;
    ::SetCaretPos(r.Left, r.Top - scrollY_);
    ::ShowCaret(Handle());
    return;
  }
  ::SetCaretPos(r.Left, r.Top - scrollY_);
}

int TRichViewEdit::FirstVisiblePara(int y) const {
  int lo = 0, hi = layout_.ParagraphCount() - 1;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (layout_.ParaTop(mid) <= y) lo = mid;
    else hi = mid - 1;
  }
  return lo;
}

// -------------------------------------------------------------- painting

void TRichViewEdit::Paint(HDC dc, const RECT& clip) {
  const COLORREF back = GdiColor(doc_.Color, ::GetSysColor(COLOR_WINDOW));
  HBRUSH brush = ::CreateSolidBrush(back);
  ::FillRect(dc, &clip, brush);
  ::DeleteObject(brush);
  if (doc_.IsEmpty() || layout_.ParagraphCount() != doc_.ParagraphCount()) return;
  TRVParaOffset selFrom{-1, 0}, selTo{-1, 0};
  if (core_.SelectionExists()) {
    selFrom = ToParaOffset(doc_, core_.SelectionStart());
    selTo = ToParaOffset(doc_, core_.SelectionEnd());
  }
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextAlign(dc, TA_BASELINE | TA_LEFT);
  for (int p = FirstVisiblePara(clip.top + scrollY_); p < doc_.ParagraphCount(); ++p) {
    const int top = layout_.ParaTop(p) - scrollY_;
    if (top >= clip.bottom) break;
    PaintPara(dc, layout_, metrics_, p, top, selFrom, selTo, clip);
  }
}

void TRichViewEdit::PaintPara(HDC dc, const TRVLayout& layout, TGdiFontMetrics& metrics, int p, int top,
                              TRVParaOffset selFrom, TRVParaOffset selTo, const RECT& clip) {
  const TRVParagraph& para = doc_.Paragraph(p);
  const TRVParaLayout& pl = layout.Para(p);
  // The part of this paragraph that is selected, [selA, selB).
  int selA = INT_MAX, selB = INT_MIN;
  if (selFrom.Para >= 0 && p >= selFrom.Para && p <= selTo.Para) {
    selA = p == selFrom.Para ? selFrom.Offset : 0;
    selB = p == selTo.Para ? selTo.Offset : INT_MAX;
  }
  const COLORREF windowText = ::GetSysColor(COLOR_WINDOWTEXT);
  const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF highlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
  int lineRight = 0, lastLineTop = top, lastLineHeight = 0;
  for (const TRVLayoutLine& line : pl.Lines) {
    const int lineTop = top + line.Top;
    const int baseline = lineTop + line.Baseline;
    lastLineTop = lineTop;
    lastLineHeight = line.Height;
    // Lines outside the area being painted are left alone: an edit repaints
    // only the lines it changed.
    if (lineTop >= clip.bottom || lineTop + line.Height <= clip.top) continue;
    for (int i = line.FirstRun; i < line.FirstRun + line.RunCount; ++i) {
      const TRVLayoutRun& run = pl.Runs[static_cast<size_t>(i)];
      lineRight = run.X + run.Width;
      const int s = std::max(run.Start, selA), e = std::min(run.End, selB);
      const bool selected = s < e;
      RECT box{run.X, lineTop, run.X + run.Width, lineTop + line.Height};
      switch (run.Kind) {
        case TRVRunKind::Text: {
          const TRVTextItemInfo* t = para.Item(run.Item).AsText();
          if (!t) break;
          // Drawn as it was measured: a number outside the sheet as style 0.
          const TFontInfo& font = doc_.Style.TextStyleOrDefault(t->StyleNo);
          const std::wstring w =
              TGdiFontMetrics::ShownText(font, Utf8Slice(t->Text, run.Start - run.ItemStart, run.End - run.ItemStart));
          if (font.BackColor != clNone) {
            HBRUSH b = ::CreateSolidBrush(GdiColor(font.BackColor, RGB(255, 255, 255)));
            ::FillRect(dc, &box, b);
            ::DeleteObject(b);
          }
          HGDIOBJ oldFont = ::SelectObject(dc, metrics.Font(font));
          ::SetTextCharacterExtra(dc, font.CharSpacing);
          const int y = baseline - run.Shift;
          auto draw = [&](COLORREF color) {
            ::SetTextColor(dc, color);
            ::ExtTextOutW(dc, run.X, y, 0, nullptr, w.c_str(), static_cast<UINT>(w.size()), nullptr);
            if (font.Effects & efOverline) {
              HPEN pen = ::CreatePen(PS_SOLID, 1, color);
              HGDIOBJ oldPen = ::SelectObject(dc, pen);
              ::MoveToEx(dc, run.X, y - run.Ascent, nullptr);
              ::LineTo(dc, run.X + run.Width, y - run.Ascent);
              ::SelectObject(dc, oldPen);
              ::DeleteObject(pen);
            }
          };
          draw(GdiColor(font.Color, windowText));
          if (selected) {
            const std::vector<int> xs = layout.RunBoundaries(doc_, p, run);
            const size_t si = static_cast<size_t>(s - run.Start), ei = static_cast<size_t>(e - run.Start);
            if (ei < xs.size()) {
              RECT sel{xs[si], lineTop, xs[ei], lineTop + line.Height};
              HBRUSH b = ::CreateSolidBrush(highlight);
              ::FillRect(dc, &sel, b);
              ::DeleteObject(b);
              const int saved = ::SaveDC(dc);
              ::IntersectClipRect(dc, sel.left, sel.top, sel.right, sel.bottom);
              draw(highlightText);
              ::RestoreDC(dc, saved);
            }
          }
          ::SetTextCharacterExtra(dc, 0);
          ::SelectObject(dc, oldFont);
          break;
        }
        case TRVRunKind::Picture: {
          const TRVPictureItemInfo* pic = para.Item(run.Item).AsPicture();
          RECT r{run.X, baseline - run.Ascent, run.X + run.Width, baseline + run.Descent};
          if (pic) PaintPicture(dc, *pic, r);
          if (selected) ::InvertRect(dc, &r);
          break;
        }
        case TRVRunKind::Break: {
          const TRVBreakItemInfo* brk = para.Item(run.Item).AsBreak();
          if (brk) {
            const int penStyle = brk->Style == TRVBreakStyle::Dotted ? PS_DOT
                                 : brk->Style == TRVBreakStyle::Dashed ? PS_DASH
                                                                        : PS_SOLID;
            HPEN pen = ::CreatePen(penStyle, std::max(1, layout.Px(brk->Width)), GdiColor(brk->Color, windowText));
            HGDIOBJ oldPen = ::SelectObject(dc, pen);
            const int y = lineTop + line.Height / 2;
            ::MoveToEx(dc, run.X, y, nullptr);
            ::LineTo(dc, run.X + run.Width, y);
            ::SelectObject(dc, oldPen);
            ::DeleteObject(pen);
          }
          if (selected) ::InvertRect(dc, &box);
          break;
        }
        case TRVRunKind::Tab:
        case TRVRunKind::LineBreak:
          if (selected) {
            HBRUSH b = ::CreateSolidBrush(highlight);
            ::FillRect(dc, &box, b);
            ::DeleteObject(b);
          }
          break;
      }
    }
  }
  // A selected paragraph end shows as a small block after the last line.
  if (selB > ParagraphLength(para) && selA <= ParagraphLength(para)) {
    RECT mark{lineRight, lastLineTop, lineRight + layout.Px(6), lastLineTop + lastLineHeight};
    HBRUSH b = ::CreateSolidBrush(highlight);
    ::FillRect(dc, &mark, b);
    ::DeleteObject(b);
  }
}

void TRichViewEdit::PaintPicture(HDC dc, const TRVPictureItemInfo& pic, const RECT& r) {
  if (PictureDrawer) {
    bool drawn = false;
    const int saved = ::SaveDC(dc);
    try {
      drawn = PictureDrawer(dc, pic.Kind, pic.Data, r);
    } catch (...) {
      drawn = false;  // a picture that cannot be drawn gets the placeholder
    }
    ::RestoreDC(dc, saved);
    if (drawn) return;
  }
  // The placeholder: a grey frame with a cross, as large as the picture.
  HBRUSH face = ::CreateSolidBrush(RGB(240, 240, 240));
  ::FillRect(dc, &r, face);
  ::DeleteObject(face);
  HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
  ::MoveToEx(dc, r.left, r.top, nullptr);
  ::LineTo(dc, r.right, r.bottom);
  ::MoveToEx(dc, r.right - 1, r.top, nullptr);
  ::LineTo(dc, r.left - 1, r.bottom);
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(pen);
}

// -------------------------------------------------------------- printing

int TRichViewEdit::PrintTo(int dpi, int pageWidth, int pageHeight, const std::function<HDC(int)>& beginPage,
                           const std::function<bool(int)>& endPage) {
  // The screen's layout code, at the printer's resolution and the page's
  // width: what is printed is what the screen shows, only finer.
  dpi = std::max(1, dpi);
  TGdiFontMetrics metrics;
  metrics.SetDpi(dpi);
  TRVLayout layout(metrics);
  layout.SetDpi(dpi);
  const int margin = PrintMarginPixels(dpi);
  layout.SetMargins(margin, 0, margin, 0);
  layout.SetWidth(std::max(2 * margin + 1, pageWidth));
  // Paper does not scroll: a picture wider than the printable width would
  // be cut off at the page's edge.
  layout.SetFitPictures(true);
  layout.Format(doc_);
  const std::vector<TRVPageBand> pages = Paginate(layout, pageHeight - 2 * margin);
  const TRVParaOffset none{-1, 0};
  for (size_t i = 0; i < pages.size(); ++i) {
    const TRVPageBand& band = pages[i];
    HDC dc = beginPage(static_cast<int>(i));
    if (!dc) return 0;
    const int saved = ::SaveDC(dc);
    const RECT clip{0, margin, pageWidth, margin + band.Bottom - band.Top};
    ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    for (int p = 0; p < layout.ParagraphCount() && layout.ParaTop(p) < band.Bottom; ++p) {
      if (p + 1 < layout.ParagraphCount() && layout.ParaTop(p + 1) <= band.Top) continue;
      PaintPara(dc, layout, metrics, p, layout.ParaTop(p) - band.Top + margin, none, none, clip);
    }
    ::RestoreDC(dc, saved);
    if (!endPage(static_cast<int>(i))) return 0;
  }
  return static_cast<int>(pages.size());
}

// -------------------------------------------------------------- commands

bool TRichViewEdit::InsertText(std::string_view text) {
  return Run([&] { return core_.InsertText(text); });
}
bool TRichViewEdit::TypeText(std::string_view text) {
  return Run([&] { return core_.TypeText(text); });
}
bool TRichViewEdit::InsertBreak(int width, TRVBreakStyle style, TColor color) {
  return Run([&] { return core_.InsertBreak(width, style, color); });
}
bool TRichViewEdit::InsertPicture(TRVPictureItemInfo picture) {
  return Run([&] { return core_.InsertPicture(std::move(picture)); });
}
bool TRichViewEdit::DeleteSelection() {
  return Run([&] { return core_.DeleteSelection(); });
}
bool TRichViewEdit::Undo() {
  return Run([&] { return core_.Undo(); });
}
bool TRichViewEdit::Redo() {
  return Run([&] { return core_.Redo(); });
}
void TRichViewEdit::SelectAll() {
  Run([&] {
    core_.SelectAll();
    return true;
  });
}

bool TRichViewEdit::ApplyStyleConversion(int code) {
  return Run([&] {
    return core_.ApplyStyleConversion([this, code](int styleNo) {
      return OnStyleConversion ? OnStyleConversion(styleNo, code) : styleNo;
    });
  });
}

void TRichViewEdit::SelectRange(TRVParaOffset from, TRVParaOffset to) {
  Run([&] {
    core_.SetSelection(ToPosition(doc_, from), ToPosition(doc_, to));
    return true;
  });
}

int TRichViewEdit::ReplaceAll(const TRVTextFinder& finder, std::string_view replacement) {
  int replaced = 0;
  Run([&] { return (replaced = core_.ReplaceAll(finder, replacement)) > 0; });
  return replaced;
}

bool TRichViewEdit::SetParaAlignment(TParaAlignment alignment) {
  return Run([&] { return core_.SetParaAlignment(alignment); });
}

bool TRichViewEdit::CopyDef() {
  if (!core_.SelectionExists() || !HandleAllocated()) return false;
  const TRVClipboardData data = MakeClipboardData(core_.CopySelection(), GifIcoToPng);
  if (!OpenClipboardFor(Handle())) return false;
  ClipboardCloser closer;
  ::EmptyClipboard();
  if (!data.rvf.empty()) PutClipboard(RVFClipboardFormat(), data.rvf.data(), data.rvf.size());
  if (!data.rtf.empty()) PutClipboard(RTFClipboardFormat(), data.rtf.c_str(), data.rtf.size() + 1);
  PutClipboard(CF_UNICODETEXT, data.unicodeText.c_str(), (data.unicodeText.size() + 1) * sizeof(char16_t));
  return true;
}

bool TRichViewEdit::CutDef() {
  if (core_.ReadOnly() || !CopyDef()) return false;
  return DeleteSelection();
}

bool TRichViewEdit::Paste() {
  if (core_.ReadOnly() || !HandleAllocated()) return false;
  TRVClipboardData data;
  {
    if (!OpenClipboardFor(Handle())) return false;
    ClipboardCloser closer;
    data.rvf = GetClipboardBytes(RVFClipboardFormat());
    data.rtf = GetClipboardBytes(RTFClipboardFormat());
    if (auto nul = data.rtf.find('\0'); nul != std::string::npos) data.rtf.resize(nul);
    data.unicodeText = TextUpToNul(GetClipboardBytes(CF_UNICODETEXT));
    // The picture forms are only read when no text form is there: a
    // program offering both means its text.
    if (data.rvf.empty() && data.rtf.empty() && data.unicodeText.empty()) {
      data.png = GetClipboardBytes(PNGClipboardFormat());
      data.dibV5 = GetClipboardBytes(CF_DIBV5);
      data.dib = GetClipboardBytes(CF_DIB);
    }
  }
  TRVDocument fragment;
  if (!ReadClipboardData(data, fragment)) return false;
  return Run([&] { return core_.Paste(fragment); });
}

bool TRichViewEdit::CanPaste() const {
  if (core_.ReadOnly()) return false;
  const UINT forms[] = {RVFClipboardFormat(), RTFClipboardFormat(), CF_UNICODETEXT, PNGClipboardFormat(), CF_DIBV5,
                        CF_DIB};
  return std::any_of(std::begin(forms), std::end(forms), [](UINT f) { return ::IsClipboardFormatAvailable(f) != FALSE; });
}

std::string TRichViewEdit::PlainText() const {
  std::string out;
  for (int p = 0; p < doc_.ParagraphCount(); ++p) {
    if (p) out += "\r\n";
    for (const TRVItem& item : doc_.Paragraph(p).Items()) {
      const TRVTextItemInfo* t = item.AsText();
      if (!t) continue;
      for (char c : t->Text) {
        if (c == '\n') out += "\r\n";
        else out += c;
      }
    }
  }
  return out;
}

// -------------------------------------------------------------- keyboard

const TRVLayoutLine* TRichViewEdit::LineAt(int p, int offset, bool preferEnd) const {
  const TRVParaLayout& pl = layout_.Para(p);
  const TRVLayoutLine* found = pl.Lines.empty() ? nullptr : &pl.Lines.back();
  for (const TRVLayoutLine& line : pl.Lines) {
    if (offset >= line.Start && (offset < line.End || (preferEnd && offset == line.End))) return &line;
  }
  return found;
}

void TRichViewEdit::MoveToLineEdge(bool end, bool extend) {
  const TRVPosition caret = core_.Caret();
  const TRVParaOffset place = ToParaOffset(doc_, caret);
  const TRVLayoutLine* line = LineAt(place.Para, place.Offset, false);
  if (!line) return;
  int target = end ? line->End : line->Start;
  // A wrapped line's last character (the blank it broke after) stays on it.
  if (end && line->Wrapped && target > line->Start) --target;
  core_.SetCaret(ToPosition(doc_, {place.Para, target}), extend);
}

void TRichViewEdit::MoveVertically(int dy, bool extend) {
  const TRVRect r = layout_.CaretRect(doc_, core_.Caret());
  if (caretX_ < 0) caretX_ = r.Left;
  const int y = dy < 0 ? r.Top + dy : r.Bottom - 1 + dy;
  const int keepX = caretX_;
  if (y < 0) core_.SetCaret(doc_.StartPosition(), extend);
  else if (y >= layout_.DocumentHeight()) core_.SetCaret(doc_.EndPosition(), extend);
  else core_.SetCaret(layout_.HitTest(doc_, caretX_, y), extend);
  caretX_ = keepX;
}

void TRichViewEdit::MoveWord(bool right, bool extend) {
  const TRVParaOffset place = ToParaOffset(doc_, core_.Caret());
  core_.SetCaret(ToPosition(doc_, WordBoundary(doc_, place, right)), extend);
}

void TRichViewEdit::SelectWordAt(TRVPosition pos) {
  const TRVParaOffset place = ToParaOffset(doc_, pos);
  const std::u32string chars = ParaChars(doc_.Paragraph(place.Para));
  const int n = static_cast<int>(chars.size());
  if (n == 0) return;
  int at = std::min(place.Offset, n - 1);
  if (WordCharClass(chars[static_cast<size_t>(at)]) != 1 && at > 0 && WordCharClass(chars[static_cast<size_t>(at - 1)]) == 1)
    --at;
  const int c = WordCharClass(chars[static_cast<size_t>(at)]);
  int a = at, b = at + 1;
  while (a > 0 && WordCharClass(chars[static_cast<size_t>(a - 1)]) == c) --a;
  while (b < n && WordCharClass(chars[static_cast<size_t>(b)]) == c) ++b;
  core_.SetSelection(ToPosition(doc_, {place.Para, a}), ToPosition(doc_, {place.Para, b}));
}

void TRichViewEdit::SelectParagraphAt(TRVPosition pos) {
  const int p = ToParaOffset(doc_, pos).Para;
  core_.SetSelection(ToPosition(doc_, {p, 0}), ToPosition(doc_, {p, ParagraphLength(doc_.Paragraph(p))}));
}

bool TRichViewEdit::IsTripleClick(POINT at) const {
  if (doubleClickTick_ == 0 || ::GetTickCount64() - doubleClickTick_ > ::GetDoubleClickTime()) return false;
  return std::abs(at.x - doubleClickAt_.x) <= ::GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
         std::abs(at.y - doubleClickAt_.y) <= ::GetSystemMetrics(SM_CYDOUBLECLK) / 2;
}

void TRichViewEdit::RightClickAt(int x, int y) {
  if (doc_.IsEmpty()) return;
  const TRVPosition pos = layout_.HitTest(doc_, x, y + scrollY_);
  if (core_.SelectionExists()) {
    // The menu's Cut and Copy act on the selection the user right-clicked.
    const TRVParaOffset at = ToParaOffset(doc_, pos);
    if (ToParaOffset(doc_, core_.SelectionStart()) <= at && at <= ToParaOffset(doc_, core_.SelectionEnd())) return;
  }
  caretX_ = -1;
  Run([&] {
    core_.SetCaret(pos);
    return true;
  });
}

bool TRichViewEdit::KeyDown(WORD key) {
  const bool shift = ::GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  const bool alt = ::GetKeyState(VK_MENU) < 0;
  if (key != VK_UP && key != VK_DOWN && key != VK_PRIOR && key != VK_NEXT) caretX_ = -1;
  if (ctrl && !alt) {
    switch (key) {
      case 'Z': Undo(); return true;
      case 'Y': Redo(); return true;
      case 'X': CutDef(); return true;
      case 'C': CopyDef(); return true;
      case 'V': Paste(); return true;
      case 'A': SelectAll(); return true;
      case VK_INSERT: CopyDef(); return true;
      case VK_OEM_PLUS:
      case VK_ADD: SetZoom(zoom_ + kZoomStep); return true;
      case VK_OEM_MINUS:
      case VK_SUBTRACT: SetZoom(zoom_ - kZoomStep); return true;
      case '0':
      case VK_NUMPAD0: SetZoom(100); return true;
      default: break;
    }
  }
  if (doc_.IsEmpty() && key != VK_BACK && key != VK_DELETE) return false;
  auto move = [&](auto body) {
    Run([&] {
      body();
      return true;
    });
    return true;
  };
  switch (key) {
    case VK_LEFT:
      return move([&] {
        if (ctrl) MoveWord(false, shift);
        else if (!shift && core_.SelectionExists()) core_.SetCaret(core_.SelectionStart());
        else core_.MoveCaretLeft(shift);
      });
    case VK_RIGHT:
      return move([&] {
        if (ctrl) MoveWord(true, shift);
        else if (!shift && core_.SelectionExists()) core_.SetCaret(core_.SelectionEnd());
        else core_.MoveCaretRight(shift);
      });
    case VK_UP: return move([&] { MoveVertically(-1, shift); });
    case VK_DOWN: return move([&] { MoveVertically(1, shift); });
    case VK_PRIOR:
      return move([&] {
        const int page = std::max(LineStep(), ClientHeight() - LineStep());
        ScrollTo(scrollY_ - page);
        MoveVertically(-page, shift);
      });
    case VK_NEXT:
      return move([&] {
        const int page = std::max(LineStep(), ClientHeight() - LineStep());
        ScrollTo(scrollY_ + page);
        MoveVertically(page, shift);
      });
    case VK_HOME:
      return move([&] {
        if (ctrl) core_.SetCaret(doc_.StartPosition(), shift);
        else MoveToLineEdge(false, shift);
      });
    case VK_END:
      return move([&] {
        if (ctrl) core_.SetCaret(doc_.EndPosition(), shift);
        else MoveToLineEdge(true, shift);
      });
    case VK_BACK:
      Run([&] { return ctrl ? core_.DeleteWord(false) : core_.Backspace(); });
      return true;
    case VK_DELETE:
      if (shift) CutDef();
      else Run([&] { return ctrl ? core_.DeleteWord(true) : core_.DeleteChar(); });
      return true;
    case VK_INSERT:
      if (shift) Paste();
      return true;
    default: return false;
  }
}

void TRichViewEdit::TypeCodePoint(char32_t cp) {
  caretX_ = -1;
  if (cp == U'\r') TypeText("\r\n");
  else if (cp == U'\t' || !IsControlCharacter(cp)) {
    std::string utf8;
    AppendUtf8(utf8, cp);
    TypeText(utf8);
  }
}

// ----------------------------------------------------------------- mouse

void TRichViewEdit::MouseTo(int x, int y, bool extend) {
  if (doc_.IsEmpty()) return;
  const TRVPosition pos = layout_.HitTest(doc_, x, y + scrollY_);
  Run([&] {
    core_.SetCaret(pos, extend);
    return true;
  });
}

bool TRichViewEdit::OverJump(int x, int y) const { return JumpAt(x, y) != nullptr; }

const TRVTextItemInfo* TRichViewEdit::JumpAt(int x, int y) const {
  if (doc_.IsEmpty() || layout_.ParagraphCount() != doc_.ParagraphCount()) return nullptr;
  const int docY = y + scrollY_;
  const int p = FirstVisiblePara(docY);
  const int top = layout_.ParaTop(p);
  const TRVParaLayout& pl = layout_.Para(p);
  for (const TRVLayoutLine& line : pl.Lines) {
    if (docY < top + line.Top || docY >= top + line.Top + line.Height) continue;
    for (int i = line.FirstRun; i < line.FirstRun + line.RunCount; ++i) {
      const TRVLayoutRun& run = pl.Runs[static_cast<size_t>(i)];
      if (run.Kind == TRVRunKind::Text && x >= run.X && x < run.X + run.Width) {
        const TRVItem& item = doc_.Paragraph(p).Item(run.Item);
        return doc_.IsHyperlink(item) ? item.AsText() : nullptr;
      }
    }
  }
  return nullptr;
}

// -------------------------------------------------------------- messages

LRESULT TRichViewEdit::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_DESTROY:
      if (dropRegistered_) ::RevokeDragDrop(Handle());
      dropRegistered_ = false;
      break;
    case WM_PAINT: {
      AcceptDropsOnce();
      PaintScope painting(Handle());
      PaintBuffered(painting.dc(), painting.info().rcPaint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      // Drawing into a DC someone else gives us (a print, a snapshot).
      RECT all{};
      ::GetClientRect(Handle(), &all);
      PaintBuffered(reinterpret_cast<HDC>(wp), all);
      return 0;
    }
    case WM_SIZE: {
      const int width = std::max(1, static_cast<int>(LOWORD(lp)));
      if (width != layout_.Width()) {
        layout_.SetWidth(width);
        layout_.Format(doc_);
        ::InvalidateRect(Handle(), nullptr, FALSE);
      }
      UpdateScrollBar();
      ScrollTo(scrollY_);
      break;
    }
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_SETFOCUS: UpdateCaret(); return 0;
    case WM_KILLFOCUS:
      if (caretMade_) ::DestroyCaret();
      caretMade_ = false;
      caretHeight_ = 0;
      return 0;
    case WM_KEYDOWN: {
      WORD key = static_cast<WORD>(wp);
      if (OnKeyDown) {
        unsigned shift = 0;
        if (::GetKeyState(VK_SHIFT) < 0) shift |= kShift;
        if (::GetKeyState(VK_CONTROL) < 0) shift |= kCtrl;
        if (::GetKeyState(VK_MENU) < 0) shift |= kAlt;
        OnKeyDown(key, shift);
      }
      // The character the same keystroke brings next (Ctrl+I gives a Tab,
      // Ctrl+M a carriage return) belongs to the shortcut, not the text.
      swallowChar_ = ::GetKeyState(VK_CONTROL) < 0;
      if (key == 0 || KeyDown(key)) return 0;
      swallowChar_ = false;
      break;
    }
    case WM_CHAR: {
      const wchar_t c = static_cast<wchar_t>(wp);
      if (c >= 0xD800 && c <= 0xDBFF) {
        highSurrogate_ = c;
        return 0;
      }
      if (c >= 0xDC00 && c <= 0xDFFF) {
        if (highSurrogate_) TypeCodePoint(0x10000 + ((static_cast<char32_t>(highSurrogate_) - 0xD800) << 10) + (c - 0xDC00));
        highSurrogate_ = 0;
        return 0;
      }
      highSurrogate_ = 0;
      if (std::exchange(swallowChar_, false) && IsControlCharacter(c)) return 0;
      TypeCodePoint(c);
      return 0;
    }
    case WM_UNICHAR:
      if (wp == UNICODE_NOCHAR) return TRUE;
      if (wp <= 0x10FFFF && (wp < 0xD800 || wp > 0xDFFF)) TypeCodePoint(static_cast<char32_t>(wp));
      return FALSE;
    case WM_IME_COMPOSITION:
      if (lp & GCS_RESULTSTR) {
        HIMC imc = ::ImmGetContext(Handle());
        if (imc) {
          const LONG bytes = ::ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0);
          std::wstring w(bytes > 0 ? static_cast<size_t>(bytes) / sizeof(wchar_t) : 0, L'\0');
          if (!w.empty()) ::ImmGetCompositionStringW(imc, GCS_RESULTSTR, w.data(), static_cast<DWORD>(bytes));
          ::ImmReleaseContext(Handle(), imc);
          if (!w.empty()) TypeText(Narrow(w));
          return 0;
        }
      }
      break;
    case WM_LBUTTONDOWN:
      ::SetFocus(Handle());
      caretX_ = -1;
      if ((wp & MK_CONTROL) && OnJump) {
        // Ctrl+click follows a link; a plain click edits its text.
        if (const TRVTextItemInfo* jump = JumpAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
          const std::string target = jump->Target;
          OnJump(target);
          return 0;
        }
      }
      if (IsTripleClick({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)})) {
        doubleClickTick_ = 0;
        if (!doc_.IsEmpty()) {
          const TRVPosition pos = layout_.HitTest(doc_, GET_X_LPARAM(lp), GET_Y_LPARAM(lp) + scrollY_);
          Run([&] {
            SelectParagraphAt(pos);
            return true;
          });
        }
        return 0;
      }
      ::SetCapture(Handle());
      if (!(wp & MK_SHIFT) && OverSelection(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
        // Perhaps the start of a drag: the selection stays until the mouse
        // moves or the button comes up.
        dragPending_ = true;
        dragFrom_ = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        return 0;
      }
      MouseTo(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), (wp & MK_SHIFT) != 0);
      dragging_ = true;
      return 0;
    case WM_LBUTTONDBLCLK:
      doubleClickTick_ = ::GetTickCount64();
      doubleClickAt_ = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (!doc_.IsEmpty()) {
        const TRVPosition pos = layout_.HitTest(doc_, GET_X_LPARAM(lp), GET_Y_LPARAM(lp) + scrollY_);
        Run([&] {
          SelectWordAt(pos);
          return true;
        });
      }
      return 0;
    case WM_MOUSEMOVE:
      if (dragPending_) {
        // The system's drag rectangle, centred on the press.
        if (std::abs(GET_X_LPARAM(lp) - dragFrom_.x) > ::GetSystemMetrics(SM_CXDRAG) / 2 ||
            std::abs(GET_Y_LPARAM(lp) - dragFrom_.y) > ::GetSystemMetrics(SM_CYDRAG) / 2) {
          dragPending_ = false;
          if (::GetCapture() == Handle()) ::ReleaseCapture();
          StartDrag();
        }
        return 0;
      }
      if (dragging_) {
        lastMouse_ = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        MouseTo(lastMouse_.x, lastMouse_.y, true);
        if (lastMouse_.y < 0 || lastMouse_.y >= ClientHeight()) ::SetTimer(Handle(), kDragTimer, 50, nullptr);
        else ::KillTimer(Handle(), kDragTimer);
      }
      return 0;
    case WM_TIMER:
      if (wp == kDragTimer) {
        if (!dragging_) {
          ::KillTimer(Handle(), kDragTimer);
        } else {
          ScrollTo(scrollY_ + (lastMouse_.y < 0 ? -LineStep() : LineStep()));
          MouseTo(lastMouse_.x, lastMouse_.y, true);
        }
        return 0;
      }
      break;
    case WM_LBUTTONUP: {
      const bool click = std::exchange(dragPending_, false);
      dragging_ = false;
      ::KillTimer(Handle(), kDragTimer);
      if (::GetCapture() == Handle()) ::ReleaseCapture();
      // Pressed inside the selection and let go without a drag: a click.
      if (click) MouseTo(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), false);
      return 0;
    }
    case WM_CAPTURECHANGED:
      dragging_ = false;
      dragPending_ = false;
      ::KillTimer(Handle(), kDragTimer);
      return 0;
    case WM_RBUTTONDOWN:
      ::SetFocus(Handle());
      RightClickAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      break;  // the button's release brings WM_CONTEXTMENU
    case WM_CONTEXTMENU: {
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (lp == -1) {
        const TRVRect r = doc_.IsEmpty() ? EmptyCaretRect() : layout_.CaretRect(doc_, core_.Caret());
        pt = {r.Left, r.Bottom - scrollY_};
        ::ClientToScreen(Handle(), &pt);
      }
      if (OnContextPopup) OnContextPopup(pt);
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        POINT pt;
        ::GetCursorPos(&pt);
        ::ScreenToClient(Handle(), &pt);
        ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(OverJump(pt.x, pt.y) ? 32649 : 32513)));
        return TRUE;
      }
      break;
    case WM_VSCROLL: {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      ::GetScrollInfo(Handle(), SB_VERT, &si);
      switch (LOWORD(wp)) {
        case SB_LINEUP: ScrollTo(scrollY_ - LineStep()); break;
        case SB_LINEDOWN: ScrollTo(scrollY_ + LineStep()); break;
        case SB_PAGEUP: ScrollTo(scrollY_ - ClientHeight()); break;
        case SB_PAGEDOWN: ScrollTo(scrollY_ + ClientHeight()); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(si.nTrackPos); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(INT_MAX); break;
        default: break;
      }
      return 0;
    }
    case WM_MOUSEWHEEL: {
      // Parts of a notch (fine-grained wheels) add up until they make one.
      wheelRest_ += GET_WHEEL_DELTA_WPARAM(wp);
      const int notches = wheelRest_ / WHEEL_DELTA;
      wheelRest_ %= WHEEL_DELTA;
      if (notches == 0) return 0;
      if (GET_KEYSTATE_WPARAM(wp) & MK_CONTROL) {
        SetZoom(zoom_ + notches * kZoomStep);
        return 0;
      }
      UINT lines = 3;
      ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      if (lines == WHEEL_PAGESCROLL) ScrollTo(scrollY_ - notches * ClientHeight());
      else ScrollTo(scrollY_ - notches * static_cast<int>(lines) * LineStep());
      return 0;
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(Widen(PlainText()).size());
    case WM_GETTEXT: {
      if (wp == 0 || lp == 0) return 0;
      const std::wstring w = Widen(PlainText());
      const size_t n = std::min(static_cast<size_t>(wp) - 1, w.size());
      auto* out = reinterpret_cast<wchar_t*>(lp);
      w.copy(out, n);
      out[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    default: break;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

}  // namespace nv
