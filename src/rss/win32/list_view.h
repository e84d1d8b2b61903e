// A report-style list view with columns, for the reader's item list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "ui/win32/control.h"

namespace nv::rss {

class TListView : public TControl {
 public:
  // Grid lines, whole-row selection, several rows selectable.
  void Create(TControl* parent, const std::string& name);
  void AddColumn(const std::string& caption, int width);
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);
  void SetTextColor(COLORREF c);
  COLORREF TextColor() const;

  int Count() const;
  void Clear();
  // Appends a row and answers its index.
  int AddItem(const std::string& caption);
  void SetSubItem(int row, int column, const std::string& text);
  std::string Text(int row, int column) const;
  // The first selected row, or -1.
  int Selected() const;
  void SetSelected(int row, bool selected);

  std::function<void()> OnClick;
  // Enter pressed while the list has the focus.
  std::function<void()> OnReturn;

 protected:
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace nv::rss
