#include "main_form_fixture.h"

#include <fstream>

#include "helper_process.h"
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

}  // namespace nv
