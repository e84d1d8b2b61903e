// The three linked controls of the file utilities: the drive box, the
// directory tree list and the file list, each line with a check box.
//
// Links: choosing a drive opens that drive's current directory in the
// directory list; whenever the directory list opens a directory (double
// click, Enter, drive change, Update), the file list takes it over, makes it
// the process's current directory and lists its files.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "files/file_paths.h"
#include "files/win32/check_list_box.h"
#include "ui/win32/control.h"
#include "ui/win32/unique_handle.h"

namespace nv {

class TCheckDirectoryListBoxEx;

// The file names of one directory (bare names, with the shell's picture of
// their type).
class TCheckFileListBoxEx : public TCheckListBoxEx {
 public:
  const std::string& Directory() const { return directory_; }
  // Takes a directory over: it becomes the current directory, and its
  // files are read when it differs from the one shown.
  void SetDirectory(const std::string& dir);
  // Re-reads the names; the highlighted name stays highlighted when it is
  // still there.
  void Update();
  // The full path of line i: the directory, one backslash, the name.
  std::string FullPath(int index) const { return JoinPath(directory_, Item(index)); }

 protected:
  int Picture(int index) const override;

 private:
  std::string directory_;
};

// Line 0 the root, then the path down to the open directory, then its
// subdirectories, indented, each with a folder picture and a check box. A
// click highlights; a double click or Enter opens the line.
class TCheckDirectoryListBoxEx : public TCheckListBoxEx {
 public:
  TCheckFileListBoxEx* FileList = nullptr;
  // Runs after a directory was opened (the drive box follows it).
  std::function<void()> OnChange;

  // The open directory: a full path, with no backslash at its end except a
  // root's ("C:\").
  const std::string& Directory() const { return directory_; }
  // Opens a directory; when it is gone, its nearest existing parent.
  void SetDirectory(const std::string& dir);
  // Re-reads the tree for the open directory and passes it on to the file
  // list.
  void Update();
  // The full path of line i; raises "List index out of bounds (%d)" for
  // an index outside the lines.
  std::string GetItemPath(int index) const;
  // Opens the highlighted line.
  void OpenCurrent();

 protected:
  void EnterPressed() override { OpenCurrent(); }
  void DoubleClicked() override;
  int Picture(int index) const override;

 private:
  std::string directory_;
  std::vector<DirEntry> entries_;
};

// The drives, each with its shell picture and volume label.
class TDriveComboBoxEx : public TControl {
 public:
  void Create(TControl* parent, const std::string& name);
  TCheckDirectoryListBoxEx* DirList = nullptr;

  // Re-reads the drives.
  void Update();
  int Count() const;
  std::string Item(int index) const;
  // The drive letter shown (upper case), 0 when none.
  char Drive() const;
  // Shows a drive without opening it.
  void SetDrive(char letter);
  // Chooses a drive as the user does: its current directory opens in the
  // directory list. A drive that cannot be read raises an error and the box
  // goes back to the directory list's drive.
  void ChooseDrive(char letter);

 protected:
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::vector<char> letters_;
  bool hasPictures_ = false;
  UniqueImageList blank_;  // holds the pictures' place until they come
};

}  // namespace nv
