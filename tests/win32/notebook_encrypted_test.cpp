// Encrypted notebooks through the real frame: the extra entry of the Open
// and Save dialogs, the password boxes, the quick save, the recovery file,
// and that no file in the folder ever holds the plain text.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "notebook_frame_fixture.h"
#include "notebook/nvx.h"
#include "richview/rvf.h"
#include "richview/rvf_files.h"
#include "notebook/win32/notebook_recovery.h"
#include "ui/paths.h"
#include "ui/win32/safe_write.h"

namespace nv {
namespace {

constexpr const char* kSecret = "Meeting notes: the combination is 4711";
constexpr const char* kCaption = "Encrypted notebook";
constexpr int kOpenIndex = 6, kSaveIndex = 7;

class EncryptedNotebookTest : public NotebookFrameFixture {
 protected:
  void SetUp() override {
    NotebookFrameFixture::SetUp();
    // The file keeps the costs, so small ones open like the real ones.
    Notebook().EncryptionCosts = {64, 1, 1};
  }

  // A document with styles of its own and a picture.
  void WriteSecretDocument() {
    Editor().SetCurTextStyleNo(1);
    Editor().InsertText(kSecret);
    Editor().SetCurTextStyleNo(0);
    Editor().InsertText("\r\n");
    ASSERT_TRUE(InsertSmallPicture());
  }

  void SaveEncrypted(const std::string& name, const std::string& password, const std::string& again) {
    prompter.AnswerFile(dir.File(name), kSaveIndex).AnswerPassword(password).AnswerPassword(again);
    Notebook().Save1Click();
  }

  void OpenEncrypted(const std::string& name, std::optional<std::string> password) {
    prompter.AnswerFile(dir.File(name), kOpenIndex).AnswerPassword(std::move(password));
    Notebook().Open1Click();
  }

  // Every file in the folder (temporary files and the recovery file
  // included), searched for the text as UTF-8 and as UTF-16.
  void ExpectNoPlainTextOnDisk(const std::string& text) {
    std::wstring wide(text.begin(), text.end());
    const std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    int files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(PathFromUtf8(dir.Path()))) {
      if (!e.is_regular_file()) continue;
      ++files;
      const std::string bytes = ReadWholeFile(PathToUtf8(e.path()));
      EXPECT_EQ(bytes.find(text), std::string::npos) << e.path().string();
      EXPECT_EQ(bytes.find(utf16), std::string::npos) << e.path().string();
    }
    EXPECT_GT(files, 0);
  }
};

TEST_F(EncryptedNotebookTest, SaveAsksTwiceOpenAsksOnceAndTheDocumentComesBackWhole) {
  WriteSecretDocument();
  const TRVDocument before = Editor().Document();
  SaveEncrypted("notes.nvx", "pass phrase", "pass phrase");
  ASSERT_EQ(prompter.Calls().size(), 3u);
  // The new entry follows the six writing formats, which keep their indexes.
  EXPECT_EQ(Call(0).file.filter,
            "RichView Format files(*.rvf)|*.rvf|RTF Files (*.rtf)|*.rtf|Text (*.txt)|*.txt|Unicode Text "
            "(*.txt)|*.txt|HTML - with CSS (*.htm;*.html)|*.htm;*.html|HTML - Simplified "
            "(*.htm;*.html)|*.htm;*.html|Nookvale encrypted notebook (*.nvx)|*.nvx");
  EXPECT_EQ(Call(1).kind, PromptCall::Password);
  EXPECT_EQ(Call(1).caption, kCaption);
  EXPECT_EQ(Call(1).text, "Enter a password to encrypt the notebook with:");
  EXPECT_EQ(Call(2).kind, PromptCall::Password);
  EXPECT_EQ(Call(2).text, "Enter the same password again:");
  const std::string file = ReadWholeFile(dir.File("notes.nvx"));
  const std::optional<NvxHeader> header = ParseNvxHeader(file);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->params, Notebook().EncryptionCosts);
  ExpectNoPlainTextOnDisk(kSecret);
  // Save records no file name, but the document is encrypted from now on.
  EXPECT_EQ(Notebook().DocumentFileName, "");
  EXPECT_TRUE(Notebook().DocumentEncrypted());

