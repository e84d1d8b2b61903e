// The encrypted notebook file: the primitives against their published
// vectors, the document round trip, and every way a file may be wrong.
#include "notebook/nvx.h"

#include <gtest/gtest.h>

#include <string>

#include "richview/rvf.h"

namespace nv {
namespace {

// Costs small enough for the sanitizer build; the reader takes any costs
// in range from the header, so these files open like the real ones.
constexpr NvxParams kTestParams{64, 1, 2};

std::string Hex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

std::string ToHex(const std::uint8_t* p, size_t n) {
  static const char* d = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s += d[p[i] >> 4];
    s += d[p[i] & 15];
  }
  return s;
}

std::string ToHex(const std::string& b) { return ToHex(reinterpret_cast<const std::uint8_t*>(b.data()), b.size()); }

// A document with its own styles, a picture and a line.
TRVDocument SampleDocument() {
  TRVDocument d;
  TFontInfo bold;
  bold.StyleName = "Heading";
  bold.FontName = "Georgia";
  bold.Size = 16;
  bold.Style = fsBold;
  bold.Color = 0x00336699;
  d.Style.TextStyles.push_back(bold);
  TParaInfo centred;
  centred.Alignment = TParaAlignment::Center;
  centred.SpaceAfter = 12;
  d.Style.ParaStyles.push_back(centred);
  d.Color = 0x00F0F8FF;
  d.AddParagraph(d.Style.ParaStyleCount() - 1)
      .AddItem(TRVItem::MakeText("Private notes \xE2\x82\xAC", d.Style.TextStyleCount() - 1, ""));
  TRVPictureItemInfo pic;
  pic.Name = "photo";
  pic.Kind = TRVPictureKind::Png;
  pic.Data = SharedBytes(std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5});
  pic.Width = 40;
  pic.Height = 30;
  TRVParagraph& p = d.AddParagraph(0);
  p.AddItem(TRVItem::MakeText("before the picture ", 0, ""));
  p.AddItem(TRVItem(pic));
  d.AddParagraph(0).AddItem(TRVItem(TRVBreakItemInfo{2, TRVBreakStyle::Line, clNone}));
  EXPECT_EQ(ValidateDocument(d), "");
  return d;
}

std::string SealedSample(const std::string& password, std::shared_ptr<const NvxKey>* keyOut = nullptr) {
  std::shared_ptr<const NvxKey> key = NewNvxKey(password, kTestParams);
  EXPECT_TRUE(key);
  if (!key) return {};
  std::optional<std::string> file = SaveNvx(SampleDocument(), *key);
  EXPECT_TRUE(file);
  if (keyOut) *keyOut = key;
  return file.value_or("");
}

// ------------------------------------------------------------- primitives

TEST(NvxPrimitives, Argon2idGivesTheRfc9106Vector) {
  // RFC 9106, 5.3: Argon2id, t = 3, m = 32 KiB, p = 4, with secret and
  // associated data. Swapping any two costs changes the tag.
  std::uint8_t tag[32];
  ASSERT_TRUE(nvx_primitives::Argon2id(std::string(32, '\x01'), std::string(16, '\x02'), {32, 3, 4},
                                       std::string(8, '\x03'), std::string(12, '\x04'), tag, sizeof tag));
  EXPECT_EQ(ToHex(tag, sizeof tag), "0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659");
}

TEST(NvxPrimitives, AesGcmGivesTheNistVectorAndChecksItsTag) {
  // Test case 16 of GCM's published test vectors (AES-256, 96-bit IV, AAD).
  const std::string key = Hex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
  const std::string iv = Hex("cafebabefacedbaddecaf888");
  const std::string aad = Hex("feedfacedeadbeeffeedfacedeadbeefabaddad2");
  const std::string plain = Hex(
      "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e2449a6b525b16aedf5aa0d"
      "e657ba637b39");
  const auto* k = reinterpret_cast<const std::uint8_t*>(key.data());
  std::string text = plain;
  std::array<std::uint8_t, kNvxTagSize> tag{};
  ASSERT_TRUE(nvx_primitives::AesGcmSeal(k, iv, aad, text, tag));
  EXPECT_EQ(ToHex(text),
            "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa8cb08e48590dbb3da7b08b1056828838c5f61e63"
            "93ba7a0abcc9f662");
  EXPECT_EQ(ToHex(tag.data(), tag.size()), "76fc6ece0f4e1768cddf8853bb2d551b");

  std::string back = text;
  ASSERT_TRUE(nvx_primitives::AesGcmOpen(k, iv, aad, back, tag.data()));
  EXPECT_EQ(back, plain);
  // Other associated data: refused, and nothing of the text is handed on.
  back = text;
  EXPECT_FALSE(nvx_primitives::AesGcmOpen(k, iv, aad + "x", back, tag.data()));
  EXPECT_TRUE(back.empty());
}

