// The notebook's two file dialogs. The commands share them: each sets the
// title and filter it needs before showing one, and whatever a command does
// not set (initial directory, default extension, filter index, last name)
// stays as the previous command left it, as users of the old dialogs are
// used to.
#pragma once

#include <optional>

#include "ui/prompter.h"

namespace nv {

struct TNotebookDialogs {
  FileDialogRequest Open = [] {
    FileDialogRequest r;
    r.options = fdo::kHideReadOnly | fdo::kFileMustExist | fdo::kEnableSizing;
    return r;
  }();
  FileDialogRequest Save = [] {
    FileDialogRequest r;
    r.defaultExt = "eml";
    r.options = fdo::kOverwritePrompt | fdo::kHideReadOnly | fdo::kEnableSizing;
    return r;
  }();
};

// Shows the dialog and keeps the chosen name and filter index in it, as a
// dialog component does. Nothing on Cancel or an empty name.
std::optional<FileDialogResult> ShowOpenDialog(Prompter& prompter, FileDialogRequest& dialog);
std::optional<FileDialogResult> ShowSaveDialog(Prompter& prompter, FileDialogRequest& dialog);

}  // namespace nv
