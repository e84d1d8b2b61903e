// Helpers shared by the RTF tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "richview/document.h"
#include "richview/rtf.h"

namespace nv::rtftest {

// Reads rtf into a fresh document, expecting the reader's answer `ok` and a
// valid document whatever it answered.
inline TRVDocument Read(std::string_view rtf, bool ok = true) {
  TRVDocument doc;
  EXPECT_EQ(LoadRTF(rtf, doc), ok) << rtf.substr(0, 200);
  EXPECT_EQ(ValidateDocument(doc), "");
  return doc;
}

// The document's text, paragraphs separated by '|', pictures as '#', lines
// as '-'.
inline std::string Text(const TRVDocument& doc) {
  std::string s;
  for (std::size_t p = 0; p < doc.Paragraphs.size(); ++p) {
    if (p) s += '|';
    for (const TRVItem& item : doc.Paragraphs[p].Items()) {
      if (const TRVTextItemInfo* t = item.AsText()) s += t->Text;
      else if (item.AsPicture()) s += '#';
      else s += '-';
    }
  }
  return s;
}

inline const TRVTextItemInfo& TextItem(const TRVDocument& doc, int para, int item) {
  const TRVTextItemInfo* t = doc.Item(para, item).AsText();
  EXPECT_NE(t, nullptr);
  static const TRVTextItemInfo kNone;
  return t ? *t : kNone;
}

inline const TFontInfo& StyleOf(const TRVDocument& doc, int para, int item) {
  return doc.Style.TextStyle(TextItem(doc, para, item).StyleNo);
}

// The text style of the item holding character c of paragraph 0.
inline const TFontInfo& StyleOfChar(const TRVDocument& doc, char c) {
  for (int i = 0; i < doc.Paragraph(0).ItemCount(); ++i)
    if (TextItem(doc, 0, i).Text.find(c) != std::string::npos) return StyleOf(doc, 0, i);
  ADD_FAILURE() << c;
  return doc.Style.TextStyle(0);
}

inline const TParaInfo& ParaOf(const TRVDocument& doc, int para) {
  return doc.Style.ParaStyle(doc.Paragraph(para).ParaNo());
}

inline std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string s;
  for (std::uint8_t b : bytes) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

// A tiny but well-formed PNG header (signature and IHDR) of the given size;
// the reader and writer only look at the header.
inline std::vector<std::uint8_t> PngBytes(std::uint32_t w, std::uint32_t h, std::uint8_t salt = 0) {
  std::vector<std::uint8_t> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (std::uint32_t v : {w, h})
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
  for (std::uint8_t x : {8, 6, 0, 0, 0, 1, 2, 3, 4}) b.push_back(x);
  b.push_back(salt);
  return b;
}

// A 2x1 24-bit DIB (info header and bits) and the .bmp file it makes.
inline std::vector<std::uint8_t> DibBytes() {
  std::vector<std::uint8_t> b(40, 0);
  b[0] = 40;
  b[4] = 2;   // width
  b[8] = 1;   // height
  b[12] = 1;  // planes
  b[14] = 24; // bits per pixel
  for (std::uint8_t x : {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00}) b.push_back(x);
  return b;
}
inline std::vector<std::uint8_t> BmpOfDib(const std::vector<std::uint8_t>& dib) {
  const auto total = static_cast<std::uint32_t>(14 + dib.size());
  std::vector<std::uint8_t> b = {'B', 'M'};
  for (std::uint32_t v : {total, 0u, 14u + 40u})
    for (int s = 0; s < 32; s += 8) b.push_back(static_cast<std::uint8_t>(v >> s));
  b.insert(b.end(), dib.begin(), dib.end());
  return b;
}

}  // namespace nv::rtftest
