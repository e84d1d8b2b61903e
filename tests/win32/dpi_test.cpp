// The Main Page laid out at the display's DPI: no visible control sticks out
// of its parent or covers a sibling. The DPI run (tests/blackbox/dpi.sh)
// starts this at 120, 144 and 192 DPI with NOOKVALE_EXPECT_DPI set and
// collects the screenshot written to NOOKVALE_SHOT; in the plain suite it
// checks the layout at the prefix's own DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main_form_fixture.h"
#include "screenshot.h"
#include "ui/win32/icons.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

class DpiTest : public MainFormTest {};

std::string Describe(HWND w) {
  wchar_t cls[64] = {}, text[64] = {};
  ::GetClassNameW(w, cls, 64);
  ::GetWindowTextW(w, text, 64);
  RECT r{};
  ::GetWindowRect(w, &r);
  return Narrow(cls) + " \"" + Narrow(text) + "\" (" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

std::vector<HWND> VisibleChildren(HWND parent) {
  std::vector<HWND> out;
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (!(::GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT r{};
    ::GetWindowRect(c, &r);
    if (r.right > r.left && r.bottom > r.top) out.push_back(c);
  }
  return out;
}

// Every problem of the tree under `parent`, one line each.
void CheckTree(HWND parent, std::vector<std::string>& problems) {
  RECT client{};
  ::GetClientRect(parent, &client);
  ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const std::vector<HWND> children = VisibleChildren(parent);
  for (size_t i = 0; i < children.size(); ++i) {
    RECT r{};
    ::GetWindowRect(children[i], &r);
    RECT inside{};
    ::IntersectRect(&inside, &r, &client);
    if (!::EqualRect(&inside, &r)) problems.push_back("clipped: " + Describe(children[i]) + " in " + Describe(parent));
    for (size_t j = i + 1; j < children.size(); ++j) {
      RECT other{}, both{};
      ::GetWindowRect(children[j], &other);
      if (::IntersectRect(&both, &r, &other))
        problems.push_back("overlap: " + Describe(children[i]) + " and " + Describe(children[j]));
    }
    // A list's lines are at least as tall as the text they show.
    wchar_t cls[32] = {};
    ::GetClassNameW(children[i], cls, 32);
    if (_wcsicmp(cls, L"ListBox") == 0) {
      const int line = static_cast<int>(::SendMessageW(children[i], LB_GETITEMHEIGHT, 0, 0));
      HFONT font = reinterpret_cast<HFONT>(::SendMessageW(children[i], WM_GETFONT, 0, 0));
      WindowDcScope dc(children[i]);
      SelectScope selected(dc.dc(), font ? font : TControl::DefaultFont());
      TEXTMETRICW tm{};
      ::GetTextMetricsW(dc.dc(), &tm);
      if (line < tm.tmHeight)
        problems.push_back("lines of " + std::to_string(line) + " px for text of " + std::to_string(tm.tmHeight) +
                           " px: " + Describe(children[i]));
    }
    CheckTree(children[i], problems);
  }
}

TEST_F(DpiTest, MainPageControlsAreNeitherClippedNorOverlapping) {
  const std::string expected = EnvValue("NOOKVALE_EXPECT_DPI");
  if (!expected.empty()) {
    ASSERT_EQ(ui::DpiFor(), std::stoi(expected)) << "the prefix's LogPixels did not take";
  }
  TfrmMain& f = Start();
  ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(f.Handle()) != FALSE; }));
  Pump(0);
  // The fixed sizes follow the DPI.
  EXPECT_EQ(f.AdvDockPanel1.Height(), ui::Scaled(28));
  EXPECT_EQ(f.Notebook.OpenBtn.PictureSize(), ui::ScaledIconSize(16, ui::DpiFor()));
  LOGFONTW lf{};
  ::GetObjectW(TControl::DefaultFont(), sizeof lf, &lf);
  EXPECT_EQ(-lf.lfHeight, ui::Scaled(13));

  std::vector<std::string> problems;
  // The screen grows with the DPI, so every toolbar item still fits.
  for (HWND c = ::GetWindow(f.AdvToolBar1.Handle(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    if (!::IsWindowVisible(c)) problems.push_back("hidden toolbar item: " + Describe(c));
  CheckTree(f.MainPage.Handle(), problems);
  std::string all;
  for (const std::string& p : problems) all += p + "\n";
  EXPECT_TRUE(problems.empty()) << all;

  const std::string shot = EnvValue("NOOKVALE_SHOT");
  if (!shot.empty()) {
    EXPECT_TRUE(SaveWindowShot(f.Handle(), shot)) << shot;
  }
}

}  // namespace
}  // namespace nv
