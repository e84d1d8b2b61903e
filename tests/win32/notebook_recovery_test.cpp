// Nothing the user wrote in the notebook is lost: the exit question, the
// autosave into a recovery file sealed for the user, its offer at the next
// start, the session's end, and the quick save's file name following the
// document.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "main_form_fixture.h"
#include "support/document_items.h"
#include "notebook/nvx.h"
#include "richview/rvf.h"
#include "richview/rvf_files.h"
#include "notebook/win32/notebook_frame.h"
#include "notebook/win32/notebook_recovery.h"
#include "ui/paths.h"
#include "ui/win32/safe_write.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

constexpr unsigned kExitQuestionFlags = MB_YESNOCANCEL | MB_ICONQUESTION;

// What the recovery file in a folder holds, unsealed; empty when there is
// none or it cannot be opened.
std::string RecoveredText(const std::string& folder) {
  const std::optional<std::string> sealed =
      ReadFileBytes(folder + "\\" + TNotebookFrame::kRecoveryFileName);
  if (!sealed) return {};
  const std::optional<std::string> rvf = UnsealForUser(*sealed);
  return rvf ? testing::RvfText(*rvf) : "<sealed for someone else>";
}

void TypeInto(TRichViewEdit& ed, const std::wstring& s) {
  for (wchar_t c : s) ed.Perform(WM_CHAR, c, 1);
}

// ------------------------------------------------------------ main window

class NotebookRecoveryTest : public MainFormTest {
 protected:
  std::string RecoveryPath() const { return dir.File(TNotebookFrame::kRecoveryFileName); }
  // A recovery file as an earlier run would have left it.
  void LeaveRecovery(const std::string& text) {
    TRVDocument doc;
    doc.AddParagraph(0).AddItem(TRVItem::MakeText(text, 0));
    const std::optional<std::string> sealed = SealForUser(SaveRVF(doc));
    ASSERT_TRUE(sealed);
    ASSERT_TRUE(WriteFileSafely(RecoveryPath(), *sealed));
  }
  // Autosaves in milliseconds rather than seconds, so the tests do not wait.
  static void QuickAutosave(TfrmMain& f) { f.Notebook.Autosave().SetTiming({50, 1000}); }
};

TEST_F(NotebookRecoveryTest, AStartWithNothingTypedExitsWithThePlainQuestion) {
  TfrmMain& f = Start();
  // The date line the program writes is no unsaved work of the user's.
  EXPECT_FALSE(f.Notebook.RichViewEdit1.Modified());
  prompter.AnswerBox(IDYES);
  f.Close();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Are you sure to Exit?");
  EXPECT_TRUE(f.Closed());
}

TEST_F(NotebookRecoveryTest, ExitOffersUnsavedNotesForSavingAndCancelKeepsRunning) {
  TfrmMain& f = Start();
  TRichViewEdit& ed = f.Notebook.RichViewEdit1;
  TypeInto(ed, L"my secret plans");

  prompter.AnswerBox(IDCANCEL);
  f.Close();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "The notebook has unsaved changes. Save them before exiting?");
  EXPECT_EQ(prompter.Calls()[0].caption, "Yes or No?");
  EXPECT_EQ(prompter.Calls()[0].flags, kExitQuestionFlags);
  EXPECT_FALSE(f.Closed());
  EXPECT_FALSE(Application().Terminated());

  // Yes, then Cancel in the save dialog: still running, nothing lost.
  prompter.ClearCalls();
  prompter.AnswerBox(IDYES).AnswerFile(std::nullopt);
  f.Capture.ExitBtn.Click();
  ASSERT_EQ(prompter.Calls().size(), 2u);
  EXPECT_EQ(prompter.Calls()[1].kind, PromptCall::Save);
  EXPECT_FALSE(f.Closed());
  EXPECT_TRUE(ed.Modified());

  // Yes and a file: saved as RichView Format, then the program exits.
  prompter.ClearCalls();
  prompter.AnswerBox(IDYES).AnswerFile(dir.File("plans.rvf"), 3);
  f.Perform(WM_CLOSE);
  EXPECT_TRUE(f.Closed());
  EXPECT_NE(testing::RvfText(ReadWholeFile(dir.File("plans.rvf"))).find("my secret plans"), std::string::npos);
}

TEST_F(NotebookRecoveryTest, AnExitSavingAnEncryptedNotebookLeavesNoPasswordBehind) {
  TfrmMain& f = Start();
  f.Notebook.EncryptionCosts = {64, 1, 1};
  TypeInto(f.Notebook.RichViewEdit1, L"exit secrets");
  // The exit question's save, choosing the encrypted notebook.
  prompter.AnswerBox(IDYES).AnswerFile(dir.File("exit.nvx"), 7).AnswerPassword("pw").AnswerPassword("pw");
  f.Close();
  EXPECT_TRUE(f.Closed());
  const std::optional<std::string> rvf = OpenNvx(ReadWholeFile(dir.File("exit.nvx")), "pw");
  ASSERT_TRUE(rvf);
  EXPECT_NE(testing::RvfText(*rvf).find("exit secrets"), std::string::npos);
  EXPECT_FALSE(f.Notebook.DocumentEncrypted());
  EXPECT_FALSE(f.Notebook.DocumentFileEncrypted());
}

TEST_F(NotebookRecoveryTest, AFailedSaveAtExitKeepsTheProgramRunning) {
  TfrmMain& f = Start();
  TypeInto(f.Notebook.RichViewEdit1, L"unsaved");
  // A folder that does not exist: the save fails.
  prompter.AnswerBox(IDYES).AnswerFile(dir.File("no such folder\\n.rvf"));
  f.Close();
  EXPECT_FALSE(f.Closed());
  EXPECT_EQ(prompter.Calls().back().text, "Error during saving");
  // No gives the notes up knowingly: the program exits and leaves no
  // recovery file to offer them back.
  prompter.AnswerBox(IDNO);
  f.Close();
  EXPECT_TRUE(f.Closed());
  EXPECT_FALSE(FileExists(RecoveryPath()));
}

