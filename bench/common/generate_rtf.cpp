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

std::string GenerateRtf(std::size_t targetBytes) {
  std::mt19937 rng(20240601);
  std::string out;
  out.reserve(targetBytes + 4096);
  out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
         "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern\\fcharset0 Courier New;}"
         "{\\f3\\fswiss\\fcharset0 Verdana;}{\\f4\\fswiss\\fcharset204 Tahoma;}}\r\n"
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
      out += "{\\f" + std::to_string(rng() % 5) + "\\fs" + std::to_string(18 + 2 * (rng() % 6));
      if (rng() % 3 == 0) out += "\\b";
      if (rng() % 4 == 0) out += "\\i";
      if (rng() % 8 == 0) out += "\\ul";
      if (rng() % 3 == 0) out += "\\cf" + std::to_string(1 + rng() % 5);
      if (rng() % 16 == 0) out += "\\highlight6";
      out += ' ';
      const int words = 3 + static_cast<int>(rng() % 12);
      for (int w = 0; w < words; ++w) {
        out += kWords[rng() % (sizeof kWords / sizeof *kWords)];
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
