// The RichView Format: the engine's own file and clipboard format.
//
// A versioned binary layout that holds a whole document: the style sheet
// (every TFontInfo and TParaInfo field), the background colour, and the
// paragraphs with their items (text with hyperlink targets, pictures with
// their original bytes, horizontal lines, checkpoints). docs/richview-format.md
// describes the layout byte by byte. Every record carries its kind and its
// length, so a reader skips what a newer writer added and still reads the
// rest. The clipboard's own format is the bytes SaveRVF gives for the copied
// fragment.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "richview/document.h"

namespace nv {

// Warning flags left by LoadRVF.
inline constexpr unsigned rvfwUnknownPicFmt = 1;      // a picture of a kind not known here: dropped
inline constexpr unsigned rvfwUnknownCtrlClass = 2;   // an item of a kind not known here: skipped
inline constexpr unsigned rvfwInvalidStyle = 4;       // a style number not in the sheet: style 0 used
inline constexpr unsigned rvfwInvalidImageIndex = 8;  // a bullet from an image list: none exist, skipped

// The version this code writes. A file with another major version is not
// read; minor versions only add what older readers may skip.
inline constexpr std::uint16_t kRVFVersionMajor = 1;
inline constexpr std::uint16_t kRVFVersionMinor = 0;

// The whole document, style sheet and background colour included.
std::string SaveRVF(const TRVDocument& doc);

// Replaces doc's style sheet, colour and paragraphs with the file's and sets
// `warnings` (rvfw* bits; 0 when everything was understood). Answers false
// for a file that is not RichView Format, of an unknown major version, cut
// off or damaged. Whatever the input, doc is valid afterwards
// (ValidateDocument): after a failure it holds the paragraphs read whole
// before the damage when the style sheet could be read, else it is left as
// it was. Values out of the model's ranges are brought into them.
bool LoadRVF(std::string_view bytes, TRVDocument& doc, unsigned& warnings);

// The same on files with UTF-8 paths. Saving replaces the file only once
// the new one is written completely; false on any I/O failure.
bool SaveRVFToFile(const TRVDocument& doc, const std::string& path);
bool LoadRVFFromFile(const std::string& path, TRVDocument& doc, unsigned& warnings);

}  // namespace nv