TEST_F(NotebookRecoveryTest, TypingIsAutosavedSealedForTheUserAndASaveRemovesIt) {
  TfrmMain& f = Start();
  QuickAutosave(f);
  TRichViewEdit& ed = f.Notebook.RichViewEdit1;
  TypeInto(ed, L"autosaved \x0416");
  ASSERT_TRUE(PumpUntil([&] { return FileExists(RecoveryPath()); }));
  f.Notebook.Recovery().Wait();
  const std::string sealed = ReadWholeFile(RecoveryPath());
  EXPECT_EQ(sealed.find("autosaved"), std::string::npos) << "never plain text on disk";
  EXPECT_NE(RecoveredText(dir.Path()).find("autosaved \xD0\x96"), std::string::npos);
  // No temporary file of the write is left beside it.
  for (const auto& e : std::filesystem::directory_iterator(PathFromUtf8(dir.Path())))
    EXPECT_EQ(e.path().extension().string().find("tmp"), std::string::npos) << e.path().string();

  // Later typing goes into the file too.
  TypeInto(ed, L" more");
  ASSERT_TRUE(PumpUntil([&] {
    f.Notebook.Recovery().Wait();
    return RecoveredText(dir.Path()).find(" more") != std::string::npos;
  }));

  // A save puts the notes on disk: the recovery file goes.
  prompter.AnswerFile(dir.File("saved.rtf"), 2);
  f.Notebook.Save1Click();
  EXPECT_FALSE(FileExists(RecoveryPath()));
}

TEST_F(NotebookRecoveryTest, NewAnsweredNoDiscardsTheRecoveryFile) {
  TfrmMain& f = Start();
  QuickAutosave(f);
  TypeInto(f.Notebook.RichViewEdit1, L"to be thrown away");
  ASSERT_TRUE(PumpUntil([&] { return FileExists(RecoveryPath()); }));
  prompter.AnswerBox(IDNO);
  f.Notebook.New1Click();
  EXPECT_FALSE(FileExists(RecoveryPath()));
  EXPECT_FALSE(f.Notebook.RichViewEdit1.Modified()) << "only the program's date line is left";
}

TEST_F(NotebookRecoveryTest, TheEndOfTheSessionWritesTheRecoveryFileAtOnce) {
  TfrmMain& f = Start();
  TypeInto(f.Notebook.RichViewEdit1, L"logging off");
  // Long before any autosave would come.
  EXPECT_EQ(f.Perform(WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_NE(RecoveredText(dir.Path()).find("logging off"), std::string::npos);
  TypeInto(f.Notebook.RichViewEdit1, L" now");
  f.Perform(WM_ENDSESSION, TRUE, 0);
  EXPECT_NE(RecoveredText(dir.Path()).find("logging off now"), std::string::npos);
}

TEST_F(NotebookRecoveryTest, AStartOffersTheNotesLeftAndYesRestoresThemAsModified) {
  LeaveRecovery("what the crash took");
  prompter.AnswerBox(IDYES);
  TfrmMain& f = Start();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Nookvale ended without saving the notebook. Restore the unsaved notes?");
  EXPECT_EQ(prompter.Calls()[0].flags, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(prompter.Calls()[0].owner, BoxOwner::MainWindow);
  TRichViewEdit& ed = f.Notebook.RichViewEdit1;
  EXPECT_EQ(ed.PlainText(), "what the crash took");
  EXPECT_TRUE(ed.Modified());
  EXPECT_EQ(ed.Layout().ParagraphCount(), ed.Document().ParagraphCount()) << "laid out";
  // Until the user decides, the file stays.
  EXPECT_TRUE(FileExists(RecoveryPath()));
}

TEST_F(NotebookRecoveryTest, NoDeletesTheNotesLeftAndAnUnreadableFileIsKeptAside) {
  LeaveRecovery("declined");
  prompter.AnswerBox(IDNO);
  {
    TfrmMain& f = Start();
    EXPECT_EQ(f.Notebook.RichViewEdit1.PlainText().find("declined"), std::string::npos);
    EXPECT_FALSE(FileExists(RecoveryPath()));
    prompter.AnswerBox(IDYES);
    f.Close();
  }
  frm.reset();
  Application().ResetTerminated();
  prompter.ClearCalls();

  // Damaged (or sealed by another user): not offered, not deleted.
  const std::string damaged = "not a sealed notebook at all";
  ASSERT_TRUE(WriteFileSafely(RecoveryPath(), damaged));
  Start();
  ASSERT_EQ(prompter.Messages().size(), 1u);
  const std::string message = prompter.Messages()[0];
  EXPECT_EQ(message.rfind("The unsaved notes of an earlier run could not be read. They were kept in ", 0), 0u)
      << message;
  EXPECT_FALSE(FileExists(RecoveryPath()));
  int kept = 0;
  for (const auto& e : std::filesystem::directory_iterator(PathFromUtf8(dir.Path()))) {
    const std::string name = PathToUtf8(e.path().filename());
    if (name.rfind("Notebook.recovery.unreadable-", 0) != 0) continue;
    ++kept;
    EXPECT_EQ(ReadWholeFile(PathToUtf8(e.path())), damaged);
    EXPECT_NE(message.find(name), std::string::npos);
  }
  EXPECT_EQ(kept, 1);
}

}  // namespace
}  // namespace nv
