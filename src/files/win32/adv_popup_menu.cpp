#include "files/win32/adv_popup_menu.h"

#include "ui/errors.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

// A 16 x 16 32-bit picture of an icon, alpha kept, for the menu's bitmap
// column.
HBITMAP IconPicture(HICON icon) {
  if (!icon) return nullptr;
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  void* bits = nullptr;
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  if (!dc) return nullptr;
  HBITMAP bmp = static_cast<HBITMAP>(TopDownDib32(dc.get(), size, size, &bits).release());
  if (!bmp) return nullptr;
  HGDIOBJ old = ::SelectObject(dc.get(), bmp);
  ::DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  ::SelectObject(dc.get(), old);
  return bmp;
}

}  // namespace

TAdvPopupMenu::~TAdvPopupMenu() {
  menu_.reset();
  for (TMenuItem& it : items_)
    if (it.Picture) ::DeleteObject(it.Picture);
}

void TAdvPopupMenu::Add(const std::string& name, const std::string& caption, std::function<void()> onClick,
                        std::function<UniqueHIcon()> picture) {
  TMenuItem it;
  it.Name = name;
  it.Caption = caption;
  it.OnClick = std::move(onClick);
  it.PictureSource = std::move(picture);
  items_.push_back(std::move(it));
  menu_.reset();
}

void TAdvPopupMenu::DrawPictures() {
  for (TMenuItem& it : items_) {
    if (!it.PictureSource) continue;
    const UniqueHIcon icon = it.PictureSource();
    it.PictureSource = nullptr;
    it.Picture = IconPicture(icon.get());
  }
}

const std::vector<TMenuItem>& TAdvPopupMenu::Items() {
  DrawPictures();
  return items_;
}

void TAdvPopupMenu::AddSeparator(const std::string& name) {
  TMenuItem it;
  it.Name = name;
  items_.push_back(std::move(it));
  menu_.reset();
}

UINT TAdvPopupMenu::CommandId(const std::string& name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].Name == name && !items_[i].Separator()) return kFirstId + static_cast<UINT>(i);
  return 0;
}

HMENU TAdvPopupMenu::Handle() {
  if (menu_) return menu_.get();
  DrawPictures();
  menu_.reset(::CreatePopupMenu());
  for (size_t i = 0; i < items_.size(); ++i) {
    const TMenuItem& it = items_[i];
    if (it.Separator()) {
      ::AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::wstring text = Widen(it.Caption);
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_ID | MIIM_STRING | (it.Picture ? MIIM_BITMAP : 0);
    mi.wID = kFirstId + static_cast<UINT>(i);
    mi.dwTypeData = text.data();
    mi.hbmpItem = it.Picture;
    ::InsertMenuItemW(menu_.get(), static_cast<UINT>(i), TRUE, &mi);
  }
  return menu_.get();
}

void TAdvPopupMenu::Popup(HWND owner, int x, int y) {
  UINT id = 0;
  if (Track) {
    id = Track(Handle(), owner, POINT{x, y});
  } else {
    // The owner must be the foreground window, or the menu does not close
    // when the user clicks elsewhere.
    ::SetForegroundWindow(::GetAncestor(owner, GA_ROOT));
    id = static_cast<UINT>(
        ::TrackPopupMenu(Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
    ::PostMessageW(owner, WM_NULL, 0, 0);
  }
  // Posted as the menu itself would: the command runs once the click that
  // opened the menu is handled to its end.
  if (id) ::PostMessageW(owner, WM_COMMAND, id, 0);
}

bool TAdvPopupMenu::Dispatch(UINT id) {
  if (id < kFirstId || id - kFirstId >= items_.size()) return false;
  const TMenuItem& it = items_[id - kFirstId];
  if (it.Separator()) return false;
  if (it.OnClick) it.OnClick();
  return true;
}

void TAdvPopupMenu::Click(const std::string& name) {
  const UINT id = CommandId(name);
  if (!id) throw Exception("The menu " + Name + " has no command " + name);
  Dispatch(id);
}

}  // namespace nv
