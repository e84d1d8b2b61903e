// A picture control: shows a bitmap stretched to its size and reports
// clicks (OnClick), as a plain picture on a window does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/win32/control.h"
#include "ui/win32/unique_handle.h"

namespace nv {

class TImage : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);
  // Takes ownership of the bitmap.
  void SetPicture(HBITMAP bitmap);
  HBITMAP Picture() const { return static_cast<HBITMAP>(picture_.get()); }
  std::function<void()> OnClick;
  void Click();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  UniqueGdiObject picture_;
  bool pressed_ = false;
};

}  // namespace nv
