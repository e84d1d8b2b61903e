#include "ui/win32/std_controls.h"

#include <windowsx.h>
#include <commctrl.h>

#include <utility>

#include "ui/errors.h"
#include "ui/win32/application.h"
#include "ui/win32/icons.h"
#include "ui/win32/win_text.h"
#include "ui/win32/unique_handle.h"

namespace nv {

// --- TGlowButton ------------------------------------------------------------

void TGlowButton::Create(TControl* parent, const std::string& name, const std::string& caption) {
  Name = name;
  CreateChildControl(parent, L"BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
}

void TGlowButton::Click() {
  if (AllowAllUp) SetDown(!down_);
  if (OnClick) OnClick();
}

void TGlowButton::SetDown(bool d) {
  if (d == down_) return;
  down_ = d;
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TGlowButton::SetPicture(UniqueHIcon icon) {
  picture_ = std::move(icon);
  pictureSize_ = 0;
  if (picture_) {
    ICONINFO info{};
    if (::GetIconInfo(picture_.get(), &info)) {
      UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
      BITMAP bm{};
      if (::GetObjectW(colour ? colour.get() : mask.get(), sizeof bm, &bm)) pictureSize_ = bm.bmWidth;
    }
  }
  if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

std::optional<LRESULT> TGlowButton::Reflected(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    Click();
    return 0;
  }
  if (msg == WM_DRAWITEM) {
    Paint(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    return TRUE;
  }
  return std::nullopt;
}

LRESULT TGlowButton::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&t);
        ::InvalidateRect(Handle(), nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      hot_ = false;
      ::InvalidateRect(Handle(), nullptr, FALSE);
      break;
    case WM_ENABLE:
      ::InvalidateRect(Handle(), nullptr, FALSE);
      break;
    default:
      break;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

void TGlowButton::Paint(const DRAWITEMSTRUCT& d) {
  HDC dc = d.hDC;
  RECT r = d.rcItem;
  const bool pressed = (d.itemState & ODS_SELECTED) != 0 || down_;
  const bool disabled = (d.itemState & ODS_DISABLED) != 0;
  // Colours of a calm, flat button: a light face, a warm glow when hot, a
  // deeper tone while pressed or down.
  COLORREF face = disabled ? RGB(238, 238, 238) : pressed ? RGB(255, 213, 140) : hot_ ? RGB(255, 236, 181) : RGB(246, 247, 249);
  COLORREF edge = disabled ? RGB(200, 200, 200) : (hot_ || pressed) ? RGB(219, 164, 54) : RGB(160, 170, 185);
  {
    UniqueGdiObject br(::CreateSolidBrush(face));
    UniqueGdiObject pen(::CreatePen(PS_SOLID, 1, edge));
    SelectScope brush(dc, br.get()), outline(dc, pen.get());
    ::FillRect(dc, &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    ::RoundRect(dc, r.left, r.top, r.right, r.bottom, 5, 5);
  }

  HFONT font = DefaultFont();
  UniqueGdiObject made;
  if (CaptionStyle) {
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof lf, &lf);
    if (CaptionStyle & 1) lf.lfWeight = FW_BOLD;
    if (CaptionStyle & 2) lf.lfItalic = TRUE;
    if (CaptionStyle & 4) lf.lfUnderline = TRUE;
    made.reset(::CreateFontIndirectW(&lf));
    font = static_cast<HFONT>(made.get());
  }
  SelectScope selected(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, disabled ? RGB(150, 150, 150) : RGB(20, 30, 45));
  const std::wstring text = Widen(Caption());
  if (pressed) ::OffsetRect(&r, 1, 1);
  if (picture_) {
    const int size = pictureSize_ > 0 ? pictureSize_ : ::GetSystemMetrics(SM_CXSMICON);
    RECT textRect = r;
    int textHeight = 0;
    if (CaptionUnderPicture) {
      ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_CALCRECT | DT_SINGLELINE);
      textHeight = textRect.bottom - textRect.top;
    }
    const int gap = textHeight ? textHeight / 4 : 0;
    const int x = (r.left + r.right - size) / 2;
    const int y = (r.top + r.bottom - size - textHeight - gap) / 2;
    ::DrawIconEx(dc, x, y, picture_.get(), size, size, 0, nullptr, DI_NORMAL);
    if (CaptionUnderPicture) {
      RECT below{r.left, y + size + gap, r.right, y + size + gap + textHeight};
      ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &below, DT_CENTER | DT_SINGLELINE);
    }
  } else {
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if ((d.itemState & ODS_FOCUS) && !(d.itemState & ODS_NOFOCUSRECT)) {
    RECT f = d.rcItem;
    ::InflateRect(&f, -3, -3);
    ::DrawFocusRect(dc, &f);
  }
}

// --- TCheckBox ----------------------------------------------------------------

void TCheckBox::Create(TControl* parent, const std::string& name, const std::string& caption) {
  Name = name;
  CreateChildControl(parent, L"BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX);
}

bool TCheckBox::Checked() const { return Perform(BM_GETCHECK) == BST_CHECKED; }

void TCheckBox::SetChecked(bool c) {
  if (c == Checked()) return;
  Perform(BM_SETCHECK, c ? BST_CHECKED : BST_UNCHECKED);
  if (OnClick) OnClick();
}

int TCheckBox::PreferredWidth() const {
  WindowDcScope dc(Handle());
  SelectScope font(dc.dc(), DefaultFont());
  const std::wstring text = Widen(Caption());
  SIZE sz{};
  ::GetTextExtentPoint32W(dc.dc(), text.c_str(), static_cast<int>(text.size()), &sz);
  return sz.cx + ::GetSystemMetrics(SM_CXMENUCHECK) + 12;
}

std::optional<LRESULT> TCheckBox::Reflected(UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    if (OnClick) OnClick();
    return 0;
  }
  return std::nullopt;
}

// --- TEdit -------------------------------------------------------------------

void TEdit::Create(TControl* parent, const std::string& name, const std::string& text) {
  Name = name;
  CreateChildControl(parent, L"EDIT", text, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
}

LRESULT TEdit::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CHAR && OnKeyPress && wp < 0x80) {
    char key = static_cast<char>(wp);
    OnKeyPress(key);
    if (key == 0) return 0;
    wp = static_cast<unsigned char>(key);
  }
  if (msg == WM_KEYDOWN && OnKeyDown) OnKeyDown(static_cast<UINT>(wp));
  // A single-line edit beeps on Enter unless the key is taken as a char.
  if (msg == WM_GETDLGCODE && OnKeyPress) return DLGC_WANTALLKEYS | TControl::HandleMessage(msg, wp, lp);
  return TControl::HandleMessage(msg, wp, lp);
}

std::optional<LRESULT> TEdit::Reflected(UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE && OnChange) {
    OnChange();
    return 0;
  }
  return std::nullopt;
}

// --- TListBox ----------------------------------------------------------------

void TListBox::Create(TControl* parent, const std::string& name) {
  Name = name;
  CreateChildControl(parent, L"LISTBOX", "",
                     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                     WS_EX_CLIENTEDGE);
  Perform(LB_SETITEMHEIGHT, 0, ui::Scaled(16));
}

int TListBox::Count() const { return static_cast<int>(Perform(LB_GETCOUNT)); }

std::string TListBox::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  const auto n = Perform(LB_GETTEXTLEN, static_cast<WPARAM>(index));
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  Perform(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(w.data()));
  w.resize(static_cast<size_t>(n));
  return Narrow(w);
}

