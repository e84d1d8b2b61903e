// RTF reading: whatever the bytes, the reader leaves a valid document, and
// what it read can be written and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "richview/document.h"
#include "richview/rtf.h"

namespace {

// Text, pictures ('#') and lines ('-') of a document, paragraphs ended by '|'.
std::string Content(const nv::TRVDocument& doc) {
  std::string s;
  for (const nv::TRVParagraph& p : doc.Paragraphs) {
    for (const nv::TRVItem& item : p.Items()) {
      if (const nv::TRVTextItemInfo* t = item.AsText()) s += t->Text;
      else s += item.AsPicture() ? '#' : '-';
    }
    s += '|';
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  nv::TRVDocument doc;
  nv::LoadRTF(bytes, doc);
  if (!nv::ValidateDocument(doc).empty()) std::abort();

  const std::string rtf = nv::SaveRTF(doc);
  nv::TRVDocument again;
  if (!nv::LoadRTF(rtf, again)) std::abort();
  if (!nv::ValidateDocument(again).empty()) std::abort();
  // Everything the reader can make, the writer keeps.
  if (Content(again) != Content(doc) || again.Checkpoints() != doc.Checkpoints()) std::abort();
  return 0;
}
