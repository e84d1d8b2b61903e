// A stand-in for the programs users capture: shows a top-level window with
// the title given on its command line, and behaves as told.
//
//   --title TEXT        window title (default "Nookvale Helper")
//   --tool              a tool window (WS_EX_TOOLWINDOW)
//   --owned             the titled window is owned by a hidden main window
//   --dialog            the titled window is an unowned dialog
//   --hidden            never shown
//   --minimized         shown minimised
//   --refuse-close      ignores WM_CLOSE
//   --hang-after MS     stops answering messages after MS milliseconds
//   --modal             opens a modal dialog "<title> - Dialog" over its window
//   --exit-after MS     ends itself after MS milliseconds
//   --no-window         shows no window at all (waits to be ended)
//   --class NAME        registers and uses this window class
//   --child-chain       gives the window a child and that child a child
//   --edit TEXT         fills the window with a multi-line edit holding TEXT
//   --shot FILE         on kShotMessage writes its client area, as it paints
//                       it, to FILE as a 24-bit BMP and answers 1
//   --keys SPEC         sends keystrokes with SendInput ("ctrl+alt+h") and ends
//   --delay MS          waits MS milliseconds before sending the keys
//   --huge-length       claims a title length of about two thousand million
//   --spawn             on kSpawnMessage (number in wParam) opens another
//                       top-level window "<title> #<number>"; closing one of
//                       those ends only that window
//   --clip-put RTF TEXT puts RTF ("Rich Text Format", ANSI) and Unicode text on
//                       the clipboard, then shows a hidden window with the title
//                       to say so, and waits to be ended
//   --clip-dump FILE    writes what the clipboard holds and ends: FILE gets
//                       "rvf=0|1", FILE.rtf the RTF bytes, FILE.txt the text
//                       as UTF-8
//
// kNotifyParentMessage makes the window send its parent WM_NOTIFY with a
// pointer that means nothing in any other process, then post one too.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Options {
  std::wstring title = L"Nookvale Helper";
  std::wstring cls = L"NookvaleHelperWindow";
  bool tool = false, owned = false, dialog = false, hidden = false, minimized = false;
  bool refuseClose = false, modal = false, noWindow = false, childChain = false;
  bool hugeLength = false, spawn = false;
  int hangAfter = -1, exitAfter = -1, delay = 0;
  std::wstring keys;
  bool clipPut = false;
  std::wstring clipRtf, clipText, clipDump;
  std::wstring editText, shot;
} opt;

constexpr UINT_PTR kHangTimer = 1, kExitTimer = 2, kModalTimer = 3;
constexpr UINT kNotifyParentMessage = WM_APP + 1;
constexpr UINT kSpawnMessage = WM_APP + 2;
constexpr UINT kShotMessage = WM_APP + 3;
HWND g_main = nullptr;
HWND g_edit = nullptr;
HINSTANCE g_inst = nullptr;

bool WriteShot();

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      if (opt.refuseClose) return 0;
      DestroyWindow(w);
      return 0;
    case WM_DESTROY:
      // A polite close ends with 3, so tests can tell it from being ended.
      if (w == g_main) PostQuitMessage(3);
      return 0;
    case WM_SIZE:
      if (w == g_main && g_edit) MoveWindow(g_edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case kShotMessage:
      return !opt.shot.empty() && WriteShot() ? 1 : 0;
    case WM_GETTEXTLENGTH:
      if (opt.hugeLength) return 0x7FFFFFF0;
      return DefWindowProcW(w, msg, wp, lp);
    case kNotifyParentMessage: {
      HWND parent = GetAncestor(w, GA_PARENT);
      SendMessageW(parent, WM_NOTIFY, 7, static_cast<LPARAM>(0x1234));
      PostMessageW(parent, WM_NOTIFY, 7, static_cast<LPARAM>(0x5678));
      return 1;
    }
    case kSpawnMessage:
      if (opt.spawn) {
        std::wstring t = opt.title + L" #" + std::to_wstring(wp);
        HWND o = CreateWindowExW(0, opt.cls.c_str(), t.c_str(), WS_OVERLAPPEDWINDOW, 140, 110, 320, 200, nullptr,
                                 nullptr, g_inst, nullptr);
        ShowWindow(o, SW_SHOWNORMAL);
        return reinterpret_cast<LRESULT>(o);
      }
      return 0;
    case WM_TIMER:
      if (wp == kHangTimer) {
        KillTimer(w, kHangTimer);
        Sleep(INFINITE);
      } else if (wp == kExitTimer) {
        ExitProcess(0);
      } else if (wp == kModalTimer) {
        KillTimer(w, kModalTimer);
        std::wstring t = opt.title + L" - Dialog";
        MessageBoxW(w, L"A modal question", t.c_str(), MB_OKCANCEL);
      }
      return 0;
    default:
      return DefWindowProcW(w, msg, wp, lp);
  }
}

