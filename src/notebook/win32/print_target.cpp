#include "notebook/win32/print_target.h"

#include <commdlg.h>

#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

class TPrinterTarget : public TPrintTarget {
 public:
  TPrinterTarget(UniqueHdc dc, std::string title) : dc_(std::move(dc)), title_(Widen(title)) {}
  ~TPrinterTarget() override {
    if (started_) ::AbortDoc(dc_.get());
  }
  int Dpi() override { return ::GetDeviceCaps(dc_.get(), LOGPIXELSY); }
  SIZE PageSize() override { return {::GetDeviceCaps(dc_.get(), HORZRES), ::GetDeviceCaps(dc_.get(), VERTRES)}; }
  HDC BeginPage(int page) override {
    if (page == 0) {
      DOCINFOW info{};
      info.cbSize = sizeof info;
      info.lpszDocName = title_.c_str();
      if (::StartDocW(dc_.get(), &info) <= 0) return nullptr;
      started_ = true;
    }
    return ::StartPage(dc_.get()) > 0 ? dc_.get() : nullptr;
  }
  bool EndPage(int) override { return ::EndPage(dc_.get()) > 0; }
  void Finish(bool ok) override {
    if (!started_) return;
    started_ = false;
    if (ok) ::EndDoc(dc_.get());
    else ::AbortDoc(dc_.get());
  }

 private:
  UniqueHdc dc_;
  std::wstring title_;
  bool started_ = false;
};

}  // namespace

std::unique_ptr<TPrintTarget> ChoosePrinterTarget(HWND owner, const std::string& title) {
  PRINTDLGW pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner;
  pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
  const BOOL ok = ::PrintDlgW(&pd);
  // The dialog hands over its settings blocks on every path.
  if (pd.hDevMode) ::GlobalFree(pd.hDevMode);
  if (pd.hDevNames) ::GlobalFree(pd.hDevNames);
  UniqueHdc dc(pd.hDC);
  if (!ok || !dc) return nullptr;
  return std::make_unique<TPrinterTarget>(std::move(dc), title);
}

}  // namespace nv
