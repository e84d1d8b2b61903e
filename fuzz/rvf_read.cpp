// RichView Format reading: whatever the bytes, the reader leaves a valid
// document and sets only the defined warning flags, and what it read
// survives a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "richview/rvf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  nv::TRVDocument doc;
  unsigned warnings = 0;
  nv::LoadRVF(bytes, doc, warnings);
  if (!nv::ValidateDocument(doc).empty()) std::abort();
  if (warnings & ~15u) std::abort();

  nv::TRVDocument again;
  unsigned againWarnings = 0;
  if (!nv::LoadRVF(nv::SaveRVF(doc), again, againWarnings)) std::abort();
  if (againWarnings != 0 || !(again == doc)) std::abort();
  return 0;
}