void SendKeys(const std::wstring& spec) {
  // "ctrl+alt+h": modifiers then one key, pressed in order, released in reverse.
  INPUT in[16] = {};
  int n = 0;
  std::wstring rest = spec;
  auto add = [&](WORD vk) {
    in[n].type = INPUT_KEYBOARD;
    in[n].ki.wVk = vk;
    ++n;
  };
  WORD pressed[8];
  int np = 0;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t plus = rest.find(L'+', start);
    std::wstring part = rest.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start);
    WORD vk = 0;
    if (part == L"ctrl") vk = VK_CONTROL;
    else if (part == L"alt") vk = VK_MENU;
    else if (part == L"shift") vk = VK_SHIFT;
    else if (part.size() == 1) vk = static_cast<WORD>(towupper(part[0]));
    if (vk && np < 8) {
      add(vk);
      pressed[np++] = vk;
    }
    if (plus == std::wstring::npos) break;
    start = plus + 1;
  }
  for (int i = np - 1; i >= 0; --i) {
    add(pressed[i]);
    in[n - 1].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(static_cast<UINT>(n), in, sizeof(INPUT));
}

bool PutClipboard(UINT format, const void* data, size_t size) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!h) return false;
  std::memcpy(GlobalLock(h), data, size);
  GlobalUnlock(h);
  if (SetClipboardData(format, h)) return true;
  GlobalFree(h);
  return false;
}

bool OpenClipboardRetrying() {
  for (int i = 0; i < 200; ++i) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(10);
  }
  return false;
}

