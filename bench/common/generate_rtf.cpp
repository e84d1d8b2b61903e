#include "common/generate_rtf.h"

#include <cstdint>
#include <random>
#include <vector>

namespace nv::bench {

namespace {

const char* const kWords[] = {
    "privacy", "notebook", "window", "hidden", "tab", "capture", "the", "of", "and", "a",
    "document", "paragraph", "style", "quickly", "returns", "when", "hotkey", "desk", "text",
    "caf\\'e9", "na\\'efve", "\\u1046?\\u1091?\\u1082?", "report", "figures", "quarter"};

// Words in the code pages of the East Asian fonts below: Shift-JIS (932),
// GBK (936), Unified Hangul (949) and Big5 (950), as \'hh pairs.
const char* const kJapanese[] = {
    "\\'93\\'fa\\'96\\'7b\\'8c\\'ea", "\\'82\\'b1\\'82\\'f1\\'82\\'c9\\'82\\'bf\\'82\\'cd",
    "\\'83\\'65\\'83\\'58\\'83\\'67", "\\'8a\\'bf\\'8e\\'9a", "\\'95\\'5c\\'8e\\'a6",
    "\\'83\\'5c\\'83\\'74\\'83\\'67", "\\'81\\'42", "\\'8f\\'88\\'97\\'9d"};
const char* const kChinese[] = {"\\'d6\\'d0\\'ce\\'c4", "\\'b2\\'e2\\'ca\\'d4",
                                "\\'ce\\'c4\\'bc\\'fe", "\\'b1\\'a8\\'b8\\'e6", "\\'a1\\'a3"};
const char* const kKorean[] = {"\\'c7\\'d1\\'b1\\'b9\\'be\\'ee", "\\'b9\\'ae\\'bc\\'ad",
                               "\\'c5\\'d7\\'bd\\'ba\\'c6\\'ae"};
const char* const kTraditional[] = {"\\'a4\\'a4\\'a4\\'e5", "\\'b4\\'fa\\'b8\\'d5",
                                    "\\'a4\\'e5\\'a5\\'f3"};

template <std::size_t N>
const char* Pick(std::mt19937& rng, const char* const (&words)[N]) {
  return words[rng() % N];
}

void Picture(std::string& out, std::mt19937& rng, bool png, std::size_t bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::vector<std::uint8_t> data;
  if (png) data = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 1, 0, 0, 0, 0, 200};
  else data = {0xFF, 0xD8, 0xFF, 0xE0};
  while (data.size() < bytes) data.push_back(static_cast<std::uint8_t>(rng()));
  out += png ? "{\\pict\\pngblip\\picw256\\pich200\\picwgoal3840\\pichgoal3000\r\n"
             : "{\\pict\\jpegblip\\picw320\\pich240\\picwgoal4800\\pichgoal3600\r\n";
  for (std::size_t i = 0; i < data.size(); ++i) {
    out += kHex[data[i] >> 4];
    out += kHex[data[i] & 15];
    if (i % 64 == 63) out += "\r\n";
  }
  out += "}";
}

}  // namespace

std::string GenerateRtf(std::size_t targetBytes, RtfScript script) {
  const bool eastAsian = script == RtfScript::EastAsian;
  std::mt19937 rng(20240601);
  std::string out;
  out.reserve(targetBytes + 4096);
  out += eastAsian ? "{\\rtf1\\ansi\\ansicpg932\\deff0\\uc2" : "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1";
  out += "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
         "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern\\fcharset0 Courier New;}"
         "{\\f3\\fswiss\\fcharset0 Verdana;}{\\f4\\fswiss\\fcharset204 Tahoma;}";
  if (eastAsian)
    out += "{\\f5\\froman\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}"
           "{\\f6\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f7\\froman\\fcharset129 Batang;}"
           "{\\f8\\fmodern\\fcharset136 MingLiU;}";
  out += "}\r\n"
         "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green128\\blue0;"
         "\\red0\\green0\\blue255;\\red128\\green0\\blue128;\\red255\\green255\\blue0;}\r\n"
         "{\\*\\generator bench;}\r\n";
  const char* const aligns[] = {"", "\\qc", "\\qr", "\\qj"};
  const std::size_t pictureEvery = targetBytes / 5;  // four pictures of ~150 KB
  std::size_t nextPicture = pictureEvery;
  int pictures = 0;
  while (out.size() < targetBytes) {
    out += "\\pard";
    out += aligns[rng() % 4];
    out += "\\sa120";
    if (rng() % 4 == 0) out += "\\li360\\fi-180";
    out += ' ';
    const int runs = 2 + static_cast<int>(rng() % 6);
    for (int r = 0; r < runs; ++r) {
      // Half the runs of an East Asian document are in its East Asian fonts.
      const unsigned font = eastAsian && rng() % 2 == 0 ? 5 + rng() % 4 : rng() % 5;
      out += "{\\f" + std::to_string(font) + "\\fs" + std::to_string(18 + 2 * (rng() % 6));
      if (rng() % 3 == 0) out += "\\b";
      if (rng() % 4 == 0) out += "\\i";
      if (rng() % 8 == 0) out += "\\ul";
      if (rng() % 3 == 0) out += "\\cf" + std::to_string(1 + rng() % 5);
      if (rng() % 16 == 0) out += "\\highlight6";
      out += ' ';
      const int words = 3 + static_cast<int>(rng() % 12);
      for (int w = 0; w < words; ++w) {
        switch (font) {
          case 5: out += Pick(rng, kJapanese); break;
          case 6: out += Pick(rng, kChinese); break;
          case 7: out += Pick(rng, kKorean); break;
          case 8: out += Pick(rng, kTraditional); break;
          default: out += Pick(rng, kWords); break;
        }
        out += ' ';
      }
      out += '}';
    }
    if (out.size() >= nextPicture && pictures < 4) {
      Picture(out, rng, pictures % 2 == 0, 150 * 1024);
      nextPicture += pictureEvery;
      ++pictures;
    }
    out += "\\par\r\n";
  }
  out += "}";
  return out;
}

}  // namespace nv::bench