  // Something else in the editor; Open brings the saved document back.
  Editor().Clear();
  Editor().InsertText("other");
  Editor().SetModified(false);
  prompter.ClearCalls();
  OpenEncrypted("notes.nvx", "pass phrase");
  ASSERT_EQ(prompter.Calls().size(), 2u);
  EXPECT_EQ(Call(0).file.filter,
            "RTF Files (*.rtf)|*.rtf|Text Files - autodetect (*.txt)|*.txt|ANSI Text Files (*.txt)|*.txt|"
            "Unicode Text Files (*.txt)|*.txt|RichView Format Files (*.rvf)|*.rvf|"
            "Nookvale encrypted notebook (*.nvx)|*.nvx|");
  EXPECT_EQ(Call(1).kind, PromptCall::Password);
  EXPECT_EQ(Call(1).caption, kCaption);
  EXPECT_EQ(Call(1).text, "Enter the password of the encrypted notebook:");
  EXPECT_EQ(Editor().Document(), before);
  EXPECT_EQ(Editor().Layout().ParagraphCount(), Editor().Document().ParagraphCount()) << "laid out";
  EXPECT_EQ(Notebook().DocumentFileName, dir.File("notes.nvx"));
  EXPECT_TRUE(Notebook().DocumentFileEncrypted());

  // The quick save writes it encrypted again, under a fresh salt, asking
  // nothing.
  Editor().InsertText(" and the quick save");
  prompter.ClearCalls();
  ASSERT_TRUE(Notebook().QuickSave());
  EXPECT_TRUE(prompter.Calls().empty());
  const std::string again = ReadWholeFile(dir.File("notes.nvx"));
  ASSERT_TRUE(ParseNvxHeader(again));
  EXPECT_NE(ParseNvxHeader(again)->salt, header->salt);
  TRVDocument reopened;
  unsigned warnings = 0;
  ASSERT_TRUE(LoadNvx(again, "pass phrase", reopened, warnings));
  EXPECT_EQ(reopened, Editor().Document());
  ExpectNoPlainTextOnDisk(kSecret);
  ExpectNoPlainTextOnDisk("and the quick save");

  // A copy saved under another password leaves the opened file's own.
  SaveEncrypted("copy.nvx", "other", "other");
  ASSERT_TRUE(OpenNvx(ReadWholeFile(dir.File("copy.nvx")), "other"));
  ASSERT_TRUE(Notebook().QuickSave());
  EXPECT_TRUE(OpenNvx(ReadWholeFile(dir.File("notes.nvx")), "pass phrase"));
}

TEST_F(EncryptedNotebookTest, WrongPasswordDamageOrCancelLeaveTheEditorUntouched) {
  WriteSecretDocument();
  SaveEncrypted("notes.nvx", "right", "right");
  const std::string file = ReadWholeFile(dir.File("notes.nvx"));
  std::string damaged = file;
  damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x20);
  ASSERT_TRUE(WriteFileSafely(dir.File("damaged.nvx"), damaged));
  ASSERT_TRUE(WriteFileSafely(dir.File("cut.nvx"), file.substr(0, file.size() - 1)));

  Editor().Clear();
  Editor().InsertText("kept as it is");
  Editor().SetModified(false);
  const TRVDocument before = Editor().Document();
  Notebook().DocumentFileName = dir.File("earlier.rvf");
  struct Case {
    const char* file;
    const char* password;
  } cases[] = {{"notes.nvx", "wrong"}, {"notes.nvx", ""}, {"damaged.nvx", "right"}, {"cut.nvx", "right"}};
  for (const Case& c : cases) {
    prompter.ClearCalls();
    OpenEncrypted(c.file, std::string(c.password));
    ASSERT_EQ(prompter.Calls().size(), 3u) << c.file;
    EXPECT_EQ(Call(2).kind, PromptCall::Box);
    EXPECT_EQ(Call(2).text, "The password is wrong or the file is damaged.");
    EXPECT_EQ(Call(2).caption, "Error");
    EXPECT_EQ(Editor().Document(), before) << c.file << " " << c.password;
    EXPECT_EQ(Notebook().DocumentFileName, dir.File("earlier.rvf"));
    EXPECT_FALSE(Notebook().DocumentFileEncrypted());
  }
  // Cancel in the password box: nothing at all happens.
  prompter.ClearCalls();
  OpenEncrypted("notes.nvx", std::nullopt);
  EXPECT_EQ(prompter.Calls().size(), 2u);
  EXPECT_EQ(Editor().Document(), before);
}

TEST_F(EncryptedNotebookTest, DifferingOrEmptyPasswordsSaveNothing) {
  WriteSecretDocument();
  SaveEncrypted("a.nvx", "one", "two");
  ASSERT_EQ(prompter.Calls().size(), 4u);
  EXPECT_EQ(Call(3).text, "The two passwords differ. The notebook was not saved.");
  EXPECT_EQ(Call(3).caption, "Error");
  prompter.ClearCalls();
  SaveEncrypted("a.nvx", "", "");
  ASSERT_EQ(prompter.Calls().size(), 4u);
  EXPECT_EQ(Call(3).text, "An empty password protects nothing. The notebook was not saved.");
  // Cancel in the second box.
  prompter.AnswerFile(dir.File("a.nvx"), kSaveIndex).AnswerPassword("one").AnswerPassword(std::nullopt);
  Notebook().Save1Click();
  EXPECT_FALSE(FileExists(dir.File("a.nvx")));
  EXPECT_FALSE(Notebook().DocumentEncrypted());
}

