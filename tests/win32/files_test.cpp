// The file utilities on a temporary directory tree: the three linked lists,
// every directory and file command with its texts, names outside the
// system code page, and paths too long for the plain Win32 form.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "files/win32/drive_prefetch.h"
#include "files/win32/files_frame.h"
#include "frame_test_host.h"
#include "helper_process.h"
#include "main_form_fixture.h"
#include "screenshot.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "files/file_paths.h"
#include "files/win32/file_ops.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/application.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

// Test-side file helpers go straight to the wide API with the
// extended-length form, independent of the code under test.
std::wstring Long(const std::string& path) { return L"\\\\?\\" + Widen(path); }

void WriteFileAt(const std::string& path, const std::string& content) {
  UniqueKernelHandle h(::CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(h) << path;
  DWORD n = 0;
  ::WriteFile(h.get(), content.data(), static_cast<DWORD>(content.size()), &n, nullptr);
}

std::string ReadFileAt(const std::string& path) {
  UniqueKernelHandle h(::CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
  if (!h) return "<missing>";
  std::string s(1 << 16, '\0');
  DWORD n = 0;
  ::ReadFile(h.get(), s.data(), static_cast<DWORD>(s.size()), &n, nullptr);
  s.resize(n);
  return s;
}

// Empties a directory through the literal form: the library's own removal
// goes through the plain form, which cannot reach a name ending in a dot or
// a space and keeps finding it again.
void EmptyLiterally(const std::string& path) {
  WIN32_FIND_DATAW fd;
  HANDLE find = ::FindFirstFileW((Long(path) + L"\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> dirs, files;
  do {
    const std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? dirs : files).push_back(path + "\\" + Narrow(name));
  } while (::FindNextFileW(find, &fd));
  ::FindClose(find);
  for (const std::string& f : files) ::DeleteFileW(Long(f).c_str());
  for (const std::string& d : dirs) {
    EmptyLiterally(d);
    ::RemoveDirectoryW(Long(d).c_str());
  }
}

bool Exists(const std::string& path) { return ::GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
void MakeDir(const std::string& path) { ASSERT_TRUE(::CreateDirectoryW(Long(path).c_str(), nullptr)) << path; }

// A file time of a local wall-clock moment.
FILETIME LocalMoment(WORD y, WORD m, WORD d, WORD h, WORD min) {
  SYSTEMTIME local{y, m, 0, d, h, min, 0, 0}, utc{};
  ::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
  FILETIME ft{};
  ::SystemTimeToFileTime(&utc, &ft);
  return ft;
}

// The system's own short date of a day: the oracle for the dates shown.
std::string SystemShortDate(WORD y, WORD m, WORD d) {
  SYSTEMTIME st{y, m, 0, d, 12, 0, 0, 0};
  wchar_t buf[128] = {};
  ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, 128);
  return Narrow(buf);
}

// A drive letter with no drive behind it.
char MissingDrive() {
  const DWORD mask = ::GetLogicalDrives();
  for (char c = 'Y'; c > 'D'; --c)
    if (!(mask & (1u << (c - 'A')))) return c;
  return 0;
}

// Nested directories under base until the directory's own path passes the
// old 260-character limit; answers the deepest.
std::string MakeDeepDirectory(const std::string& base) {
  std::string deep = base;
  int n = 0;
  while (Widen(deep).size() <= MAX_PATH) {
    deep += "\\level " + std::to_string(++n) + " \xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9";
    if (!::CreateDirectoryW((L"\\\\?\\" + Widen(deep)).c_str(), nullptr)) return {};
  }
  return deep;
}

// Which columns of a window's first line, as the screen shows it, hold
// anything other than the background (the colour at column `blank`): one
// character per column, '#' or '.'.
std::string InkColumns(HWND window, int lineHeight, int blank) {
  int cx = 0;
  const std::vector<std::uint32_t> px = ScreenPixels(window, cx);
  const int cy = cx > 0 ? std::min(lineHeight, static_cast<int>(px.size()) / cx) : 0;
  if (blank >= cx) return {};
  std::string columns(static_cast<size_t>(cx), '.');
  // The box's border rows are left out.
  for (int y = 3; y < cy; ++y) {
    const std::uint32_t background = px[static_cast<size_t>(y * cx + blank)];
    for (int x = 3; x < cx; ++x)
      if (px[static_cast<size_t>(y * cx + x)] != background) columns[static_cast<size_t>(x)] = '#';
  }
  return columns;
}

const std::string kFullWidth = "\xef\xbd\x86ile.txt";  // "ｆile.txt"
const std::string kAccented = "r\xc3\xa9sum\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt";

class FilesTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScriptedPrompter prompter;
  std::unique_ptr<TestFrameHost> host;
  TFilesFrame* frame = nullptr;
  std::wstring savedDirectory;
  std::vector<std::string> chosen, launched;

  void SetUp() override {
    wchar_t buf[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, buf);
    savedDirectory = buf;
    Application().SetPrompter(&prompter);
    host = std::make_unique<TestFrameHost>(dir.Path());
    frame = &host->Make<TFilesFrame>("FilesFrame");
    Frame().OnProgramChosen = [this](const std::string& p) { chosen.push_back(p); };
    Frame().OnProgramLaunch = [this](const std::string& p) { launched.push_back(p); };
  }
  void TearDown() override {
    host.reset();
    // The temporary tree cannot go while it is the current directory.
    ::SetCurrentDirectoryW(savedDirectory.c_str());
    EmptyLiterally(dir.Path());
    Application().SetPrompter(nullptr);
    EXPECT_EQ(prompter.PendingAnswers(), 0u) << "a scripted answer was never asked for";
  }

  // The one way to the frame, so the fixture can move to the main window.
  TFilesFrame& Frame() { return *frame; }
  TCheckDirectoryListBoxEx& Dirs() { return Frame().DirectoryListBox1; }
  TCheckFileListBoxEx& Files() { return Frame().ListBoxLocFiles; }

  std::string P(const std::string& rel) const { return dir.File(rel); }
  void Open(const std::string& path) { Dirs().SetDirectory(path); }
  int DirIndex(const std::string& path) {
    for (int i = 0; i < Dirs().Count(); ++i)
      if (Dirs().GetItemPath(i) == path) return i;
    return -1;
  }
  void HighlightDir(const std::string& path) {
    const int i = DirIndex(path);
    ASSERT_GE(i, 0) << path << " is not listed";
    Dirs().SetItemIndex(i);
  }
  void HighlightFile(const std::string& name) {
    const int i = Files().IndexOf(name);
    ASSERT_GE(i, 0) << name << " is not listed";
    Files().SetItemIndex(i);
  }
  // Sends a real mouse press (and release) on a line of a list.
  static void ClickLine(TCheckListBoxEx& list, int index, int x, bool twice = false) {
    RECT r{};
    list.Perform(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(x, (r.top + r.bottom) / 2);
    list.Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
    list.Perform(WM_LBUTTONUP, 0, at);
    if (twice) {
      list.Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      list.Perform(WM_LBUTTONUP, 0, at);
    }
  }
  static void Key(TCheckListBoxEx& list, UINT vk) {
    list.Perform(WM_KEYDOWN, vk, 0);
    list.Perform(WM_KEYUP, vk, 0);
  }
  const PromptCall& LastCall() const { return prompter.Calls().back(); }
  void ExpectInput(const std::string& caption, const std::string& prompt, const std::string& initial) {
    ASSERT_FALSE(prompter.Calls().empty());
    const PromptCall& c = prompter.Calls().front();
    EXPECT_EQ(c.kind, PromptCall::Input);
    EXPECT_EQ(c.caption, caption);
    EXPECT_EQ(c.text, prompt);
    EXPECT_EQ(c.initial, initial);
  }
  // The question's first line, then the full path of each ticked item.
  void ExpectQuestion(const std::string& first, const std::vector<std::string>& paths) {
    ASSERT_FALSE(prompter.Calls().empty());
    const PromptCall& c = prompter.Calls().front();
    EXPECT_EQ(c.kind, PromptCall::Box);
    EXPECT_EQ(c.owner, BoxOwner::MainWindow);
    std::string text = first + (paths.empty() ? "" : "\n");
    for (const std::string& p : paths) text += "\n" + p;
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.caption, "Question");
    EXPECT_EQ(c.flags, mb::kYesNo | mb::kIconQuestion);
  }
};

TEST_F(FilesTest, TreeFilesAndCurrentDirectoryFollowTheOpenDirectory) {
  MakeDir(P("a"));
  MakeDir(P("a\\Zed"));
  MakeDir(P("a\\beta"));
  WriteFileAt(P("a\\one.txt"), "1");
  WriteFileAt(P("a\\Two.exe"), "2");
  MakeDir(P("a\\beta\\deeper"));
  Open(P("a"));
  EXPECT_EQ(Dirs().Directory(), P("a"));
  // Root first, then the path down, then the subdirectories, sorted.
  EXPECT_EQ(Dirs().GetItemPath(0), RootOf(P("a")));
  const int open = DirIndex(P("a"));
  ASSERT_GT(open, 0);
  EXPECT_EQ(Dirs().ItemIndex(), open) << "the open directory is highlighted";
  ASSERT_EQ(Dirs().Count(), open + 3);
  EXPECT_EQ(Dirs().Item(open + 1), "beta");
  EXPECT_EQ(Dirs().GetItemPath(open + 2), P("a\\Zed"));
  EXPECT_EQ(DirIndex(dir.Path()), open - 1) << "each ancestor is listed";
  EXPECT_EQ(Files().Directory(), P("a"));
  ASSERT_EQ(Files().Count(), 2);
  EXPECT_EQ(Files().Item(0), "one.txt") << "bare names";
  EXPECT_EQ(Files().Item(1), "Two.exe");
  wchar_t cur[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, cur);
  EXPECT_EQ(Narrow(cur), P("a"));
  // A click only highlights; a double click opens.
  ClickLine(Dirs(), open + 1, 60);
  EXPECT_EQ(Dirs().ItemIndex(), open + 1);
  EXPECT_EQ(Dirs().Directory(), P("a"));
  ClickLine(Dirs(), open + 1, 60, true);
  EXPECT_EQ(Dirs().Directory(), P("a\\beta"));
  EXPECT_EQ(Files().Count(), 0);
  EXPECT_EQ(Dirs().Item(Dirs().Count() - 1), "deeper");
  // Enter opens the highlighted line: here the ancestor "a" again.
  HighlightDir(P("a"));
  Key(Dirs(), VK_RETURN);
  EXPECT_EQ(Dirs().Directory(), P("a"));
  EXPECT_EQ(Files().Count(), 2);
  // The arrow keys move the highlight as in a list box.
  HighlightDir(P("a"));
  Key(Dirs(), VK_DOWN);
  EXPECT_EQ(Dirs().ItemIndex(), open + 1);
  // The drive box shows the open directory's drive and is as wide as its
  // panel.
  EXPECT_EQ(Frame().DriveComboBoxEx1.Drive(), P("a")[0]);
  EXPECT_GE(Frame().DriveComboBoxEx1.Count(), 1);
  EXPECT_EQ(Frame().DriveComboBoxEx1.Width(), Frame().Panel4.Width());
  host->SetBounds(0, 0, 700, 500);
  EXPECT_EQ(Frame().DriveComboBoxEx1.Width(), Frame().Panel4.Width());
}

TEST_F(FilesTest, ChoosingADriveOpensItsCurrentDirectory) {
  MakeDir(P("here"));
  Open(P("here"));
  TDriveComboBoxEx& drives = Frame().DriveComboBoxEx1;
  // The file list made "here" the drive's current directory.
  drives.ChooseDrive(P("here")[0]);
  EXPECT_EQ(Dirs().Directory(), P("here"));
  // A drive that is not there: an error, and the box shows the list's
  // drive again.
  const char missing = MissingDrive();
  ASSERT_NE(missing, 0);
  EXPECT_THROW(drives.ChooseDrive(missing), Exception);
  EXPECT_EQ(drives.Drive(), P("here")[0]);
  EXPECT_EQ(Dirs().Directory(), P("here"));
}

// The drives read on another thread at start are what the drive box shows:
// the same letters, labels and pictures as read on the window's thread.
TEST(DrivePrefetch, GivesTheDrivesAsReadNow) {
  PrefetchDrives();
  const std::vector<DriveEntry> prefetched = TakeDrives();
  const std::vector<DriveEntry> now = ReadDrives();
  ASSERT_FALSE(now.empty());
  ASSERT_EQ(prefetched.size(), now.size());
  for (size_t i = 0; i < now.size(); ++i) {
    EXPECT_EQ(prefetched[i].letter, now[i].letter);
    EXPECT_EQ(prefetched[i].text, now[i].text);
    EXPECT_EQ(prefetched[i].image, now[i].image) << now[static_cast<size_t>(i)].text;
    EXPECT_GE(now[i].image, 0) << now[static_cast<size_t>(i)].text;
  }
}

TEST_F(FilesTest, SpaceAndCheckBoxClicksTickLines) {
  WriteFileAt(P("f1.txt"), "");
  WriteFileAt(P("f2.txt"), "");
  Open(dir.Path());
  Files().SetItemIndex(1);
  Key(Files(), VK_SPACE);
  EXPECT_TRUE(Files().Checked(1));
  EXPECT_FALSE(Files().Checked(0));
  EXPECT_EQ(Files().ItemIndex(), 1) << "Space searches for nothing";
  Key(Files(), VK_SPACE);
  EXPECT_FALSE(Files().Checked(1));
  ClickLine(Files(), 0, 6);  // on the check box
  EXPECT_TRUE(Files().Checked(0));
  ClickLine(Files(), 1, 80);  // on the name
  EXPECT_FALSE(Files().Checked(1));
  EXPECT_EQ(Files().ItemIndex(), 1);
  EXPECT_THROW(Files().Checked(2), EListError);
}

TEST_F(FilesTest, ClickNamesTheProgramAndDoubleClickLaunchesIt) {
  WriteFileAt(P("tool.exe"), "");
  Open(dir.Path());
  ClickLine(Files(), 0, 80);
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0], P("tool.exe"));
  ClickLine(Files(), 0, 80, true);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0], P("tool.exe"));
  EXPECT_EQ(chosen.back(), P("tool.exe"));
}

