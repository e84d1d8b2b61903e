// The file utilities of the "Utilities" tab: the drive box over the
// directory tree list, the file list beside them, and the two popup menus
// with the directory and file commands.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "files/win32/adv_popup_menu.h"
#include "files/win32/file_controls.h"
#include "ui/win32/containers.h"
#include "ui/win32/frame.h"

namespace nv {

class TFilesFrame : public TFrame {
 public:
  TPanel Panel4;
  TDriveComboBoxEx DriveComboBoxEx1;
  TCheckDirectoryListBoxEx DirectoryListBox1;
  TCheckFileListBoxEx ListBoxLocFiles;
  TAdvPopupMenu AdvPopupMenu1;  // directory commands
  TAdvPopupMenu AdvPopupMenu2;  // file commands

  // A click on a file names it as the program to launch; a double click
  // launches it (the window that holds the frame decides how).
  std::function<void(const std::string& path)> OnProgramChosen;
  std::function<void(const std::string& path)> OnProgramLaunch;

  // The folders no command deletes, moves or renames (with every folder
  // that holds one): this system's own, read when the frame is made.
  ProtectedFolders Protected;

  // Directory commands.
  void RemoveDir1Click();
  void MakeDir1Click();
  void DeleteSelectedDir1Click();
  void RenameDir1Click();
  void CopyDir1Click();
  void MoveDir1Click();
  // File commands.
  void DeleteFile2Click();
  void ReClick();
  void DeleteSelectedFiles1Click();
  void FileAge1Click();
  void MovClick();
  void CopyFile1Click();
  void OpenFile1Click();
  void LastAccess1Click();
  void ListBoxLocFilesClick();
  void ListBoxLocFilesDblClick();

  ~TFilesFrame() override;
  // The window is on screen: pictures left for later are read now, on a
  // thread of their own, and the lists take them when it ends.
  void WindowShown();

  // Gaps around and between the lists.
  static constexpr int kGap = 6;
  static constexpr int kDrivePanelHeight = 28;

 protected:
  void CreateComponents() override;
  void LayoutComponents() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  Prompter& Ask() const { return Host().FramePrompter(); }
  // A typed or listed name as the lists' directory sees it.
  std::string Resolve(const std::string& text) const;
  // True, after telling the user why, when path must be left alone.
  bool Refused(const std::string& path, PathAction action);
  // True, after telling the user, when no destination was typed (an empty
  // one would send the item to the drive's root).
  bool NoDestination(const std::string& text, const char* what, const char* done);
  // The selected file's bare name and full path (raising the list's index
  // error when none is highlighted).
  std::string SelectedName() const { return ListBoxLocFiles.Item(ListBoxLocFiles.ItemIndex()); }
  std::string SelectedPath() const { return ListBoxLocFiles.FullPath(ListBoxLocFiles.ItemIndex()); }
  std::string SelectedDir() const { return DirectoryListBox1.GetItemPath(DirectoryListBox1.ItemIndex()); }
};

}  // namespace nv
