#include "rss/win32/list_view.h"

#include "ui/win32/win_text.h"

namespace nv::rss {

void TListView::Create(TControl* parent, const std::string& name) {
  Name = name;
  CreateChildControl(parent, WC_LISTVIEWW, "", WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                     WS_EX_CLIENTEDGE);
  const LPARAM ex = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
  Perform(LVM_SETEXTENDEDLISTVIEWSTYLE, static_cast<WPARAM>(ex), ex);
}

void TListView::AddColumn(const std::string& caption, int width) {
  std::wstring w = Widen(caption);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = width;
  col.pszText = w.data();
  const auto count = Perform(LVM_GETHEADER) ? Header_GetItemCount(reinterpret_cast<HWND>(Perform(LVM_GETHEADER))) : 0;
  Perform(LVM_INSERTCOLUMNW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&col));
}

int TListView::ColumnWidth(int column) const {
  return static_cast<int>(Perform(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

void TListView::SetColumnWidth(int column, int width) {
  Perform(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

void TListView::SetTextColor(COLORREF c) {
  Perform(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(c));
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

COLORREF TListView::TextColor() const { return static_cast<COLORREF>(Perform(LVM_GETTEXTCOLOR)); }

int TListView::Count() const { return static_cast<int>(Perform(LVM_GETITEMCOUNT)); }

void TListView::Clear() { Perform(LVM_DELETEALLITEMS); }

int TListView::AddItem(const std::string& caption) {
  std::wstring w = Widen(caption);
  LVITEMW it{};
  it.mask = LVIF_TEXT;
  it.iItem = Count();
  it.pszText = w.data();
  return static_cast<int>(Perform(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it)));
}

void TListView::SetSubItem(int row, int column, const std::string& text) {
  std::wstring w = Widen(text);
  LVITEMW it{};
  it.iSubItem = column;
  it.pszText = w.data();
  Perform(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}

std::string TListView::Text(int row, int column) const {
  std::wstring buf(1024, L'\0');
  LVITEMW it{};
  it.iSubItem = column;
  it.pszText = buf.data();
  it.cchTextMax = static_cast<int>(buf.size());
  const auto n = Perform(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
  buf.resize(static_cast<size_t>(n));
  return Narrow(buf);
}

int TListView::Selected() const {
  return static_cast<int>(Perform(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TListView::SetSelected(int row, bool selected) {
  LVITEMW it{};
  it.stateMask = LVIS_SELECTED;
  it.state = selected ? LVIS_SELECTED : 0;
  Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}

std::optional<LRESULT> TListView::Reflected(UINT msg, WPARAM, LPARAM lp) {
  if (msg != WM_NOTIFY) return std::nullopt;
  const auto* n = reinterpret_cast<const NMHDR*>(lp);
  if (n->code == NM_CLICK && OnClick) {
    OnClick();
    return 0;
  }
  // The key itself rather than NM_RETURN, which the list sends only while
  // a row has the focus mark.
  if (n->code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN*>(lp)->wVKey == VK_RETURN && OnReturn) {
    OnReturn();
    return 0;
  }
  return std::nullopt;
}

}  // namespace nv::rss
