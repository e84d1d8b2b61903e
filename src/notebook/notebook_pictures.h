// The notebook's picture and line commands.
#pragma once

#include "notebook/notebook_dialogs.h"
#include "richview/edit.h"
#include "ui/prompter.h"

namespace nv {

inline constexpr const char* kInsertImageTitle = "Inserting Image";
inline constexpr const char* kInsertImageFilter =
    "Graphics(*.bmp;*.wmf;*.emf;*.ico;*.jpg;*.gif)|*.bmp;*.wmf;*.emf;*.ico;*.jpg;*.gif|All(*.*)|*.*";

// Asks for a picture file and puts it into the document. A GIF (the
// extension in any case) is appended at the end of the document, continuing
// its last paragraph, outside the undo record, and only the new tail is laid
// out; a GIF that cannot be read raises its error (EPictureError, or the
// file layer's) and leaves the document as it was. Every other kind is
// inserted at the caret as one undo step; one that cannot be read shows
// "Cannot read picture from file <full path>".
void InsertImage1Click(TRVEditCore& editor, Prompter& prompter, TNotebookDialogs& dialogs);

// What the command does with the chosen file.
void InsertPictureFile(TRVEditCore& editor, Prompter& prompter, const std::string& name);
// A picture file dropped on the editor: whatever its kind (a GIF too), it
// goes in at the caret, which the drop has put at the drop point, as one
// undo step; one that cannot be read shows the same message.
void InsertDroppedPictureFile(TRVEditCore& editor, Prompter& prompter, const std::string& name);
// Whether a file name's extension is one of a picture kind.
bool IsPictureFileName(const std::string& name);

// A plain horizontal line at the caret, 1 pixel thick, in the text colour.
void LineBtnClick(TRVEditCore& editor);

}  // namespace nv
