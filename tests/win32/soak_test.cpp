// A thousand captures and releases of our stand-in's windows must leave
// Nookvale with the objects, handles and tabs it had after the first few.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "helper_process.h"
#include "main_form_fixture.h"
#include "ui/win32/unique_handle.h"

namespace nv {
namespace {

constexpr UINT kSpawnMessage = WM_APP + 2;  // nvhelper's

struct Counts {
  // What the system reports (Wine answers 0 for all three)...
  DWORD gdi = 0, user = 0, handles = 0;
  // ...and what our owners hold, counted by ourselves.
  long ownGdi = 0, ownKernel = 0, ownWindows = 0;
  int tabs = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM p) {
  ++*reinterpret_cast<long*>(p);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND w, LPARAM p) {
  ++*reinterpret_cast<long*>(p);
  ::EnumChildWindows(w, CountChild, p);
  return TRUE;
}

Counts Measure(TfrmMain& f) {
  Counts c;
  c.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  c.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  ::GetProcessHandleCount(::GetCurrentProcess(), &c.handles);
  c.ownGdi = UniqueGdiObject::Live() + UniqueHIcon::Live() + UniqueImageList::Live() + UniqueHdc::Live();
  c.ownKernel = UniqueKernelHandle::Live();
  ::EnumThreadWindows(::GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&c.ownWindows));
  c.tabs = f.PageControl.PageCount();
  return c;
}

class SoakTest : public MainFormTest {};

TEST_F(SoakTest, ThousandCapturesAndReleasesLeakNothing) {
  // Minutes long: run by its own test entry, which sets the variable.
  if (!::GetEnvironmentVariableA("NOOKVALE_SOAK", nullptr, 0)) GTEST_SKIP() << "run by the capture_soak entry";
  TfrmMain& f = Start();
  f.Capture.Timer1.SetEnabled(false);
  const std::string title = UniqueTitle("soak");
  HelperProcess h("--hidden --spawn --title \"" + title + "\"");
  HWND main = h.WaitForWindow(title);
  ASSERT_TRUE(main);

  auto cycle = [&](int n) {
    DWORD_PTR made = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(main, kSpawnMessage, static_cast<WPARAM>(n), 0, SMTO_NORMAL, 10000, &made));
    HWND w = reinterpret_cast<HWND>(made);
    ASSERT_TRUE(w);
    const std::string name = title + " #" + std::to_string(n);
    CaptureApp(f, name);
    ASSERT_EQ(::GetAncestor(w, GA_PARENT), f.PageControl.ActivePage()->Handle()) << n;
    // The program closes its window; the next scan lets the tab go.
    ::PostMessageW(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(w); })) << n;
    f.Capture.Timer1Timer();
    ASSERT_EQ(f.PageControl.PageCount(), 1) << n;
  };
  constexpr int kWarmUp = 20, kCycles = 1000;
  for (int n = 0; n < kWarmUp; ++n) {
    cycle(n);
    if (HasFatalFailure()) return;
  }
  const Counts before = Measure(f);
  for (int n = kWarmUp; n < kWarmUp + kCycles; ++n) {
    cycle(n);
    if (HasFatalFailure()) return;
  }
  const Counts after = Measure(f);
  std::printf(
      "soak: %d cycles; system counts GDI %lu -> %lu, USER %lu -> %lu, handles %lu -> %lu; "
      "owned GDI/icons/image lists/DCs %ld -> %ld, owned kernel handles %ld -> %ld, our windows %ld -> %ld, "
      "tabs %d -> %d\n",
      kCycles, before.gdi, after.gdi, before.user, after.user, before.handles, after.handles, before.ownGdi,
      after.ownGdi, before.ownKernel, after.ownKernel, before.ownWindows, after.ownWindows, before.tabs, after.tabs);
  EXPECT_LE(after.gdi, before.gdi);
  EXPECT_LE(after.user, before.user);
  EXPECT_LE(after.handles, before.handles);
  EXPECT_EQ(after.ownGdi, before.ownGdi);
  EXPECT_EQ(after.ownKernel, before.ownKernel);
  EXPECT_EQ(after.ownWindows, before.ownWindows);
  EXPECT_EQ(after.tabs, before.tabs);
  EXPECT_EQ(f.Capture.winListBox.Count(), 0);
  EXPECT_TRUE(f.Capture.Captures().Records().empty());
  EXPECT_TRUE(prompter.Calls().empty());
}

}  // namespace
}  // namespace nv
