// The rich-text engine's pieces that depend on Windows itself.
#include <windows.h>

#include <gtest/gtest.h>

#include "notebook/richview/text_format.h"
#include "notebook/richview/win32/system_ansi_codec.h"

namespace nv {
namespace {

TEST(SystemAnsiCodec, FollowsTheSystemCodePage) {
  SystemAnsiCodec codec;
  const std::string text = "caf\xC3\xA9 \xE2\x82\xAC";  // "café €"
  const std::string ansi = codec.FromUtf8(text);
  if (::GetACP() == 1252) {
    EXPECT_EQ(ansi, "caf\xE9 \x80");
  }
  EXPECT_EQ(codec.ToUtf8(ansi), text);

  TRVDocument doc;
  ASSERT_TRUE(LoadText(ansi + "\r\nline two", doc, 0, 0, false, TextEncoding::Ansi, codec));
  ASSERT_EQ(doc.Paragraphs.size(), 2u);
  EXPECT_EQ(doc.Paragraphs[0].Item(0).AsText()->Text, text);
  EXPECT_EQ(SaveText(doc, 80, TextEncoding::Ansi, codec), ansi + "\r\nline two");
}

}  // namespace
}  // namespace nv