TEST_F(EncryptedNotebookTest, QuickSaveAsEncryptsAndNewOrAPlainOpenForgetThePassword) {
  WriteSecretDocument();
  // The save-before-open question, Yes, and the quick save-as choosing the
  // encrypted entry.
  prompter.AnswerBox(IDYES).AnswerFile(dir.File("q.nvx"), kSaveIndex).AnswerPassword("pw").AnswerPassword("pw");
  prompter.AnswerFile(std::nullopt);
  Notebook().Open1Click();
  EXPECT_EQ(Notebook().DocumentFileName, dir.File("q.nvx"));
  EXPECT_TRUE(Notebook().DocumentFileEncrypted());
  EXPECT_FALSE(Editor().Modified());
  TRVDocument saved;
  unsigned warnings = 0;
  ASSERT_TRUE(LoadNvx(ReadWholeFile(dir.File("q.nvx")), "pw", saved, warnings));
  EXPECT_EQ(saved, Editor().Document());
  ExpectNoPlainTextOnDisk(kSecret);

  // New gives the document up, and its password with it.
  prompter.AnswerBox(IDNO);
  Notebook().New1Click();
  EXPECT_FALSE(Notebook().DocumentEncrypted());
  EXPECT_FALSE(Notebook().DocumentFileEncrypted());

  // So does any other Open.
  OpenEncrypted("q.nvx", "pw");
  EXPECT_TRUE(Notebook().DocumentEncrypted());
  ASSERT_TRUE(SaveRVFToFile(TRVDocument{}, dir.File("plain.rvf")));
  prompter.AnswerFile(dir.File("plain.rvf"), 5);
  Notebook().Open1Click();
  EXPECT_FALSE(Notebook().DocumentEncrypted());
  EXPECT_EQ(Notebook().DocumentFileName, dir.File("plain.rvf"));
}

TEST_F(EncryptedNotebookTest, TheRecoveryFileIsSealedWithTheDocumentsKeyAndRestoredWithItsPassword) {
  WriteSecretDocument();
  SaveEncrypted("notes.nvx", "pw", "pw");
  Editor().InsertText(" typed after the save");
  Notebook().WriteRecoveryNow();
  const std::string recoveryPath = Notebook().Recovery().Path();
  ASSERT_TRUE(FileExists(recoveryPath));
  ExpectNoPlainTextOnDisk("typed after the save");
  // Under the user's seal lies an encrypted notebook, not the text.
  const std::optional<std::string> inner = UnsealForUser(ReadWholeFile(recoveryPath));
  ASSERT_TRUE(inner);
  EXPECT_TRUE(HasNvxMagic(*inner));
  EXPECT_EQ(inner->find("typed after the save"), std::string::npos);
  const TRVDocument unsaved = Editor().Document();
  const std::string recovery = ReadWholeFile(recoveryPath);

  // The next start asks for the password and restores the notes at once.
  host.reset();
  ASSERT_TRUE(WriteFileSafely(recoveryPath, recovery));
  prompter.ClearCalls();
  host = std::make_unique<TestFrameHost>(dir.Path());
  frame = &host->Make<TNotebookFrame>("NotebookFrame");
  prompter.AnswerPassword("pw");
  Notebook().OfferRecovery();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(Call(0).kind, PromptCall::Password);
  EXPECT_EQ(Call(0).text,
            "Nookvale ended without saving the encrypted notebook. Enter its password to restore the unsaved notes:");
  EXPECT_EQ(Editor().Document(), unsaved);
  EXPECT_TRUE(Editor().Modified());
  EXPECT_TRUE(Notebook().DocumentEncrypted()) << "the next recovery file is sealed the same way";

  // A wrong password: the notes are kept aside, never deleted.
  host.reset();
  ASSERT_TRUE(WriteFileSafely(recoveryPath, recovery));
  prompter.ClearCalls();
  host = std::make_unique<TestFrameHost>(dir.Path());
  frame = &host->Make<TNotebookFrame>("NotebookFrame");
  prompter.AnswerPassword("wrong");
  Notebook().OfferRecovery();
  ASSERT_EQ(prompter.Calls().size(), 3u);
  EXPECT_EQ(Call(1).text, "The password is wrong or the file is damaged.");
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_NE(prompter.Messages()[0].find("were kept in"), std::string::npos);
  EXPECT_FALSE(Notebook().DocumentEncrypted());
  EXPECT_EQ(Editor().PlainText().find(kSecret), std::string::npos);
}

}  // namespace
}  // namespace nv
