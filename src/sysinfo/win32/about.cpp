#include "sysinfo/win32/about.h"

#include <windowsx.h>

#include <algorithm>

#include "sysinfo/addresses.h"
#include "sysinfo/win32/report_collector.h"
#include "ui/errors.h"
#include "ui/mini_html.h"
#include "ui/icon_ids.h"
#include "ui/win32/icons.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

// --- TAdvPanelGroup ---------------------------------------------------------

namespace {
const COLORREF kBarFace = RGB(226, 236, 236);
const COLORREF kBarEdge = RGB(150, 175, 175);
constexpr int kCloseSize = 16;
}  // namespace

void TAdvPanelGroup::Create(TControl* parent, const std::string& name, const std::string& captionMarkup,
                            const std::string& bodyMarkup) {
  captionMarkup_ = captionMarkup;
  TCaptionPanel::Create(parent, name, MiniHtmlPlainText(captionMarkup), bodyMarkup);
}

RECT TAdvPanelGroup::CloseButtonRect() const {
  RECT r{};
  ::GetClientRect(Handle(), &r);
  const int top = (CaptionHeight() - kCloseSize) / 2;
  return RECT{r.right - kCloseSize - 4, top, r.right - 4, top + kCloseSize};
}

void TAdvPanelGroup::Paint(HDC dc) {
  TCaptionPanel::Paint(dc);
  // Our own caption bar over the plain one: a light face that carries the
  // coloured markup caption, and the close button.
  RECT r;
  ::GetClientRect(Handle(), &r);
  RECT bar{r.left, r.top, r.right, r.top + CaptionHeight()};
  {
    UniqueGdiObject face(::CreateSolidBrush(kBarFace));
    ::FillRect(dc, &bar, static_cast<HBRUSH>(face.get()));
  }
  UniqueGdiObject pen(::CreatePen(PS_SOLID, 1, kBarEdge));
  {
    SelectScope edge(dc, pen.get());
    ::MoveToEx(dc, bar.left, bar.bottom - 1, nullptr);
    ::LineTo(dc, bar.right, bar.bottom - 1);
  }
  ::SetBkMode(dc, TRANSPARENT);
  int x = bar.left + 8;
  for (const MiniHtmlRun& run : ParseMiniHtml(captionMarkup_)) {
    const UniqueGdiObject font = MiniHtmlRunFont(dc, run);
    SelectScope selected(dc, font.get());
    ::SetTextColor(dc, run.color ? static_cast<COLORREF>(*run.color) : RGB(30, 35, 45));
    const std::wstring text = Widen(run.text);
    SIZE sz{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &sz);
    ::TextOutW(dc, x, bar.top + (CaptionHeight() - sz.cy) / 2, text.c_str(), static_cast<int>(text.size()));
    x += sz.cx;
  }
  // The close button: a cross in a small square.
  const RECT c = CloseButtonRect();
  UniqueGdiObject cross(::CreatePen(PS_SOLID, 2, closePressed_ ? RGB(160, 40, 40) : RGB(60, 80, 80)));
  SelectScope drawing(dc, cross.get());
  ::MoveToEx(dc, c.left + 4, c.top + 4, nullptr);
  ::LineTo(dc, c.right - 4, c.bottom - 4);
  ::MoveToEx(dc, c.right - 5, c.top + 4, nullptr);
  ::LineTo(dc, c.left + 3, c.bottom - 4);
}

LRESULT TAdvPanelGroup::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  switch (msg) {
    case WM_LBUTTONDOWN: {
      const RECT c = CloseButtonRect();
      if (::PtInRect(&c, p)) {
        closePressed_ = true;
        ::SetCapture(Handle());
        ::InvalidateRect(Handle(), &c, FALSE);
        return 0;
      }
      break;
    }
    case WM_LBUTTONUP:
      if (closePressed_) {
        closePressed_ = false;
        ::ReleaseCapture();
        const RECT c = CloseButtonRect();
        ::InvalidateRect(Handle(), &c, FALSE);
        if (::PtInRect(&c, p) && OnClose) OnClose();
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      closePressed_ = false;
      break;
    default:
      break;
  }
  return TCaptionPanel::HandleMessage(msg, wp, lp);
}

