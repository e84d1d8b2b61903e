// The notebook's commands in the real main window: pictures inserted are
// drawn with their own pixels (the control, rendered into a bitmap, shows
// the four colours of the picture it was given), and the Base64 export and
// import leave no plain text beside the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "main_form_fixture.h"
#include "screenshot.h"
#include "support/picture_samples.h"
#include "ui/paths.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

using samples::Bytes;
using samples::Rgba;

// Whether the rendered control shows this colour somewhere, within tol.
bool Shows(const std::vector<std::uint32_t>& pixels, Rgba c, int tol = 40) {
  for (std::uint32_t p : pixels) {
    const int r = static_cast<int>((p >> 16) & 255), g = static_cast<int>((p >> 8) & 255),
              b = static_cast<int>(p & 255);
    if (std::abs(r - c.r) <= tol && std::abs(g - c.g) <= tol && std::abs(b - c.b) <= tol) return true;
  }
  return false;
}

class NotebookPixelsTest : public MainFormTest {};

std::string TextOf(HWND w) {
  std::wstring t(static_cast<size_t>(::SendMessageW(w, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  t.resize(static_cast<size_t>(::SendMessageW(w, WM_GETTEXT, t.size(), reinterpret_cast<LPARAM>(t.data()))));
  return Narrow(t);
}

TEST_F(NotebookPixelsTest, InsertedPicturesAreDrawnWithTheirOwnPixels) {
  TfrmMain& f = Start();
  f.PageControl1.SetActivePage(&f.tsNotebook);
  auto quadrants = [](int x, int y) { return samples::Quadrants(x, y, 64, 64); };
  std::vector<Rgba> palette = {{220, 0, 0}, {0, 200, 0}, {0, 0, 210}, {255, 255, 255}};
  samples::GifFrame frame;
  frame.width = frame.height = 64;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) frame.indices.push_back(static_cast<std::uint8_t>((y >= 32) * 2 + (x >= 32)));
  const std::pair<const char*, Bytes> pictures[] = {
      {"q.bmp", samples::MakeBmp(64, 64, quadrants)},
      {"q.jpg", samples::MakeJpeg(64, 64, quadrants)},
      {"q.png", samples::MakePng(64, 64, quadrants)},
      {"q.gif", samples::MakeGif(64, 64, palette, {frame})},
  };
  for (const auto& [name, bytes] : pictures) {
    const std::string path = dir.File(name);
    std::ofstream(PathFromUtf8(path), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    TRichViewEdit& ed = f.Notebook.RichViewEdit1;
    ed.Clear();
    ed.Format();
    prompter.AnswerFile(path);
    f.Notebook.InsertImage1Click();
    EXPECT_TRUE(prompter.Messages().empty()) << name;
    const std::vector<std::uint32_t> pixels = RenderClient(ed.Handle());
    for (Rgba c : palette) EXPECT_TRUE(Shows(pixels, c)) << name << " shows " << int(c.r) << "," << int(c.g) << "," << int(c.b);
  }
}

TEST_F(NotebookPixelsTest, ExportAndImportThroughTheToolbarLeaveNoPlainTextBehind) {
  TfrmMain& f = Start();
  f.PageControl1.SetActivePage(&f.tsNotebook);
  TRichViewEdit& ed = f.Notebook.RichViewEdit1;
  ed.Clear();
  ed.Format();
  ed.InsertText("first line\r\nsecond line");
  const std::string exported = dir.File("note.txt");
  // The typed text is unsaved: given up when asked.
  prompter.AnswerBox(IDNO).AnswerFile(exported);
  f.Notebook.EncryptBtn.Click();
  ASSERT_TRUE(FileExists(exported));
  EXPECT_EQ(ReadWholeFile(exported).find("first"), std::string::npos) << "the file holds Base64, not the text";
  EXPECT_FALSE(FileExists(dir.File("EncryptedFile.txt"))) << "no plain copy beside the program";
  EXPECT_FALSE(FileExists(dir.File("DecryptedFile.txt")));

  ed.Clear();
  ed.Format();
  prompter.AnswerBox(IDNO).AnswerFile(exported);
  f.Notebook.DecryptBtn.Click();
  EXPECT_NE(TextOf(ed.Handle()).find("second line"), std::string::npos) << TextOf(ed.Handle());
  EXPECT_FALSE(FileExists(dir.File("EncryptedFile.txt")));
  EXPECT_FALSE(FileExists(dir.File("DecryptedFile.txt")));
  EXPECT_TRUE(prompter.Messages().empty());
}

}  // namespace
}  // namespace nv
