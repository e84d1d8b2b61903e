// The program's basic controls, each a thin TControl over a system or
// common control: buttons with a hover highlight, check boxes, edits, list
// boxes, combo boxes, the hotkey editor, the date picker and check-box lists.
// Events are std::function members named as the window layout names them
// (OnClick, OnDblClick, OnKeyPress, OnChange, ...). Setting a check box's
// state from code runs its OnClick, as a user click does.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/win32/control.h"
#include "ui/win32/unique_handle.h"

namespace nv {

// A push button drawn by us, highlighted while the mouse is over it. As a
// check button (AllowAllUp) a click toggles Down before OnClick runs.
class TGlowButton : public TControl {
 public:
  void Create(TControl* parent, const std::string& name, const std::string& caption);
  std::function<void()> OnClick;
  // Runs the button's click, as a user click does.
  void Click();
  bool AllowAllUp = false;
  bool Down() const { return down_; }
  void SetDown(bool d);
  bool Hot() const { return hot_; }
  // Caption drawn in bold / italic / underlined (toolbar style buttons).
  unsigned CaptionStyle = 0;  // 1 bold, 2 italic, 4 underline
  // A picture painted centred instead of the caption. The caption stays the
  // window text, so screen readers and the hint still name the button; with
  // CaptionUnderPicture it is also drawn below the picture.
  void SetPicture(UniqueHIcon icon);
  HICON Picture() const { return picture_.get(); }
  int PictureSize() const { return pictureSize_; }
  bool CaptionUnderPicture = false;

 protected:
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Paint(const DRAWITEMSTRUCT& d);
  bool hot_ = false, down_ = false;
  UniqueHIcon picture_;
  int pictureSize_ = 0;
};

class TCheckBox : public TControl {
 public:
  void Create(TControl* parent, const std::string& name, const std::string& caption);
  std::function<void()> OnClick;
  bool Checked() const;
  // Changing the state runs OnClick; setting the same state does nothing.
  void SetChecked(bool c);
  // Width of the box and its caption.
  int PreferredWidth() const;

 protected:
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;
};

class TEdit : public TControl {
 public:
  void Create(TControl* parent, const std::string& name, const std::string& text = "");
  std::string Text() const { return Caption(); }
  void SetText(const std::string& t) { SetCaption(t); }
  // Called for each typed character; set the key to 0 to swallow it.
  std::function<void(char& key)> OnKeyPress;
  std::function<void(UINT vk)> OnKeyDown;
  std::function<void()> OnChange;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;
};

class TListBox : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;

  int Count() const;
  // The line at index; raises "List index out of bounds (%d)" for a bad index.
  std::string Item(int index) const;
  std::vector<std::string> Items() const;
  void Add(const std::string& line);
  void Delete(int index);
  void Clear();
  int ItemIndex() const;
  void SetItemIndex(int index);

 protected:
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;
};

class TComboBox : public TControl {
 public:
  ~TComboBox() override;
  // editable: a drop-down with an edit (font size), else a drop-down list.
  void Create(TControl* parent, const std::string& name, bool editable);
  // Every step of the user's changes: each keystroke typed into the edit,
  // each entry the arrow keys or the mouse select.
  std::function<void()> OnChange;
  // The user settled on a value: an entry chosen from the dropped-down list
  // (reported when the list closes), Enter (also without a change, as the
  // way back to the work), or the focus leaving after the user changed the
  // value (typed, or browsed the closed list with the arrow keys). A list
  // closed by Escape commits nothing; values set from code are not the
  // user's and are never committed.
  enum class TCommit { Chosen, Enter, FocusLost };
  std::function<void(TCommit)> OnCommit;
  int Count() const;
  std::string Item(int index) const;
  void Add(const std::string& s);
  void Clear();
  int ItemIndex() const;
  void SetItemIndex(int index);
  std::string Text() const { return Caption(); }
  void SetText(const std::string& t);
  bool DroppedDown() const;
  // The edit of an editable box (null for a drop-down list).
  HWND EditHandle() const { return edit_; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  // Enter and its character, in the box itself or in its edit; true when
  // handled.
  bool EnterKey(UINT msg, WPARAM wp);
  void Commit(TCommit how);

  HWND edit_ = nullptr;
  bool pending_ = false;    // the user changed the value since the last commit
  bool closedUp_ = false;   // the list just closed without a change: a selection reported now is its choice
  bool cancelled_ = false;  // the list is closing by Escape
};

// The Win32 hotkey control. Value() is its 16-bit value: virtual key in the
// low byte, HOTKEYF_* flags in the high byte.
class THotKey : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);
  WORD Value() const;
  void SetValue(WORD v);
  // HKM_SETRULES: invalid combinations and the modifiers given instead.
  void SetRules(WORD invalidCombinations, WORD defaultModifiers);
};

class TDateTimePicker : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);
  std::function<void()> OnDropDown;
  void SetDate(const SYSTEMTIME& st);
  SYSTEMTIME Date() const;
  HWND MonthCalendar() const;

 protected:
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;
};

// A list with a check box on every line (list-view based).
class TCheckListView : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);
  int Count() const;
  std::string Item(int index) const;
  void Add(const std::string& text, int image = -1);
  void Clear();
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  int ItemIndex() const;
  void SetItemIndex(int index);
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;

 protected:
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;
};

// A one-line edit with a file button at its right edge; the button (or F4)
// opens the file-open dialog.
class TFileNameEdit : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);
  TEdit Edit;
  TGlowButton Button;
  std::string Text() const { return Edit.Text(); }
  void SetText(const std::string& t) { Edit.SetText(t); }
  std::function<void(char& key)> OnKeyPress;
  // Shows the open dialog and takes the chosen file.
  void Browse();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace nv
