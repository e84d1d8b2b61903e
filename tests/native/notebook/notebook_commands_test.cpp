#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "codec/clencoder.h"
#include "codec/streams.h"
#include "notebook/notebook_export.h"
#include "notebook/notebook_pictures.h"
#include "notebook/pictures/decode.h"
#include "support/picture_samples.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "ui/paths.h"

namespace nv {
namespace {

namespace fs = std::filesystem;
using samples::Bytes;

std::string Dump(const TRVDocument& doc) {
  std::string out;
  for (std::size_t p = 0; p < doc.Paragraphs.size(); ++p) {
    const TRVParagraph& para = doc.Paragraphs[p];
    if (p) out += " | ";
    out += std::to_string(para.ParaNo()) + ":";
    for (const TRVItem& item : para.Items()) {
      out += ' ';
      if (const TRVTextItemInfo* t = item.AsText())
        out += "\"" + t->Text + "\"/" + std::to_string(t->StyleNo);
      else if (const TRVPictureItemInfo* pic = item.AsPicture())
        out += "[" + std::string(PictureKindExtension(pic->Kind)) + " " + std::to_string(pic->Width) + "x" +
               std::to_string(pic->Height) + "]";
      else
        out += "[hr]";
    }
  }
  return out;
}

class NotebookCommands : public ::testing::Test {
 protected:
  NotebookCommands() : editor(doc) {
    fs::create_directories(PathFromUtf8(exeDir));
    places = {exeDir, dir.File("cwd")};
  }
  ~NotebookCommands() override { EXPECT_EQ(prompter.PendingAnswers(), 0u) << "scripted answers left unused"; }

