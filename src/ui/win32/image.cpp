#include "ui/win32/image.h"

#include <windowsx.h>

namespace nv {

void TImage::Create(TControl* parent, const std::string& name) {
  Name = name;
  ClassParams c;
  c.background = nullptr;
  c.cursor = MAKEINTRESOURCEW(32649);  // IDC_HAND: the picture is a link
  CreateOwnChild(parent, L"TImage", "", WS_VISIBLE, c);
}

void TImage::SetPicture(HBITMAP bitmap) {
  picture_.reset(bitmap);
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TImage::Click() {
  if (OnClick) OnClick();
}

LRESULT TImage::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(Handle(), &ps);
      RECT r;
      ::GetClientRect(Handle(), &r);
      if (picture_) {
        HDC mem = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(mem, picture_.get());
        BITMAP bm{};
        ::GetObjectW(picture_.get(), sizeof bm, &bm);
        ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        ::SelectObject(mem, old);
        ::DeleteDC(mem);
      } else {
        ::FillRect(dc, &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
      }
      ::EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      pressed_ = true;
      ::SetCapture(Handle());
      return 0;
    case WM_LBUTTONUP: {
      const bool was = pressed_;
      pressed_ = false;
      ::ReleaseCapture();
      RECT r;
      ::GetClientRect(Handle(), &r);
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      // A click is a press and release over the picture.
      if (was && ::PtInRect(&r, p)) Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      break;
    default:
      break;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

}  // namespace nv
