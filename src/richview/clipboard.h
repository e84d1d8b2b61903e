// What the editor puts on the clipboard, and how it takes it back.
//
// A copy offers three forms of the same selection: the engine's own
// (RichView Format bytes, exact), RTF (for word processors) and Unicode
// text (for everything else). A paste takes the richest form present; a
// clipboard without any text form (a screenshot, a picture copied in an
// image editor) gives its picture.
#pragma once

#include <string>
#include <string_view>

#include "richview/document.h"

namespace nv {

// The name the engine's own format is registered under.
inline constexpr const char* kRVFClipboardFormat = "RichView Format";

struct TRVClipboardData {
  std::string rvf;            // empty when absent
  std::string rtf;            // empty when absent
  std::u16string unicodeText; // without byte-order mark, CRLF line ends
  // Picture forms of other programs, each empty when absent.
  std::string png;    // the registered "PNG" form: a PNG file
  std::string dibV5;  // CF_DIBV5: a bare DIB with a version 5 header
  std::string dib;    // CF_DIB: a bare DIB
};

// The fragment of one paragraph holding one picture made of bytes of this
// kind (a bare DIB becomes a .bmp file), at the size its header gives.
// False when the header gives no size the document can hold.
bool PictureFragment(TRVPictureKind kind, std::string_view bytes, TRVDocument& fragment);

// All three forms of a fragment (a document made of the selection); the
// RTF form carries GIF and ICO pictures as PNG made by gifIcoToPng.
TRVClipboardData MakeClipboardData(const TRVDocument& fragment, const TRVPictureToPng& gifIcoToPng = {});

// Builds the fragment to paste from what the clipboard holds: RichView
// Format first, then RTF, then text (in the fragment's text style 0 and
// paragraph style 0), then a picture: PNG (it keeps transparency), the
// version 5 DIB, the plain DIB. False when nothing usable is there.
bool ReadClipboardData(const TRVClipboardData& data, TRVDocument& fragment);

}  // namespace nv
