#include "files/win32/check_list_box.h"

#include <shellapi.h>
#include <windowsx.h>

#include <map>
#include <mutex>

#include "files/win32/adv_popup_menu.h"
#include "files/win32/drive_prefetch.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/icons.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

constexpr int kIndent = 12;
// At 96 DPI; see ItemHeight().
constexpr int kBoxSize96 = 13;
int BoxSize() { return ui::Scaled(kBoxSize96); }

int ShellImage(const std::wstring& name, DWORD attributes, UINT flags) {
  SHFILEINFOW info{};
  const DWORD_PTR r = ::SHGetFileInfoW(name.c_str(), attributes, &info, sizeof info,
                                       flags | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return r ? info.iIcon : -1;
}

}  // namespace

HIMAGELIST SystemSmallImages() {
  SHFILEINFOW info{};
  return reinterpret_cast<HIMAGELIST>(::SHGetFileInfoW(L"C:\\", 0, &info, sizeof info,
                                                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

int ShellImageForFileType(const std::string& name) {
  // One look-up per type: the picture follows the extension only.
  // The start-up prefetch fills it from another thread.
  static std::mutex lock;
  static std::map<std::string, int> cache;
  const size_t dot = name.find_last_of('.');
  const std::string ext = dot == std::string::npos ? std::string() : AsciiLower(name.substr(dot));
  {
    std::lock_guard<std::mutex> hold(lock);
    if (auto it = cache.find(ext); it != cache.end()) return it->second;
  }
  const int image = ShellImage(L"file" + Widen(ext), FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
  std::lock_guard<std::mutex> hold(lock);
  cache[ext] = image;
  return image;
}

int ShellImageForFolder(bool open) {
  static const int closedImage = ShellImage(L"folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES);
  static const int openImage =
      ShellImage(L"folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON);
  return open ? openImage : closedImage;
}

int ShellImageForPath(const std::string& path) { return ShellImage(Widen(path), 0, 0); }

void TCheckListBoxEx::Create(TControl* parent, const std::string& name) {
  Name = name;
  CreateChildControl(parent, L"LISTBOX", "",
                     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                         LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                     WS_EX_CLIENTEDGE);
  Perform(LB_SETITEMHEIGHT, 0, ItemHeight());
}

const std::string& TCheckListBoxEx::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  return lines_[static_cast<size_t>(index)].text;
}

bool TCheckListBoxEx::Checked(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  return lines_[static_cast<size_t>(index)].checked;
}

void TCheckListBoxEx::SetChecked(int index, bool checked) {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  lines_[static_cast<size_t>(index)].checked = checked;
  RECT r;
  if (Perform(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    ::InvalidateRect(Handle(), &r, FALSE);
}

void TCheckListBoxEx::Toggle(int index) {
  if (index >= 0 && index < Count()) SetChecked(index, !Checked(index));
}

int TCheckListBoxEx::ItemIndex() const { return static_cast<int>(Perform(LB_GETCURSEL)); }
void TCheckListBoxEx::SetItemIndex(int index) { Perform(LB_SETCURSEL, static_cast<WPARAM>(index)); }

int TCheckListBoxEx::IndexOf(const std::string& text) const {
  for (int i = 0; i < Count(); ++i)
    if (lines_[static_cast<size_t>(i)].text == text) return i;
  return -1;
}

void TCheckListBoxEx::SetLines(std::vector<Line> lines) {
  ::SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
  Perform(LB_RESETCONTENT);
  lines_ = std::move(lines);
  int widest = 0;
  {
    WindowDcScope dc(Handle());
    SelectScope font(dc.dc(), DefaultFont());
    for (const Line& l : lines_) {
      const std::wstring w = Widen(l.text);
      Perform(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
      SIZE sz{};
      ::GetTextExtentPoint32W(dc.dc(), w.c_str(), static_cast<int>(w.size()), &sz);
      widest = std::max<int>(widest, CheckBoxRight() + l.level * kIndent + 20 + sz.cx + 4);
    }
  }
  Perform(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest));
  pictures_.clear();
  if (!ShellPicturesPending()) LookUpPictures();
  ::SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TCheckListBoxEx::LookUpPictures() {
  pictures_.resize(lines_.size());
  for (size_t i = 0; i < lines_.size(); ++i) pictures_[i] = Picture(static_cast<int>(i));
}

int TCheckListBoxEx::LinePicture(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  return static_cast<size_t>(index) < pictures_.size() ? pictures_[static_cast<size_t>(index)] : -1;
}

void TCheckListBoxEx::RefreshPictures() {
  LookUpPictures();
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

int TCheckListBoxEx::ItemHeight() { return ui::Scaled(16); }

int TCheckListBoxEx::CheckBoxRight() const { return BoxSize() + 4; }

int TCheckListBoxEx::LineAt(LPARAM lp) const {
  const LRESULT r = Perform(LB_ITEMFROMPOINT, 0, lp);
  if (HIWORD(r)) return -1;  // outside the client area's lines
  const int i = LOWORD(r);
  return i < Count() ? i : -1;
}

bool TCheckListBoxEx::OnCheckBox(int index, LPARAM lp) const {
  if (index < 0) return false;
  // The line's rectangle moves left as the list scrolls sideways.
  RECT r{};
  if (Perform(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) == LB_ERR) return false;
  const int x = GET_X_LPARAM(lp);
  return x >= r.left && x < r.left + CheckBoxRight();
}

void TCheckListBoxEx::HighlightLineAt(LPARAM clientPoint) {
  const int i = LineAt(clientPoint);
  if (i >= 0 && i != ItemIndex()) SetItemIndex(i);
}

void TCheckListBoxEx::ShowPopup(LPARAM lp) {
  if (!PopupMenu) return;
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  if (lp != -1) {
    // Also when the menu comes without a button press before it (a pen, or
    // a message from another program): it acts on the line under it.
    POINT c = p;
    ::ScreenToClient(Handle(), &c);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (::PtInRect(&client, c)) HighlightLineAt(MAKELPARAM(c.x, c.y));
  }
  if (lp == -1) {
    // From the keyboard: at the highlighted line, or the list's corner.
    RECT r{0, 0, 0, 0};
    const int i = ItemIndex();
    if (i < 0 || Perform(LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)) == LB_ERR)
      r = RECT{0, 0, 0, 0};
    p = POINT{r.left + 16, r.bottom};
    ::ClientToScreen(Handle(), &p);
  }
  PopupMenu->Popup(Handle(), p.x, p.y);
}

LRESULT TCheckListBoxEx::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN:
      if (wp == VK_SPACE) {
        Toggle(ItemIndex());
        return 0;
      }
      if (wp == VK_RETURN) {
        EnterPressed();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wp == L' ' || wp == L'\r') return 0;  // handled as keys, not as a search
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | (lp && reinterpret_cast<const MSG*>(lp)->wParam == VK_RETURN
                                                     ? DLGC_WANTMESSAGE
                                                     : 0);
    case WM_LBUTTONDOWN: {
      const int i = LineAt(lp);
      checkBoxClick_ = OnCheckBox(i, lp);
      const LRESULT r = TControl::HandleMessage(msg, wp, lp);
      if (checkBoxClick_) Toggle(i);
      return r;
    }
    case WM_LBUTTONDBLCLK: {
      const int i = LineAt(lp);
      if (OnCheckBox(i, lp)) {
        // A quick second click on the box ticks it again; it opens nothing.
        TControl::HandleMessage(WM_LBUTTONDOWN, wp, lp);
        Toggle(i);
        return 0;
      }
      break;
    }
    case WM_RBUTTONDOWN:
      // As in Explorer: the line right-clicked is the one the popup's
      // command acts on; empty space leaves the highlight where it was.
      HighlightLineAt(lp);
      break;
    case WM_CONTEXTMENU:
      ShowPopup(lp);
      return 0;
    case WM_COMMAND:
      // The popup menu's choice comes to the list that showed it.
      if (lp == 0 && PopupMenu && PopupMenu->Dispatch(LOWORD(wp))) return 0;
      break;
    default:
      break;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

std::optional<LRESULT> TCheckListBoxEx::Reflected(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DRAWITEM) {
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    return TRUE;
  }
  if (msg == WM_MEASUREITEM) {
    reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = ItemHeight();
    return TRUE;
  }
  if (msg != WM_COMMAND) return std::nullopt;
  if (HIWORD(wp) == LBN_SELCHANGE) {
    if (OnClick) OnClick();
    return 0;
  }
  if (HIWORD(wp) == LBN_DBLCLK) {
    DoubleClicked();
    return 0;
  }
  return std::nullopt;
}

void TCheckListBoxEx::Draw(const DRAWITEMSTRUCT& d) {
  if (d.itemID == static_cast<UINT>(-1) || static_cast<int>(d.itemID) >= Count()) return;
  const Line& l = lines_[d.itemID];
  HDC dc = d.hDC;
  RECT r = d.rcItem;
  const bool selected = (d.itemState & ODS_SELECTED) != 0;
  ::FillRect(dc, &r, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  RECT box{r.left + 2, r.top + (ItemHeight() - BoxSize()) / 2, r.left + 2 + BoxSize(),
           r.top + (ItemHeight() - BoxSize()) / 2 + BoxSize()};
  ::DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (l.checked ? DFCS_CHECKED : 0));
  int x = r.left + CheckBoxRight() + l.level * kIndent;
  const int image = LinePicture(static_cast<int>(d.itemID));
  if (image >= 0)
    ::ImageList_Draw(SystemSmallImages(), image, dc, x, r.top + (ItemHeight() - ::GetSystemMetrics(SM_CYSMICON)) / 2, ILD_TRANSPARENT);
  x += 20;
  SelectScope font(dc, DefaultFont());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT t{x, r.top, r.right, r.bottom};
  const std::wstring w = Widen(l.text);
  ::DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (d.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &r);
}

}  // namespace nv
