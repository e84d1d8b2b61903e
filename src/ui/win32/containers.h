// Container controls: plain panels, captioned panels with a bold caption bar
// and a short marked-up text, the tab control with its sheets, the toolbar
// band, and the form (a top-level window).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/mini_html.h"
#include "ui/win32/control.h"
#include "ui/win32/unique_handle.h"

namespace nv {

class TPanel : public TControl {
 public:
  void Create(TControl* parent, const std::string& name, const std::string& caption = "");
  bool Border = false;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  virtual void Paint(HDC dc);
};

// A panel with a caption bar (bold caption) and an optional body text in the
// program's small markup (see mini_html.h), drawn above its controls.
class TCaptionPanel : public TPanel {
 public:
  void Create(TControl* parent, const std::string& name, const std::string& caption,
              const std::string& bodyMarkup = "");
  void SetBodyMarkup(const std::string& markup);
  const std::string& BodyMarkup() const { return body_; }
  // Height the body text needs at the current width.
  int BodyTextHeight();
  // 22 pixels at 96 DPI.
  static int CaptionHeight();

 protected:
  RECT ClientArea() const override;
  void Paint(HDC dc) override;

 private:
  int DrawBody(HDC dc, RECT area, bool measureOnly);
  std::string body_;
};

// The font a run of the small markup asks for, made from the program's
// font for the DC's resolution.
UniqueGdiObject MiniHtmlRunFont(HDC dc, const MiniHtmlRun& run);

class TPageControl;

class TTabSheet : public TControl {
 public:
  void Create(TPageControl* owner, const std::string& name, const std::string& caption);
  TPageControl* PageControl() const { return owner_; }
  int ImageIndex = -1;
  bool ShowClose = false;
  // Runs when the page stops being the page on screen, or the focus leaves
  // it for another control of the window.
  std::function<void(TTabSheet&)> OnExit;
  // The page's position among its control's pages.
  int PageIndex() const;
  // Moves the page; an index outside the pages raises
  // "%d is an invalid PageIndex value.  PageIndex must be between 0 and %d".
  void SetPageIndex(int index);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  friend class TPageControl;
  TPageControl* owner_ = nullptr;
};

// Tabs drawn by us: each with an optional image from Images and, on sheets
// that ask for it, a close button. New sheets are appended; the active page
// alone is visible.
class TPageControl : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);
  HIMAGELIST Images = nullptr;
  std::function<void()> OnChange;
  // A sheet's close button was clicked.
  std::function<void(TTabSheet&)> OnCloseSheet;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const;
  TTabSheet* ActivePage() const { return active_; }
  int ActivePageIndex() const;
  void SetActivePage(TTabSheet* sheet);
  // An index out of range leaves no page active.
  void SetActivePageIndex(int index);
  // A new sheet owned by this control, appended as the last page.
  TTabSheet& NewSheet(const std::string& name, const std::string& caption);
  // Removes a sheet made by NewSheet and destroys it (with its child
  // windows); another sheet becomes active if it was the active one.
  void FreeSheet(TTabSheet& sheet);
  bool Owns(const TTabSheet& sheet) const;
  // Tab rectangle of a page (client coordinates) and of its close button.
  RECT TabRect(int index);
  RECT CloseButtonRect(int index);
  void Changed() { Relayout(); }

  // The tab strip's height at the display's DPI (kTabHeight96 at 96 DPI).
  static int TabHeight();
  static constexpr int kTabHeight96 = 24;

 protected:
  RECT ClientArea() const override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  friend class TTabSheet;
  void Insert(TTabSheet* sheet);
  void Move(TTabSheet* sheet, int index);
  void Relayout();
  int ImageWidth() const;
  void PlaceSheet(TTabSheet* sheet);
  void Paint(HDC dc);
  void MeasureTabs(HDC dc);
  int HitTab(POINT p, bool* onClose);

  std::vector<TTabSheet*> pages_;
  std::vector<std::unique_ptr<TTabSheet>> owned_;
  std::vector<RECT> tabRects_;
  TTabSheet* active_ = nullptr;
  int hotClose_ = -1;
};

// The toolbar band: lays its items out left to right, vertically centred,
// whenever it changes size; items that do not fit are hidden.
class TToolBar : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);
  // Adds an item with its preferred width; a separator is a gap.
  void AddItem(TControl& item, int width);
  void AddSeparator();
  void LayoutItems();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct Slot {
    TControl* item;
    int width;
  };
  // Where the first slot begins, and how far each slot moves the next one.
  static int FirstX();
  static int Advance(const Slot& s);
  // Places one slot at x in a band of the given client size; returns the x
  // of the next slot.
  int PlaceSlot(const Slot& s, int x, const RECT& client);
  std::vector<Slot> slots_;
};

// A once-every-Interval-milliseconds event, on the GUI thread. A thread
// timer with no window of its own: a window for each would cost the start
// a window each.
class TTimer {
 public:
  TTimer() = default;
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;
  void Create(unsigned intervalMs);
  bool Created() const { return created_; }
  std::function<void()> OnTimer;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e);
  unsigned Interval() const { return interval_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
  unsigned interval_ = 1000;
  bool created_ = false;
  bool enabled_ = false;
  UINT_PTR id_ = 0;
};

class TImageList {
 public:
  void Create(int width, int height);
  HIMAGELIST Handle() const { return list_.get(); }
  int Count() const;
  // Adds a copy of the icon; answers its index or -1.
  int AddIcon(HICON icon);

 private:
  UniqueImageList list_;
};

}  // namespace nv