TEST_F(FilesTest, NoHighlightedEntryRaisesTheIndexErrorAndChangesNothing) {
  MakeDir(P("keep"));
  WriteFileAt(P("keep.txt"), "k");
  Open(dir.Path());
  Dirs().SetItemIndex(-1);
  Files().SetItemIndex(-1);
  for (const char* cmd : {"RemoveDir1", "RenameDir1", "CopyDir1", "MoveDir1"}) {
    try {
      Frame().AdvPopupMenu1.Click(cmd);
      ADD_FAILURE() << cmd << " ran without an entry";
    } catch (const EListError& e) {
      EXPECT_STREQ(e.what(), "List index out of bounds (-1)") << cmd;
    }
  }
  for (const char* cmd : {"DeleteFile2", "Re", "FileAge1", "Mov", "CopyFile1", "OpenFile1", "LastAccess1"}) {
    try {
      Frame().AdvPopupMenu2.Click(cmd);
      ADD_FAILURE() << cmd << " ran without an entry";
    } catch (const EListError& e) {
      EXPECT_STREQ(e.what(), "List index out of bounds (-1)") << cmd;
    }
  }
  EXPECT_TRUE(prompter.Calls().empty()) << "no input box before the entry is known";
  // Chosen from the menu, the error reaches the standard error box.
  Files().Perform(WM_COMMAND, Frame().AdvPopupMenu2.CommandId("DeleteFile2"), 0);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  // A text ending in ")" gets no full stop.
  EXPECT_EQ(LastCall().text, "List index out of bounds (-1)");
  EXPECT_EQ(LastCall().caption, "Nookvale");
  EXPECT_EQ(LastCall().flags, mb::kOk | mb::kIconStop);
  EXPECT_TRUE(Exists(P("keep")) && Exists(P("keep.txt")));
}

