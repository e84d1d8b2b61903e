// RTF reading and writing for rich-text documents.
//
// LoadRTF adds what an RTF file holds to a document the caller has just
// cleared: paragraphs, text, pictures, hyperlinks (HYPERLINK fields),
// checkpoints (bookmarks) and the background colour. Formatting becomes
// styles through the document's style lookup, so its sheet grows only by
// the combinations the file uses. It never throws on bad input and always
// leaves a valid document; it answers false only when the input is not RTF
// at all or is broken beyond reading on (groups nested deeper than
// kMaxRtfDepth, a \bin longer than what remains), keeping what it read.
//
// SaveRTF writes a whole document: font and colour tables built from the
// styles it uses, each text style as run formatting, each paragraph style
// as paragraph formatting, pictures as \pict (GIF and ICO pictures, which
// RTF has no form for, as PNG made by gifIcoToPng; only those it cannot
// render are left out), horizontal lines as empty paragraphs
// with a bottom border, hyperlinks as HYPERLINK fields, checkpoints as
// bookmarks, and the background colour. Reading what it writes gives the
// same document back for everything both sides support.
#pragma once

#include <string>
#include <string_view>

#include "richview/document.h"

namespace nv {

// Deepest nesting of groups the reader follows.
inline constexpr int kMaxRtfDepth = 1000;

bool LoadRTF(std::string_view bytes, TRVDocument& doc);
std::string SaveRTF(const TRVDocument& doc, const TRVPictureToPng& gifIcoToPng = {});

}  // namespace nv
