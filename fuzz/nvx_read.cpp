// Encrypted notebook reading: whatever the bytes, the header reader and the
// opening answer cleanly, and nothing but a sealed file opens. The input is
// also sealed and opened again as a document, so the way from the opened
// text into the editor's document is driven with arbitrary content.
//
// The seeds are sealed with the password "fuzz" at the smallest costs; the
// derivation runs only for headers asking for little memory and few passes,
// since the costs in range may otherwise take seconds per input.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "notebook/nvx.h"
#include "richview/rvf.h"

namespace {

const nv::NvxKey& FixedKey() {
  static const std::shared_ptr<const nv::NvxKey> key =
      nv::DeriveNvxKey("fuzz", {8, 1, 1}, std::array<std::uint8_t, nv::kNvxSaltSize>{});
  if (!key) std::abort();
  return *key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<nv::NvxHeader> header = nv::ParseNvxHeader(bytes);
  if (header) {
    if (!nv::NvxParamsInRange(header->params)) std::abort();
    // What was read writes back to the same bytes.
    if (nv::WriteNvxHeader(*header) != bytes.substr(0, nv::kNvxHeaderSize)) std::abort();
    if (header->params.memoryKiB <= 256 && header->params.passes <= 2) {
      nv::TRVDocument doc;
      unsigned warnings = 0;
      if (nv::LoadNvx(bytes, "fuzz", doc, warnings) && !nv::ValidateDocument(doc).empty()) std::abort();
    }
  }
  nv::OpenNvxWithKey(bytes, FixedKey());

  // Sealed under the key, the input comes back exactly; read as a document,
  // it gives a valid one or leaves the document alone.
  const std::optional<std::string> sealed = nv::SealNvx(bytes, FixedKey());
  if (!sealed) std::abort();
  std::optional<std::string> plain = nv::OpenNvxWithKey(*sealed, FixedKey());
  if (!plain || *plain != bytes) std::abort();
  nv::TRVDocument doc;
  const nv::TRVDocument before = doc;
  unsigned warnings = 0;
  if (nv::LoadNvxPlain(*plain, doc, warnings)) {
    if (!nv::ValidateDocument(doc).empty()) std::abort();
  } else if (!(doc == before)) {
    std::abort();
  }
  return 0;
}