TEST_F(FilesTest, MenusHoldTheCommandsInOrderWithPictures) {
  auto captions = [](TAdvPopupMenu& m) {
    std::vector<std::string> v;
    for (const TMenuItem& it : m.Items()) {
      v.push_back(it.Separator() ? "-" : it.Caption);
      if (!it.Separator()) {
        EXPECT_NE(it.Picture, nullptr) << it.Name << " has no picture";
      }
    }
    return v;
  };
  EXPECT_EQ(captions(Frame().AdvPopupMenu1),
            (std::vector<std::string>{"Remove Dir", "Make Dir", "Delete Selected Dirs", "-", "Rename Dir", "Copy Dir",
                                      "Move Dir"}));
  EXPECT_EQ(captions(Frame().AdvPopupMenu2),
            (std::vector<std::string>{"Delete File", "Rename File", "Delete Selected Files", "-", "File Age",
                                      "Move File", "Copy File", "-", "Open File", "Last Access?"}));
  HMENU m = Frame().AdvPopupMenu2.Handle();
  EXPECT_EQ(::GetMenuItemCount(m), 10);
  EXPECT_EQ(::GetMenuItemID(m, 0), Frame().AdvPopupMenu2.CommandId("DeleteFile2"));
  EXPECT_EQ(Dirs().PopupMenu, &Frame().AdvPopupMenu1);
  EXPECT_EQ(Files().PopupMenu, &Frame().AdvPopupMenu2);
}

TEST_F(FilesTest, RemoveDirDeletesTheEditedPathTreeAndAll) {
  MakeDir(P("shown"));
  MakeDir(P("edited"));
  MakeDir(P("edited\\inner"));
  WriteFileAt(P("edited\\inner\\x.txt"), "x");
  Open(dir.Path());
  HighlightDir(P("shown"));
  prompter.AnswerInput(P("edited"));
  Frame().RemoveDir1Click();
  ExpectInput("Removing directory...", "Are you sure to remove this directory?", P("shown"));
  EXPECT_EQ(prompter.Calls().size(), 1u) << "the shell asks nothing";
  EXPECT_FALSE(Exists(P("edited")));
  EXPECT_TRUE(Exists(P("shown")));
  EXPECT_LT(DirIndex(P("edited")), 0) << "the list was re-read";
  // Cancel: nothing goes, the list is not re-read.
  MakeDir(P("behind"));
  prompter.AnswerInput(std::nullopt);
  HighlightDir(P("shown"));
  Frame().RemoveDir1Click();
  EXPECT_TRUE(Exists(P("shown")));
  EXPECT_LT(DirIndex(P("behind")), 0);
  // A failed delete re-reads nothing either.
  prompter.AnswerInput(P("no such dir"));
  Frame().RemoveDir1Click();
  EXPECT_LT(DirIndex(P("behind")), 0);
  // The open directory itself can go; the list opens what is left.
  Open(P("shown"));
  HighlightDir(P("shown"));
  prompter.AnswerInput(P("shown"));
  Frame().RemoveDir1Click();
  EXPECT_FALSE(Exists(P("shown")));
  EXPECT_EQ(Dirs().Directory(), dir.Path());
  EXPECT_EQ(Files().Directory(), dir.Path());
}

TEST_F(FilesTest, MakeDirBareNameLandsInTheOpenDirectory) {
  MakeDir(P("open"));
  Open(P("open"));
  prompter.AnswerInput("new one");
  Frame().MakeDir1Click();
  ExpectInput("Making directory...", "Enter name of new directory:", "");
  EXPECT_TRUE(Exists(P("open\\new one")));
  EXPECT_GE(DirIndex(P("open\\new one")), 0);
  prompter.AnswerInput(P("full path"));
  Frame().MakeDir1Click();
  EXPECT_TRUE(Exists(P("full path")));
  prompter.AnswerInput(std::nullopt);
  MakeDir(P("open\\behind"));
  Frame().MakeDir1Click();
  EXPECT_LT(DirIndex(P("open\\behind")), 0) << "Cancel re-reads nothing";
}

TEST_F(FilesTest, DeleteSelectedDirsWalksFromTheLastEntryUp) {
  MakeDir(P("top"));
  MakeDir(P("top\\a"));
  MakeDir(P("top\\b"));
  MakeDir(P("top\\c"));
  MakeDir(P("top\\c\\sub"));
  Open(P("top"));
  // No: nothing happens.
  Dirs().SetChecked(DirIndex(P("top\\a")), true);
  prompter.AnswerBox(mb::kIdNo);
  Frame().DeleteSelectedDir1Click();
  ExpectQuestion("Are you sure to delete the directories?", {P("top\\a")});
  EXPECT_TRUE(Exists(P("top\\a")));
  EXPECT_TRUE(Dirs().Checked(DirIndex(P("top\\a"))));
  // Nothing ticked: only a re-read.
  Dirs().SetChecked(DirIndex(P("top\\a")), false);
  MakeDir(P("top\\d"));
  prompter.AnswerBox(mb::kIdYes);
  Frame().DeleteSelectedDir1Click();
  EXPECT_GE(DirIndex(P("top\\d")), 0);
  EXPECT_TRUE(Exists(P("top\\a")));
  // A failure (b already gone) does not stop the others, listed above it.
  Dirs().SetChecked(DirIndex(P("top\\a")), true);
  Dirs().SetChecked(DirIndex(P("top\\b")), true);
  Dirs().SetChecked(DirIndex(P("top\\d")), true);
  ASSERT_TRUE(::RemoveDirectoryW(Long(P("top\\b")).c_str()));
  prompter.AnswerBox(mb::kIdYes);
  Frame().DeleteSelectedDir1Click();
  EXPECT_FALSE(Exists(P("top\\a")));
  EXPECT_FALSE(Exists(P("top\\d")));
  EXPECT_TRUE(Exists(P("top\\c\\sub")));
  // A directory and its subdirectory ticked together: both go.
  Open(P("top\\c"));
  Dirs().SetChecked(DirIndex(P("top\\c")), true);
  Dirs().SetChecked(DirIndex(P("top\\c\\sub")), true);
  prompter.AnswerBox(mb::kIdYes);
  Frame().DeleteSelectedDir1Click();
  EXPECT_FALSE(Exists(P("top\\c")));
  EXPECT_TRUE(Exists(P("top")));
  EXPECT_EQ(Dirs().Directory(), P("top"));
}

