// The editor's side of dragging a selection out: the data it offers and
// the source that tells OLE when the drag ends.
//
// Both are plain COM objects handed to DoDragDrop. The data is fixed when
// the drag starts (a copy of the selection in every form at once), so
// whatever the target asks for, and whenever, it gets the same selection.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "richview/clipboard.h"
#include "ui/win32/com_object.h"

namespace nv {

// A data object offering the forms: the engine's own (when present),
// "Rich Text Format" (when present, NUL-terminated), CF_UNICODETEXT and
// CF_TEXT (in the ANSI code page), each NUL-terminated, all as global
// memory. The caller owns the one reference it comes with.
IDataObject* MakeDragDataObject(const TRVClipboardData& forms);

// A drop source for a drag with the left button: Esc cancels, letting go
// of the button drops; the system's cursors show the effect. The caller
// owns the one reference it comes with.
IDropSource* MakeDropSource();

}  // namespace nv
