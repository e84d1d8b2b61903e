#include "files/win32/files_frame.h"

#include <shellapi.h>

#include <algorithm>

#include "files/dos_time.h"
#include "files/file_paths.h"
#include "files/win32/drive_prefetch.h"
#include "files/win32/file_ops.h"
#include "ui/icon_ids.h"
#include "ui/win32/icons.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

// The shell's pictures, read on another thread, are there.
constexpr UINT kPicturesRead = WM_APP + 1;

struct Command {
  const char* name;
  const char* caption;  // null for a separator
  void (TFilesFrame::*handler)();
};

constexpr Command kDirectoryCommands[] = {
    {"RemoveDir1", "Remove Dir", &TFilesFrame::RemoveDir1Click},
    {"MakeDir1", "Make Dir", &TFilesFrame::MakeDir1Click},
    {"DeleteSelectedDir1", "Delete Selected Dirs", &TFilesFrame::DeleteSelectedDir1Click},
    {"N1", nullptr, nullptr},
    {"RenameDir1", "Rename Dir", &TFilesFrame::RenameDir1Click},
    {"CopyDir1", "Copy Dir", &TFilesFrame::CopyDir1Click},
    {"MoveDir1", "Move Dir", &TFilesFrame::MoveDir1Click},
};

constexpr Command kFileCommands[] = {
    {"DeleteFile2", "Delete File", &TFilesFrame::DeleteFile2Click},
    {"Re", "Rename File", &TFilesFrame::ReClick},
    {"DeleteSelectedFiles1", "Delete Selected Files", &TFilesFrame::DeleteSelectedFiles1Click},
    {"N2", nullptr, nullptr},
    {"FileAge1", "File Age", &TFilesFrame::FileAge1Click},
    {"Mov", "Move File", &TFilesFrame::MovClick},
    {"CopyFile1", "Copy File", &TFilesFrame::CopyFile1Click},
    {"N3", nullptr, nullptr},
    {"OpenFile1", "Open File", &TFilesFrame::OpenFile1Click},
    {"LastAccess1", "Last Access?", &TFilesFrame::LastAccess1Click},
};

// Every command has its own picture; `pictures` lists them in menu order,
// separators left out.
template <size_t N, size_t P>
void FillMenu(TAdvPopupMenu& menu, const char* name, const Command (&commands)[N], const ui::IconId (&pictures)[P],
              TFilesFrame* frame) {
  menu.Name = name;
  size_t picture = 0;
  for (const Command& c : commands) {
    if (!c.caption) {
      menu.AddSeparator(c.name);
      continue;
    }
    std::function<UniqueHIcon()> icon;
    if (picture < P) icon = [id = pictures[picture++]] { return ui::LoadToolbarIcon(id, 16); };
    auto handler = c.handler;
    menu.Add(c.name, c.caption, [frame, handler] { (frame->*handler)(); }, std::move(icon));
  }
}

std::string CurrentDirectory() {
  DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return "C:\\";
  std::wstring w(n, L'\0');
  n = ::GetCurrentDirectoryW(n, w.data());
  w.resize(n);
  return Narrow(w);
}

// The shell deletes whole trees without asking; callers have refused roots
// and protected folders before, and an empty text never gets this far.
bool DeleteTree(const std::string& path) {
  if (path.empty()) return false;
  const std::string before = ReleaseCurrentDirectory(path);
  const bool ok = ShellDeleteDir(path);
  if (!ok && !before.empty()) ::SetCurrentDirectoryW(Widen(before).c_str());
  return ok;
}

}  // namespace

void TFilesFrame::CreateComponents() {
  // Told before the lines are filled, so that pictures that are pending
  // then always reach them.
  NotifyWhenPrefetched(Handle(), kPicturesRead);
  Panel4.Create(this, "Panel4");
  DriveComboBoxEx1.Create(&Panel4, "DriveComboBoxEx1");
  DirectoryListBox1.Create(this, "DirectoryListBox1");
  ListBoxLocFiles.Create(this, "ListBoxLocFiles");
  FillMenu(AdvPopupMenu1, "AdvPopupMenu1", kDirectoryCommands, ui::kDirMenuIcons, this);
  FillMenu(AdvPopupMenu2, "AdvPopupMenu2", kFileCommands, ui::kFileMenuIcons, this);

  DriveComboBoxEx1.DirList = &DirectoryListBox1;
  DirectoryListBox1.FileList = &ListBoxLocFiles;
  DirectoryListBox1.PopupMenu = &AdvPopupMenu1;
  ListBoxLocFiles.PopupMenu = &AdvPopupMenu2;
  DirectoryListBox1.OnChange = [this] {
    const std::string& d = DirectoryListBox1.Directory();
    if (!d.empty()) DriveComboBoxEx1.SetDrive(d[0]);
  };
  ListBoxLocFiles.OnClick = [this] { ListBoxLocFilesClick(); };
  ListBoxLocFiles.OnDblClick = [this] { ListBoxLocFilesDblClick(); };
  DirectoryListBox1.SetDirectory(CurrentDirectory());
  Protected = SystemProtectedFolders();
  LayoutComponents();
}