TEST_F(FilesTest, RenameDirBareNameAndBackslashAreTakenInTheParent) {
  MakeDir(P("p"));
  MakeDir(P("p\\old"));
  MakeDir(P("p\\holder"));
  WriteFileAt(P("p\\old\\f.txt"), "f");
  Open(P("p"));
  HighlightDir(P("p\\old"));
  prompter.AnswerInput("renamed");
  Frame().RenameDir1Click();
  ExpectInput("Renaming...", "Enter new name:", "");
  EXPECT_EQ(ReadFileAt(P("p\\renamed\\f.txt")), "f");
  EXPECT_GE(DirIndex(P("p\\renamed")), 0);
  HighlightDir(P("p\\renamed"));
  prompter.AnswerInput("holder\\moved");
  Frame().RenameDir1Click();
  EXPECT_EQ(ReadFileAt(P("p\\holder\\moved\\f.txt")), "f");
  prompter.AnswerInput(std::nullopt);
  HighlightDir(P("p\\holder"));
  Frame().RenameDir1Click();
  EXPECT_TRUE(Exists(P("p\\holder")));
}

TEST_F(FilesTest, CopyAndMoveDirTellOnlyOfSuccess) {
  MakeDir(P("src"));
  MakeDir(P("src\\kid"));
  WriteFileAt(P("src\\kid\\k.txt"), "kid");
  WriteFileAt(P("src\\top.txt"), "top");
  MakeDir(P("dest"));
  Open(dir.Path());
  HighlightDir(P("src"));
  prompter.AnswerInput(P("dest"));
  Frame().CopyDir1Click();
  ExpectInput("Copy to...", "Enter path to copy this directory to:", "");
  // (Wine's shell leaves the subdirectories out of a files-only copy; the
  // directory and its files arrive everywhere.)
  EXPECT_EQ(ReadFileAt(P("dest\\src\\top.txt")), "top");
  EXPECT_EQ(ReadFileAt(P("src\\top.txt")), "top");
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"Directory copied."}));
  prompter.ClearCalls();
  MakeDir(P("behind"));
  HighlightDir(P("src"));
  prompter.AnswerInput(P("dest\\src"));
  Frame().MoveDir1Click();
  ExpectInput("Move to...", "Enter path to move this directory to:", "");
  EXPECT_FALSE(Exists(P("src")));
  EXPECT_EQ(ReadFileAt(P("dest\\src\\src\\kid\\k.txt")), "kid");
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"Directory moved."}));
  EXPECT_GE(DirIndex(P("behind")), 0) << "re-read before the message";
  // Cancel in both: nothing at all.
  prompter.ClearCalls();
  HighlightDir(P("dest"));
  prompter.AnswerInput(std::nullopt).AnswerInput(std::nullopt);
  Frame().CopyDir1Click();
  Frame().MoveDir1Click();
  EXPECT_TRUE(prompter.Messages().empty());
  EXPECT_TRUE(Exists(P("dest")));
}

TEST_F(FilesTest, DeleteFileHitsExactlyTheListedOrEditedFile) {
  WriteFileAt(P("file.txt"), "ascii");
  WriteFileAt(P(kFullWidth), "wide");
  WriteFileAt(P(kAccented), "accent");
  WriteFileAt(P("other.txt"), "o");
  Open(dir.Path());
  EXPECT_GE(Files().IndexOf(kFullWidth), 0) << "listed by its own name";
  EXPECT_GE(Files().IndexOf("file.txt"), 0);
  HighlightFile(kFullWidth);
  prompter.AnswerInput(P(kFullWidth));
  Frame().DeleteFile2Click();
  ExpectInput("Deleting...", "Are you sure to delete?", P(kFullWidth));
  EXPECT_FALSE(Exists(P(kFullWidth)));
  EXPECT_EQ(ReadFileAt(P("file.txt")), "ascii") << "the look-alike stays";
  EXPECT_LT(Files().IndexOf(kFullWidth), 0);
  // The edited path is the one deleted.
  HighlightFile(kAccented);
  prompter.AnswerInput(P("other.txt"));
  Frame().DeleteFile2Click();
  EXPECT_FALSE(Exists(P("other.txt")));
  EXPECT_EQ(ReadFileAt(P(kAccented)), "accent");
  // Cancel: nothing, and no re-read.
  WriteFileAt(P("behind.txt"), "");
  HighlightFile(kAccented);
  prompter.AnswerInput(std::nullopt);
  Frame().DeleteFile2Click();
  EXPECT_TRUE(Exists(P(kAccented)));
  EXPECT_LT(Files().IndexOf("behind.txt"), 0);
}

TEST_F(FilesTest, DeleteSelectedFilesGoesOnAfterAFailure) {
  for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt"}) WriteFileAt(P(n), n);
  Open(dir.Path());
  Files().SetChecked(Files().IndexOf("a.txt"), true);
  prompter.AnswerBox(mb::kIdNo);
  Frame().DeleteSelectedFiles1Click();
  ExpectQuestion("Are you sure to delete the files?", {P("a.txt")});
  EXPECT_TRUE(Exists(P("a.txt")));
  Files().SetChecked(Files().IndexOf("a.txt"), false);
  WriteFileAt(P("e.txt"), "");
  prompter.AnswerBox(mb::kIdYes);
  Frame().DeleteSelectedFiles1Click();
  EXPECT_GE(Files().IndexOf("e.txt"), 0) << "nothing ticked: only re-read";
  for (const char* n : {"a.txt", "c.txt", "d.txt"}) Files().SetChecked(Files().IndexOf(n), true);
  ASSERT_TRUE(::DeleteFileW(Long(P("d.txt")).c_str()));  // the last one fails
  prompter.AnswerBox(mb::kIdYes);
  Frame().DeleteSelectedFiles1Click();
  EXPECT_FALSE(Exists(P("a.txt")));
  EXPECT_FALSE(Exists(P("c.txt")));
  EXPECT_TRUE(Exists(P("b.txt")));
  EXPECT_EQ(Files().Count(), 2);
}

