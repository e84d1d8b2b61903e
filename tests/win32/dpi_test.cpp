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
#include "richview/win32/gdi_metrics.h"
#include "screenshot.h"
#include "sysinfo/win32/about.h"
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

std::string Report(const std::vector<std::string>& problems) {
  std::string all;
  for (const std::string& p : problems) all += p + "\n";
  return all;
}

// The shot's file beside the main one: "dpi-120.bmp" gives "dpi-120-about.bmp".
std::string ShotBeside(const std::string& shot, const std::string& suffix) {
  const size_t dot = shot.rfind('.');
  return dot == std::string::npos ? shot + suffix : shot.substr(0, dot) + suffix + shot.substr(dot);
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

// Each tab of a page control holds its caption at the display's font.
void CheckTabs(TPageControl& pages, std::vector<std::string>& problems) {
  WindowDcScope dc(pages.Handle());
  SelectScope selected(dc.dc(), TControl::DefaultFont());
  for (int i = 0; i < pages.PageCount(); ++i) {
    const std::wstring caption = Widen(pages.Pages(i)->Caption());
    SIZE text{};
    ::GetTextExtentPoint32W(dc.dc(), caption.c_str(), static_cast<int>(caption.size()), &text);
    const RECT t = pages.TabRect(i);
    if (t.bottom - t.top < text.cy || t.right - t.left < text.cx)
      problems.push_back("tab \"" + Narrow(caption) + "\" of " + std::to_string(t.right - t.left) + "x" +
                         std::to_string(t.bottom - t.top) + " px for text of " + std::to_string(text.cx) + "x" +
                         std::to_string(text.cy));
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
  CheckTabs(f.PageControl, problems);
  CheckTabs(f.PageControl1, problems);
  EXPECT_TRUE(problems.empty()) << Report(problems);

  const std::string shot = EnvValue("NOOKVALE_SHOT");
  if (!shot.empty()) {
    EXPECT_TRUE(SaveWindowShot(f.Handle(), shot)) << shot;
  }
}

TEST_F(DpiTest, NotebookReaderAndAboutFollowTheDpi) {
  TfrmMain& f = Start();
  ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(f.Handle()) != FALSE; }));
  const int dpi = ui::DpiFor();
  const std::string shot = EnvValue("NOOKVALE_SHOT");

  // The editor lays its text out for the display: the date line is as
  // many times taller than at 96 DPI as the display's dots are denser.
  f.PageControl1.SetActivePage(&f.tsNotebook);
  f.Notebook.InnerPageChanged(true);
  TRichViewEdit& e = f.Notebook.RichViewEdit1;
  e.InsertText("\r\nText at the display's size");
  EXPECT_EQ(e.Layout().Dpi(), dpi);
  TGdiFontMetrics metrics96;
  TRVLayout at96(metrics96);
  at96.SetWidth(e.Layout().Width());
  at96.Format(e.Document());
  ASSERT_GT(at96.ParagraphCount(), 1);
  const double ratio = static_cast<double>(e.Layout().Para(1).Lines[0].Height) / at96.Para(1).Lines[0].Height;
  EXPECT_NEAR(ratio, dpi / 96.0, 0.2 * dpi / 96.0) << e.Layout().Para(1).Lines[0].Height;
  EXPECT_GE(e.Layout().ParaTop(0), ui::Scaled(5));  // the margin too
  if (!shot.empty()) {
    Pump(0);
    EXPECT_TRUE(SaveWindowShot(f.Handle(), ShotBeside(shot, "-notebook")));
  }

  // The reader's page.
  rss::TfrmReader* reader = OpenReaderOnItsPlainView(f);
  ASSERT_NE(reader, nullptr);
  rss::TfrmReader& r = *reader;
  Pump(0);
  std::vector<std::string> problems;
  CheckTree(r.Handle(), problems);
  EXPECT_TRUE(problems.empty()) << Report(problems);
  EXPECT_EQ(r.AdvPanel1.Height(), ui::Scaled(81));

  // The About window.
  TAbout about([](const ShellRequest&) {}, [] { return ReportFacts{}; });
  about.Create(f.Handle());
  ::ShowWindow(about.Handle(), SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(about.Handle()) != FALSE; }));
  problems.clear();
  CheckTree(about.Handle(), problems);
  CheckTabs(about.PageControl1, problems);
  EXPECT_TRUE(problems.empty()) << Report(problems);
  BITMAP bm{};
  ASSERT_TRUE(::GetObjectW(about.Image1.Picture(), sizeof bm, &bm));
  EXPECT_EQ(bm.bmWidth, ui::Scaled(TAbout::kPictureSize));
  if (!shot.empty()) {
    Pump(0);
    EXPECT_TRUE(SaveWindowShot(about.Handle(), ShotBeside(shot, "-about")));
  }
}

}  // namespace
}  // namespace nv