TFilesFrame::~TFilesFrame() { StopNotifying(Handle()); }

void TFilesFrame::WindowShown() {
  if (ShellPicturesPending()) PrefetchDrives();
}

LRESULT TFilesFrame::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kPicturesRead) return TFrame::HandleMessage(msg, wp, lp);
  DriveComboBoxEx1.Update();
  DirectoryListBox1.RefreshPictures();
  ListBoxLocFiles.RefreshPictures();
  return 0;
}

void TFilesFrame::LayoutComponents() {
  RECT r;
  ::GetClientRect(Handle(), &r);
  const int w = std::max<int>(100, r.right);
  const int h = std::max<int>(80, r.bottom);
  const int gap = ui::Scaled(kGap), drivePanel = ui::Scaled(kDrivePanelHeight);
  const int half = (w - gap) / 2;
  Panel4.SetBounds(0, 0, half, drivePanel);
  // The drive box is as wide as its panel.
  DriveComboBoxEx1.SetBounds(0, ui::Scaled(2), Panel4.Width(), ui::Scaled(300));
  DirectoryListBox1.SetBounds(0, drivePanel + ui::Scaled(4), half, h - drivePanel - ui::Scaled(4));
  ListBoxLocFiles.SetBounds(half + gap, 0, w - half - gap, h);
}

std::string TFilesFrame::Resolve(const std::string& text) const {
  return ResolveAgainst(DirectoryListBox1.Directory(), text);
}

bool TFilesFrame::Refused(const std::string& path, PathAction action) {
  const auto why = RefusalFor(path, Protected, action);
  if (why) Ask().ShowMessage(*why);
  return why.has_value();
}

bool TFilesFrame::NoDestination(const std::string& text, const char* what, const char* done) {
  if (text.find_first_not_of(' ') != std::string::npos) return false;
  Ask().ShowMessage(std::string("No destination was entered, so the ") + what + " was not " + done + ".");
  return true;
}

// --- directory commands ---------------------------------------------------------

void TFilesFrame::RemoveDir1Click() {
  const std::string path = SelectedDir();
  const auto text = Ask().InputBox("Removing directory...", "Are you sure to remove this directory?", path);
  if (!text) return;
  // The edited text is what goes, not necessarily the highlighted entry.
  const std::string target = Resolve(*text);
  if (Refused(target, PathAction::Delete)) return;
  if (DeleteTree(target)) DirectoryListBox1.Update();
}

void TFilesFrame::MakeDir1Click() {
  const auto text = Ask().InputBox("Making directory...", "Enter name of new directory:", "");
  if (!text) return;
  MakeDirectoryAt(Resolve(*text));
  DirectoryListBox1.Update();
}

void TFilesFrame::DeleteSelectedDir1Click() {
  std::vector<bool> ticked;
  std::vector<std::string> paths;
  for (int i = 0; i < DirectoryListBox1.Count(); ++i) {
    ticked.push_back(DirectoryListBox1.Checked(i));
    if (ticked.back()) paths.push_back(DirectoryListBox1.GetItemPath(i));
  }
  // One ticked root or protected folder stops the whole command before the
  // question: the user unticks it, nothing is half done.
  for (const std::string& p : paths)
    if (Refused(p, PathAction::Delete)) return;
  if (Ask().ShowBox(BoxOwner::MainWindow, DeletionQuestion("Are you sure to delete the directories?", paths),
                    "Question", mb::kYesNo | mb::kIconQuestion) != mb::kIdYes)
    return;
  // From the last entry up: a subdirectory listed below its parent goes
  // first, and one failure does not stop the others.
  for (int i : TickedFromLast(ticked)) DeleteTree(DirectoryListBox1.GetItemPath(i));
  DirectoryListBox1.Update();
}

void TFilesFrame::RenameDir1Click() {
  const std::string path = SelectedDir();
  if (Refused(path, PathAction::Rename)) return;
  const std::string parent = ParentWithBackslash(path);
  const auto text = Ask().InputBox("Renaming...", "Enter new name:", "");
  if (!text) return;
  if (!text->empty()) {
    const std::string before = ReleaseCurrentDirectory(path);
    if (!MoveFileAt(path, parent + *text) && !before.empty()) ::SetCurrentDirectoryW(Widen(before).c_str());
  }
  DirectoryListBox1.Update();
}

