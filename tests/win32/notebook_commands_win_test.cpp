// The notebook's picture and export commands on Windows itself: paths with
// non-ASCII names through the wide file API, temporary files joined with a
// backslash, text through the system code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "codec/clencoder.h"
#include "notebook/notebook_export.h"
#include "notebook/notebook_pictures.h"
#include "richview/win32/system_ansi_codec.h"
#include "support/picture_samples.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "ui/paths.h"

namespace nv {
namespace {

namespace fs = std::filesystem;

class NotebookCommandsWin : public ::testing::Test {
 protected:
  NotebookCommandsWin() : editor(doc) {
    fs::create_directories(PathFromUtf8(exeDir));
    places = ExportPlacesFor(exeDir);
  }
  ~NotebookCommandsWin() override { EXPECT_EQ(prompter.PendingAnswers(), 0u); }

  std::string Write(const std::string& name, const samples::Bytes& b) {
    const std::string path = dir.File(name);
    std::ofstream(PathFromUtf8(path), std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                             static_cast<std::streamsize>(b.size()));
    return path;
  }

  TempDir dir;
  std::string exeDir = dir.File("Programm \xC3\xA4");  // "Programm ä"
  TExportPlaces places;
  TRVDocument doc;
  TRVEditCore editor;
  ScriptedPrompter prompter;
  TNotebookDialogs dialogs;
  SystemAnsiCodec ansi;
};

TEST_F(NotebookCommandsWin, ExportAndImportRoundTripBesideANonAsciiExecutableFolder) {
  ASSERT_TRUE(editor.InsertText("caf\xC3\xA9\r\nzweite Zeile"));
  const std::string file = dir.File("geheim \xC3\xBC.txt");
  prompter.AnswerFile(file).AnswerFile(file);
  EncryptBtnClick(editor, prompter, dialogs, places, ansi);
  ASSERT_EQ(doc.Paragraphs.size(), 1u);
  DecryptBtnClick(editor, prompter, dialogs, places, ansi);
  ASSERT_EQ(doc.Paragraphs.size(), 2u);
  EXPECT_EQ(doc.Paragraphs[0].Item(0).AsText()->Text, "caf\xC3\xA9");
  EXPECT_EQ(doc.Paragraphs[1].Item(0).AsText()->Text, "zweite Zeile");
  EXPECT_EQ(prompter.Calls()[0].file.initialDir, PathToUtf8(fs::current_path()));
  EXPECT_TRUE(fs::is_empty(PathFromUtf8(exeDir)));
}

TEST_F(NotebookCommandsWin, FailedImportLeavesNothingBesideTheExecutable) {
  ASSERT_TRUE(editor.InsertText("keep"));
  prompter.AnswerFile(Write("bad.txt", {'Q', 'U', ' ', 'J', 'J'}));
  EXPECT_THROW(DecryptBtnClick(editor, prompter, dialogs, places, ansi), EclEncoderError);
  EXPECT_EQ(doc.Paragraphs[0].Item(0).AsText()->Text, "keep");
  EXPECT_FALSE(FileExists(TempBesideExe(exeDir, "DecryptedFile.txt")));
  EXPECT_TRUE(fs::is_empty(PathFromUtf8(exeDir)));
}

TEST_F(NotebookCommandsWin, PicturesFromNonAsciiPaths) {
  samples::GifFrame f;
  f.width = 3, f.height = 2;
  f.indices.assign(6, 0);
  prompter.AnswerFile(Write("Bild \xC3\xB6.jpg", samples::MakeJpeg(8, 4, [](int, int) { return samples::Rgba{}; })));
  prompter.AnswerFile(Write("Bild \xC3\xB6.GIF", samples::MakeGif(3, 2, {{1, 2, 3}}, {f})));
  InsertImage1Click(editor, prompter, dialogs);
  editor.SetCaret({0, 0, 0});
  InsertImage1Click(editor, prompter, dialogs);
  ASSERT_EQ(doc.Paragraphs.size(), 1u);
  ASSERT_EQ(doc.Paragraphs[0].Items().size(), 2u);
  EXPECT_EQ(doc.Paragraphs[0].Item(0).AsPicture()->Kind, TRVPictureKind::Jpg);  
  EXPECT_EQ(doc.Paragraphs[0].Item(1).AsPicture()->Kind, TRVPictureKind::Gif);
  EXPECT_TRUE(prompter.Messages().empty());
}

}  // namespace
}  // namespace nv