  // A document of the given lines in text style tstyle, paragraph style 0.
  void SetText(std::initializer_list<const char*> lines, int tstyle = 0) {
    editor.Clear();
    for (const char* l : lines) doc.AddParagraph(0).AddItem(TRVItem::MakeText(l, tstyle));
    editor.Format();
  }
  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = dir.File(name);
    std::ofstream(PathFromUtf8(path), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                             static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string Write(const std::string& name, const std::string& text) { return Write(name, Bytes(text.begin(), text.end())); }
  // The bytes a Base64 file holds.
  std::string Decoded(const std::string& file) {
    const std::string out = dir.File("decoded.bin");
    {
      TclEncoder decoder;
      TFileStream source(file, TFileMode::fmOpenRead);
      TFileStream destination(out, TFileMode::fmCreate);
      decoder.Decode(source, destination, encBase64);
    }
    return ReadWholeFile(out);
  }
  bool LeftBesideExe() const { return !fs::is_empty(PathFromUtf8(exeDir)); }

  TempDir dir;
  std::string exeDir = dir.File("prögram");
  TExportPlaces places;
  TRVDocument doc;
  TRVEditCore editor;
  ScriptedPrompter prompter;
  TNotebookDialogs dialogs;
  AnsiCodec ansi;
};

samples::Rgba Red(int, int) { return {220, 0, 0}; }

// ------------------------------------------------------------------ pictures

TEST_F(NotebookCommands, JpegGoesInAtTheCaretAndUndoTakesItOut) {
  SetText({"ab"});
  editor.SetCaret({0, 0, 1});
  const std::string jpg = Write("Bild ä.jpg", samples::MakeJpeg(24, 16, Red));
  prompter.AnswerFile(jpg);
  InsertImage1Click(editor, prompter, dialogs);
  EXPECT_EQ(Dump(doc), "0: \"a\"/0 [.jpg 24x16] \"b\"/0");
  ASSERT_EQ(prompter.Calls().size(), 1u);
  const FileDialogRequest& shown = prompter.Calls()[0].file;
  EXPECT_EQ(shown.title, "Inserting Image");
  EXPECT_EQ(shown.filter,
            "Graphics(*.bmp;*.wmf;*.emf;*.ico;*.jpg;*.gif)|*.bmp;*.wmf;*.emf;*.ico;*.jpg;*.gif|All(*.*)|*.*");
  EXPECT_TRUE(shown.options & fdo::kFileMustExist);
  ASSERT_TRUE(editor.Undo());
  EXPECT_EQ(Dump(doc), "0: \"ab\"/0");
}

TEST_F(NotebookCommands, GifGoesToTheEndOutsideUndoWhateverTheCaseOfItsExtension) {
  samples::GifFrame f;
  f.width = 6, f.height = 5;
  f.indices.assign(30, 1);
  const Bytes gif = samples::MakeGif(6, 5, {{0, 0, 0}, {255, 0, 0}}, {f});
  for (const char* name : {"a.gif", "B.GIF"}) {
    SCOPED_TRACE(name);
    SetText({"one", "two"});
    editor.SetCaret({0, 0, 1});
    editor.InsertText("x");  // something to undo
    prompter.AnswerFile(Write(name, gif));
    InsertImage1Click(editor, prompter, dialogs);
    EXPECT_EQ(Dump(doc), "0: \"oxne\"/0 | 0: \"two\"/0 [.gif 6x5]");
    ASSERT_TRUE(editor.Undo());  // takes the typed text, not the picture
    EXPECT_EQ(Dump(doc), "0: \"one\"/0 | 0: \"two\"/0 [.gif 6x5]");
    EXPECT_FALSE(editor.CanUndo());
  }
  EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(NotebookCommands, EveryKindIsInsertedAtItsOwnSize) {
  const struct {
    const char* name;
    Bytes bytes;
    const char* want;
  } cases[] = {
      {"p.bmp", samples::MakeBmp(7, 3, Red), "[.bmp 7x3]"},
      {"p.png", samples::MakePng(5, 9, Red), "[.png 5x9]"},
      {"p.ico", samples::MakeIco(16, 16, Red), "[.ico 16x16]"},
      {"p.wmf", samples::MakeWmf(40, 30, {0, 0, 255}), "[.wmf 40x30]"},
      {"p.emf", samples::MakeEmfHeaderOnly(96, 48), "[.emf 96x48]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    editor.Clear();
    prompter.AnswerFile(Write(c.name, c.bytes));
    InsertImage1Click(editor, prompter, dialogs);
    EXPECT_EQ(Dump(doc), std::string("0: ") + c.want);
  }
  EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(NotebookCommands, UnreadablePicturesShowTheErrorWithTheFullPath) {
  SetText({"keep"});
  const std::string text = Write("notes é.txt", std::string("just text"));
  const std::string fakeJpg = Write("fake.jpg", std::string("not a jpeg"));
  const std::string pngAsBmp = Write("png.bmp", samples::MakePng(4, 4, Red));
  const std::string missing = dir.File("gone.jpg");
  for (const std::string& path : {text, fakeJpg, pngAsBmp, missing}) {
    SCOPED_TRACE(path);
    prompter.ClearCalls();
    prompter.AnswerFile(path, 2);
    InsertImage1Click(editor, prompter, dialogs);
    ASSERT_EQ(prompter.Calls().size(), 2u);
    const PromptCall& box = prompter.Calls()[1];
    EXPECT_EQ(box.kind, PromptCall::Box);
    EXPECT_EQ(box.owner, BoxOwner::Application);
    EXPECT_EQ(box.text, "Cannot read picture from file " + path);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.flags, mb::kOk | mb::kIconStop);
    EXPECT_EQ(Dump(doc), "0: \"keep\"/0");
  }
  // The filter the user picked stays for the next time.
  EXPECT_EQ(dialogs.Open.filterIndex, 2);
  EXPECT_FALSE(editor.CanUndo());
}

TEST_F(NotebookCommands, BadGifRaisesTheCodecErrorAndCancelDoesNothing) {
  SetText({"keep"});
  prompter.AnswerFile(Write("bad.gif", std::string("GIF89a\x01")));
  EXPECT_THROW(InsertImage1Click(editor, prompter, dialogs), EPictureError);
  prompter.AnswerFile(std::nullopt);
  InsertImage1Click(editor, prompter, dialogs);
  EXPECT_EQ(Dump(doc), "0: \"keep\"/0");
  EXPECT_EQ(prompter.Calls().size(), 2u);  // the two dialogs, no box
  EXPECT_FALSE(editor.CanUndo());
}

TEST_F(NotebookCommands, EachLineClickAddsOneLineAtTheCaret) {
  SetText({"ab"});
  editor.SetCaret({0, 0, 1});
  LineBtnClick(editor);
  LineBtnClick(editor);
  int lines = 0;
  for (const TRVParagraph& p : doc.Paragraphs)
    for (const TRVItem& item : p.Items())
      if (const TRVBreakItemInfo* br = item.AsBreak()) {
        ++lines;
        EXPECT_EQ(*br, (TRVBreakItemInfo{1, TRVBreakStyle::Line, clNone}));
      }
  EXPECT_EQ(lines, 2);
  ASSERT_TRUE(editor.Undo());
  ASSERT_TRUE(editor.Undo());
  EXPECT_EQ(Dump(doc), "0: \"ab\"/0");
}

// ------------------------------------------------------- export and import

TEST_F(NotebookCommands, ExportWritesBase64AndShowsItInNormalText) {
  SetText({"Hello", "World"}, 1);
  dialogs.Save.defaultExt = "rvf";  // as a Save left it
  const std::string out = dir.File("geheim ü.txt");
  prompter.AnswerFile(out);
  EncryptBtnClick(editor, prompter, dialogs, places, ansi);
  EXPECT_EQ(ReadWholeFile(out), "SGVsbG8NCldvcmxk");
  EXPECT_EQ(Dump(doc), "0: \"SGVsbG8NCldvcmxk\"/0");
  const FileDialogRequest& shown = prompter.Calls()[0].file;
  EXPECT_EQ(prompter.Calls()[0].kind, PromptCall::Save);
  EXPECT_EQ(shown.title, "SAVE YOUR ENCRYPTED FILE");
  EXPECT_EQ(shown.initialDir, places.CurrentDir);
  EXPECT_EQ(shown.filter, "Text file|*.txt");
  EXPECT_EQ(shown.defaultExt, "rvf");
  EXPECT_FALSE(LeftBesideExe());
}

TEST_F(NotebookCommands, ImportOfAnExportGivesTheTextBackWithoutPicturesOrStyles) {
  // Long enough for several Base64 lines, with a character outside ASCII.
  std::string longLine(200, 'z');
  SetText({"Grüße", longLine.c_str()}, 1);
  ASSERT_TRUE(editor.InsertPicture([] {
    TRVPictureItemInfo p;
    p.Kind = TRVPictureKind::Bmp;
    const Bytes b = samples::MakeBmp(2, 2, Red);
    p.Data = SharedBytes(b.data(), b.size());
    p.Width = p.Height = 2;
    return p;
  }()));
  const std::string file = dir.File("e.txt");
  prompter.AnswerFile(file).AnswerFile(file);
  EncryptBtnClick(editor, prompter, dialogs, places, ansi);
  EXPECT_GT(doc.Paragraphs.size(), 2u);  // one paragraph per Base64 line
  DecryptBtnClick(editor, prompter, dialogs, places, ansi);
  EXPECT_EQ(Dump(doc), "0: \"Grüße\"/0 | 0: \"" + longLine + "\"/0");
  const FileDialogRequest& open = prompter.Calls()[1].file;
  EXPECT_EQ(prompter.Calls()[1].kind, PromptCall::Open);
  EXPECT_EQ(open.title, "OPEN YOUR ENCRYPTED FILE");
  EXPECT_EQ(open.initialDir, places.CurrentDir);
  EXPECT_EQ(open.filter, "Text file|*.txt");
  EXPECT_FALSE(LeftBesideExe());
}

TEST_F(NotebookCommands, TextOutsideTheCodePageGoesThroughAsUtf8AndComesBackWhole) {
  // Cyrillic and a CJK character are not in the ANSI code page: turned into
  // "?" they would be lost for good.
  SetText({"Привет, мир", "漢字 and €"}, 1);
  const std::string file = dir.File("u.txt");
  prompter.AnswerFile(file).AnswerFile(file);
  EXPECT_TRUE(EncryptBtnClick(editor, prompter, dialogs, places, ansi));
  EXPECT_EQ(Decoded(file), "\xEF\xBB\xBF" "Привет, мир\r\n漢字 and €");
  EXPECT_TRUE(DecryptBtnClick(editor, prompter, dialogs, places, ansi));
  EXPECT_EQ(Dump(doc), "0: \"Привет, мир\"/0 | 0: \"漢字 and €\"/0");

  // Text the code page holds is written as ANSI, byte for byte as before.
  SetText({"Grüße €"}, 1);
  prompter.AnswerFile(file);
  EXPECT_TRUE(EncryptBtnClick(editor, prompter, dialogs, places, ansi));
  EXPECT_EQ(Decoded(file), "Gr\xFC\xDF" "e \x80");
}

TEST_F(NotebookCommands, ImportOfBadBase64KeepsTheDocumentAndLeavesNothing) {
  SetText({"keep"});
  prompter.AnswerFile(Write("bad.txt", std::string("SGVs bG8=")));
  try {
    DecryptBtnClick(editor, prompter, dialogs, places, ansi);
    ADD_FAILURE() << "no error";
  } catch (const EclEncoderError& e) {
    EXPECT_STREQ(e.what(), "Wrong symbols in source stream.");
  }
  EXPECT_EQ(Dump(doc), "0: \"keep\"/0");
  EXPECT_FALSE(LeftBesideExe());
}

TEST_F(NotebookCommands, StaleDecodedFileIsRemovedBeforeDecoding) {
  const std::string stale = TempBesideExe(exeDir, "DecryptedFile.txt");
  // Longer than what is decoded, so leftovers would show.
  std::ofstream(PathFromUtf8(stale), std::ios::binary) << "stale private text";
  ASSERT_TRUE(FileExists(stale));
  prompter.AnswerFile(Write("ok.txt", std::string("SGk=")));
  DecryptBtnClick(editor, prompter, dialogs, places, ansi);
  EXPECT_EQ(Dump(doc), "0: \"Hi\"/0");
  EXPECT_FALSE(FileExists(stale));
}

TEST_F(NotebookCommands, ExportOfAnEmptyDocumentWritesAnEmptyFile) {
  const std::string out = Write("old.txt", std::string("old content"));
  prompter.AnswerFile(out);
  EncryptBtnClick(editor, prompter, dialogs, places, ansi);
  EXPECT_EQ(ReadWholeFile(out), "");
  EXPECT_EQ(Dump(doc), "");
  EXPECT_FALSE(LeftBesideExe());
}

TEST_F(NotebookCommands, FailedExportsKeepTheDocumentAndLeaveNoPlainText) {
  SetText({"private"});
  // Into a folder that does not exist.
  prompter.AnswerFile(dir.File("no such folder/x.txt"));
  EXPECT_THROW(EncryptBtnClick(editor, prompter, dialogs, places, ansi), EStreamError);
  EXPECT_EQ(Dump(doc), "0: \"private\"/0");
  EXPECT_FALSE(LeftBesideExe());
  // With no place beside the executable for the temporary file.
  TExportPlaces nowhere{dir.File("missing exe dir"), places.CurrentDir};
  const std::string out = dir.File("y.txt");
  prompter.AnswerFile(out);
  EXPECT_THROW(EncryptBtnClick(editor, prompter, dialogs, nowhere, ansi), EStreamError);
  EXPECT_EQ(Dump(doc), "0: \"private\"/0");
  EXPECT_FALSE(FileExists(out));
}

TEST_F(NotebookCommands, CancelOrAnEmptyNameDoesNothing) {
  SetText({"keep"});
  prompter.AnswerFile(std::nullopt).AnswerFile("").AnswerFile(std::nullopt).AnswerFile("");
  EXPECT_FALSE(EncryptBtnClick(editor, prompter, dialogs, places, ansi));
  EXPECT_FALSE(EncryptBtnClick(editor, prompter, dialogs, places, ansi));
  EXPECT_FALSE(DecryptBtnClick(editor, prompter, dialogs, places, ansi));
  EXPECT_FALSE(DecryptBtnClick(editor, prompter, dialogs, places, ansi));
  EXPECT_EQ(Dump(doc), "0: \"keep\"/0");
  EXPECT_EQ(prompter.Calls().size(), 4u);
  EXPECT_FALSE(LeftBesideExe());
}

}  // namespace
}  // namespace nv
