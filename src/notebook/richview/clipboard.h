// What the editor puts on the clipboard, and how it takes it back.
//
// A copy offers three forms of the same selection: the engine's own
// (RichView Format bytes, exact), RTF (for word processors) and Unicode
// text (for everything else). A paste takes the richest form present.
#pragma once

#include <string>

#include "notebook/richview/document.h"

namespace nv {

// The name the engine's own format is registered under.
inline constexpr const char* kRVFClipboardFormat = "RichView Format";

struct TRVClipboardData {
  std::string rvf;            // empty when absent
  std::string rtf;            // empty when absent
  std::u16string unicodeText; // without byte-order mark, CRLF line ends
};

// All three forms of a fragment (a document made of the selection); the
// RTF form carries GIF and ICO pictures as PNG made by gifIcoToPng.
TRVClipboardData MakeClipboardData(const TRVDocument& fragment, const TRVPictureToPng& gifIcoToPng = {});

// Builds the fragment to paste from what the clipboard holds: RichView
// Format first, then RTF, then text (in the fragment's text style 0 and
// paragraph style 0). False when nothing usable is there.
bool ReadClipboardData(const TRVClipboardData& data, TRVDocument& fragment);

}  // namespace nv
