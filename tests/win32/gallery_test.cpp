// Screenshots for the README's gallery, made by the test run itself: with
// NOOKVALE_GALLERY naming a folder (tests/blackbox/gallery.sh sets it), each
// test leaves one picture there; without it they are skipped. Each still
// checks that the screen it shows is the one it meant to show.
#include "local_http_server.h"

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

TEST_F(GalleryTest, ReaderWithAFetchedFeed) {
  LocalHttpServer server;
  struct Item {
    const char *title, *date, *text;
  };
  const Item items[] = {
      {"Harbour bridge reopens after repairs", "Wed, 09 Dec 2026 08:15:00 GMT",
       "The old swing bridge is open to walkers and cyclists again after six weeks of work on its gears. "
       "Cars follow from Monday, once the new railings have been checked."},
      {"Library extends its winter opening hours", "Wed, 09 Dec 2026 07:40:00 GMT",
       "The reading rooms stay open until nine on weekdays until the end of February."},
      {"Storm warning for the coast tonight", "Tue, 08 Dec 2026 18:05:00 GMT",
       "Gusts of up to 90 km/h are expected after midnight; the ferry keeps to its timetable for now."},
      {"Market square gets its Christmas tree", "Tue, 08 Dec 2026 12:30:00 GMT",
       "A twelve-metre spruce from the hills above the town was put up this morning."},
      {"School choir wins the regional final", "Mon, 07 Dec 2026 16:20:00 GMT",
       "Thirty-two pupils sang their way to the national round in March."},
      {"New timetable for the harbour buses", "Mon, 07 Dec 2026 09:00:00 GMT",
       "Buses run every ten minutes at rush hour from the 14th."},
  };
  std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
                     "<title>Nookvale Gazette</title><description>News from the harbour town</description>";
  int n = 0;
  for (const Item& i : items)
    feed += std::string("<item><title>") + i.title + "</title><link>" + server.Url("/news/" + std::to_string(++n)) +
            "</link><pubDate>" + i.date + "</pubDate><description>" + i.text + "</description></item>";
  feed += "</channel></rss>";
  server.Add("/gazette.xml", LocalHttpServer::Body(feed));

  TfrmMain& f = Start();
  rss::TfrmReader* r = OpenReaderOnItsPlainView(f);
  ASSERT_NE(r, nullptr);
  r->txtURL.SetText(server.Url("/gazette.xml"));
  r->bRefreshClick();
  ASSERT_EQ(r->lvwItems.Count(), 6);
  // As a click on the first row leaves it: selected, the list focused.
  r->lvwItems.SetFocus();
  r->lvwItems.SetSelected(0, true);
  r->lvwItemsClick();
  ASSERT_NE(r->txtData.FallbackText().find(items[0].text), std::string::npos) << "the first item is shown";
  EXPECT_EQ(r->tsRSS.Caption(), "Nookvale Gazette \xE2\x80\x94 News from the harbour town");
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
