// Text reading in each encoding, as lines and as one paragraph: the
// document is valid, the Unicode test agrees with itself on the file's head,
// and the text written from what was read reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "richview/text_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (nv::IsUnicodeText(bytes) != nv::IsUnicodeText(bytes.substr(0, nv::kUnicodeTestBytes), size)) std::abort();

  const nv::AnsiCodec ansi;
  for (nv::TextEncoding enc : {nv::TextEncoding::Ansi, nv::TextEncoding::Utf16, nv::TextEncoding::Utf8}) {
    for (bool single : {false, true}) {
      nv::TRVDocument doc;
      if (!nv::LoadText(bytes, doc, 3, 1, single, enc, ansi)) std::abort();
      if (!nv::ValidateDocument(doc).empty()) std::abort();

      const std::string text = nv::SaveText(doc, 80, enc, ansi);
      nv::TRVDocument back;
      if (!nv::LoadText(text, back, 0, 0, false, enc, ansi)) std::abort();
      if (nv::SaveText(back, 80, enc, ansi) != text) std::abort();
    }
  }
  return 0;
}
