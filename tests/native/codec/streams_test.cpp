#include "codec/streams.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/clencoder.h"
#include "support/temp_dir.h"
#include "ui/paths.h"

namespace nv {
namespace {

TEST(MemoryStream, ReadWriteSeek) {
  TMemoryStream s;
  EXPECT_EQ(s.Write("hello", 5), 5u);
  EXPECT_EQ(s.Position(), 5);
  EXPECT_EQ(s.Seek(-3, TSeekOrigin::soCurrent), 2);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, sizeof buf), 3u);
  EXPECT_EQ(std::string(buf, 3), "llo");
  EXPECT_EQ(s.Read(buf, sizeof buf), 0u);
  EXPECT_THROW(s.ReadBuffer(buf, 1), EReadError);
  // Writing past the end fills the gap with zeros.
  s.Seek(2, TSeekOrigin::soEnd);
  s.Write("!", 1);
  EXPECT_EQ(s.ToString(), std::string("hello\0\0!", 8));
  EXPECT_THROW(s.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
  s.SetSize(3);
  EXPECT_EQ(s.ToString(), "hel");
  EXPECT_EQ(s.Position(), 3);
  s.SetSize(5);
  EXPECT_EQ(s.ToString(), std::string("hel\0\0", 5));
  // Many small writes keep what was written before.
  TMemoryStream grow;
  std::string expect;
  for (int i = 0; i < 5000; ++i) {
    const std::string piece = std::to_string(i) + ",";
    grow.Write(piece.data(), piece.size());
    expect += piece;
  }
  EXPECT_EQ(grow.ToString(), expect);
}

TEST(FileStream, CreateWriteReadAndResize) {
  TempDir dir;
  const std::string path = dir.File("d\xC3\xA9j\xC3\xA0 vu \xE2\x82\xAC.txt");  // non-ASCII name
  {
    TFileStream f(path, TFileMode::fmCreate);
    f.WriteBuffer("0123456789", 10);
    EXPECT_EQ(f.Size(), 10);
    EXPECT_EQ(f.Position(), 10);
    f.SetPosition(4);
    char c[3] = {};
    f.ReadBuffer(c, 3);
    EXPECT_EQ(std::string(c, 3), "456");
    f.WriteBuffer("ab", 2);  // switching from reading to writing
    f.Seek(-1, TSeekOrigin::soEnd);
    EXPECT_EQ(f.Read(c, 3), 1u);
    EXPECT_EQ(c[0], '9');
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(f.Position(), 4);
    f.Seek(2, TSeekOrigin::soEnd);
    f.WriteBuffer("z", 1);
  }
  EXPECT_EQ(ReadWholeFile(path), std::string("0123\0\0z", 7));
  {
    TFileStream f(path, TFileMode::fmOpenRead);
    EXPECT_EQ(f.Size(), 7);
    EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
  }
  {
    TFileStream f(path, TFileMode::fmCreate);  // truncates
    EXPECT_EQ(f.Size(), 0);
  }
}

TEST(FileStream, FailuresNameThePath) {
  TempDir dir;
  const std::string missing = dir.File("missing.txt");
  try {
    TFileStream f(missing, TFileMode::fmOpenRead);
    FAIL() << "opened";
  } catch (const EFOpenError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot open file \"" + missing + "\""), std::string::npos)
        << e.what();
  }
  const std::string inDir = dir.File("no such dir/x.txt");
  try {
    TFileStream f(inDir, TFileMode::fmCreate);
    FAIL() << "created";
  } catch (const EFOpenError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot create file \"" + inDir + "\""), std::string::npos)
        << e.what();
  }
  EXPECT_THROW(TFileStream(dir.Path(), TFileMode::fmOpenReadWrite), EFOpenError);  // a directory
}

TEST(FileStream, EncodeOneFileIntoAnother) {
  // The notebook's export and import: a file encoded into a file and back.
  TempDir dir;
  std::string text;
  for (int i = 0; i < 300; ++i) text += "Line " + std::to_string(i) + " of the notebook\r\n";
  {
    TFileStream plain(dir.File("plain.txt"), TFileMode::fmCreate);
    plain.WriteBuffer(text.data(), text.size());
  }
  TclEncoder enc;
  {
    TFileStream src(dir.File("plain.txt"), TFileMode::fmOpenRead);
    TFileStream dst(dir.File("encoded.txt"), TFileMode::fmCreate);
    enc.Encode(src, dst, encBase64);
  }
  const std::string encoded = ReadWholeFile(dir.File("encoded.txt"));
  EXPECT_EQ(encoded.size(), (text.size() + 2) / 3 * 4 + 2 * ((text.size() + 56) / 57 - 1));
  EXPECT_EQ(encoded.substr(0, 8), "TGluZSAw");
  EXPECT_NE(encoded.back(), '\n');
  {
    TFileStream src(dir.File("encoded.txt"), TFileMode::fmOpenRead);
    TFileStream dst(dir.File("decoded.txt"), TFileMode::fmCreate);
    enc.Decode(src, dst, encBase64);
  }
  EXPECT_EQ(ReadWholeFile(dir.File("decoded.txt")), text);
}

}  // namespace
}  // namespace nv
