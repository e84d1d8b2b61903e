// Screenshots for the README's gallery, made by the test run itself: with
// NOOKVALE_GALLERY naming a folder (tests/blackbox/gallery.sh sets it), each
// test leaves one picture there; without it they are skipped. Each still
// checks that the screen it shows is the one it meant to show.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <fstream>
#include <string>

#include "helper_process.h"
#include "main_form_fixture.h"
#include "screenshot.h"
#include "support/picture_samples.h"
#include "ui/paths.h"
#include "sysinfo/win32/about.h"

namespace nv {
namespace {

constexpr UINT kShotMessage = WM_APP + 3;  // nvhelper's

class GalleryTest : public MainFormTest {
 protected:
  std::string folder;
  void SetUp() override {
    MainFormTest::SetUp();
    folder = EnvValue("NOOKVALE_GALLERY");
    if (folder.empty()) GTEST_SKIP() << "set NOOKVALE_GALLERY to a folder to make the gallery";
  }
  void Shot(HWND window, const char* name) {
    Pump(0);
    EXPECT_TRUE(SaveWindowShot(window, folder + "\\" + name + ".bmp")) << name;
  }
};

TEST_F(GalleryTest, MainPageWithACapturedProgram) {
  TfrmMain& f = Start();
  const std::string title = "Notes - a captured program";
  const std::string shotOfProgram = dir.File("program.bmp");
  HelperProcess h("--title \"" + title + "\" --shot \"" + shotOfProgram + "\" --edit \"Monday: call the bank\\nTuesday: dentist at 10\\n"
                  "Wednesday: send the report\\nThursday: pick up the parcel\"");
  ASSERT_TRUE(h.WaitForWindow(title));
  CaptureApp(f, title);
  ASSERT_EQ(f.PageControl.PageCount(), 2);
  ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(f.Handle()) != FALSE; }));
  // The program's own picture of itself, drawn where Windows shows it.
  HWND program = nullptr;
  ::EnumChildWindows(
      f.Handle(),
      [](HWND w, LPARAM found) -> BOOL {
        wchar_t cls[64] = {};
        ::GetClassNameW(w, cls, 64);
        if (std::wcscmp(cls, L"NookvaleHelperWindow") != 0) return TRUE;
        *reinterpret_cast<HWND*>(found) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&program));
  ASSERT_NE(program, nullptr);
  ASSERT_EQ(::SendMessageW(program, kShotMessage, 0, 0), 1);
  Pump(0);
  EXPECT_TRUE(SaveWindowShot(f.Handle(), folder + "\\main-page.bmp", {{program, shotOfProgram}}));
  f.Capture.Captures().ReleaseAll();
}

TEST_F(GalleryTest, NotebookWithStyledText) {
  TfrmMain& f = Start();
  f.PageControl1.SetActivePage(&f.tsNotebook);
  f.Notebook.InnerPageChanged(true);
  TRichViewEdit& e = f.Notebook.RichViewEdit1;
  e.InsertText("\r\nShopping for the weekend: ");
  f.Notebook.BoldBtn.Click();
  e.InsertText("bread, ");
  f.Notebook.BoldBtn.Click();
  f.Notebook.ItalicBtn.Click();
  e.InsertText("apples ");
  f.Notebook.ItalicBtn.Click();
  f.Notebook.UnderlineBtn.Click();
  e.InsertText("and tea");
  f.Notebook.UnderlineBtn.Click();
  e.InsertText("\r\n");
  // A picture, inserted as the user does, through "Insert Image".
  const std::string picture = dir.File("stripes.png");
  const samples::Bytes png = samples::MakePng(96, 64, [](int x, int) {
    return x < 32 ? samples::Rgba{70, 130, 180} : x < 64 ? samples::Rgba{240, 200, 80} : samples::Rgba{200, 60, 60};
  });
  std::ofstream(PathFromUtf8(picture), std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  prompter.AnswerFile(picture);
  f.Notebook.InsertImage1Click();
  EXPECT_FALSE(e.Document().Paragraph(0).Items().empty());
  Shot(f.Handle(), "notebook");
}

TEST_F(GalleryTest, FileManager) {
  TfrmMain& f = Start();
  ASSERT_TRUE(::IsWindowVisible(f.Files.Handle()));
  Shot(f.Files.Handle(), "files");
}

TEST_F(GalleryTest, ReaderFallbackView) {
  TfrmMain& f = Start();
  ASSERT_NE(OpenReaderOnItsPlainView(f), nullptr);
  Shot(f.Handle(), "reader");
}

TEST_F(GalleryTest, About) {
  TfrmMain& f = Start();
  TAbout about([](const ShellRequest&) {}, [] { return ReportFacts{}; });
  about.Create(f.Handle());
  ::ShowWindow(about.Handle(), SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(about.Handle()) != FALSE; }));
  Shot(about.Handle(), "about");
}

}  // namespace
}  // namespace nv