std::vector<std::string> TListBox::Items() const {
  std::vector<std::string> v;
  for (int i = 0; i < Count(); ++i) v.push_back(Item(i));
  return v;
}

void TListBox::Add(const std::string& line) {
  const std::wstring w = Widen(line);
  Perform(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void TListBox::Delete(int index) {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  Perform(LB_DELETESTRING, static_cast<WPARAM>(index));
}

void TListBox::Clear() { Perform(LB_RESETCONTENT); }
int TListBox::ItemIndex() const { return static_cast<int>(Perform(LB_GETCURSEL)); }
void TListBox::SetItemIndex(int index) { Perform(LB_SETCURSEL, static_cast<WPARAM>(index)); }

std::optional<LRESULT> TListBox::Reflected(UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_COMMAND) return std::nullopt;
  if (HIWORD(wp) == LBN_DBLCLK && OnDblClick) OnDblClick();
  else if (HIWORD(wp) == LBN_SELCHANGE && OnClick) OnClick();
  else return std::nullopt;
  return 0;
}

// --- TComboBox -----------------------------------------------------------------

void TComboBox::Create(TControl* parent, const std::string& name, bool editable) {
  Name = name;
  CreateChildControl(parent, L"COMBOBOX", "",
                     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL |
                         (editable ? CBS_DROPDOWN : CBS_DROPDOWNLIST));
  if (editable) {
    // Keys typed into the box go to its edit: Enter is seen there.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (::GetComboBoxInfo(Handle(), &info) && info.hwndItem &&
        ::SetWindowSubclass(info.hwndItem, EditProc, 0, reinterpret_cast<DWORD_PTR>(this)))
      edit_ = info.hwndItem;
  }
}

