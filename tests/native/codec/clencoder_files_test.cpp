// File-to-file Base64 encoding goes in pieces; its text and progress events
// must be those of the same encoding in memory, at every piece boundary.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "codec/clencoder.h"
#include "codec/streams.h"
#include "support/temp_dir.h"
#include "ui/paths.h"

namespace nv {
namespace {

struct EncodeRun {
  std::string text;
  std::vector<int> progress;
};

EncodeRun EncodeInMemory(const std::string& data, std::int64_t start, std::int32_t charsPerLine) {
  TclEncoder enc;
  enc.CharsPerLine = charsPerLine;
  EncodeRun r;
  enc.OnProgress = [&](TclEncoder&, int p) { r.progress.push_back(p); };
  TMemoryStream src(data), dst;
  src.SetPosition(start);
  enc.Encode(src, dst, encBase64);
  r.text = dst.ToString();
  return r;
}

EncodeRun EncodeFiles(const TempDir& dir, const std::string& data, std::int64_t start, std::int32_t charsPerLine) {
  {
    TFileStream f(dir.File("in.bin"), TFileMode::fmCreate);
    f.WriteBuffer(data.data(), data.size());
  }
  TclEncoder enc;
  enc.CharsPerLine = charsPerLine;
  EncodeRun r;
  enc.OnProgress = [&](TclEncoder&, int p) { r.progress.push_back(p); };
  {
    TFileStream src(dir.File("in.bin"), TFileMode::fmOpenRead);
    TFileStream dst(dir.File("out.b64"), TFileMode::fmCreate);
    src.SetPosition(start);
    enc.Encode(src, dst, encBase64);
  }
  r.text = ReadWholeFile(dir.File("out.b64"));
  return r;
}

TEST(Base64EncodeFiles, SameTextAndEventsAsInMemoryAtEveryPieceBoundary) {
  TempDir dir;
  std::mt19937 rng(7);
  const std::size_t piece = (std::size_t{1} << 20) / 57 * 57;  // whole 76-character lines
  std::string data(3 * piece + 100, '\0');
  for (char& c : data) c = static_cast<char>(rng());
  for (std::size_t size : {std::size_t{1}, std::size_t{57}, std::size_t{58}, piece - 1, piece, piece + 1,
                           2 * piece + 56, 3 * piece + 100}) {
    for (std::int32_t cpl : {76, 100, 1000}) {
      SCOPED_TRACE(std::to_string(size) + " bytes, line " + std::to_string(cpl));
      const std::string part = data.substr(0, size);
      const EncodeRun mem = EncodeInMemory(part, 0, cpl), file = EncodeFiles(dir, part, 0, cpl);
      EXPECT_EQ(file.progress, mem.progress);
      ASSERT_EQ(file.text.size(), mem.text.size());
      EXPECT_TRUE(file.text == mem.text);
    }
  }
  // From a position inside the source, as the encoder reads from there.
  const EncodeRun mem = EncodeInMemory(data, 12345, 76), file = EncodeFiles(dir, data, 12345, 76);
  EXPECT_TRUE(file.text == mem.text);
  EXPECT_EQ(file.progress, mem.progress);
}

}  // namespace
}  // namespace nv
