// A list box whose every line has a check box, an indentation and a small
// shell picture. It works by keyboard as list boxes do (arrows, Page Up and
// Down, Home, End, first letters); Space ticks or clears the highlighted
// line, Enter runs OnEnter, a right click or the menu key opens PopupMenu (a
// right click on a line highlights it first).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/win32/control.h"

namespace nv {

class TAdvPopupMenu;

class TCheckListBoxEx : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);

  int Count() const { return static_cast<int>(lines_.size()); }
  // The line's text; an index outside the lines raises
  // "List index out of bounds (%d)".
  const std::string& Item(int index) const;
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  int ItemIndex() const;
  void SetItemIndex(int index);
  // Index of the line with this text, -1 when none.
  int IndexOf(const std::string& text) const;

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  TAdvPopupMenu* PopupMenu = nullptr;

  // A line's height: 16 pixels at 96 DPI.
  static int ItemHeight();

  // Looks every line's picture up again: the shell's pictures came after
  // the lines.
  void RefreshPictures();
  // Line i's picture as shown; -1 when it has none (yet).
  int LinePicture(int index) const;

 protected:
  struct Line {
    std::string text;
    int level = 0;
    bool checked = false;
  };
  // Replaces every line; no line is highlighted afterwards. Their pictures
  // come from Picture, unless the shell's are still being read at start.
  void SetLines(std::vector<Line> lines);
  // Line i's picture in the system's small image list; -1 for none.
  virtual int Picture(int /*index*/) const { return -1; }
  virtual void EnterPressed() {}
  // The double click on a line (not on its check box).
  virtual void DoubleClicked() {
    if (OnDblClick) OnDblClick();
  }

  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Toggle(int index);
  void Draw(const DRAWITEMSTRUCT& d);
  int CheckBoxRight() const;
  int LineAt(LPARAM lp) const;
  bool OnCheckBox(int index, LPARAM lp) const;
  void ShowPopup(LPARAM lp);
  void HighlightLineAt(LPARAM clientPoint);

  void LookUpPictures();

  std::vector<Line> lines_;
  std::vector<int> pictures_;  // one per line, or none while they are read
  bool checkBoxClick_ = false;
};

// The system's small image list (shared, never freed) and the pictures the
// lists use from it.
HIMAGELIST SystemSmallImages();
int ShellImageForFileType(const std::string& name);
int ShellImageForFolder(bool open);
int ShellImageForPath(const std::string& path);

}  // namespace nv