TEST_F(FilesTest, RenameFileBareNameInPlaceAndPathMovesIt) {
  MakeDir(P("sub"));
  WriteFileAt(P(kFullWidth), "wide");
  WriteFileAt(P("file.txt"), "ascii");
  Open(dir.Path());
  HighlightFile(kFullWidth);
  prompter.AnswerInput("renamed \xe2\x98\x85.txt");
  Frame().ReClick();
  ExpectInput("Renaming...", "Enter new name:", "");
  EXPECT_EQ(ReadFileAt(P("renamed \xe2\x98\x85.txt")), "wide");
  EXPECT_EQ(ReadFileAt(P("file.txt")), "ascii");
  EXPECT_GE(Files().IndexOf("renamed \xe2\x98\x85.txt"), 0);
  HighlightFile("file.txt");
  prompter.AnswerInput(P("sub\\there.txt"));
  Frame().ReClick();
  EXPECT_EQ(ReadFileAt(P("sub\\there.txt")), "ascii");
  EXPECT_LT(Files().IndexOf("file.txt"), 0);
}

TEST_F(FilesTest, MoveAndCopyFileKeepTheNameAndNeverOverwrite) {
  MakeDir(P("to"));
  WriteFileAt(P("m.txt"), "move me");
  WriteFileAt(P("c.txt"), "copy me");
  WriteFileAt(P("to\\c.txt"), "already here");
  WriteFileAt(P(kFullWidth), "wide");
  Open(dir.Path());
  HighlightFile("m.txt");
  prompter.AnswerInput(P("to"));
  Frame().MovClick();
  ExpectInput("Moving to...", "Enter path to move this file to:", "");
  EXPECT_EQ(ReadFileAt(P("to\\m.txt")), "move me");
  EXPECT_LT(Files().IndexOf("m.txt"), 0);
  prompter.ClearCalls();
  HighlightFile("c.txt");
  prompter.AnswerInput(P("to"));
  Frame().CopyFile1Click();
  ExpectInput("Copying to...", "Enter path to copy this file to:", "");
  EXPECT_EQ(ReadFileAt(P("to\\c.txt")), "already here") << "byte for byte";
  EXPECT_TRUE(prompter.Messages().empty());
  HighlightFile(kFullWidth);
  prompter.AnswerInput(P("to") + "\\");
  Frame().CopyFile1Click();
  EXPECT_EQ(ReadFileAt(P("to\\" + kFullWidth)), "wide");
  EXPECT_FALSE(Exists(P("to\\file.txt")));
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"File copied."}));
  prompter.AnswerInput(std::nullopt).AnswerInput(std::nullopt);
  HighlightFile("c.txt");
  Frame().MovClick();
  Frame().CopyFile1Click();
  EXPECT_TRUE(Exists(P("c.txt")));
}

TEST_F(FilesTest, FileAgeAndLastAccessShowTheDayInTheShortDateFormat) {
  WriteFileAt(P(kAccented), "x");
  MakeDir(P("folder"));
  {
    UniqueKernelHandle h(::CreateFileW(Long(P(kAccented)).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(h);
    const FILETIME written = LocalMoment(2024, 2, 29, 23, 59), read = LocalMoment(2025, 12, 31, 23, 59);
    ASSERT_TRUE(::SetFileTime(h.get(), nullptr, &read, &written));
  }
  Open(dir.Path());
  HighlightFile(kAccented);
  Frame().FileAge1Click();
  Frame().LastAccess1Click();
  EXPECT_EQ(prompter.Messages(),
            (std::vector<std::string>{kAccented + " last modified date = " + SystemShortDate(2024, 2, 29),
                                      "File was last accessed: " + SystemShortDate(2025, 12, 31)}));
  // Gone behind the list's back: File Age says nothing, Last Access? says so.
  prompter.ClearCalls();
  ASSERT_TRUE(::DeleteFileW(Long(P(kAccented)).c_str()));
  Frame().FileAge1Click();
  Frame().LastAccess1Click();
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"File not found: " + P(kAccented)}));
}

TEST_F(FilesTest, PathsBeyondTheOldLimitAreListedOpenedAndDeleted) {
  const std::string deep = MakeDeepDirectory(dir.Path());
  ASSERT_FALSE(deep.empty());
  const std::string name = "long \xef\xbd\x86ile name to pass the limit.txt";
  WriteFileAt(deep + "\\" + name, "deep");
  WriteFileAt(deep + "\\keep.txt", "keep");
  MakeDir(deep + "\\child");
  Open(ParentWithBackslash(deep));
  HighlightDir(deep);
  Key(Dirs(), VK_RETURN);
  EXPECT_EQ(Dirs().Directory(), deep);
  EXPECT_GE(DirIndex(deep + "\\child"), 0);
  ASSERT_EQ(Files().Count(), 2);
  HighlightFile(name);
  EXPECT_GE(Files().FullPath(Files().ItemIndex()).size(), 260u);
  Frame().FileAge1Click();
  ASSERT_EQ(prompter.Messages().size(), 1u) << "dated through its long path";
  // The input box shows the whole path; typed text stops at 255
  // characters, so a bare name is typed here.
  prompter.AnswerInput(name);
  Frame().DeleteFile2Click();
  EXPECT_EQ(LastCall().initial, deep + "\\" + name);
  EXPECT_FALSE(Exists(deep + "\\" + name));
  EXPECT_EQ(ReadFileAt(deep + "\\keep.txt"), "keep");
  EXPECT_EQ(Files().Count(), 1);
  WriteFileAt(deep + "\\" + name, "again");
  Files().Update();
  Files().SetChecked(Files().IndexOf(name), true);
  prompter.AnswerBox(mb::kIdYes);
  Frame().DeleteSelectedFiles1Click();
  EXPECT_FALSE(Exists(deep + "\\" + name));
  EXPECT_EQ(Files().Count(), 1);
  // A bare new name renames inside the long directory, whatever the
  // process's current directory could hold.
  HighlightFile("keep.txt");
  prompter.AnswerInput("kept.txt");
  Frame().ReClick();
  EXPECT_EQ(ReadFileAt(deep + "\\kept.txt"), "keep");
}

TEST_F(FilesTest, DeletionQuestionsListEveryTickedPath) {
  for (int i = 0; i < 23; ++i) WriteFileAt(P("f" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".txt"), "");
  MakeDir(P("one"));
  MakeDir(P("two"));
  Open(dir.Path());
  for (int i = 0; i < Files().Count(); ++i) Files().SetChecked(i, true);
  prompter.AnswerBox(mb::kIdNo);
  Frame().DeleteSelectedFiles1Click();
  // A long list stops after twenty paths and tells how many more go.
  std::string expected = "Are you sure to delete the files?\n";
  for (int i = 0; i < 20; ++i) expected += "\n" + Files().FullPath(i);
  expected += "\nand 3 more";
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(LastCall().text, expected);
  EXPECT_EQ(Files().Count(), 23) << "No deletes nothing";
  prompter.ClearCalls();
  Dirs().SetChecked(DirIndex(P("one")), true);
  Dirs().SetChecked(DirIndex(P("two")), true);
  prompter.AnswerBox(mb::kIdNo);
  Frame().DeleteSelectedDir1Click();
  ExpectQuestion("Are you sure to delete the directories?", {P("one"), P("two")});
  EXPECT_TRUE(Exists(P("one")) && Exists(P("two")));
}