bool ClipPut() {
  if (!OpenClipboardRetrying()) return false;
  EmptyClipboard();
  const int n = WideCharToMultiByte(CP_ACP, 0, opt.clipRtf.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string rtf(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, opt.clipRtf.c_str(), -1, rtf.data(), n, nullptr, nullptr);
  bool ok = PutClipboard(RegisterClipboardFormatW(L"Rich Text Format"), rtf.data(), rtf.size());
  ok = PutClipboard(CF_UNICODETEXT, opt.clipText.c_str(), (opt.clipText.size() + 1) * sizeof(wchar_t)) && ok;
  CloseClipboard();
  return ok;
}

bool WriteBytes(const std::wstring& path, const void* data, size_t size) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(f, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
  CloseHandle(f);
  return ok;
}

std::string ClipboardBytes(UINT format) {
  HANDLE h = GetClipboardData(format);
  if (!h) return {};
  const char* p = static_cast<const char*>(GlobalLock(h));
  if (!p) return {};
  std::string bytes(p, GlobalSize(h));
  GlobalUnlock(h);
  return bytes;
}

int ClipDump() {
  if (!OpenClipboardRetrying()) return 1;
  const bool rvf = IsClipboardFormatAvailable(RegisterClipboardFormatW(L"RichView Format")) != FALSE;
  std::string rtf = ClipboardBytes(RegisterClipboardFormatW(L"Rich Text Format"));
  if (size_t nul = rtf.find('\0'); nul != std::string::npos) rtf.resize(nul);
  const std::string wide = ClipboardBytes(CF_UNICODETEXT);
  CloseClipboard();
  std::wstring text(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
  if (size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
  const std::string flag = rvf ? "rvf=1" : "rvf=0";
  const bool ok = WriteBytes(opt.clipDump + L".rtf", rtf.data(), rtf.size()) &&
                  WriteBytes(opt.clipDump + L".txt", utf8.data(), utf8.size()) &&
                  WriteBytes(opt.clipDump, flag.data(), flag.size());
  return ok ? 0 : 1;
}

// The client area of the main window as this process paints it: the
// background, then the edit control drawn through WM_PRINT.
bool WriteShot() {
  RECT rc{};
  GetClientRect(g_main, &rc);
  const int w = rc.right, h = rc.bottom;
  if (w <= 0 || h <= 0) return false;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  bool ok = false;
  if (bmp && mem && bits) {
    HGDIOBJ old = SelectObject(mem, bmp);
    FillRect(mem, &rc, GetSysColorBrush(COLOR_WINDOW));
    if (g_edit) SendMessageW(g_edit, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
    GdiFlush();
    SelectObject(mem, old);
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    bi.bmiHeader.biSizeImage = size;
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
    bytes.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    bytes.append(static_cast<const char*>(bits), size);
    ok = WriteBytes(opt.shot, bytes.data(), bytes.size());
  }
  if (mem) DeleteDC(mem);
  if (bmp) DeleteObject(bmp);
  return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : L""; };
    if (a == L"--title") opt.title = next();
    else if (a == L"--tool") opt.tool = true;
    else if (a == L"--owned") opt.owned = true;
    else if (a == L"--dialog") opt.dialog = true;
    else if (a == L"--hidden") opt.hidden = true;
    else if (a == L"--minimized") opt.minimized = true;
    else if (a == L"--refuse-close") opt.refuseClose = true;
    else if (a == L"--hang-after") opt.hangAfter = _wtoi(next().c_str());
    else if (a == L"--modal") opt.modal = true;
    else if (a == L"--exit-after") opt.exitAfter = _wtoi(next().c_str());
    else if (a == L"--no-window") opt.noWindow = true;
    else if (a == L"--class") opt.cls = next();
    else if (a == L"--child-chain") opt.childChain = true;
    else if (a == L"--edit") opt.editText = next();
    else if (a == L"--shot") opt.shot = next();
    else if (a == L"--keys") opt.keys = next();
    else if (a == L"--delay") opt.delay = _wtoi(next().c_str());
    else if (a == L"--huge-length") opt.hugeLength = true;
    else if (a == L"--spawn") opt.spawn = true;
    else if (a == L"--clip-put") {
      opt.clipPut = true;
      opt.clipRtf = next();
      opt.clipText = next();
    } else if (a == L"--clip-dump") opt.clipDump = next();
  }
  LocalFree(argv);

  if (!opt.clipDump.empty()) return ClipDump();
  if (opt.clipPut) {
    if (!ClipPut()) return 1;
    opt.hidden = true;  // the window only says the clipboard is ready
  }

  if (!opt.keys.empty()) {
    Sleep(static_cast<DWORD>(opt.delay));
    SendKeys(opt.keys);
    return 0;
  }

  g_inst = inst;
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = inst;
  wc.lpszClassName = opt.cls.c_str();
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32516));  // IDI_INFORMATION
  RegisterClassW(&wc);

  if (opt.noWindow) {
    if (opt.exitAfter >= 0) Sleep(static_cast<DWORD>(opt.exitAfter));
    else Sleep(INFINITE);
    return 0;
  }

  HWND owner = nullptr;
  if (opt.owned) {
    owner = CreateWindowExW(0, opt.cls.c_str(), (opt.title + L" Owner").c_str(), WS_OVERLAPPEDWINDOW,
                            50, 50, 300, 200, nullptr, nullptr, inst, nullptr);
  }
  DWORD style = opt.dialog ? (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME) : WS_OVERLAPPEDWINDOW;
  DWORD ex = (opt.tool ? WS_EX_TOOLWINDOW : 0) | (opt.dialog ? WS_EX_DLGMODALFRAME : 0);
  HWND w = CreateWindowExW(ex, opt.cls.c_str(), opt.title.c_str(), style, 120, 90, 420, 300, owner, nullptr,
                           inst, nullptr);
  g_main = w;
  if (opt.childChain) {
    HWND child = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, w, nullptr, inst, nullptr);
    CreateWindowExW(0, L"STATIC", L"grandchild", WS_CHILD | WS_VISIBLE, 0, 0, 100, 50, child, nullptr, inst, nullptr);
  }
  if (!opt.editText.empty()) {
    // "\n" in the text stands for a line break.
    std::wstring text;
    for (size_t k = 0; k < opt.editText.size(); ++k) {
      if (opt.editText[k] == L'\\' && k + 1 < opt.editText.size() && opt.editText[k + 1] == L'n') {
        text += L"\r\n";
        ++k;
      } else {
        text += opt.editText[k];
      }
    }
    RECT rc{};
    GetClientRect(w, &rc);
    g_edit = CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 0, 0,
                             rc.right, rc.bottom, w, nullptr, inst, nullptr);
    SendMessageW(g_edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  }
  if (!opt.hidden) ShowWindow(w, opt.minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  if (opt.hangAfter >= 0) SetTimer(w, kHangTimer, static_cast<UINT>(opt.hangAfter), nullptr);
  if (opt.exitAfter >= 0) SetTimer(w, kExitTimer, static_cast<UINT>(opt.exitAfter), nullptr);
  if (opt.modal) SetTimer(w, kModalTimer, 10, nullptr);

  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return static_cast<int>(m.wParam);
}