void TFilesFrame::CopyDir1Click() {
  const std::string path = SelectedDir();
  const auto text = Ask().InputBox("Copy to...", "Enter path to copy this directory to:", "");
  if (!text || NoDestination(*text, "directory", "copied")) return;
  if (ShellCopyDir(path, Resolve(*text))) Ask().ShowMessage("Directory copied.");
}

void TFilesFrame::MoveDir1Click() {
  const std::string path = SelectedDir();
  if (Refused(path, PathAction::Move)) return;
  const auto text = Ask().InputBox("Move to...", "Enter path to move this directory to:", "");
  if (!text || NoDestination(*text, "directory", "moved")) return;
  const std::string before = ReleaseCurrentDirectory(path);
  if (!ShellMoveDir(path, Resolve(*text))) {
    if (!before.empty()) ::SetCurrentDirectoryW(Widen(before).c_str());
    return;
  }
  DirectoryListBox1.Update();
  Ask().ShowMessage("Directory moved.");
}

// --- file commands -------------------------------------------------------------------

void TFilesFrame::DeleteFile2Click() {
  const std::string path = SelectedPath();
  const auto text = Ask().InputBox("Deleting...", "Are you sure to delete?", path);
  if (!text) return;
  const std::string target = Resolve(*text);
  if (Refused(target, PathAction::Delete)) return;
  DeleteFileAt(target);
  ListBoxLocFiles.Update();
}

void TFilesFrame::ReClick() {
  const std::string name = SelectedName();
  const std::string source = Resolve(name);
  if (Refused(source, PathAction::Rename)) return;
  const auto text = Ask().InputBox("Renaming...", "Enter new name:", "");
  if (!text) return;
  // Bare names are the listed directory's; a path moves the file there.
  MoveFileAt(source, Resolve(*text));
  ListBoxLocFiles.Update();
}

void TFilesFrame::DeleteSelectedFiles1Click() {
  std::vector<bool> ticked;
  std::vector<std::string> paths;
  for (int i = 0; i < ListBoxLocFiles.Count(); ++i) {
    ticked.push_back(ListBoxLocFiles.Checked(i));
    if (ticked.back()) paths.push_back(ListBoxLocFiles.FullPath(i));
  }
  if (Ask().ShowBox(BoxOwner::MainWindow, DeletionQuestion("Are you sure to delete the files?", paths), "Question",
                    mb::kYesNo | mb::kIconQuestion) != mb::kIdYes)
    return;
  for (int i : TickedFromLast(ticked)) DeleteFileAt(ListBoxLocFiles.FullPath(i));
  ListBoxLocFiles.Update();
}

void TFilesFrame::FileAge1Click() {
  const std::string name = SelectedName();
  const std::int64_t age = FileAge(Resolve(name));
  if (age <= -1) return;
  const auto t = DecodeDosDateTime(static_cast<std::uint32_t>(age));
  if (!t) return;
  Ask().ShowMessage(name + " last modified date = " + ShortDateText(*t));
}

void TFilesFrame::MovClick() {
  const std::string source = SelectedPath();
  const std::string name = SelectedName();
  if (Refused(source, PathAction::Move)) return;
  const auto text = Ask().InputBox("Moving to...", "Enter path to move this file to:", "");
  if (!text || NoDestination(*text, "file", "moved")) return;
  MoveFileAt(source, Resolve(FileTargetPath(*text, name)));
  ListBoxLocFiles.Update();
}

void TFilesFrame::CopyFile1Click() {
  const std::string source = SelectedPath();
  const std::string name = SelectedName();
  const auto text = Ask().InputBox("Copying to...", "Enter path to copy this file to:", "");
  if (!text || NoDestination(*text, "file", "copied")) return;
  // Never over an existing file.
  if (CopyFileAt(source, Resolve(FileTargetPath(*text, name)))) Ask().ShowMessage("File copied.");
}

void TFilesFrame::OpenFile1Click() {
  // The shell takes plain paths only; a name it would read as another item
  // (one ending in a dot or a space) goes by its short name, or not at all.
  const std::string path = PlainPathFor(SelectedPath());
  if (path.empty()) return;
  ::ShellExecuteW(Host().HostHandle(), L"open", Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TFilesFrame::LastAccess1Click() {
  const std::string path = SelectedPath();
  const auto t = GetFileLastAccess(path);
  if (!t) {
    if (!PathExists(path)) Ask().ShowMessage("File not found: " + path);
    return;
  }
  Ask().ShowMessage("File was last accessed: " + ShortDateText(*t));
}

void TFilesFrame::ListBoxLocFilesClick() {
  const std::string path = SelectedPath();
  if (OnProgramChosen) OnProgramChosen(path);
}

void TFilesFrame::ListBoxLocFilesDblClick() {
  const std::string path = SelectedPath();
  if (OnProgramLaunch) OnProgramLaunch(path);
}

}  // namespace nv
