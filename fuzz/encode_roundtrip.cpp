// Encoding then decoding gives the bytes back for every method and line
// setting, and the text keeps its layout: Base64 in lines of exactly the
// effective length (the last may be shorter) of letters only, no
// quoted-printable or UU line longer than allowed. The vector and scalar
// Base64 passes write the same text.
//
// Input: one byte for the method, four for CharsPerLine, then the data.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "codec/base64.h"
#include "codec/clencoder.h"
#include "codec/streams.h"

namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (;;) {
    const std::size_t p = text.find("\r\n");
    lines.push_back(text.substr(0, p));
    if (p == std::string_view::npos) return lines;
    text.remove_prefix(p + 2);
  }
}

void CheckBase64(std::string_view text, std::int64_t length) {
  const auto lines = Lines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto len = static_cast<std::int64_t>(lines[i].size());
    const bool last = i + 1 == lines.size();
    if (last ? (len == 0 || len > length || len % 4 != 0) : len != length) std::abort();
    const std::string_view body = last ? lines[i].substr(0, lines[i].find('=')) : lines[i];
    if (body.size() + 2 < lines[i].size()) std::abort();  // at most two "="
    for (char c : body)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '/') std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const nv::TclEncodeMethod method = data[0] % 5;
  std::int32_t chars = 0;
  std::memcpy(&chars, data + 1, 4);
  // Keep Base64 lines within what a small input can fill now and then.
  if (method == nv::encBase64 && chars > 400) chars = 76 + chars % 300;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 5), size - 5);

  nv::TclEncoder enc;
  enc.CharsPerLine = chars;
  nv::TMemoryStream plain(bytes), text, back;
  enc.Encode(plain, text, method);
  text.SetPosition(0);
  enc.Decode(text, back, method);
  if (back.View() != bytes) std::abort();
  if (bytes.empty()) {
    if (text.Size() != 0) std::abort();
    return 0;
  }

  const std::int64_t length = nv::TclEncoder::EffectiveLineLength(chars, method);
  const std::string_view out = text.View();
  if (method == nv::encBase64) {
    CheckBase64(out, length);
    const auto perLine = static_cast<std::size_t>(length * 3 / 4);
    for (bool simd : {false, true}) {
      std::vector<std::uint8_t> buf(out.size());
      std::memcpy(buf.data() + buf.size() - bytes.size(), bytes.data(), bytes.size());
      nv::base64::EncodeInPlace(buf.data(), bytes.size(), perLine, simd);
      if (std::string_view(reinterpret_cast<const char*>(buf.data()), buf.size()) != out) std::abort();
    }
  } else if (method == nv::encQuotedPrintable) {
    for (auto line : Lines(out))
      if (static_cast<std::int64_t>(line.size()) > length) std::abort();
  } else if (method == nv::encUU) {
    for (auto line : Lines(out))
      if (static_cast<std::int64_t>(line.size()) > length + 1) std::abort();
  }
  return 0;
}
