// What another program leaves on the clipboard: the three forms the editor
// reads (its own format, RTF, Unicode text) come from one input split at
// the first two 0xFF 0x00 markers. Whatever they hold, the fragment built
// from them is a valid document, and pasting it into a document keeps that
// document valid.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "richview/clipboard.h"
#include "richview/edit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  std::string_view parts[3];
  for (int i = 0; i < 2; ++i) {
    const std::size_t cut = in.find(std::string_view("\xFF\x00", 2));
    if (cut == std::string_view::npos) break;
    parts[i] = in.substr(0, cut);
    in.remove_prefix(cut + 2);
  }
  parts[2] = in;
  nv::TRVClipboardData clip;
  clip.rvf = std::string(parts[0]);
  clip.rtf = std::string(parts[1]);
  clip.unicodeText.resize(parts[2].size() / 2);
  if (!clip.unicodeText.empty()) std::memcpy(clip.unicodeText.data(), parts[2].data(), clip.unicodeText.size() * 2);

  nv::TRVDocument fragment;
  if (!nv::ReadClipboardData(clip, fragment)) return 0;
  if (!nv::ValidateDocument(fragment).empty()) std::abort();

  nv::TRVDocument doc;
  nv::TRVEditCore core(doc);
  core.InsertText("before after");
  core.SetCaret({0, 0, 6});
  core.Paste(fragment);
  if (!nv::ValidateDocument(doc).empty()) std::abort();
  core.Undo();
  if (!nv::ValidateDocument(doc).empty()) std::abort();
  return 0;
}
