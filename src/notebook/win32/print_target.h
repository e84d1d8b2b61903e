// Where the notebook prints to. The printer the user picks in the system's
// print dialog is one target; tests supply their own that draw the pages
// into metafiles or bitmaps, since there may be no printer at all.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace nv {

class TPrintTarget {
 public:
  virtual ~TPrintTarget() = default;
  // The page's resolution and printable size in device pixels.
  virtual int Dpi() = 0;
  virtual SIZE PageSize() = 0;
  // The DC to draw page n into (null: printing stops), then its end.
  virtual HDC BeginPage(int page) = 0;
  virtual bool EndPage(int page) = 0;
  // After the last page, or after a failure (ok false: the job is dropped).
  virtual void Finish(bool ok) = 0;
};

// Shows the system's print dialog owned by `owner`; the printer chosen
// there as a target for a document of that title, or null on Cancel.
std::unique_ptr<TPrintTarget> ChoosePrinterTarget(HWND owner, const std::string& title);

}  // namespace nv
