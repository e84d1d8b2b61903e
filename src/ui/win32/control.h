// Controls of the program's windows: a TControl is a Window that knows its
// component name, its parent control and its children, and lays out the
// children that are aligned to its edges (top, bottom, left, right, rest)
// whenever it changes size, in the order they were created.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/win32/window.h"

namespace nv {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TControl : public Window {
 public:
  ~TControl() override;

  std::string Name;  // component name as the window layout calls it
  int Tag = 0;       // a number the owner may attach (toolbar buttons use it)

  TControl* Parent() const { return parent_; }
  const std::vector<TControl*>& Controls() const { return children_; }
  // This control and every control below it, depth first.
  void ForEach(const std::function<void(TControl&)>& f);
  TControl* FindControl(const std::string& name);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign a);

  void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const;  // in the parent's client coordinates
  int Left() const { return BoundsRect().left; }
  int Top() const { return BoundsRect().top; }
  int Width() const;
  int Height() const;
  void SetWidth(int w);
  void SetHeight(int h);

  // Before the control is created, both states are kept and the control is
  // created in them: changing a control just made costs another round trip
  // to the window system.
  bool Visible() const;
  void SetVisible(bool v);
  bool Enabled() const;
  void SetEnabled(bool e);
  std::string Caption() const;  // the window text (UTF-8)
  void SetCaption(const std::string& text);
  void SetFocus();
  bool Focused() const;

  // Short help shown as a tooltip.
  void SetHint(const std::string& hint);
  const std::string& Hint() const { return hint_; }

  // Lays out the aligned children inside ClientArea().
  void AlignControls();
  // Runs after every size change, once the aligned children are placed.
  std::function<void()> OnResize;

  // The font every control of the program uses (Arial, 13 pixels), and its
  // bold form for captions.
  static HFONT DefaultFont();
  static HFONT BoldFont();

 protected:
  // Creates a child control (system class, subclassed) or one of our own.
  void CreateChildControl(TControl* parent, const wchar_t* cls, const std::string& text, DWORD style,
                          DWORD exStyle = 0);
  void CreateOwnChild(TControl* parent, const wchar_t* cls, const std::string& text, DWORD style,
                      const ClassParams& params, DWORD exStyle = 0);
  // The part of the client area children are aligned in.
  virtual RECT ClientArea() const;

  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  // Passes the mouse to the tooltip when the control has a hint.
  void Observe(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // Adds the control's tool to the tooltip with the present hint, or
  // removes it when the hint is empty.
  void RegisterTip(HWND tip);
  void Attach(TControl* parent);
  void Detach();
  // The window style the control is created with, from the states set
  // before it was.
  DWORD CreationStyle(DWORD style) const;

  TControl* parent_ = nullptr;
  std::vector<TControl*> children_;
  TAlign align_ = TAlign::alNone;
  bool aligning_ = false;  // AlignControls is placing the children
  bool createDisabled_ = false;
  bool createHidden_ = false;
  std::string hint_;
  HWND tipWith_ = nullptr;  // the tooltip that has this control's tool
};

}  // namespace nv