TEST_F(FilesTest, RootsAndProtectedFoldersAreNeverDeletedMovedOrRenamed) {
  // The folders the frame guards are this system's own.
  wchar_t buf[MAX_PATH] = {};
  ::GetWindowsDirectoryW(buf, MAX_PATH);
  EXPECT_TRUE(AsciiEqualNoCase(Frame().Protected.windows, Narrow(buf))) << Frame().Protected.windows;
  ::GetEnvironmentVariableW(L"USERPROFILE", buf, MAX_PATH);
  EXPECT_TRUE(AsciiEqualNoCase(Frame().Protected.profile, Narrow(buf))) << Frame().Protected.profile;
  ::GetModuleFileNameW(nullptr, buf, MAX_PATH);
  EXPECT_TRUE(AsciiEqualNoCase(Frame().Protected.program, ParentWithBackslash(Narrow(buf)).substr(
                                                              0, ParentWithBackslash(Narrow(buf)).size() - 1)))
      << Frame().Protected.program;

  // Roots, on a drive letter with no drive behind it: should a check ever
  // slip, the command fails there instead of reaching a real drive.
  const char d = MissingDrive();
  ASSERT_NE(d, 0);
  const std::string root = std::string(1, d) + ":\\";
  Open(root);
  ASSERT_EQ(Dirs().Directory(), root);
  const std::string driveRoot = "The drive root " + root + " cannot be deleted.";
  const std::string shareRoot = "The network share root \\\\server\\share\\ cannot be deleted.";
  const std::string wildcard = "The path " + root + "* does not name one single item, so nothing was deleted.";
  const std::pair<std::string, std::string> typed[] = {
      {"\\*", wildcard},
      {"*", wildcard},
      {".", driveRoot},
      {"..", driveRoot},
      {std::string(1, d) + ":", driveRoot},
      {std::string(1, d) + ":\\.", driveRoot},
      {"\\\\?\\" + root, driveRoot},
      {"\\\\server\\share", shareRoot},
      {"\\\\server\\share\\", shareRoot},
      {"", "No path was given, so nothing was deleted."},
  };
  std::vector<std::string> expected;
  for (const auto& [text, why] : typed) {
    prompter.AnswerInput(text);
    Frame().RemoveDir1Click();
    expected.push_back(why);
  }
  // The root's own line: refused before any input box or question.
  Dirs().SetItemIndex(0);
  Frame().RenameDir1Click();
  Frame().MoveDir1Click();
  Dirs().SetChecked(0, true);
  Frame().DeleteSelectedDir1Click();
  expected.push_back("The drive root " + root + " cannot be renamed.");
  expected.push_back("The drive root " + root + " cannot be moved.");
  expected.push_back(driveRoot);
  EXPECT_EQ(prompter.Messages(), expected);
  EXPECT_EQ(prompter.Calls().size(), expected.size() + 10) << "ten input boxes, nothing else";

  // Protected folders, and a folder that holds one, stand in for the real
  // ones here.
  for (const char* p : {"win", "home", "home\\me", "app", "other"}) MakeDir(P(p));
  WriteFileAt(P("file.txt"), "f");
  Frame().Protected = {P("win"), P("home\\me"), P("app")};
  Open(dir.Path());
  prompter.ClearCalls();
  // Delete File's edited text, too.
  HighlightFile("file.txt");
  prompter.AnswerInput(root);
  Frame().DeleteFile2Click();
  prompter.AnswerInput(P("win"));
  Frame().RemoveDir1Click();
  HighlightDir(P("home"));
  Frame().RenameDir1Click();
  HighlightDir(P("app"));
  Frame().MoveDir1Click();
  Dirs().SetChecked(DirIndex(P("other")), true);
  Dirs().SetChecked(DirIndex(P("win")), true);
  Frame().DeleteSelectedDir1Click();
  EXPECT_EQ(prompter.Messages(),
            (std::vector<std::string>{driveRoot, "The Windows folder " + P("win") + " cannot be deleted.",
                                      P("home") + " cannot be renamed: it holds the user profile folder " +
                                          P("home\\me") + ".",
                                      "The folder that holds Nookvale, " + P("app") + ", cannot be moved.",
                                      "The Windows folder " + P("win") + " cannot be deleted."}));
  for (const char* p : {"win", "home\\me", "app", "other", "file.txt"}) EXPECT_TRUE(Exists(P(p))) << p;
}

TEST_F(FilesTest, AnEmptyDestinationIsRefused) {
  MakeDir(P("d"));
  WriteFileAt(P("d\\f.txt"), "f");
  Open(P("d"));
  HighlightFile("f.txt");
  prompter.AnswerInput("").AnswerInput(" ");
  Frame().MovClick();
  Frame().CopyFile1Click();
  Open(dir.Path());
  HighlightDir(P("d"));
  prompter.AnswerInput("").AnswerInput("");
  Frame().MoveDir1Click();
  Frame().CopyDir1Click();
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"No destination was entered, so the file was not moved.",
                                                           "No destination was entered, so the file was not copied.",
                                                           "No destination was entered, so the directory was not moved.",
                                                           "No destination was entered, so the directory was not copied."}));
  EXPECT_EQ(ReadFileAt(P("d\\f.txt")), "f");
  EXPECT_FALSE(Exists(RootOf(dir.Path()) + "f.txt"));
  EXPECT_FALSE(Exists(RootOf(dir.Path()) + "d"));
}

TEST_F(FilesTest, NamesEndingInADotOrASpaceReachExactlyTheListedItem) {
  // Each has a look-alike without the dot or space: the name the plain
  // Win32 form would reach instead.
  for (const char* d : {"c.", "c", "m.", "m", "r.", "r", "s ", "s", "t ", "t", "to"}) MakeDir(P(d));
  WriteFileAt(P("c.\\in.txt"), "c dot");
  WriteFileAt(P("m.\\in.txt"), "m dot");
  for (const char* f : {"del.", "del", "ren ", "ren", "mov.", "mov", "cp ", "cp", "tick.", "tick"}) WriteFileAt(P(f), f);
  Open(dir.Path());
  HighlightDir(P("c."));
  prompter.AnswerInput(P("to"));
  Frame().CopyDir1Click();
  EXPECT_EQ(ReadFileAt(P("to\\c.\\in.txt")), "c dot");
  HighlightDir(P("m."));
  prompter.AnswerInput(P("to\\moved"));
  Frame().MoveDir1Click();
  EXPECT_EQ(ReadFileAt(P("to\\moved\\in.txt")), "m dot");
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"Directory copied.", "Directory moved."}));
  HighlightDir(P("r."));
  prompter.AnswerInput(P("r."));
  Frame().RemoveDir1Click();
  HighlightDir(P("s "));
  prompter.AnswerInput("renamed");
  Frame().RenameDir1Click();
  Dirs().SetChecked(DirIndex(P("t ")), true);
  prompter.AnswerBox(mb::kIdYes);
  Frame().DeleteSelectedDir1Click();
  EXPECT_FALSE(Exists(P("m.")));
  EXPECT_FALSE(Exists(P("r.")));
  EXPECT_FALSE(Exists(P("s ")));
  EXPECT_FALSE(Exists(P("t ")));
  EXPECT_TRUE(Exists(P("renamed")));
  for (const char* d : {"c.", "c", "m", "r", "s", "t"}) EXPECT_TRUE(Exists(P(d))) << d;

  HighlightFile("del.");
  prompter.AnswerInput(P("del."));
  Frame().DeleteFile2Click();
  HighlightFile("ren ");
  prompter.AnswerInput("renamed.txt");
  Frame().ReClick();
  HighlightFile("mov.");
  prompter.AnswerInput(P("to"));
  Frame().MovClick();
  HighlightFile("cp ");
  prompter.AnswerInput(P("to"));
  Frame().CopyFile1Click();
  Files().SetChecked(Files().IndexOf("tick."), true);
  prompter.AnswerBox(mb::kIdYes);
  Frame().DeleteSelectedFiles1Click();
  EXPECT_FALSE(Exists(P("del.")));
  EXPECT_EQ(ReadFileAt(P("renamed.txt")), "ren ");
  EXPECT_EQ(ReadFileAt(P("to\\mov.")), "mov.");
  EXPECT_EQ(ReadFileAt(P("to\\cp ")), "cp ");
  EXPECT_FALSE(Exists(P("tick.")));
  for (const char* f : {"del", "ren", "mov", "cp", "tick", "cp "}) EXPECT_EQ(ReadFileAt(P(f)), f);
}