// --- TAbout -------------------------------------------------------------------

const char* const TAbout::kCredits =
    "THIS SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, "
    "INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR "
    "PURPOSE AND NON-INFRINGEMENT. THE ENTIRE RISK AS TO THE QUALITY AND PERFORMANCE OF THE "
    "SOFTWARE IS WITH YOU. IN NO EVENT SHALL THE AUTHORS BE LIABLE FOR ANY CLAIM, DAMAGES OR "
    "OTHER LIABILITY ARISING FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR ITS USE.\r\n\r\n"
    "THIS SOFTWARE IS NOT FAULT-TOLERANT AND IS NOT DESIGNED, MADE OR MEANT FOR USE IN HAZARDOUS "
    "ENVIRONMENTS REQUIRING FAIL-SAFE PERFORMANCE, SUCH AS THE OPERATION OF NUCLEAR FACILITIES, "
    "AIRCRAFT NAVIGATION OR COMMUNICATION SYSTEMS, AIR TRAFFIC CONTROL, LIFE SUPPORT MACHINES OR "
    "WEAPONS SYSTEMS, IN WHICH ITS FAILURE COULD LEAD TO DEATH, PERSONAL INJURY OR SEVERE "
    "PHYSICAL OR ENVIRONMENTAL DAMAGE.";

TAbout::TAbout(ShellLauncher launcher, FactsSource facts) : launcher_(std::move(launcher)), facts_(std::move(facts)) {
  if (!launcher_) launcher_ = SystemShellLaunch;
  if (!facts_) facts_ = [] { return CollectReportFacts(); };
}

TAbout::~TAbout() {
  if (HandleAllocated()) DestroyHandle();
}

void TAbout::Create(HWND owner) {
  Name = "About";
  CreateParams p;
  p.className = L"TAbout";
  p.caption = "About";
  // No border and no border icons: the panel's caption bar is the title.
  p.style = WS_POPUP | WS_CLIPCHILDREN;
  p.exStyle = WS_EX_CONTROLPARENT;
  // Centred on the screen; without a border the window is its client area.
  // Its sizes are those of a 96-DPI display, grown with the display's DPI.
  p.width = ui::Scaled(kClientWidth);
  p.height = ui::Scaled(kClientHeight);
  p.x = (::GetSystemMetrics(SM_CXSCREEN) - p.width) / 2;
  p.y = (::GetSystemMetrics(SM_CYSCREEN) - p.height) / 2;
  p.parent = owner;
  CreateOwn(p, ClassParams{});
  CreateComponents();
  FormCreate();
}

void TAbout::CreateComponents() {
  AdvPanelGroup1.Create(this, "AdvPanelGroup1", kCaptionMarkup, kBodyMarkup);
  AdvPanelGroup1.SetAlign(TAlign::alClient);
  AdvPanelGroup1.OnClose = [this] { AdvPanelGroup1Close(); };

  PageControl1.Create(&AdvPanelGroup1, "PageControl1");
  PageControl1.SetHeight(ui::Scaled(kPagesHeight));
  PageControl1.SetAlign(TAlign::alBottom);
  tsSystem.Create(&PageControl1, "tsSystem", "System");
  tsCredit.Create(&PageControl1, "tsCredit", "Credits");
  Memo1.Create(&tsSystem, "Memo1");
  Memo1.SetAlign(TAlign::alClient);
  Memo2.Create(&tsCredit, "Memo2", true);
  Memo2.SetAlign(TAlign::alClient);
  Memo2.SetCaption(kCredits);
  Memo2.Perform(EM_SETREADONLY, TRUE);  // a notice, not a note
  PageControl1.SetActivePage(&tsSystem);

  Image1.Create(&AdvPanelGroup1, "Image1");
  const int picture = ui::Scaled(kPictureSize), gap = ui::Scaled(8);
  Image1.SetBounds(ui::Scaled(kClientWidth) - picture - gap, TCaptionPanel::CaptionHeight() + gap, picture, picture);
  Image1.SetPicture(MakePicture());
  Image1.SetHint("Click");
  Image1.OnClick = [this] { Image1Click(); };
  AlignControls();
}

