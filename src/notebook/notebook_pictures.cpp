#include "notebook/notebook_pictures.h"

#include <cctype>
#include <string>
#include <vector>

#include "notebook/pictures/picture_check.h"
#include "ui/paths.h"

namespace nv {

namespace {

// The name's extension with its dot, in lower case; empty when it has none.
std::string LowerExtension(const std::string& name) {
  const std::size_t slash = name.find_last_of("\\/");
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = name.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

TRVPictureItemInfo MakePicture(TRVPictureKind kind, const std::string& bytes) {
  TRVPictureItemInfo pic;
  pic.Kind = kind;
  pic.Data = SharedBytes(bytes.data(), bytes.size());
  const auto [w, h] = CheckPicture(kind, pic.Data.span());
  pic.Width = w;
  pic.Height = h;
  pic.VAlign = static_cast<TRVVAlign>(0);
  return pic;
}

}  // namespace

void InsertImage1Click(TRVEditCore& editor, Prompter& prompter, TNotebookDialogs& dialogs) {
  dialogs.Open.title = kInsertImageTitle;
  dialogs.Open.filter = kInsertImageFilter;
  const auto chosen = ShowOpenDialog(prompter, dialogs.Open);
  if (!chosen) return;
  InsertPictureFile(editor, prompter, chosen->fileName);
}

bool IsPictureFileName(const std::string& name) {
  return PictureKindFromExtension(LowerExtension(name)).has_value();
}

namespace {

void InsertAtCaret(TRVEditCore& editor, Prompter& prompter, const std::string& name, const std::string& ext) {
  std::optional<TRVPictureItemInfo> pic;
  if (const auto kind = PictureKindFromExtension(ext)) {
    try {
      pic = MakePicture(*kind, ReadWholeFile(name));
    } catch (const Exception&) {
      pic.reset();
    }
  }
  if (!pic) {
    prompter.ShowBox(BoxOwner::Application, "Cannot read picture from file " + name, "Error",
                     mb::kOk | mb::kIconStop);
    return;
  }
  editor.InsertPicture(std::move(*pic));
}

}  // namespace

void InsertPictureFile(TRVEditCore& editor, Prompter& prompter, const std::string& name) {
  const std::string ext = LowerExtension(name);
  if (ext == ".gif") {
    // Errors here are the caller's to show; nothing has changed yet.
    TRVPictureItemInfo pic = MakePicture(TRVPictureKind::Gif, ReadWholeFile(name));
    if (editor.AppendPicture(std::move(pic), -1)) editor.FormatTail();
    return;
  }
  InsertAtCaret(editor, prompter, name, ext);
}

void InsertDroppedPictureFile(TRVEditCore& editor, Prompter& prompter, const std::string& name) {
  // The user put it where the mouse let go: the end of the document, where
  // the menu command appends a GIF, would be somewhere else.
  InsertAtCaret(editor, prompter, name, LowerExtension(name));
}

void LineBtnClick(TRVEditCore& editor) { editor.InsertBreak(1, TRVBreakStyle::Line, clNone); }

}  // namespace nv
