#include "main_form_fixture.h"

#include <fstream>

#include "helper_process.h"
#include "rss/win32/embedded_wb.h"
#include "ui/paths.h"

namespace nv {

void MainFormTest::WriteIni(const std::string& content) {
  std::ofstream f(PathFromUtf8(dir.File(kMainIniName)), std::ios::binary);
  f << content;
}

TfrmMain& MainFormTest::Start(bool withDatabase) {
  if (withDatabase && !FileExists(dir.File(kSettingsDatabaseName))) MakeDatabase();
  frm = std::make_unique<TfrmMain>(MainFormOptions{dir.Path()});
  frm->Create();
  return *frm;
}

bool MainFormTest::PumpUntil(const std::function<bool()>& condition, int limitMs) {
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(limitMs);
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      Window::DispatchPosted(msg);
    }
    if (condition()) return true;
    if (static_cast<LONG>(end - ::GetTickCount()) <= 0) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void MainFormTest::Pump(int milliseconds) {
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
  do {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

void MainFormTest::ChooseApp(TfrmMain& f, const std::string& title) {
  f.Capture.AppRefreshBtn.Click();
  const int i = IndexOfLine(f.Capture.ListBox2, title);
  ASSERT_GE(i, 0) << title << " is not listed";
  f.Capture.ListBox2.SetItemIndex(i);
}

rss::TfrmReader* MainFormTest::OpenReaderOnItsPlainView(TfrmMain& f) {
  const unsigned probe = rss::TEmbeddedWB::ProbeMs();
  rss::TEmbeddedWB::ProbeMs() = 2000;
  f.RSSbtn.Click();
  rss::TfrmReader& r = *f.ReaderTab.Reader();
  r.txtData.Navigate(L"http://127.0.0.1:1/news");
  const bool settled = PumpUntil([&] { return r.txtData.CurrentMode() != rss::TEmbeddedWB::Mode::Probing; }, 30000);
  rss::TEmbeddedWB::ProbeMs() = probe;
  return settled ? &r : nullptr;
}

}  // namespace nv
