#include "richview/clipboard.h"

#include "richview/rtf.h"
#include "richview/rtf_picture.h"
#include "richview/rvf.h"
#include "richview/text_format.h"

namespace nv {

namespace {

// UTF-16 little-endian bytes (as the text writer gives them) to characters,
// without the byte-order mark.
std::u16string FromUtf16Bytes(const std::string& bytes) {
  std::u16string s;
  size_t i = 0;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
    i = 2;
  for (; i + 1 < bytes.size(); i += 2)
    s += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  return s;
}

std::string ToUtf16Bytes(const std::u16string& s) {
  std::string bytes;
  bytes.reserve(2 + s.size() * 2);
  bytes += '\xFF';
  bytes += '\xFE';
  for (char16_t c : s) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

}  // namespace

TRVClipboardData MakeClipboardData(const TRVDocument& fragment, const TRVPictureToPng& gifIcoToPng) {
  TRVClipboardData d;
  d.rvf = SaveRVF(fragment);
  d.rtf = SaveRTF(fragment, gifIcoToPng);
  // Line width only shapes horizontal lines; text is never wrapped.
  d.unicodeText = FromUtf16Bytes(SaveText(fragment, 80, TextEncoding::Utf16, AnsiCodec()));
  return d;
}

bool ReadClipboardData(const TRVClipboardData& data, TRVDocument& fragment) {
  if (!data.rvf.empty()) {
    TRVDocument doc;
    unsigned warnings = 0;
    if (LoadRVF(data.rvf, doc, warnings)) {
      fragment = std::move(doc);
      return true;
    }
  }
  if (!data.rtf.empty()) {
    TRVDocument doc;
    if (LoadRTF(data.rtf, doc) && !doc.Paragraphs.empty()) {
      fragment = std::move(doc);
      return true;
    }
  }
  if (!data.unicodeText.empty()) {
    TRVDocument doc;
    if (LoadText(ToUtf16Bytes(data.unicodeText), doc, 0, 0, false, TextEncoding::Utf16, AnsiCodec())) {
      fragment = std::move(doc);
      return true;
    }
  }
  if (!data.png.empty() && PictureFragment(TRVPictureKind::Png, data.png, fragment)) return true;
  for (const std::string* dib : {&data.dibV5, &data.dib}) {
    if (dib->empty()) continue;
    const std::vector<std::uint8_t> bmp =
        DibToBmpFile({reinterpret_cast<const std::uint8_t*>(dib->data()), dib->size()});
    if (PictureFragment(TRVPictureKind::Bmp, {reinterpret_cast<const char*>(bmp.data()), bmp.size()}, fragment))
      return true;
  }
  return false;
}

bool PictureFragment(TRVPictureKind kind, std::string_view bytes, TRVDocument& fragment) {
  const std::span<const std::uint8_t> span{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
  const std::optional<std::pair<int, int>> size = PictureHeaderSize(kind, span);
  if (!size || size->first > kMaxPictureSize || size->second > kMaxPictureSize) return false;
  TRVPictureItemInfo pic;
  pic.Kind = kind;
  pic.Data = SharedBytes(span.data(), span.size());
  pic.Width = size->first;
  pic.Height = size->second;
  TRVDocument doc;
  doc.AddParagraph(0).AddItem(TRVItem(std::move(pic)));
  fragment = std::move(doc);
  return true;
}

}  // namespace nv