TEST_F(FilesTest, TheShellIsGivenAPathThatReachesTheListedFile) {
  // The file a plain path opens, by its identity on the volume.
  auto identity = [](const std::wstring& path) {
    UniqueKernelHandle h(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !::GetFileInformationByHandle(h.get(), &info)) return std::string("<none>");
    return std::to_string(info.nFileIndexHigh) + ":" + std::to_string(info.nFileIndexLow);
  };
  WriteFileAt(P("open."), "dot");
  WriteFileAt(P("open"), "plain");
  WriteFileAt(P("plain.txt"), "p");
  EXPECT_EQ(PlainPathFor(P("plain.txt")), P("plain.txt")) << "a plain name stays as it is";
  const std::string viaShell = PlainPathFor(P("open."));
  ASSERT_FALSE(viaShell.empty()) << "this volume keeps short names";
  EXPECT_EQ(identity(Widen(viaShell)), identity(Long(P("open."))));
  EXPECT_NE(identity(Widen(viaShell)), identity(Long(P("open"))));
}

TEST_F(FilesTest, DirectoriesBeyondTheOldLimitAreRemovedCopiedAndMoved) {
  const std::string deep = MakeDeepDirectory(dir.Path());
  ASSERT_FALSE(deep.empty());
  for (const char* d : {"\\gone", "\\copied", "\\copied\\inner", "\\moved", "\\ticked"}) MakeDir(deep + d);
  WriteFileAt(deep + "\\copied\\inner\\c.txt", "c");
  WriteFileAt(deep + "\\moved\\m.txt", "m");
  MakeDir(P("to"));
  Open(deep);
  // Typed text stops at 255 characters: the bare name stands for the path.
  HighlightDir(deep + "\\gone");
  prompter.AnswerInput("gone");
  Frame().RemoveDir1Click();
  EXPECT_FALSE(Exists(deep + "\\gone"));
  HighlightDir(deep + "\\copied");
  prompter.AnswerInput(P("to"));
  Frame().CopyDir1Click();
  EXPECT_EQ(ReadFileAt(P("to\\copied\\inner\\c.txt")), "c");
  HighlightDir(deep + "\\moved");
  prompter.AnswerInput(P("to"));
  Frame().MoveDir1Click();
  EXPECT_EQ(ReadFileAt(P("to\\moved\\m.txt")), "m");
  EXPECT_FALSE(Exists(deep + "\\moved"));
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"Directory copied.", "Directory moved."}));
  Dirs().SetChecked(DirIndex(deep + "\\ticked"), true);
  prompter.AnswerBox(mb::kIdYes);
  Frame().DeleteSelectedDir1Click();
  EXPECT_FALSE(Exists(deep + "\\ticked"));
  EXPECT_EQ(ReadFileAt(deep + "\\copied\\inner\\c.txt"), "c") << "a copy leaves the original";
}

// The real main window's path box and "Go Get It" behind the two
// callbacks: a double click on a program captures its window.
class FilesCaptureTest : public MainFormTest {};