TComboBox::~TComboBox() {
  // The edit goes with the box's window, which may outlive this object.
  if (edit_) ::RemoveWindowSubclass(edit_, EditProc, 0);
}

LRESULT CALLBACK TComboBox::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<TComboBox*>(ref);
  if (msg == WM_NCDESTROY) {
    ::RemoveWindowSubclass(hwnd, EditProc, 0);
    if (self && self->edit_ == hwnd) self->edit_ = nullptr;
    return ::DefSubclassProc(hwnd, msg, wp, lp);
  }
  try {
    if (self && self->EnterKey(msg, wp)) return 0;
  } catch (...) {
    ReportException(std::current_exception());
    return 0;
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

bool TComboBox::EnterKey(UINT msg, WPARAM wp) {
  if (msg == WM_KEYDOWN) closedUp_ = false;
  // With the list open, Enter closes it and the close reports the choice.
  // Boxes nobody asked to report commits keep the system's handling.
  if (wp != VK_RETURN || !OnCommit || DroppedDown()) return false;
  if (msg == WM_KEYDOWN) {
    Commit(TCommit::Enter);
    return true;
  }
  return msg == WM_CHAR;  // no beep for the Enter already handled
}

void TComboBox::Commit(TCommit how) {
  pending_ = closedUp_ = false;
  if (OnCommit) OnCommit(how);
}

LRESULT TComboBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if ((msg == WM_KEYDOWN || msg == WM_CHAR) && EnterKey(msg, wp)) return 0;
  return TControl::HandleMessage(msg, wp, lp);
}

int TComboBox::Count() const { return static_cast<int>(Perform(CB_GETCOUNT)); }

std::string TComboBox::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  const auto n = Perform(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  Perform(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(w.data()));
  w.resize(static_cast<size_t>(n));
  return Narrow(w);
}

