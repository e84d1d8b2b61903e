#include "capture/win32/captured_windows.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "capture/win32/window_search.h"
#include "ui/win32/emergency.h"
#include "ui/win32/unique_handle.h"

namespace nv {

namespace {

// A rectangle of the given size placed where it is fully on some monitor:
// the saved place when it is visible enough, otherwise the middle of the
// primary monitor's work area.
RECT OnScreen(RECT r) {
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  LONG w = std::min(r.right - r.left, work.right - work.left);
  LONG h = std::min(r.bottom - r.top, work.bottom - work.top);
  if (w < 200) w = std::min<LONG>(640, work.right - work.left);
  if (h < 120) h = std::min<LONG>(480, work.bottom - work.top);
  RECT probe{r.left, r.top, r.left + w, r.top + h};
  HMONITOR m = ::MonitorFromRect(&probe, MONITOR_DEFAULTTONULL);
  if (m) {
    MONITORINFO mi{sizeof mi, {}, {}, 0};
    ::GetMonitorInfoW(m, &mi);
    RECT inter{};
    // At least the title bar region must be reachable.
    if (::IntersectRect(&inter, &probe, &mi.rcWork) && inter.bottom - inter.top >= 40 && inter.right - inter.left >= 120)
      return probe;
  }
  const LONG x = work.left + ((work.right - work.left) - w) / 2;
  const LONG y = work.top + ((work.bottom - work.top) - h) / 2;
  return RECT{x, y, x + w, y + h};
}

void ReparentWithoutWaiting(HWND window, HWND parent, RECT place) {
  // Shared by this thread and the worker: whichever lets go last closes it.
  auto done = std::make_shared<UniqueKernelHandle>(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  try {
    std::thread([window, parent, place, done] {
      ::SetParent(window, parent);
      ::SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
      ::ShowWindowAsync(window, SW_SHOWNORMAL);
      ::SetEvent(done->get());
    }).detach();
  } catch (...) {
    return;  // no thread to spare: the window stays where it is
  }
  ::WaitForSingleObject(done->get(), 1000);
}

}  // namespace

CapturedWindows::CapturedWindows() = default;

CapturedWindows::~CapturedWindows() {
  crashAction_.Disarm();
  ReleaseAll();
}

CaptureRecord CapturedWindows::Describe(HWND window, TTabSheet* tab) {
  CaptureRecord r;
  r.window = window;
  r.tab = tab;
  if (window) {
    r.originalParent = ::GetAncestor(window, GA_PARENT);
    r.placement.length = sizeof r.placement;
    ::GetWindowPlacement(window, &r.placement);
    r.wasVisible = ::IsWindowVisible(window) != FALSE;
  }
  return r;
}

void CapturedWindows::Erase(size_t index) {
  if (index < records_.size()) records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
}

void CapturedWindows::Release(const CaptureRecord& r) {
  if (!r.window || !::IsWindow(r.window)) return;
  HWND desktop = ::GetDesktopWindow();
  HWND parent = r.originalParent && r.originalParent != desktop && ::IsWindow(r.originalParent) ? r.originalParent : nullptr;
  // A hung program's window must not stall the release of the others.
  const bool responds = WindowResponds(r.window, 500);
  if (responds) ::SetParent(r.window, parent);
  RECT place = r.placement.length ? r.placement.rcNormalPosition : RECT{0, 0, 640, 480};
  if (!parent) place = OnScreen(place);
  if (responds) {
    WINDOWPLACEMENT wp = r.placement;
    wp.length = sizeof wp;
    wp.flags = 0;
    wp.showCmd = SW_SHOWNORMAL;
    wp.rcNormalPosition = place;
    ::SetWindowPlacement(r.window, &wp);
    ::ShowWindow(r.window, SW_SHOWNORMAL);
  } else {
    // Re-parenting another thread's window waits for that thread. For a
    // hung program it is left to a thread of its own, which finishes when
    // the program recovers; nobody here waits for it longer than a moment.
    ReparentWithoutWaiting(r.window, parent, place);
  }
}

void CapturedWindows::ReleaseAll() {
  std::vector<CaptureRecord> records;
  records.swap(records_);
  for (const CaptureRecord& r : records) Release(r);
}

void CapturedWindows::InstallCrashHandler() {
  EmergencyRestore::Install();
  if (!crashAction_.Armed()) crashAction_ = ScopedEmergencyAction([this] { ReleaseAll(); });
}

}  // namespace nv