// ------------------------------------------------------------------ files

TEST(NvxFile, DocumentWithPicturesAndStylesComesBackEqual) {
  const TRVDocument d = SampleDocument();
  std::shared_ptr<const NvxKey> key;
  const std::string file = SealedSample("correct horse", &key);
  ASSERT_FALSE(file.empty());
  // Nothing of the text is readable in the file.
  EXPECT_EQ(file.find("Private notes"), std::string::npos);
  EXPECT_EQ(file.find("before the picture"), std::string::npos);

  TRVDocument back;
  unsigned warnings = 99;
  std::shared_ptr<const NvxKey> opened;
  ASSERT_TRUE(LoadNvx(file, "correct horse", back, warnings, &opened));
  EXPECT_EQ(back, d);
  EXPECT_EQ(warnings, 0u);
  // The key that opened the file writes the next save without a second
  // derivation, and that file opens with the password too.
  ASSERT_TRUE(opened);
  const std::optional<std::string> again = SaveNvx(back, *opened);
  ASSERT_TRUE(again);
  TRVDocument third;
  ASSERT_TRUE(LoadNvx(*again, "correct horse", third, warnings));
  EXPECT_EQ(third, d);
  // A fresh nonce for every sealing, a fresh salt for every new key.
  EXPECT_NE(file.substr(40, kNvxNonceSize), again->substr(40, kNvxNonceSize));
  EXPECT_NE(file.substr(24, kNvxSaltSize), SealedSample("correct horse").substr(24, kNvxSaltSize));
}

TEST(NvxFile, HeaderFollowsTheDocumentedLayout) {
  const std::string file = SealedSample("pw");
  ASSERT_GE(file.size(), kNvxHeaderSize + kNvxTagSize);
  EXPECT_EQ(file.substr(0, 8), std::string("NVNVX\r\n\x1A", 8));
  EXPECT_EQ(ToHex(file.substr(8, 4)), "01000101");  // version 1, Argon2id, AES-256-GCM
  EXPECT_EQ(ToHex(file.substr(12, 12)), "400000000100000002000000");  // 64 KiB, 1 pass, 2 lanes
  // Ciphertext as long as the RichView Format text, then the tag.
  EXPECT_EQ(file.size(), kNvxHeaderSize + SaveRVF(SampleDocument()).size() + kNvxTagSize);
}

TEST(NvxFile, WrongPasswordLeavesTheDocumentAsItWas) {
  const std::string file = SealedSample("secret");
  TRVDocument doc;
  doc.AddParagraph(0).AddItem(TRVItem::MakeText("what the editor holds", 0, ""));
  const TRVDocument before = doc;
  unsigned warnings = 7;
  std::shared_ptr<const NvxKey> key;
  for (const char* wrong : {"Secret", "secret ", "", "secre"}) {
    EXPECT_FALSE(LoadNvx(file, wrong, doc, warnings, &key)) << wrong;
    EXPECT_EQ(doc, before);
    EXPECT_EQ(warnings, 7u);
    EXPECT_FALSE(key);
  }
  // A file that opens but holds no RichView Format is refused the same way.
  std::shared_ptr<const NvxKey> k = NewNvxKey("secret", kTestParams);
  ASSERT_TRUE(k);
  const std::optional<std::string> notRvf = SealNvx("just some words", *k);
  ASSERT_TRUE(notRvf);
  EXPECT_FALSE(LoadNvx(*notRvf, "secret", doc, warnings));
  EXPECT_EQ(doc, before);
}