HBITMAP TAbout::MakePicture() const {
  // The companion site's picture from the resources, on the window's own
  // ground so its transparent edge blends in.
  const int size = ui::Scaled(kPictureSize);
  UniqueHIcon icon = ui::LoadToolbarIcon(ui::IconId::Image1, size, USER_DEFAULT_SCREEN_DPI);
  WindowDcScope screen(nullptr);
  HBITMAP bmp = ::CreateCompatibleBitmap(screen.dc(), size, size);
  if (!bmp) return nullptr;
  UniqueHdc dc(::CreateCompatibleDC(screen.dc()));
  if (!dc) return bmp;
  SelectScope selected(dc.get(), bmp);
  RECT all{0, 0, size, size};
  ::FillRect(dc.get(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
  if (icon) ::DrawIconEx(dc.get(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
  return bmp;
}

void TAbout::FormCreate() {
  // The report is made once, now. An error it raises stops it at that line;
  // the window keeps the lines made so far and the error is shown once.
  try {
    const SystemReport report = FormatReport(facts_());
    Memo1.SetLines(report.Lines);
    if (report.Error) throw Exception(*report.Error);
  } catch (...) {
    Window::ReportException(std::current_exception());
  }
}

void TAbout::AdvPanelGroup1Close() { Close(); }

void TAbout::Image1Click() {
  Close();
  ShellRequest r;
  r.owner = Handle();
  r.verb = "open";
  r.file = addresses::kCompanionSite;
  r.show = SW_SHOWNORMAL;
  launcher_(r);
}

void TAbout::Close() {
  closed_ = true;
  if (!modal_) ::ShowWindow(Handle(), SW_HIDE);
}

void TAbout::ShowModal() {
  if (modal_ || !HandleAllocated()) return;
  modal_ = true;
  closed_ = false;
  HWND owner = ::GetWindow(Handle(), GW_OWNER);
  const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  ::ShowWindow(Handle(), SW_SHOW);
  ::SetForegroundWindow(Handle());
  Memo1.SetFocus();
  MSG msg;
  while (!closed_) {
    const BOOL r = ::GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0) {
      // The program is ending: leave the quit for the main loop.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (r == -1) break;
    if (msg.hwnd == nullptr && OnThreadMessage) {
      try {
        OnThreadMessage(msg);
      } catch (...) {
        Window::ReportException(std::current_exception());
      }
    }
    // Escape closes the window, as in any dialog.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
        (msg.hwnd == Handle() || ::IsChild(Handle(), msg.hwnd))) {
      Close();
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    // Hiding the program (hotkey 3) hides this window with it, and bringing
    // it back shows it again: an owned window would stay on screen alone.
    if (owner && !closed_) {
      const bool ownerVisible = ::IsWindowVisible(owner) != FALSE;
      if (ownerVisible != (::IsWindowVisible(Handle()) != FALSE))
        ::ShowWindow(Handle(), ownerVisible ? SW_SHOWNA : SW_HIDE);
    }
  }
  // The owner comes back before this window hides, so it gets the focus.
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  ::ShowWindow(Handle(), SW_HIDE);
  modal_ = false;
}

LRESULT TAbout::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    Close();
    return 0;
  }
  return TControl::HandleMessage(msg, wp, lp);
}

}  // namespace nv
