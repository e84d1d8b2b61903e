// A popup menu of named commands, each with a caption, a small picture and
// a click handler, built once and shown at a point. The chosen command comes
// back to the owner window as WM_COMMAND with its id, so its handler runs in
// that window's message handling (and an error it raises reaches the
// standard error box).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/win32/unique_handle.h"

namespace nv {

struct TMenuItem {
  std::string Name;
  std::string Caption;  // empty for a separator
  std::function<void()> OnClick;
  HBITMAP Picture = nullptr;  // owned by the menu
  // Where the picture comes from; drawn when the menu is first needed.
  std::function<UniqueHIcon()> PictureSource;
  bool Separator() const { return Caption.empty(); }
};

class TAdvPopupMenu {
 public:
  std::string Name;
  ~TAdvPopupMenu();

  // The picture is loaded and drawn when the menu is first built or its
  // items are first read, not here: a program builds its menus at start
  // and most are never opened.
  void Add(const std::string& name, const std::string& caption, std::function<void()> onClick,
           std::function<UniqueHIcon()> picture);
  void AddSeparator(const std::string& name);
  const std::vector<TMenuItem>& Items();
  // The command's id in WM_COMMAND (0 for none, separators included).
  UINT CommandId(const std::string& name) const;
  HMENU Handle();

  // Shows the menu at a screen point for the owner window; the choice is
  // posted to owner as WM_COMMAND.
  void Popup(HWND owner, int x, int y);
  // Runs the menu and answers the chosen id (0 for none): the system's own
  // modal menu unless set. Tests set it to choose without a menu loop.
  std::function<UINT(HMENU menu, HWND owner, POINT screen)> Track;
  // Runs the command with this id; false when the menu has none.
  bool Dispatch(UINT id);
  // Runs a command by name, as choosing it does.
  void Click(const std::string& name);

 private:
  static constexpr UINT kFirstId = 0x7100;
  void DrawPictures();
  std::vector<TMenuItem> items_;
  UniqueHMenu menu_;
};

}  // namespace nv
