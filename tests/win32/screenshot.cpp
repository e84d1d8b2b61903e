#include "screenshot.h"

#include <cstdio>
#include <vector>

#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

bool SaveWindowShot(HWND window, const std::string& path) { return SaveWindowShot(window, path, {}); }

bool SaveWindowShot(HWND window, const std::string& path, const std::vector<ShotOverlay>& overlays) {
  RECT r{};
  if (!::GetWindowRect(window, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);

  WindowDcScope screen(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;  // bottom-up, as a BMP file stores it
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject dib(::CreateDIBSection(screen.dc(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueHdc mem(::CreateCompatibleDC(screen.dc()));
  if (!dib || !mem || !bits) return false;
  {
    SelectScope selected(mem.get(), dib.get());
    if (!::BitBlt(mem.get(), 0, 0, w, h, screen.dc(), r.left, r.top, SRCCOPY)) return false;
    for (const ShotOverlay& o : overlays) {
      UniqueGdiObject picture(::LoadImageW(nullptr, Widen(o.bmp).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
      if (!picture) return false;
      BITMAP bm{};
      ::GetObjectW(picture.get(), sizeof bm, &bm);
      POINT at{0, 0};
      ::ClientToScreen(o.window, &at);
      UniqueHdc source(::CreateCompatibleDC(screen.dc()));
      SelectScope chosen(source.get(), picture.get());
      ::BitBlt(mem.get(), at.x - r.left, at.y - r.top, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCCOPY);
    }
  }
  ::GdiFlush();

  const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;  // "BM"
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + imageSize;
  bi.bmiHeader.biSizeImage = imageSize;
  FILE* out = _wfopen(Widen(path).c_str(), L"wb");
  if (!out) return false;
  const bool ok = std::fwrite(&fh, sizeof fh, 1, out) == 1 && std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, out) == 1 &&
                  std::fwrite(bits, 1, imageSize, out) == imageSize;
  return std::fclose(out) == 0 && ok;
}

std::string EnvValue(const char* name) {
  const DWORD n = ::GetEnvironmentVariableW(Widen(name).c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring w(n, L'\0');
  const DWORD got = ::GetEnvironmentVariableW(Widen(name).c_str(), w.data(), n);
  w.resize(got);
  return Narrow(w);
}

std::vector<std::uint32_t> RenderClient(HWND window) {
  RECT rc{};
  ::GetClientRect(window, &rc);
  void* bits = nullptr;
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  UniqueGdiObject bmp = TopDownDib32(dc.get(), rc.right, rc.bottom, &bits);
  if (!bits) return {};
  SelectScope selected(dc.get(), bmp.get());
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  ::GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  return std::vector<std::uint32_t>(p, p + static_cast<size_t>(rc.right) * static_cast<size_t>(rc.bottom));
}

std::vector<std::uint32_t> ScreenPixels(HWND window, int& width) {
  width = 0;
  RECT r{};
  if (!::GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return {};
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  const int w = r.right - r.left, h = r.bottom - r.top;
  void* bits = nullptr;
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  UniqueGdiObject bmp = TopDownDib32(dc.get(), w, h, &bits);
  if (!bits) return {};
  {
    SelectScope selected(dc.get(), bmp.get());
    WindowDcScope screen(nullptr);
    if (!::BitBlt(dc.get(), 0, 0, w, h, screen.dc(), r.left, r.top, SRCCOPY)) return {};
  }
  ::GdiFlush();
  width = w;
  const auto* p = static_cast<const std::uint32_t*>(bits);
  return std::vector<std::uint32_t>(p, p + static_cast<size_t>(w) * static_cast<size_t>(h));
}

}  // namespace nv