TEST(NvxFile, EverySingleByteChangeAndEveryCutIsDetected) {
  // A short text keeps the 255 changes of every byte quick; the container
  // does not care what it holds.
  const std::shared_ptr<const NvxKey> key = NewNvxKey("pw", kTestParams);
  ASSERT_TRUE(key);
  const std::string file = SealNvx("a few private words", *key).value_or("");
  ASSERT_EQ(OpenNvxWithKey(file, *key), "a few private words");
  // Every other value of every byte, with the key already at hand ...
  for (size_t i = 0; i < file.size(); ++i) {
    std::string bad = file;
    for (int delta = 1; delta < 256; ++delta) {
      bad[i] = static_cast<char>(static_cast<std::uint8_t>(file[i]) + delta);
      ASSERT_FALSE(OpenNvxWithKey(bad, *key)) << "byte " << i << " +" << delta;
    }
  }
  // ... and through the password, where a changed salt or cost derives
  // another key: every header byte changed once.
  for (size_t i = 0; i < kNvxHeaderSize; ++i) {
    std::string bad = file;
    bad[i] = static_cast<char>(bad[i] ^ 0x01);
    EXPECT_FALSE(OpenNvx(bad, "pw")) << "byte " << i;
  }
  for (size_t n = 0; n < file.size(); ++n) EXPECT_FALSE(OpenNvxWithKey(file.substr(0, n), *key)) << n;
  EXPECT_FALSE(OpenNvxWithKey(file + "x", *key));
}

TEST(NvxHeaderTest, FieldsOutOfRangeAreRefusedBeforeAnyDerivation) {
  const std::string file = SealedSample("pw");
  ASSERT_TRUE(ParseNvxHeader(file));
  auto with = [&](size_t at, std::string bytes) {
    std::string f = file;
    f.replace(at, bytes.size(), bytes);
    return f;
  };
  const std::string le0 = std::string("\0\0\0\0", 4);
  struct Case {
    const char* what;
    std::string file;
  } cases[] = {
      {"magic", with(0, "NVRVF")},
      {"version 2", with(8, std::string("\x02\x00", 2))},
      {"version 0", with(8, std::string("\x00\x00", 2))},
      {"unknown key derivation", with(10, "\x02")},
      {"unknown cipher", with(11, "\x02")},
      {"memory above 4 GiB", with(12, std::string("\x01\x00\x40\x00", 4))},
      {"memory 0", with(12, le0)},
      {"memory below 8 KiB a lane", with(12, std::string("\x0F\x00\x00\x00", 4))},
      {"passes 0", with(16, le0)},
      {"passes absurd", with(16, std::string("\xFF\xFF\xFF\xFF", 4))},
      {"lanes 0", with(20, le0)},
      {"lanes absurd", with(20, std::string("\x00\x01\x00\x00", 4))},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ParseNvxHeader(c.file)) << c.what;
    EXPECT_FALSE(OpenNvx(c.file, "pw")) << c.what;
  }
  EXPECT_FALSE(ParseNvxHeader(file.substr(0, kNvxHeaderSize + kNvxTagSize - 1)));
  // The limits themselves are in range, so costs may rise up to them.
  EXPECT_TRUE(NvxParamsInRange({4u * 1024u * 1024u, 64, 64}));
  EXPECT_TRUE(NvxParamsInRange({8, 1, 1}));
  EXPECT_TRUE(NvxParamsInRange(kNvxFileParams));
  EXPECT_FALSE(NewNvxKey("pw", {8, 0, 1}));
}

TEST(NvxSecrets, SecretStringWipesAndMovesOut) {
  std::string typed = "hunter2";
  SecretString a(std::move(typed));
  EXPECT_TRUE(typed.empty());
  EXPECT_EQ(typed.c_str()[0], '\0');
  EXPECT_EQ(a.View(), "hunter2");
  SecretString b(std::move(a));
  EXPECT_TRUE(a.Empty());
  EXPECT_EQ(b.View(), "hunter2");
  b.Clear();
  EXPECT_TRUE(b.Empty());
}

}  // namespace
}  // namespace nv