TEST_F(FilesCaptureTest, DoubleClickOnAProgramCapturesIt) {
  TfrmMain& f = Start();
  f.Capture.Timer1.SetEnabled(false);
  f.Capture.LaunchWaitMs = 5000;
  TempDir programs;
  const std::string exe = programs.File("nvhelper.exe");
  ASSERT_TRUE(::CopyFileW(Widen(HelperPath()).c_str(), Widen(exe).c_str(), TRUE));
  wchar_t saved[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  TFilesFrame& frame = f.Files;
  frame.DirectoryListBox1.SetDirectory(programs.Path());
  TCheckFileListBoxEx& list = frame.ListBoxLocFiles;
  ASSERT_EQ(list.IndexOf("nvhelper.exe"), 0);
  RECT r{};
  list.Perform(LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM(80, (r.top + r.bottom) / 2);
  list.Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
  list.Perform(WM_LBUTTONUP, 0, at);
  EXPECT_EQ(f.Capture.ProgramPath.Text(), exe);
  list.Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  list.Perform(WM_LBUTTONUP, 0, at);
  ASSERT_EQ(f.Capture.winListBox.Count(), 1);
  HWND captured = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoull(f.Capture.winListBox.Item(0))));
  DWORD pid = 0;
  ::GetWindowThreadProcessId(captured, &pid);
  UniqueKernelHandle p(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
  ASSERT_EQ(f.PageControl.PageCount(), 2);
  EXPECT_EQ(::GetAncestor(captured, GA_PARENT), f.PageControl.Pages(1)->Handle());
  frm.reset();
  ::SetCurrentDirectoryW(saved);
  ::TerminateProcess(p.get(), 0);
  ::WaitForSingleObject(p.get(), 5000);
}

// At start the file pane's lines come before their shell pictures, which a
// thread reads once the window is shown: the texts are there at once, and
// then every line and drive has the picture it would have had.
class FilesStartTest : public MainFormTest {};

TEST_F(FilesStartTest, PicturesFollowTheShownWindow) {
  TempDir here;
  WriteFileAt(here.File("notes.txt"), "");
  MakeDir(here.File("sub"));
  wchar_t saved[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(::SetCurrentDirectoryW(Widen(here.Path()).c_str()));
  DeferShellPictures();
  TfrmMain& f = Start();
  TFilesFrame& frame = f.Files;
  TCheckDirectoryListBoxEx& dirs = frame.DirectoryListBox1;
  TCheckFileListBoxEx& files = frame.ListBoxLocFiles;
  TDriveComboBoxEx& drives = frame.DriveComboBoxEx1;
  auto driveImage = [&](int i) {
    COMBOBOXEXITEMW it{};
    it.mask = CBEIF_IMAGE;
    it.iItem = i;
    drives.Perform(CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    return it.iImage;
  };
  ASSERT_EQ(files.IndexOf("notes.txt"), 0);
  ASSERT_GE(dirs.Count(), 2);
  ASSERT_GE(drives.Count(), 1);
  EXPECT_EQ(files.LinePicture(0), -1);
  for (int i = 0; i < dirs.Count(); ++i) EXPECT_EQ(dirs.LinePicture(i), -1) << dirs.Item(i);
  ASSERT_NE(drives.Perform(CBEM_GETIMAGELIST), 0) << "the texts stand where the pictures will be";
  // Right of the picture's place the drive box looks the same before and
  // after the pictures come: its text does not move.
  const int textFrom = ::GetSystemMetrics(SM_CXSMICON) + 8, line = ::GetSystemMetrics(SM_CYSMICON) + 6;
  const std::string before = InkColumns(drives.Handle(), line, textFrom - 2);
  ASSERT_NE(before.find('#', static_cast<size_t>(textFrom)), std::string::npos) << "the drive's text is on screen";
  EXPECT_EQ(before.find('#'), before.find('#', static_cast<size_t>(textFrom))) << "the place draws nothing";

  EXPECT_TRUE(PumpUntil([&] { return files.LinePicture(0) >= 0; }));
  EXPECT_FALSE(ShellPicturesPending());
  EXPECT_EQ(files.LinePicture(0), ShellImageForFileType("notes.txt"));
  for (int i = 0; i < dirs.Count(); ++i) EXPECT_GE(dirs.LinePicture(i), 0) << dirs.Item(i);
  EXPECT_EQ(dirs.LinePicture(dirs.Count() - 1), ShellImageForFolder(false)) << "sub";
  EXPECT_EQ(drives.Perform(CBEM_GETIMAGELIST), reinterpret_cast<LRESULT>(SystemSmallImages()));
  const std::string after = InkColumns(drives.Handle(), line, textFrom - 2);
  EXPECT_EQ(after.substr(static_cast<size_t>(textFrom)), before.substr(static_cast<size_t>(textFrom)));
  EXPECT_NE(after.substr(0, static_cast<size_t>(textFrom)), before.substr(0, static_cast<size_t>(textFrom)))
      << "the picture is drawn";
  const std::vector<DriveEntry> now = ReadDrives();
  ASSERT_EQ(static_cast<size_t>(drives.Count()), now.size());
  for (int i = 0; i < drives.Count(); ++i) EXPECT_EQ(driveImage(i), now[static_cast<size_t>(i)].image) << now[static_cast<size_t>(i)].text;
  frm.reset();
  ::SetCurrentDirectoryW(saved);
}

// Right clicks on the real main window's lists: the line under the pointer
// is highlighted before the popup opens, so its command acts on that line.
class FilesPopupTest : public MainFormTest {
 protected:
  // Presses and releases the right button at a point of the list's client
  // area; the list's own handling opens the popup.
  static void RightClick(TCheckListBoxEx& list, POINT at) {
    const LPARAM lp = MAKELPARAM(at.x, at.y);
    list.Perform(WM_RBUTTONDOWN, MK_RBUTTON, lp);
    list.Perform(WM_RBUTTONUP, 0, lp);
  }
  static POINT LineCentre(TCheckListBoxEx& list, int index) {
    RECT r{};
    list.Perform(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
};

TEST_F(FilesPopupTest, RightClickHighlightsTheLineThePopupActsOn) {
  TfrmMain& f = Start();
  TFilesFrame& frame = f.Files;
  TempDir work;
  for (const char* d : {"alpha", "beta"}) ASSERT_TRUE(::CreateDirectoryW(Widen(work.File(d)).c_str(), nullptr));
  for (const char* n : {"a.txt", "b.txt"}) {
    UniqueKernelHandle h(::CreateFileW(Widen(work.File(n)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(h);
  }
  wchar_t saved[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  TCheckDirectoryListBoxEx& dirs = frame.DirectoryListBox1;
  TCheckFileListBoxEx& files = frame.ListBoxLocFiles;
  dirs.SetDirectory(work.Path());
  f.PageControl1.SetActivePage(&f.tsUtil);
  ASSERT_EQ(files.Count(), 2);

  // Each menu answers its delete command; the input boxes are cancelled.
  int shown = 0;
  frame.AdvPopupMenu2.Track = [&](HMENU, HWND, POINT) {
    ++shown;
    return frame.AdvPopupMenu2.CommandId("DeleteFile2");
  };
  frame.AdvPopupMenu1.Track = [&](HMENU, HWND, POINT) {
    ++shown;
    return frame.AdvPopupMenu1.CommandId("RemoveDir1");
  };
  auto inputsAsked = [&] { return prompter.Calls().size(); };

  files.SetItemIndex(0);
  prompter.AnswerInput(std::nullopt);
  RightClick(files, LineCentre(files, 1));
  EXPECT_EQ(files.ItemIndex(), 1);
  ASSERT_TRUE(PumpUntil([&] { return inputsAsked() == 1; }));
  EXPECT_EQ(prompter.Calls().back().initial, work.File("b.txt"));

  // Empty space below the lines: the highlight stays, the menu still opens.
  RECT client{};
  ::GetClientRect(files.Handle(), &client);
  const POINT below = LineCentre(files, 1);
  ASSERT_GT(client.bottom - below.y, 2 * TCheckListBoxEx::ItemHeight()) << "the list has room below its lines";
  files.SetItemIndex(0);
  prompter.AnswerInput(std::nullopt);
  RightClick(files, POINT{below.x, client.bottom - 4});
  EXPECT_EQ(files.ItemIndex(), 0);
  ASSERT_TRUE(PumpUntil([&] { return inputsAsked() == 2; }));
  EXPECT_EQ(prompter.Calls().back().initial, work.File("a.txt"));

  // The directory list, by a context-menu message at a line's screen point
  // with no button press before it.
  const int alpha = dirs.IndexOf("alpha");
  const int beta = dirs.IndexOf("beta");
  ASSERT_GE(alpha, 0);
  ASSERT_GE(beta, 0);
  dirs.SetItemIndex(alpha);
  POINT at = LineCentre(dirs, beta);
  ::ClientToScreen(dirs.Handle(), &at);
  prompter.AnswerInput(std::nullopt);
  dirs.Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dirs.Handle()), MAKELPARAM(at.x, at.y));
  EXPECT_EQ(dirs.ItemIndex(), beta);
  ASSERT_TRUE(PumpUntil([&] { return inputsAsked() == 3; }));
  EXPECT_EQ(prompter.Calls().back().initial, work.File("beta"));
  // And by the right button on the other line.
  prompter.AnswerInput(std::nullopt);
  RightClick(dirs, LineCentre(dirs, alpha));
  EXPECT_EQ(dirs.ItemIndex(), alpha);
  ASSERT_TRUE(PumpUntil([&] { return inputsAsked() == 4; }));
  EXPECT_EQ(prompter.Calls().back().initial, work.File("alpha"));
  EXPECT_EQ(shown, 4);
  EXPECT_TRUE(prompter.Messages().empty());
  frm.reset();
  ::SetCurrentDirectoryW(saved);
}

}  // namespace
}  // namespace nv