void TComboBox::Add(const std::string& s) {
  const std::wstring w = Widen(s);
  Perform(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void TComboBox::Clear() {
  Perform(CB_RESETCONTENT);
  pending_ = false;
}
int TComboBox::ItemIndex() const { return static_cast<int>(Perform(CB_GETCURSEL)); }
void TComboBox::SetItemIndex(int index) {
  Perform(CB_SETCURSEL, static_cast<WPARAM>(index));
  pending_ = false;
}
void TComboBox::SetText(const std::string& t) {
  ::SetWindowTextW(Handle(), Widen(t).c_str());
  pending_ = false;
}
bool TComboBox::DroppedDown() const { return Perform(CB_GETDROPPEDSTATE) != 0; }

std::optional<LRESULT> TComboBox::Reflected(UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_COMMAND) return std::nullopt;
  switch (HIWORD(wp)) {
    case CBN_EDITCHANGE:
      pending_ = true;
      closedUp_ = false;
      if (OnChange) OnChange();
      return 0;
    case CBN_SELCHANGE:
      if (OnChange) OnChange();
      // The order of this and the list's closing differs between systems:
      // after the close, the selection is the choice made in the list.
      if (!DroppedDown() && closedUp_) Commit(TCommit::Chosen);
      else pending_ = true;
      return 0;
    case CBN_DROPDOWN:
      closedUp_ = cancelled_ = false;
      return 0;
    case CBN_SELENDCANCEL:
      cancelled_ = true;
      return 0;
    case CBN_CLOSEUP:
      if (std::exchange(cancelled_, false)) {
        pending_ = closedUp_ = false;
      } else if (pending_) {
        Commit(TCommit::Chosen);
      } else {
        closedUp_ = true;
      }
      return 0;
    case CBN_KILLFOCUS:
      closedUp_ = false;
      if (pending_) Commit(TCommit::FocusLost);
      return 0;
    default:
      return std::nullopt;
  }
}

// --- THotKey -------------------------------------------------------------------

void THotKey::Create(TControl* parent, const std::string& name) {
  Name = name;
  CreateChildControl(parent, HOTKEY_CLASSW, "", WS_VISIBLE | WS_TABSTOP, WS_EX_CLIENTEDGE);
}

WORD THotKey::Value() const { return static_cast<WORD>(Perform(HKM_GETHOTKEY)); }
void THotKey::SetValue(WORD v) { Perform(HKM_SETHOTKEY, v); }
void THotKey::SetRules(WORD invalid, WORD defaults) { Perform(HKM_SETRULES, invalid, MAKELPARAM(defaults, 0)); }

// --- TDateTimePicker --------------------------------------------------------------

void TDateTimePicker::Create(TControl* parent, const std::string& name) {
  Name = name;
  CreateChildControl(parent, DATETIMEPICK_CLASSW, "", WS_VISIBLE | WS_TABSTOP | DTS_SHORTDATEFORMAT);
}

void TDateTimePicker::SetDate(const SYSTEMTIME& st) {
  Perform(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

SYSTEMTIME TDateTimePicker::Date() const {
  SYSTEMTIME st{};
  Perform(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
  return st;
}

HWND TDateTimePicker::MonthCalendar() const { return reinterpret_cast<HWND>(Perform(DTM_GETMONTHCAL)); }

std::optional<LRESULT> TDateTimePicker::Reflected(UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lp)->code == DTN_DROPDOWN && OnDropDown) {
    OnDropDown();
    return 0;
  }
  return std::nullopt;
}

// --- TCheckListView -------------------------------------------------------------

void TCheckListView::Create(TControl* parent, const std::string& name) {
  Name = name;
  CreateChildControl(parent, WC_LISTVIEWW, "",
                     WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                         LVS_SHOWSELALWAYS,
                     WS_EX_CLIENTEDGE);
  Perform(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
          LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNW col{};
  col.mask = LVCF_WIDTH;
  col.cx = 600;
  Perform(LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
}

int TCheckListView::Count() const { return static_cast<int>(Perform(LVM_GETITEMCOUNT)); }

std::string TCheckListView::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  std::wstring buf(1024, L'\0');
  LVITEMW it{};
  it.iSubItem = 0;
  it.pszText = buf.data();
  it.cchTextMax = static_cast<int>(buf.size());
  const auto n = Perform(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
  buf.resize(static_cast<size_t>(n));
  return Narrow(buf);
}

void TCheckListView::Add(const std::string& text, int image) {
  std::wstring w = Widen(text);
  LVITEMW it{};
  it.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
  it.iItem = Count();
  it.pszText = w.data();
  it.iImage = image;
  Perform(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
}

void TCheckListView::Clear() { Perform(LVM_DELETEALLITEMS); }

bool TCheckListView::Checked(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  return ((Perform(LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK) >> 12) - 1) == 1;
}

void TCheckListView::SetChecked(int index, bool checked) {
  LVITEMW it{};
  it.stateMask = LVIS_STATEIMAGEMASK;
  it.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
}

int TCheckListView::ItemIndex() const {
  return static_cast<int>(Perform(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TCheckListView::SetItemIndex(int index) {
  LVITEMW it{};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
}

std::optional<LRESULT> TCheckListView::Reflected(UINT msg, WPARAM, LPARAM lp) {
  if (msg != WM_NOTIFY) return std::nullopt;
  const auto code = reinterpret_cast<const NMHDR*>(lp)->code;
  if (code == NM_DBLCLK && OnDblClick) OnDblClick();
  else if (code == NM_CLICK && OnClick) OnClick();
  else return std::nullopt;
  return 0;
}

// --- TFileNameEdit ---------------------------------------------------------------

void TFileNameEdit::Create(TControl* parent, const std::string& name) {
  Name = name;
  ClassParams cls;
  cls.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  CreateOwnChild(parent, L"TFileNameEdit", "", WS_VISIBLE, cls);
  Edit.Create(this, name + ".Edit");
  Edit.SetAlign(TAlign::alClient);
  Button.Create(this, name + ".Button", "...");
  Button.SetWidth(24);
  Button.SetAlign(TAlign::alRight);
  Button.OnClick = [this] { Browse(); };
  Edit.OnKeyPress = [this](char& key) {
    if (OnKeyPress) OnKeyPress(key);
  };
  Edit.OnKeyDown = [this](UINT vk) {
    if (vk == VK_F4) Browse();
  };
}

void TFileNameEdit::Browse() {
  FileDialogRequest r;
  std::string start = Text();
  while (!start.empty() && start.back() == '\\') start.pop_back();
  r.fileName = start;
  if (auto chosen = Application().prompter().OpenDialog(r)) SetText(chosen->fileName);
}

LRESULT TFileNameEdit::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETFOCUS) {
    Edit.SetFocus();
    return 0;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

}  // namespace nv
