#include "notebook/notebook_dialogs.h"

namespace nv {

namespace {

std::optional<FileDialogResult> Keep(std::optional<FileDialogResult> r, FileDialogRequest& dialog) {
  if (!r || r->fileName.empty()) return std::nullopt;
  dialog.fileName = r->fileName;
  dialog.filterIndex = r->filterIndex;
  return r;
}

}  // namespace

std::optional<FileDialogResult> ShowOpenDialog(Prompter& prompter, FileDialogRequest& dialog) {
  return Keep(prompter.OpenDialog(dialog), dialog);
}

std::optional<FileDialogResult> ShowSaveDialog(Prompter& prompter, FileDialogRequest& dialog) {
  return Keep(prompter.SaveDialog(dialog), dialog);
}

}  // namespace nv
